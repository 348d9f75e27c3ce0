#include "script/builtins/boolean.h"

namespace kestrin {

const TJClassInfo& TJBooleanObject::Info() {
  static const TJClassInfo info =
      TJClassBuilder<TJBooleanObject>("Boolean").Method<&TJBooleanObject::ToStringMethod>("toString").Build();
  return info;
}

TJBooleanObject::TJBooleanObject(TJObjectFactory* factory, const TJValueList* args)
    : TJObject(factory, args), value_(TJValueList::Has1(args) && ToBoolean((*args)[0])) {
  RegisterName(Info());
}

SharedString TJBooleanObject::ToString(const TJValue* /*arg*/) { return SharedString(value_ ? "true" : "false"); }

void TJBooleanObject::ToStringMethod(TJValueList& /*args*/, TJValue& result) { result = TJValue::Text(ToString(nullptr)); }

}  // namespace kestrin
