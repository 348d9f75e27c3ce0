// Expression evaluation: the value of every expression node. Operands are evaluated
// right to left (Operand2 before Operand1), argument lists and literals from the last
// element to the first, the callee of a call and the object part of a member access
// before their arguments and keys. `||`, `&&` and `?:` evaluate every operand.
#include <cmath>
#include <cstdint>

#include "script/builtins/array.h"
#include "script/engine.h"
#include "script/operators.h"

namespace kestrin {

namespace {

TJName NameOf(const TJExpr* ident) { return TJName(ident->Name, ident->Hash); }

// What a member-name node's inline cache holds (see FillMemberCache).
enum : std::uint8_t { kNotCached = 0, kSlot = 1, kTopSlot = 2, kNativeMethod = 3, kProperty = 4 };

// One operand an object whose text is "[" + its class name + "]", the other null.
inline bool ObjectAgainstNull(const TJValue& a, const TJValue& b) {
  const TJValue& object = a.Kind() == jkObject ? a : b;
  const TJValue& other = a.Kind() == jkObject ? b : a;
  return object.Kind() == jkObject && other.Kind() == jkNull && object.ObjValue() != nullptr &&
         object.ObjValue()->TextIsClassName();
}

// The number cases below give exactly what the operator routines (operators.cpp) give for
// operands that are integers or doubles: no conversion, no error. Every other case (a
// zero divisor, say) answers None and is left to the routine.
[[gnu::always_inline]] inline bool BothNumeric(TJNum a, TJNum b) {
  static_assert((jkInteger | 1) == jkNumber);
  return (a.kind | 1) == jkNumber && (b.kind | 1) == jkNumber;
}
[[gnu::always_inline]] inline double AsDouble(TJNum v) { return v.kind == jkInteger ? v.i : v.d; }
inline std::int32_t Wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }
inline std::uint32_t Bits(std::int32_t i) { return static_cast<std::uint32_t>(i); }

// ToBoolean of a number or boolean.
[[gnu::always_inline]] inline bool Truth(TJNum v) {
  return v.kind == jkBoolean ? v.b : v.kind == jkInteger ? v.i != 0 : std::trunc(v.d) != 0;
}

// A binary arithmetic operator.
[[gnu::always_inline]] inline TJNum NumArith(std::uint8_t code, TJNum a, TJNum b) {
  if (a.kind == jkInteger && b.kind == jkInteger) {
    const std::int32_t x = a.i;
    const std::int32_t y = b.i;
    switch (code) {
      case ecAdd:
        return TJNum::Int(static_cast<std::int32_t>(Bits(x) + Bits(y)));
      case ecSubtract:
        return TJNum::Int(static_cast<std::int32_t>(Bits(x) - Bits(y)));
      case ecMultiply:
        return TJNum::Int(static_cast<std::int32_t>(Bits(x) * Bits(y)));
      case ecBitAnd:
        return TJNum::Int(x & y);
      case ecBitOr:
        return TJNum::Int(x | y);
      case ecBitXor:
        return TJNum::Int(x ^ y);
      case ecShl:
        return TJNum::Int(static_cast<std::int32_t>(Bits(x) << (Bits(y) & 31u)));
      case ecShr:
      case ecUShr:
        return TJNum::Int(static_cast<std::int32_t>(Bits(x) >> (Bits(y) & 31u)));
      case ecDivide:
        if (y != 0) return TJNum::Double(static_cast<double>(x) / y);
        break;
      case ecRemainder:
        if (y > 0) return TJNum::Int(x % y);
        break;
      case ecIntDivide:
        if (y != 0 && y != -1) return TJNum::Int(x / y);
        break;
      default:
        break;  // a zero divisor, and -1 (whose quotient may wrap): the routine
    }
  } else if (BothNumeric(a, b)) {
    switch (code) {
      case ecAdd:
        return TJNum::Double(AsDouble(a) + AsDouble(b));
      case ecSubtract:
        return TJNum::Double(AsDouble(a) - AsDouble(b));
      case ecMultiply:
        return TJNum::Double(AsDouble(a) * AsDouble(b));
      case ecDivide:
        if (AsDouble(b) != 0) return TJNum::Double(AsDouble(a) / AsDouble(b));
        break;
      default:
        break;
    }
  }
  return TJNum::None();
}

[[gnu::always_inline]] inline bool CompareDoubles(std::uint8_t code, double x, double y) {
  switch (code) {
    case ecLess:
      return x < y;
    case ecGreater:
      return x > y;
    case ecLessEqual:
      return x <= y;
    case ecGreaterEqual:
      return x >= y;
    case ecEqual:
    case ecStrictEqual:
      return x == y;
    default:  // ecNotEqual, ecStrictNotEqual
      return x != y;
  }
}

// A relation, an equality, `||` or `&&`.
[[gnu::always_inline]] inline TJNum NumCompare(std::uint8_t code, TJNum a, TJNum b) {
  if (code == ecOr || code == ecAnd) {
    if (a.kind == jkUndefined || b.kind == jkUndefined) return TJNum::None();
    return TJNum::Bool(code == ecOr ? Truth(a) || Truth(b) : Truth(a) && Truth(b));
  }
  if (a.kind == jkInteger && b.kind == jkInteger) {
    // Every int32 is exact as a double.
    return TJNum::Bool(CompareDoubles(code, a.i, b.i));
  }
  if (a.kind == jkNumber && b.kind == jkNumber) return TJNum::Bool(CompareDoubles(code, a.d, b.d));
  // A relation of an integer and a double compares the numbers (equality compares texts).
  if (BothNumeric(a, b) && code >= ecLess && code <= ecGreaterEqual) {
    return TJNum::Bool(CompareDoubles(code, AsDouble(a), AsDouble(b)));
  }
  return TJNum::None();
}

// Unary plus (the absolute value), minus and bitwise not.
[[gnu::always_inline]] inline TJNum NumUnary(std::uint8_t code, TJNum a) {
  if (a.kind == jkInteger) {
    switch (code) {
      case ecPlus:
        return TJNum::Int(a.i < 0 ? static_cast<std::int32_t>(0u - Bits(a.i)) : a.i);
      case ecMinus:
        return TJNum::Int(static_cast<std::int32_t>(0u - Bits(a.i)));
      default:
        return TJNum::Int(~a.i);
    }
  }
  if (a.kind == jkNumber && code != ecBitNot) return TJNum::Double(code == ecPlus ? std::fabs(a.d) : -a.d);
  return TJNum::None();
}

// The operator of a compound assignment.
inline std::uint8_t CompoundOperator(std::uint8_t code) {
  static constexpr std::uint8_t kOperator[] = {
      ecMultiply, ecDivide, ecAdd, ecSubtract, ecRemainder, ecShl, ecShr, ecUShr, ecBitAnd, ecBitXor, ecBitOr,
  };
  return kOperator[code - ecMulAssign];
}

constexpr bool IsArithmetic(std::uint8_t code) {
  return (code >= ecAdd && code <= ecIntDivide) || (code >= ecShl && code <= ecUShr) ||
         (code >= ecBitAnd && code <= ecBitOr);
}
constexpr bool IsComparison(std::uint8_t code) {
  return code == ecOr || code == ecAnd || (code >= ecLess && code <= ecStrictNotEqual);
}

// A binary arithmetic operator on values: the number cases here, the rest by the routine.
[[gnu::always_inline]] inline TJValue Operate(std::uint8_t code, const TJValue& a, const TJValue& b) {
  const TJNum r = NumArith(code, NumOf(a), NumOf(b));
  return r.Ok() ? r.Value() : Arithmetic(code, a, b);
}

}  // namespace

