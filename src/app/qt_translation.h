// The window's language: its own texts from the program's catalogue, and Qt's own texts
// (the standard buttons of message boxes and dialogs, "OK", "Cancel", the file dialogs) in
// the same language from Qt's translation files.
#pragma once

#include <string_view>

#include "platform/ui_language.h"

class QCoreApplication;
class QTranslator;

namespace velkoran::app {

// Loads Qt's translation for language ("ja") and installs it in app, which owns it.
// Returns it, or null when Qt has no translation for that language here.
QTranslator* InstallQtTranslation(QCoreApplication& app, std::string_view language);

// The language of the window's texts and of Qt's: for English the program's own catalogue
// (built into the program) behind platform::TranslatedText, for Japanese the texts as
// written with Qt's Japanese translation. Returns the installed catalogue (owned by app),
// null for Japanese or when the catalogue cannot be loaded (the texts stay Japanese).
QTranslator* InstallUiLanguage(QCoreApplication& app, platform::UiLanguage language);
// Undoes InstallUiLanguage's catalogue (tests switch languages within one process).
void RemoveUiLanguage(QTranslator* catalogue);

}  // namespace velkoran::app
