// The syntax tree: expression nodes (TJExpr) and statement nodes (TJStatement), and the two
// factories that make and own them.
//
// Nodes are plain records that the evaluator walks directly. Every node belongs to its
// factory until the factory is cleared; nobody frees a single node, except the factory
// itself when constant folding absorbs an operand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/value.h"

namespace kestrin {

// Expression node codes.
enum TJExprCode : std::uint8_t {
  ecEmpty = 0,
  ecComma = 1,
  ecAdd = 2,
  ecSubtract = 3,
  ecDivide = 4,
  ecMultiply = 5,
  ecRemainder = 6,
  ecIntDivide = 7,  // div
  ecAssign = 8,
  ecMulAssign = 9,
  ecDivAssign = 10,
  ecAddAssign = 11,
  ecSubAssign = 12,
  ecModAssign = 13,
  ecShlAssign = 14,
  ecShrAssign = 15,
  ecUShrAssign = 16,
  ecAndAssign = 17,
  ecXorAssign = 18,
  ecOrAssign = 19,
  ecConstant = 20,
  ecIdentifier = 21,
  ecPlus = 22,
  ecMinus = 23,
  ecThis = 24,
  ecMember = 25,       // a.b: 1 object, 2 identifier node b
  ecIndex = 26,        // a[k]: 1 object, 2 key expression
  ecProperty = 27,     // object-literal property: 1 identifier node, 2 value or none
  ecSuperMember = 28,  // super.b: 2 identifier node b
  ecNew = 29,          // 1 class identifier, 2 argument list or none, 3 module identifier or none
  ecObjectLiteral = 30,
  ecArrayLiteral = 31,
  ecCall = 32,      // 1 callee, 2 argument list or none
  ecListCell = 33,  // 1 previous cell or none, 2 element
  ecPreIncrement = 34,
  ecPreDecrement = 35,
  ecPostIncrement = 36,
  ecPostDecrement = 37,
  ecDelete = 38,
  ecVoid = 39,
  ecTypeof = 40,
  ecNot = 41,
  ecOr = 42,
  ecAnd = 43,
  ecShl = 44,
  ecShr = 45,
  ecUShr = 46,
  ecLess = 47,
  ecGreater = 48,
  ecLessEqual = 49,
  ecGreaterEqual = 50,
  ecEqual = 51,
  ecNotEqual = 52,
  ecStrictEqual = 53,
  ecStrictNotEqual = 54,
  ecBitAnd = 55,
  ecBitXor = 56,
  ecBitOr = 57,
  ecBitNot = 58,
  ecConditional = 59,  // 1 condition, 2 then, 3 else
};

// Statement kinds.
enum TJStatementKind : std::uint8_t {
  skEmpty = 0,        // also the placeholder of `import name.*;` and the for auxiliaries
  skBlock = 1,        // Sub: first statement of the contents
  skExpression = 2,   // Expr
  skIf = 3,           // Expr condition, Sub then, Sub2 else or none
  skWhile = 4,        // Expr condition, Sub body
  skFor = 5,          // Expr init, Sub body, Sub2 aux(Expr condition) -> Next aux(Expr update)
  skForIn = 6,        // Expr loop variable, Sub body, Sub2 aux(Expr object)
  skDoWhile = 7,      // Expr condition, Sub body
  skFunction = 8,     // Expr name, Sub first parameter, Sub2 body block -> implicit return
  skParameter = 9,    // Expr identifier or none
  skClass = 10,       // Expr name (its Operand1: base class name or none), Sub first member
  skDeclarator = 11,  // Expr identifier (its Operand1: initialiser or none)
  skBreak = 12,
  skContinue = 13,
  skReturn = 14,   // Expr or none
  skTry = 15,      // Sub
  skCatch = 16,    // Expr exception variable or none, Sub handler
  skFinally = 17,  // Sub
  skThrow = 18,    // Expr or none
  skWith = 19,     // Expr object, Sub body
  skImport = 20,   // Expr module name, Sub first statement of the imported program
  skVar = 21,      // Sub first declarator
};

class TJEngine;
struct TJNum;
struct TJExpr;
// The evaluator of a node in a numeric tree, chosen for its operator and the forms of its
// operands (see TJEngine::Num).
using TJNumHandler = TJNum (*)(TJEngine& engine, const TJExpr* node);
// Typed evaluators of numeric tree nodes (see numeric_trees.cpp): a double (NaN: not
// answered, ask the node's TJNumHandler), a truth (0 or 1; -1: not answered).
using TJDoubleHandler = double (*)(TJEngine& engine, const TJExpr* node);
using TJTruthHandler = int (*)(TJEngine& engine, const TJExpr* node);

struct TJExpr {
  std::uint8_t Code = ecEmpty;
  // The evaluator's verdict on this node as the root of a numeric tree (see
  // TJEngine::NumericRoot): not examined yet, general, or numeric; and how often the
  // numeric attempt met a value it does not take. Only the evaluator and the local layout
  // (which clears the verdict when it marks the node) touch them.
  mutable std::uint8_t Fast = 0;
  mutable std::uint8_t FastMisses = 0;
  // Member-name nodes (the b of a.b): the evaluator's inline cache, a shape and what the
  // name is in objects of that shape (see TJEngine::ReadStandardMember); CacheKind here
  // and the slot next to LocalSlot, so the node keeps to 128 bytes. Operator nodes that
  // are the root of a numeric tree: which typed evaluator the root uses (TJEngine::RootNum).
  mutable std::uint8_t CacheKind = 0;
  // Identifier nodes: HashName(Name), computed once when the node is made, so lookups at
  // run time need not hash again. 0 elsewhere.
  std::uint32_t Hash = 0;
  // The evaluator's cache for identifier reads: where the name was last found and under
  // which member epoch (see TJEngine::EvalIdentifier). Only the evaluator touches it.
  mutable std::uint32_t CacheEpoch = 0;
  mutable std::uint32_t CacheSlot = 0;
  mutable const void* CacheTable = nullptr;
  // Identifier nodes in a function body: the function's local layout and the name's slot
  // in it, or -1 when the name is never a local of that function (function_layout.h).
  // Other nodes that are the root of a numeric tree: the layout whose slots its
  // identifiers name.
  mutable const void* LocalLayout = nullptr;
  mutable std::int32_t LocalSlot = -1;
  mutable std::uint32_t CacheMemberSlot = 0;
  mutable std::uint64_t CacheShapeId = 0;
  // Member-name nodes: the native method of the inline cache. Operator nodes of a numeric
  // tree (which are never member names): their typed evaluator, a double for arithmetic,
  // a truth for comparisons and logic. (Call nodes of Math's functions in a numeric tree
  // keep the method in CacheMethod and its function in CacheTable: see MathCallTree.)
  union {
    mutable const void* CacheMethod = nullptr;
    mutable TJDoubleHandler DoubleHandler;
    mutable TJTruthHandler TruthHandler;
  };
  // Nodes of a numeric tree: their evaluator, set when a tree holding them is examined.
  mutable TJNumHandler NumHandler = nullptr;
  TJExpr* Operand1 = nullptr;
  TJExpr* Operand2 = nullptr;
  TJExpr* Operand3 = nullptr;
  std::unique_ptr<TJValue> Constant;  // constant nodes only
  std::string Name;                   // identifier nodes only
};

struct TJStatement;

// One step of a loop plan: a statement of the loop's body, or a piece of an expression
// statement (the operands of a comma), in the form the evaluator chose for it.
struct TJLoopStep {
  std::uint8_t Op = 0;       // the evaluator's form (loop_plans.cpp)
  // A statement begins here, so the chain's per-statement work runs: 1 on every pass, 2 in
  // a branch of an if (not on every pass); 0 for the later pieces of a statement.
  std::uint8_t Tick = 0;
  std::uint8_t Operator = 0;  // compound assignments: the arithmetic operator
  std::int32_t Slot = -1;    // a local target's slot in Layout; an if: the steps its
                             // then part takes (with the jump past the else part)
  const TJExpr* Expr = nullptr;
  const TJStatement* Statement = nullptr;
};

// The evaluator's plan for the body of a loop in a function: its statements as a list of
// steps, made for one local layout when the loop first runs; the layout that marks the
// loop (function_layout.cpp) drops it.
struct TJLoopPlan {
  const void* Layout = nullptr;
  std::vector<TJLoopStep> Steps;
  std::uint32_t Ticks = 0;       // steps that begin a statement on every pass
  std::uint32_t UpdateFrom = 0;  // a for's update: the steps from here on
  bool Branches = false;         // an if among the steps
};

struct TJStatement {
  std::uint8_t Kind = skEmpty;
  // Loops: 0 not planned yet, 1 planned (Plan), 2 runs the general way.
  mutable std::uint8_t PlanState = 0;
  TJExpr* Expr = nullptr;
  TJStatement* Prev = nullptr;
  TJStatement* Next = nullptr;
  TJStatement* Sub = nullptr;
  TJStatement* Sub2 = nullptr;
  mutable std::unique_ptr<TJLoopPlan> Plan;
};

// ---------------------------------------------------------------------------------------
// What the parts of a construct mean. The factory's New* functions below build these
// encodings and these views read them; no other code looks at Sub2 or Operand3 to find
// out what they hold for a construct.

struct IfParts {
  const TJExpr* condition;
  const TJStatement* then;
  const TJStatement* otherwise;  // none without else
};
inline IfParts PartsOfIf(const TJStatement& s) noexcept { return {s.Expr, s.Sub, s.Sub2}; }

// while and do ... while.
struct LoopParts {
  const TJExpr* condition;
  const TJStatement* body;
};
inline LoopParts PartsOfLoop(const TJStatement& s) noexcept { return {s.Expr, s.Sub}; }

// for (init; condition; update) body: the condition and the update live in two auxiliary
// nodes chained from Sub2.
struct ForParts {
  const TJExpr* init;
  const TJExpr* condition;
  const TJExpr* update;
  const TJStatement* body;
};
inline ForParts PartsOfFor(const TJStatement& s) noexcept {
  const TJStatement* aux = s.Sub2;
  const TJStatement* updateAux = aux != nullptr ? aux->Next : nullptr;
  return {s.Expr, aux != nullptr ? aux->Expr : nullptr, updateAux != nullptr ? updateAux->Expr : nullptr, s.Sub};
}

// for (variable in object) body: the object lives in an auxiliary node at Sub2.
struct ForInParts {
  const TJExpr* variable;
  const TJExpr* object;
  const TJStatement* body;
};
inline ForInParts PartsOfForIn(const TJStatement& s) noexcept {
  return {s.Expr, s.Sub2 != nullptr ? s.Sub2->Expr : nullptr, s.Sub};
}

// function name(parameters) block: the body chain is the block followed by an implicit
// return of an empty expression; a function without parameters has one parameter node
// without an identifier.
struct FunctionParts {
  const TJExpr* name;
  const TJStatement* firstParameter;
  const TJStatement* body;   // the chain to run: the block, then the implicit return
  const TJStatement* block;  // the block when the body is exactly that and the implicit
                             // return (as parsed); none for other chains
};
inline FunctionParts PartsOfFunction(const TJStatement& s) noexcept {
  const TJStatement* block = s.Sub2;
  const TJStatement* implicit = block != nullptr ? block->Next : nullptr;
  const bool plain = block != nullptr && block->Kind == skBlock && implicit != nullptr && implicit->Kind == skReturn &&
                     implicit->Next == nullptr &&
                     (implicit->Expr == nullptr || (implicit->Expr->Code == ecEmpty && implicit->Expr->Operand1 == nullptr &&
                                                    implicit->Expr->Operand2 == nullptr));
  return {s.Expr, s.Sub, s.Sub2, plain ? block : nullptr};
}
// The identifier of a parameter node, or none.
inline const TJExpr* ParameterName(const TJStatement& p) noexcept { return p.Expr; }

// class name [extends base] { members }: the base class's identifier hangs from the name
// node's Operand1; the members (functions and declarators) are a chain.
struct ClassParts {
  const TJExpr* name;
  const TJExpr* base;  // none without a base class
  const TJStatement* firstMember;
};
inline ClassParts PartsOfClass(const TJStatement& s) noexcept {
  return {s.Expr, s.Expr != nullptr ? s.Expr->Operand1 : nullptr, s.Sub};
}

// A declarator of var or of a class body: name [= initialiser]; the initialiser hangs
// from the identifier node's Operand1.
struct DeclaratorParts {
  const TJExpr* name;
  const TJExpr* initialiser;  // none without "="
};
inline DeclaratorParts PartsOfDeclarator(const TJStatement& s) noexcept {
  return {s.Expr, s.Expr != nullptr ? s.Expr->Operand1 : nullptr};
}

struct CatchParts {
  const TJExpr* variable;  // none for a bare catch
  const TJStatement* handler;
};
inline CatchParts PartsOfCatch(const TJStatement& s) noexcept { return {s.Expr, s.Sub}; }

struct ImportParts {
  const TJExpr* name;
  const TJStatement* program;  // first statement of the library's program
};
inline ImportParts PartsOfImport(const TJStatement& s) noexcept { return {s.Expr, s.Sub}; }

// new [module.]class[(arguments)]: the arguments are a list referenced by its last cell.
struct NewParts {
  const TJExpr* className;
  const TJExpr* lastArgument;  // none without arguments
  const TJExpr* module;        // none without the module prefix
};
inline NewParts PartsOfNew(const TJExpr& e) noexcept { return {e.Operand1, e.Operand2, e.Operand3}; }

// A property of an object literal: name [: value].
struct PropertyParts {
  const TJExpr* name;
  const TJExpr* value;  // none without ":"
};
inline PropertyParts PartsOfProperty(const TJExpr& e) noexcept { return {e.Operand1, e.Operand2}; }

// cond ? then : otherwise.
struct ConditionalParts {
  const TJExpr* condition;
  const TJExpr* then;
  const TJExpr* otherwise;
};
inline ConditionalParts PartsOfConditional(const TJExpr& e) noexcept { return {e.Operand1, e.Operand2, e.Operand3}; }

namespace detail {

// Stable storage for nodes: fixed-size blocks that are never moved, and a free list for
// nodes handed back before the pool is cleared.
template <typename Node>
class NodePool {
 public:
  Node* Make() {
    if (!free_.empty()) {
      Node* node = free_.back();
      free_.pop_back();
      ++live_;
      return node;
    }
    if (blocks_.empty() || used_ == kBlockSize) {
      blocks_.push_back(std::make_unique<Node[]>(kBlockSize));
      used_ = 0;
    }
    ++live_;
    return &blocks_.back()[used_++];
  }
  // The node goes back blank, ready for reuse.
  void Release(Node* node) {
    *node = Node();
    free_.push_back(node);
    --live_;
  }
  void Clear() {
    blocks_.clear();
    free_.clear();
    used_ = 0;
    live_ = 0;
  }
  std::size_t Count() const noexcept { return live_; }

