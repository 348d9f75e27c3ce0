#include "app/prompt_dialog.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/window_fonts.h"

namespace velkoran::app {
namespace {

QPushButton* MakeButton(QDialog* dialog, const char* name, const char* caption, QRect geometry) {
  auto* button = new QPushButton(QString::fromUtf8(caption), dialog);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

// The frame both dialogs share: fixed in size, in the window's proportional font.
void SetUpFrame(QDialog* dialog, const char* name, int width, int height) {
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setFont(ProportionalFont());
  dialog->setFixedSize(width, height);
  dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
}

// The label at the top left; its text comes with Setup.
QLabel* MakeLabel(QDialog* dialog) {
  auto* label = new QLabel(dialog);
  label->setObjectName(QStringLiteral("lblText"));
  label->move(16, 8);
  return label;
}

void ConnectAnswers(QDialog* dialog, QPushButton* ok, QPushButton* cancel) {
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

void ShowCaptionAndLabel(QDialog* dialog, QLabel* label, const QString& caption, const QString& text) {
  dialog->setWindowTitle(caption);
  label->setText(text);
  label->adjustSize();
}

void Centre(QDialog* dialog, QWidget* on) {
  if (on == nullptr) return;
  const QRect frame = on->frameGeometry();
  dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

}  // namespace

TfrmPrompt::TfrmPrompt(QWidget* centreOn) : QDialog(nullptr) {
  SetUpFrame(this, "TfrmPrompt", 492, 73);
  edtPrompt = new QLineEdit(this);
  edtPrompt->setObjectName(QStringLiteral("edtPrompt"));
  edtPrompt->setGeometry(10, 41, 385, 20);
  btnOK = MakeButton(this, "btnOK", "OK", QRect(408, 8, 75, 25));
  btnCancel = MakeButton(this, "btnCancel", "Cancel", QRect(408, 40, 75, 25));
  lblText = MakeLabel(this);
  setTabOrder(edtPrompt, btnOK);
  setTabOrder(btnOK, btnCancel);
  ConnectAnswers(this, btnOK, btnCancel);
  Centre(this, centreOn);
}

void TfrmPrompt::Setup(const QString& caption, const QString& label, const QString& initial) {
  ShowCaptionAndLabel(this, lblText, caption, label);
  edtPrompt->setText(initial);
  edtPrompt->setFocus();
}

QString TfrmPrompt::Text() const { return edtPrompt->text(); }

TfrmTextArea::TfrmTextArea(QWidget* centreOn) : QDialog(nullptr) {
  SetUpFrame(this, "TfrmTextArea", 492, 273);
  mmText = new QPlainTextEdit(this);
  mmText->setObjectName(QStringLiteral("mmText"));
  mmText->setGeometry(6, 24, 395, 243);
  mmText->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmText->setTabChangesFocus(true);
  btnOK = MakeButton(this, "btnOK", "OK", QRect(410, 26, 75, 25));
  btnCancel = MakeButton(this, "btnCancel", "Cancel", QRect(410, 57, 75, 25));
  btnClear = MakeButton(this, "btnClear", "Clear", QRect(410, 89, 75, 25));
  lblText = MakeLabel(this);
  setTabOrder(mmText, btnOK);
  setTabOrder(btnOK, btnCancel);
  setTabOrder(btnCancel, btnClear);
  ConnectAnswers(this, btnOK, btnCancel);
  connect(btnClear, &QPushButton::clicked, mmText, &QPlainTextEdit::clear);
  Centre(this, centreOn);
}

void TfrmTextArea::Setup(const QString& caption, const QString& label, const QString& initial) {
  ShowCaptionAndLabel(this, lblText, caption, label);
  // A non-empty initial text is added as the memo's first line, and a line added to a
  // multi-line edit ends in a line end: OK at once gives the text followed by CR LF.
  mmText->setPlainText(initial.isEmpty() ? QString() : initial + QLatin1Char('\n'));
  mmText->setFocus();
}

QString TfrmTextArea::Text() const {
  QString text = mmText->toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text;
}

}  // namespace velkoran::app
