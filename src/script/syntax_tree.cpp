#include "script/syntax_tree.h"

#include <utility>

#include "script/operators.h"

#include "script/hash_table.h"

namespace kestrin {

namespace {

bool FoldsArithmetic(std::uint8_t code) {
  return (code >= ecAdd && code <= ecIntDivide) || (code >= ecShl && code <= ecUShr) ||
         (code >= ecBitAnd && code <= ecBitOr);
}

bool FoldsComparison(std::uint8_t code) {
  return code == ecOr || code == ecAnd || (code >= ecLess && code <= ecStrictNotEqual);
}

}  // namespace

// ---- expressions ----

TJExpr* TJExprFactory::NewNode() { return pool_.Make(); }

TJExpr* TJExprFactory::Make(std::uint8_t code, TJExpr* a, TJExpr* b, TJExpr* c) {
  TJExpr* node = pool_.Make();
  node->Code = code;
  node->Operand1 = a;
  node->Operand2 = b;
  node->Operand3 = c;
  return node;
}

TJExpr* TJExprFactory::NewUnary(std::uint8_t code, TJExpr* a) { return Make(code, a); }

TJExpr* TJExprFactory::NewBinary(std::uint8_t code, TJExpr* a, TJExpr* b) {
  const bool constants = a != nullptr && b != nullptr && a->Code == ecConstant &&
                         b->Code == ecConstant && a->Constant && b->Constant;
  if (constants && (FoldsArithmetic(code) || FoldsComparison(code))) {
    TJValue folded = FoldsArithmetic(code) ? Arithmetic(code, *a->Constant, *b->Constant)
                                           : Compare(code, *a->Constant, *b->Constant);
    *a->Constant = std::move(folded);
    pool_.Release(b);
    return a;
  }
  return Make(code, a, b);
}

TJExpr* TJExprFactory::NewTernary(std::uint8_t code, TJExpr* a, TJExpr* b, TJExpr* c) {
  return Make(code, a, b, c);
}

TJExpr* TJExprFactory::NewConstant(TJValue value) {
  TJExpr* node = Make(ecConstant);
  node->Constant = std::make_unique<TJValue>(std::move(value));
  return node;
}

TJExpr* TJExprFactory::NewIdentifier(std::string_view name) {
  TJExpr* node = Make(ecIdentifier);
  node->Name.assign(name);
  node->Hash = HashName(name);
  return node;
}

TJExpr* TJExprFactory::NewThis() { return Make(ecThis); }
TJExpr* TJExprFactory::NewSuperMember(TJExpr* ident) { return Make(ecSuperMember, nullptr, ident); }
TJExpr* TJExprFactory::NewListCell(TJExpr* previous, TJExpr* element) { return Make(ecListCell, previous, element); }
TJExpr* TJExprFactory::NewProperty(TJExpr* name, TJExpr* value) { return Make(ecProperty, name, value); }

// ---- statements ----

TJStatement* TJStatementFactory::NewStatement() { return pool_.Make(); }

TJStatement* TJStatementFactory::Make(std::uint8_t kind, TJExpr* expr, TJStatement* sub,
                                      TJStatement* sub2) {
  TJStatement* s = pool_.Make();
  s->Kind = kind;
  s->Expr = expr;
  s->Sub = sub;
  s->Sub2 = sub2;
  return s;
}

TJStatement* TJStatementFactory::NewBlock(TJStatement* chain) {
  return Make(skBlock, nullptr, First(chain));
}

TJStatement* TJStatementFactory::NewExpression(TJExpr* expr) { return Make(skExpression, expr); }

TJStatement* TJStatementFactory::NewIf(TJExpr* condition, TJStatement* thenPart,
                                       TJStatement* elsePart) {
  return Make(skIf, condition, thenPart, elsePart);
}

TJStatement* TJStatementFactory::NewWhile(TJExpr* condition, TJStatement* body) {
  return Make(skWhile, condition, body);
}

TJStatement* TJStatementFactory::NewFor(TJExpr* init, TJExpr* condition, TJExpr* update,
                                        TJStatement* body) {
  TJStatement* conditionNode = Make(skEmpty, condition);
  TJStatement* updateNode = Make(skEmpty, update);
  Link(conditionNode, updateNode);
  return Make(skFor, init, body, conditionNode);
}

TJStatement* TJStatementFactory::NewForIn(TJExpr* variable, TJExpr* object, TJStatement* body) {
  return Make(skForIn, variable, body, Make(skEmpty, object));
}

TJStatement* TJStatementFactory::NewDoWhile(TJStatement* body, TJExpr* condition) {
  return Make(skDoWhile, condition, body);
}

TJStatement* TJStatementFactory::NewFunction(TJExpr* name, TJStatement* parameters,
                                             TJStatement* body) {
  TJStatement* implicitReturn = Make(skReturn, exprs_.NewNode());
  Link(Last(body), implicitReturn);
  return Make(skFunction, name, First(parameters), First(implicitReturn));
}

TJStatement* TJStatementFactory::Append(std::uint8_t kind, TJStatement* previous, TJExpr* expr) {
  TJStatement* s = Make(kind, expr);
  Link(previous, s);
  return s;
}

TJStatement* TJStatementFactory::NewParameter(TJStatement* previous, TJExpr* ident) {
  return Append(skParameter, previous, ident);
}

TJStatement* TJStatementFactory::NewDeclarator(TJStatement* previous, TJExpr* ident) {
  return Append(skDeclarator, previous, ident);
}

TJStatement* TJStatementFactory::NewClass(TJExpr* name, TJStatement* members) {
  return Make(skClass, name, First(members));
}

TJStatement* TJStatementFactory::NewBreak() { return Make(skBreak); }
TJStatement* TJStatementFactory::NewContinue() { return Make(skContinue); }
TJStatement* TJStatementFactory::NewReturn(TJExpr* expr) { return Make(skReturn, expr); }
TJStatement* TJStatementFactory::NewTry(TJStatement* body) { return Make(skTry, nullptr, body); }

TJStatement* TJStatementFactory::NewCatch(TJExpr* variable, TJStatement* handler) {
  return Make(skCatch, variable, handler);
}

TJStatement* TJStatementFactory::NewFinally(TJStatement* body) {
  return Make(skFinally, nullptr, body);
}

TJStatement* TJStatementFactory::NewThrow(TJExpr* expr) { return Make(skThrow, expr); }

TJStatement* TJStatementFactory::NewWith(TJExpr* object, TJStatement* body) {
  return Make(skWith, object, body);
}

TJStatement* TJStatementFactory::NewImport(TJExpr* name, TJStatement* program) {
  return Make(skImport, name, First(program));
}

TJStatement* TJStatementFactory::NewVar(TJStatement* declarators) {
  return Make(skVar, nullptr, First(declarators));
}

void TJStatementFactory::Link(TJStatement* a, TJStatement* b) noexcept {
  if (a != nullptr) a->Next = b;
  if (b != nullptr) b->Prev = a;
}

TJStatement* TJStatementFactory::First(TJStatement* s) noexcept {
  if (s == nullptr) return nullptr;
  while (s->Prev != nullptr) s = s->Prev;
  return s;
}

TJStatement* TJStatementFactory::Last(TJStatement* s) noexcept {
  if (s == nullptr) return nullptr;
  while (s->Next != nullptr) s = s->Next;
  return s;
}

}  // namespace kestrin
