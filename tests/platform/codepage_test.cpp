#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace velkoran::platform;

namespace {

// "日本" in CP932 and UTF-8; "表" (0x95 0x5C) has the trail byte 0x5C.
const std::string kNihonSjis = "\x93\xFA\x96\x7B";
const std::string kHyouSjis = "\x95\x5C";
const std::string kNihonUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC";

TEST(CodePageStep, Cp932StepsOverDoubleByteCharacters) {
  const std::string s = "a" + kHyouSjis + "b";
  EXPECT_EQ(CharStep(s, 0, CodePage::Cp932), 1u);
  EXPECT_EQ(CharStep(s, 1, CodePage::Cp932), 2u);
  EXPECT_EQ(CharStep(s, 3, CodePage::Cp932), 1u);
  // Half-width katakana (0xA1-0xDF) are single bytes.
  EXPECT_EQ(CharStep("\xB1", 0, CodePage::Cp932), 1u);
}

TEST(CodePageStep, Cp932TruncatedAndInvalidSequencesStepOneByte) {
  EXPECT_EQ(CharStep("\x93", 0, CodePage::Cp932), 1u);         // lead at the end
  EXPECT_EQ(CharStep(std::string("\x93\x0A", 2), 0, CodePage::Cp932), 1u);  // bad trail
  EXPECT_EQ(CharStep(std::string("\x93\x00", 2), 0, CodePage::Cp932), 1u);
  EXPECT_EQ(CharStep("ab", 5, CodePage::Cp932), 1u);           // past the end
}

TEST(CodePageStep, Utf8StepsWholeSequencesOnly) {
  EXPECT_EQ(CharStep(kNihonUtf8, 0, CodePage::Utf8), 3u);
  EXPECT_EQ(CharStep("\xC3\xA9", 0, CodePage::Utf8), 2u);
  EXPECT_EQ(CharStep("\xF0\x9F\x98\x80", 0, CodePage::Utf8), 4u);
  EXPECT_EQ(CharStep("\xE6\x97", 0, CodePage::Utf8), 1u);        // truncated
  EXPECT_EQ(CharStep("\xE6\x41\xA5", 0, CodePage::Utf8), 1u);    // bad continuation
  EXPECT_EQ(CharStep("\xC0\xAF", 0, CodePage::Utf8), 1u);        // overlong
  EXPECT_EQ(CharStep("\xED\xA0\x80", 0, CodePage::Utf8), 1u);    // surrogate
  EXPECT_EQ(CharStep("\xF4\x90\x80\x80", 0, CodePage::Utf8), 1u);  // above U+10FFFF
  EXPECT_EQ(CharStep("\x80", 0, CodePage::Utf8), 1u);
  EXPECT_TRUE(IsValidUtf8(kNihonUtf8 + "abc"));
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));
}

TEST(CodePageCase, TrailBytesAreNeverChanged) {
  // 0x83 0x41 is a katakana whose trail byte is "A"; 0x82 0x61 has trail "a".
  const std::string s = "ab\x83\x41\x82\x61z";
  EXPECT_EQ(UpperCase(s, CodePage::Cp932), "AB\x83\x41\x82\x61Z");
  EXPECT_EQ(LowerCase("AB\x83\x41Z", CodePage::Cp932), "ab\x83\x41z");
  EXPECT_EQ(UpperCase(kNihonUtf8 + "x", CodePage::Utf8), kNihonUtf8 + "X");
}

TEST(CodePageConversion, Cp932RoundTripsThroughUtf8AndUtf16) {
  EXPECT_EQ(ToUtf8(kNihonSjis, CodePage::Cp932), kNihonUtf8);
  EXPECT_EQ(FromUtf8(kNihonUtf8, CodePage::Cp932), kNihonSjis);
  EXPECT_EQ(ToUtf16(kNihonSjis, CodePage::Cp932), u"日本");
  EXPECT_EQ(FromUtf16(u"日本", CodePage::Cp932), kNihonSjis);
  EXPECT_EQ(FromUtf16(u"日本", CodePage::Utf8), kNihonUtf8);
  EXPECT_EQ(ToUtf16("\xF0\x9F\x98\x80", CodePage::Utf8), u"\U0001F600");
}

TEST(CodePageConversion, BadBytesAreReplacedNotDropped) {
  EXPECT_EQ(ToUtf8("a\x80z", CodePage::Utf8), "a\xEF\xBF\xBDz");
  EXPECT_EQ(ToUtf8("a\x93", CodePage::Cp932), "a\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("a\xF0\x9F\x98\x80z", CodePage::Cp932), "a?z");
  EXPECT_FALSE(Utf8ToCp932Strict("\xF0\x9F\x98\x80").has_value());
  EXPECT_EQ(Cp932ToUtf8Strict(kNihonSjis).value(), kNihonUtf8);
  EXPECT_FALSE(Cp932ToUtf8Strict("\x93").has_value());
}

TEST(CodePageChoice, EnvironmentAndLocaleDecide) {
  EXPECT_EQ(CodePageFromName("UTF-8"), CodePage::Utf8);
  EXPECT_EQ(CodePageFromName("Shift_JIS"), CodePage::Cp932);
  EXPECT_FALSE(CodePageFromName("latin1").has_value());

  ::setenv("VELKORAN_CODEPAGE", "cp932", 1);
  EXPECT_EQ(CodePageFromEnvironment(), CodePage::Cp932);
  ::unsetenv("VELKORAN_CODEPAGE");
  ::setenv("LC_ALL", "ja_JP.SJIS", 1);
  EXPECT_EQ(CodePageFromEnvironment(), CodePage::Cp932);
  ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(CodePageFromEnvironment(), CodePage::Utf8);
  ::unsetenv("LC_ALL");

  SetActiveCodePage(CodePage::Cp932);
  EXPECT_EQ(ActiveCodePage(), CodePage::Cp932);
  SetActiveCodePage(CodePage::Utf8);
  EXPECT_EQ(ActiveCodePage(), CodePage::Utf8);
}

}  // namespace
