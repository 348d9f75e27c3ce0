// prompt and confirm read lines from standard input; end of input cancels.
var name = prompt("name?");
println("hello " + name);
println(confirm("sure?"));
println(confirm("really?"));
println(prompt("more?"));
