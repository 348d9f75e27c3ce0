// TJBooleanObject: wraps one boolean for member access on boolean values.
#pragma once

#include "script/object.h"

namespace kestrin {

class TJBooleanObject : public TJObject {
 public:
  TJBooleanObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  bool Value() const noexcept { return value_; }
  SharedString ToString(const TJValue* arg) override;

 private:
  void ToStringMethod(TJValueList& args, TJValue& result);
  bool value_;
};

}  // namespace kestrin
