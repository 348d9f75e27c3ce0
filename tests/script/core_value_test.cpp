// The value record's conversions: the table (with its differences from ECMAScript), the
// two parses, the general number format and the automation conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "script/object.h"
#include "script/value.h"
#include "support/comma_locale.h"

namespace kestrin {
namespace {

TJValue S(const char* s) { return TJValue::Text(s); }

double FromBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

TEST(NumberFormat, ListedExamples) {
  EXPECT_EQ(FormatNumber(0.1), "0.1");
  EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatNumber(0.0001), "0.0001");
  EXPECT_EQ(FormatNumber(0.00001), "1E-5");
  EXPECT_EQ(FormatNumber(1e14), "100000000000000");
  EXPECT_EQ(FormatNumber(1e15), "1E15");
  EXPECT_EQ(FormatNumber(1e15 - 1), "999999999999999");
  EXPECT_EQ(FormatNumber(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(FormatNumber(-2.5), "-2.5");
}

TEST(NumberFormat, BoundariesAndSpecialDoubles) {
  EXPECT_EQ(FormatNumber(0), "0");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(1), "1");
  EXPECT_EQ(FormatNumber(3.5), "3.5");
  EXPECT_EQ(FormatNumber(0.001), "0.001");
  EXPECT_EQ(FormatNumber(-0.00012), "-0.00012");
  EXPECT_EQ(FormatNumber(1.5e-7), "1.5E-7");
  EXPECT_EQ(FormatNumber(1.7e308), "1.7E308");
  EXPECT_EQ(FormatNumber(-1.25e20), "-1.25E20");
  EXPECT_EQ(FormatNumber(123456.789), "123456.789");
  // Rounding to 15 digits can carry into a new leading digit.
  EXPECT_EQ(FormatNumber(9.9999999999999999e14), "1E15");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "infinity");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-infinity");
  EXPECT_EQ(FormatNumber(std::nan("")), "NaN");
}

TEST(Parses, DecimalParse) {
  EXPECT_EQ(ParseDecimal("2.5e3"), 2500.0);
  EXPECT_EQ(ParseDecimal(" 2.5e3 "), 2500.0);
  EXPECT_EQ(ParseDecimal("-.5"), -0.5);
  EXPECT_EQ(ParseDecimal("5."), 5.0);
  EXPECT_EQ(ParseDecimal("+7"), 7.0);
  EXPECT_EQ(ParseDecimal("1E-2"), 0.01);
  EXPECT_FALSE(ParseDecimal(""));
  EXPECT_FALSE(ParseDecimal("   "));
  EXPECT_FALSE(ParseDecimal("."));
  EXPECT_FALSE(ParseDecimal("1e"));
  EXPECT_FALSE(ParseDecimal("1e+"));
  EXPECT_FALSE(ParseDecimal("12abc"));
  EXPECT_FALSE(ParseDecimal("0x1F"));
  EXPECT_FALSE(ParseDecimal("1e400"));
  EXPECT_FALSE(ParseDecimal("\t1"));
  EXPECT_FALSE(ParseDecimal("1 2"));
}

TEST(Parses, NumbersKeepTheirPointUnderACommaLocale) {
  // The window's toolkit adopts the user's locale; script numbers must not follow it.
  velkoran::testing::CommaLocale comma;
  ASSERT_TRUE(comma.active()) << "localedef could not build a comma locale";
  EXPECT_EQ(ParseDecimal("1.5"), 1.5);
  EXPECT_FALSE(ParseDecimal("1,5"));
  EXPECT_EQ(FormatNumber(-2.5), "-2.5");
  EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(ToText(TJValue::Number(0.1 + 0.2)).view(), "0.3");
}

TEST(Parses, IntegerParse) {
  EXPECT_EQ(ParseInteger("0x1F"), 31);
  EXPECT_EQ(ParseInteger("$ff"), 255);
  EXPECT_EQ(ParseInteger("x10"), 16);
  EXPECT_EQ(ParseInteger("X10"), 16);
  EXPECT_EQ(ParseInteger("0X1f"), 31);
  EXPECT_EQ(ParseInteger(" 2"), 2);
  EXPECT_EQ(ParseInteger("-$10"), -16);
  EXPECT_EQ(ParseInteger("+12"), 12);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseInteger("0"), 0);
  EXPECT_FALSE(ParseInteger("2147483648"));
  EXPECT_FALSE(ParseInteger("$80000000"));
  EXPECT_FALSE(ParseInteger("2 "));  // no trailing blanks, unlike the decimal parse
  EXPECT_FALSE(ParseInteger("1.5"));
  EXPECT_FALSE(ParseInteger(""));
  EXPECT_FALSE(ParseInteger("0x"));
  EXPECT_FALSE(ParseInteger("-"));
  EXPECT_FALSE(ParseInteger("12abc"));
}

