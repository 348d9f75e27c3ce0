#include "script/builtins/string_object.h"

#include <cmath>

#include "platform/codepage.h"
#include "script/builtins/japanese_codes.h"
#include "script/builtins/regexp_object.h"
#include "script/builtins/string_methods.h"

namespace kestrin {
namespace {

constexpr std::int32_t kNoLimit = 2147483647;

TJValue TextValue(std::string_view s) { return TJValue::Text(s); }

// A part of text (a view into it): the whole shares text's buffer, the rest is copied.
TJValue PartValue(const SharedString& text, std::string_view part) {
  return part.size() == text.size() ? TJValue::Text(text) : TJValue::Text(part);
}

}  // namespace

const TJClassInfo& TJStringObject::Info() {
  using S = TJStringObject;
  static const TJClassInfo info = TJClassBuilder<S>("String")
                                      .Method<&S::CharAtMethod>("charAt")
                                      .Method<&S::AnchorMethod>("anchor")
                                      .Method<&S::BigMethod>("big")
                                      .Method<&S::BlinkMethod>("blink")
                                      .Method<&S::BoldMethod>("bold")
                                      .Method<&S::CharCodeAtMethod>("charCodeAt")
                                      .Method<&S::ConcatMethod>("concat")
                                      .Method<&S::FixedMethod>("fixed")
                                      .Method<&S::FontColorMethod>("fontcolor")
                                      .Method<&S::FontSizeMethod>("fontsize")
                                      .Method<&S::FromCharCodeMethod>("fromCharCode")
                                      .Method<&S::IndexOfMethod>("indexOf")
                                      .Method<&S::ItalicsMethod>("italics")
                                      .Method<&S::LastIndexOfMethod>("lastIndexOf")
                                      .Method<&S::LinkMethod>("link")
                                      .Method<&S::MatchMethod>("match")
                                      .Method<&S::ReplaceMethod>("replace")
                                      .Method<&S::SearchMethod>("search")
                                      .Method<&S::SliceMethod>("slice")
                                      .Method<&S::SmallMethod>("small")
                                      .Method<&S::SplitMethod>("split")
                                      .Method<&S::StrikeMethod>("strike")
                                      .Method<&S::SubMethod>("sub")
                                      .Method<&S::SubstrMethod>("substr")
                                      .Method<&S::SubstringMethod>("substring")
                                      .Method<&S::SupMethod>("sup")
                                      .Method<&S::ToLowerCaseMethod>("toLowerCase")
                                      .Method<&S::ToUpperCaseMethod>("toUpperCase")
                                      .Method<&S::ToJISMethod>("toJIS")
                                      .Method<&S::ToSJISMethod>("toSJIS")
                                      .Method<&S::ToEUCMethod>("toEUC")
                                      .Method<&S::ToWideMethod>("toWide")
                                      .Method<&S::ToStringMethod>("toString")
                                      .Method<&S::FromJIStoSJISMethod>("fromJIStoSJIS")
                                      .Method<&S::FromJIStoEUCMethod>("fromJIStoEUC")
                                      .Method<&S::FromEUCtoSJISMethod>("fromEUCtoSJIS")
                                      .Method<&S::FromEUCtoJISMethod>("fromEUCtoJIS")
                                      .Method<&S::FromSJIStoEUCMethod>("fromSJIStoEUC")
                                      .Method<&S::FromSJIStoJISMethod>("fromSJIStoJIS")
                                      .Method<&S::ToUTF8Method>("toUTF8")
                                      .Property<&S::GetLength>("length", TJPropertyType::Integer)
                                      .Property<&S::GetText, &S::SetText>("text", TJPropertyType::String)
                                      .Build();
  return info;
}

TJStringObject::TJStringObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (TJValueList::Has1(args)) text_ = ToText((*args)[0]);
}

// ---------------------------------------------------------------- access

bool TJStringObject::GetIndexed(std::int32_t index, TJValue& out) {
  std::int64_t pos = index;
  if (pos < 0) pos += static_cast<std::int64_t>(text_.size());
  if (pos < 0 || pos >= static_cast<std::int64_t>(text_.size()))
    ThrowScriptError(errors::kIndex, std::to_string(index));
  out = TJValue::Text(text_.view().substr(static_cast<std::size_t>(pos), 1));
  return true;
}

void TJStringObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  if (!bracket) {
    TJObject::GetValue(name, bracket, out);
    return;
  }
  const auto index = ParseInteger(name.Text());
  if (!index) ThrowScriptError(errors::kIndex, name.Text());
  std::int64_t pos = *index;
  if (pos < 0) pos += static_cast<std::int64_t>(text_.size());
  if (pos < 0 || pos >= static_cast<std::int64_t>(text_.size())) ThrowScriptError(errors::kIndex, name.Text());
  out = TJValue::Text(text_.view().substr(static_cast<std::size_t>(pos), 1));
}

SharedString TJStringObject::ToString(const TJValue* /*arg*/) { return text_; }

TJValue TJStringObject::GetLength() { return TJValue::Integer(static_cast<std::int32_t>(text_.size())); }
TJValue TJStringObject::GetText() { return TJValue::Text(text_); }
void TJStringObject::SetText(const TJValue& v) { text_ = ToText(v); }

// ---------------------------------------------------------------- characters and searching

TJValue TJStringObject::CharAtOf(std::string_view text, const TJValue& position) {
  return TJValue::Text(strings::CharAt(text, ToInteger(position)));  // a shared one-byte buffer
}

TJValue TJStringObject::CharCodeAtOf(std::string_view text, const TJValue& position) {
  const int code = strings::CharCodeAt(text, ToInteger(position));
  return code < 0 ? TJValue::NaN() : TJValue::Integer(code);
}

bool TJStringObject::IsCharAt(const TJMethodInfo& method) noexcept {
  static const TJMethodInfo* const charAt = Info().FindMethod("charAt", HashName("charAt"));
  return &method == charAt;
}

bool TJStringObject::IsCharCodeAt(const TJMethodInfo& method) noexcept {
  static const TJMethodInfo* const charCodeAt = Info().FindMethod("charCodeAt", HashName("charCodeAt"));
  return &method == charCodeAt;
}

void TJStringObject::CharAtMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = CharAtOf(text_, args[0]);
}

void TJStringObject::CharCodeAtMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = CharCodeAtOf(text_, args[0]);
}

void TJStringObject::ConcatMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  std::string out(text_.view());
  for (const TJValue& v : args) out += ToText(v).view();
  result = TextValue(out);
}

void TJStringObject::FromCharCodeMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  std::string out;
  out.reserve(args.Count());
  for (const TJValue& v : args) out += static_cast<char>(ToInteger(v) & 0xFF);
  result = TextValue(out);
}

void TJStringObject::IndexOfMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const SharedString search = ToText(args[0]);
  const std::int32_t start = TJValueList::Has2(&args) ? ToInteger(args[1]) : 0;
  result = TJValue::Integer(strings::IndexOf(text_, search, start));
}

void TJStringObject::LastIndexOfMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const SharedString chars = ToText(args[0]);
  const std::int32_t limit = TJValueList::Has2(&args) ? ToInteger(args[1]) : INT32_MAX;
  result = TJValue::Integer(
      strings::LastIndexOfAny(text_, chars, velkoran::platform::ActiveCodePage(), limit));
}

void TJStringObject::SliceMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const auto len = static_cast<std::int32_t>(text_.size());
  const std::int32_t end = TJValueList::Has2(&args) ? ToInteger(args[1]) : len;
  result = PartValue(text_, strings::Slice(text_, ToInteger(args[0]), end));
}

void TJStringObject::SubstringMethod(TJValueList& args, TJValue& result) { SliceMethod(args, result); }

void TJStringObject::SubstrMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const std::int64_t count = TJValueList::Has2(&args) ? ToInteger(args[1]) : -1;
  result = PartValue(text_, strings::Substr(text_, ToInteger(args[0]), count < 0 && TJValueList::Has2(&args) ? 0 : count));
}

// ---------------------------------------------------------------- regular expressions

TJRegExpObject& TJStringObject::RegExpFrom(TJValueList& args, bool& given) {
  if (args[0].Kind() == jkObject && args[0].ObjValue() != nullptr) {
    if (auto* re = dynamic_cast<TJRegExpObject*>(args[0].ObjValue())) {
      given = true;
      return *re;
    }
  }
  given = false;
  TJObjectFactory* factory = Factory();
  if (factory == nullptr) throw std::logic_error("String methods need the object factory");
  auto* re = dynamic_cast<TJRegExpObject*>(factory->CreateObject("RegExp", &args));
  if (re == nullptr) throw std::logic_error("the RegExp class is not registered");
  return *re;
}

void TJStringObject::MatchMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  bool given = false;
  result = RegExpFrom(args, given).Exec(text_);
}

void TJStringObject::SearchMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  bool given = false;
  TJRegExpObject& re = RegExpFrom(args, given);
  re.Exec(text_);
  re.GetValue("index", false, result);
}

