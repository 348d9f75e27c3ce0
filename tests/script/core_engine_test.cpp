// The evaluator and the host component, through script texts: evaluation order,
// scoping, statements and their pairing, classes, modules, object lifetime, printed
// errors, runaway recursion and abort.
#include <gtest/gtest.h>

#include <string>

#include "core_script_runner.h"
#include "script/builtins/global.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace kestrin {
namespace {

using testing::Lines;
using testing::Output;
using testing::RunScript;

TEST(EvaluationOrder, OperandsRightToLeftAndBothLogicalSides) {
  // Inside a function a plain assignment makes a local, so the log is a member.
  EXPECT_EQ(Output("var L = {s: ''}; function f() { L.s += 'f'; return 1; } function g() { L.s += 'g'; return 2; }"
                   "function h(a, b) { L.s += 'h'; return a * 10 + b; }"
                   "var r = f() + g(); println(L.s); println(r); L.s = '';"
                   "r = h(f(), g()); println(L.s); println(r); L.s = '';"
                   "r = f() || g(); println(L.s); println(r); L.s = '';"
                   "function x() { L.s += 'x'; return 'X'; } function y() { L.s += 'y'; return 'Y'; }"
                   "r = true ? x() : y(); println(L.s); println(r);"
                   // Arguments are evaluated last to first: the log is read after f ran.
                   "L.s = ''; println(L.s, f());"),
            "gf\n3\ngfh\n12\ngf\ntrue\nyx\nX\nf\n1\n");
}

TEST(EvaluationOrder, MembersListsAndAssignments) {
  EXPECT_EQ(Output("var L = {s: ''}; var o = {k: 1};"
                   "function obj() { L.s += 'o'; return o; } function key() { L.s += 'k'; return 'k'; }"
                   "function val() { L.s += 'v'; return 5; }"
                   "obj()[key()] = val(); println(L.s); println(o.k); L.s = '';"
                   "var a = [obj(), key(), val()]; println(L.s); L.s = '';"
                   "var p = {a: obj(), b: key()}; println(L.s);"),
            "vok\n5\nvko\nko\n");
}

TEST(EvaluationOrder, KeysOfBasesThatCannotTakeThemAreNotEvaluated) {
  EXPECT_EQ(Output("var L = {s: ''}; function k() { L.s += 'k'; return 0; } var n = 5; var s = 'ab';"
                   "try { n[k()] = 1; } catch (e) { println(e, L.s); }"
                   "try { s[k()] = 1; } catch (e) { println(e, L.s); }"
                   "try { n[k()] += 1; } catch (e) { println(e, L.s); }"
                   "try { s[k()] += 1; } catch (e) { println(e, L.s); }"),
            "ENameError\n\nENameError\n\nEKeyError\n\nENameError\nk\n");
}

TEST(EvaluationOrder, CompoundTargetsAreEvaluatedOnce) {
  EXPECT_EQ(Output("var C = {n: 0}; var a = [10, 20]; function k() { C.n++; return 1; }"
                   "a[k()] += 5; println(a[1]); println(C.n);"
                   "var o = {b: 7}; println(o.b++); println(o.b); println(++o.b); println(o.b--); println(o.b);"
                   "var i = 0; a[i++] = 3; println(i); println(a[0]);"),
            "25\n1\n7\n8\n9\n9\n8\n1\n3\n");
}

// Integer operands of / and % (the evaluator's own path), the wrapping and zero divisors
// included.
TEST(Arithmetic, IntegerDivisionAndRemainder) {
  EXPECT_EQ(Output("var a = [7, 0 - 7, 0 - 2147483647 - 1], b = [2, 0 - 1, 3], z = 0, i, j, s = '';"
                   "for (i = 0; i < 3; i++) for (j = 0; j < 3; j++) s += a[i] / b[j] + ' ' + a[i] % b[j] + ' ';"
                   "try { s += 1 / z; } catch (e) { s += e; } try { s += 1 % z; } catch (e) { s += ' ' + e; } println(s);"),
            "3.5 1 -7 0 2.33333333333333 1 -3.5 -1 7 0 -2.33333333333333 -1 -1073741824 0 2147483648 0 "
            "-715827882.666667 -2 EZDError EZDError\n");
}

// Inside a function, expressions over its locals run as numeric trees; at module level
// the same expressions take the general way. Every operator, every kind of operand, both
// ways: the same text or the same error.
TEST(NumericTrees, AgreeWithTheGeneralWayForEveryKindOfOperand) {
  const char* expressions[] = {
      "a + b * 2 - a / b", "a % b", "a div b", "(a << 3) >> 1", "a >>> b", "a & b | a ^ b", "a < b", "a >= b",
      "a > b", "a <= b", "a == b", "a != b", "a === b", "a !== b", "a && b", "a || b", "!a", "-a", "+a", "~b",
      "a ? b : a",
  };
  for (const char* e : expressions) {
    SCOPED_TRACE(e);
    const std::string expr = e;
    const std::string script =
        "function f(a, b) { return " + expr + "; }"
        "var vals = [3, 0 - 7, 0, 2.5, 0.0 - 0.5, 0.0, true, false, '12', 'x', null, 2147483647, 0 - 2147483647 - 1,"
        " 1e300 * 1e300 - 1e300 * 1e300];"
        "var i, j, a, b, inFunction = '', atModule = '';"
        "for (i = 0; i < vals.length; i++) for (j = 0; j < vals.length; j++) {"
        "  a = vals[i]; b = vals[j];"
        "  try { inFunction += f(a, b) + ','; } catch (e) { inFunction += e + ','; }"
        "  try { atModule += (" + expr + ") + ','; } catch (e) { atModule += e + ','; }"
        "}"
        "println(inFunction == atModule ? 'same' : inFunction + ' | ' + atModule);";
    EXPECT_EQ(Output(script), "same\n");
  }
}

// Elements of an array in a local, read and written by numeric trees, against the same
// reads and writes at module level: every kind of element, key and container.
TEST(NumericTrees, ElementsAgreeWithTheGeneralWay) {
  EXPECT_EQ(Output("function rd(a, i) { return a[i] * 2 + a[i]; }"
                   "function wr(a, i, v) { a[i] = v; x = a[i]; return x; }"
                   "function cnt(a, i) { a[i] = a[i] - 1; return a[i] > 0; }"
                   "var arrays = [[1, 2.5, 's', true, null, {}], 'text', {a: 1}, 7];"
                   "var keys = [0, 1, 2, 3, 4, 5, 6, 0 - 1, 1.5, '1'], values = [4, 0.5, 'v', false, null];"
                   "var i, j, k, a, key, v, r1 = '', r2 = '';"
                   "for (i = 0; i < arrays.length; i++) for (j = 0; j < keys.length; j++) {"
                   "  a = arrays[i]; key = keys[j];"
                   "  try { r1 += rd(a, key) + ','; } catch (e) { r1 += e + ','; }"
                   "  try { r2 += (a[key] * 2 + a[key]) + ','; } catch (e) { r2 += e + ','; }"
                   "  for (k = 0; k < values.length; k++) {"
                   "    v = values[k];"
                   "    try { r1 += wr(a, key, v) + ','; } catch (e) { r1 += e + ','; }"
                   "    try { a[key] = v; r2 += a[key] + ','; } catch (e) { r2 += e + ','; }"
                   "  }"
                   "  try { r1 += cnt(a, key) + ','; } catch (e) { r1 += e + ','; }"
                   "  try { a[key] = a[key] - 1; r2 += (a[key] > 0) + ','; } catch (e) { r2 += e + ','; }"
                   "}"
                   "println(r1 == r2 ? 'same' : r1 + ' | ' + r2);"),
            "same\n");
}

// Members of `this` and of objects in locals, read and written by numeric trees: class
// instances (a base class's member is written by name), plain objects of several shapes,
// missing members, methods, arrays, strings and numbers as the object, against the same
// reads and writes at module level.
TEST(NumericTrees, MembersAgreeWithTheGeneralWay) {
  EXPECT_EQ(Output("class P { x = 1; y = 2.5; s = 'a'; function P() {}"
                   "  function m() { return this.x * 2 + this.y; }"
                   "  function inc(d) { this.x += d; this.y = this.y * 2; this.s += d; return this.x + ',' + this.y + ',' + this.s; } }"
                   "class Q extends P { z = 3; function Q() {} function setX(d) { this.x = d * 2; this.z -= d; return this.x + this.z; } }"
                   "function rd(o) { return o.x * 2 + o.y; }"
                   "function wr(o, v) { o.x = v; o.y -= v; r = o.x + ',' + o.y; return r; }"
                   "function el(o, i) { return o.a[i] + 1; }"
                   "function make() { return [new P(), new Q(), {x: 1, y: 2}, {y: 1, x: 'a'}, {y: 1}, {x: 1, y: 2, a: [5, 6]}, [1, 2], 'str', 5, {x: rd, y: 1}]; }"
                   "var objects = make(), others = make();"
                   "var i, k, o, r1 = '', r2 = '', vals = [3, 0.5, 'v', null];"
                   "for (k = 0; k < 3; k++) for (i = 0; i < objects.length; i++) {"
                   "  o = objects[i];"
                   "  try { r1 += rd(o) + ','; } catch (e) { r1 += e + ','; }"
                   "  try { r1 += wr(o, vals[(i + k) % 4]) + ','; } catch (e) { r1 += e + ','; }"
                   "  try { r1 += el(o, k) + ','; } catch (e) { r1 += e + ','; }"
                   "  o = others[i];"
                   "  try { r2 += (o.x * 2 + o.y) + ','; } catch (e) { r2 += e + ','; }"
                   "  try { o.x = vals[(i + k) % 4]; o.y -= vals[(i + k) % 4]; r2 += o.x + ',' + o.y + ','; } catch (e) { r2 += e + ','; }"
                   "  try { r2 += (o.a[k] + 1) + ','; } catch (e) { r2 += e + ','; }"
                   "}"
                   "var p = new P(), q = new Q();"
                   "println(r1 == r2 ? 'same' : r1 + ' | ' + r2);"
                   "println(p.m(), p.inc(2), p.inc(0.5), q.setX(4), q.x, q.m());"),
            "same\n17\n3.5,10,a0.52\n1.5,5,a0.5\n7\n1\n4.5\n");
}

TEST(NumericTrees, LocalsAssignedInPlaceKeepTheirMeaning) {
  // Integers wrap; a local read before its assignment is the module's variable; a tree
  // that keeps meeting strings settles on the general way and still gives the same; a
  // condition of && evaluates both sides; ++ of a double steps its integer part.
  EXPECT_EQ(Output("var q = 21;"
                   "function f(n) { k = 2147483647; t = 0; for (i = 0; i < n; i++) { k = k + i; t += i * i; } return k + ' ' + t; }"
                   "function g() { w = q * 2; q = 5; return w + ' ' + q * 2; }"
                   "function h(a) { return a * 2 + 1; }"
                   "function s(a) { a++; b = a; b--; a += 1; a -= 0.5; a *= 2; return a + ' ' + b; }"
                   "function both(x) { n = 0; while (x++ < 3 && (n = n + 1) < 100) {} return n; }"
                   "var r = '', i; for (i = 0; i < 20; i++) r += h(i % 2 == 0 ? '4' : i) + ',';"
                   "println(f(10), g(), r, s(1), s(1.5), s('3'), both(0));"),
            "-2147483604 285\n42 10\n9,3,9,7,9,11,9,15,9,19,9,23,9,27,9,31,9,35,9,39,\n5 1\n7 2\n9 3\n4\n");
}

// Typed evaluation takes the kinds a tree's locals hold when it is first examined: every
// expression in functions examined with each pair of operand kinds (and with an integer
// and a double) and then run with each pair, as a value, a condition and a return value,
// against the same at module level.
TEST(NumericTrees, TypedEvaluationAgreesWithTheGeneralWay) {
  const char* expressions[] = {
      "a + b * 2.5 - a / b", "a * b - (a - b)", "-(a * 1.5) + b", "a / b", "a < b * 1.0", "(a + 0.5) <= b",
      "a == b", "a != b * 1.0", "a === b", "(a < b) && (b >= a * 2.0)", "(a > b) || !(a <= b)", "!(a * 1.5 == b)",
      "(a * 0.5) || (b < a)", "(a < b) == (b >= a)", "!(a * 0.5) && b / 2", "(a < b) * 1.5 + (a - b * 0.5)",
  };
  const char* vals = "[3, 0, 2.5, 0.0, true, '12', 2147483647, 1e300 * 1e300, 0.0 - 1e300 * 1e300]";
  const int count = 9;
  for (const char* e : expressions) {
    SCOPED_TRACE(e);
    const std::string expr = e;
    const std::string body = "r = " + expr + "; if (" + expr + ") q = 't'; else q = 'f'; return r + q + (" + expr + ");";
    std::string script = "var vals = " + std::string(vals) + ", fs = [], gs = [], inFunction = '', atModule = '';";
    for (int k = 0; k < count * count; ++k) {
      script += "function f" + std::to_string(k) + "(a, b) { " + body + " } fs.push(f" + std::to_string(k) + ");";
      script += "function g" + std::to_string(k) + "(a, b) { " + body + " } gs.push(g" + std::to_string(k) + ");";
    }
    script +=
        "var i, j, a, b, r, q;"
        "for (i = 0; i < vals.length; i++) for (j = 0; j < vals.length; j++) {"
        "  a = vals[i]; b = vals[j];"
        "  try { gs[i * vals.length + j](3, 2.5); } catch (x) {}"
        "  try { inFunction += fs[i * vals.length + j](a, b) + ','; } catch (x) { inFunction += x + ','; }"
        "  try { inFunction += gs[i * vals.length + j](a, b) + ','; } catch (x) { inFunction += x + ','; }"
        "  try { r = " + expr + "; if (" + expr + ") q = 't'; else q = 'f'; atModule += r + q + (" + expr + ") + ','; } catch (x) { atModule += x + ','; }"
        "  try { r = " + expr + "; if (" + expr + ") q = 't'; else q = 'f'; atModule += r + q + (" + expr + ") + ','; } catch (x) { atModule += x + ','; }"
        "}"
        "println(inFunction == atModule ? 'same' : inFunction + ' | ' + atModule);";
    EXPECT_EQ(Output(script), "same\n");
  }
}

// Loops in a function run their bodies as plans of steps; at module level the same loops
// take the general way. Comma statements, break, continue, bodies of one statement, locals
// that turn to strings and arrays mid-loop, wrapping, element and member stores, nested
// loops of every kind: the same text both ways.
TEST(LoopPlans, AgreeWithTheGeneralWay) {
  const std::string body =
      "s = ''; a = [0, 0, 0]; o = {m: 1};"
      "for (i = 0; i < 12; i++) {"
      "  x = i * 1.5, y = i % 3;"
      "  if (y == 0) continue;"
      "  if (i == 10) { break; } else a[y] = x;"
      "  z = x; z += y; z -= 0.25; k = i; k++; k--; ++k; o.m = o.m * 2 + k;"
      "  if (i == 5) z = 'str';"
      "  if (i == 7) z = [i, o];"
      "  s += (typeof z) + ','; if (i != 7) s += z;"
      "  w = 0; do { w += 2; if (w > 4) break; } while (w < 10);"
      "  t = 2147483647; t = t + i;"
      "  while (t > 2147483600 && w < 9) { w++; t = t - 1; }"
      "  for (n = 0; n < 3; n++) w += n;"
      "  while (n < 6) n++;"
      "  if (k > 8) { if (y == 1) { w += 100; } else if (y == 2) w += 200; else { w += 300; } }"
      "  else if (k < 3) { s += 'low'; if (w > 5) continue; } else n = n * 1.5;"
      "  s += w + ';' + t + ';' + k + ';' + n + ';' + a.join(',') + ';' + o.m + '|';"
      "}";
  const std::string script = "function f() { " + body + " return s; } var inFunction = f();"
                             "var s, a, o, i, x, y, z, k, w, t, n; " + body +
                             "println(inFunction == s ? 'same' : inFunction + ' | ' + s);"
                             "function r(n) { for (i = 0; i < 10; i++) { j = i * 2; if (j > n) return j; } return 0 - 1; }"
                             "println(r(5), r(100));";
  EXPECT_EQ(Output(script), "same\n6\n-1\n");
}

TEST(Scoping, FunctionsMakeLocalsAndSeeModuleVariables) {
  EXPECT_EQ(Output("var x = 1; function f() { x = 2; return x; } println(f(), x);"
                   "var y = 3; function g() { return y + 1; } println(g());"),
            "2\n1\n4\n");
}

TEST(Scoping, MethodsReadMembersByBareNameAndStillSeeGlobals) {
  EXPECT_EQ(Output("function show() { println(v); v = 9; println(v, this.v); return parseInt('12'); }"
                   "var o = {v: 5, show: show}; println(o.show());"),
            "5\n9\n5\n12\n");
}

TEST(Scoping, GlobalObjectMembersShadowModuleVariables) {
  EXPECT_EQ(Output("var print = 5; println(typeof print); var mine = 1; println(mine);"), "function\n1\n");
  // Inside a method or a `with` body the module's variables come before the global object.
  EXPECT_EQ(Output("var args = 'mine'; function show() { return args; } var o = {f: show};"
                   "println(o.f()); with (o) { println(args); } println(typeof args);"),
            "mine\nmine\nobject\n");
}

TEST(Scoping, MemberWritesOnModuleValuesReachTheModulesVariables) {
  EXPECT_EQ(Output("var x = 1; function f(x) { __Global__.x = x + 1; return x; } println(f(10)); println(x, __Global__.x);"),
            "10\n11\n11\n");
}

TEST(Scoping, BuiltInNamesComeBackOnTheNextRun) {
  TKestrin host;
  auto first = RunScript(host, "Math = 1; println(Math);");
  EXPECT_EQ(Lines(first.output), "1\n");
  first = RunScript(host, "println(typeof(Math), Math.floor(2.5));");
  EXPECT_EQ(Lines(first.output), "object\n2\n");
}

TEST(Statements, DeclarationsBindWhenTheyRun) {
  auto run = RunScript("f(); function f() {}");
  EXPECT_EQ(Lines(run.output), "Exception: ENameError => f\n");
  EXPECT_EQ(run.outcome, TJRunOutcome::ScriptError);
  EXPECT_EQ(run.result, 0);
}

TEST(Statements, Loops) {
  EXPECT_EQ(Output("for (i = 0; i < 3; i++) { if (i == 1) continue; } println(i);"
                   "var n = 0; while (true) { n++; if (n > 4) break; } println(n);"
                   "var m = 0; do { m += 2; } while (m < 7); println(m);"
                   "var s = ''; for (i = 0; i < 3; i++) for (j = 0; j < 3; j++) { if (j == 2) break; s += i + '' + j + ' '; }"
                   "println(s); break; continue; println('after');"
                   "function first(a) { for (i = 0; i < a.length; i++) { if (a[i] > 2) return a[i]; } return -1; }"
                   "println(first([1, 5, 3]), first([]));"),
            "3\n5\n8\n00 01 10 11 20 21 \nafter\n5\n-1\n");
}

TEST(Statements, ForInWalksDataMembersInOrder) {
  EXPECT_EQ(Output("var o = {b: 1, a: 2, m: 3}; o.m = 4; var s = ''; for (k in o) s += k + '=' + o[k] + ' '; println(s);"
                   "var t = ''; for (k in [7, 8]) t += k; println(t);"),
            "a=2 b=1 m=4 \n01\n");
  EXPECT_EQ(Output("for (k in 5) {}"), "Exception: ETypeError => \n");
  EXPECT_EQ(Output("with (3) {}"), "Exception: ETypeError => \n");
}

TEST(Statements, WithPutsAnObjectFirst) {
  EXPECT_EQ(Output("var o = {a: 1}; with (o) { println(a); a = 5; } println(o.a, a);"), "1\n1\n5\n");
}

TEST(TryCatchFinally, PairingWithinAChain) {
  EXPECT_EQ(Output("try { throw 5; } x = 1; catch (e) { println(e); }"), "5\n");
  EXPECT_EQ(Output("try { throw 5; } x = 1; catch (e) { } println(x);"),
            "Exception: ENameError => x\n");
  EXPECT_EQ(Output("try { y = undefinedName; } catch (e) { println(e); }"), "ENameError\n");
  EXPECT_EQ(Output("try { } finally { println('fin'); }"), "fin\n");
  auto run = RunScript("function t() { try { throw 'x'; } finally { println('f1'); } println('skipped'); }"
                       "try { t(); } finally { println('f2'); } catch (e) { println('caught ' + e); }");
  EXPECT_EQ(Lines(run.output), "f1\nf2\ncaught x\n");
  run = RunScript("try { throw 'x'; } finally { println('f'); }");
  EXPECT_EQ(Lines(run.output), "f\nException: EThrow => \n");
  EXPECT_EQ(Output("for (i = 0; i < 5; i++) { try { if (i == 2) break; } catch (e) { } } println(i);"), "2\n");
  EXPECT_EQ(Output("function f() { try { return 1; } finally { println('not reached'); } } println(f());"), "1\n");
  EXPECT_EQ(Output("try { try { throw 'in'; } catch (e) { throw e + '2'; } } catch (e) { println(e); }"), "in2\n");
  EXPECT_EQ(Output("try { throw {m: 'obj'}; } catch (e) { println(e.m); }"), "obj\n");
}

TEST(Errors, PrintedForms) {
  EXPECT_EQ(Output("throw 'x';"), "Exception: EThrow => \n");
  EXPECT_EQ(Output("x = nothing;"), "Exception: ENameError => nothing\n");
  EXPECT_EQ(Output("z = 0; x = 1 / z;"), "Exception: EZDError => \n");
  EXPECT_EQ(Output("x = 5; x();"), "Exception: ECallError => call error\n");
  EXPECT_EQ(Output("x = [1]; y = x[3];"), "Exception: EIndexError => 3\n");
  EXPECT_EQ(Output("x = (5)[1];"), "Exception: EKeyError => \n");
  EXPECT_EQ(Output("class A {} A();"), "Exception: ECallError => \n");
  EXPECT_EQ(Output("x = new Nothing();"), "Exception: ENameError => Nothing\n");
  EXPECT_EQ(Output("o = {}; o.missing = 1;"), "Exception: ENameError => missing\n");
  EXPECT_EQ(Output("x = undefinedVariable + 1;"), "Exception: ENameError => undefinedVariable\n");
}

TEST(Classes, ConstructorsMembersAndBases) {
  EXPECT_EQ(Output("class A { v = 1; function A(x) { this.v = x; } function get() { return v; } }"
                   "var a = new A(7); println(a.v, a.get(), a.toString());"
                   "class B extends A { w = 2; function B(x) { this.w = x * 2; } function get() { return super.get() + 100; } }"
                   "var b = new B(3); println(b.v, b.w, b.get(), b.toString());"
                   "class C { n; } var c = new C(); println(c.n);"
                   "class D(A) { } println(new D(4).v);"),
            "7\n7\n[A]\n3\n6\n103\n[B]\nnull\n4\n");
}

// One member expression meets objects of many layouts (its remembered layout must never
// answer for another one), tables of many names, and a native method shadowed by a member.
TEST(Classes, OneMemberExpressionServesEveryLayout) {
  EXPECT_EQ(Output("class A { x = 1; function A(v) { this.x = v; } function get() { return x; } }"
                   "class B extends A { y = 2; function get() { return super.get() + 100; } }"
                   "function readX(o) { return o.x; } function writeX(o, v) { o.x = v; return o.x; }"
                   "function describe(o) { return o.toString(); }"
                   "var objs = [{x: 1, y: 2}, {y: 3, x: 4}, new A(7), new B(8), {x: 9}], i, s = '';"
                   "for (i = 0; i < objs.length; i++) s += readX(objs[i]) + ',' + writeX(objs[i], i) + ',' + describe(objs[i]) + ' ';"
                   "println(s); var t = {}; for (i = 0; i < 100; i++) t['k' + i] = i;"
                   "s = 0; for (i = 0; i < 100; i++) s += t['k' + i]; println(s, readX({x: 't'}));"
                   "var p = {x: 1}, f = p.hasKey; p.hasKey = 42; println(f('x'), p.hasKey, describe(p));"
                   "try { readX({y: 1}); } catch (e) { println(e); } try { writeX({y: 1}, 3); } catch (e) { println(e); }"
                   "var b = new B(1); b.x = 77; println(b.get(), readX(b));"),
            "0,0,[Object] 1,1,[Object] 2,2,[A] 3,3,[B] 4,4,[Object] \n4950\nt\ntrue\n42\n[Object]\nENameError\n"
            "ENameError\n177\n77\n");
}

// A class's methods are each instance's own records (their `this` is the object they were
// last read from), made only when a script reads one as a value: every order of reads,
// calls and new instances gives what records made by `new` would give.
TEST(Classes, MethodValuesKeepTheObjectTheyWereReadFrom) {
  EXPECT_EQ(Output("class C { v = 0; function C(v) { this.v = v; } function m() { return this.toString() + this.v; }"
                   "  function name() { return this.toString(); } function viaBare() { f = name; return f(); }"
                   "  function ctorBare() { g = C; g(9); return this.v; } }"
                   "class D extends C { function D(v) { this.v = v + 100; } function m() { return 'D' + super.m(); } }"
                   "var a = new C(1), b = new C(2), p = {v: 'p'}; var f = a.m; var c = new C(3);"
                   "println(c.m() + f() + b.m());"
                   "p['x'] = f; println(f() + p.x() + f());"
                   "var d = new C(4); println(d.viaBare()); d.name(); println(d.viaBare() + d.ctorBare() + d.v);"
                   "var e = new D(5); println(e.m() + e.viaBare());"
                   "function g() { p['y'] = a.m; p.y; return 1; } println(a.m(g()) + a.m(a.v));"
                   "var h = new C(6); var k = h.m; println(k === h.m, k == c.m);"),
            "[C]3[C]1[C]2\n[Object]p[Object]p[C]1\n[Global]\n[C]94\nD[D]105[Global]\n[Object]p[C]1\ntrue\ntrue\n");
}

TEST(Classes, MethodsOfAnEarlierRunCannotBeCalled) {
  TKestrin host;
  EXPECT_EQ(Lines(RunScript(host, "class C { function m() { return 1; } } Global['keep'] = new C(); println(Global.keep.m());").output),
            "1\n");
  EXPECT_EQ(Lines(RunScript(host, "try { Global.keep.m(); } catch (e) { println(e); } f = Global.keep.m; f();").output),
            "ECallError\nException: ECallError => call error\n");
}

// A published property (an array's length, Math.PI) and a member of the same name in
// other objects, read through one member expression.
TEST(Classes, PublishedPropertiesAndMembersThroughOneExpression) {
  EXPECT_EQ(Output("function len(o) { return o.length; } function pi(o) { return o.PI; }"
                   "var xs = [[1, 2], {length: 'own'}, [], [4, 5, 6], {length: 7}], s = '';"
                   "for (i = 0; i < xs.length; i++) s += len(xs[i]) + ' ';"
                   "println(s + pi(Math) + ' ' + pi({PI: 3})); try { pi({}); } catch (e) { println(e); }"),
            "2 own 0 3 7 3.14159265358979 3\nENameError\n");
}

// Instances made after the first keep their members right behind them; members added by
// name beyond that room (and past what a shared layout holds) move elsewhere intact.
TEST(Classes, InstancesGrowPastTheRoomTheirClassGaveThem) {
  EXPECT_EQ(Output("class P { a = 1; b = 2; c = 3; function P() {} function sum() { return this.a + this.b + this.c; } }"
                   "class Q extends P { d = 4; function Q() { this.a = 10; } function sum() { return super.sum() + this.d; } }"
                   "var ps = [], i, j, s = 0; for (i = 0; i < 4; i++) { ps.push(new P()); ps.push(new Q()); }"
                   "for (i = 0; i < ps.length; i++) { for (j = 0; j < 3 * i; j++) ps[i]['x' + j] = j; }"
                   "for (i = 0; i < ps.length; i++) { s += ps[i].sum(); for (j = 0; j < 3 * i; j++) s += ps[i]['x' + j]; }"
                   "println(s, ps[7].hasKey('x20'), ps[7].getKeys().length, new Q().sum());"),
            "688\ntrue\n170\n19\n");
}

// A bare name inside a method is the module variable unless the method's object (or a
// with object) holds it; the evaluator remembers shapes found without the name, so each
// way an object can come to hold it must still be seen.
TEST(Classes, BareNamesInMethodsSeeTheObjectBeforeTheModule) {
  struct Case {
    const char* name;
    const char* script;
    const char* expected;
  };
  const Case cases[] = {
      {"objects of other shapes, a member added, the variable changed",
       "var n = 'module', s = '', i, a, b, a2; class A { function get() { return n; } }"
       "class B { n = 'member'; function get() { return n; } } a = new A(); b = new B();"
       "for (i = 0; i < 2; i++) s += a.get() + ' ' + b.get() + ' ';"
       "for (i = 0; i < 2; i++) { s += a.get() + ' '; a['n'] = 'added'; }"
       "a2 = new A(); s += a2.get() + ' '; n = 'changed'; println(s + a2.get() + ' ' + a.get());",
       "module member module member module added module changed added\n"},
      // The function runs as o's method, then (o gone) as a plain function.
      {"a variable that the global object hides outside methods",
       "var o = {}, s = ''; __Global__.parseInt = 'mine'; function get() { return typeof parseInt; }"
       "o['get'] = get; s = o.get() + ' ' + o.get(); o = null; s += ' ' + get(); println(s);",
       "string string function\n"},
      {"an object used as a table gains the name in place",
       "var n = 'module', j, s = '', d; class D { x = 1; function get() { return n; } } d = new D();"
       "for (j = 0; j < 40; j++) d['m' + j] = j;"
       "for (j = 0; j < 3; j++) { s += d.get() + ' '; if (j == 1) d['n'] = 'table'; } println(s + new D().get());",
       "module module table module\n"},
      {"with bodies", "var n = 'module', s, o = {k: 1}; with (o) { s = n; } o['n'] = 'with'; with (o) { s += ' ' + n; } println(s);",
       "module with\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Output(c.script), c.expected);
  }
}

// `new` finds its class (and a class its base) where a bare name would, also after the
// name node remembered where it found it: from methods, plain functions, a local or a
// member of the same name, a class declared again.
TEST(Classes, NewFindsTheClassWhereABareNameWould) {
  EXPECT_EQ(Output("var s = '', i, n, m, o; class V { x = 1; function V(x) { this.x = x; } }"
                   "class W extends V { function W(x) { this.x = x * 10; } }"
                   "class N { function make(k) { return new W(k); } } class M { V = 5; function make() { return new V(2); } }"
                   "function plain(k) { return new V(k); } function shadow() { V = 7; return new V(1); }"
                   "n = new N(); m = new M(); for (i = 0; i < 3; i++) s += n.make(i).x + plain(i).x + ' ';"
                   "try { m.make(); } catch (e) { s += e + ' '; } s += n.make(4).x + ' ';"
                   "class V { x = 2; function V(x) { this.x = x + 100; } } s += n.make(5).x + plain(6).x + ' ';"
                   "try { shadow(); } catch (e) { s += e + ' '; } o = {}; o['mk'] = plain; s += o.mk(8).x + ' ' + plain(9).x;"
                   "println(s);"),
            "0 11 22 ENameError 40 156 ENameError 108 109\n");
}

// Instances of a class go through the shapes the last one went through; one whose
// construction went elsewhere (an initialiser that added a member to the object under
// construction, a member declared twice, the class under another name) stays right.
TEST(Classes, InstancesWhoseConstructionDivergesKeepTheirMembers) {
  EXPECT_EQ(Output("var hold = {o: null, count: 0}; function keys(o) { return o.getKeys().split(\"\\n\").join(','); }"
                   "class P { pa = 1; function P() { hold.o = this; } }"
                   "function poke() { hold.count++; if (hold.count == 2) hold.o['extra'] = 5; return hold.count; }"
                   "class Q extends P { qa = poke(); ra = 3; function Q() {} }"
                   "var a = new Q(), b = new Q(), c = new Q(); println(keys(a) + ' ' + keys(b) + ' ' + keys(c));"
                   "println(a.qa + b.qa + c.qa, b.extra, c.hasKey('extra'), c.ra + c.pa);"
                   "class R extends P { ab = 1; bb = 2; ab = 3; function R() {} } var r1 = new R(), r2 = new R();"
                   "var Alias = R; var r3 = new Alias(); println(keys(r2) + ' ' + keys(r3), r1.ab + r2.ab + r3.bb, r3);"),
            "pa,qa,ra,getKeys,getMethods,getProperties,hasKey,P,Q,toString "
            "extra,pa,qa,ra,getKeys,getMethods,getProperties,hasKey,P,Q,toString "
            "pa,qa,ra,getKeys,getMethods,getProperties,hasKey,P,Q,toString\n6\n5\nfalse\n4\n"
            "ab,bb,pa,getKeys,getMethods,getProperties,hasKey,P,R,toString "
            "ab,bb,pa,getKeys,getMethods,getProperties,hasKey,P,R,toString\n8\n[Alias]\n");
}

TEST(Classes, BaseConstructorRunsFirstWithTheSameArguments) {
  EXPECT_EQ(Output("var L = {s: ''}; class P { function P(a, b) { L.s += 'P' + a + b; } }"
                   "class Q extends P { function Q(a, b) { L.s += 'Q' + a + b; } } new Q(1, 2); println(L.s);"),
            "P12Q12\n");
}

TEST(Classes, RunawayInheritanceIsAnError) {
  EXPECT_EQ(Output("class A extends B {} class B extends A {} x = new A();"),
            "Exception: ERecursionError => too deep recursion\n");
}

TEST(Recursion, RunawayCallsRaiseACatchableError) {
  EXPECT_EQ(Output("function f() { f(); } f();"), "Exception: ERecursionError => too deep recursion\n");
  EXPECT_EQ(Output("function f(n) { return f(n + 1); } try { f(0); } catch (e) { println(e); } println('alive');"),
            "ERecursionError\nalive\n");
  // A long left-leaning expression nests as deep as the terms go.
  std::string deep = "x = 1; y = x";
  for (int i = 0; i < 200000; ++i) deep += "+x";
  deep += "; println(y);";
  auto run = RunScript(deep);
  EXPECT_TRUE(run.output == "Exception: ERecursionError => too deep recursion\r\n" || run.output == "200001\r\n")
      << run.output.substr(0, 200);
}

TEST(Recursion, ReasonableDepthStillWorks) {
  // A thousand levels fit in every build, sanitized ones included (those spend several
  // kilobytes of stack per level); an optimised build reaches about six thousand.
  EXPECT_EQ(Output("function d(n) { if (n == 0) return 0; return d(n - 1) + 1; } println(d(1000));"), "1000\n");
}

TEST(Abort, RequestedByTheHostsPoll) {
  TKestrin host;
  int polls = 0;
  host.Engine().PollInterval = std::chrono::milliseconds(1);
  host.Engine().OnPoll = [&polls](TJEngine& e) {
    if (++polls == 3) e.AbortRequested = true;
  };
  auto run = RunScript(host, "println('start'); while (true) { }");
  EXPECT_EQ(Lines(run.output), "start\nAbort Script\n");
  EXPECT_EQ(run.outcome, TJRunOutcome::Aborted);
  EXPECT_EQ(polls, 3);
  // The flag is cleared when the next run starts.
  host.Engine().OnPoll = nullptr;
  EXPECT_EQ(Lines(RunScript(host, "println('again');").output), "again\n");
}

TEST(Abort, EndsALongRegularExpressionMatch) {
  // Exponential backtracking through a back-reference: the match polls the host while it
  // runs, so Esc ends it before its step budget does.
  TKestrin host;
  int polls = 0;
  host.Engine().PollInterval = std::chrono::milliseconds(1);
  host.Engine().OnPoll = [&polls](TJEngine& e) {
    if (++polls == 3) e.AbortRequested = true;
  };
  auto run = RunScript(host, "var s = 'cb'; for (i = 0; i < 60; i++) s = 'a' + s;"
                             "println(new RegExp('(a|aa)*b\\1').test(s));");
  EXPECT_EQ(Lines(run.output), "Abort Script\n");
  EXPECT_EQ(run.outcome, TJRunOutcome::Aborted);
}

TEST(HostComponent, CompileErrorsAndEmptyTexts) {
  TKestrin host;
  std::string out;
  host.OnStdout = [&out](TKestrin&, std::string_view s) { out += s; };
  EXPECT_FALSE(host.Compile("x = ;"));
  EXPECT_EQ(out, "SyntaxError: Line( 1 ) Text( ; )");
  EXPECT_TRUE(host.CompileFailed());
  EXPECT_EQ(host.Run(), 0);
  out.clear();
  EXPECT_FALSE(host.Compile("x = 1 / 0;"));
  EXPECT_EQ(out, "Exception: EZDError => ");
  out.clear();
  EXPECT_FALSE(host.Compile("// only a comment"));
  EXPECT_FALSE(host.CompileFailed());
  EXPECT_EQ(host.Program(), nullptr);
  EXPECT_EQ(out, "");
}

TEST(HostComponent, LexerTraceReachesOnDebugout) {
  TKestrin host;
  std::vector<std::string> traces;
  host.OnDebugout = [&traces](TKestrin&, std::string_view t) { traces.emplace_back(t); };
  EXPECT_TRUE(host.Compile("x = 1;"));
  EXPECT_GE(traces.size(), 4u);  // one trace per token
  host.OnDebugout = nullptr;
  traces.clear();
  EXPECT_TRUE(host.Compile("y = 2;"));
  EXPECT_TRUE(traces.empty());
}

TEST(HostComponent, ArgumentsResultsAndExit) {
  TKestrin host;
  auto run = RunScript(host, "println(args.length, typeof(args[0]), args[0], args[1], arguments.length); return args[0] * 2;",
                       {std::int32_t{5}, std::string("a"), true, 2.5});
  EXPECT_EQ(Lines(run.output), "3\nnumber\n5\na\n3\n");
  EXPECT_EQ(run.result, 10);
  EXPECT_EQ(run.outcome, TJRunOutcome::Returned);
  EXPECT_EQ(RunScript(host, "exit(2); println('no');").result, 2);
  EXPECT_EQ(RunScript(host, "exit();").result, 0);
  EXPECT_EQ(RunScript(host, "return 7;").result, 7);
  EXPECT_EQ(RunScript(host, "return '12';").result, 12);
  auto failed = RunScript(host, "x = nope;");
  EXPECT_EQ(failed.result, 0);
  EXPECT_EQ(Lines(failed.output), "Exception: ENameError => nope\n");
}

TEST(HostComponent, EveryObjectIsReportedOnce) {
  TKestrin host;
  int reported = 0;
  host.OnNewObject = [&reported](TKestrin&, TJObject&) { ++reported; };
  RunScript(host, "var s = 'abc'; var n = s.length; var o = {}; var a = [1]; var b = (5).toString();");
  EXPECT_EQ(reported, 4);  // the String and Number temporaries, the object and the array
}

// A host that watches only its own classes lets string members run without temporaries;
// the script sees the same either way, also where a function works a text's code and
// length out as numbers.
TEST(HostComponent, AHostMayDeclineValueTemporaries) {
  struct Case {
    const char* script;
    const char* output;
    int reportedWith;
    int reportedWithout;
  };
  const Case cases[] = {
      // four String temporaries, then the object
      {"var s = 'abc'; println(s.length, s.charAt(1), s.toUpperCase(), s[2]); var o = {};", "3\nb\nABC\nc\n", 5, 1},
      {"function f(s) { n = s.charCodeAt(1) + s.length; return n; } println(f('abc'));", "101\n", 2, 0},
  };
  for (const Case& c : cases) {
    for (const bool temporaries : {true, false}) {
      SCOPED_TRACE(std::string(c.script) + (temporaries ? " (reported)" : ""));
      TKestrin host;
      int reported = 0;
      host.OnNewObject = [&reported](TKestrin&, TJObject&) { ++reported; };
      host.ReportValueTemporaries = temporaries;
      EXPECT_EQ(Lines(RunScript(host, c.script).output), c.output);
      EXPECT_EQ(reported, temporaries ? c.reportedWith : c.reportedWithout);
    }
  }
}

TEST(HostComponent, FunctionsOfAnEarlierProgramCannotBeCalled) {
  TKestrin host;
  RunScript(host, "function f() { return 1; } Math['keep'] = f; println(Math['keep']());");
  host.Clear();
  auto run = RunScript(host, "var g = Math['keep']; println(typeof g); g();");
  EXPECT_EQ(Lines(run.output), "function\nException: ECallError => call error\n");
}

TEST(Eval, RunsInAFreshEngine) {
  EXPECT_EQ(Output("var secret = 1; println(eval('exit(42);'));"
                   "println(eval('return 6 * 7;'));"
                   "println(typeof eval('x = ;'));"
                   "println(eval('println(typeof secret == \"undefined\"); return 1;'));"),
            "42\n42\nSyntaxError: Line( 1 ) Text( ; )undefined\nException: ENameError => secret\n0\n");
}

class LibraryFolder : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) { velkoran::testing::WriteFile(dir / name, text); }
  std::string Run(const std::string& text) {
    TKestrin host;
    host.LibraryPath().push_back(dir.Path());
    return Lines(RunScript(host, text).output);
  }
  velkoran::testing::ScratchDir dir;
};

