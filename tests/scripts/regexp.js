// RegExp objects, their result members and the static RegExp.
var re = new RegExp("(\\w+)@(\\w+)\\.com", "g");
var found = re.exec("mail ann@example.com and bob@test.com today");
println(found.length + " " + found[0] + " " + found[1]);
println(re.$1 + " " + re.$2 + " " + re.index + " " + re.lastIndex);
println(RegExp.$1 + " " + RegExp.lastParen + " [" + RegExp.rightContext + "]");

var once = new RegExp("a(b)?c");
var r = once.exec("xac");
println(r[0] + " " + typeof(once.$1) + " " + once.index + " " + once.lastIndex);

var miss = once.test("nothing here");
println(miss + " " + once.index + " " + typeof(once.lastMatch));

println(new RegExp("a").replace("banana", "o"));
println(new RegExp("\\s+").split("a  b \t c", 2).join("|"));
println(new RegExp("x*").split("abc").length);

var flags = new RegExp("HELLO", "i");
println(flags.test("say hello") + " " + flags.global + " " + flags.source);
flags.ignoreCase = false;
println(flags.test("say hello"));

var bad = new RegExp("[a-");
try { bad.test("x"); } catch (e) { println(e); }
var many = new RegExp("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)");
many.exec("abcdefghij");
println(RegExp.$9 + RegExp["$10"] + " " + many["$10"]);
