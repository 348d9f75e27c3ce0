// The operator routines' rule tables: kinds of results, wrap-around, conversions of mixed
// operands and the script errors they raise.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "script/operators.h"
#include "script/signals.h"
#include "script/syntax_tree.h"

namespace kestrin {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TJValue I(std::int32_t i) { return TJValue::Integer(i); }
TJValue N(double d) { return TJValue::Number(d); }
TJValue S(const char* s) { return TJValue::Text(s); }
TJValue B(bool b) { return TJValue::Boolean(b); }

// The name of the script error raised by f, or "" when none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EJThrow& e) {
    EXPECT_TRUE(e.ErrorText.empty()) << e.ErrorName;
    return e.ErrorName;
  }
  return "";
}

void ExpectInt(const TJValue& v, std::int32_t expected) {
  ASSERT_EQ(v.Kind(), jkInteger);
  EXPECT_EQ(v.IntValue(), expected);
}

void ExpectNum(const TJValue& v, double expected) {
  ASSERT_EQ(v.Kind(), jkNumber);
  EXPECT_DOUBLE_EQ(v.NumValue(), expected);
}

bool Truth(const TJValue& v) {
  EXPECT_EQ(v.Kind(), jkBoolean);
  return v.BoolValue();
}

TEST(Arithmetic, IntegerResultsWrapAround) {
  ExpectInt(Arithmetic(ecAdd, I(kMax), I(1)), kMin);
  ExpectInt(Arithmetic(ecSubtract, I(kMin), I(1)), kMax);
  ExpectInt(Arithmetic(ecMultiply, I(65536), I(65536)), 0);
  ExpectInt(Arithmetic(ecMultiply, I(kMax), I(2)), -2);
  ExpectInt(Arithmetic(ecAdd, I(2), I(3)), 5);
  ExpectInt(Arithmetic(ecSubtract, I(2), I(3)), -1);
}

TEST(Arithmetic, NumberOperandMakesANumber) {
  ExpectNum(Arithmetic(ecAdd, I(1), N(1.5)), 2.5);
  ExpectNum(Arithmetic(ecSubtract, N(1.5), I(1)), 0.5);
  ExpectNum(Arithmetic(ecMultiply, N(2.0), I(3)), 6.0);
  // A boolean is 0 as a number but 1 as an integer.
  ExpectNum(Arithmetic(ecAdd, B(true), N(1.5)), 1.5);
  ExpectInt(Arithmetic(ecAdd, B(true), I(1)), 2);
  ExpectInt(Arithmetic(ecAdd, TJValue::Null(), I(1)), 1);
  ExpectInt(Arithmetic(ecAdd, TJValue::NaN(), I(1)), 1);
}

TEST(Arithmetic, StringsConcatenateOnAddAndParseOtherwise) {
  TJValue v = Arithmetic(ecAdd, S("a"), I(1));
  ASSERT_EQ(v.Kind(), jkString);
  EXPECT_EQ(v.StrView(), "a1");
  EXPECT_EQ(Arithmetic(ecAdd, I(1), S("a")).StrView(), "1a");
  EXPECT_EQ(Arithmetic(ecAdd, S("x"), N(2.5)).StrView(), "x2.5");
  EXPECT_EQ(Arithmetic(ecAdd, S("x"), B(true)).StrView(), "xtrue");
  EXPECT_EQ(Arithmetic(ecAdd, S("x"), TJValue::Null()).StrView(), "xnull");
  EXPECT_EQ(Arithmetic(ecAdd, S("1"), S("2")).StrView(), "12");
  // Subtraction takes strings through the integer parse.
  ExpectInt(Arithmetic(ecSubtract, S("4"), I(1)), 3);
  ExpectInt(Arithmetic(ecSubtract, S("1.5"), I(1)), -1);
  ExpectInt(Arithmetic(ecSubtract, S("0x10"), I(1)), 15);
  ExpectInt(Arithmetic(ecMultiply, S("abc"), I(2)), 0);
  ExpectNum(Arithmetic(ecMultiply, S("2.5"), N(2.0)), 5.0);
}