TEST_F(LibraryFolder, ModulesHaveTheirOwnVariables) {
  Write("Geo.js",
        "var origin = 0; var scale = 2;"
        "class Point { x = 0; y = 0; function Point(a, b) { x = a; this.x = a * scale; this.y = b * scale; } }"
        "function area(w, h) { return w * h * scale; }");
  EXPECT_EQ(Run("import Geo; var p = new Geo.Point(1, 2); println(p.x, p.y, Geo.area(2, 3), scale);"
                "Geo.scale = 10; println(Geo.area(1, 1), Geo.scale); var mine = 5; println(Geo.mine);"
                "var k = 'scale'; Geo[k] = 3; println(Geo[k], Geo.area(1, 1));"),
            "2\n4\n12\n2\n10\n10\nundefined\n3\n3\n");
  EXPECT_EQ(Run("import Nothing;"), "file not found: Nothing.js");
}

TEST_F(LibraryFolder, ModuleValuesOfEarlierRunsAreRefused) {
  Write("Keep.js", "var x = 5;");
  TKestrin host;
  host.LibraryPath().push_back(dir.Path());
  EXPECT_EQ(Lines(RunScript(host, "import Keep; Math['m'] = Keep; var again = Keep; import Keep; println(again.x, Keep.x);").output),
            "undefined\n5\n");
  EXPECT_EQ(Lines(RunScript(host, "var m = Math['m']; println(typeof(m)); println(m.x);").output),
            "function\nException: ENameError => x\n");
}

