// The program entry: one application, one main window, the event loop until it closes.
#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "app/form_main.h"
#include "app/logic/sample_scripts.h"
#include "app/qt_text.h"
#include "app/qt_translation.h"
#include "platform/folders.h"
#include "platform/version.h"

namespace {

const char kHelp[] =
    "Usage: velkoran [Qt options]\n"
    "       velkoran --version | --help\n"
    "\n"
    "Two-pane file manager with the script language Kestrin. The program keeps its\n"
    "state in the program folder: $VELKORAN_HOME, else the executable's folder when\n"
    "it is writable (and not a system folder), else ~/.config/velkoran/.\n"
    "See velkoran(1) and kestrin(1).\n";

// --version and --help are answered without a display; everything else goes to Qt.
bool AnswersInformationOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("velkoran %s\n", velkoran::platform::kVersion);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswersInformationOption(argc, argv)) return 0;
  QApplication app(argc, argv);
  // The application object adopts the user's locale for everything; numbers must keep the
  // "." separator the script language and the state files are written with, whatever the
  // user's locale writes.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Velkoran"));
  QApplication::setApplicationDisplayName(QStringLiteral("Velkoran"));
  QApplication::setApplicationVersion(QString::fromLatin1(velkoran::platform::kVersion));
  // Lets the desktop match the window with the menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("velkoran"));
  // The window's own texts and Qt's standard buttons ("Yes", "Cancel", ...) speak the same
  // language: Japanese, or English outside Japanese locales (VELKORAN_LANG decides first).
  velkoran::app::InstallUiLanguage(app, velkoran::platform::UiLanguageFromEnvironment());
  QApplication::setWindowIcon(QIcon::fromTheme(
      QStringLiteral("velkoran"),
      QIcon(velkoran::app::ToQ(velkoran::platform::DataDir() + "../icons/hicolor/256x256/apps/velkoran.png"))));

  // A new user finds the samples in the script menus.
  velkoran::app::SampleCopy samples;
  if (velkoran::app::IsFirstStart(velkoran::platform::SaveDir())) {
    samples = velkoran::app::CopySampleScripts(velkoran::platform::DataDir() + "examples/Script/",
                                               velkoran::platform::ScriptDir());
  }

  velkoran::app::TForm_Main form;
  if (!samples.copied.empty()) {
    form.AppendLog(velkoran::app::SampleCopyMessage(samples, velkoran::platform::ScriptDir()));
  }
  form.show();
  return QApplication::exec();
}
