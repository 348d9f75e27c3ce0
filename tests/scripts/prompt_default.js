// prompt on the console: an empty line keeps the default, a typed line replaces it, end
// of input cancels even with a default.
println(prompt("name?", "Ann"));
println(prompt("city?", "Oslo"));
println(prompt("empty default?"));
println(prompt("last?", "kept"));