// The evaluators of numeric tree nodes. Each is made for one operator and the forms of
// its operands (a local's slot, a constant, another node), so a node runs without asking
// what it is, and only inner nodes are called through their pointer.
struct NumericHandlers {
  enum Form { kFormSlot = 0, kFormConst = 1, kFormNode = 2 };

  static int FormOf(const TJExpr* op) { return op->Code == ecIdentifier ? kFormSlot : op->Code == ecConstant ? kFormConst : kFormNode; }

  template <int F>
  [[gnu::always_inline]] static TJNum Fetch(TJEngine& e, const TJExpr* op) {
    if constexpr (F == kFormSlot) {
      return NumOf(e.frameSlots_[op->LocalSlot]);
    } else if constexpr (F == kFormConst) {
      return NumOf(*op->Constant);
    } else {
      return op->NumHandler(e, op);
    }
  }

  static TJNum Slot(TJEngine& e, const TJExpr* n) { return Fetch<kFormSlot>(e, n); }
  static TJNum Constant(TJEngine& e, const TJExpr* n) { return Fetch<kFormConst>(e, n); }

  // A binary arithmetic operator, relation, equality, `||` or `&&`.
  template <std::uint8_t Code, int L, int R>
  static TJNum Binary(TJEngine& e, const TJExpr* n) {
    const TJNum b = Fetch<R>(e, n->Operand2);
    if (!b.Ok()) return b;
    const TJNum a = Fetch<L>(e, n->Operand1);
    if (!a.Ok()) return a;
    if constexpr (IsComparison(Code)) {
      return NumCompare(Code, a, b);
    } else {
      return NumArith(Code, a, b);
    }
  }

  static TJNum Not(TJEngine& e, const TJExpr* n) {
    const TJNum a = Fetch<kFormNode>(e, n->Operand1);
    return a.Ok() ? TJNum::Bool(!Truth(a)) : a;
  }

  template <std::uint8_t Code>
  static TJNum Unary(TJEngine& e, const TJExpr* n) {
    const TJNum a = Fetch<kFormNode>(e, n->Operand1);
    return a.Ok() ? NumUnary(Code, a) : a;
  }

  static TJNum Conditional(TJEngine& e, const TJExpr* n) {
    const ConditionalParts parts = PartsOfConditional(*n);
    const TJNum otherwise = Fetch<kFormNode>(e, parts.otherwise);
    if (!otherwise.Ok()) return otherwise;
    const TJNum then = Fetch<kFormNode>(e, parts.then);
    if (!then.Ok()) return then;
    const TJNum condition = Fetch<kFormNode>(e, parts.condition);
    if (!condition.Ok()) return condition;
    return Truth(condition) ? then : otherwise;
  }

  // A local, or a member of `this` or of an object in a local as the member node's cache
  // finds it (what the general read gives, without its effects: a native method, a
  // method's stand-in or a cache miss answer null); n as PeekableBase accepted it.
  static TJValue* Peek(TJEngine& e, const TJExpr* n) {
    if (n->Code == ecIdentifier) return &e.frameSlots_[n->LocalSlot];
    const TJExpr* base = n->Operand1;
    TJObject* object = nullptr;
    if (base->Code == ecThis) {
      object = e.tables_.CurrentThis();
    } else {
      const TJValue& v = e.frameSlots_[base->LocalSlot];
      if (v.Kind() != jkObject) return nullptr;
      object = v.ObjValue();
    }
    if (object == nullptr || !object->StandardMemberAccess()) return nullptr;
    const TJExpr* member = n->Operand2;
    if ((member->CacheKind != kSlot && member->CacheKind != kTopSlot) ||
        member->CacheShapeId != object->Members().Shape()->Id()) {
      return nullptr;
    }
    TJValue* v = &object->Members().Value(member->CacheMemberSlot);
    return v->Kind() == jkFunction ? nullptr : v;
  }

  static TJNum Member(TJEngine& e, const TJExpr* n) {
    const TJValue* v = Peek(e, n);
    return v != nullptr ? NumOf(*v) : TJNum::None();
  }

  // An element of an array in a local or a member by an integer key.
  template <int K>
  static TJNum Index(TJEngine& e, const TJExpr* n) {
    const TJValue* baseValue = Peek(e, n->Operand1);
    if (baseValue == nullptr || baseValue->Kind() != jkObject) return TJNum::None();
    const TJValue& base = *baseValue;
    const TJNum key = Fetch<K>(e, n->Operand2);
    const TJArrayObject* array = TJArrayObject::Exactly(base.ObjValue());
    if (key.kind != jkInteger || array == nullptr) return TJNum::None();
    const TJValue* element = array->Element(key.i);
    return element != nullptr ? NumOf(*element) : TJNum::None();
  }