void TJStringObject::ReplaceMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  bool given = false;
  TJRegExpObject& re = RegExpFrom(args, given);
  SharedString replacement;
  if (given) {
    if (TJValueList::Has2(&args)) replacement = ToText(args[1]);
  } else if (TJValueList::Has3(&args)) {
    replacement = ToText(args[2]);
  } else if (TJValueList::Has2(&args)) {
    replacement = ToText(args[1]);
  }
  result = TextValue(re.Replace(text_, replacement));
}

void TJStringObject::SplitMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  std::int32_t limit = kNoLimit;
  if (args[0].Kind() == jkObject && dynamic_cast<TJRegExpObject*>(args[0].ObjValue()) != nullptr) {
    if (TJValueList::Has2(&args)) limit = ToInteger(args[1]);
  } else if (TJValueList::Has2(&args)) {
    if (!IsNumeric(args[1])) {
      if (TJValueList::Has3(&args)) limit = ToInteger(args[2]);
    } else {
      limit = ToInteger(args[1]);
    }
  }
  bool given = false;
  result = RegExpFrom(args, given).Split(text_, limit);
}

// ---------------------------------------------------------------- HTML wrappers

void TJStringObject::AnchorMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TextValue(strings::TaggedWith(text_, "A", "NAME", ToText(args[0]), "A"));
}
void TJStringObject::LinkMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TextValue(strings::TaggedWith(text_, "A", "HREF", ToText(args[0]), "A"));
}
void TJStringObject::FontColorMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TextValue(strings::TaggedWith(text_, "FONT", "COLOR", ToText(args[0]), "FONT"));
}
void TJStringObject::FontSizeMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TextValue(strings::TaggedWith(text_, "FONT", "SIZE", ToText(args[0]), "FONT"));
}
void TJStringObject::BigMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "BIG")); }
void TJStringObject::BlinkMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "BLINK")); }
void TJStringObject::BoldMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "B")); }
void TJStringObject::FixedMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "TT")); }
void TJStringObject::ItalicsMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "I")); }
void TJStringObject::SmallMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "SMALL")); }
void TJStringObject::StrikeMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "STRIKE")); }
void TJStringObject::SubMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "SUB")); }
void TJStringObject::SupMethod(TJValueList&, TJValue& result) { result = TextValue(strings::Tagged(text_, "SUP")); }

// ---------------------------------------------------------------- case and code conversions

void TJStringObject::ToLowerCaseMethod(TJValueList&, TJValue& result) {
  result = TextValue(velkoran::platform::LowerCase(text_));
}
void TJStringObject::ToUpperCaseMethod(TJValueList&, TJValue& result) {
  result = TextValue(velkoran::platform::UpperCase(text_));
}
void TJStringObject::ToJISMethod(TJValueList&, TJValue& result) { result = TextValue(ConvertCode(text_, kCodeJisB)); }
void TJStringObject::ToSJISMethod(TJValueList&, TJValue& result) { result = TextValue(ConvertCode(text_, kCodeSjis)); }
void TJStringObject::ToEUCMethod(TJValueList&, TJValue& result) { result = TextValue(ConvertCode(text_, kCodeEuc)); }
void TJStringObject::ToUTF8Method(TJValueList&, TJValue& result) { result = TextValue(ConvertToUtf8(text_)); }
void TJStringObject::ToWideMethod(TJValueList&, TJValue& result) {
  result = TextValue(strings::ToWide(text_, velkoran::platform::ActiveCodePage()));
}
void TJStringObject::ToStringMethod(TJValueList&, TJValue& result) { result = TJValue::Text(text_); }
void TJStringObject::FromJIStoSJISMethod(TJValueList&, TJValue& result) { result = TextValue(JISToSJIS(text_)); }
void TJStringObject::FromJIStoEUCMethod(TJValueList&, TJValue& result) { result = TextValue(JISToEUC(text_)); }
void TJStringObject::FromEUCtoSJISMethod(TJValueList&, TJValue& result) { result = TextValue(EUCToSJIS(text_)); }
void TJStringObject::FromEUCtoJISMethod(TJValueList&, TJValue& result) { result = TextValue(EUCToJIS(text_)); }
void TJStringObject::FromSJIStoEUCMethod(TJValueList&, TJValue& result) { result = TextValue(SJISToEUC(text_)); }
void TJStringObject::FromSJIStoJISMethod(TJValueList&, TJValue& result) { result = TextValue(SJISToJIS(text_)); }

}  // namespace kestrin
