#include "script/value.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/ascii.h"
#include "platform/automation_collection.h"
#include "script/object.h"

namespace kestrin {

namespace {

using velkoran::platform::HexDigitValue;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rounds to the nearest integer, ties to even, and keeps the low 32 bits of the result.
// Values beyond the 64-bit range keep their low 32 bits too (fmod by 2^32 is exact on a
// whole double), so no input is undefined behaviour.
std::int32_t RoundToInt32(double d) {
  if (!std::isfinite(d)) return 0;
  const double r = std::nearbyint(d);
  if (std::fabs(r) < 9.2e18) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(r)));
  }
  double m = std::fmod(r, 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(m));
}

std::string DecimalDigits(std::int64_t v) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string PointerDigits(const void* p) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%llu",
                              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  const std::size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  const std::size_t end = i;
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;
  // strtod needs a terminated copy; the syntax was checked above, so it reads it all. It
  // reads in the C locale: a host (the window's toolkit) may have adopted a user locale
  // whose decimal separator is a comma.
  std::string number(text.substr(start, end - start));
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  errno = 0;
  char* stop = nullptr;
  const double d = strtod_l(number.c_str(), &stop, cLocale);
  if (stop != number.c_str() + number.size()) return std::nullopt;
  if (errno == ERANGE && std::isinf(d)) return std::nullopt;
  return d;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    const int d = hex ? HexDigitValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + d;
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string FormatNumber(double d) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-infinity" : "infinity";
  if (d == 0) return "0";
  // Scientific form with 14 decimals gives exactly 15 significant digits, correctly
  // rounded: d.dddddddddddddde±x. to_chars ignores the locale's decimal separator.
  char buf[40];
  const auto written = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific, 14);
  *written.ptr = '\0';
  std::string digits;
  digits.push_back(buf[0]);
  const char* p = buf + 2;
  while (*p != 'e') digits.push_back(*p++);
  const int exp10 = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int e = exp10 + 1;  // the value is 0.d1d2... × 10^e
  std::string out;
  if (d < 0) out.push_back('-');
  const int count = static_cast<int>(digits.size());
  if (e >= 1 && e <= 15) {
    if (count <= e) {
      out += digits;
      out.append(static_cast<std::size_t>(e - count), '0');
    } else {
      out.append(digits, 0, static_cast<std::size_t>(e));
      out.push_back('.');
      out.append(digits, static_cast<std::size_t>(e), std::string::npos);
    }
  } else if (e >= -3 && e <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-e), '0');
    out += digits;
  } else {
    out.push_back(digits[0]);
    if (count > 1) {
      out.push_back('.');
      out.append(digits, 1, std::string::npos);
    }
    out.push_back('E');
    const int shown = e - 1;
    if (shown < 0) out.push_back('-');
    out += std::to_string(shown < 0 ? -shown : shown);
  }
  return out;
}

bool IsNumeric(const TJValue& v) {
  switch (v.Kind()) {
    case jkInteger:
    case jkNumber:
      return true;
    case jkString: {
      const std::string_view s = v.StrView();
      return ParseDecimal(s).has_value() || ParseInteger(s).has_value();
    }
    default:
      return false;
  }
}

bool SameKind(const TJValue& a, const TJValue& b) noexcept { return a.Kind() == b.Kind(); }

bool SameFunction(const TJValue& a, const TJValue& b) noexcept {
  if (a.Kind() != jkFunction || b.Kind() != jkFunction) return false;
  const TJFunction* fa = a.FuncValue();
  const TJFunction* fb = b.FuncValue();
  if (fa == nullptr || fb == nullptr) return false;
  return SameCallable(*fa, *fb);
}

std::int32_t ToInteger(const TJValue& v) {
  switch (v.Kind()) {
    case jkInteger:
      return v.IntValue();
    case jkNumber:
      return RoundToInt32(v.NumValue());
    case jkString:
      return ParseInteger(v.StrView()).value_or(0);
    case jkBoolean:
      return v.BoolValue() ? 1 : 0;
    default:
      return 0;
  }
}

double ToNumber(const TJValue& v) {
  switch (v.Kind()) {
    case jkInteger:
      return v.IntValue();
    case jkNumber:
      return v.NumValue();
    case jkString: {
      const std::string_view s = v.StrView();
      if (auto d = ParseDecimal(s)) return *d;
      if (auto i = ParseInteger(s)) return *i;
      return 0;
    }
    default:
      return 0;
  }
}

SharedString ToTextOf(const TJValue& v) {
  switch (v.Kind()) {
    case jkUndefined:
      return SharedString("undefined");
    case jkNull:
      return SharedString("null");
    case jkInteger:
      return SharedString(DecimalDigits(v.IntValue()));
    case jkNumber:
      return SharedString(FormatNumber(v.NumValue()));
    case jkString:
      return v.StrValue();
    case jkObject:
      return v.ObjValue() != nullptr ? v.ObjValue()->ToString(nullptr) : SharedString("null");
    case jkBoolean:
      return SharedString(v.BoolValue() ? "true" : "false");
    case jkFunction:
      return SharedString("function" + (v.FuncValue() != nullptr ? FunctionIdentity(*v.FuncValue()) : "0"));
    case jkInfinity:
      return SharedString("infinity");
    case jkNaN:
      return SharedString("NaN");
    case jkDispatch:
      return SharedString("dispatch" + PointerDigits(v.DispValue()));
  }
  return SharedString();
}