TEST(Conversions, ToNumberDiffersFromECMAScript) {
  EXPECT_EQ(ToNumber(TJValue::Boolean(true)), 0);
  EXPECT_EQ(ToNumber(TJValue::Null()), 0);
  EXPECT_EQ(ToNumber(TJValue()), 0);
  EXPECT_EQ(ToNumber(TJValue::Infinity()), 0);
  EXPECT_EQ(ToNumber(TJValue::NaN()), 0);
  EXPECT_EQ(ToNumber(S("0x1F")), 31);
  EXPECT_EQ(ToNumber(S(" 2.5e3 ")), 2500);
  EXPECT_EQ(ToNumber(S("12abc")), 0);
  EXPECT_EQ(ToNumber(S("")), 0);
  EXPECT_EQ(ToNumber(S("$ff")), 255);
  EXPECT_EQ(ToNumber(S(" 7 ")), 7);
  EXPECT_EQ(ToNumber(S("1e400")), 0);
  EXPECT_EQ(ToNumber(TJValue::Integer(-4)), -4);
}

TEST(Conversions, ToIntegerRoundsHalfToEvenAndWraps) {
  EXPECT_EQ(ToInteger(TJValue::Number(2.5)), 2);
  EXPECT_EQ(ToInteger(TJValue::Number(3.5)), 4);
  EXPECT_EQ(ToInteger(TJValue::Number(-2.5)), -2);
  EXPECT_EQ(ToInteger(TJValue::Number(-2.6)), -3);
  EXPECT_EQ(ToInteger(TJValue::Number(4294967297.0)), 1);  // low 32 bits
  EXPECT_EQ(ToInteger(TJValue::Number(2147483648.0)), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ToInteger(TJValue::Number(1e300)), 0);  // beyond 64 bits: still the low 32 bits
  EXPECT_EQ(ToInteger(TJValue::Number(std::nan(""))), 0);
  EXPECT_EQ(ToInteger(TJValue::Boolean(true)), 1);
  EXPECT_EQ(ToInteger(S("1.5")), 0);
  EXPECT_EQ(ToInteger(S("$10")), 16);
  EXPECT_EQ(ToInteger(TJValue::Infinity()), 0);
}

TEST(Conversions, ToBooleanTruncatesNumbersAndKeepsStrings) {
  EXPECT_FALSE(ToBoolean(TJValue::Number(0.9)));
  EXPECT_FALSE(ToBoolean(TJValue::Number(-0.9)));
  EXPECT_FALSE(ToBoolean(TJValue::Number(0.5)));
  EXPECT_TRUE(ToBoolean(TJValue::Number(1.2)));
  EXPECT_TRUE(ToBoolean(S("0")));
  EXPECT_TRUE(ToBoolean(S("false")));
  EXPECT_FALSE(ToBoolean(S("")));
  EXPECT_TRUE(ToBoolean(TJValue::NaN()));
  EXPECT_TRUE(ToBoolean(TJValue::Infinity()));
  EXPECT_FALSE(ToBoolean(TJValue::Null()));
  EXPECT_FALSE(ToBoolean(TJValue()));
  EXPECT_FALSE(ToBoolean(TJValue::Integer(0)));
  EXPECT_FALSE(ToBoolean(static_cast<const TJValue*>(nullptr)));
}

TEST(Conversions, ToTextAndTypeName) {
  EXPECT_EQ(ToText(TJValue()).view(), "undefined");
  EXPECT_EQ(ToText(TJValue::Null()).view(), "null");
  EXPECT_EQ(ToText(TJValue::Integer(-42)).view(), "-42");
  EXPECT_EQ(ToText(TJValue::Number(1e15)).view(), "1E15");
  EXPECT_EQ(ToText(TJValue::Boolean(false)).view(), "false");
  EXPECT_EQ(ToText(TJValue::Infinity()).view(), "infinity");
  EXPECT_EQ(ToText(TJValue::NaN()).view(), "NaN");
  EXPECT_EQ(TypeName(TJValue::NaN()), "");
  EXPECT_EQ(TypeName(TJValue::Infinity()), "");
  EXPECT_EQ(TypeName(TJValue::Null()), "null");
  EXPECT_EQ(TypeName(TJValue::Number(1.5)), "number");
  EXPECT_EQ(TypeName(TJValue::Integer(1)), "number");
  EXPECT_EQ(TypeName(S("x")), "string");
  const TJValue* absent = nullptr;
  EXPECT_EQ(TypeName(absent), "");
  EXPECT_EQ(ToText(absent).view(), "");
  EXPECT_EQ(ToInteger(absent), 0);
  EXPECT_FALSE(IsNumeric(absent));
  EXPECT_FALSE(IsString(absent));
}

