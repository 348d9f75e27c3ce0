// Global, Array, Number, Boolean and Math, through scripts, and the questions a script
// asks its user.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core_script_runner.h"
#include "script/builtins/global.h"
#include "script/builtins/math.h"
#include "support/scripted_questions.h"

namespace kestrin {
namespace {

using testing::Lines;
using testing::Output;
using testing::RunScript;

TEST(Global, EscapeAndUnescape) {
  EXPECT_EQ(EscapeText("a b"), "a+b");
  EXPECT_EQ(EscapeText("~"), "%7E");
  EXPECT_EQ(EscapeText("!$'()*-.@_az09AZ"), "!$'()*-.@_az09AZ");
  EXPECT_EQ(EscapeText("\xE3\x81\x82"), "%E3%81%82");
  EXPECT_EQ(EscapeText("%+/"), "%25%2B%2F");
  EXPECT_EQ(UnescapeText("%41%2b+"), "A+ ");
  EXPECT_EQ(UnescapeText("%%"), "%");
  EXPECT_EQ(UnescapeText("%zz!"), std::string("\0!", 2));
  EXPECT_EQ(UnescapeText("ab%4"), "ab%4");  // too close to the end: kept as it is
  EXPECT_EQ(UnescapeText("%"), "%");
  EXPECT_EQ(UnescapeText(EscapeText("x y~\xFF")), "x y~\xFF");
}

TEST(Global, NumberParsing) {
  EXPECT_EQ(Output("println(parseInt('1.5'), parseInt('0x10'), parseInt('abc'), parseInt(2.5), parseInt(' 7'));"),
            "0\n16\nNaN\n2\n7\n");
  EXPECT_EQ(Output("println(parseFloat('12abc'), parseFloat(3), typeof(parseFloat(3)), parseFloat(' 2.5e1 '));"),
            "NaN\n3\nnumber\n25\n");
  EXPECT_EQ(Output("println(isNaN('12'), isNaN(true), isNaN(null), isNaN('x'));"), "false\ntrue\ntrue\ntrue\n");
  EXPECT_EQ(Output("println(isFinite(5), isFinite('1.5'), isFinite('x'), isFinite(NaN), isFinite(1e308 * 10));"),
            "true\ntrue\nfalse\nfalse\nfalse\n");
}

TEST(Global, PrintForms) {
  auto run = RunScript("print(1, 'a', null); println(); println(1, 2); write('w'); writeln('x');");
  EXPECT_EQ(run.output, "1anull1\r\n2\r\nwx\r\n");
  int events = 0;
  TKestrin host;
  host.OnStdout = [&events](TKestrin&, std::string_view) { ++events; };
  host.Compile("print(1, 2, 3); println(4, 5);");
  host.Run();
  EXPECT_EQ(events, 5);
}

TEST(Global, QuestionsGoThroughTheHostsInterface) {
  velkoran::testing::ScriptedQuestions q;
  q.prompts = {std::string("typed"), std::nullopt};
  q.answers = {velkoran::platform::Answer::Yes, velkoran::platform::Answer::No};
  q.textAreas = {std::string("l1\r\nl2")};
  TKestrin host(&q);
  host.Engine().SetCaption("app");
  auto run = RunScript(host,
                       "alert('hi'); println(prompt('name?', 'def')); println(prompt('again?'));"
                       "println(confirm('sure?')); println(confirm('really?')); println(textArea('text', 'init'));"
                       "println(prompt());");
  EXPECT_EQ(Lines(run.output), "typed\nnull\ntrue\nfalse\nl1\nl2\nundefined\n");
  using Asked = velkoran::testing::AskedQuestion;
  EXPECT_EQ(q.asked, (std::vector<Asked>{{"alert", "app", "hi", ""},
                                         {"prompt", "app", "name?", "def"},
                                         {"prompt", "app", "again?", ""},
                                         {"confirm", "app", "sure?", ""},
                                         {"confirm", "app", "really?", ""},
                                         {"textArea", "app", "text", "init"}}));
  EXPECT_FALSE(ProgramCaption().empty());
  EXPECT_EQ(ProgramCaption().find('/'), std::string::npos);
}

TEST(Array, ArraysHoldingThemselvesEndInAnErrorNotACrash) {
  EXPECT_EQ(Output("var a = [1]; a.push(a); try { s = a.join(); } catch (e) { println(e); }"
                   "var d = [1]; for (i = 0; i < 1000000; i++) d = [d]; try { println(d); } catch (e) { println(e); }"
                   "println([[1, 2], [3]].join(';'));"),
            "ERecursionError\nERecursionError\n1,2;3\n");
}

TEST(Array, ConstructionAccessAndErrors) {
  EXPECT_EQ(Output("var a = new Array(3); println(a.length, a[0]); var b = [1, 2]; b[' 1'] = 5; println(b['$1'], b.length);"),
            "1\n3\n5\n2\n");
  EXPECT_EQ(Output("var a = [1]; a[1] = 2;"), "Exception: EIndexError => 1\n");
  EXPECT_EQ(Output("var a = [1]; x = a['-1'];"), "Exception: EIndexError => -1\n");
  EXPECT_EQ(Output("var a = [1]; a.length = 2;"), "Exception: EPropertyError => get only\n");
  EXPECT_EQ(Output("var a = [1]; a.delete(4);"), "Exception: EIndexError => \n");
  EXPECT_EQ(Output("var a = [1]; a['name'] = 'n'; println(a.name, a.getProperties(), a.hasKey('name'));"),
            "n\n0\ntrue\n");
  EXPECT_EQ(Output("var a = [1, 2]; println(a.getKeys());"),
            "0\n1\nadd\nclear\nconcat\ndelete\ngetKeys\ngetMethods\ngetProperties\nhasKey\njoin\npop\npush\nreverse\n"
            "shift\nslice\nsort\nsplice\ntoString\nunShift\n");
}

TEST(Array, JoinConcatSliceSplice) {
  EXPECT_EQ(Output("println([1, null, 2].join(), '[' + [null].join() + ']', [1, 2].join(' - '), [1, [2, 3]].toString());"),
            "1,,2\n[]\n1 - 2\n1,2,3\n");
  EXPECT_EQ(Output("var a = [1, 2]; println(typeof(a.concat())); var c = a.concat([3, [4]], 5); println(c.length, c[2], c[3].length);"),
            "undefined\n5\n3\n1\n");
  EXPECT_EQ(Output("var a = [1, 2, 3]; println(a.slice(-2).join(), '[' + a.slice(-10).join() + ']', a.slice(1, 2).join(), a.slice(2, 1).length);"),
            "2,3\n[]\n2\n0\n");
  EXPECT_EQ(Output("var a = [1, 2, 3]; var r = a.splice(1, 5); println(r.length, a.join());"
                   "r = a.splice(1, 1); println(r.join(), a.join());"
                   "a = [1, 2, 3]; r = a.splice(1, 0, 'x', 'y'); println(r.length, a.join());"
                   "a = [1, 2]; a.splice(-1, 1); println(a.join()); a.splice(9, 0, 'end'); println(a.join());"),
            "0\n1,2,3\n2\n1,3\n0\n1,x,y,2,3\n1\n1,end\n");
}

TEST(Array, StackMethodsAndOrder) {
  // One call per statement: arguments are evaluated last to first.
  EXPECT_EQ(Output("var a = [3]; println(a.unShift(1, 2) == a); println(a.join()); println(a.push(4, 5));"
                   "println(a.pop()); println(a.shift()); println(a.join());"
                   "var e = []; println(typeof(e.pop())); println(typeof(e.shift())); println(e.add('x'));"
                   "println(typeof(e.add())); println(e.join());"
                   "println([1, 2, 3].reverse().join(), [1, 2, 3, 4].reverse().join()); e.clear(); println(e.length);"),
            "true\n1,2,3\n5\n5\n1\n2,3,4\nundefined\nundefined\n0\nundefined\nx\n3,2,1\n4,3,2,1\n0\n");
}

TEST(Array, Sort) {
  EXPECT_EQ(Output("function up(a, b) { return a - b; } function down(a, b) { return b - a; }"
                   "var a = [5, 3, 9, 1, 3, 7]; a.sort(up); println(a.join()); a.sort(down); println(a.join());"
                   "var b = [10, 9, 1, 100]; b.sort(); println(b.join()); b.sort(5); println(b.join());"
                   "var s = ['b', 'a']; s.sort(); println(s.length);"
                   "var big = []; for (i = 0; i < 2000; i++) big.push((i * 7919) % 1000); big.sort(up);"
                   "var ok = true; for (i = 1; i < big.length; i++) if (big[i - 1] > big[i]) ok = false; println(ok);"),
            "1,3,3,5,7,9\n9,7,5,3,3,1\n1,9,10,100\n1,9,10,100\n2\ntrue\n");
  EXPECT_EQ(Output("function bad(a, b) { throw 'no'; } [2, 1].sort(bad);"), "Exception: EThrow => \n");
  // A comparison that empties the array cannot make the sort read outside it.
  EXPECT_EQ(Output("var a = [3, 1, 2, 5, 4]; function evil(x, y) { a.clear(); return x - y; } a.sort(evil); println(a.length);"),
            "0\n");
  // Comparisons that never answer 0 (not even for an element and itself) still end.
  struct Case {
    const char* name;
    const char* compare;
  };
  constexpr Case kNeverEqual[] = {
      {"never less", "return 1;"},
      {"never greater", "return -1;"},
      {"greater first, else 1", "if (a > b) return -1; return 1;"},
      {"less first, else 1", "if (a < b) return -1; return 1;"},
  };
  for (const Case& c : kNeverEqual) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Output(std::string("function cmp(a, b) { ") + c.compare + " }"
                     "var a = [5, 9, 1, 7, 3, 8, 2, 6, 4, 0, 11, 15, 12, 14, 13, 10]; a.sort(cmp); println(a.length);"),
              "16\n");
  }
}

