// The script dialogs: TfrmPrompt asks for one line of text, TfrmTextArea for several.
// Both are fixed-size modal dialogs centred on the main window; OK and Cancel close them
// with their results, closing the window counts as Cancel. No button is the default, so
// Enter in the edit does not close the prompt.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velkoran::app {

class TfrmPrompt final : public QDialog {
 public:
  explicit TfrmPrompt(QWidget* centreOn = nullptr);
  void Setup(const QString& caption, const QString& label, const QString& initial);
  QString Text() const;

  QLineEdit* edtPrompt;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QLabel* lblText;
};

class TfrmTextArea final : public QDialog {
 public:
  explicit TfrmTextArea(QWidget* centreOn = nullptr);
  void Setup(const QString& caption, const QString& label, const QString& initial);
  // The whole text, lines joined by CR LF as the system's multi-line edits give it.
  QString Text() const;

  QPlainTextEdit* mmText;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QPushButton* btnClear;
  QLabel* lblText;
};

}  // namespace velkoran::app
