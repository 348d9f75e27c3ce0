// TKestrin: the interpreter's front door for a host application. It owns one parser and
// one engine, registers the host classes scripts may create with `new`, compiles a script
// text, runs the compiled program with arguments, and reports output, lexer traces and
// created objects through three events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/questions.h"
#include "script/engine.h"
#include "script/parser.h"

namespace kestrin {

// A run argument: integers, floating-point numbers, strings and script objects reach the
// script's `args`; booleans and empty arguments are skipped.
using TKestrinArgument = std::variant<std::monostate, bool, std::int32_t, double, std::string, TJObject*>;

class TKestrin {
 public:
  // questions answers alert, confirm, prompt and textArea (none: they do nothing);
  // registrar registers the host classes (none: only the built-in classes exist).
  explicit TKestrin(velkoran::platform::UserQuestions* questions = nullptr, TJHostRegistrar registrar = nullptr);
  ~TKestrin();
  TKestrin(const TKestrin&) = delete;
  TKestrin& operator=(const TKestrin&) = delete;

  // Parses text; false (with the syntax error or fold error reported through OnStdout,
  // without a line end) when it does not compile or holds no statement. A named origin
  // makes the report name the file and its own line (TJSourceOrigin).
  bool Compile(std::string_view text, const TJSourceOrigin& origin = {});
  // The last Compile failed on a syntax error or a fold error (not merely an empty text).
  bool CompileFailed() const noexcept { return compileFailed_; }
  // Runs the compiled program (0 when there is none): its top-level return value, exit
  // code, or 0.
  std::int32_t Run();
  std::int32_t Run(const std::vector<TKestrinArgument>& arguments);
  // Forgets the program and every tree, and resets the engine.
  void Clear();
  void RegisterClass(std::string_view name, const TJClassInfo& cls);

  // Directories searched by `import`; the host may add to them.
  std::vector<std::string>& LibraryPath() noexcept { return parser_.LibraryPath; }
  const TJStatement* Program() const noexcept { return program_; }
  TJEngine& Engine() noexcept { return engine_; }
  TJParser& Parser() noexcept { return parser_; }

  std::function<void(TKestrin& sender, std::string_view text)> OnStdout;
  // Each token as the lexer's trace text; connected at Compile when assigned then.
  std::function<void(TKestrin& sender, std::string_view text)> OnDebugout;
  // Taken into account when Compile or Run begins.
  std::function<void(TKestrin& sender, TJObject& object)> OnNewObject;
  // False when OnNewObject only looks for objects of the host's own classes: string
  // values' members then run without a temporary String object (and are much faster).
  bool ReportValueTemporaries = true;

 private:
  void Output(std::string_view text);
  void ConnectObjectReports();

  const TJStatement* program_ = nullptr;
  bool compileFailed_ = false;
  TJParser parser_;
  TJEngine engine_;
};

// The program's executable file name without directory and extension: the caption of
// every message box and dialog a script shows.
std::string ProgramCaption();

}  // namespace kestrin
