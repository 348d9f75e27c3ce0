// Grammar acceptance and rejection, tree shapes, constant folding and library import.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "front_tree_dump.h"
#include "platform/codepage.h"
#include "script/hash_table.h"
#include "script/parser.h"
#include "script/signals.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace kestrin {
namespace {

using testing::Dump;
using velkoran::platform::CodePage;

class ParserTest : public ::testing::Test {
 protected:
  TJParser parser{CodePage::Utf8};

  TJStatement* ParseOk(const std::string& text) {
    parser.Clear();
    bool ok = false;
    try {
      ok = parser.Parse(text);
    } catch (const EJException& e) {
      ADD_FAILURE() << "unexpected " << e.what() << " for: " << text;
    }
    EXPECT_TRUE(ok) << text;
    return parser.Root();
  }

  // The expression of a one-statement script "text;".
  std::string Expr(const std::string& text) {
    TJStatement* root = ParseOk(text + ";");
    if (root == nullptr) return "<nothing>";
    EXPECT_EQ(root->Kind, skExpression) << text;
    EXPECT_EQ(root->Next, nullptr) << text;
    return Dump(root->Expr);
  }

  std::string SyntaxError(const std::string& text) {
    parser.Clear();
    try {
      parser.Parse(text);
    } catch (const EJSyntaxError& e) {
      return e.what();
    }
    return "<no error>";
  }

  static int ChainLength(const TJStatement* s) {
    int n = 0;
    for (; s != nullptr; s = s->Next) ++n;
    return n;
  }
};

// ---- programs and statements ----

TEST_F(ParserTest, EmptyAndCommentOnlyScriptsHaveNoProgram) {
  EXPECT_FALSE(parser.Parse(""));
  EXPECT_EQ(parser.Root(), nullptr);
  EXPECT_FALSE(parser.Parse("  // nothing\n /* at all */ \n"));
  EXPECT_EQ(parser.Root(), nullptr);
  // A first token that starts nothing is not an error either.
  EXPECT_FALSE(parser.Parse("} x = 1;"));
}

TEST_F(ParserTest, TopLevelStopsAtTheFirstTokenThatStartsNothing) {
  TJStatement* root = ParseOk("x = 1; } y = 2;");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ChainLength(root), 1);
  EXPECT_EQ(Dump(root->Expr), "(= x 1)");
  // Reserved words start no rule.
  EXPECT_EQ(ChainLength(ParseOk("a; switch (a) { }")), 1);
  EXPECT_EQ(ChainLength(ParseOk("a; const b = 1;")), 1);
}

TEST_F(ParserTest, StatementChainsAreDoublyLinked) {
  TJStatement* root = ParseOk("a; b; c;");
  ASSERT_EQ(ChainLength(root), 3);
  EXPECT_EQ(root->Prev, nullptr);
  EXPECT_EQ(root->Next->Prev, root);
  EXPECT_EQ(root->Next->Next->Prev, root->Next);
  EXPECT_EQ(TJStatementFactory::Last(root), root->Next->Next);
  EXPECT_EQ(TJStatementFactory::First(root->Next->Next), root);
}

TEST_F(ParserTest, SyntaxErrorMessagesCarryLineAndTokenText) {
  EXPECT_EQ(SyntaxError("x = ;"), "SyntaxError: Line( 1 ) Text( ; )");
  // A missing ";" reports the token after the expression, on its line.
  EXPECT_EQ(SyntaxError("x = 1\ny = 2;"), "SyntaxError: Line( 2 ) Text( y )");
  EXPECT_EQ(SyntaxError("a = 1;\n\nb = (2;"), "SyntaxError: Line( 3 ) Text( ; )");
  EXPECT_EQ(SyntaxError("s = 'abc' 'def';"), "SyntaxError: Line( 1 ) Text( def )");
  // Running out of input: the token text is empty.
  EXPECT_EQ(SyntaxError("f(1,"), "SyntaxError: Line( 1 ) Text(  )");
  EXPECT_EQ(SyntaxError("if (a) "), "SyntaxError: Line( 1 ) Text(  )");
}

TEST_F(ParserTest, DeclarationsOnlyAtTopLevel) {
  EXPECT_EQ(SyntaxError("function f() { var x = 1; }"), "SyntaxError: Line( 1 ) Text( var )");
  EXPECT_EQ(SyntaxError("{ function g() {} }"), "SyntaxError: Line( 1 ) Text( function )");
  EXPECT_EQ(SyntaxError("if (a) { class C {} }"), "SyntaxError: Line( 1 ) Text( class )");
  EXPECT_EQ(SyntaxError("while (a) var x;"), "SyntaxError: Line( 1 ) Text( var )");
  EXPECT_EQ(SyntaxError("for (var i = 0; i < 3; i++) ;"), "SyntaxError: Line( 1 ) Text( var )");
}

TEST_F(ParserTest, VarStatementBuildsDeclaratorChain) {
  TJStatement* root = ParseOk("var a, b = 2, c = a + 1;");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Kind, skVar);
  TJStatement* d = root->Sub;
  ASSERT_EQ(ChainLength(d), 3);
  EXPECT_EQ(d->Kind, skDeclarator);
  EXPECT_EQ(Dump(d->Expr), "a");
  EXPECT_EQ(Dump(d->Next->Expr), "(b 2)");
  EXPECT_EQ(Dump(d->Next->Next->Expr), "(c (+ a 1))");
  EXPECT_EQ(SyntaxError("var ;"), "SyntaxError: Line( 1 ) Text( ; )");
  EXPECT_EQ(SyntaxError("var a b;"), "SyntaxError: Line( 1 ) Text( b )");
}

