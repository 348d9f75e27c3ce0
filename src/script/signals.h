// Control-flow signals and script errors. The non-local exits that leave a whole run
// (exit, abort), syntax errors and script errors derive from EJException; break,
// continue and return travel as completion codes of the statements (engine.h). Script
// errors are EJThrow with an error name, a value and a message; scripts catch them by
// name. The error names and the fixed texts the core raises are listed at the end.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "script/value.h"

namespace kestrin {

class EJException : public std::runtime_error {
 public:
  explicit EJException(const std::string& message) : std::runtime_error(message) {}
};

class EJAbort : public EJException {
 public:
  EJAbort() : EJException("script abort") {}
};

class EJExit : public EJException {
 public:
  explicit EJExit(std::int32_t code) : EJException(""), ExitCode(code) {}
  std::int32_t ExitCode;
};

class EJThrow : public EJException {
 public:
  explicit EJThrow(const std::string& name, TJValue value = TJValue(), std::string text = {})
      : EJException(name), ErrorText(std::move(text)), Value(std::move(value)), ErrorName(name) {}
  std::string ErrorText;
  TJValue Value;
  std::string ErrorName;
};

class EJSyntaxError : public EJException {
 public:
  explicit EJSyntaxError(const std::string& message) : EJException(message) {}
};

// Raises the script error `name` with a message and no value.
[[noreturn]] inline void ThrowScriptError(std::string_view name, std::string_view text = {}) {
  throw EJThrow(std::string(name), TJValue(), std::string(text));
}

// Error names.
namespace errors {
inline constexpr std::string_view kThrow = "EThrow";
inline constexpr std::string_view kName = "ENameError";
inline constexpr std::string_view kType = "ETypeError";
inline constexpr std::string_view kZeroDivide = "EZDError";
inline constexpr std::string_view kKey = "EKeyError";
inline constexpr std::string_view kCall = "ECallError";
inline constexpr std::string_view kActiveX = "EActiveXError";
inline constexpr std::string_view kProperty = "EPropertyError";
inline constexpr std::string_view kIndex = "EIndexError";
inline constexpr std::string_view kRecursion = "ERecursionError";
inline constexpr std::string_view kMath = "EMathError";
inline constexpr std::string_view kRegExp = "ERegExp";
inline constexpr std::string_view kFile = "EFileError";
inline constexpr std::string_view kDirectory = "EDirectoryError";
inline constexpr std::string_view kStrings = "EStringsError";
inline constexpr std::string_view kIni = "EIniError";
inline constexpr std::string_view kBase64 = "EBase64Error";
inline constexpr std::string_view kCRC = "ECRCError";
inline constexpr std::string_view kSocket = "ESocketError";
inline constexpr std::string_view kWin32 = "EWin32Error";
inline constexpr std::string_view kMutex = "EMutexError";
inline constexpr std::string_view kDialog = "EDialogError";
}  // namespace errors

// The errors the core raises with a fixed text: each name beside its text. (The host
// classes' messages are their operation's word + " error", made where they fail.)
struct TJErrorText {
  std::string_view name;
  std::string_view text;
};
namespace errors {
inline constexpr TJErrorText kCallFailed{kCall, "call error"};            // not callable, or its object is gone
inline constexpr TJErrorText kMethodFailed{kActiveX, "method error"};     // an automation call failed
inline constexpr TJErrorText kSetOnly{kProperty, "set only"};             // read of a property without getter
inline constexpr TJErrorText kGetOnly{kProperty, "get only"};             // write of a property without setter
inline constexpr TJErrorText kTooDeep{kRecursion, "too deep recursion"};  // calls or expressions nest too deep
inline constexpr TJErrorText kNoSuper{kKey, "super."};                    // followed by the member's name
}  // namespace errors

// Raises a listed error; `subject` (a name) follows the fixed text when given.
[[noreturn]] inline void ThrowScriptError(const TJErrorText& error, std::string_view subject = {}) {
  std::string text(error.text);
  text += subject;
  ThrowScriptError(error.name, text);
}

}  // namespace kestrin
