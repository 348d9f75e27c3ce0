// Statements: loops, break and continue, try/catch/finally pairing, with, for-in.
var s = "";
for (i = 0; i < 5; i++) { if (i == 3) continue; s += i; }
println(s);
var n = 0;
while (true) { n++; if (n >= 4) break; }
do { n += 10; } while (n < 30);
println(n);
try { throw "first"; } catch (e) { println("caught " + e); } finally { println("finally runs"); }
try { missing(); } catch (e) { println(e); }
try { throw 1; } println("skipped"); catch (e) { println("after skip", e); }
var o = {b: 2, a: 1};
for (k in o) println(k + "=" + o[k]);
with (o) { println(a + b); }
function classify(v) {
  if (v < 0) return "negative";
  else if (v == 0) return "zero";
  return "positive";
}
println(classify(-2), classify(0), classify(3));
