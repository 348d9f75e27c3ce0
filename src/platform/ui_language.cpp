#include "platform/ui_language.h"

#include <cstdlib>
#include <utility>

namespace velkoran::platform {
namespace {

// Set before any thread of the program starts and only read afterwards.
TextTranslation& Translation() {
  static TextTranslation translation;
  return translation;
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

UiLanguage ChooseUiLanguage(const char* velkoranLang, const char* lcAll, const char* lcMessages, const char* lang) {
  if (IsSet(velkoranLang)) {
    const std::string_view chosen(velkoranLang);
    if (chosen == "ja") return UiLanguage::Japanese;
    if (chosen == "en") return UiLanguage::English;
  }
  const char* locale = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : IsSet(lang) ? lang : nullptr;
  if (locale == nullptr) return UiLanguage::Japanese;
  const std::string_view name(locale);
  if (name == "C" || name.rfind("C.", 0) == 0 || name == "POSIX" || name.rfind("ja", 0) == 0) return UiLanguage::Japanese;
  return UiLanguage::English;
}

UiLanguage UiLanguageFromEnvironment() {
  return ChooseUiLanguage(std::getenv("VELKORAN_LANG"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string_view UiLanguageCode(UiLanguage language) { return language == UiLanguage::English ? "en" : "ja"; }

void SetTextTranslation(TextTranslation translation) { Translation() = std::move(translation); }

std::string TranslatedText(std::string_view utf8) {
  const TextTranslation& translation = Translation();
  return translation ? translation(utf8) : std::string(utf8);
}

std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        out.append(*(args.begin() + n));
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace velkoran::platform
