// Calling methods on script objects: each object carries its functions as members.
function counterAdd(n) {
  this.total = (this.total + n) % 1000007;
  return this.total;
}
function counterGet() {
  return this.total;
}
function makeCounter(start) {
  return {total: start, add: counterAdd, get: counterGet};
}
var counters = [makeCounter(1), makeCounter(2), makeCounter(3)];
var i;
var c;
for (i = 0; i < 300000; i++) {
  c = counters[i % 3];
  c.add(i % 13);
  c.add(c.get() % 17);
}
print(counters[0].get() + counters[1].get() + counters[2].get());
