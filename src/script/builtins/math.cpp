#include "script/builtins/math.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>

namespace kestrin {

namespace {

// Raised instead of a floating-point fault (log of zero, square root of a negative, a
// result outside the range, ...); the message is the method's name + " error".
[[noreturn]] void Fault(std::string_view method) {
  ThrowScriptError(errors::kMath, std::string(method) + " error");
}

// A double result, or the error of a floating-point fault.
TJValue Checked(double d, std::string_view method) {
  if (!std::isfinite(d)) Fault(method);
  return TJValue::Number(d);
}

TJValue CheckedInteger(double d, std::string_view method) {
  if (!(d >= -2147483648.0 && d <= 2147483647.0)) Fault(method);
  return TJValue::Integer(static_cast<std::int32_t>(d));
}

template <long double (*F)()>
TJValue Constant() {
  return TJValue::Number(static_cast<double>(F()));
}

long double E() { return std::exp(1.0L); }
long double Ln2() { return std::log(2.0L); }
long double Ln10() { return std::log(10.0L); }
long double Log2E() { return 1.0L / std::log(2.0L); }
long double Log10E() { return 1.0L / std::log(10.0L); }
long double Sqrt1_2() { return std::sqrt(0.5L); }
long double Sqrt2() { return std::sqrt(2.0L); }
long double Pi() { return 3.141592653589793238462643383279502884L; }


}  // namespace

std::optional<double> MathPower(double base, double exponent) {
  if (exponent == 0) return 1.0;
  if (base == 0 && exponent > 0) return 0.0;
  double result;
  if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0) {
    // Square and multiply: the whole-exponent product without one step per unit.
    auto n = static_cast<std::int64_t>(std::fabs(exponent));
    double square = base;
    result = 1.0;
    while (n > 0) {
      if ((n & 1) != 0) result *= square;
      square *= square;
      n >>= 1;
    }
    if (exponent < 0) {
      if (result == 0) return std::nullopt;
      result = 1.0 / result;
    }
  } else {
    if (base <= 0) return std::nullopt;
    result = std::exp(exponent * std::log(base));
  }
  if (!std::isfinite(result)) return std::nullopt;
  return result;
}

const TJClassInfo& TJMathObject::Info() {
  static const TJClassInfo info = [] {
    TJClassInfo i = TJClassBuilder<TJMathObject>("Math")
                        .Method<&TJMathObject::AbsMethod>("abs")
                        .Method<&TJMathObject::ExpMethod>("exp")
                        .Method<&TJMathObject::LogMethod>("log")
                        .Method<&TJMathObject::SqrtMethod>("sqrt")
                        .Method<&TJMathObject::CeilMethod>("ceil")
                        .Method<&TJMathObject::FloorMethod>("floor")
                        .Method<&TJMathObject::RoundMethod>("round")
                        .Method<&TJMathObject::SinMethod>("sin")
                        .Method<&TJMathObject::CosMethod>("cos")
                        .Method<&TJMathObject::TanMethod>("tan")
                        .Method<&TJMathObject::AsinMethod>("asin")
                        .Method<&TJMathObject::AcosMethod>("acos")
                        .Method<&TJMathObject::AtanMethod>("atan")
                        .Method<&TJMathObject::Atan2Method>("atan2")
                        .Method<&TJMathObject::MaxMethod>("max")
                        .Method<&TJMathObject::MinMethod>("min")
                        .Method<&TJMathObject::PowMethod>("pow")
                        .Method<&TJMathObject::RandomMethod>("random")
                        .Build();
    const auto add = [&i](std::string_view name, TJPropertyGetter get) {
      i.AddProperty(name, TJPropertyType::Float, get, nullptr);
    };
    add("E", [](TJObject&) { return Constant<E>(); });
    add("LN2", [](TJObject&) { return Constant<Ln2>(); });
    add("LN10", [](TJObject&) { return Constant<Ln10>(); });
    add("LOG2E", [](TJObject&) { return Constant<Log2E>(); });
    add("LOG10E", [](TJObject&) { return Constant<Log10E>(); });
    add("SQRT1_2", [](TJObject&) { return Constant<Sqrt1_2>(); });
    add("SQRT2", [](TJObject&) { return Constant<Sqrt2>(); });
    add("PI", [](TJObject&) { return Constant<Pi>(); });
    return i;
  }();
  return info;
}

TJMathObject::TJMathObject(TJObjectFactory* factory, const TJValueList* args)
    : TJObject(factory, args),
      random_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
              static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
  RegisterName(Info());
}

void TJMathObject::AbsMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  if (args[0].Kind() == jkNumber) {
    result = TJValue::Number(std::fabs(args[0].NumValue()));
  } else {
    const std::int32_t i = ToInteger(args[0]);
    // |-2^31| wraps to itself, as 32-bit integer arithmetic does everywhere else.
    result = TJValue::Integer(i < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(i)) : i);
  }
}

void TJMathObject::ExpMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = Checked(std::exp(ToNumber(args[0])), "exp");
}

void TJMathObject::LogMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const double x = ToNumber(args[0]);
  if (x <= 0) Fault("log");
  result = Checked(std::log(x), "log");
}

void TJMathObject::SqrtMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const double x = ToNumber(args[0]);
  if (x < 0) Fault("sqrt");
  result = Checked(std::sqrt(x), "sqrt");
}

void TJMathObject::CeilMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = CheckedInteger(std::ceil(ToNumber(args[0])), "ceil");
}

void TJMathObject::FloorMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = CheckedInteger(std::floor(ToNumber(args[0])), "floor");
}

void TJMathObject::RoundMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = CheckedInteger(std::nearbyint(ToNumber(args[0])), "round");
}

void TJMathObject::SinMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = Checked(std::sin(ToNumber(args[0])), "sin");
}

void TJMathObject::CosMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = Checked(std::cos(ToNumber(args[0])), "cos");
}

void TJMathObject::TanMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = Checked(std::tan(ToNumber(args[0])), "tan");
}

void TJMathObject::AsinMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const double x = ToNumber(args[0]);
  if (x < -1 || x > 1) Fault("asin");
  result = TJValue::Number(std::asin(x));
}

void TJMathObject::AcosMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const double x = ToNumber(args[0]);
  if (x < -1 || x > 1) Fault("acos");
  result = TJValue::Number(std::acos(x));
}

void TJMathObject::AtanMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = TJValue::Number(std::atan2(ToNumber(args[0]), 1.0));
}

void TJMathObject::Atan2Method(TJValueList& args, TJValue& result) {
  if (TJValueList::Has2(&args)) result = TJValue::Number(std::atan2(ToNumber(args[0]), ToNumber(args[1])));
}

void TJMathObject::MaxMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has2(&args)) return;
  const double a = ToNumber(args[0]);
  const double b = ToNumber(args[1]);
  result = TJValue::Number(a > b ? a : b);
}

void TJMathObject::MinMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has2(&args)) return;
  const double a = ToNumber(args[0]);
  const double b = ToNumber(args[1]);
  result = TJValue::Number(a < b ? a : b);
}

void TJMathObject::PowMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has2(&args)) return;
  const auto r = MathPower(ToNumber(args[0]), ToNumber(args[1]));
  if (!r) Fault("pow");
  result = TJValue::Number(*r);
}

void TJMathObject::RandomMethod(TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) {
    result = TJValue::Integer(ToInteger(args[0]));
    return;
  }
  result = TJValue::Number(std::generate_canonical<double, 53>(random_));
  if (result.NumValue() >= 1.0) result = TJValue::Number(0.0);  // canonical may round up to 1
}

}  // namespace kestrin
