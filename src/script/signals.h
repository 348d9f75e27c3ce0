// Control-flow signals and script errors. Non-local control (break, continue, return,
// exit, abort), syntax errors and script errors all derive from EJException. Script errors
// are EJThrow with an error name, a value and a message; scripts catch them by name.
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

class EJBreak : public EJException {
 public:
  EJBreak() : EJException("break") {}
};

class EJContinue : public EJException {
 public:
  EJContinue() : EJException("continue") {}
};

class EJReturn : public EJException {
 public:
  explicit EJReturn(TJValue value) : EJException("return"), Value(std::move(value)) {}
  TJValue Value;
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

// Error names raised by the core.
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
inline constexpr std::string_view kRegExp = "ERegExp";
inline constexpr std::string_view kFile = "EFileError";
inline constexpr std::string_view kDirectory = "EDirectoryError";
inline constexpr std::string_view kStrings = "EStringsError";
inline constexpr std::string_view kIni = "EIniError";
inline constexpr std::string_view kBase64 = "EBase64Error";
inline constexpr std::string_view kCRC = "ECRCError";
inline constexpr std::string_view kSocket = "ESocketError";
}  // namespace errors

}  // namespace kestrin
