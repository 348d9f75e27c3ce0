// Small conversions the host classes share.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "script/object.h"
#include "script/value.h"

namespace kestrin::host {

// A 64-bit position or size as a script value: an integer when it fits, else a number.
inline TJValue Int64Value(std::int64_t n) {
  if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
    return TJValue::Integer(static_cast<std::int32_t>(n));
  return TJValue::Number(static_cast<double>(n));
}

// A script value as a 64-bit position: numbers beyond 32 bits keep their size, every
// other value converts as ToInteger does.
inline std::int64_t ToInt64(const TJValue& v) {
  if (v.Kind() == jkNumber) {
    const double d = v.NumValue();
    if (std::isfinite(d) && std::fabs(d) < 9.0e18) return static_cast<std::int64_t>(d);
  }
  return ToInteger(v);
}

// Calls a native method that an object offers under name (a Date's setTime, say); false
// when the object has no such native method.
inline bool CallNativeMember(TJObject& object, std::string_view name, TJValueList& args, TJValue& result) {
  if (!object.HasKey(TJName(name))) return false;
  TJValue method;
  object.GetValue(TJName(name), false, method);
  if (method.Kind() != jkFunction || method.FuncValue() == nullptr) return false;
  TJFunction& f = *method.FuncValue();
  if (f.FuncKind != TJFunctionKind::Native || f.Method == nullptr) return false;
  TJObject* owner = f.OwnerObject();
  f.Method(owner != nullptr ? *owner : object, args, result);
  return true;
}

}  // namespace kestrin::host
