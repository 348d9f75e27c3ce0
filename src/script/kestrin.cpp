#include "script/kestrin.h"

#include <unistd.h>

#include <climits>

#include "script/builtins/array.h"
#include "script/builtins/global.h"

namespace kestrin {

std::string ProgramCaption() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string name = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string("kestrin");
  const std::size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

TKestrin::TKestrin(velkoran::platform::UserQuestions* questions, TJHostRegistrar registrar) : engine_(questions) {
  engine_.SetCaption(ProgramCaption());
  engine_.HostRegistrar = registrar;
  engine_.OnStdout = [this](std::string_view text) { Output(text); };
  if (registrar != nullptr) registrar(*this);
}

TKestrin::~TKestrin() { Clear(); }

// The engine reports objects only while the host listens: without a listener it may do
// without the temporary objects of string members (string_calls.cpp).
void TKestrin::ConnectObjectReports() {
  engine_.ReportValueTemporaries = ReportValueTemporaries;
  if (!OnNewObject) {
    engine_.OnNewObject = nullptr;
    return;
  }
  engine_.OnNewObject = [this](TJEngine&, TJObject& object) {
    if (OnNewObject) OnNewObject(*this, object);
  };
}

void TKestrin::Output(std::string_view text) {
  if (OnStdout) OnStdout(*this, text);
}

void TKestrin::RegisterClass(std::string_view name, const TJClassInfo& cls) { engine_.RegisterClass(name, cls); }

bool TKestrin::Compile(std::string_view text, const TJSourceOrigin& origin) {
  if (OnDebugout) {
    parser_.Lexer().OnLexDebug = [this](std::string_view trace) { OnDebugout(*this, trace); };
  } else {
    parser_.Lexer().OnLexDebug = nullptr;
  }
  ConnectObjectReports();
  program_ = nullptr;
  compileFailed_ = false;
  parser_.Origin = origin;
  try {
    const bool ok = parser_.Parse(std::string(text));
    program_ = ok ? parser_.Root() : nullptr;
    return ok && program_ != nullptr;
  } catch (const EJSyntaxError& e) {
    Output(e.what());
  } catch (const EJThrow& e) {
    Output(parser_.FoldErrorPlace() + "Exception: " + e.ErrorName + " => " + e.ErrorText);
  }
  program_ = nullptr;
  compileFailed_ = true;
  return false;
}

std::int32_t TKestrin::Run() { return Run({}); }

std::int32_t TKestrin::Run(const std::vector<TKestrinArgument>& arguments) {
  auto& array = static_cast<TJArrayObject&>(engine_.Global().Arguments());
  array.ClearElements();
  for (const TKestrinArgument& a : arguments) {
    if (const auto* i = std::get_if<std::int32_t>(&a)) {
      array.Append(TJValue::Integer(*i));
    } else if (const auto* d = std::get_if<double>(&a)) {
      array.Append(TJValue::Number(*d));
    } else if (const auto* s = std::get_if<std::string>(&a)) {
      array.Append(TJValue::Text(*s));
    } else if (const auto* o = std::get_if<TJObject*>(&a)) {
      if (*o != nullptr) array.Append(TJValue::Object(*o));
    }
  }
  if (program_ == nullptr) return 0;
  ConnectObjectReports();
  return engine_.Run(program_);
}

void TKestrin::Clear() {
  program_ = nullptr;
  parser_.Clear();
  engine_.Reset();
}

}  // namespace kestrin
