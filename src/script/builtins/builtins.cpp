#include "script/builtins/builtins.h"

#include <typeinfo>

#include "script/builtins/array.h"
#include "script/builtins/boolean.h"
#include "script/builtins/date_object.h"
#include "script/builtins/global.h"
#include "script/builtins/math.h"
#include "script/builtins/number.h"
#include "script/builtins/regexp_object.h"
#include "script/builtins/string_object.h"
#include "script/engine.h"

namespace kestrin {

const std::vector<TJBuiltinClass>& BuiltinClasses() {
  static const std::vector<TJBuiltinClass> classes = {
      {"Global", &TJGlobalObject::Info, false},  // the engine makes its global object itself
      {"Array", &TJArrayObject::Info, false},
      {"String", &TJStringObject::Info, true},
      {"Number", &TJNumberObject::Info, true},
      {"Boolean", &TJBooleanObject::Info, false},
      {"RegExp", &TJRegExpObject::Info, true},
      {"Math", &TJMathObject::Info, true},
      {"Date", &TJDateObject::Info, true},
  };
  return classes;
}

namespace {

// Every object passes here: the cheap type test comes before the singleton's lookup by name.
void ConnectRegExp(TJEngine& engine, TJObject& object) {
  if (typeid(object) == typeid(TJObject) || dynamic_cast<TJRegExpObject*>(&object) == nullptr) return;
  if (auto* singleton = dynamic_cast<TJRegExpObject*>(engine.Singleton("RegExp"))) ConnectToStatic(object, *singleton);
}

}  // namespace

const std::vector<TJNewObjectHook>& NewObjectHooks() {
  static const std::vector<TJNewObjectHook> hooks = {&ConnectRegExp};
  return hooks;
}

}  // namespace kestrin
