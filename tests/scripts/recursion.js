// Runaway recursion is a script error that can be caught; the run goes on.
function down(n) { return down(n + 1); }
try { down(0); } catch (e) { println(e); }
function depth(n) { if (n == 0) return 0; return depth(n - 1) + 1; }
println(depth(1000));
down(0);
