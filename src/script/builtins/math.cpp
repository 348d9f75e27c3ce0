#include "script/builtins/math.h"

#include <bit>
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
      // A factor of 1 changes nothing. Chosen by a mask: a branch on the exponent's bits
      // (which the compiler makes of a plain condition) is mispredicted half the time.
      const std::uint64_t pick = std::uint64_t{0} - static_cast<std::uint64_t>(n & 1);
      result *= std::bit_cast<double>((std::bit_cast<std::uint64_t>(square) & pick) |
                                      (std::bit_cast<std::uint64_t>(1.0) & ~pick));
      n >>= 1;
      if (n == 0) break;
      // Below 2^-538 the square rounds to +0, and so does every later one: the next set
      // bit multiplies by zero, the rest change nothing. Squaring on would pass through
      // the processor's slow path for underflow at every call.
      if (std::fabs(square) < 0x1p-538) {
        result *= 0.0;
        break;
      }
      square *= square;
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

namespace {

TJValue Abs(const TJValue& x) {
  if (x.Kind() == jkNumber) return TJValue::Number(std::fabs(x.NumValue()));
  const std::int32_t i = ToInteger(x);
  // |-2^31| wraps to itself, as 32-bit integer arithmetic does everywhere else.
  return TJValue::Integer(i < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(i)) : i);
}

TJValue Exp(const TJValue& x) { return Checked(std::exp(ToNumber(x)), "exp"); }

TJValue Log(const TJValue& x) {
  const double d = ToNumber(x);
  if (d <= 0) Fault("log");
  return Checked(std::log(d), "log");
}

TJValue Sqrt(const TJValue& x) {
  const double d = ToNumber(x);
  if (d < 0) Fault("sqrt");
  return Checked(std::sqrt(d), "sqrt");
}

TJValue Ceil(const TJValue& x) { return CheckedInteger(std::ceil(ToNumber(x)), "ceil"); }
TJValue Floor(const TJValue& x) { return CheckedInteger(std::floor(ToNumber(x)), "floor"); }
TJValue Round(const TJValue& x) { return CheckedInteger(std::nearbyint(ToNumber(x)), "round"); }
TJValue Sin(const TJValue& x) { return Checked(std::sin(ToNumber(x)), "sin"); }
TJValue Cos(const TJValue& x) { return Checked(std::cos(ToNumber(x)), "cos"); }
TJValue Tan(const TJValue& x) { return Checked(std::tan(ToNumber(x)), "tan"); }

TJValue Asin(const TJValue& x) {
  const double d = ToNumber(x);
  if (d < -1 || d > 1) Fault("asin");
  return TJValue::Number(std::asin(d));
}

TJValue Acos(const TJValue& x) {
  const double d = ToNumber(x);
  if (d < -1 || d > 1) Fault("acos");
  return TJValue::Number(std::acos(d));
}

TJValue Atan(const TJValue& x) { return TJValue::Number(std::atan2(ToNumber(x), 1.0)); }
TJValue Atan2(const TJValue& y, const TJValue& x) { return TJValue::Number(std::atan2(ToNumber(y), ToNumber(x))); }

TJValue Max(const TJValue& x, const TJValue& y) {
  const double a = ToNumber(x);
  const double b = ToNumber(y);
  return TJValue::Number(a > b ? a : b);
}

TJValue Min(const TJValue& x, const TJValue& y) {
  const double a = ToNumber(x);
  const double b = ToNumber(y);
  return TJValue::Number(a < b ? a : b);
}

TJValue Pow(const TJValue& x, const TJValue& y) {
  const auto r = MathPower(ToNumber(x), ToNumber(y));
  if (!r) Fault("pow");
  return TJValue::Number(*r);
}

// The methods: the function of their first one or two arguments; fewer give undefined.
template <TJValue (*F)(const TJValue&)>
void CallOne(TJObject&, TJValueList& args, TJValue& result) {
  if (TJValueList::Has1(&args)) result = F(args[0]);
}

template <TJValue (*F)(const TJValue&, const TJValue&)>
void CallTwo(TJObject&, TJValueList& args, TJValue& result) {
  if (TJValueList::Has2(&args)) result = F(args[0], args[1]);
}

struct FunctionEntry {
  std::string_view name;
  TJNativeMethod method;
  TJMathFunction function;
};

// In the order of registration (the class's methods list them so); random comes last.
const FunctionEntry kFunctions[] = {
    {"abs", CallOne<Abs>, {Abs, nullptr}},
    {"exp", CallOne<Exp>, {Exp, nullptr}},
    {"log", CallOne<Log>, {Log, nullptr}},
    {"sqrt", CallOne<Sqrt>, {Sqrt, nullptr}},
    {"ceil", CallOne<Ceil>, {Ceil, nullptr}},
    {"floor", CallOne<Floor>, {Floor, nullptr}},
    {"round", CallOne<Round>, {Round, nullptr}},
    {"sin", CallOne<Sin>, {Sin, nullptr}},
    {"cos", CallOne<Cos>, {Cos, nullptr}},
    {"tan", CallOne<Tan>, {Tan, nullptr}},
    {"asin", CallOne<Asin>, {Asin, nullptr}},
    {"acos", CallOne<Acos>, {Acos, nullptr}},
    {"atan", CallOne<Atan>, {Atan, nullptr}},
    {"atan2", CallTwo<Atan2>, {nullptr, Atan2}},
    {"max", CallTwo<Max>, {nullptr, Max}},
    {"min", CallTwo<Min>, {nullptr, Min}},
    {"pow", CallTwo<Pow>, {nullptr, Pow}},
};

}  // namespace

const TJClassInfo& TJMathObject::Info() {
  static const TJClassInfo info = [] {
    TJClassInfo i = TJClassBuilder<TJMathObject>("Math").Build();
    for (const FunctionEntry& f : kFunctions) i.AddMethod(f.name, f.method);
    i.AddMethod("random", [](TJObject& self, TJValueList& args, TJValue& result) {
      static_cast<TJMathObject&>(self).RandomMethod(args, result);
    });
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

const TJMathFunction* TJMathObject::FunctionOf(const TJMethodInfo* method) noexcept {
  const std::vector<TJMethodInfo>& methods = Info().Methods();
  const auto at = reinterpret_cast<std::uintptr_t>(method);
  const auto first = reinterpret_cast<std::uintptr_t>(methods.data());
  if (at < first) return nullptr;
  const std::size_t index = (at - first) / sizeof(TJMethodInfo);
  return index < std::size(kFunctions) && method == &methods[index] ? &kFunctions[index].function : nullptr;
}

TJMathObject::TJMathObject(TJObjectFactory* factory, const TJValueList* args)
    : TJObject(factory, args),
      random_(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
              static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
  RegisterName(Info());
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