TEST(Number, ValuesConstantsAndRadix) {
  EXPECT_EQ(Output("var n = new Number(255); println(n.toString(16), n.toString(2), n.toString(), n.toString(10));"
                   "println(new Number(-1).toString(16), new Number(-1).toString(2).length, new Number(0).toString(2));"
                   "println(new Number('12').toString(), new Number('x').toString(), new Number().toString());"
                   "println(Number.MAX_VALUE, Number.MIN_VALUE, Number.NEGATIVE_INFINITY, Number.NaN);"
                   "println((255).toString(16), (5).toString(2));"),
            "000000FF\n11111111\n255\n255\nFFFFFFFF\n32\n0\n12\n0\n0\n1.7E308\n4.94065645841247E-323\ninfinity\nNaN\n"
            "000000FF\n101\n");
  EXPECT_EQ(Output("println(true.toString(), new Boolean(0).toString(), new Boolean('0').toString(), (1 == 1).toString());"),
            "true\nfalse\ntrue\ntrue\n");
}

TEST(Math, Functions) {
  EXPECT_EQ(Output("println(Math.round(2.5), Math.round(3.5), Math.round(-2.5), Math.abs(-3), Math.abs(-3.5), Math.abs('-2.5'));"
                   "println(typeof(Math.max(1)), Math.max(1, 5, 9), Math.min(4, 2), Math.ceil(1.2), Math.floor(-1.2));"
                   "println(Math.atan2(1, 0) * 2 == Math.PI, Math.PI, Math.E, Math.SQRT2);"
                   "println(Math.pow(2, 10), Math.pow(2, -1), Math.pow(0, 3), Math.pow(5, 0), Math.pow(4, 0.5));"
                   "println(Math.sqrt(16), Math.exp(0), Math.log(1), Math.random(7));"
                   "var r = Math.random(); println(r >= 0 && r < 1);"),
            "2\n4\n-2\n3\n3.5\n0\nundefined\n5\n2\n2\n-2\ntrue\n3.14159265358979\n2.71828182845905\n1.4142135623731\n"
            "1024\n0.5\n0\n1\n2\n4\n1\n0\n7\ntrue\n");
  EXPECT_EQ(Output("Math.PI = 3;"), "Exception: EPropertyError => get only\n");
  EXPECT_EQ(Output("x = Math.sqrt(-1);"), "Exception: EMathError => sqrt error\n");
  EXPECT_EQ(Output("x = Math.log(0);"), "Exception: EMathError => log error\n");
  EXPECT_EQ(Output("x = Math.round(1e12);"), "Exception: EMathError => round error\n");
  EXPECT_EQ(Output("x = Math.pow(-8, 0.5);"), "Exception: EMathError => pow error\n");
  EXPECT_EQ(Output("x = Math.asin(2);"), "Exception: EMathError => asin error\n");
  EXPECT_EQ(Output("try { x = Math.pow(0, -1); } catch (e) { println(e); }"), "EMathError\n");
}

