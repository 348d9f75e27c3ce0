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

struct TJExpr {
  std::uint8_t Code = ecEmpty;
  // Identifier nodes: HashName(Name), computed once when the node is made, so lookups at
  // run time need not hash again. 0 elsewhere.
  std::uint32_t Hash = 0;
  // Room for the evaluator: a small per-node cache field may be added here (after Hash)
  // without changing what the factories or the parser do.
  // The evaluator's cache for identifier reads: where the name was last found and under
  // which member epoch (see TJEngine::EvalIdentifier). Only the evaluator touches it.
  mutable std::uint32_t CacheEpoch = 0;
  mutable std::uint32_t CacheSlot = 0;
  mutable const void* CacheTable = nullptr;
  TJExpr* Operand1 = nullptr;
  TJExpr* Operand2 = nullptr;
  TJExpr* Operand3 = nullptr;
  std::unique_ptr<TJValue> Constant;  // constant nodes only
  std::string Name;                   // identifier nodes only
};

struct TJStatement {
  std::uint8_t Kind = skEmpty;
  TJExpr* Expr = nullptr;
  TJStatement* Prev = nullptr;
  TJStatement* Next = nullptr;
  TJStatement* Sub = nullptr;
  TJStatement* Sub2 = nullptr;
};

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
