// User questions for tests: every question is recorded, and answered from what the test
// queued for its kind; a kind with nothing queued gets "no" or nothing. Variants override
// what they need to differ (a strict one fails the test on a question nobody expected).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/questions.h"

namespace velkoran::testing {

struct AskedQuestion {
  // "yesno", "yesnocancel", "alert", "confirm", "input", "prompt", "textArea", "openFile",
  // "openFiles", "saveFile" or "openFolder".
  std::string kind;
  std::string caption;  // the caption or the dialog's title
  std::string text;     // the message, prompt or label; empty for file and folder dialogs
  std::string initial;  // the initial text, name or folder
  bool operator==(const AskedQuestion&) const = default;
};

std::ostream& operator<<(std::ostream& out, const AskedQuestion& question);

class ScriptedQuestions : public platform::UserQuestions {
 public:
  std::vector<AskedQuestion> asked;
  std::deque<platform::Answer> answers;                // message boxes, in order; Confirm is OK on Yes
  std::deque<std::optional<std::string>> inputs;       // input dialogs
  std::deque<std::optional<std::string>> prompts;      // a script's prompt dialogs
  std::deque<std::optional<std::string>> textAreas;    // a script's text-area dialogs
  std::deque<std::optional<std::string>> fileAnswers;  // open-file, save-file and folder dialogs
  std::vector<std::string> filesAnswer;                // every multiple-file dialog
  bool dialogs = false;                                // what CanShowDialogs says
  std::function<void()> onAsk;  // runs inside every message box but the alert, before its answer

  platform::Answer AskYesNo(std::string_view caption, std::string_view text) override;
  platform::Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  void Alert(std::string_view caption, std::string_view text) override;
  bool Confirm(std::string_view caption, std::string_view text) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::optional<std::string> Prompt(std::string_view caption, std::string_view label, std::string_view initial) override;
  std::optional<std::string> TextArea(std::string_view caption, std::string_view label,
                                      std::string_view initial) override;
  bool CanShowDialogs() const override { return dialogs; }
  std::optional<std::string> OpenFile(std::string_view title, std::string_view initialName) override;
  std::vector<std::string> OpenFiles(std::string_view title, std::string_view initialName) override;
  std::optional<std::string> SaveFile(std::string_view title, std::string_view initialName) override;
  std::optional<std::string> OpenFolder(std::string_view title, std::string_view initialFolder) override;

 protected:
  // The answer to a message box when none is queued.
  virtual platform::Answer Unanswered(const AskedQuestion&) { return platform::Answer::No; }

 private:
  platform::Answer NextAnswer(AskedQuestion question);
  std::optional<std::string> NextText(std::deque<std::optional<std::string>>& queue, AskedQuestion question);
};

}  // namespace velkoran::testing
