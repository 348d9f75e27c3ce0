// TJNumberObject: wraps one numeric value (a numeric string keeps its string kind) and
// carries Number's constants and toString with a radix.
#pragma once

#include "script/object.h"

namespace kestrin {

class TJNumberObject : public TJObject {
 public:
  TJNumberObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  const TJValue& Value() const noexcept { return value_; }
  // radix 16: eight upper-case hex digits of ToInteger; radix 2: binary without leading
  // zeros ("0" for zero); anything else: ToText of the value.
  SharedString ToString(const TJValue* radix) override;

 private:
  void ToStringMethod(TJValueList& args, TJValue& result);
  TJValue value_;
};

}  // namespace kestrin
