#include "app/qt_questions.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "app/prompt_dialog.h"
#include "app/qt_text.h"

namespace velkoran::app {
namespace {

platform::Answer FromButton(int button) {
  switch (button) {
    case QMessageBox::Yes: return platform::Answer::Yes;
    case QMessageBox::No: return platform::Answer::No;
    case QMessageBox::Cancel: return platform::Answer::Cancel;
    default: return platform::Answer::Closed;
  }
}

platform::Answer Ask(QWidget* owner, std::string_view caption, std::string_view text, QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
  QMessageBox box(QMessageBox::Question, ToQ(caption), ToQ(text), buttons, owner);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return FromButton(box.exec());
}

// Shows one of the script's text dialogs; its text, or nothing when cancelled.
template <typename Dialog>
std::optional<std::string> AskText(QWidget* owner, std::string_view caption, std::string_view label,
                                   std::string_view initial) {
  Dialog dialog(owner);
  dialog.Setup(ToQ(caption), ToQ(label), ToQ(initial));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQ(dialog.Text());
}

}  // namespace

platform::Answer QtUserQuestions::AskYesNo(std::string_view caption, std::string_view text) {
  return Ask(owner_, caption, text, QMessageBox::Yes | QMessageBox::No);
}

platform::Answer QtUserQuestions::AskYesNoCancel(std::string_view caption, std::string_view text) {
  return Ask(owner_, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

platform::Answer QtUserQuestions::AskYesNoDefaultNo(std::string_view caption, std::string_view text) {
  return Ask(owner_, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

platform::Answer QtUserQuestions::AskYesNoCancelDefaultNo(std::string_view caption, std::string_view text) {
  return Ask(owner_, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
}

void QtUserQuestions::Alert(std::string_view caption, std::string_view text) {
  QMessageBox::warning(owner_, ToQ(caption), ToQ(text), QMessageBox::Ok);
}

bool QtUserQuestions::Confirm(std::string_view caption, std::string_view text) {
  return QMessageBox::question(owner_, ToQ(caption), ToQ(text), QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<std::string> QtUserQuestions::InputText(std::string_view caption, std::string_view prompt,
                                                      std::string_view initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(owner_, ToQ(caption), ToQ(prompt), QLineEdit::Normal, ToQ(initial), &ok);
  if (!ok) return std::nullopt;
  return FromQ(text);
}

std::optional<std::string> QtUserQuestions::Prompt(std::string_view caption, std::string_view label,
                                                   std::string_view initial) {
  return AskText<TfrmPrompt>(owner_, caption, label, initial);
}

std::optional<std::string> QtUserQuestions::TextArea(std::string_view caption, std::string_view label,
                                                     std::string_view initial) {
  return AskText<TfrmTextArea>(owner_, caption, label, initial);
}

std::optional<std::string> QtUserQuestions::OpenFile(std::string_view title, std::string_view initialName) {
  const QString file = QFileDialog::getOpenFileName(owner_, ToQ(title), ToQ(initialName));
  if (file.isEmpty()) return std::nullopt;
  return FromQ(file);
}

std::vector<std::string> QtUserQuestions::OpenFiles(std::string_view title, std::string_view initialName) {
  std::vector<std::string> out;
  for (const QString& f : QFileDialog::getOpenFileNames(owner_, ToQ(title), ToQ(initialName))) out.push_back(FromQ(f));
  return out;
}

std::optional<std::string> QtUserQuestions::SaveFile(std::string_view title, std::string_view initialName) {
  const QString file = QFileDialog::getSaveFileName(owner_, ToQ(title), ToQ(initialName));
  if (file.isEmpty()) return std::nullopt;
  return FromQ(file);
}

std::optional<std::string> QtUserQuestions::OpenFolder(std::string_view title, std::string_view initialFolder) {
  const QString dir = QFileDialog::getExistingDirectory(owner_, ToQ(title), ToQ(initialFolder));
  if (dir.isEmpty()) return std::nullopt;
  return FromQ(dir);
}

}  // namespace velkoran::app