TEST_F(ParserTest, FunctionDeclarationHasParametersBodyAndImplicitReturn) {
  TJStatement* f = ParseOk("function add(a, b) { return a + b; }");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Kind, skFunction);
  const FunctionParts add = PartsOfFunction(*f);
  EXPECT_EQ(Dump(add.name), "add");
  ASSERT_EQ(ChainLength(add.firstParameter), 2);
  EXPECT_EQ(add.firstParameter->Kind, skParameter);
  EXPECT_EQ(Dump(ParameterName(*add.firstParameter)), "a");
  EXPECT_EQ(Dump(ParameterName(*add.firstParameter->Next)), "b");
  ASSERT_NE(add.block, nullptr);
  EXPECT_EQ(add.block, add.body);
  EXPECT_EQ(add.block->Sub->Kind, skReturn);
  // The body chain ends in the implicit return of an empty expression.
  const TJStatement* implicit = add.body->Next;
  ASSERT_NE(implicit, nullptr);
  EXPECT_EQ(implicit->Kind, skReturn);
  ASSERT_NE(implicit->Expr, nullptr);
  EXPECT_EQ(implicit->Expr->Code, ecEmpty);
  EXPECT_EQ(implicit->Next, nullptr);

  // Without parameters the chain holds one parameter node with no identifier.
  const FunctionParts g = PartsOfFunction(*ParseOk("function g() { }"));
  ASSERT_EQ(ChainLength(g.firstParameter), 1);
  EXPECT_EQ(g.firstParameter->Kind, skParameter);
  EXPECT_EQ(ParameterName(*g.firstParameter), nullptr);
  ASSERT_NE(g.block, nullptr);
  EXPECT_EQ(g.block->Sub, nullptr);  // empty body block

  EXPECT_EQ(SyntaxError("function f(a,) {}"), "SyntaxError: Line( 1 ) Text( ) )");
  EXPECT_EQ(SyntaxError("function f() x;"), "SyntaxError: Line( 1 ) Text( x )");
  EXPECT_EQ(SyntaxError("function (a) {}"), "SyntaxError: Line( 1 ) Text( ( )");
}

TEST_F(ParserTest, ClassDeclarations) {
  TJStatement* c = ParseOk("class A { v = 1; w; function A(x) { this.v = x; } }");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Kind, skClass);
  const ClassParts a = PartsOfClass(*c);
  EXPECT_EQ(Dump(a.name), "A");
  EXPECT_EQ(a.base, nullptr);
  ASSERT_EQ(ChainLength(a.firstMember), 3);
  EXPECT_EQ(a.firstMember->Kind, skDeclarator);
  EXPECT_EQ(PartsOfDeclarator(*a.firstMember).name->Name, "v");
  EXPECT_EQ(Dump(PartsOfDeclarator(*a.firstMember).initialiser), "1");
  EXPECT_EQ(PartsOfDeclarator(*a.firstMember->Next).initialiser, nullptr);
  EXPECT_EQ(a.firstMember->Next->Next->Kind, skFunction);

  struct BaseCase {
    const char* name;
    const char* script;
    const char* base;
  };
  constexpr BaseCase kBases[] = {
      {"extends", "class B extends A { }", "A"},
      {"parenthesised base", "class B(A) { }", "A"},
      {"empty parentheses", "class B() { }", "_"},
      {"no base", "class E {}", "_"},
  };
  for (const BaseCase& k : kBases) {
    SCOPED_TRACE(k.name);
    const ClassParts parts = PartsOfClass(*ParseOk(k.script));
    EXPECT_EQ(Dump(parts.base), k.base);
    EXPECT_EQ(parts.firstMember, nullptr);
  }

  // A var inside the body is not accepted.
  EXPECT_EQ(SyntaxError("class A { var v = 1; }"), "SyntaxError: Line( 1 ) Text( var )");
  // After the bare name only "{", "(" or extends may follow.
  EXPECT_EQ(SyntaxError("class A x"), "SyntaxError: Line( 1 ) Text( x )");
  // After a base clause a missing "{" quietly ends the program there.
  TJStatement* root = ParseOk("a = 1; class B(A) b = 2; c = 3;");
  EXPECT_EQ(ChainLength(root), 1);
  EXPECT_FALSE(parser.Parse("class B extends A;"));
  EXPECT_EQ(SyntaxError("class A { v = 1 }"), "SyntaxError: Line( 1 ) Text( } )");
}

