#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace velkoran::platform {
namespace {

TEST(Ascii, FoldsOnlyTheLettersAToZ) {
  EXPECT_EQ(FoldAscii('A'), 'a');
  EXPECT_EQ(FoldAscii('Z'), 'z');
  // The neighbours of the capitals, and bytes of multi-byte characters, stay.
  for (const char c : {'@', '[', 'a', 'z', '0', '\x81', '\xC1', '\xDA'}) EXPECT_EQ(FoldAscii(c), c) << int(c);
  EXPECT_EQ(FoldAscii(static_cast<unsigned char>('Q')), static_cast<unsigned char>('q'));
  EXPECT_EQ(FoldAscii(static_cast<unsigned char>(0xC1)), 0xC1);
}

TEST(Ascii, HexDigitsOfEitherCaseAndNothingElse) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  for (const char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\xB0'}) EXPECT_EQ(HexDigitValue(c), -1) << c;
}

TEST(Ascii, ComparisonFoldsLettersAndOrdersByBytesThenLength) {
  EXPECT_EQ(CompareAsciiNoCase("Script", "sCRIPT"), 0);
  EXPECT_LT(CompareAsciiNoCase("abc", "ABD"), 0);
  EXPECT_GT(CompareAsciiNoCase("b", "A"), 0);
  // '_' (0x5F) comes after the capitals but before the folded letters.
  EXPECT_LT(CompareAsciiNoCase("_", "A"), 0);
  EXPECT_LT(CompareAsciiNoCase("ab", "abc"), 0);
  EXPECT_GT(CompareAsciiNoCase("abc", "AB"), 0);
  // Bytes above 0x7F compare unsigned, above every ASCII byte.
  EXPECT_GT(CompareAsciiNoCase("\x81", "z"), 0);
  EXPECT_TRUE(EqualsAsciiNoCase("LocalHost", "localhost"));
  EXPECT_FALSE(EqualsAsciiNoCase("localhost", "localhost."));
  EXPECT_FALSE(EqualsAsciiNoCase("\xC1", "\xE1"));  // only ASCII letters fold
}

}  // namespace
}  // namespace velkoran::platform
