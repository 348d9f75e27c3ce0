#include "script/builtins/number.h"

#include <cstdio>
#include <cstring>

namespace kestrin {

namespace {

double FromBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace

const TJClassInfo& TJNumberObject::Info() {
  static const TJClassInfo info =
      TJClassBuilder<TJNumberObject>("Number").Method<&TJNumberObject::ToStringMethod>("toString").Build();
  return info;
}

TJNumberObject::TJNumberObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  value_ = TJValueList::Has1(args) && IsNumeric((*args)[0]) ? (*args)[0] : TJValue::Integer(0);
  SetMember("NaN", TJValue::NaN());
  // The double nearest 1.7e308 and the subnormal 10 × 2^-1074, as the language has them.
  SetMember("MAX_VALUE", TJValue::Number(FromBits(0x7FEE42D130773B76ull)));
  SetMember("MIN_VALUE", TJValue::Number(FromBits(0x000000000000000Aull)));
  SetMember("POSITIVE_INFINITY", TJValue::Infinity());
  SetMember("NEGATIVE_INFINITY", TJValue::Infinity());
}

SharedString TJNumberObject::ToString(const TJValue* radix) {
  const std::int32_t base = radix != nullptr ? ToInteger(*radix) : 10;
  const auto bits = static_cast<std::uint32_t>(ToInteger(value_));
  if (base == 16) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", bits);
    return SharedString(buf);
  }
  if (base == 2) {
    std::string out;
    for (int i = 31; i >= 0; --i) {
      if (!out.empty() || ((bits >> i) & 1u) != 0) out.push_back(((bits >> i) & 1u) != 0 ? '1' : '0');
    }
    return SharedString(out.empty() ? "0" : out);
  }
  return ToText(value_);
}

void TJNumberObject::ToStringMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Text(ToString(TJValueList::Has1(&args) ? &args[0] : nullptr));
}

}  // namespace kestrin