  template <std::uint8_t Code>
  static TJNumHandler BinaryFor(int l, int r) {
    static constexpr TJNumHandler kTable[3][3] = {
        {Binary<Code, 0, 0>, Binary<Code, 0, 1>, Binary<Code, 0, 2>},
        {Binary<Code, 1, 0>, Binary<Code, 1, 1>, Binary<Code, 1, 2>},
        {Binary<Code, 2, 0>, Binary<Code, 2, 1>, Binary<Code, 2, 2>},
    };
    return kTable[l][r];
  }

  // The evaluator of a node whose operands are all numeric trees.
  static TJNumHandler For(const TJExpr* n) {
    const int l = n->Operand1 != nullptr ? FormOf(n->Operand1) : kFormNode;
    const int r = n->Operand2 != nullptr ? FormOf(n->Operand2) : kFormNode;
    switch (n->Code) {
      case ecConstant: return Constant;
      case ecIdentifier: return Slot;
      case ecAdd: return BinaryFor<ecAdd>(l, r);
      case ecSubtract: return BinaryFor<ecSubtract>(l, r);
      case ecDivide: return BinaryFor<ecDivide>(l, r);
      case ecMultiply: return BinaryFor<ecMultiply>(l, r);
      case ecRemainder: return BinaryFor<ecRemainder>(l, r);
      case ecIntDivide: return BinaryFor<ecIntDivide>(l, r);
      case ecShl: return BinaryFor<ecShl>(l, r);
      case ecShr: return BinaryFor<ecShr>(l, r);
      case ecUShr: return BinaryFor<ecUShr>(l, r);
      case ecBitAnd: return BinaryFor<ecBitAnd>(l, r);
      case ecBitXor: return BinaryFor<ecBitXor>(l, r);
      case ecBitOr: return BinaryFor<ecBitOr>(l, r);
      case ecLess: return BinaryFor<ecLess>(l, r);
      case ecGreater: return BinaryFor<ecGreater>(l, r);
      case ecLessEqual: return BinaryFor<ecLessEqual>(l, r);
      case ecGreaterEqual: return BinaryFor<ecGreaterEqual>(l, r);
      case ecEqual: return BinaryFor<ecEqual>(l, r);
      case ecNotEqual: return BinaryFor<ecNotEqual>(l, r);
      case ecStrictEqual: return BinaryFor<ecStrictEqual>(l, r);
      case ecStrictNotEqual: return BinaryFor<ecStrictNotEqual>(l, r);
      case ecOr: return Binary<ecOr, kFormNode, kFormNode>;
      case ecAnd: return Binary<ecAnd, kFormNode, kFormNode>;
      case ecNot: return Not;
      case ecPlus: return Unary<ecPlus>;
      case ecMinus: return Unary<ecMinus>;
      case ecBitNot: return Unary<ecBitNot>;
      case ecConditional: return Conditional;
      case ecIndex: return r == kFormSlot ? Index<kFormSlot> : r == kFormConst ? Index<kFormConst> : Index<kFormNode>;
      case ecMember: return Member;
      default: return nullptr;
    }
  }
};

namespace {

// Numeric trees stay this low: their evaluation needs no stack check.
constexpr int kNumericHeight = 32;

// A local of the layout, or a dot member of `this` or of such a local (NumericHandlers::Peek).
bool PeekableBase(const TJExpr* n, const void* layout) {
  const auto local = [layout](const TJExpr* e) {
    return e != nullptr && e->Code == ecIdentifier && layout != nullptr && e->LocalLayout == layout && e->LocalSlot >= 0;
  };
  if (n == nullptr) return false;
  if (n->Code == ecIdentifier) return local(n);
  if (n->Code != ecMember || n->Operand2 == nullptr || n->Operand2->Code != ecIdentifier || n->Operand1 == nullptr) {
    return false;
  }
  return n->Operand1->Code == ecThis ? layout != nullptr : local(n->Operand1);
}

// Can the tree below n be evaluated as a numeric tree over the slots of `layout`? Every
// node that can gets its evaluator.
bool NumericTree(const TJExpr* n, const void* layout, int height) {
  if (n == nullptr || height == 0) return false;
  const std::uint8_t code = n->Code;
  bool numeric = false;
  if (code == ecConstant) {
    numeric = n->Constant != nullptr && (n->Constant->Kind() == jkInteger || n->Constant->Kind() == jkNumber ||
                                         n->Constant->Kind() == jkBoolean);
  } else if (code == ecIdentifier) {
    numeric = layout != nullptr && n->LocalLayout == layout && n->LocalSlot >= 0;
  } else if (IsArithmetic(code) || IsComparison(code)) {
    numeric = NumericTree(n->Operand1, layout, height - 1) && NumericTree(n->Operand2, layout, height - 1);
  } else if (code == ecNot || code == ecPlus || code == ecMinus || code == ecBitNot) {
    numeric = NumericTree(n->Operand1, layout, height - 1);
  } else if (code == ecIndex) {
    // An element of an array held in a local or a member.
    numeric = PeekableBase(n->Operand1, layout) && NumericTree(n->Operand2, layout, height - 1);
  } else if (code == ecMember) {
    numeric = PeekableBase(n, layout);
  } else if (code == ecConditional) {
    const ConditionalParts parts = PartsOfConditional(*n);
    numeric = NumericTree(parts.condition, layout, height - 1) && NumericTree(parts.then, layout, height - 1) &&
              NumericTree(parts.otherwise, layout, height - 1);
  }
  if (numeric) n->NumHandler = NumericHandlers::For(n);
  return numeric;
}

std::size_t ListLength(const TJExpr* last) {
  std::size_t n = 0;
  for (const TJExpr* c = last; c != nullptr; c = c->Operand1) ++n;
  return n;
}

}  // namespace

TJValue TJEngine::Evaluate(const TJExpr* node) { return Eval(node); }

// ---------------------------------------------------------------------------------------
// Numeric trees

bool TJEngine::ClassifyRoot(const TJExpr* n) {
  const bool numeric = NumericTree(n, frameLayout_, kNumericHeight);
  n->Fast = numeric ? kFastNumeric : kFastGeneral;
  // An identifier's layout is its own already.
  if (numeric && n->Code != ecIdentifier) n->LocalLayout = frameLayout_;
  return numeric;
}