// What may be overwritten in place without a count or a buffer to let go of.
TEST(Values, UncountedKinds) {
  struct Row {
    const char* name;
    TJValue value;
    bool uncounted;
  };
  const Row rows[] = {
      {"undefined", TJValue(), true},
      {"null", TJValue::Null(), true},
      {"integer", TJValue::Integer(3), true},
      {"double", TJValue::Number(0.5), true},
      {"boolean", TJValue::Boolean(false), true},
      {"NaN", TJValue::NaN(), true},
      {"Infinity", TJValue::Infinity(), true},
      {"text", S("x"), false},
      {"object", TJValue::Object(nullptr), false},
      {"function", TJValue::Function(nullptr), false},
      {"dispatch", TJValue::Dispatch(nullptr), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Uncounted(row.value), row.uncounted);
  }
}

TEST(Conversions, IsNumeric) {
  EXPECT_TRUE(IsNumeric(S("12")));
  EXPECT_TRUE(IsNumeric(S("1.5")));
  EXPECT_TRUE(IsNumeric(S("$ff")));
  EXPECT_FALSE(IsNumeric(S("12abc")));
  EXPECT_FALSE(IsNumeric(S("")));
  EXPECT_FALSE(IsNumeric(TJValue::Boolean(true)));
  EXPECT_FALSE(IsNumeric(TJValue::NaN()));
  EXPECT_TRUE(IsNumeric(TJValue::Number(0.5)));
}

TEST(Conversions, ObjectAndFunctionTexts) {
  TJObjectFactory factory;
  TJObject* o = factory.CreateObject("Object");
  EXPECT_EQ(ToText(TJValue::Object(o)).view(), "[Object]");
  EXPECT_TRUE(ToBoolean(TJValue::Object(o)));
  EXPECT_EQ(TypeName(TJValue::Object(o)), "object");

  TJValue f = function_factory::Native([](TJObject&, TJValueList&, TJValue&) {}, o);
  const std::string text = ToText(f).str();
  EXPECT_EQ(text.rfind("function", 0), 0u);
  EXPECT_GT(text.size(), 8u);
  EXPECT_EQ(TypeName(f), "function");
  EXPECT_TRUE(ToBoolean(f));
  EXPECT_EQ(ToNumber(f), 0);
}

TEST(Values, FunctionRecordsLiveWhileAValueNamesThem) {
  TJValue a = function_factory::Class(nullptr, 1);
  TJFunction* rec = a.FuncValue();
  EXPECT_EQ(rec->Refs, 1u);
  {
    TJValue b = a;
    TJValue c;
    c = b;
    EXPECT_EQ(rec->Refs, 3u);
  }
  EXPECT_EQ(rec->Refs, 1u);
  TJValue moved = std::move(a);
  EXPECT_EQ(rec->Refs, 1u);
  EXPECT_EQ(a.Kind(), jkUndefined);  // NOLINT(bugprone-use-after-move): moved-from is undefined
}

TEST(Values, SameFunction) {
  TJObjectFactory factory;
  TJObject* o1 = factory.CreateObject("Object");
  TJObject* o2 = factory.CreateObject("Object");
  auto m = [](TJObject&, TJValueList&, TJValue&) {};
  TJValue a = function_factory::Native(m, o1);
  TJValue b = function_factory::Native(m, o1);
  TJValue c = function_factory::Native(m, o2);
  EXPECT_TRUE(SameFunction(a, b));
  EXPECT_FALSE(SameFunction(a, c));
  // Classes and modules never compare equal, not even to themselves.
  TJValue k = function_factory::Class(nullptr, 1);
  EXPECT_FALSE(SameFunction(k, k));
  EXPECT_FALSE(SameFunction(a, TJValue::Integer(1)));
}

TEST(Variants, BothDirections) {
  using velkoran::platform::Variant;
  Variant v;
  v.type = Variant::Type::Int16;
  v.intValue = -3;
  EXPECT_EQ(VariantToValue(v).Kind(), jkInteger);
  v.type = Variant::Type::Single;
  v.numValue = 1.5;
  EXPECT_EQ(VariantToValue(v).NumValue(), 1.5);
  v.type = Variant::Type::Other;
  EXPECT_EQ(VariantToValue(v).Kind(), jkUndefined);
  v.type = Variant::Type::Empty;
  EXPECT_EQ(VariantToValue(v).Kind(), jkUndefined);
  v.type = Variant::Type::String;
  v.strValue = "abc";
  EXPECT_EQ(VariantToValue(v).StrView(), "abc");

  EXPECT_EQ(ValueToVariant(TJValue::Null()).type, Variant::Type::Null);
  EXPECT_EQ(ValueToVariant(TJValue::Integer(4)).type, Variant::Type::Int32);
  EXPECT_EQ(ValueToVariant(TJValue::Number(4.5)).type, Variant::Type::Double);
  EXPECT_EQ(ValueToVariant(TJValue::Boolean(true)).boolValue, true);
  EXPECT_EQ(ValueToVariant(S("x")).strValue, "x");
  EXPECT_EQ(ValueToVariant(TJValue::NaN()).type, Variant::Type::Empty);
  EXPECT_EQ(ValueToVariant(TJValue::Infinity()).type, Variant::Type::Empty);
  EXPECT_EQ(ValueToVariant(TJValue()).type, Variant::Type::Empty);
}