TEST(Math, PowerRule) {
  EXPECT_EQ(MathPower(3, 4), 81.0);
  EXPECT_EQ(MathPower(2, -2), 0.25);
  EXPECT_EQ(MathPower(-2, 3), -8.0);
  EXPECT_EQ(MathPower(0, 0), 1.0);
  EXPECT_FALSE(MathPower(0, -1));
  EXPECT_FALSE(MathPower(-1, 0.5));
  EXPECT_FALSE(MathPower(10, 400));
  EXPECT_NEAR(*MathPower(2, 0.5), 1.4142135623730951, 1e-15);
}

// Objects used as tables (many names, or one removed) call their class's methods as other
// objects do; an own entry of the method's name comes first (outputs of the general path).
TEST(Objects, MethodsOfObjectsUsedAsTables) {
  EXPECT_EQ(Output("function fill(o, n) { for (i = 0; i < n; i++) o['k' + i] = i; return o; }"
                   "function mine(k) { return 'own ' + k; }"
                   "t = fill({}, 40);"
                   "println(t.hasKey('k39') + ' ' + t.hasKey('k40') + ' ' + t.hasKey('hasKey'));"
                   "t.hasKey = mine; println(t.hasKey('k1'));"
                   "u = { a: 1, b: 2 }; delete u.a;"
                   "println(u.hasKey('a') + ' ' + u.hasKey('b') + ' ' + u.toString());"
                   "try { u.nosuch(1); } catch (e) { println(e); }"
                   "w = fill(new Array(), 40); println(w.hasKey('k3') + ' ' + w.length);"
                   "w.push(5); println(w.length + ' ' + w.pop());"),
            "true false true\nown k1\ntrue true [Object]\nENameError\ntrue 0\n0 5\n");
}

