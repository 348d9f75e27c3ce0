// Shift_JIS text under the CP932 code page. Single quotes keep the trail byte 0x5C of
// a double-byte character from starting an escape.
var s = '表示テスト';
println(s.length + " " + s.charCodeAt(0) + " " + s.charCodeAt(1));
println(s.lastIndexOf('\\') + " " + (s + '\\').lastIndexOf('\\') + " " + s.indexOf('示'));
println(s.toUTF8().length + " " + s.toEUC().length + " " + s.toJIS().length + " " + s.toSJIS().length);
// EUC bytes all in A1-DF cannot be told from Shift_JIS kana: the automatic form keeps them.
println((s.toEUC().toSJIS() == s) + " " + (s.fromSJIStoEUC().fromEUCtoSJIS() == s));
println(s.toJIS().toSJIS() == s);
// Half-width kana alone are undecided too; the direct conversion makes them full-width.
println('ｶﾞｷﾞ'.toJIS() + " " + 'ｶﾞｷﾞ'.fromSJIStoJIS().fromJIStoSJIS());
println('abcXYZ表'.toLowerCase() + " " + 'abcXYZ表'.toUpperCase());
