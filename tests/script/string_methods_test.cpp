// The String methods' byte algorithms, on ASCII and on multi-byte text in both code pages.
#include <gtest/gtest.h>

#include "script/builtins/string_methods.h"

namespace kestrin::strings {
namespace {

using velkoran::platform::CodePage;

TEST(StringMethods, CharAccess) {
  EXPECT_EQ(CharAt("abc", 0), "a");
  EXPECT_EQ(CharAt("abc", -1), "a");
  EXPECT_EQ(CharAt("abc", 10), "");
  EXPECT_EQ(CharCodeAt("\xE3\x81\x82", 0), 0xE3);
  EXPECT_EQ(CharCodeAt("abc", 10), -1);
  EXPECT_EQ(CharAt("\x82\xA0", 0), "\x82");  // a double-byte character counts as two
}

TEST(StringMethods, IndexOf) {
  EXPECT_EQ(IndexOf("abcb", "b", 0), 1);
  EXPECT_EQ(IndexOf("abcb", "b", 2), 3);
  EXPECT_EQ(IndexOf("abcb", "", 0), -1);
  EXPECT_EQ(IndexOf("abcb", "b", -5), 1);
  EXPECT_EQ(IndexOf("abcb", "b", 99), -1);
  EXPECT_EQ(IndexOf("abcb", "cb", 0), 2);
}

TEST(StringMethods, LastIndexOfIsACharacterSetSkippingTrailBytes) {
  EXPECT_EQ(LastIndexOfAny("abcb", "xb", CodePage::Cp932), 3);
  EXPECT_EQ(LastIndexOfAny("abcb", "xyz", CodePage::Cp932), -1);
  EXPECT_EQ(LastIndexOfAny("abcb", "", CodePage::Cp932), -1);
  EXPECT_EQ(LastIndexOfAny("abcb", "b", CodePage::Cp932, 2), 1);
  // CP932 "表" is 95 5C: its trail byte is a backslash and must not count.
  const std::string sjis = "a\\b\x95\x5C" "c";
  EXPECT_EQ(LastIndexOfAny(sjis, "\\", CodePage::Cp932), 1);
  // The same bytes read as UTF-8 are single bytes, so the 5C counts there.
  EXPECT_EQ(LastIndexOfAny(sjis, "\\", CodePage::Utf8), 4);
  // UTF-8 "あ" is E3 81 82: continuation bytes never match.
  EXPECT_EQ(LastIndexOfAny("x\xE3\x81\x82", "\x81\x82", CodePage::Utf8), -1);
  EXPECT_EQ(LastIndexOfAny("x\xE3\x81\x82", "\xE3", CodePage::Utf8), 1);
}

TEST(StringMethods, SliceSubstringSubstr) {
  EXPECT_EQ(Slice("abcdef", 1, 6), "bcdef");
  EXPECT_EQ(Slice("abcdef", 1, 3), "bc");
  EXPECT_EQ(Slice("abcdef", -2, 6), "ef");
  EXPECT_EQ(Slice("abcdef", 2, 6), "cdef");
  EXPECT_EQ(Slice("abcdef", 3, 2), "");
  EXPECT_EQ(Slice("abcdef", -10, 2), "");
  EXPECT_EQ(Slice("abcdef", 4, 100), "ef");
  EXPECT_EQ(Slice("abcdef", 1, -1), "bcde");
  EXPECT_EQ(Substr("abcdef", -3, 2), "de");
  EXPECT_EQ(Substr("abcdef", -10, 2), "ab");
  EXPECT_EQ(Substr("abcdef", 2, -1), "cdef");
  EXPECT_EQ(Substr("abcdef", 4, 100), "ef");
  EXPECT_EQ(Substr("abcdef", 9, 1), "");
  // Byte positions inside multi-byte text.
  EXPECT_EQ(Slice("\xE3\x81\x82\xE3\x81\x84", 3, 6), "\xE3\x81\x84");
  EXPECT_EQ(Substr("\x82\xA0\x82\xA2", 2, 2), "\x82\xA2");
}

TEST(StringMethods, TagsAndWide) {
  EXPECT_EQ(Tagged("x", "B"), "<B>x</B>");
  EXPECT_EQ(TaggedWith("t", "A", "NAME", "n", "A"), "<A NAME=\"n\">t</A>");
  EXPECT_EQ(TaggedWith("t", "FONT", "COLOR", "red", "FONT"), "<FONT COLOR=\"red\">t</FONT>");
  EXPECT_EQ(ToWide("Ab", CodePage::Utf8), std::string("A\0b\0", 4));
  EXPECT_EQ(ToWide("\xE3\x81\x82", CodePage::Utf8), "\x42\x30");
  EXPECT_EQ(ToWide("\x82\xA0", CodePage::Cp932), "\x42\x30");
}

}  // namespace
}  // namespace kestrin::strings
