// An uncaught script error ends the run with its report and exit status 1.
println("before");
var o = {};
o.missing = 1;
println("not reached");
