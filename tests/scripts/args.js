// Command-line arguments arrive as strings in args.
println(args.length);
for (i = 0; i < args.length; i++) println(i + ": " + args[i] + " (" + typeof(args[i]) + ")");
return args.length;
