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

QTranslator* InstallUiLanguage(QCoreApplication& app, platform::UiLanguage language) {
  if (language == platform::UiLanguage::Japanese) {
    InstallQtTranslation(app, "ja");
    return nullptr;
  }
  auto* catalogue = new QTranslator(&app);
  if (!catalogue->load(QStringLiteral(":/i18n/velkoran_en.qm"))) {
    delete catalogue;
    return nullptr;
  }
  QCoreApplication::installTranslator(catalogue);
  // The catalogue is built with all texts in one context: a text is found whatever source
  // file it comes from.
  platform::SetTextTranslation([](std::string_view utf8) {
    if (utf8.empty()) return std::string();
    return QCoreApplication::translate("velkoran", std::string(utf8).c_str()).toStdString();
  });
  return catalogue;
}

void RemoveUiLanguage(QTranslator* catalogue) {
  platform::SetTextTranslation({});
  if (catalogue == nullptr) return;
  QCoreApplication::removeTranslator(catalogue);
  delete catalogue;
}

}  // namespace velkoran::app
