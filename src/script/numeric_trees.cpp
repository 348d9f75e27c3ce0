// Numeric trees: expressions over a function's locals, number constants, array elements
// and members that are worked out as plain numbers (TJNum) by an evaluator per node,
// falling back to the general evaluation (evaluate.cpp) for any value they do not take.
#include "script/builtins/array.h"
#include "script/evaluator_internals.h"
#include "script/native_calls.h"

namespace kestrin {

using namespace evaluator;

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

  // s.charCodeAt(k), and the length of a string or an array, on a value read as Peek
  // reads it (native_calls.cpp); any other `length` as Member reads it.
  static TJNum TextCall(TJEngine& e, const TJExpr* n) {
    const TJValue* text = Peek(e, n->Operand1->Operand1);
    return text != nullptr ? e.NumCharCodeAt(*text, n) : TJNum::None();
  }
  static TJNum Length(TJEngine& e, const TJExpr* n) {
    if (const TJValue* base = Peek(e, n->Operand1)) {
      const TJNum length = e.NumLengthOf(*base, n->Operand2);
      if (length.Ok()) return length;
    }
    return n->Operand1->Code == ecIdentifier ? Member(e, n) : TJNum::None();
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
      case ecMember: return LengthTree(n) ? Length : Member;
      case ecCall: return MathCallTree(n) ? TJEngine::NumMathCall : TextCall;
      default: return nullptr;
    }
  }
};

// Typed evaluators: when a tree is examined, the kinds its locals and constants hold then
// are taken as what they will hold, and arithmetic that will then give a double passes
// doubles between its nodes (NaN: not answered), comparisons and logic pass truths (-1: not
// answered). Every operand is still checked: an integer where a double was expected, a
// boolean, anything else makes the node not answer, and its root is then evaluated by the
// general numeric handlers (the tree has no effects). Each typed node gives exactly what
// NumArith/NumCompare give for the kinds it answers for.
struct TypedHandlers {
  // kPair: + - * / of two leaves taken to give a double, worked out inline (no call).
  enum Form { kSlot = 0, kConst = 1, kTyped = 2, kNode = 3, kPair = 4 };
  static constexpr double kMiss = __builtin_nan("");

  // An operand as a double, and whether it was one (else an integer).
  [[gnu::always_inline]] static bool FromValue(const TJValue& s, double& v, bool& isDouble) {
    if (s.Kind() == jkNumber) {
      v = s.NumValue();
      isDouble = true;
      return true;
    }
    if (s.Kind() == jkInteger) {
      v = s.IntValue();
      isDouble = false;
      return true;
    }
    return false;
  }
  template <int F>
  [[gnu::always_inline]] static bool Fetch(TJEngine& e, const TJExpr* op, double& v, bool& isDouble) {
    if constexpr (F == kSlot) {
      return FromValue(e.frameSlots_[op->LocalSlot], v, isDouble);
    } else if constexpr (F == kConst) {
      return FromValue(*op->Constant, v, isDouble);
    } else if constexpr (F == kTyped) {
      v = op->DoubleHandler(e, op);
      isDouble = true;
      return v == v;
    } else if constexpr (F == kPair) {
      double a, b;
      bool ad, bd;
      if (!Leaf(e, op->Operand2, b, bd) || !Leaf(e, op->Operand1, a, ad)) return false;
      v = ArithOf(op->Code, a, ad, b, bd);
      isDouble = true;
      return v == v;
    } else {
      const TJNum r = op->NumHandler(e, op);
      if (r.kind == jkNumber) {
        v = r.d;
        isDouble = true;
        return true;
      }
      v = r.i;
      isDouble = false;
      return r.kind == jkInteger;
    }
  }

  [[gnu::always_inline]] static bool Leaf(TJEngine& e, const TJExpr* op, double& v, bool& isDouble) {
    return FromValue(op->Code == ecIdentifier ? e.frameSlots_[op->LocalSlot] : *op->Constant, v, isDouble);
  }