TEST_F(LibraryFolder, ReturnAtTheTopOfAModuleEndsTheProgramWithItsValue) {
  Write("Early.js", "var a = 1; return 3; var b = 2;");
  TKestrin host;
  host.LibraryPath().push_back(dir.Path());
  auto run = RunScript(host, "import Early; println('not reached');");
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.result, 3);
  EXPECT_EQ(run.outcome, TJRunOutcome::Returned);
}

TEST_F(LibraryFolder, ImportedFunctionsRunInTheirModule) {
  Write("Counter.js", "var count = 0; function bump() { count = count + 1; return count; } function get() { return count; }");
  EXPECT_EQ(Run("import Counter; var count = 100; Counter.bump(); Counter.bump(); println(Counter.get(), count);"),
            "0\n100\n");
}

TEST(Lifetime, TemporariesInLoopsStayBounded) {
  TKestrin host;
  std::size_t most = 0;
  host.OnNewObject = [&most](TKestrin& h, TJObject&) { most = std::max(most, h.Engine().ObjectFactory().ObjectCount()); };
  auto run = RunScript(host,
                       "var n = 0; var o; for (i = 0; i < 20000; i++) { n += 'abc'.length; o = {v: i}; n += o.v % 2; }"
                       "function mk(v) { return {v: v}; } function sum(a, b) { return a.v + b.v; }"
                       "for (i = 0; i < 20000; i++) { n += sum(mk(1), mk(mk(2).v + 1)); } println(n);");
  EXPECT_EQ(Lines(run.output), "150000\n");
  EXPECT_LT(most, 5000u);
}

