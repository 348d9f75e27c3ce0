// Arrays: literals, methods and sorting with a comparison function.
function ascending(a, b) { return a - b; }
var a = [5, 3, 8, 1];
a.push(7);
a.sort(ascending);
println(a.join(" "), a.length);
println(a.slice(1, 3).join(), a.concat([9, 10]).length, a.reverse().join());
var removed = a.splice(1, 2, "x");
println(removed.join(), a.join());
println([1, null, 2].join(), [[1, 2], 3].toString());
var total = 0;
for (i = 0; i < a.length; i++) if (typeof(a[i]) == "number") total += a[i];
println(total);