// a[k] = value with an array in a local, an integer key and an uncounted value over an
// uncounted element. The value, the array and the key are read as the general way reads
// them (none has an effect); anything else is left to it.
bool TJEngine::AssignElementNumber(const TJExpr* n, TJNum& result) {
  const TJExpr* target = n->Operand1;
  const TJExpr* value = n->Operand2;
  if (target == nullptr || target->Code != ecIndex || value == nullptr || value->Fast == kFastGeneral) return false;
  const TJExpr* baseNode = target->Operand1;
  const TJExpr* key = target->Operand2;
  if (baseNode == nullptr || key == nullptr || !NumericRoot(baseNode) || !NumericRoot(value) || !NumericRoot(key)) {
    return false;
  }
  const TJValue* base = NumericHandlers::Peek(*this, baseNode);
  if (base == nullptr || base->Kind() != jkObject) return false;
  TJArrayObject* array = TJArrayObject::Exactly(base->ObjValue());
  if (array == nullptr) return false;
  const TJNum v = NumOperand(value);
  if (!v.Ok()) {
    NumericMiss(value);
    return false;
  }
  const TJNum k = NumOperand(key);
  if (k.kind != jkInteger || !array->SetUncounted(k.i, v.Value())) {
    NumericMiss(key);
    return false;
  }
  result = v;
  return true;
}

// o.m = value and o.m op= value with o `this` or a local: in place when the member node's
// cache finds the member in the top layer holding an uncounted value (where the general
// way writes the slot too); a cache miss is left to the general way, which fills it.
bool TJEngine::AssignMemberNumber(const TJExpr* n, TJNum& result) {
  const TJExpr* target = n->Operand1;
  const TJExpr* value = n->Operand2;
  if (target == nullptr || target->Code != ecMember || value == nullptr || value->Fast == kFastGeneral) return false;
  if (!NumericRoot(target) || !NumericRoot(value)) return false;
  const TJNum v = NumOperand(value);
  if (!v.Ok()) {
    NumericMiss(value);
    return false;
  }
  TJValue* slot = NumericHandlers::Peek(*this, target);
  if (slot == nullptr || target->Operand2->CacheKind != kTopSlot || slot->Kind() >= jkString) return false;
  const TJNum r = n->Code == ecAssign ? v : NumArith(CompoundOperator(n->Code), NumOf(*slot), v);
  if (!r.Ok()) return false;
  Overwrite(slot, r);
  result = r;
  return true;
}

bool TJEngine::AssignLocalNumber(const TJExpr* n, TJNum& result) {
  const TJExpr* value = n->Operand2;
  if (value == nullptr || value->Fast == kFastGeneral) return false;
  TJValue* slot = LocalSlotOf(n->Operand1);
  if (slot == nullptr || !NumericRoot(value)) return false;
  result = NumOperand(value);
  if (!result.Ok()) {
    NumericMiss(value);
    return false;
  }
  StoreNum(slot, result);
  return true;
}

bool TJEngine::EvalCondition(const TJExpr* n) {
  if (n != nullptr && NumericRoot(n)) {
    const TJNum r = Num(n);
    if (r.Ok()) return Truth(r);
    NumericMiss(n);
  }
  return ToBoolean(Eval(n));
}

// The forms handled here are told apart by comparisons (predicted per form) rather than
// a second dispatch before Eval's.
void TJEngine::ExecOtherExpression(const TJExpr* n) {
  if (n == nullptr) return;
  const std::uint8_t code = n->Code;
  if (code == ecAssign) {
    TJNum r;
    const std::uint8_t target = n->Operand1 != nullptr ? n->Operand1->Code : std::uint8_t{ecEmpty};
    const bool done = target == ecIdentifier ? AssignLocalNumber(n, r)
                      : target == ecIndex    ? AssignElementNumber(n, r)
                      : target == ecMember   ? AssignMemberNumber(n, r)
                                             : false;
    if (!done) {
      CheckStack();
      AssignValue(n);
    }
    return;
  }
  if (code >= ecPreIncrement && code <= ecPostDecrement) {
    // An integer local steps in place.
    TJValue* slot = LocalSlotOf(n->Operand1);
    if (slot != nullptr && slot->Kind() == jkInteger) {
      const bool up = code == ecPreIncrement || code == ecPostIncrement;
      Overwrite(slot, TJNum::Int(Wrap(static_cast<std::int64_t>(slot->IntValue()) + (up ? 1 : -1))));
      return;
    }
  } else if (code >= ecMulAssign && code <= ecOrAssign) {
    TJNum r;
    if (n->Operand1 != nullptr && n->Operand1->Code == ecMember && AssignMemberNumber(n, r)) return;
    TJValue* slot = LocalSlotOf(n->Operand1);
    const TJExpr* value = n->Operand2;
    if (slot != nullptr && (slot->Kind() | 1) == jkNumber && value != nullptr && NumericRoot(value)) {
      const TJNum v = NumOperand(value);
      const TJNum r = v.Ok() ? NumArith(CompoundOperator(code), NumOf(*slot), v) : v;
      if (r.Ok()) {
        Overwrite(slot, r);
        return;
      }
      NumericMiss(value);
    }
  } else if (code == ecComma) {
    CheckStack();
    ExecExpression(n->Operand1);
    ExecExpression(n->Operand2);
    return;
  }
  Eval(n);
}

// ---------------------------------------------------------------------------------------
// Operators

