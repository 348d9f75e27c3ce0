// Japanese code conversion on UTF-8 text (the runner runs this under the UTF-8 code page).
var s = "日本語テキスト";
println(s.length + " " + s.toSJIS().length + " " + s.toEUC().length + " " + s.toJIS().length);
println(s.toSJIS().toUTF8() + " " + s.toEUC().toUTF8() + " " + s.toJIS().toUTF8());
println(s.toSJIS().fromSJIStoEUC() == s.toEUC());
println(s.toEUC().fromEUCtoJIS() == s.toJIS());
println(s.toJIS().fromJIStoSJIS() == s.toSJIS());
println("plain".toJIS() + " " + "plain".toSJIS() + " " + "plain".toUTF8());
var w = "Ab".toWide();
println(w.length + " " + w.charCodeAt(0) + " " + w.charCodeAt(1) + " " + w.charCodeAt(2));
println("日本".lastIndexOf("本") + " " + "日本".indexOf("本"));