  // + - * / giving a double: two integers add, subtract and multiply as integers (not
  // answered here); a zero divisor is left to the operator routine.
  [[gnu::always_inline]] static double ArithOf(std::uint8_t code, double a, bool ad, double b, bool bd) {
    if (code == ecDivide) return b != 0 ? a / b : kMiss;
    if (!(ad | bd)) return kMiss;
    return code == ecAdd ? a + b : code == ecSubtract ? a - b : a * b;
  }
  template <std::uint8_t Code, int L, int R>
  static double Arith(TJEngine& e, const TJExpr* n) {
    double a, b;
    bool ad, bd;
    if (!Fetch<R>(e, n->Operand2, b, bd) || !Fetch<L>(e, n->Operand1, a, ad)) return kMiss;
    return ArithOf(Code, a, ad, b, bd);
  }

  template <int F>
  static double Minus(TJEngine& e, const TJExpr* n) {
    double a;
    bool ad;
    return Fetch<F>(e, n->Operand1, a, ad) && ad ? -a : kMiss;
  }

  // A relation of any two numbers; an equality of two of the same kind (an integer and a
  // double compare as texts: the routine).
  template <std::uint8_t Code, int L, int R>
  static int Compare(TJEngine& e, const TJExpr* n) {
    double a, b;
    bool ad, bd;
    if (!Fetch<R>(e, n->Operand2, b, bd) || !Fetch<L>(e, n->Operand1, a, ad)) return -1;
    if constexpr (Code >= ecEqual) {
      if (ad != bd) return -1;
    }
    return CompareDoubles(Code, a, b) ? 1 : 0;
  }

  // Operands of logic: a typed comparison or logic node, or any numeric node's truth.
  template <int F>
  [[gnu::always_inline]] static int TruthOf(TJEngine& e, const TJExpr* op) {
    if constexpr (F == kTyped) {
      return op->TruthHandler(e, op);
    } else {
      const TJNum r = op->NumHandler(e, op);
      return r.Ok() ? Truth(r) : -1;
    }
  }

  template <std::uint8_t Code, int L, int R>
  static int Logic(TJEngine& e, const TJExpr* n) {
    const int b = TruthOf<R>(e, n->Operand2);
    if (b < 0) return -1;
    const int a = TruthOf<L>(e, n->Operand1);
    if (a < 0) return -1;
    return Code == ecOr ? (a | b) : (a & b);
  }

  template <int F>
  static int Not(TJEngine& e, const TJExpr* n) {
    const int a = TruthOf<F>(e, n->Operand1);
    return a < 0 ? -1 : 1 - a;
  }

  template <typename Handler, template <std::uint8_t, int, int> class Make, std::uint8_t Code, int L>
  static constexpr Handler Row(int r) {
    constexpr Handler kRow[5] = {Make<Code, L, 0>::f, Make<Code, L, 1>::f, Make<Code, L, 2>::f, Make<Code, L, 3>::f,
                                 Make<Code, L, 4>::f};
    return kRow[r];
  }
  template <typename Handler, template <std::uint8_t, int, int> class Make, std::uint8_t Code>
  static Handler For(int l, int r) {
    switch (l) {
      case kSlot: return Row<Handler, Make, Code, kSlot>(r);
      case kConst: return Row<Handler, Make, Code, kConst>(r);
      case kTyped: return Row<Handler, Make, Code, kTyped>(r);
      case kNode: return Row<Handler, Make, Code, kNode>(r);
      default: return Row<Handler, Make, Code, kPair>(r);
    }
  }
  template <std::uint8_t Code, int L, int R>
  struct MakeArith {
    static constexpr TJDoubleHandler f = Arith<Code, L, R>;
  };
  template <std::uint8_t Code, int L, int R>
  struct MakeCompare {
    static constexpr TJTruthHandler f = Compare<Code, L, R>;
  };
  template <std::uint8_t Code, int L, int R>
  struct MakeLogic {
    // Operands of logic are typed truths or nodes.
    static constexpr TJTruthHandler f = Logic<Code, L == kTyped ? kTyped : kNode, R == kTyped ? kTyped : kNode>;  // (TruthForm)
  };
  template <std::uint8_t Code, int L, int R>
  struct MakeMinus {
    static constexpr TJDoubleHandler f = Minus<L>;
  };
};

