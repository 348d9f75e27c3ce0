// The console runner's answers to the questions a script asks: messages go to stderr,
// answers come from stdin, and no file dialog can be shown.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/questions.h"

namespace kestrin {

class ConsoleQuestions : public velkoran::platform::UserQuestions {
 public:
  // in and err default to the process's stdin and stderr; beforeRead runs before every
  // read (the runner flushes the script's output there).
  ConsoleQuestions(std::FILE* in, std::FILE* err, std::function<void()> beforeRead);

  velkoran::platform::Answer AskYesNo(std::string_view caption, std::string_view text) override;
  velkoran::platform::Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  void Alert(std::string_view caption, std::string_view text) override;
  bool Confirm(std::string_view caption, std::string_view text) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::optional<std::string> Prompt(std::string_view caption, std::string_view label,
                                    std::string_view initial) override;
  std::optional<std::string> TextArea(std::string_view caption, std::string_view label,
                                      std::string_view initial) override;
  bool CanShowDialogs() const override { return false; }
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override { return std::nullopt; }
  std::vector<std::string> OpenFiles(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override { return std::nullopt; }
  std::optional<std::string> OpenFolder(std::string_view, std::string_view) override { return std::nullopt; }

  // One line without its line end; nothing at the end of input.
  std::optional<std::string> ReadLine();
  // Everything up to the end of input.
  std::string ReadAll();

 private:
  void Ask(std::string_view caption, std::string_view text);
  // One answer line; an empty line takes the default.
  std::optional<std::string> AskLine(std::string_view caption, std::string_view text, std::string_view initial);

  std::FILE* in_;
  std::FILE* err_;
  std::function<void()> beforeRead_;
};

}  // namespace kestrin
