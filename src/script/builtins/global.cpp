#include "script/builtins/global.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ascii.h"
#include "script/engine.h"
#include "script/kestrin.h"

namespace kestrin {

namespace {

using velkoran::platform::HexDigitValue;

bool Unreserved(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '@':
    case '_':
      return true;
    default:
      return false;
  }
}

// The script's prompt and textArea: the label and the initial text go to the dialog; the
// result is the text given, or null when the dialog is cancelled or cannot be shown.
using TextQuestion = std::optional<std::string> (velkoran::platform::UserQuestions::*)(
    std::string_view caption, std::string_view label, std::string_view initial);

void AskForText(TJEngine* engine, TJValueList& args, TJValue& result, TextQuestion ask) {
  result = TJValue::Null();
  if (engine == nullptr || engine->Questions() == nullptr) return;
  const SharedString initial = TJValueList::Has2(&args) ? ToText(args[1]) : SharedString();
  if (auto answer = (engine->Questions()->*ask)(engine->Caption(), ToText(args[0]).view(), initial.view())) {
    result = TJValue::Text(*answer);
  }
}

}  // namespace

std::string EscapeText(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      out.push_back(ch);
    } else if (c == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::string UnescapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      if (i + 1 < text.size() && text[i + 1] == '%') {
        out.push_back('%');
        ++i;
      } else if (i + 2 < text.size()) {
        const int hi = HexDigitValue(text[i + 1]);
        const int lo = HexDigitValue(text[i + 2]);
        out.push_back(hi < 0 || lo < 0 ? '\0' : static_cast<char>(hi * 16 + lo));
        i += 2;
      } else {
        // A "%" too close to the end to spell a byte stays as it is, with what follows.
        out.append(text.substr(i));
        break;
      }
    } else if (c == '+') {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

const TJClassInfo& TJGlobalObject::Info() {
  static const TJClassInfo info = TJClassBuilder<TJGlobalObject>("Global")
                                      .Method<&TJGlobalObject::EscapeMethod>("escape")
                                      .Method<&TJGlobalObject::UnescapeMethod>("unescape")
                                      .Method<&TJGlobalObject::EvalMethod>("eval")
                                      .Method<&TJGlobalObject::IsFiniteMethod>("isFinite")
                                      .Method<&TJGlobalObject::IsNaNMethod>("isNaN")
                                      .Method<&TJGlobalObject::ParseFloatMethod>("parseFloat")
                                      .Method<&TJGlobalObject::ParseIntMethod>("parseInt")
                                      .Method<&TJGlobalObject::PrintMethod>("print")
                                      .Method<&TJGlobalObject::PrintlnMethod>("println")
                                      .Method<&TJGlobalObject::PrintMethod>("write")
                                      .Method<&TJGlobalObject::PrintlnMethod>("writeln")
                                      .Method<&TJGlobalObject::AlertMethod>("alert")
                                      .Method<&TJGlobalObject::PromptMethod>("prompt")
                                      .Method<&TJGlobalObject::ConfirmMethod>("confirm")
                                      .Method<&TJGlobalObject::TextAreaMethod>("textArea")
                                      .Method<&TJGlobalObject::ExitMethod>("exit")
                                      .Property<&TJGlobalObject::GetArguments>("args", TJPropertyType::Object)
                                      .Property<&TJGlobalObject::GetArguments>("arguments", TJPropertyType::Object)
                                      .Build();
  return info;
}

TJGlobalObject::TJGlobalObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  arguments_ = factory->CreateObject("Array");
  arguments_->AddRef();  // never swept while the global object lives
}

TJGlobalObject::~TJGlobalObject() { arguments_->Release(); }

TJValue TJGlobalObject::GetArguments() { return TJValue::Object(arguments_); }

void TJGlobalObject::Output(std::string_view text) {
  if (OnOutput) OnOutput(text);
}

void TJGlobalObject::EscapeMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TJValue::Text(EscapeText(ToText(args[0]).view()));
}

void TJGlobalObject::UnescapeMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TJValue::Text(UnescapeText(ToText(args[0]).view()));
}

void TJGlobalObject::EvalMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  TJEngine* engine = Engine();
  // A fresh, independent component: it sees none of this script's variables, but prints
  // into the same output.
  TKestrin child(engine != nullptr ? engine->Questions() : nullptr,
                 engine != nullptr ? engine->HostRegistrar : nullptr);
  if (engine != nullptr) {
    child.Engine().SetCaption(engine->Caption());
    child.Engine().PollInterval = engine->PollInterval;
    child.Engine().OnPoll = [engine](TJEngine& inner) {
      if (engine->OnPoll) engine->OnPoll(*engine);
      if (engine->AbortRequested) inner.AbortRequested = true;
    };
  }
  child.OnStdout = [this](TKestrin&, std::string_view text) { Output(text); };
  if (!child.Compile(ToText(args[0]).view())) return;
  result = TJValue::Integer(child.Run());
  // An abort asked for while the evaluated text ran ends the caller too.
  if (engine != nullptr && engine->AbortRequested) throw EJAbort();
}

void TJGlobalObject::IsFiniteMethod(TJValueList& args, TJValue& result) {
  // A finite number: a numeric value whose number is neither infinite nor NaN.
  result = TJValue::Boolean(TJValueList::Has1(&args) && IsNumeric(args[0]) && std::isfinite(ToNumber(args[0])));
}

void TJGlobalObject::IsNaNMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = TJValue::Boolean(!IsNumeric(args[0]));
}

void TJGlobalObject::ParseFloatMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = IsNumeric(args[0]) ? TJValue::Number(ToNumber(args[0])) : TJValue::NaN();
}

void TJGlobalObject::ParseIntMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  result = IsNumeric(args[0]) ? TJValue::Integer(ToInteger(args[0])) : TJValue::NaN();
}

void TJGlobalObject::PrintMethod(TJValueList& args, TJValue& /*result*/) {
  for (const TJValue& v : args) Output(ToText(v).view());
}

void TJGlobalObject::PrintlnMethod(TJValueList& args, TJValue& /*result*/) {
  for (const TJValue& v : args) {
    const SharedString text = ToText(v);
    std::string line(text.view());
    line += "\r\n";
    Output(line);
  }
}

void TJGlobalObject::AlertMethod(TJValueList& args, TJValue& /*result*/) {
  if (!TJValueList::Has1(&args)) return;
  TJEngine* engine = Engine();
  if (engine == nullptr || engine->Questions() == nullptr) return;
  engine->Questions()->Alert(engine->Caption(), ToText(args[0]).view());
}

void TJGlobalObject::PromptMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  AskForText(Engine(), args, result, &velkoran::platform::UserQuestions::Prompt);
}

void TJGlobalObject::ConfirmMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  TJEngine* engine = Engine();
  result = TJValue::Boolean(false);
  if (engine == nullptr || engine->Questions() == nullptr) return;
  result = TJValue::Boolean(engine->Questions()->Confirm(engine->Caption(), ToText(args[0]).view()));
}

void TJGlobalObject::TextAreaMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  AskForText(Engine(), args, result, &velkoran::platform::UserQuestions::TextArea);
}

void TJGlobalObject::ExitMethod(TJValueList& args, TJValue& /*result*/) {
  throw EJExit(TJValueList::Has1(&args) ? ToInteger(args[0]) : 0);
}

}  // namespace kestrin