// Booleans in arrays and members are overwritten in place like numbers; texts are not
// (outputs of the general path).
TEST(Array, ElementsAndMembersOfEveryPlainKindOverwritten) {
  EXPECT_EQ(Output("class Box { flag = true; count = 0;"
                   " function bump(n) { for (i = 0; i < n; i++) { this.flag = i; this.count += 2; }"
                   " return this.flag + this.count; } }"
                   "function sieve(a, n) {"
                   " for (i = 0; i < n; i++) a[i] = i % 3 == 0; println(a.join(','));"
                   " for (i = 0; i < n; i += 2) a[i] = 1.5; a[3] = 's'; println(a.join(','));"
                   " for (i = 0; i < n; i++) a[i] = i > 4; return a.join(','); }"
                   "a = []; for (i = 0; i < 8; i++) a.push(false);"
                   "println(sieve(a, 8)); println(new Box().bump(5));"),
            "true,false,false,true,false,false,true,false\n1.5,false,1.5,s,1.5,false,1.5,false\n"
            "false,false,false,false,false,true,true,true\n14\n");
}

// Whole exponents: the product of the squares for the exponent's bits, bit for bit as
// the plain loop gives it, also where the squares fall to zero or into the subnormals.
TEST(Math, WholePowersAreTheProductOfTheSquares) {
  const auto plain = [](double base, double exponent) -> std::optional<double> {
    auto n = static_cast<std::int64_t>(std::fabs(exponent));
    double square = base;
    double result = 1.0;
    for (; n > 0; n >>= 1, square *= square) {
      if ((n & 1) != 0) result *= square;
    }
    if (exponent < 0) {
      if (result == 0) return std::nullopt;
      result = 1.0 / result;
    }
    if (!std::isfinite(result)) return std::nullopt;
    return result;
  };
  for (const double base : {2.0 / 3.0, -0.5, 0.999, 1e-10, -3e-160, 1e-300, 7.0, -1.0000001, 0x1p-538, 0x1p-537}) {
    for (const double exponent : {1.0, 2.0, 3.0, 7.0, 64.0, 1023.0, 1500.0, 1841.0, 65537.0, 999999.0, 2147483647.0,
                                  -1.0, -3.0, -40.0, -1025.0}) {
      SCOPED_TRACE(::testing::Message() << base << " ^ " << exponent);
      const std::optional<double> expected = plain(base, exponent);
      const std::optional<double> got = MathPower(base, exponent);
      ASSERT_EQ(got.has_value(), expected.has_value());
      if (got) EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(*expected));
    }
  }
}

