#include "app/logic/ui_text.h"

#include "platform/codepage.h"

namespace velkoran::app {

std::string UiText(std::string_view utf8) {
  const platform::CodePage cp = platform::ActiveCodePage();
  if (cp == platform::CodePage::Utf8) return std::string(utf8);
  return platform::FromUtf8(utf8, cp);
}

}  // namespace velkoran::app
