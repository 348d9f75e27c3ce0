// TJStringObject: wraps one byte string and carries the script String methods. The
// evaluator makes one whenever a script reads a member of a string value; the engine keeps
// one more as the static String object (String.fromCharCode).
#pragma once

#include "script/object.h"

namespace kestrin {

class TJRegExpObject;

class TJStringObject : public TJObject {
 public:
  TJStringObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  const SharedString& Text() const { return text_; }
  // The engine's scratch String object (string_calls.cpp) takes each string in turn.
  void Rebind(SharedString text) noexcept { text_ = std::move(text); }
  // charAt and charCodeAt of one argument on any text (the methods call these too).
  static TJValue CharAtOf(std::string_view text, const TJValue& position);
  static TJValue CharCodeAtOf(std::string_view text, const TJValue& position);
  // Which of those two a method of this class is (string_calls.cpp calls them directly).
  static bool IsCharAt(const TJMethodInfo& method) noexcept;
  static bool IsCharCodeAt(const TJMethodInfo& method) noexcept;

  // Bracket reads address bytes: s[k], s[-1]; anything else raises EIndexError.
  void GetValue(const TJName& name, bool bracket, TJValue& out) override;
  bool GetIndexed(std::int32_t index, TJValue& out) override;
  SharedString ToString(const TJValue* arg) override;

 private:
  TJValue GetLength();
  TJValue GetText();
  void SetText(const TJValue& v);

  void CharAtMethod(TJValueList& args, TJValue& result);
  void AnchorMethod(TJValueList& args, TJValue& result);
  void BigMethod(TJValueList& args, TJValue& result);
  void BlinkMethod(TJValueList& args, TJValue& result);
  void BoldMethod(TJValueList& args, TJValue& result);
  void CharCodeAtMethod(TJValueList& args, TJValue& result);
  void ConcatMethod(TJValueList& args, TJValue& result);
  void FixedMethod(TJValueList& args, TJValue& result);
  void FontColorMethod(TJValueList& args, TJValue& result);
  void FontSizeMethod(TJValueList& args, TJValue& result);
  void FromCharCodeMethod(TJValueList& args, TJValue& result);
  void IndexOfMethod(TJValueList& args, TJValue& result);
  void ItalicsMethod(TJValueList& args, TJValue& result);
  void LastIndexOfMethod(TJValueList& args, TJValue& result);
  void LinkMethod(TJValueList& args, TJValue& result);
  void MatchMethod(TJValueList& args, TJValue& result);
  void ReplaceMethod(TJValueList& args, TJValue& result);
  void SearchMethod(TJValueList& args, TJValue& result);
  void SliceMethod(TJValueList& args, TJValue& result);
  void SmallMethod(TJValueList& args, TJValue& result);
  void SplitMethod(TJValueList& args, TJValue& result);
  void StrikeMethod(TJValueList& args, TJValue& result);
  void SubMethod(TJValueList& args, TJValue& result);
  void SubstrMethod(TJValueList& args, TJValue& result);
  void SubstringMethod(TJValueList& args, TJValue& result);
  void SupMethod(TJValueList& args, TJValue& result);
  void ToLowerCaseMethod(TJValueList& args, TJValue& result);
  void ToUpperCaseMethod(TJValueList& args, TJValue& result);
  void ToJISMethod(TJValueList& args, TJValue& result);
  void ToSJISMethod(TJValueList& args, TJValue& result);
  void ToEUCMethod(TJValueList& args, TJValue& result);
  void ToUTF8Method(TJValueList& args, TJValue& result);
  void ToWideMethod(TJValueList& args, TJValue& result);
  void ToStringMethod(TJValueList& args, TJValue& result);
  void FromJIStoSJISMethod(TJValueList& args, TJValue& result);
  void FromJIStoEUCMethod(TJValueList& args, TJValue& result);
  void FromEUCtoSJISMethod(TJValueList& args, TJValue& result);
  void FromEUCtoJISMethod(TJValueList& args, TJValue& result);
  void FromSJIStoEUCMethod(TJValueList& args, TJValue& result);
  void FromSJIStoJISMethod(TJValueList& args, TJValue& result);

  // The RegExp argument itself, or a new one made from the whole argument list.
  TJRegExpObject& RegExpFrom(TJValueList& args, bool& given);

  SharedString text_;
};

}  // namespace kestrin
