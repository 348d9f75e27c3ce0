// Qt's own texts (the standard buttons of message boxes and dialogs, "OK", "Cancel", the
// file dialogs) in the language of the window's own texts, from Qt's translation files.
#pragma once

#include <string_view>

class QCoreApplication;
class QTranslator;

namespace velkoran::app {

// Loads Qt's translation for language ("ja") and installs it in app, which owns it.
// Returns it, or null when Qt has no translation for that language here.
QTranslator* InstallQtTranslation(QCoreApplication& app, std::string_view language);

}  // namespace velkoran::app
