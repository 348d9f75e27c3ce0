// Every question the program puts to its user goes through this one interface: message
// boxes, input dialogs, file and folder dialogs, and the script dialogs. The window answers
// with Qt dialogs, the console runner on the terminal, and tests with their own answers.
// All texts are byte strings in the system code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform {

enum class Answer { Yes, No, Cancel, Closed };

class UserQuestions {
 public:
  virtual ~UserQuestions() = default;

  // Message box with Yes and No.
  virtual Answer AskYesNo(std::string_view caption, std::string_view text) = 0;
  // Message box with Yes, No and Cancel.
  virtual Answer AskYesNoCancel(std::string_view caption, std::string_view text) = 0;
  // The same two where Yes destroys data (delete, overwrite): No is the default button, so
  // Enter alone never confirms. Where there are no default buttons they are the plain ones.
  virtual Answer AskYesNoDefaultNo(std::string_view caption, std::string_view text) { return AskYesNo(caption, text); }
  virtual Answer AskYesNoCancelDefaultNo(std::string_view caption, std::string_view text) {
    return AskYesNoCancel(caption, text);
  }
  // Message box with a warning icon and OK (the script's alert).
  virtual void Alert(std::string_view caption, std::string_view text) = 0;
  // Message box with a question icon, OK and Cancel; false for Cancel or closing.
  virtual bool Confirm(std::string_view caption, std::string_view text) = 0;

  // The input dialog: one line of text, or nothing when cancelled.
  virtual std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                               std::string_view initial) = 0;
  // The script's one-line prompt dialog and multi-line text-area dialog.
  virtual std::optional<std::string> Prompt(std::string_view caption, std::string_view label,
                                            std::string_view initial) = 0;
  virtual std::optional<std::string> TextArea(std::string_view caption, std::string_view label,
                                              std::string_view initial) = 0;

  // File and folder dialogs. CanShowDialogs is false where no dialog can be shown (the
  // console runner); callers then report an error instead of asking.
  virtual bool CanShowDialogs() const = 0;
  virtual std::optional<std::string> OpenFile(std::string_view title, std::string_view initialName) = 0;
  virtual std::vector<std::string> OpenFiles(std::string_view title, std::string_view initialName) = 0;
  virtual std::optional<std::string> SaveFile(std::string_view title, std::string_view initialName) = 0;
  virtual std::optional<std::string> OpenFolder(std::string_view title, std::string_view initialFolder) = 0;
};

}  // namespace velkoran::platform
