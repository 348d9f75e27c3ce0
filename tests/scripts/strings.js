// String methods: positions, searching, pieces, wrappers and conversions.
var s = "The quick brown fox";
println(s.length + " " + s.charAt(4) + " " + s.charAt(-5) + "[" + s.charAt(99) + "] " + s.charCodeAt(0));
println(s.indexOf("o") + " " + s.indexOf("o", 13) + " " + s.indexOf("") + " " + s.lastIndexOf("qz"));
println(s.slice(4, 9) + "|" + s.slice(-3) + "|" + s.substring(16) + "|" + s.substr(-9, 5) + "|" + s.substr(4));
println(s.toUpperCase() + " " + s.toLowerCase());
println(s[0] + s[-1] + " " + "abc".concat("d", 5, "e"));
var c;
try { c = s[99]; } catch (e) { println(e); }
println("x".big() + "x".small() + "x".italics() + "x".fixed() + "x".strike() + "x".sub() + "x".sup() + "x".blink());
println("t".fontcolor("red") + " " + "t".fontsize(7) + " " + "t".link("http://x/") + " " + "t".anchor("top"));
println(String.fromCharCode(75, 101, 115, 116, 114, 105, 110));
println("a1b22c333".replace("\\d+", "#") + " " + "a-b-c".replace("-", "g", "+") + " " + "AbAb".replace("a", "i", "x"));
println("2001/03/04".split("/").join(",") + " " + "a,b,c,d".split(",", 2).length + " " + "one  two".split(" ").length);
println("find the needle".search("needle") + " " + "none".search("z"));
var m = "x1y22z333".match("\\d+", "g");
println(m.length + " " + m[2] + " " + RegExp.lastMatch + " " + RegExp.leftContext);