TEST(Lifetime, ReturnedAndThrownObjectsSurviveSweeps) {
  EXPECT_EQ(Output("function churn() { for (i = 0; i < 3000; i++) { x = {a: [i]}; } return 1; }"
                   "function mk(v) { churn(); return {v: v}; }"
                   "println(mk(1).v + mk(2).v + [mk(3)][0].v);"
                   "function t() { throw {m: 'deep'}; }"
                   "try { t(); } finally { churn(); } catch (e) { churn(); println(e.m); }"
                   "var keep = {list: []}; for (i = 0; i < 100; i++) keep.list.push({n: i}); churn();"
                   "println(keep.list[99].n);"),
            "6\ndeep\n99\n");
}

// A host object whose destruction is observable (as a file's closing would be).
struct Probe : TJObject {
  static inline int alive = 0;
  Probe(TJObjectFactory* f, const TJValueList* a) : TJObject(f, a) {
    RegisterName(Info());
    ++alive;
  }
  ~Probe() override { --alive; }
  void Alive(TJValueList&, TJValue& r) { r = TJValue::Integer(alive); }
  static const TJClassInfo& Info() {
    static const TJClassInfo info = TJClassBuilder<Probe>("Probe").Method<&Probe::Alive>("alive").Build();
    return info;
  }
};

