#include "script/operators.h"

#include <cmath>
#include <cstdint>

#include "script/signals.h"
#include "script/syntax_tree.h"

namespace kestrin {

namespace {

// 32-bit wrap-around without signed overflow.
std::int32_t Wrap(std::uint32_t u) { return static_cast<std::int32_t>(u); }
std::uint32_t Bits(std::int32_t i) { return static_cast<std::uint32_t>(i); }

bool HasNoNumber(const TJValue& v) {
  return v.Kind() == jkObject || v.Kind() == jkFunction || v.Kind() == jkInfinity;
}

// An undefined operand is reported before an operand of the wrong kind, whichever side.
void CheckOperands(const TJValue& a, const TJValue& b) {
  if (a.Kind() == jkUndefined || b.Kind() == jkUndefined) ThrowScriptError(errors::kName);
  if (HasNoNumber(a) || HasNoNumber(b)) ThrowScriptError(errors::kType);
}

bool EitherIs(const TJValue& a, const TJValue& b, TJValueKind k) {
  return a.Kind() == k || b.Kind() == k;
}

// Truncating remainder and quotient; the one overflowing case (minimum divided by -1)
// wraps instead of trapping.
std::int32_t Remainder(std::int32_t a, std::int32_t b) {
  if (b == -1) return 0;
  return a % b;
}

std::int32_t Quotient(std::int32_t a, std::int32_t b) {
  if (b == -1) return Wrap(0u - Bits(a));
  return a / b;
}

TJValue Relation(std::uint8_t code, const TJValue& a, const TJValue& b) {
  int order;  // <0, 0, >0
  if (a.Kind() == jkInteger && b.Kind() == jkInteger) {
    const std::int32_t x = a.IntValue();
    const std::int32_t y = b.IntValue();
    order = x < y ? -1 : (x > y ? 1 : 0);
  } else if ((a.Kind() == jkNumber && b.Kind() == jkNumber) || (IsNumeric(a) && IsNumeric(b))) {
    const double x = ToNumber(a);
    const double y = ToNumber(b);
    if (std::isnan(x) || std::isnan(y)) return TJValue::Boolean(false);
    order = x < y ? -1 : (x > y ? 1 : 0);
  } else if (a.Kind() == jkNaN && b.Kind() == jkNaN) {
    return TJValue::Boolean(false);
  } else {
    // Byte-wise: std::string_view compares bytes as unsigned.
    const int c = ToText(a).view().compare(ToText(b).view());
    order = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  switch (code) {
    case ecLess: return TJValue::Boolean(order < 0);
    case ecGreater: return TJValue::Boolean(order > 0);
    case ecLessEqual: return TJValue::Boolean(order <= 0);
    default: return TJValue::Boolean(order >= 0);
  }
}

// Equality of two values of the same kind (used by "==" and "===").
bool SameKindEqual(const TJValue& a, const TJValue& b) {
  switch (a.Kind()) {
    case jkUndefined:
    case jkNull:
    case jkInfinity:
      return true;
    case jkNaN:
      return false;
    case jkInteger:
      return a.IntValue() == b.IntValue();
    case jkNumber:
      return a.NumValue() == b.NumValue();
    case jkString:
      return a.StrView() == b.StrView();
    case jkBoolean:
      return a.BoolValue() == b.BoolValue();
    case jkObject:
      return a.ObjValue() == b.ObjValue();
    case jkDispatch:
      return a.DispValue() == b.DispValue();
    case jkFunction:
      return SameFunction(a, b);
  }
  return false;
}

bool StrictEqual(const TJValue& a, const TJValue& b) {
  return SameKind(a, b) && SameKindEqual(a, b);
}

bool LooseEqual(const TJValue& a, const TJValue& b) {
  if (SameKind(a, b)) return SameKindEqual(a, b);
  const bool nullish = (a.Kind() == jkNull && b.Kind() == jkUndefined) ||
                       (a.Kind() == jkUndefined && b.Kind() == jkNull);
  if (nullish) return true;
  return ToText(a).view() == ToText(b).view();
}

}  // namespace

TJValue Arithmetic(std::uint8_t code, const TJValue& a, const TJValue& b) {
  CheckOperands(a, b);
  switch (code) {
    case ecAdd:
      if (EitherIs(a, b, jkString)) return TJValue::Text(SharedString::Concat(ToText(a), ToText(b)));
      if (EitherIs(a, b, jkNumber)) return TJValue::Number(ToNumber(a) + ToNumber(b));
      return TJValue::Integer(Wrap(Bits(ToInteger(a)) + Bits(ToInteger(b))));
    case ecSubtract:
      if (EitherIs(a, b, jkNumber)) return TJValue::Number(ToNumber(a) - ToNumber(b));
      return TJValue::Integer(Wrap(Bits(ToInteger(a)) - Bits(ToInteger(b))));
    case ecDivide: {
      const double divisor = ToNumber(b);
      if (divisor == 0) ThrowScriptError(errors::kZeroDivide);
      return TJValue::Number(ToNumber(a) / divisor);
    }
    case ecMultiply:
      if (EitherIs(a, b, jkNumber)) return TJValue::Number(ToNumber(a) * ToNumber(b));
      return TJValue::Integer(Wrap(Bits(ToInteger(a)) * Bits(ToInteger(b))));
    case ecRemainder:
    case ecIntDivide: {
      const std::int32_t divisor = ToInteger(b);
      if (divisor == 0) ThrowScriptError(errors::kZeroDivide);
      const std::int32_t dividend = ToInteger(a);
      return TJValue::Integer(code == ecRemainder ? Remainder(dividend, divisor)
                                                  : Quotient(dividend, divisor));
    }
    case ecShl:
      return TJValue::Integer(Wrap(Bits(ToInteger(a)) << (Bits(ToInteger(b)) & 31u)));
    case ecShr:
    case ecUShr:
      // Both right shifts fill with zeros: the operand is taken as an unsigned pattern.
      return TJValue::Integer(Wrap(Bits(ToInteger(a)) >> (Bits(ToInteger(b)) & 31u)));
    case ecBitAnd:
      return TJValue::Integer(ToInteger(a) & ToInteger(b));
    case ecBitXor:
      return TJValue::Integer(ToInteger(a) ^ ToInteger(b));
    case ecBitOr:
      return TJValue::Integer(ToInteger(a) | ToInteger(b));
    default:
      return TJValue();
  }
}

TJValue Compare(std::uint8_t code, const TJValue& a, const TJValue& b) {
  switch (code) {
    case ecNot:
      return TJValue::Boolean(!ToBoolean(a));
    case ecOr:
      return TJValue::Boolean(ToBoolean(a) || ToBoolean(b));
    case ecAnd:
      return TJValue::Boolean(ToBoolean(a) && ToBoolean(b));
    case ecLess:
    case ecGreater:
    case ecLessEqual:
    case ecGreaterEqual:
      return Relation(code, a, b);
    case ecEqual:
      return TJValue::Boolean(LooseEqual(a, b));
    case ecNotEqual:
      return TJValue::Boolean(!LooseEqual(a, b));
    case ecStrictEqual:
      return TJValue::Boolean(StrictEqual(a, b));
    case ecStrictNotEqual:
      return TJValue::Boolean(!StrictEqual(a, b));
    default:
      return TJValue::Boolean(false);
  }
}

TJValue Unary(std::uint8_t code, const TJValue& a) {
  CheckOperands(a, a);
  switch (code) {
    case ecPlus:
      if (a.Kind() == jkNumber) return TJValue::Number(std::fabs(a.NumValue()));
      {
        const std::int32_t i = ToInteger(a);
        return TJValue::Integer(i < 0 ? Wrap(0u - Bits(i)) : i);
      }
    case ecMinus:
      if (a.Kind() == jkNumber) return TJValue::Number(-a.NumValue());
      return TJValue::Integer(Wrap(0u - Bits(ToInteger(a))));
    case ecBitNot:
      return TJValue::Integer(~ToInteger(a));
    default:
      return TJValue();
  }
}

TJValue Choose(const TJValue& cond, const TJValue& thenValue, const TJValue& elseValue) {
  return ToBoolean(cond) ? thenValue : elseValue;
}

}  // namespace kestrin
