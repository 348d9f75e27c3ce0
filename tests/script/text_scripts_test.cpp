// RegExp, String and Date as scripts see them: whole scripts run through the host
// component, checked by what they print.
#include <gtest/gtest.h>

#include <string>

#include "core_script_runner.h"
#include "platform/codepage.h"
#include "script/builtins/array.h"
#include "support/zone_scope.h"

namespace kestrin {
namespace {

using testing::Output;
using velkoran::testing::ZoneScope;

TEST(TextScripts, RegExpObjectAndStaticMembers) {
  EXPECT_EQ(Output(R"js(
var re = new RegExp("(\\d+)-(\\d+)", "g");
var r = re.exec("a 12-34 b 5-6");
println(r.length + " " + r[0] + " " + r[1] + " " + r.input);
println(RegExp.$1 + " " + RegExp.$2 + " " + RegExp.lastMatch + " " + RegExp.index + " " + RegExp.lastIndex);
println(RegExp.leftContext + "|" + RegExp.rightContext + "|" + RegExp.lastParen);
var q = new RegExp("a(b)?c");
q.exec("xac");
println(typeof(q.$1) + " " + q.index + " " + q.lastIndex + " [" + q.leftContext + "][" + q.rightContext + "]");
var t = q.test("zzz");
println(t + " " + q.index + " " + typeof(q.lastMatch));
println(new RegExp("a").replace("banana", "o") + " " + new RegExp(",").split("a,b,,c", 2).join("|"));
var bad = new RegExp("(");
try { bad.exec("x"); } catch (e) { println(e); }
var flags = new RegExp("A", "gim");
println(flags.global + " " + flags.ignoreCase + " " + new RegExp("A", "gi").ignoreCase);
)js"),
            "2 12-34 5-6 a 12-34 b 5-6\n"
            "5 6 5-6 10 13\n"
            "a 12-34 b ||6\n"
            "undefined 1 3 [x][]\n"
            "false -1 undefined\n"
            "bonono a|b\n"
            "ERegExp\n"
            "false false true\n");
}

TEST(TextScripts, StringMethods) {
  EXPECT_EQ(Output(R"js(
var s = "a,b,,c";
println(s.split(",").length + " " + s.split(",", 2).join("|") + " " + s.split(",", "g", 3).join("|"));
println("a.b".split(".").length + " " + "banana".replace("A", "i", "o") + " " + "banana".search("n"));
var an = "banana".match("an", "g");
println(an.join("+") + " " + RegExp.lastMatch + " " + RegExp.index);
println("abcb".indexOf("b") + " " + "abcb".indexOf("b", 2) + " " + "abcb".indexOf("") + " " + "abcb".lastIndexOf("xb"));
println("abcdef".slice(1, 3) + " " + "abcdef".substring(2) + " " + "abcdef".substr(-10, 2));
println("x".bold() + " " + "x".anchor("n") + " " + typeof("x".anchor()) + " " + "x".link("u"));
println(String.fromCharCode(72, 105, 0x121) + " " + "AbC".toLowerCase() + " " + "abc".toUpperCase());
println("abc"[-1] + "abc"[0] + " " + "abc".charAt(10).length + " " + "abc".charCodeAt(1) + " " + "abc".charCodeAt(10));
var c;
try { c = "abc"["x"]; } catch (e) { println(e); }
var boxed = new String("abc");
try { boxed.length = 3; } catch (e) { println(e); }
println("ab".concat("c", 1) + " " + typeof("ab".concat()));
)js"),
            "4 a|b a|b|\n"
            "4 bonono 2\n"
            "an+an an 3\n"
            "1 3 -1 3\n"
            "bc cdef ab\n"
            "<B>x</B> <A NAME=\"n\">x</A> undefined <A HREF=\"u\">x</A>\n"
            "Hi! abc ABC\n"
            "ca 0 98 NaN\n"
            "EIndexError\n"
            "EPropertyError\n"
            "abc1 undefined\n");
}

// A string's members are answered without a String object unless the host watches every
// new object (it is told of the temporaries then): both ways must print the same.
TEST(TextScripts, StringMembersWithAndWithoutTemporaryObjects) {
  const char* script = R"js(
var s = "h" + String.fromCharCode(0) + "éllo", t = "", r;
class String { function charAt(i) { return "script"; } }
class Mine extends String { function charAt(i) { return "mine"; } }
var m = new Mine("xyz");
println(s.length + " " + s.charCodeAt(1) + " " + s.charAt(2) + s[3] + s[-1] + " " + s.indexOf("llo") + " " + s.text.length);
println(m.charAt(0) + " " + m.length + " " + "ab".charAt(1) + " " + (new String("q")).charAt(0));
r = s.substring((t += "a", 1), (t += "b", 3));
println(r.length + t);
println(s.charCodeAt(99));
println(typeof s.charAt);
println(s.hasKey("text") + " " + "".charAt(0).length);
try { r = s.charAt; println(r(0)); } catch (e) { println(e); }
try { r = s.nosuch(t += "c"); } catch (e) { println(e + t); }
try { r = s.LENGTH; } catch (e) { println(e); }
try { r = s[9]; } catch (e) { println(e); }
try { r = s["length"]; } catch (e) { println(e); }
try { s.length = 2; } catch (e) { println(e); }
)js";
  const std::string expected =
      "7 0 \xC3\xA9o 4 7\n"
      "mine 3 b q\n"
      "2ba\nNaN\nfunction\ntrue 0\n"
      "ECallError\n"
      "ENameErrorba\n"
      "ENameError\n"
      "EIndexError\n"
      "EIndexError\n"
      "ENameError\n";
  EXPECT_EQ(Output(script), expected);
  TKestrin watched;
  int reported = 0;
  watched.OnNewObject = [&reported](TKestrin&, TJObject&) { ++reported; };
  EXPECT_EQ(testing::Lines(testing::RunScript(watched, script).output), expected);
  EXPECT_GT(reported, 20);
}

// Inside functions, character codes and lengths of texts and arrays are worked out as
// numbers; values of other kinds (an object with such members, a number) get what the
// general read gives (outputs taken from it).
TEST(TextScripts, CodesAndLengthsInsideFunctions) {
  const char* script = R"js(
class Reader {
  text = null; pos = 0; items = null;
  function Reader(t) { this.text = t; this.items = [1, 2]; }
  function sum() {
    s = 0;
    while (this.pos < this.text.length) {
      s = s * 3 + this.text.charCodeAt(this.pos);
      this.pos++;
    }
    return s + this.items.length * 1000;
  }
}
function codes(t, k) {
  a = t.charCodeAt(k) + t.length;
  b = t.charCodeAt(k + 10);
  return [a, b];
}
class Other {
  length = 7;
  function charCodeAt(k) { return k * 2; }
}
function others(o, list) {
  n = o.charCodeAt(5) + o.length + list.length;
  list.push(3);
  m = list.length;
  p = { length: 4 };
  q = p.length + 1;
  return [n, m, q];
}
println(new Reader("hello").sum());
println(codes("abc", 1).join(" "));
println(codes("abc", -1).join(" "));
try { println(codes(12345, 1).join(" ")); } catch (e) { println(e); }
println(others(new Other(), [1]).join(" "));
println(others("xyzxyz", []).join(" "));
)js";
  EXPECT_EQ(Output(script), "14558\n101 NaN\n100 NaN\nENameError\n18 2 5\n128 1 5\n");
}