 private:
  static constexpr std::size_t kBlockSize = 512;
  std::vector<std::unique_ptr<Node[]>> blocks_;
  std::vector<Node*> free_;
  std::size_t used_ = 0;
  std::size_t live_ = 0;
};

}  // namespace detail

class TJExprFactory {
 public:
  TJExprFactory() = default;
  TJExprFactory(const TJExprFactory&) = delete;
  TJExprFactory& operator=(const TJExprFactory&) = delete;

  TJExpr* NewNode();
  TJExpr* NewUnary(std::uint8_t code, TJExpr* a);
  // Folds two constant operands of an arithmetic, logical or comparison code into the
  // first operand; raises the operator's script error (EJThrow) when the fold fails.
  TJExpr* NewBinary(std::uint8_t code, TJExpr* a, TJExpr* b);
  TJExpr* NewTernary(std::uint8_t code, TJExpr* a, TJExpr* b, TJExpr* c);
  TJExpr* NewConstant(TJValue value);
  TJExpr* NewInteger(std::int32_t i) { return NewConstant(TJValue::Integer(i)); }
  TJExpr* NewNumber(double d) { return NewConstant(TJValue::Number(d)); }
  TJExpr* NewNull() { return NewConstant(TJValue::Null()); }
  TJExpr* NewBoolean(bool b) { return NewConstant(TJValue::Boolean(b)); }
  TJExpr* NewString(std::string_view s) { return NewConstant(TJValue::Text(s)); }
  TJExpr* NewNaN() { return NewConstant(TJValue::NaN()); }
  TJExpr* NewIdentifier(std::string_view name);
  TJExpr* NewThis();
  TJExpr* NewSuperMember(TJExpr* ident);
  TJExpr* NewListCell(TJExpr* previous, TJExpr* element);
  TJExpr* NewProperty(TJExpr* name, TJExpr* value);