TEST(Arithmetic, DivisionFamily) {
  ExpectNum(Arithmetic(ecDivide, I(7), I(2)), 3.5);
  ExpectNum(Arithmetic(ecDivide, I(6), I(2)), 3.0);
  ExpectInt(Arithmetic(ecIntDivide, I(7), I(2)), 3);
  ExpectInt(Arithmetic(ecIntDivide, I(-7), I(2)), -3);
  ExpectInt(Arithmetic(ecRemainder, I(7), I(3)), 1);
  ExpectInt(Arithmetic(ecRemainder, I(-7), I(3)), -1);
  ExpectInt(Arithmetic(ecRemainder, I(7), I(-3)), 1);
  ExpectInt(Arithmetic(ecRemainder, N(7.6), I(3)), 2);  // operands rounded to integers
  // The one overflowing quotient wraps instead of trapping.
  ExpectInt(Arithmetic(ecIntDivide, I(kMin), I(-1)), kMin);
  ExpectInt(Arithmetic(ecRemainder, I(kMin), I(-1)), 0);
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecDivide, I(7), I(0)); }), "EZDError");
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecDivide, I(7), N(0.0)); }), "EZDError");
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecRemainder, I(7), I(0)); }), "EZDError");
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecIntDivide, I(7), I(0)); }), "EZDError");
  // A divisor that rounds to zero counts as zero for the integer forms.
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecIntDivide, I(7), N(0.4)); }), "EZDError");
  // As a number a boolean is 0, so dividing by true divides by zero.
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecDivide, I(7), B(true)); }), "EZDError");
}

TEST(Arithmetic, ShiftsAndBitwise) {
  ExpectInt(Arithmetic(ecShl, I(1), I(4)), 16);
  ExpectInt(Arithmetic(ecShl, I(1), I(33)), 2);   // count taken mod 32
  ExpectInt(Arithmetic(ecShl, I(1), I(31)), kMin);
  ExpectInt(Arithmetic(ecShl, I(1), I(-1)), kMin);  // -1 mod 32 as a 5-bit count is 31
  // Both right shifts fill with zeros.
  ExpectInt(Arithmetic(ecShr, I(-8), I(1)), 2147483644);
  ExpectInt(Arithmetic(ecUShr, I(-8), I(1)), 2147483644);
  ExpectInt(Arithmetic(ecShr, I(-1), I(0)), -1);
  ExpectInt(Arithmetic(ecShr, I(256), I(36)), 16);
  ExpectInt(Arithmetic(ecBitAnd, I(12), I(10)), 8);
  ExpectInt(Arithmetic(ecBitXor, I(12), I(10)), 6);
  ExpectInt(Arithmetic(ecBitOr, I(12), I(10)), 14);
  ExpectInt(Arithmetic(ecBitOr, S("3"), B(true)), 3);
}

TEST(Arithmetic, ErrorsForUndefinedAndNonValueOperands) {
  for (std::uint8_t code : {ecAdd, ecSubtract, ecDivide, ecMultiply, ecRemainder, ecIntDivide,
                            ecShl, ecShr, ecUShr, ecBitAnd, ecBitXor, ecBitOr}) {
    EXPECT_EQ(ErrorOf([&] { Arithmetic(code, TJValue(), I(1)); }), "ENameError") << int(code);
    EXPECT_EQ(ErrorOf([&] { Arithmetic(code, I(1), TJValue()); }), "ENameError") << int(code);
    EXPECT_EQ(ErrorOf([&] { Arithmetic(code, TJValue::Object(nullptr), I(1)); }), "ETypeError");
    EXPECT_EQ(ErrorOf([&] { Arithmetic(code, I(1), TJValue::Function(nullptr)); }), "ETypeError");
    EXPECT_EQ(ErrorOf([&] { Arithmetic(code, TJValue::Infinity(), I(1)); }), "ETypeError");
  }
  // Undefined on either side is reported first, also before division by zero.
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecAdd, TJValue::Object(nullptr), TJValue()); }), "ENameError");
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecAdd, TJValue(), TJValue::Object(nullptr)); }), "ENameError");
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecDivide, TJValue(), I(0)); }), "ENameError");
  // Even a string does not rescue an object operand.
  EXPECT_EQ(ErrorOf([] { Arithmetic(ecAdd, S("a"), TJValue::Object(nullptr)); }), "ETypeError");
}

