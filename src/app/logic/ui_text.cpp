#include "app/logic/ui_text.h"

#include "platform/codepage.h"
#include "platform/ui_language.h"

namespace velkoran::app {

std::string UiText(std::string_view utf8) { return LocalText(platform::TranslatedText(utf8)); }

std::string LocalText(std::string_view utf8) {
  const platform::CodePage cp = platform::ActiveCodePage();
  if (cp == platform::CodePage::Utf8) return std::string(utf8);
  return platform::FromUtf8(utf8, cp);
}

std::string ShownText(std::string_view text) {
  if (text.size() <= kShownTextLimit) return std::string(text);
  std::size_t end = 0;
  while (end < kShownTextLimit) {
    const std::size_t next = end + platform::CharStep(text, end);
    if (next > kShownTextLimit) break;
    end = next;
  }
  return std::string(text.substr(0, end)) + LocalText("…");
}

}  // namespace velkoran::app