namespace {

// Numeric trees stay this low: their evaluation needs no stack check.
constexpr int kNumericHeight = 32;

// A local of the layout, or a dot member of `this` or of such a local (NumericHandlers::Peek).
bool PeekableBase(const TJExpr* n, const void* layout) {
  if (n == nullptr) return false;
  if (n->Code == ecIdentifier) return IsLocalOf(n, layout);
  if (n->Code != ecMember || n->Operand2 == nullptr || n->Operand2->Code != ecIdentifier || n->Operand1 == nullptr) {
    return false;
  }
  return n->Operand1->Code == ecThis ? layout != nullptr : IsLocalOf(n->Operand1, layout);
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
    numeric = IsLocalOf(n, layout);
  } else if (IsArithmetic(code) || IsComparison(code)) {
    numeric = NumericTree(n->Operand1, layout, height - 1) && NumericTree(n->Operand2, layout, height - 1);
  } else if (code == ecNot || code == ecPlus || code == ecMinus || code == ecBitNot) {
    numeric = NumericTree(n->Operand1, layout, height - 1);
  } else if (code == ecIndex) {
    // An element of an array held in a local or a member.
    numeric = PeekableBase(n->Operand1, layout) && NumericTree(n->Operand2, layout, height - 1);
  } else if (code == ecMember) {
    numeric = PeekableBase(n, layout) || (LengthTree(n) && PeekableBase(n->Operand1, layout));
  } else if (code == ecCall) {
    // Math's functions of one or two numbers, a text's character codes (native_calls.cpp).
    const TJExpr* last = n->Operand2;
    if (MathCallTree(n)) {
      numeric = NumericTree(last->Operand2, layout, height - 1) &&
                (last->Operand1 == nullptr || NumericTree(last->Operand1->Operand2, layout, height - 1));
    } else {
      numeric = TextCallTree(n) && PeekableBase(n->Operand1->Operand1, layout) &&
                NumericTree(last->Operand2, layout, height - 1);
    }
  } else if (code == ecConditional) {
    const ConditionalParts parts = PartsOfConditional(*n);
    numeric = NumericTree(parts.condition, layout, height - 1) && NumericTree(parts.then, layout, height - 1) &&
              NumericTree(parts.otherwise, layout, height - 1);
  }
  if (numeric) n->NumHandler = NumericHandlers::For(n);
  return numeric;
}

// What a node of a numeric tree is taken to give when its typed evaluators are chosen.
enum Spec { kSpecOther, kSpecInt, kSpecDouble, kSpecTruth };

int KindSpec(const TJValue& v) { return v.Kind() == jkNumber ? kSpecDouble : v.Kind() == jkInteger ? kSpecInt : kSpecOther; }

bool IsLeaf(const TJExpr* op) { return op->Code == ecIdentifier || op->Code == ecConstant; }

// How a typed node reads a number operand that is taken to give `spec`.
int TypedForm(const TJExpr* op, int spec) {
  if (op->Code == ecIdentifier) return TypedHandlers::kSlot;
  if (op->Code == ecConstant) return TypedHandlers::kConst;
  if (spec != kSpecDouble) return TypedHandlers::kNode;
  return IsArithmetic(op->Code) && IsLeaf(op->Operand1) && IsLeaf(op->Operand2) ? TypedHandlers::kPair
                                                                                : TypedHandlers::kTyped;
}

// How logic reads an operand's truth: a typed truth, or any node's number.
int TruthForm(int spec) { return spec == kSpecTruth ? TypedHandlers::kTyped : TypedHandlers::kNode; }

TJDoubleHandler ArithFor(std::uint8_t code, int l, int r) {
  using T = TypedHandlers;
  switch (code) {
    case ecAdd: return T::For<TJDoubleHandler, T::MakeArith, ecAdd>(l, r);
    case ecSubtract: return T::For<TJDoubleHandler, T::MakeArith, ecSubtract>(l, r);
    case ecMultiply: return T::For<TJDoubleHandler, T::MakeArith, ecMultiply>(l, r);
    default: return T::For<TJDoubleHandler, T::MakeArith, ecDivide>(l, r);
  }
}