// A host may register its own class under "String": string values then go through it.
TEST(TextScripts, AHostClassNamedStringServesStringValues) {
  TKestrin host;
  host.RegisterClass("String", TJArrayObject::Info());
  EXPECT_EQ(testing::Lines(testing::RunScript(host, "var s = 'abc'; println(s.length + ' ' + s.join('-'));").output),
            "1 abc\n");
}

TEST(TextScripts, MultiByteStringsCountBytes) {
  using velkoran::platform::CodePage;
  const CodePage saved = velkoran::platform::ActiveCodePage();
  velkoran::platform::SetActiveCodePage(CodePage::Utf8);
  EXPECT_EQ(Output("var s = \"\xE3\x81\x82\\\\\"; println(s.length + \" \" + s.lastIndexOf(\"\\\\\") + \" \" + "
                      "s.charCodeAt(0) + \" \" + s.toSJIS().length + \" \" + s.toSJIS().toUTF8().length);"),
            "4 3 227 3 4\n");
  velkoran::platform::SetActiveCodePage(CodePage::Cp932);
  // "表" is 95 5C in CP932: its trail byte must not count as a backslash.
  // Single quotes: in a double-quoted literal the trail byte would start an escape.
  EXPECT_EQ(Output("var s = '\x95\x5C'; println(s.length + ' ' + s.lastIndexOf('\\') + ' ' + "
                      "(s + '\\').lastIndexOf('\\'));"),
            "2 -1 2\n");
  velkoran::platform::SetActiveCodePage(saved);
}

TEST(TextScripts, DatesInAFixedZone) {
  ZoneScope tz("JST-9");
  EXPECT_EQ(Output(R"js(
var d = new Date(2001, 2, 3, 4, 5, 6);
println(d.toString() + " " + d.getDay() + " " + d.getMonth() + " " + d.getTime() + " " + d.getTimezoneOffset());
println(d.toGMTString() + " " + d.getUTCDate() + " " + d.getUTCHours() + " " + d.getUTCYear());
d.setDate(31);
println(d.getDate());
d.setMonth(12); d.setDate(31); d.setHours(23);
println(d.toString());
d.setUTCHours(15);
println(d.toString() + " " + d.getYear());
println(new Date(1970, 1, 1, 9, 0, 0).getTime() + " " + Date.parse("Dec 25, 1995 13:30:00") + " " + Date.UTC(1970, 1, 1, 9, 0, 0, 0));
println(new Date("2001/01/07").toString() + " " + new Date("2001/01/07").getDay());
var m = new Date(1999, 12, 31, 0, 0, 0);
println(m.toString() + " " + m.getYear());
)js"),
            "2001/02/03 4:05:06 6 2 981140706 -540\n"
            "2001/02/02 19:05:06 2 19 101\n"
            "3\n"
            "2001/12/31 23:05:06\n"
            "2002/01/01 0:05:06 2002\n"
            "0 819865800 0\n"
            "2001/01/07 0\n"
            "1999/12/31 99\n");
}

}  // namespace
}  // namespace kestrin
