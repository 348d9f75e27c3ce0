// Three million small objects (two members each) held in an array: time and peak memory.
var a = [];
var i;
for (i = 0; i < 3000000; i++) {
  a.push({x: i, y: i % 7});
}
var sum = 0;
for (i = 0; i < 3000000; i += 1000) {
  sum = (sum + a[i].x + a[i].y) % 1000003;
}
print(a.length + sum);