TEST_F(ParserTest, ControlStatements) {
  TJStatement* s = ParseOk("if (a) b; else if (c) d; else e;");
  EXPECT_EQ(s->Kind, skIf);
  EXPECT_EQ(Dump(s->Expr), "a");
  EXPECT_EQ(Dump(s->Sub->Expr), "b");
  ASSERT_EQ(s->Sub2->Kind, skIf);
  EXPECT_EQ(Dump(s->Sub2->Sub2->Expr), "e");
  // The else belongs to the nearest if.
  s = ParseOk("if (a) if (b) c; else d;");
  EXPECT_EQ(s->Sub2, nullptr);
  EXPECT_EQ(s->Sub->Kind, skIf);
  EXPECT_NE(s->Sub->Sub2, nullptr);

  s = ParseOk("while (i < 3) { i++; }");
  EXPECT_EQ(s->Kind, skWhile);
  EXPECT_EQ(Dump(s->Expr), "(< i 3)");
  EXPECT_EQ(s->Sub->Kind, skBlock);

  s = ParseOk("for (i = 0; i < 3; i++) x;");
  EXPECT_EQ(s->Kind, skFor);
  ForParts loop = PartsOfFor(*s);
  EXPECT_EQ(Dump(loop.init), "(= i 0)");
  EXPECT_EQ(Dump(loop.condition), "(< i 3)");
  EXPECT_EQ(Dump(loop.update), "(x++ i)");
  EXPECT_EQ(Dump(loop.body->Expr), "x");

  loop = PartsOfFor(*ParseOk("for (;;) ;"));
  EXPECT_EQ(loop.init, nullptr);
  EXPECT_EQ(loop.condition, nullptr);
  EXPECT_EQ(loop.update, nullptr);
  EXPECT_EQ(loop.body->Kind, skEmpty);

  s = ParseOk("for (k in o.items) print(k);");
  EXPECT_EQ(s->Kind, skForIn);
  const ForInParts each = PartsOfForIn(*s);
  EXPECT_EQ(Dump(each.variable), "k");
  EXPECT_EQ(Dump(each.object), "(. o items)");
  EXPECT_EQ(each.body->Kind, skExpression);

  // do ... while: the ";" is required and stays, read as an empty statement.
  s = ParseOk("do x++; while (x < 3);");
  EXPECT_EQ(s->Kind, skDoWhile);
  EXPECT_EQ(Dump(s->Expr), "(< x 3)");
  ASSERT_NE(s->Next, nullptr);
  EXPECT_EQ(s->Next->Kind, skEmpty);
  EXPECT_EQ(SyntaxError("do x++; while (x < 3)"), "SyntaxError: Line( 1 ) Text(  )");

  // break and continue leave their ";" for an empty statement.
  s = ParseOk("while (1) { break; continue; }");
  TJStatement* body = s->Sub->Sub;
  ASSERT_EQ(ChainLength(body), 4);
  EXPECT_EQ(body->Kind, skBreak);
  EXPECT_EQ(body->Next->Kind, skEmpty);
  EXPECT_EQ(body->Next->Next->Kind, skContinue);
  EXPECT_EQ(SyntaxError("break x;"), "SyntaxError: Line( 1 ) Text( x )");

  s = ParseOk("return; return a, b;");
  EXPECT_EQ(s->Kind, skReturn);
  EXPECT_EQ(s->Expr, nullptr);
  EXPECT_EQ(Dump(s->Next->Expr), "(, a b)");

  s = ParseOk("with (o) x = 1;");
  EXPECT_EQ(s->Kind, skWith);
  EXPECT_EQ(Dump(s->Expr), "o");
  EXPECT_EQ(Dump(s->Sub->Expr), "(= x 1)");

  s = ParseOk("throw 'bad'; throw;");
  EXPECT_EQ(s->Kind, skThrow);
  EXPECT_EQ(Dump(s->Expr), "'bad'");
  EXPECT_EQ(s->Next->Expr, nullptr);
}

TEST_F(ParserTest, TryCatchFinallyAreSeparateStatements) {
  TJStatement* s = ParseOk("try { a(); } x = 1; catch (e) { b; } catch c; finally { d; }");
  ASSERT_EQ(ChainLength(s), 5);
  EXPECT_EQ(s->Kind, skTry);
  EXPECT_EQ(s->Sub->Kind, skBlock);
  EXPECT_EQ(s->Next->Kind, skExpression);
  TJStatement* c1 = s->Next->Next;
  EXPECT_EQ(c1->Kind, skCatch);
  EXPECT_EQ(Dump(c1->Expr), "e");
  TJStatement* c2 = c1->Next;
  EXPECT_EQ(c2->Kind, skCatch);
  EXPECT_EQ(c2->Expr, nullptr);
  EXPECT_EQ(Dump(c2->Sub->Expr), "c");
  EXPECT_EQ(c2->Next->Kind, skFinally);
  EXPECT_EQ(SyntaxError("catch (1) {}"), "SyntaxError: Line( 1 ) Text( 1 )");
}

TEST_F(ParserTest, BlocksNeedTheirClosingBrace) {
  EXPECT_EQ(SyntaxError("{ a;"), "SyntaxError: Line( 1 ) Text(  )");
  TJStatement* s = ParseOk("{ }");
  EXPECT_EQ(s->Kind, skBlock);
  EXPECT_EQ(s->Sub, nullptr);
  s = ParseOk("{ a; { b; } }");
  EXPECT_EQ(ChainLength(s->Sub), 2);
  EXPECT_EQ(s->Sub->Next->Kind, skBlock);
}

// ---- expressions ----