TJValue TJEngine::EvalArithmetic(const TJExpr* n) {
  CheckStack();
  if (NumericRoot(n)) {
    const TJNum r = Num(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  TJValue b = Operand(n->Operand2);
  TJValue a = Operand(n->Operand1);
  return Operate(n->Code, a, b);
}

TJValue TJEngine::EvalComparison(const TJExpr* n) {
  CheckStack();
  if (NumericRoot(n)) {
    const TJNum r = Num(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  TJValue b = Operand(n->Operand2);
  TJValue a = Operand(n->Operand1);
  const TJNum r = NumCompare(n->Code, NumOf(a), NumOf(b));
  if (r.Ok()) return r.Value();
  if ((n->Code == ecEqual || n->Code == ecNotEqual) && ObjectAgainstNull(a, b)) {
    // An object whose text is its class name ("[Name]") never equals null's text.
    return TJValue::Boolean(n->Code == ecNotEqual);
  }
  return Compare(n->Code, a, b);
}

TJValue TJEngine::EvalNot(const TJExpr* n) {
  CheckStack();
  return Compare(ecNot, Eval(n->Operand1), TJValue());
}

// Unary plus (the absolute value), minus and bitwise not.
TJValue TJEngine::EvalUnary(const TJExpr* n) {
  CheckStack();
  return Unary(n->Code, Eval(n->Operand1));
}

TJValue TJEngine::EvalComma(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand1);
  return Eval(n->Operand2);
}

TJValue TJEngine::EvalThis() { return TJValue::Object(tables_.CurrentThis()); }

TJValue TJEngine::EvalVoid(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand1);
  return TJValue::Null();
}

TJValue TJEngine::EvalTypeof(const TJExpr* n) {
  CheckStack();
  return TJValue::Text(TypeName(Eval(n->Operand1)));
}

// Every part is evaluated: else, then, condition.
TJValue TJEngine::EvalConditional(const TJExpr* n) {
  CheckStack();
  const ConditionalParts parts = PartsOfConditional(*n);
  TJValue otherwise = Eval(parts.otherwise);
  TJValue then = Eval(parts.then);
  TJValue condition = Eval(parts.condition);
  return Choose(condition, then, otherwise);
}

// Empty nodes, properties and list cells outside their context, unknown codes: their
// operands are evaluated for their effects, the second first as everywhere.
TJValue TJEngine::EvalOther(const TJExpr* n) {
  CheckStack();
  Eval(n->Operand2);
  Eval(n->Operand1);
  return TJValue();
}

// The slow half of a bare-name read (engine.h has the fast half): the full lookup, and
// remembering in the node where a name of the module's variables lives.
TJValue TJEngine::EvalIdentifierSlow(const TJExpr* n, bool withLocals) {
  TJSymbolTable& t = tables_.Current();
  TJValue v;
  const TJName name = NameOf(n);
  switch (t.LookupWhere(name, v, withLocals)) {
    case TJSymbolTable::Found::Vars:
      if (t.CurrentThis() == t.GlobalObject()) {
        const std::int64_t slot = t.Vars().IndexOf(n->Name, n->Hash);
        if (slot >= 0) {
          n->CacheEpoch = MemberEpoch();
          n->CacheTable = &t;
          n->CacheSlot = static_cast<std::uint32_t>(slot);
        }
      }
      return v;
    case TJSymbolTable::Found::Nowhere:
      if (!tables_.LookupElsewhere(name, v)) ThrowScriptError(errors::kName, n->Name);
      return v;
    default:
      return v;
  }
}

// Assignment to a bare name: the innermost local scope when a function runs (its slot when
// the node belongs to that function), else the module's variables (through the node's
// remembered slot when it still holds the name).
void TJEngine::StoreIdentifier(const TJExpr* n, const TJValue& value) {
  if (TJValue* slot = LocalSlotOf(n)) {
    StoreLocal(slot, value);
    return;
  }
  TJSymbolTable& t = tables_.Current();
  if (!t.HasLocal()) {
    TJHash& vars = t.Vars();
    if (n->CacheTable == &t && n->CacheSlot < vars.Count() && vars.Entry(n->CacheSlot).Is(n->Name, n->Hash)) {
      vars.Assign(n->CacheSlot, value);
      return;
    }
    vars.Set(NameOf(n), value);
    const std::int64_t slot = vars.IndexOf(n->Name, n->Hash);
    if (slot >= 0 && n->CacheTable != &t) {
      n->CacheEpoch = 0;  // a read still has to establish that nothing hides the variable
      n->CacheTable = &t;
      n->CacheSlot = static_cast<std::uint32_t>(slot);
    } else if (slot >= 0) {
      n->CacheSlot = static_cast<std::uint32_t>(slot);
    }
    return;
  }
  t.TopLocal().Set(NameOf(n), value);
}

// ---------------------------------------------------------------------------------------
// Member access

TJObject* TJEngine::TemporaryFor(const TJValue& base, std::string_view className) {
  TJValueList args;
  args.Add(base);
  return factory_.CreateObject(className, &args);
}

TJSymbolTable& TJEngine::ModuleTable(const TJFunction& module, std::string_view name) {
  // A module value of an earlier run may name a table that is gone.
  if (module.Generation != generation_ || module.Definition == nullptr) ThrowScriptError(errors::kName, name);
  return *static_cast<TJSymbolTable*>(const_cast<void*>(module.Definition));
}

TJValue TJEngine::ReadModuleMember(TJFunction& module, const TJName& name) {
  TJSymbolTable* table = &ModuleTable(module, name.Text());
  TJValue v;
  table->LookupMember(name, v);
  if (v.Kind() == jkFunction && v.FuncValue() != nullptr && v.FuncValue()->FuncKind == TJFunctionKind::Script) {
    v.FuncValue()->ScopeName = table->TableName();
  }
  return v;
}

// ---------------------------------------------------------------------------------------
// Inline caches of dot access: a member-name node remembers a shape and what its name is
// in objects of that shape (an entry's slot, an entry of the top layer, or a native method
// of a class layer, or a property a class publishes, which comes before them all). Only
// objects whose dot access is TJObject's own use them.

bool TJEngine::FillMemberCache(TJObject& object, const TJExpr* member) {
  const TJMemberStore& store = object.Members();
  const TJShape* shape = store.Shape();
  if (shape->Dictionary()) return false;
  const TJName name = NameOf(member);
  TJShape::Found found;
  if (const TJPropertyInfo* p = object.FindPropertyInfo(name)) {
    member->CacheKind = kProperty;
    member->CacheMethod = p;
  } else if (found = store.Resolve(name); found.slot >= 0) {
    member->CacheKind = shape->SlotAt(static_cast<std::size_t>(found.slot)).layer + 1 == shape->LayerCount() ? kTopSlot : kSlot;
    member->CacheMemberSlot = static_cast<std::uint32_t>(found.slot);
  } else if (found.method != nullptr) {
    member->CacheKind = kNativeMethod;
    member->CacheMethod = found.method;
  } else {
    return false;
  }
  member->CacheShapeId = shape->Id();
  return true;
}

bool TJEngine::ReadStandardMember(TJObject& object, const TJExpr* member, TJValue& out) {
  if (member->CacheShapeId != object.Members().Shape()->Id() && !FillMemberCache(object, member)) return false;
  switch (member->CacheKind) {
    case kNativeMethod:
      out = function_factory::Native(static_cast<const TJMethodInfo*>(member->CacheMethod)->Method, &object);
      return true;
    case kProperty: {
      // As TJObject::GetValue: a property of object type without an object gives way to
      // the member of that name.
      const auto* p = static_cast<const TJPropertyInfo*>(member->CacheMethod);
      if (p->Get == nullptr) ThrowScriptError(errors::kSetOnly);
      TJValue v = p->Get(object);
      if (p->Type == TJPropertyType::Object && (v.Kind() != jkObject || v.ObjValue() == nullptr)) {
        out = TJValue();
        if (!object.ReadMember(NameOf(member), out)) ThrowScriptError(errors::kName, member->Name);
        return true;
      }
      out = std::move(v);
      return true;
    }
    default:
      out = object.Members().Read(member->CacheMemberSlot, &object);
      return true;
  }
}

bool TJEngine::WriteStandardMember(TJObject& object, const TJExpr* member, const TJValue& value) {
  if (member->CacheShapeId != object.Members().Shape()->Id() && !FillMemberCache(object, member)) return false;
  if (member->CacheKind != kTopSlot) return false;  // a new entry of the top layer: by name
  object.Members().Assign(member->CacheMemberSlot, value);
  return true;
}

TJValue TJEngine::ReadMember(const TJValue& base, const TJExpr* member, bool bracket, const TJValue& key) {
  TJObject* object = nullptr;
  switch (base.Kind()) {
    case jkObject:
      object = base.ObjValue();
      break;
    case jkString: {
      TJValue out;
      if ((bracket || member != nullptr) && ReadStringMember(base, member, bracket, key, out)) return out;
      object = TemporaryFor(base, "String");
      break;
    }
    case jkInteger:
    case jkNumber:
    case jkBoolean:
    case jkDispatch:
      // Only the dot form reaches the members of these.
      if (bracket) ThrowScriptError(errors::kKey, member != nullptr ? std::string_view(member->Name) : std::string_view());
      object = TemporaryFor(base, base.Kind() == jkBoolean    ? "Boolean"
                                  : base.Kind() == jkDispatch ? "ActiveXObject"
                                                              : "Number");
      break;
    case jkFunction:
      if (base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module) {
        if (bracket) {
          const SharedString text = ToText(key);
          return ReadModuleMember(*base.FuncValue(), TJName(text));
        }
        return ReadModuleMember(*base.FuncValue(), NameOf(member));
      }
      [[fallthrough]];
    default:
      ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  }
  if (object == nullptr) ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  TJValue out;
  if (!bracket) {
    if (!object->StandardMemberAccess() || !ReadStandardMember(*object, member, out)) {
      object->GetValue(NameOf(member), false, out);
    }
  } else if (key.Kind() != jkInteger || !object->GetIndexed(key.IntValue(), out)) {
    const SharedString text = ToText(key);
    object->GetValue(TJName(text), true, out);
  }
  if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(object);
  return out;
}

TJValue TJEngine::MemberOf(const TJValue& base, const TJExpr* n) {
  const TJExpr* member = n->Operand2;
  const bool dot = n->Code == ecMember && member != nullptr && member->Code == ecIdentifier;
  if (dot) return ReadMember(base, member, false, TJValue());
  // Number, boolean and dispatch values refuse the index form before any key is computed.
  switch (base.Kind()) {
    case jkInteger:
    case jkNumber:
    case jkBoolean:
    case jkDispatch:
      ThrowScriptError(errors::kKey, member != nullptr ? std::string_view(member->Name) : std::string_view());
    case jkObject:
    case jkString:
      break;
    case jkFunction:
      if (base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module) break;
      [[fallthrough]];
    default:
      ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
  }
  const TJValue key = Eval(member);
  return ReadMember(base, member, true, key);
}

TJValue TJEngine::EvalMemberRead(const TJExpr* n) {
  CheckStack();
  // An element of an array by a numeric key, or a number in a member, read in place.
  if (n->Code != ecSuperMember && NumericRoot(n)) {
    const TJNum r = Num(n);
    if (r.Ok()) return r.Value();
    NumericMiss(n);
  }
  if (n->Code == ecSuperMember) {
    TJObject* self = tables_.CurrentThis();
    const TJExpr* member = n->Operand2;
    TJValue out;
    self->GetSuperValue(NameOf(member), out);
    if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(self);
    return out;
  }
  const TJValue base = Eval(n->Operand1);
  // A member of an object in the dot form: through the name node's cache when it answers.
  if (n->Code == ecMember && base.Kind() == jkObject && base.ObjValue() != nullptr) {
    TJObject* object = base.ObjValue();
    const TJExpr* member = n->Operand2;
    TJValue out;
    if (member != nullptr && member->Code == ecIdentifier && object->StandardMemberAccess() &&
        ReadStandardMember(*object, member, out)) {
      if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(object);
      return out;
    }
  }
  // An element of an object read with an integer key (an array, say).
  if (n->Code == ecIndex && base.Kind() == jkObject && base.ObjValue() != nullptr) {
    const TJValue key = Eval(n->Operand2);
    TJValue out;
    if (key.Kind() != jkInteger || !base.ObjValue()->GetIndexed(key.IntValue(), out)) {
      return ReadMember(base, n->Operand2, true, key);
    }
    if (out.Kind() == jkFunction && out.FuncValue() != nullptr) out.FuncValue()->This.Reset(base.ObjValue());
    return out;
  }
  return MemberOf(base, n);
}

// ---------------------------------------------------------------------------------------
// Assignment targets

void TJEngine::ResolveTarget(const TJExpr* node, Target& t, bool willRead) {
  t.node = node;
  if (node == nullptr) return;
  if (node->Code == ecIdentifier) {
    t.kind = Target::Kind::Identifier;
    return;
  }
  if (node->Code != ecMember && node->Code != ecIndex) return;
  ResolveMemberTarget(node, Eval(node->Operand1), t, willRead);
}

void TJEngine::ResolveMemberTarget(const TJExpr* node, TJValue base, Target& t, bool willRead) {
  t.node = node;
  t.kind = Target::Kind::Member;
  t.base = std::move(base);
  const TJExpr* member = node->Operand2;
  t.bracket = !(node->Code == ecMember && member != nullptr && member->Code == ecIdentifier);
  if (t.bracket && KeyIsEvaluated(t.base, willRead)) t.key = Eval(member);
}

// Only a base that can take the member computes the key; the others fail first (a read
// of a string's member goes through a String object, a write to it fails).
bool TJEngine::KeyIsEvaluated(const TJValue& base, bool willRead) noexcept {
  switch (base.Kind()) {
    case jkObject:
      return true;
    case jkString:
      return willRead;
    case jkFunction:
      return base.FuncValue() != nullptr && base.FuncValue()->FuncKind == TJFunctionKind::Module;
    default:
      return false;
  }
}

TJValue TJEngine::ReadTarget(const Target& t) {
  switch (t.kind) {
    case Target::Kind::Identifier:
      return EvalIdentifier(t.node);
    case Target::Kind::Member:
      return ReadMember(t.base, t.node->Operand2, t.bracket, t.key);
    case Target::Kind::None:
      break;
  }
  return Eval(t.node);
}

void TJEngine::WriteTarget(const Target& t, const TJValue& value) {
  switch (t.kind) {
    case Target::Kind::Identifier:
      StoreIdentifier(t.node, value);
      return;
    case Target::Kind::None:
      return;
    case Target::Kind::Member:
      break;
  }
  const TJExpr* member = t.node->Operand2;
  if (t.base.Kind() == jkObject && t.base.ObjValue() != nullptr) {
    TJObject* object = t.base.ObjValue();
    if (!t.bracket) {
      if (!object->StandardMemberAccess() || !WriteStandardMember(*object, member, value)) {
        object->SetValue(NameOf(member), value, false);
      }
    } else if (t.key.Kind() != jkInteger || !object->SetIndexed(t.key.IntValue(), value)) {
      const SharedString text = ToText(t.key);
      object->SetValue(TJName(text), value, true);
    }
    return;
  }
  if (t.base.Kind() == jkFunction && t.base.FuncValue() != nullptr &&
      t.base.FuncValue()->FuncKind == TJFunctionKind::Module) {
    // A module's variables, never the running function's locals.
    TJSymbolTable* table = &ModuleTable(*t.base.FuncValue(), member != nullptr ? std::string_view(member->Name) : std::string_view());
    if (!t.bracket) {
      table->Vars().Set(NameOf(member), value);
    } else {
      const SharedString text = ToText(t.key);
      table->Vars().Set(TJName(text), value);
    }
    return;
  }
  ThrowScriptError(errors::kName, member != nullptr ? std::string_view(member->Name) : std::string_view());
}

TJValue TJEngine::EvalAssign(const TJExpr* n) {
  CheckStack();
  TJNum number;
  if (AssignLocalNumber(n, number) || AssignElementNumber(n, number) || AssignMemberNumber(n, number)) {
    return number.Value();
  }
  return AssignValue(n);
}

TJValue TJEngine::AssignValue(const TJExpr* n) {
  TJValue value = Eval(n->Operand2);
  const TJExpr* target = n->Operand1;
  if (target != nullptr && target->Code == ecIdentifier) {
    StoreIdentifier(target, value);
    return value;
  }
  Target t;
  if (target != nullptr && (target->Code == ecMember || target->Code == ecIndex)) {
    TJValue base = Eval(target->Operand1);
    // A member or element of an object: straight to the object.
    if (base.Kind() == jkObject && base.ObjValue() != nullptr) {
      TJObject* object = base.ObjValue();
      const TJExpr* member = target->Operand2;
      if (target->Code == ecMember && member != nullptr && member->Code == ecIdentifier) {
        if (!object->StandardMemberAccess() || !WriteStandardMember(*object, member, value)) {
          object->SetValue(NameOf(member), value, false);
        }
        return value;
      }
      const TJValue key = Eval(member);
      if (key.Kind() != jkInteger || !object->SetIndexed(key.IntValue(), value)) {
        const SharedString text = ToText(key);
        object->SetValue(TJName(text), value, true);
      }
      return value;
    }
    ResolveMemberTarget(target, std::move(base), t, false);
  } else {
    ResolveTarget(target, t, false);
  }
  WriteTarget(t, value);
  return value;
}

TJValue TJEngine::EvalCompoundAssign(const TJExpr* n) {
  CheckStack();
  const std::uint8_t code = CompoundOperator(n->Code);
  TJValue value = Eval(n->Operand2);
  // A bound local of the running function: read and written in its slot.
  if (TJValue* slot = BoundLocal(n->Operand1)) {
    TJValue result = Operate(code, *slot, value);
    StoreLocal(slot, result);
    return result;
  }
  // The target's object and key are evaluated once, for the read and the write.
  Target t;
  ResolveTarget(n->Operand1, t, true);
  const TJValue old = ReadTarget(t);
  TJValue result = Operate(code, old, value);
  WriteTarget(t, result);
  return result;
}

TJValue TJEngine::EvalIncrement(const TJExpr* n) {
  CheckStack();
  const bool up = n->Code == ecPreIncrement || n->Code == ecPostIncrement;
  const bool prefix = n->Code == ecPreIncrement || n->Code == ecPreDecrement;
  const auto step = [up](const TJValue& v) {
    return TJValue::Integer(Wrap(static_cast<std::int64_t>(ToInteger(v)) + (up ? 1 : -1)));
  };
  if (TJValue* slot = BoundLocal(n->Operand1)) {
    TJValue old = *slot;
    const TJValue stepped = step(old);
    StoreLocal(slot, stepped);
    return prefix ? stepped : old;
  }
  Target t;
  ResolveTarget(n->Operand1, t, true);
  TJValue old = ReadTarget(t);
  const TJValue stepped = step(old);
  // Members of objects and modules receive the new value too; other bases keep theirs.
  const bool store = t.kind == Target::Kind::Identifier ||
                     (t.kind == Target::Kind::Member &&
                      (t.base.Kind() == jkObject ||
                       (t.base.Kind() == jkFunction && t.base.FuncValue() != nullptr &&
                        t.base.FuncValue()->FuncKind == TJFunctionKind::Module)));
  if (store) WriteTarget(t, stepped);
  return prefix ? stepped : old;
}

// ---------------------------------------------------------------------------------------
// Calls, new and literals

void TJEngine::EvalArguments(const TJExpr* lastCell, TJValueList& out) {
  if (lastCell == nullptr) return;
  if (lastCell->Operand1 == nullptr) {  // one argument, the common case
    out.Add(Operand(lastCell->Operand2));
    return;
  }
  const std::size_t n = ListLength(lastCell);
  out.Reserve(n);
  for (const TJExpr* c = lastCell; c != nullptr; c = c->Operand1) out.Add(Operand(c->Operand2));
  // Evaluated last to first; handed over in source order.
  for (std::size_t i = 0, j = n - 1; i < j; ++i, --j) out.Exchange(i, j);
}

namespace {

// An expression whose evaluation runs no script code and changes no member: constants,
// names, `this`, member reads and operators over them (a few levels deep).
bool RunsNoScript(const TJExpr* n, int depth) {
  if (n == nullptr) return true;
  switch (n->Code) {
    case ecConstant:
    case ecIdentifier:
    case ecThis:
      return true;
    case ecMember:
    case ecIndex:
    case ecAdd:
    case ecSubtract:
    case ecMultiply:
    case ecDivide:
    case ecRemainder:
    case ecLess:
    case ecGreater:
    case ecLessEqual:
    case ecGreaterEqual:
    case ecEqual:
    case ecNotEqual:
    case ecStrictEqual:
    case ecStrictNotEqual:
    case ecNot:
    case ecMinus:
      return depth > 0 && RunsNoScript(n->Operand1, depth - 1) && RunsNoScript(n->Operand2, depth - 1);
    default:
      return false;
  }
}

bool ArgumentsRunNoScript(const TJExpr* lastCell) {
  for (const TJExpr* c = lastCell; c != nullptr; c = c->Operand1) {
    if (!RunsNoScript(c->Operand2, 3)) return false;
  }
  return true;
}

}  // namespace

TJValue TJEngine::EvalCall(const TJExpr* n) {
  CheckStack();
  const TJExpr* calleeNode = n->Operand1;
  TJValue callee;
  if (calleeNode != nullptr && calleeNode->Code == ecMember) {
    const TJExpr* member = calleeNode->Operand2;
    const TJValue base = Eval(calleeNode->Operand1);
    if (TJValue r; base.Kind() == jkString && CallStringMethod(base, member, n->Operand2, r)) return r;
    TJObject* object = base.Kind() == jkObject ? base.ObjValue() : nullptr;
    if (object != nullptr && member != nullptr && member->Code == ecIdentifier && object->StandardMemberAccess() &&
        (member->CacheShapeId == object->Members().Shape()->Id() || FillMemberCache(*object, member))) {
      // A native method of the object's class is called without a record (a record made
      // for the read would be dropped at once).
      if (member->CacheKind == kNativeMethod) {
        TJValueList args;
        EvalArguments(n->Operand2, args);
        TJValue result;
        static_cast<const TJMethodInfo*>(member->CacheMethod)->Method(*object, args, result);
        return result;
      }
      // A script class's method that the object still holds as the class's stand-in runs
      // with the object, no record made, when nothing the arguments do could see the
      // record (it would be bound to the object by this read).
      TJValue* held = member->CacheKind != kProperty ? &object->Members().Value(member->CacheMemberSlot) : nullptr;
      if (held != nullptr && held->Kind() == jkFunction && held->FuncValue() != nullptr &&
          held->FuncValue()->StandIn != TJStandIn::None && ArgumentsRunNoScript(n->Operand2)) {
        if (held->FuncValue()->StandIn == TJStandIn::Unbound) *held = TJValue::Function(held->FuncValue()->BoundTwin);
        const TJValue method = *held;
        return CallWithArguments(*method.FuncValue(), object, n->Operand2);
      }
    }
    callee = MemberOf(base, calleeNode);
  } else {
    callee = Operand(calleeNode);
  }
  if (callee.Kind() != jkFunction) ThrowScriptError(errors::kCallFailed);
  TJFunction* f = callee.FuncValue();
  if (f != nullptr && f->FuncKind == TJFunctionKind::Script) return CallWithArguments(*f, nullptr, n->Operand2);
  TJValueList args;
  EvalArguments(n->Operand2, args);
  return Call(callee, args);
}

// A script function with at most two arguments gets them without a list.
TJValue TJEngine::CallWithArguments(TJFunction& f, TJObject* self, const TJExpr* last) {
  if (last == nullptr) return CallScriptOn(f, self, nullptr, 0);
  if (last->Operand1 == nullptr) {
    const TJValue one = Operand(last->Operand2);
    return CallScriptOn(f, self, &one, 1);
  }
  if (last->Operand1->Operand1 == nullptr) {
    TJValue two[2];
    two[1] = Operand(last->Operand2);
    two[0] = Operand(last->Operand1->Operand2);
    return CallScriptOn(f, self, two, 2);
  }
  TJValueList args;
  EvalArguments(last, args);
  return CallScriptOn(f, self, args.begin(), args.Count());
}

TJValue TJEngine::EvalNew(const TJExpr* n) {
  CheckStack();
  const NewParts parts = PartsOfNew(*n);
  TJValueList args;
  EvalArguments(parts.lastArgument, args);
  const TJName className(parts.className->Name, parts.className->Hash);
  if (parts.module == nullptr) return TJValue::Object(CreateScriptObject(className, &args, 0));
  const TJCurrentTableScope inModule(tables_, SharedString(parts.module->Name));
  tables_.Current();  // an unknown module raises ENameError here
  return TJValue::Object(CreateScriptObject(className, &args, 0));
}

TJValue TJEngine::EvalObjectLiteral(const TJExpr* n) {
  CheckStack();
  TJObject* object = factory_.CreatePlainObject();
  for (const TJExpr* c = n->Operand1; c != nullptr; c = c->Operand1) {
    if (c->Operand2 == nullptr) continue;
    const PropertyParts property = PartsOfProperty(*c->Operand2);
    if (property.name == nullptr) continue;
    const TJValue value = Eval(property.value);
    object->SetValue(NameOf(property.name), value, true);
  }
  return TJValue::Object(object);
}

TJValue TJEngine::EvalArrayLiteral(const TJExpr* n) {
  CheckStack();
  TJValueList elements;
  EvalArguments(n->Operand1, elements);
  return TJValue::Object(factory_.CreateArray(&elements));
}

}  // namespace kestrin
