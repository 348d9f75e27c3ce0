// Pushing 100 000 numbers and sorting them with a comparison function.
function ascending(a, b) {
  return a - b;
}
var a = [];
var x = 12345;
var i;
for (i = 0; i < 100000; i++) {
  x = (x * 1103 + 12345) % 65536;
  a.push(x);
}
a.sort(ascending);
print(a[0] + a[50000] * 3 + a[99999] * 7);
