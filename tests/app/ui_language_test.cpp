// Which language the window speaks, and the translation hook its texts pass through.
#include <gtest/gtest.h>

#include "app/logic/ui_text.h"
#include "platform/ui_language.h"

namespace velkoran::platform {
namespace {

TEST(UiLanguageTest, ChosenByTheOverrideElseTheMessageLocale) {
  struct Case {
    const char* name;
    const char* velkoranLang;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    UiLanguage expected;
  };
  const Case kCases[] = {
      {"nothing set", nullptr, nullptr, nullptr, nullptr, UiLanguage::Japanese},
      {"C", nullptr, nullptr, nullptr, "C", UiLanguage::Japanese},
      {"C.UTF-8", nullptr, nullptr, nullptr, "C.UTF-8", UiLanguage::Japanese},
      {"POSIX in LC_ALL", nullptr, "POSIX", nullptr, "en_US.UTF-8", UiLanguage::Japanese},
      {"Japanese", nullptr, nullptr, nullptr, "ja_JP.UTF-8", UiLanguage::Japanese},
      {"English", nullptr, nullptr, nullptr, "en_US.UTF-8", UiLanguage::English},
      {"German", nullptr, nullptr, nullptr, "de_DE.UTF-8", UiLanguage::English},
      {"LC_MESSAGES before LANG", nullptr, "", "en_GB.UTF-8", "ja_JP.UTF-8", UiLanguage::English},
      {"LC_ALL before both", nullptr, "ja_JP.eucJP", "en_GB.UTF-8", "en_US.UTF-8", UiLanguage::Japanese},
      {"override en", "en", nullptr, nullptr, "ja_JP.UTF-8", UiLanguage::English},
      {"override ja", "ja", "en_US.UTF-8", nullptr, nullptr, UiLanguage::Japanese},
      {"unknown override ignored", "fr", nullptr, nullptr, "en_US.UTF-8", UiLanguage::English},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseUiLanguage(c.velkoranLang, c.lcAll, c.lcMessages, c.lang), c.expected);
  }
}

TEST(UiLanguageTest, TextsPassThroughTheInstalledTranslation) {
  EXPECT_EQ(app::UiText("開く"), "開く");
  SetTextTranslation([](std::string_view utf8) { return utf8 == "開く" ? std::string("Open") : std::string(utf8); });
  EXPECT_EQ(app::UiText("開く"), "Open");
  EXPECT_EQ(app::LocalText("開く"), "開く");  // no text of the program: never translated
  SetTextTranslation({});
  EXPECT_EQ(app::UiText("開く"), "開く");

  EXPECT_EQ(FillPattern("%2 of %1", {"a", "b"}), "b of a");
  EXPECT_EQ(FillPattern("%1 and %3", {"%2", "x"}), "%2 and %3");  // an argument's own %n stays
}

}  // namespace
}  // namespace velkoran::platform
