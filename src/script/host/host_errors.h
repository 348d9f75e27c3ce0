// The script errors the host classes raise: an error name (listed in script/signals.h)
// and an English message, the operation word first ("read error: " + path for the file
// classes).
#pragma once

#include <string>
#include <string_view>

#include "script/signals.h"

namespace kestrin::host {

// Raises `name` with the message operation + ": " + subject ("copy error: a.txt").
[[noreturn]] inline void ThrowOperationError(std::string_view name, std::string_view operation,
                                             std::string_view subject) {
  std::string text(operation);
  text += ": ";
  text += subject;
  ThrowScriptError(name, text);
}

}  // namespace kestrin::host
