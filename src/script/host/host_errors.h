// The script errors the host classes raise: an error name and an English message, the
// operation word first ("read error: " + path for the file classes).
#pragma once

#include <string>
#include <string_view>

#include "script/signals.h"

namespace kestrin::host {

// Error names of the host classes that the core does not list.
inline constexpr std::string_view kWin32Error = "EWin32Error";
inline constexpr std::string_view kMutexError = "EMutexError";
inline constexpr std::string_view kDialogError = "EDialogError";

// Raises `name` with the message operation + ": " + subject ("copy error: a.txt").
[[noreturn]] inline void ThrowOperationError(std::string_view name, std::string_view operation,
                                             std::string_view subject) {
  std::string text(operation);
  text += ": ";
  text += subject;
  ThrowScriptError(name, text);
}

}  // namespace kestrin::host
