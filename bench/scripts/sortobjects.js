// Sorting 200 000 objects by a member with a comparison function.
function byKey(a, b) {
  return a.key - b.key;
}
var a = [];
var i;
// Distinct keys in a scattered order (200003 is prime), so every sort gives one order.
for (i = 0; i < 200000; i++) {
  a.push({key: (i * 7919) % 200003, id: i});
}
a.sort(byKey);
var sum = 0;
for (i = 0; i < 200000; i += 1000) {
  sum = (sum + a[i].key * 7 + a[i].id) % 1000003;
}
print(a[0].key + a[199999].key * 3 + sum);
