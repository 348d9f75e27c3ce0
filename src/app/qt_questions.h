// Every question to the user, answered with Qt dialogs owned by the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/questions.h"

namespace velkoran::app {

class QtUserQuestions final : public platform::UserQuestions {
 public:
  explicit QtUserQuestions(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  platform::Answer AskYesNo(std::string_view caption, std::string_view text) override;
  platform::Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  platform::Answer AskYesNoDefaultNo(std::string_view caption, std::string_view text) override;
  platform::Answer AskYesNoCancelDefaultNo(std::string_view caption, std::string_view text) override;
  void Alert(std::string_view caption, std::string_view text) override;
  bool Confirm(std::string_view caption, std::string_view text) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::optional<std::string> Prompt(std::string_view caption, std::string_view label, std::string_view initial) override;
  std::optional<std::string> TextArea(std::string_view caption, std::string_view label,
                                      std::string_view initial) override;
  bool CanShowDialogs() const override { return true; }
  std::optional<std::string> OpenFile(std::string_view title, std::string_view initialName) override;
  std::vector<std::string> OpenFiles(std::string_view title, std::string_view initialName) override;
  std::optional<std::string> SaveFile(std::string_view title, std::string_view initialName) override;
  std::optional<std::string> OpenFolder(std::string_view title, std::string_view initialFolder) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace velkoran::app
