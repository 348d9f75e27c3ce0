// The built-in classes every engine registers, the ones it keeps a single instance of,
// and what the engine does to every object its factory creates.
#pragma once

#include <string_view>
#include <vector>

#include "script/object.h"

namespace kestrin {

class TJEngine;

struct TJBuiltinClass {
  std::string_view Name;
  const TJClassInfo& (*Info)();
  // The engine keeps one instance, bound to the name in every module table.
  bool Singleton;
};

// In registration order: Global, Array, String, Number, Boolean, RegExp, Math, Date.
const std::vector<TJBuiltinClass>& BuiltinClasses();

// Run for every object the engine's factory creates, before the host hears of it
// (the RegExp connection to the static RegExp object, for one).
using TJNewObjectHook = void (*)(TJEngine& engine, TJObject& object);
const std::vector<TJNewObjectHook>& NewObjectHooks();

}  // namespace kestrin
