// The program entry: one application, one main window, the event loop until it closes.
#include <QApplication>

#include "app/form_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velkoran"));
  QApplication::setApplicationDisplayName(QStringLiteral("Velkoran"));
  velkoran::app::TForm_Main form;
  form.show();
  return QApplication::exec();
}
