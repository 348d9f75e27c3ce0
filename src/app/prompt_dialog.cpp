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

void Centre(QDialog* dialog, QWidget* on) {
  if (on == nullptr) return;
  const QRect frame = on->frameGeometry();
  dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

}  // namespace

TfrmPrompt::TfrmPrompt(QWidget* centreOn) : QDialog(nullptr) {
  setObjectName(QStringLiteral("TfrmPrompt"));
  setFont(ProportionalFont());
  setFixedSize(492, 73);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  edtPrompt = new QLineEdit(this);
  edtPrompt->setObjectName(QStringLiteral("edtPrompt"));
  edtPrompt->setGeometry(10, 41, 385, 20);
  btnOK = MakeButton(this, "btnOK", "OK", QRect(408, 8, 75, 25));
  btnCancel = MakeButton(this, "btnCancel", "Cancel", QRect(408, 40, 75, 25));
  lblText = new QLabel(this);
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->move(16, 8);
  setTabOrder(edtPrompt, btnOK);
  setTabOrder(btnOK, btnCancel);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  Centre(this, centreOn);
}

void TfrmPrompt::Setup(const QString& caption, const QString& label, const QString& initial) {
  setWindowTitle(caption);
  lblText->setText(label);
  lblText->adjustSize();
  edtPrompt->setText(initial);
  edtPrompt->setFocus();
}

QString TfrmPrompt::Text() const { return edtPrompt->text(); }

TfrmTextArea::TfrmTextArea(QWidget* centreOn) : QDialog(nullptr) {
  setObjectName(QStringLiteral("TfrmTextArea"));
  setFont(ProportionalFont());
  setFixedSize(492, 273);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
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
  lblText = new QLabel(this);
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->move(16, 8);
  setTabOrder(mmText, btnOK);
  setTabOrder(btnOK, btnCancel);
  setTabOrder(btnCancel, btnClear);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnClear, &QPushButton::clicked, mmText, &QPlainTextEdit::clear);
  Centre(this, centreOn);
}

void TfrmTextArea::Setup(const QString& caption, const QString& label, const QString& initial) {
  setWindowTitle(caption);
  lblText->setText(label);
  lblText->adjustSize();
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
