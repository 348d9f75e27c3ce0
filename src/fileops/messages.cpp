#include "fileops/messages.h"

#include "platform/codepage.h"
#include "platform/ui_language.h"

namespace velkoran::fileops::messages {

std::string Local(std::string_view utf8) {
  std::string text = platform::TranslatedText(utf8);
  const platform::CodePage cp = platform::ActiveCodePage();
  if (cp == platform::CodePage::Utf8) return text;
  return platform::FromUtf8(text, cp);
}

}  // namespace velkoran::fileops::messages
