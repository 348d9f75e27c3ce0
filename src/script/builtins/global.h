// TJGlobalObject: the functions a script calls by bare name (print, parseInt, exit, ...)
// and the script's argument array. It sits at the bottom of every "this" stack.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "script/object.h"

namespace kestrin {

// Percent-encoding and -decoding of escape and unescape, byte by byte.
std::string EscapeText(std::string_view text);
std::string UnescapeText(std::string_view text);

class TJGlobalObject : public TJObject {
 public:
  TJGlobalObject(TJObjectFactory* factory, const TJValueList* args);
  ~TJGlobalObject() override;
  static const TJClassInfo& Info();

  // The run's arguments ("args" and "arguments"); an Array held for the object's life.
  TJObject& Arguments() noexcept { return *arguments_; }
  // Where print and the others write; output is dropped while unassigned.
  std::function<void(std::string_view text)> OnOutput;

 private:
  void Output(std::string_view text);
  TJValue GetArguments();

  void EscapeMethod(TJValueList& args, TJValue& result);
  void UnescapeMethod(TJValueList& args, TJValue& result);
  void EvalMethod(TJValueList& args, TJValue& result);
  void IsFiniteMethod(TJValueList& args, TJValue& result);
  void IsNaNMethod(TJValueList& args, TJValue& result);
  void ParseFloatMethod(TJValueList& args, TJValue& result);
  void ParseIntMethod(TJValueList& args, TJValue& result);
  void PrintMethod(TJValueList& args, TJValue& result);
  void PrintlnMethod(TJValueList& args, TJValue& result);
  void AlertMethod(TJValueList& args, TJValue& result);
  void PromptMethod(TJValueList& args, TJValue& result);
  void ConfirmMethod(TJValueList& args, TJValue& result);
  void TextAreaMethod(TJValueList& args, TJValue& result);
  void ExitMethod(TJValueList& args, TJValue& result);

  TJObject* arguments_;
};

}  // namespace kestrin