// A counting automation object: dispatch values and variants keep it alive.
class CountedDispatch : public velkoran::platform::Automation {
 public:
  int refs = 1;
  void AddRef() override { ++refs; }
  void Release() override { --refs; }
  std::optional<std::int32_t> IdOfName(std::string_view) override { return std::nullopt; }
  bool Invoke(std::int32_t, velkoran::platform::InvokeKind, const std::vector<velkoran::platform::Variant>&,
              velkoran::platform::Variant&) override {
    return false;
  }
  std::vector<std::string> PropertyNames() override { return {}; }
};

TEST(Variants, DispatchReferencesAreBalanced) {
  CountedDispatch d;
  {
    TJValue v = TJValue::Dispatch(&d);
    EXPECT_EQ(d.refs, 2);
    velkoran::platform::Variant var = ValueToVariant(v);
    EXPECT_EQ(d.refs, 3);
    TJValue back = VariantToValue(var);
    EXPECT_EQ(d.refs, 4);
    EXPECT_EQ(ToDispatch(back), &d);
    EXPECT_EQ(ToText(back).str().rfind("dispatch", 0), 0u);
  }
  EXPECT_EQ(d.refs, 1);
}

// One-byte strings share permanent buffers and short strings get the allocator's spare
// bytes as room to append in place: no holder may ever see another's appended bytes.
TEST(SharedStrings, AppendsNeverChangeWhatOthersHold) {
  const SharedString x("x");
  const SharedString nul(std::string_view("\0", 1));
  const SharedString ab("ab");
  const SharedString abc = SharedString::Concat(ab, "c");
  const SharedString abd = SharedString::Concat(ab, "d");
  const SharedString xy = SharedString::Concat(x, "y");
  const SharedString xz = SharedString::Concat(x, "z");
  SharedString grown = SharedString::Concat(SharedString("q"), "");
  for (int i = 0; i < 100; ++i) grown = SharedString::Concat(grown, std::string_view("0123456789" + i % 10, 1));
  struct Row {
    const char* name;
    const SharedString& text;
    std::string_view expected;
  } rows[] = {{"x", x, "x"}, {"nul", nul, std::string_view("\0", 1)}, {"ab", ab, "ab"}, {"abc", abc, "abc"},
              {"abd", abd, "abd"}, {"xy", xy, "xy"}, {"xz", xz, "xz"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.text.view(), row.expected);
  }
  EXPECT_EQ(grown.size(), 101u);
  EXPECT_EQ(grown.view().substr(0, 12), "q01234567890");
  EXPECT_EQ(SharedString("x").data(), x.data());  // shared, not allocated
  { std::vector<SharedString> many(100000, SharedString("x")); }
  EXPECT_EQ(SharedString(std::string(1, 'x')).view(), "x");  // still alive after all those releases
}

TEST(Values, NumberConstantsBitPatterns) {
  // The bit patterns the Number object's constants are specified by survive the format.
  EXPECT_EQ(FormatNumber(FromBits(0x7FEE42D130773B76ull)), "1.7E308");
  EXPECT_EQ(FormatNumber(FromBits(0x000000000000000Aull)), "4.94065645841247E-323");
}

// A payload read of another kind stops where assertions run. The sanitizer build
// (scripts/test --sanitize) must be such a build: it is where these checks are exercised.
TEST(ValueAccessorsDeathTest, AnotherKindsPayloadIsNeverRead) {
#ifdef NDEBUG
#ifdef __SANITIZE_ADDRESS__
  FAIL() << "the sanitizer build runs without assertions";
#else
  GTEST_SKIP() << "assertions are off in this build";
#endif
#else
  const struct {
    const char* name;
    TJValue value;
    void (*read)(const TJValue&);
  } cases[] = {
      {"number read as integer", TJValue::Number(1.5), [](const TJValue& v) { (void)v.IntValue(); }},
      {"integer read as number", TJValue::Integer(1), [](const TJValue& v) { (void)v.NumValue(); }},
      {"text read as object", S("x"), [](const TJValue& v) { (void)v.ObjValue(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DEATH(c.read(c.value), "kind_ ==");
  }
#endif
}

}  // namespace
}  // namespace kestrin