TEST(Unary, PlusIsAbsoluteValueMinusNegates) {
  ExpectInt(Unary(ecPlus, I(-3)), 3);
  ExpectNum(Unary(ecPlus, N(-2.5)), 2.5);
  ExpectInt(Unary(ecPlus, S("-7")), 7);
  ExpectInt(Unary(ecPlus, I(kMin)), kMin);  // wraps
  ExpectInt(Unary(ecMinus, S("4")), -4);
  ExpectNum(Unary(ecMinus, N(2.5)), -2.5);
  ExpectInt(Unary(ecMinus, I(kMin)), kMin);
  ExpectInt(Unary(ecMinus, B(true)), -1);
  ExpectInt(Unary(ecBitNot, I(5)), -6);
  ExpectInt(Unary(ecBitNot, N(2.5)), -3);  // 2.5 rounds to 2 (ties to even)
  EXPECT_EQ(ErrorOf([] { Unary(ecMinus, TJValue()); }), "ENameError");
  EXPECT_EQ(ErrorOf([] { Unary(ecPlus, TJValue::Object(nullptr)); }), "ETypeError");
  EXPECT_EQ(ErrorOf([] { Unary(ecBitNot, TJValue::Function(nullptr)); }), "ETypeError");
  EXPECT_EQ(ErrorOf([] { Unary(ecMinus, TJValue::Infinity()); }), "ETypeError");
}

TEST(Compare, LogicalOperatorsYieldBooleans) {
  EXPECT_FALSE(Truth(Compare(ecNot, S("0"), TJValue())));
  EXPECT_TRUE(Truth(Compare(ecNot, N(0.5), TJValue())));  // 0.5 truncates to 0: false
  EXPECT_FALSE(Truth(Compare(ecNot, TJValue::NaN(), TJValue())));
  EXPECT_TRUE(Truth(Compare(ecOr, S("x"), I(0))));
  EXPECT_FALSE(Truth(Compare(ecOr, TJValue::Null(), S(""))));
  EXPECT_TRUE(Truth(Compare(ecAnd, I(1), TJValue::Infinity())));
  EXPECT_FALSE(Truth(Compare(ecAnd, I(1), TJValue())));
}

TEST(Compare, RelationsByKind) {
  EXPECT_TRUE(Truth(Compare(ecLess, I(-1), I(0))));
  EXPECT_FALSE(Truth(Compare(ecGreater, I(-1), I(0))));
  EXPECT_TRUE(Truth(Compare(ecLessEqual, I(3), I(3))));
  EXPECT_TRUE(Truth(Compare(ecGreaterEqual, N(3.5), I(3))));
  // Numeric strings compare as numbers, mixed with integers and numbers too.
  EXPECT_FALSE(Truth(Compare(ecLess, S("10"), S("9"))));
  EXPECT_TRUE(Truth(Compare(ecGreater, S("10"), I(9))));
  EXPECT_TRUE(Truth(Compare(ecLess, S("1.5"), N(2.0))));
  EXPECT_TRUE(Truth(Compare(ecLess, S("0x0F"), I(16))));
  // Otherwise the texts, byte by byte.
  EXPECT_TRUE(Truth(Compare(ecLess, S("abc"), S("abd"))));
  EXPECT_TRUE(Truth(Compare(ecLess, S("ab"), S("abc"))));
  EXPECT_TRUE(Truth(Compare(ecLess, S("Z"), S("a"))));
  EXPECT_TRUE(Truth(Compare(ecLess, S("z"), S("\xE3\x81\x82"))));  // bytes compare unsigned
  EXPECT_TRUE(Truth(Compare(ecGreater, TJValue::Null(), I(1))));  // "null" > "1"
  EXPECT_TRUE(Truth(Compare(ecLess, S("10"), S("9a"))));         // "9a" is not numeric
  EXPECT_TRUE(Truth(Compare(ecLess, B(false), B(true))));        // "false" < "true"
  // Two NaN values are unordered; NaN against a number compares texts.
  EXPECT_FALSE(Truth(Compare(ecLessEqual, TJValue::NaN(), TJValue::NaN())));
  EXPECT_FALSE(Truth(Compare(ecGreaterEqual, TJValue::NaN(), TJValue::NaN())));
  EXPECT_TRUE(Truth(Compare(ecGreater, TJValue::NaN(), I(5))));  // "NaN" > "5"
}

