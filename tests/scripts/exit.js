// exit ends the run with its code.
println("bye");
exit(261);