bool ToBooleanOf(const TJValue& v) noexcept {
  switch (v.Kind()) {
    case jkUndefined:
    case jkNull:
      return false;
    case jkInteger:
      return v.IntValue() != 0;
    case jkNumber:
      return std::trunc(v.NumValue()) != 0;
    case jkString:
      return !v.StrView().empty();
    case jkObject:
      return v.ObjValue() != nullptr;
    case jkBoolean:
      return v.BoolValue();
    case jkFunction:
    case jkInfinity:
    case jkNaN:
      return true;
    case jkDispatch:
      return v.DispValue() != nullptr;
  }
  return false;
}

std::string_view TypeName(const TJValue& v) noexcept {
  switch (v.Kind()) {
    case jkUndefined:
      return "undefined";
    case jkNull:
      return "null";
    case jkInteger:
    case jkNumber:
      return "number";
    case jkString:
      return "string";
    case jkObject:
      return "object";
    case jkBoolean:
      return "boolean";
    case jkFunction:
      return "function";
    case jkInfinity:
    case jkNaN:
      return "";
    case jkDispatch:
      return "dispatch";
  }
  return "";
}

IDispatchRef* ToDispatch(const TJValue& v) noexcept { return v.Kind() == jkDispatch ? v.DispValue() : nullptr; }

bool IsNumeric(const TJValue* v) { return v != nullptr && IsNumeric(*v); }
std::int32_t ToInteger(const TJValue* v) { return v != nullptr ? ToInteger(*v) : 0; }
double ToNumber(const TJValue* v) { return v != nullptr ? ToNumber(*v) : 0; }
SharedString ToText(const TJValue* v) { return v != nullptr ? ToText(*v) : SharedString(); }
bool ToBoolean(const TJValue* v) noexcept { return v != nullptr && ToBoolean(*v); }
std::string_view TypeName(const TJValue* v) noexcept { return v != nullptr ? TypeName(*v) : std::string_view(); }

TJValue VariantToValue(const velkoran::platform::Variant& var) {
  using T = velkoran::platform::Variant::Type;
  switch (var.type) {
    case T::Null:
      return TJValue::Null();
    case T::Int16:
    case T::Int32:
    case T::Byte:
      return TJValue::Integer(var.intValue);
    case T::Single:
    case T::Double:
      return TJValue::Number(var.numValue);
    case T::String:
      return TJValue::Text(var.strValue);
    case T::Dispatch:
      return TJValue::Dispatch(var.dispValue);
    case T::Bool:
      return TJValue::Boolean(var.boolValue);
    case T::Empty:
    case T::Other:
      break;
  }
  return TJValue();
}

namespace {

velkoran::platform::Variant ToVariant(const TJValue& v, int depth);

// Script arrays and plain objects (object literals) cross as the seam's collections, so a
// service that takes a list or a dictionary gets the script's items instead of nothing.
// Nesting deeper than this (a cycle, say) does not convert.
constexpr int kMaxCollectionDepth = 32;

velkoran::platform::Variant ObjectToVariant(TJObject* object, int depth) {
  using velkoran::platform::AutomationCollection;
  using velkoran::platform::Variant;
  Variant none;
  if (object == nullptr) return none;
  const bool array = object->IsClass("Array");
  if (!array && object->ScriptClassName() != "Object") return none;
  if (depth >= kMaxCollectionDepth) {
    none.type = Variant::Type::Other;
    return none;
  }
  if (array) {
    TJValue length;
    object->GetValue(TJName("length"), false, length);
    std::vector<Variant> items;
    TJValue item;
    for (std::int32_t i = 0; i < ToInteger(length) && object->GetIndexed(i, item); ++i) {
      items.push_back(ToVariant(item, depth + 1));
    }
    return AutomationCollection::List(std::move(items));
  }
  std::vector<AutomationCollection::Entry> entries;
  for (const std::string& name : object->PropertyNames()) {
    TJValue value;
    object->GetValue(TJName(name), true, value);
    entries.push_back({name, ToVariant(value, depth + 1)});
  }
  return AutomationCollection::Dictionary(std::move(entries));
}

velkoran::platform::Variant ToVariant(const TJValue& v, int depth) {
  using velkoran::platform::Variant;
  Variant var;
  switch (v.Kind()) {
    case jkObject:
      return ObjectToVariant(v.ObjValue(), depth);
    case jkNull:
      var.type = Variant::Type::Null;
      break;
    case jkInteger:
      var.type = Variant::Type::Int32;
      var.intValue = v.IntValue();
      break;
    case jkNumber:
      var.type = Variant::Type::Double;
      var.numValue = v.NumValue();
      break;
    case jkString:
      var.type = Variant::Type::String;
      var.strValue = std::string(v.StrView());
      break;
    case jkBoolean:
      var.type = Variant::Type::Bool;
      var.boolValue = v.BoolValue();
      break;
    case jkDispatch:
      return Variant::FromDispatch(v.DispValue());
    default:
      break;
  }
  return var;
}

}  // namespace

velkoran::platform::Variant ValueToVariant(const TJValue& v) { return ToVariant(v, 0); }

std::string FunctionIdentity(const TJFunction& f) {
  switch (f.FuncKind) {
    case TJFunctionKind::Script:
    case TJFunctionKind::Class:
      return PointerDigits(f.Definition);
    case TJFunctionKind::Native:
      return PointerDigits(reinterpret_cast<const void*>(f.Method)) + PointerDigits(f.OwnerObject());
    case TJFunctionKind::Automation:
      return PointerDigits(f.Dispatch) + DecimalDigits(f.DispId);
    case TJFunctionKind::Module:
      return PointerDigits(f.Definition);
  }
  return "0";
}

}  // namespace kestrin