TEST(Lifetime, DroppedObjectsAreFreedAtTheNextStatementOrCallEnd) {
  TKestrin host;
  host.RegisterClass("Probe", Probe::Info());
  Probe::alive = 0;
  auto run = RunScript(host,
                       "var census = new Probe(); var p = new Probe(); println(census.alive()); p = null;"
                       "println(census.alive());"
                       "function f() { q = new Probe(); return q.alive(); } println(f()); println(census.alive());"
                       "function g() { return new Probe(); } var kept = g(); println(census.alive());");
  EXPECT_EQ(Lines(run.output), "2\n1\n2\n1\n2\n");
}

TEST(Lifetime, UnreachableObjectsAreFreedByTheEndOfTheRun) {
  TKestrin host;
  RunScript(host,
            "var a = {}; var b = {x: a}; a['y'] = b; a = null; b = null;"
            "function ring() { p = {}; q = {p: p}; p['q'] = q; return 0; } for (i = 0; i < 100; i++) ring();"
            "var kept = {inner: {}};");
  // Left: the global object's argument array, and the object held by `kept` and its inner one.
  EXPECT_EQ(host.Engine().ObjectFactory().ObjectCount(), 3u);
}

// A method's object is not counted by the call: it stays alive while the method runs even
// when the method lets go of the last reference and makes garbage meanwhile.
TEST(Lifetime, AMethodsObjectOutlivesItsLastReferenceDuringTheCall) {
  EXPECT_EQ(Output("class C { v = 1; function C(v) { this.v = v; }"
                   "  function drop() { held = null; for (i = 0; i < 500; i++) t = {n: i}; return this.v + this.zero(); }"
                   "  function zero() { return 0; } function me() { held = null; junk = [1, 2]; return this; } }"
                   "var held = new C(5); println(held.drop(), held); println(new C(6).drop(), new C(7).me().v);"
                   "held = new C(8); var again = held.me(); println(again.v, held);"
                   "var a = [new C(9)]; println(a.pop().drop(), a.length);"),
            "5\n[C]\n6\n7\n8\n[C]\n9\n1\n");
}