TEST(Compare, LooseEqualityGoesThroughTexts) {
  EXPECT_TRUE(Truth(Compare(ecEqual, I(1), S("1"))));
  EXPECT_TRUE(Truth(Compare(ecEqual, I(1), N(1.0))));
  EXPECT_FALSE(Truth(Compare(ecEqual, B(true), I(1))));
  EXPECT_TRUE(Truth(Compare(ecEqual, B(true), S("true"))));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue::Null(), TJValue())));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue(), TJValue::Null())));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue::Null(), S("null"))));
  EXPECT_FALSE(Truth(Compare(ecEqual, TJValue::NaN(), TJValue::NaN())));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue::NaN(), S("NaN"))));
  EXPECT_FALSE(Truth(Compare(ecEqual, S("a"), S("A"))));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue::Infinity(), TJValue::Infinity())));
  EXPECT_FALSE(Truth(Compare(ecEqual, N(0.1), N(0.1000000000000001))));  // same kind: by value
  EXPECT_TRUE(Truth(Compare(ecNotEqual, I(1), I(2))));
  EXPECT_FALSE(Truth(Compare(ecNotEqual, TJValue(), TJValue())));
  EXPECT_TRUE(Truth(Compare(ecNotEqual, TJValue::NaN(), TJValue::NaN())));
}

TEST(Compare, StrictEqualityByKind) {
  EXPECT_TRUE(Truth(Compare(ecStrictNotEqual, I(1), S("1"))));
  EXPECT_FALSE(Truth(Compare(ecStrictEqual, I(1), N(1.0))));
  EXPECT_TRUE(Truth(Compare(ecStrictEqual, S("ab"), S("ab"))));
  EXPECT_FALSE(Truth(Compare(ecStrictEqual, TJValue::Null(), TJValue())));
  EXPECT_TRUE(Truth(Compare(ecStrictEqual, TJValue(), TJValue())));
  EXPECT_FALSE(Truth(Compare(ecStrictEqual, TJValue::NaN(), TJValue::NaN())));
  EXPECT_TRUE(Truth(Compare(ecStrictNotEqual, TJValue::NaN(), TJValue::NaN())));
  EXPECT_TRUE(Truth(Compare(ecStrictEqual, B(true), B(true))));
  int a = 0;
  int b = 0;
  TJObject* oa = reinterpret_cast<TJObject*>(&a);
  TJObject* ob = reinterpret_cast<TJObject*>(&b);
  EXPECT_TRUE(Truth(Compare(ecStrictEqual, TJValue::Object(oa), TJValue::Object(oa))));
  EXPECT_FALSE(Truth(Compare(ecStrictEqual, TJValue::Object(oa), TJValue::Object(ob))));
  EXPECT_TRUE(Truth(Compare(ecEqual, TJValue::Object(oa), TJValue::Object(oa))));
}

TEST(Choose, PicksByTruthOfTheCondition) {
  EXPECT_EQ(Choose(S("0"), I(1), I(2)).IntValue(), 1);
  EXPECT_EQ(Choose(N(0.9), I(1), I(2)).IntValue(), 2);
  EXPECT_EQ(Choose(TJValue::NaN(), I(1), I(2)).IntValue(), 1);
  EXPECT_EQ(Choose(TJValue(), S("t"), S("e")).StrView(), "e");
}

}  // namespace
}  // namespace kestrin