TEST_F(ParserTest, PrecedenceAndAssociativity) {
  EXPECT_EQ(Expr("a + b * c"), "(+ a (* b c))");
  EXPECT_EQ(Expr("a - b - c"), "(- (- a b) c)");
  EXPECT_EQ(Expr("a * b div c % d / e"), "(/ (% (div (* a b) c) d) e)");
  EXPECT_EQ(Expr("a << b + c"), "(<< a (+ b c))");
  EXPECT_EQ(Expr("a >> b >>> c"), "(>>> (>> a b) c)");
  EXPECT_EQ(Expr("a < b == c <= d"), "(== (< a b) (<= c d))");
  EXPECT_EQ(Expr("a > b != c >= d"), "(!= (> a b) (>= c d))");
  EXPECT_EQ(Expr("a === b !== c"), "(!== (=== a b) c)");
  EXPECT_EQ(Expr("a & b ^ c | d"), "(| (^ (& a b) c) d)");
  EXPECT_EQ(Expr("a || b && c | d"), "(|| a (&& b (| c d)))");
  EXPECT_EQ(Expr("a ? b : c ? d : e"), "(?: a b (?: c d e))");
  EXPECT_EQ(Expr("a ? b, c : d"), "(?: a (, b c) d)");
  EXPECT_EQ(Expr("a, b, c"), "(, (, a b) c)");
  EXPECT_EQ(Expr("-a * !b"), "(* (u- a) (! b))");
  EXPECT_EQ(Expr("~ + - x"), "(~ (u+ (u- x)))");
  EXPECT_EQ(Expr("++a + b--"), "(+ (++x a) (x-- b))");
  EXPECT_EQ(Expr("(a + b) * c"), "(* (+ a b) c)");
  EXPECT_EQ(SyntaxError("a + ;"), "SyntaxError: Line( 1 ) Text( ; )");
  EXPECT_EQ(SyntaxError("a ? b ;"), "SyntaxError: Line( 1 ) Text( ; )");
  EXPECT_EQ(SyntaxError("- ;"), "SyntaxError: Line( 1 ) Text( ; )");
}