TJTruthHandler CompareFor(std::uint8_t code, int l, int r) {
  using T = TypedHandlers;
  switch (code) {
    case ecLess: return T::For<TJTruthHandler, T::MakeCompare, ecLess>(l, r);
    case ecGreater: return T::For<TJTruthHandler, T::MakeCompare, ecGreater>(l, r);
    case ecLessEqual: return T::For<TJTruthHandler, T::MakeCompare, ecLessEqual>(l, r);
    case ecGreaterEqual: return T::For<TJTruthHandler, T::MakeCompare, ecGreaterEqual>(l, r);
    case ecEqual: return T::For<TJTruthHandler, T::MakeCompare, ecEqual>(l, r);
    case ecNotEqual: return T::For<TJTruthHandler, T::MakeCompare, ecNotEqual>(l, r);
    case ecStrictEqual: return T::For<TJTruthHandler, T::MakeCompare, ecStrictEqual>(l, r);
    case ecStrictNotEqual: return T::For<TJTruthHandler, T::MakeCompare, ecStrictNotEqual>(l, r);
    case ecOr: return T::For<TJTruthHandler, T::MakeLogic, ecOr>(l, r);
    default: return T::For<TJTruthHandler, T::MakeLogic, ecAnd>(l, r);
  }
}

// Chooses the typed evaluators of a numeric tree for the kinds its locals hold now (only
// nodes whose parents are typed, or the root, are ever called typed): what n gives. A
// node taken to give a double or a truth has its typed evaluator, leaves aside.
int Specialise(const TJExpr* n, const TJValue* slots) {
  using T = TypedHandlers;
  const std::uint8_t code = n->Code;
  if (code == ecConstant) return KindSpec(*n->Constant);
  if (code == ecIdentifier) return KindSpec(slots[n->LocalSlot]);
  if (IsArithmetic(code)) {
    const int l = Specialise(n->Operand1, slots);
    const int r = Specialise(n->Operand2, slots);
    const bool additive = code == ecAdd || code == ecSubtract || code == ecMultiply;
    if (l != kSpecTruth && r != kSpecTruth &&
        (code == ecDivide || (additive && (l == kSpecDouble || r == kSpecDouble)))) {
      n->DoubleHandler = ArithFor(code, TypedForm(n->Operand1, l), TypedForm(n->Operand2, r));
      return kSpecDouble;
    }
    return l == kSpecInt && r == kSpecInt ? kSpecInt : kSpecOther;
  }
  if (code == ecMinus) {
    const int a = Specialise(n->Operand1, slots);
    if (a != kSpecDouble) return a == kSpecInt ? kSpecInt : kSpecOther;
    n->DoubleHandler = T::For<TJDoubleHandler, T::MakeMinus, ecMinus>(TypedForm(n->Operand1, a), 0);
    return kSpecDouble;
  }
  if (IsComparison(code)) {
    const int l = Specialise(n->Operand1, slots);
    const int r = Specialise(n->Operand2, slots);
    const bool logic = code == ecOr || code == ecAnd;
    n->TruthHandler = logic ? CompareFor(code, TruthForm(l), TruthForm(r))
                            : CompareFor(code, TypedForm(n->Operand1, l), TypedForm(n->Operand2, r));
    return kSpecTruth;
  }
  if (code == ecNot) {
    n->TruthHandler = TruthForm(Specialise(n->Operand1, slots)) == T::kTyped ? T::Not<T::kTyped> : T::Not<T::kNode>;
    return kSpecTruth;
  }
  return kSpecOther;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Numeric trees

bool TJEngine::ClassifyRoot(const TJExpr* n) {
  const bool numeric = NumericTree(n, frameLayout_, kNumericHeight);
  n->Fast = numeric ? kFastNumeric : kFastGeneral;
  if (numeric && n->Code != ecIdentifier && n->Code != ecConstant) {
    const int spec = Specialise(n, frameSlots_);
    n->CacheKind = spec == kSpecDouble ? kTypedDouble : spec == kSpecTruth ? kTypedTruth : kUntyped;
  }
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
  if (slot == nullptr || target->Operand2->CacheKind != kTopSlot || !Uncounted(*slot)) return false;
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
    const int t = RootTruth(n);
    if (t >= 0) return t != 0;
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

}  // namespace kestrin
