// eval runs a text in a fresh engine that prints into the same output.
var hidden = 1;
println(eval("println('inside'); return 6 * 7;"));
println(eval("exit(3);"));
println(eval("x = ;"));
println(eval("return hidden;"));
