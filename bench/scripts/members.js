// Reading and writing object members in a loop.
var o = {x: 0, y: 1, z: 2, w: 3};
var i;
for (i = 0; i < 1000000; i++) {
  o.x = o.y + i % 7;
  o.y = o.z + o.x % 5;
  o.z = o.w % 11 + o.x;
  o.w = (o.w + o.y) % 1000;
}
print(o.x + o.y + o.z + o.w);
