#include "app/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/qt_text.h"

namespace velkoran::app {

bool QtShell::Open(std::string_view file, std::string_view, std::string_view) {
  // The desktop takes no parameters or working folder for an opened document.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(file)));
}

}  // namespace velkoran::app
