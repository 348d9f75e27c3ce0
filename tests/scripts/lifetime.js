// Objects made in arguments, operands and loops stay valid while they are used.
function make(v) { return {v: v, list: [v, v + 1]}; }
function add(a, b) { return a.v + b.v + a.list[1] + b.list[0]; }
var total = 0;
for (i = 0; i < 5000; i++) {
  total += add(make(i), make(make(1).list[1]));
}
println(total);
var ring = {};
ring["self"] = ring;
var s = "";
for (i = 0; i < 2000; i++) s += "ab".length;
println(s.length);
