#include "app/qt_text.h"

#include "platform/codepage.h"
#include "platform/ui_language.h"

namespace velkoran::app {

QString ToQ(std::string_view text) {
  if (text.empty()) return {};
  const std::u16string wide = platform::ToUtf16(text, platform::ActiveCodePage());
  return QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
}

std::string FromQ(const QString& text) {
  if (text.isEmpty()) return {};
  return platform::FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())),
                             platform::ActiveCodePage());
}

QString Tr(const char* utf8) { return QString::fromStdString(platform::TranslatedText(utf8)); }

}  // namespace velkoran::app