TEST_F(ParserTest, AssignmentNeedsATargetOutsideNesting) {
  EXPECT_EQ(Expr("a = b = 3"), "(= a (= b 3))");
  EXPECT_EQ(Expr("a ^= 1"), "(^= a 1)");
  const std::pair<std::string, std::string> compound[] = {
      {"*=", "*="}, {"/=", "/="}, {"+=", "+="}, {"-=", "-="}, {"%=", "%="}, {"<<=", "<<="},
      {">>=", ">>="}, {">>>=", ">>>="}, {"&=", "&="}, {"^=", "^="}, {"|=", "|="}};
  for (const auto& [op, name] : compound) {
    EXPECT_EQ(Expr("x " + op + " 2"), "(" + name + " x 2)") << op;
  }
  EXPECT_EQ(Expr("a.b = 1"), "(= (. a b) 1)");
  EXPECT_EQ(Expr("a[i] += 1"), "(+= ([] a i) 1)");
  EXPECT_EQ(Expr("(a).b = 1"), "(= (. a b) 1)");
  EXPECT_EQ(Expr("super.x = 1"), "(= (super. _ x) 1)");
  // An identifier anywhere in the left operand, outside nesting, makes it a target.
  EXPECT_EQ(Expr("a + b = 1"), "(= (+ a b) 1)");
  EXPECT_EQ(Expr("f(a) = 1"), "(= (call f [a]) 1)");
  EXPECT_EQ(Expr("1 ? a : 2 = 3"), "(= (?: 1 a 2) 3)");
  // Not a target: a constant, or an identifier only inside nesting.
  EXPECT_EQ(SyntaxError("3 = a;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("(a) = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("(f)(a) = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("[a] = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("x = {a: b} = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("typeof(a) = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("a = 3 = 4;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("new A = 1;"), "SyntaxError: Line( 1 ) Text( = )");
  EXPECT_EQ(SyntaxError("x = ;"), "SyntaxError: Line( 1 ) Text( ; )");
}

TEST_F(ParserTest, TypeofVoidDeleteTakeACommaExpressionUnlessParenthesised) {
  EXPECT_EQ(Expr("typeof x == y"), "(typeof (== x y))");
  EXPECT_EQ(Expr("typeof(x) == y"), "(== (typeof x) y)");
  EXPECT_EQ(Expr("typeof (x).y"), "(. (typeof x) y)");
  EXPECT_EQ(Expr("typeof a, b"), "(typeof (, a b))");
  EXPECT_EQ(Expr("void 0"), "(void 0)");
  EXPECT_EQ(Expr("void(a) + 1"), "(+ (void a) 1)");
  // delete has no parenthesised form: the operand runs on.
  EXPECT_EQ(Expr("delete (a) + 1"), "(delete (+ a 1))");
  EXPECT_EQ(Expr("delete a.b"), "(delete (. a b))");
  EXPECT_EQ(Expr("x = typeof y"), "(= x (typeof y))");
  EXPECT_EQ(SyntaxError("typeof;"), "SyntaxError: Line( 1 ) Text( ; )");
}

TEST_F(ParserTest, PostfixChains) {
  EXPECT_EQ(Expr("a.b[c](d, e)++"), "(x++ (call ([] (. a b) c) [d e]))");
  EXPECT_EQ(Expr("f()"), "(call f)");
  EXPECT_EQ(Expr("f()()"), "(call (call f))");
  EXPECT_EQ(Expr("a[1, 2]"), "([] a (, 1 2))");
  EXPECT_EQ(Expr("RegExp.$1"), "(. RegExp $1)");
  EXPECT_EQ(Expr("o.delete(x)"), "(call (. o delete) [x])");
  EXPECT_EQ(Expr("'abc'.length"), "(. 'abc' length)");
  EXPECT_EQ(SyntaxError("f(a b);"), "SyntaxError: Line( 1 ) Text( b )");
  EXPECT_EQ(SyntaxError("a.1;"), "SyntaxError: Line( 1 ) Text( 1 )");
  EXPECT_EQ(SyntaxError("f(,);"), "SyntaxError: Line( 1 ) Text( , )");
}

TEST_F(ParserTest, ArgumentListsAreBuiltBackToFront) {
  TJStatement* s = ParseOk("f(1, x, 'z');");
  const TJExpr* call = s->Expr;
  ASSERT_EQ(call->Code, ecCall);
  const TJExpr* last = call->Operand2;
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->Code, ecListCell);
  EXPECT_EQ(Dump(last->Operand2), "'z'");
  EXPECT_EQ(Dump(last->Operand1->Operand2), "x");
  EXPECT_EQ(Dump(last->Operand1->Operand1->Operand2), "1");
  EXPECT_EQ(last->Operand1->Operand1->Operand1, nullptr);
}

TEST_F(ParserTest, LiteralsAndPrimaries) {
  EXPECT_EQ(Expr("[1, 'a', x]"), "([..] [1 'a' x])");
  EXPECT_EQ(Expr("[]"), "([..])");
  EXPECT_EQ(Expr("x = { a: 1, b }"), "(= x ({} [(prop a 1) (prop b)]))");
  EXPECT_EQ(Expr("x = {}"), "(= x ({}))");
  EXPECT_EQ(SyntaxError("x = { \"a\": 1 };"), "SyntaxError: Line( 1 ) Text( a )");
  EXPECT_EQ(SyntaxError("x = { a: 1, };"), "SyntaxError: Line( 1 ) Text( } )");
  EXPECT_EQ(Expr("true"), "true");
  EXPECT_EQ(Expr("false"), "false");
  EXPECT_EQ(Expr("null"), "null");
  EXPECT_EQ(Expr("NaN"), "NaN");
  EXPECT_EQ(Expr("1.5"), "#1.5");
  EXPECT_EQ(Expr("\"q\""), "'q'");
  EXPECT_EQ(Expr("this"), "(this)");
  EXPECT_EQ(Expr("super"), "(this)");
  EXPECT_EQ(Expr("super.f(1)"), "(call (super. _ f) [1])");
  // Reserved words are no primaries.
  EXPECT_EQ(SyntaxError("x = undefined;"), "SyntaxError: Line( 1 ) Text( undefined )");
  EXPECT_EQ(SyntaxError("x = infinity;"), "SyntaxError: Line( 1 ) Text( infinity )");
}

TEST_F(ParserTest, NewWithModuleAndArguments) {
  EXPECT_EQ(Expr("new A.B(1)"), "(new B [1] A)");
  EXPECT_EQ(Expr("new A"), "(new A)");
  EXPECT_EQ(Expr("new A()"), "(new A)");
  EXPECT_EQ(Expr("new File('x', 2)"), "(new File ['x' 2])");
  EXPECT_EQ(Expr("new A().b"), "(. (new A) b)");
  EXPECT_EQ(Expr("x = new Lib.Point(1, 2)"), "(= x (new Point [1 2] Lib))");
  const NewParts qualified = PartsOfNew(*ParseOk("new A.B(1, 2);")->Expr);
  EXPECT_EQ(Dump(qualified.className), "B");
  EXPECT_EQ(Dump(qualified.module), "A");
  EXPECT_EQ(testing::DumpList(qualified.lastArgument), "[1 2]");
  EXPECT_EQ(PartsOfNew(*ParseOk("new A;")->Expr).lastArgument, nullptr);
  EXPECT_EQ(SyntaxError("new 5;"), "SyntaxError: Line( 1 ) Text( 5 )");
  EXPECT_EQ(SyntaxError("new A.;"), "SyntaxError: Line( 1 ) Text( ; )");
}

TEST_F(ParserTest, IdentifierNodesCarryTheirNameHash) {
  TJStatement* s = ParseOk("Alpha.beta = gamma;");
  const TJExpr* assign = s->Expr;
  EXPECT_EQ(assign->Operand2->Hash, HashName("gamma"));
  EXPECT_EQ(assign->Operand1->Operand1->Hash, HashName("Alpha"));
  EXPECT_EQ(assign->Operand1->Operand2->Hash, HashName("beta"));
  EXPECT_EQ(assign->Operand1->Operand2->Hash, HashName("BETA"));
}

// ---- constant folding ----

TEST_F(ParserTest, ConstantFoldingYieldsOneConstantNode) {
  TJStatement* s = ParseOk("2 + 3 * 4;");
  ASSERT_EQ(s->Expr->Code, ecConstant);
  ASSERT_EQ(s->Expr->Constant->Kind(), jkInteger);
  EXPECT_EQ(s->Expr->Constant->IntValue(), 14);
  // Absorbed operands go back to the factory: only the result node stays live.
  EXPECT_EQ(parser.ExprFactory().Count(), 1u);

  EXPECT_EQ(Expr("\"a\" + 1"), "'a1'");
  EXPECT_EQ(Expr("7 / 2"), "#3.5");
  EXPECT_EQ(Expr("7 div 2"), "3");
  EXPECT_EQ(Expr("-8 >> 1"), "(>> (u- 8) 1)");  // unary operators are not folded
  EXPECT_EQ(Expr("1 << 4 | 1"), "17");
  EXPECT_EQ(Expr("'10' < '9'"), "false");
  EXPECT_EQ(Expr("1 == '1'"), "true");
  EXPECT_EQ(Expr("1 === 1.0"), "false");
  EXPECT_EQ(Expr("0 || 'x'"), "true");
  EXPECT_EQ(Expr("1 + 2 + x"), "(+ 3 x)");
  EXPECT_EQ(Expr("x + 1 + 2"), "(+ (+ x 1) 2)");
  // Comma, assignment and the conditional are never folded.
  EXPECT_EQ(Expr("1, 2"), "(, 1 2)");
  EXPECT_EQ(Expr("1 ? 2 : 3"), "(?: 1 2 3)");
}

TEST_F(ParserTest, FoldingErrorsRaiseAtParseTime) {
  parser.Clear();
  try {
    parser.Parse("if (false) { x = 1 / 0; }");
    FAIL() << "no error";
  } catch (const EJThrow& e) {
    EXPECT_EQ(e.ErrorName, "EZDError");
  }
  EXPECT_EQ(parser.Root(), nullptr);
  EXPECT_THROW(parser.Parse("x = 5 % 0;"), EJThrow);
  EXPECT_THROW(parser.Parse("x = 5 div 0;"), EJThrow);
  EXPECT_THROW(parser.Parse("x = 5 / 'abc';"), EJThrow);
  // A variable divisor is left to run time.
  EXPECT_NO_THROW(parser.Parse("x = 5 / y;"));
}

TEST_F(ParserTest, ClearFreesEveryNode) {
  ParseOk("function f(a) { return a * 2; } x = f(3);");
  EXPECT_GT(parser.ExprFactory().Count(), 0u);
  EXPECT_GT(parser.StmtFactory().Count(), 0u);
  parser.Clear();
  EXPECT_EQ(parser.Root(), nullptr);
  EXPECT_EQ(parser.ExprFactory().Count(), 0u);
  EXPECT_EQ(parser.StmtFactory().Count(), 0u);
  // The parser is reusable after a failure and after Clear.
  EXPECT_FALSE(SyntaxError("x = ;").empty());
  EXPECT_EQ(Expr("y"), "y");
}

TEST_F(ParserTest, DeepNestingIsASyntaxErrorNotACrash) {
  const int n = 100000;
  const std::string parens = std::string(n, '(') + "1" + std::string(n, ')') + ";";
  EXPECT_EQ(SyntaxError(parens), "SyntaxError: Line( 1 ) Text( ( )");
  EXPECT_EQ(SyntaxError(std::string(n, '!') + "1;"), "SyntaxError: Line( 1 ) Text( ! )");
  std::string blocks = std::string(n, '{') + std::string(n, '}');
  EXPECT_EQ(SyntaxError(blocks), "SyntaxError: Line( 1 ) Text( { )");
  std::string conditional;
  for (int i = 0; i < n; ++i) conditional += "a ? b : ";
  EXPECT_EQ(SyntaxError(conditional + "c;").rfind("SyntaxError: Line( 1 ) Text( ", 0), 0u);
  // Ordinary depth is fine.
  const int ok = 200;
  EXPECT_EQ(Expr(std::string(ok, '(') + "x" + std::string(ok, ')')), "x");
  std::string elseIf = "if (a) b;";
  for (int i = 0; i < 400; ++i) elseIf += " else if (a) b;";
  EXPECT_NE(ParseOk(elseIf), nullptr);
}

// ---- import ----

class ImportTest : public ParserTest {
 protected:
  // The folder goes in without its trailing "/": the parser adds the separator itself.
  void SetUp() override { parser.LibraryPath = {velkoran::testing::NoSlash(dir.Path())}; }
  void Write(const std::string& name, const std::string& text) { velkoran::testing::WriteFile(dir / name, text); }

  velkoran::testing::ScratchDir dir;
};

TEST_F(ImportTest, ImportNameParsesTheLibraryWithASubParser) {
  Write("lib.js", "function twice(x) { return x * 2; }\nk = 1;\n");
  TJStatement* s = ParseOk("import lib;\ny = lib.twice(2);");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Kind, skImport);
  EXPECT_EQ(Dump(s->Expr), "lib");
  ASSERT_NE(s->Sub, nullptr);
  EXPECT_EQ(s->Sub->Kind, skFunction);
  EXPECT_EQ(ChainLength(s->Sub), 2);
  EXPECT_EQ(parser.SubParserCount(), 1u);
  EXPECT_EQ(s->Next->Kind, skExpression);
  // The sub-parser lives until Clear.
  parser.Clear();
  EXPECT_EQ(parser.SubParserCount(), 0u);
}

TEST_F(ImportTest, ImportStarSplicesTheTextIntoThisProgram) {
  Write("util.js", "a = 1;\nb = 2;\n");
  TJStatement* s = ParseOk("import util.*;\nc = 3;");
  ASSERT_EQ(ChainLength(s), 4);
  EXPECT_EQ(s->Kind, skEmpty);
  EXPECT_EQ(Dump(s->Next->Expr), "(= a 1)");
  EXPECT_EQ(Dump(s->Next->Next->Expr), "(= b 2)");
  EXPECT_EQ(Dump(s->Next->Next->Next->Expr), "(= c 3)");
  EXPECT_EQ(parser.SubParserCount(), 0u);
  // The same library may be spliced twice in a row.
  EXPECT_EQ(ChainLength(ParseOk("import util.*; import util.*;")), 6);
  // Any other token after "*" makes the import yield nothing: the program ends there.
  EXPECT_EQ(ChainLength(ParseOk("x; import util.* y; z;")), 1);
}

TEST_F(ImportTest, ImportErrors) {
  EXPECT_EQ(SyntaxError("import nolib;"), "file not found: nolib.js");
  // A directory of the library's name is passed over, not opened.
  std::filesystem::create_directories(dir / "dir.js");
  EXPECT_EQ(SyntaxError("import dir;"), "file not found: dir.js");
  // A file that exists but fails to read (reading process memory at 0 fails even as root).
  std::filesystem::create_symlink("/proc/self/mem", dir / "mem.js");
  EXPECT_EQ(SyntaxError("import mem;"), "can not open: mem.js");
  Write("lib.js", "x = 1;");
  EXPECT_EQ(SyntaxError("import lib x;"), "SyntaxError: Line( 1 ) Text( x )");
  EXPECT_EQ(SyntaxError("import lib.x;"), "SyntaxError: Line( 1 ) Text( x )");
  EXPECT_EQ(SyntaxError("import 'lib';"), "SyntaxError: Line( 1 ) Text( lib )");
  // Syntax errors inside the library propagate, naming the library.
  Write("bad.js", "y = ;");
  EXPECT_EQ(SyntaxError("import bad;"), dir / "bad.js: SyntaxError: Line( 1 ) Text( ; )");
}

TEST_F(ImportTest, LibraryPathIsSearchedInOrder) {
  std::filesystem::create_directories(dir / "first");
  std::filesystem::create_directories(dir / "second");
  Write("second/m.js", "from_second = 1;");
  parser.LibraryPath = {dir / "missing", dir / "first", dir / "second/"};
  TJStatement* s = ParseOk("import m;");
  EXPECT_EQ(Dump(s->Sub->Expr), "(= from_second 1)");
  // A directory named like the file does not hide a later entry's file.
  std::filesystem::create_directories(dir / "first/m.js");
  s = ParseOk("import m;");
  EXPECT_EQ(Dump(s->Sub->Expr), "(= from_second 1)");
  std::filesystem::remove(dir / "first/m.js");
  Write("first/m.js", "from_first = 1;");
  s = ParseOk("import m;");
  EXPECT_EQ(Dump(s->Sub->Expr), "(= from_first 1)");
  // The default list holds the current directory and the program folder.
  TJParser fresh(CodePage::Utf8);
  ASSERT_EQ(fresh.LibraryPath.size(), 2u);
  EXPECT_EQ(fresh.LibraryPath[0], "");
}

TEST_F(ImportTest, NestedImportsSearchTheImportersPath) {
  Write("outer.js", "import inner;\nouter_loaded = 1;");
  Write("inner.js", "inner_loaded = 1;");
  TJStatement* s = ParseOk("import outer;");
  ASSERT_NE(s->Sub, nullptr);
  EXPECT_EQ(s->Sub->Kind, skImport);
  EXPECT_EQ(Dump(s->Sub->Sub->Expr), "(= inner_loaded 1)");
}

TEST_F(ImportTest, CircularImportsAreReportedNotFollowed) {
  // Each is reported in the file that holds the import closing the circle.
  Write("self.js", "import self;");
  EXPECT_EQ(SyntaxError("import self;"), dir / "self.js: Line( 1 ): circular import: self.js");
  Write("loop.js", "x = 1; import loop.*;");
  EXPECT_EQ(SyntaxError("import loop.*;"), dir / "loop.js: Line( 1 ): circular import: loop.js");
  Write("a.js", "import b;");
  Write("b.js", "import a.*;");
  EXPECT_EQ(SyntaxError("import a;"), dir / "b.js: Line( 1 ): circular import: a.js");
  // A splice at the very end of a spliced file is still inside it.
  Write("tail.js", "import tail.*;");
  EXPECT_EQ(SyntaxError("import tail.*;"), dir / "tail.js: Line( 1 ): circular import: tail.js");
  // Diamonds are no cycle.
  Write("d.js", "d = 1;");
  Write("b1.js", "import d;");
  Write("b2.js", "import d;");
  EXPECT_NE(ParseOk("import b1; import b2; import d.*; import d.*;"), nullptr);
}

TEST_F(ImportTest, ErrorsNameTheFileAndLineTheyAreIn) {
  Write("two.js", "a = 1;\nb = 2;\n");
  Write("bad.js", "a = 1;\nb = ;\n");
  Write("outer.js", "o = 1;\nimport two.*;\np = ;");
  Write("wraps.js", "import two.*;\nw = 1;\n");
  Write("nested.js", "n = 1;\nimport bad;\n");
  struct Case {
    const char* name;
    TJSourceOrigin origin;
    const char* script;
    std::string error;
  };
  const Case kCases[] = {
      {"spliced lines do not count in the importer", {}, "import two.*;\nx = ;", "SyntaxError: Line( 2 ) Text( ; )"},
      {"nor do those a splice brought along", {}, "import wraps.*;\n\ny = ;", "SyntaxError: Line( 3 ) Text( ; )"},
      {"an error in a spliced library", {}, "x = 1;\nimport bad.*;", dir / "bad.js: SyntaxError: Line( 2 ) Text( ; )"},
      {"after a splice inside a library", {}, "import outer.*;", dir / "outer.js: SyntaxError: Line( 3 ) Text( ; )"},
      {"a library's own import", {}, "import nested.*;", dir / "bad.js: SyntaxError: Line( 2 ) Text( ; )"},
      {"named text, after its head", {"Foo.txt", 4, "head"}, "a;\nb;\nc;\n\nx;\ny = ;", "Foo.txt: SyntaxError: Line( 2 ) Text( ; )"},
      {"named text, in its head", {"Foo.txt", 4, "head"}, "a;\nb = ;\n\n\nx;", "Foo.txt: head: SyntaxError: Line( 2 ) Text( ; )"},
      {"named text, library missing", {"Foo.txt", 1, ""}, "\nx;\nimport nolib;", "Foo.txt: Line( 2 ): file not found: nolib.js"},
      {"named text, error in a library", {"Foo.txt", 1, ""}, "\nimport bad.*;", dir / "bad.js: SyntaxError: Line( 2 ) Text( ; )"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    parser.Origin = c.origin;
    EXPECT_EQ(SyntaxError(c.script), c.error);
  }

  // A failing constant fold is placed too (its script error has no place of its own).
  Write("fold.js", "f = 1;\ng = 1 / 0;");
  parser.Origin = {};
  for (const char* script : {"x = 1 / 0;", "import fold;", "import fold.*;"}) {
    SCOPED_TRACE(script);
    parser.Clear();
    EXPECT_THROW(parser.Parse(script), EJThrow);
    EXPECT_EQ(parser.FoldErrorPlace(), script[0] == 'x' ? std::string() : dir / "fold.js: Line( 2 ): ");
  }
  parser.Origin = {"Foo.txt", 2, ""};
  parser.Clear();
  EXPECT_THROW(parser.Parse("a;\nb;\nc;\nx = 1 / 0;"), EJThrow);
  EXPECT_EQ(parser.FoldErrorPlace(), "Foo.txt: Line( 2 ): ");
}

}  // namespace
}  // namespace kestrin

namespace kestrin {
namespace {

// Every statement reachable from s: each chain's links must agree in both directions.
void CheckChains(const TJStatement* s, int depth, int* visited) {
  ASSERT_LT(depth, 5000);
  for (const TJStatement* p = s; p != nullptr; p = p->Next) {
    ++*visited;
    if (p->Next != nullptr) {
      ASSERT_EQ(p->Next->Prev, p);
    }
    CheckChains(p->Sub, depth + 1, visited);
    CheckChains(p->Sub2, depth + 1, visited);
  }
}

// Random sequences of token fragments: the parser must either build a consistent tree or
// raise a syntax or folding error, never anything else and never crash.
TEST(ParserRobustness, RandomFragmentSequences) {
  static const char* const kFragments[] = {
      "a", "b", "1", "0", "2.5", "'s'", "\"t\\n\"", "(", ")", "{", "}", "[", "]", ";", ",",
      "=", "+=", ">>>=", "+", "-", "*", "/", "%", " div ", "<<", ">>", "<", "<=", "==", "!==",
      "&", "|", "^", "&&", "||", "!", "~", "++", "--", "?", ":", ".", "$1", " var ",
      " function ", " class ", " extends ", " new ", " typeof ", " void ", " delete ", " if ",
      " else ", " while ", " for ", " in ", " do ", " try ", " catch ", " finally ",
      " throw ", " return ", " break ", " continue ", " with ", " this ", " super ",
      " null ", " true ", " NaN ", " switch ", "//c\n", "/*c*/", "\n", "\x95\x5C", "@"};
  constexpr std::size_t kCount = sizeof(kFragments) / sizeof(kFragments[0]);
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  TJParser parser(CodePage::Cp932);
  parser.LibraryPath.clear();
  int parsed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = 1 + static_cast<int>(next() % 40);
    for (int i = 0; i < length; ++i) text += kFragments[next() % kCount];
    parser.Clear();
    try {
      if (parser.Parse(text)) {
        ++parsed;
        int visited = 0;
        CheckChains(parser.Root(), 0, &visited);
        ASSERT_GT(visited, 0) << text;
      }
    } catch (const EJSyntaxError&) {
    } catch (const EJThrow& e) {
      EXPECT_EQ(e.ErrorName, "EZDError") << text;
    }
  }
  EXPECT_GT(parsed, 10);  // the generator does reach valid programs
}

}  // namespace
}  // namespace kestrin
