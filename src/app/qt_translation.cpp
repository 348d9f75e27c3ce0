#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace velkoran::app {

QTranslator* InstallQtTranslation(QCoreApplication& app, std::string_view language) {
  auto* translator = new QTranslator(&app);
  const QString name = QStringLiteral("qtbase_") + QString::fromLatin1(language.data(), static_cast<qsizetype>(language.size()));
  if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace velkoran::app
