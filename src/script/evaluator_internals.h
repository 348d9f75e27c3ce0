// Internals shared by the evaluator's files (evaluate.cpp, numeric_trees.cpp): what a
// member-name node's inline cache holds, and the integer and double cases of the
// operators that both the general evaluation and the numeric trees use, so that the two
// always give the same.
#pragma once

#include <cmath>
#include <cstdint>

#include "script/engine.h"

namespace kestrin::evaluator {

// What a member-name node's inline cache holds (see FillMemberCache).
enum : std::uint8_t { kNotCached = 0, kSlot = 1, kTopSlot = 2, kNativeMethod = 3, kProperty = 4 };

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

// A bare name that is a slot of the local layout `layout` (the parser resolved it there).
inline bool IsLocalOf(const TJExpr* n, const void* layout) noexcept {
  return n != nullptr && n->Code == ecIdentifier && layout != nullptr && n->LocalLayout == layout && n->LocalSlot >= 0;
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

}  // namespace kestrin::evaluator

namespace kestrin {

[[gnu::always_inline]] inline int TJEngine::RootTruth(const TJExpr* n) {
  if (n->CacheKind == kTypedTruth) {
    const int t = n->TruthHandler(*this, n);
    if (t >= 0) return t;
    n->CacheKind = kUntyped;
  }
  const TJNum r = Num(n);
  return r.Ok() ? evaluator::Truth(r) : -1;
}

}  // namespace kestrin