  void Clear() { pool_.Clear(); }
  // Live nodes (made and not absorbed by folding).
  std::size_t Count() const noexcept { return pool_.Count(); }

 private:
  TJExpr* Make(std::uint8_t code, TJExpr* a = nullptr, TJExpr* b = nullptr, TJExpr* c = nullptr);

  detail::NodePool<TJExpr> pool_;
};

class TJStatementFactory {
 public:
  explicit TJStatementFactory(TJExprFactory& exprs) : exprs_(exprs) {}
  TJStatementFactory(const TJStatementFactory&) = delete;
  TJStatementFactory& operator=(const TJStatementFactory&) = delete;

  TJStatement* NewStatement();
  TJStatement* NewEmpty() { return NewStatement(); }
  // `chain` may be any node of the contents, or none.
  TJStatement* NewBlock(TJStatement* chain);
  TJStatement* NewExpression(TJExpr* expr);
  TJStatement* NewIf(TJExpr* condition, TJStatement* thenPart, TJStatement* elsePart);
  TJStatement* NewWhile(TJExpr* condition, TJStatement* body);
  TJStatement* NewFor(TJExpr* init, TJExpr* condition, TJExpr* update, TJStatement* body);
  TJStatement* NewForIn(TJExpr* variable, TJExpr* object, TJStatement* body);
  TJStatement* NewDoWhile(TJStatement* body, TJExpr* condition);
  // `parameters` is any node of the parameter chain; the body block is followed by an
  // implicit return of an empty expression.
  TJStatement* NewFunction(TJExpr* name, TJStatement* parameters, TJStatement* body);
  // Appends after `previous` (when there is one) and returns the new node.
  TJStatement* NewParameter(TJStatement* previous, TJExpr* ident);
  TJStatement* NewDeclarator(TJStatement* previous, TJExpr* ident);
  TJStatement* NewClass(TJExpr* name, TJStatement* members);
  TJStatement* NewBreak();
  TJStatement* NewContinue();
  TJStatement* NewReturn(TJExpr* expr);
  TJStatement* NewTry(TJStatement* body);
  TJStatement* NewCatch(TJExpr* variable, TJStatement* handler);
  TJStatement* NewFinally(TJStatement* body);
  TJStatement* NewThrow(TJExpr* expr);
  TJStatement* NewWith(TJExpr* object, TJStatement* body);
  TJStatement* NewImport(TJExpr* name, TJStatement* program);
  TJStatement* NewVar(TJStatement* declarators);

  static void Link(TJStatement* a, TJStatement* b) noexcept;
  static TJStatement* First(TJStatement* s) noexcept;
  static TJStatement* Last(TJStatement* s) noexcept;

  void Clear() { pool_.Clear(); }
  std::size_t Count() const noexcept { return pool_.Count(); }

 private:
  TJStatement* Make(std::uint8_t kind, TJExpr* expr = nullptr, TJStatement* sub = nullptr,
                    TJStatement* sub2 = nullptr);
  // A node of this kind holding expr, appended after previous (when there is one).
  TJStatement* Append(std::uint8_t kind, TJStatement* previous, TJExpr* expr);

  TJExprFactory& exprs_;
  detail::NodePool<TJStatement> pool_;
};

}  // namespace kestrin
