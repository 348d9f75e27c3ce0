// The program entry: one application, one main window, the event loop until it closes.
#include <QApplication>

#include <clocale>

#include "app/form_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The application object adopts the user's locale for everything; numbers must keep the
  // "." separator the script language and the state files are written with, whatever the
  // user's locale writes.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Velkoran"));
  QApplication::setApplicationDisplayName(QStringLiteral("Velkoran"));
  velkoran::app::TForm_Main form;
  form.show();
  return QApplication::exec();
}