// Inside a function, Math's functions over locals are worked out as numbers; every case
// gives what the general call gives (outputs taken from the general path).
TEST(Math, FunctionsInsideNumericExpressions) {
  struct Case {
    const char* name;
    const char* script;
    const char* output;
  };
  const Case cases[] = {
      {"each function",
       "function f(x, y) { a = Math.sqrt(x * x + y * y); b = Math.pow(x, y) + Math.max(x, y) * Math.min(y, 2);"
       " c = Math.floor(x / 2) + Math.ceil(y / 3) + Math.round(x + 0.5);"
       " d = Math.abs(-x) + Math.abs(x - 10.5) + Math.atan2(y, x) + Math.sin(x) + Math.exp(1) + Math.log(y);"
       " return [a, b, c, typeof(c), d, Math.floor(x) * 2]; }"
       "println(f(3, 4).join(' ')); println(f(-7, 2.5).join(' '));",
       "5 89 7 number 15.6729914156404 6\nException: EMathError => pow error\n"},
      {"a member replaced, the name rebound",
       "function hundred(v) { return 100; }"
       "function g(n) { s = 0; for (i = 0; i < n; i++) { if (i == 5) Math.sqrt = hundred; s = s + Math.sqrt(i); } return s; }"
       "println(g(10));"
       "function minus(v) { return -1; }"
       "function h(v) { Math = { sqrt: minus }; return Math.sqrt(v) * 2; }"
       "println(h(4));",
       "506.146264369942\n-2\n"},
      {"faults, texts, booleans, other argument counts",
       "function k(v, t) {"
       " try { x = Math.sqrt(v) + 1; println(x); } catch (e) { println(e); }"
       " try { x = 2 * Math.pow(v, 0.5); println(x); } catch (e) { println(e); }"
       " x = Math.floor(t) + Math.sqrt(v * v, 9); println(x);"
       " println(Math.floor(true) + Math.pow(2, 1100 / 1100));"
       " try { x = 1 + Math.min(v); println(x); } catch (e) { println(e); } }"
       "k(16, '2.5'); k(-4, '7');",
       "5\n8\n18\n2\nENameError\nEMathError\nEMathError\n11\n2\nENameError\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Output(c.script), c.output);
  }
}

}  // namespace
}  // namespace kestrin