TEST(Lifetime, CyclesThroughMethodValuesAreFreedByTheEndOfTheRun) {
  TKestrin host;
  auto run = RunScript(host,
                       "class N { other = null; f = null; function N() {} function m() { return 1; } }"
                       "function ring() { x = new N(); y = new N(); x.other = y; y.other = x; x.f = y.m; y.f = x.m;"
                       "  return x.f() + y.f(); }"
                       "var s = 0; for (i = 0; i < 50; i++) s += ring(); println(s); var kept = new N(); kept.f = kept.m;");
  EXPECT_EQ(Lines(run.output), "100\n");
  // Left: the global object's argument array and the object held by `kept`.
  EXPECT_EQ(host.Engine().ObjectFactory().ObjectCount(), 2u);
}

TEST(Lifetime, ObjectsHoldingTheGlobalObjectAndSingletonsEndWithTheEngine) {
  // Counts run both ways between listed objects and the global object and singletons; the
  // engine's end must not release into an object already gone (the sanitizer build sees it).
  testing::ScriptRun run;
  {
    TKestrin host;
    run = RunScript(host,
                    "var a = [this, Math, Global]; Math['k'] = a; Global['g'] = [a];"
                    "function f() { return [this, Math]; } var b = f(); println(a.length, b.length);");
  }
  EXPECT_EQ(Lines(run.output), "3\n2\n");
}

}  // namespace
}  // namespace kestrin
