// The language of the program's own texts (menus, captions, questions, log lines). The
// texts are written in Japanese in the sources; another language is a translation of
// them, installed once for the process by the window program. Texts a script can parse
// (error names, exception texts) never pass through here.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velkoran::platform {

enum class UiLanguage { Japanese, English };

// VELKORAN_LANG ("ja" or "en") when it names one of them; else the message locale (the
// first set of LC_ALL, LC_MESSAGES, LANG): Japanese for "ja…", "C", "POSIX" or none,
// English for any other. The arguments are those variables' values (null: unset).
UiLanguage ChooseUiLanguage(const char* velkoranLang, const char* lcAll, const char* lcMessages, const char* lang);
UiLanguage UiLanguageFromEnvironment();
// "ja" or "en".
std::string_view UiLanguageCode(UiLanguage language);

// Marks a text for the catalogue (the translation tool collects what it wraps) where the
// text is kept to be translated later; it is the text itself.
constexpr std::string_view Translatable(std::string_view utf8) { return utf8; }

// The process-wide translation of the program's texts: UTF-8 in, UTF-8 out. Set once
// before the window starts (an empty function: none); without one every text stays as
// written.
using TextTranslation = std::function<std::string(std::string_view utf8)>;
void SetTextTranslation(TextTranslation translation);
std::string TranslatedText(std::string_view utf8);

// Fills "%1", "%2", … of a (translated) pattern with args, in one pass: an argument's own
// "%n" stays as it is.
std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace velkoran::platform
