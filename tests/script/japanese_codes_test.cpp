// Japanese code detection and conversion, Base64, and MIME encoded words.
#include <gtest/gtest.h>

#include <string>

#include "script/builtins/base64.h"
#include "script/builtins/japanese_codes.h"

namespace kestrin {
namespace {

using velkoran::platform::CodePage;

// 日本語あ、テスト in each code.
const std::string kSjis = "\x93\xFA\x96\x7B\x8C\xEA\x82\xA0\x81\x41\x83\x65\x83\x58\x83\x67";
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xA2\xA1\xA2\xA5\xC6\xA5\xB9\xA5\xC8";
const std::string kJisBody = "\x46\x7C\x4B\x5C\x38\x6C\x24\x22\x21\x22\x25\x46\x25\x39\x25\x48";
const std::string kJis = "\x1b$B" + kJisBody;
const std::string kUtf8 =
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\x82\xE3\x80\x81\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";

TEST(JapaneseCodes, DetectsEachCode) {
  EXPECT_EQ(DetectCode(""), kCodeAscii);
  EXPECT_EQ(DetectCode("plain text\r\n"), kCodeAscii);
  EXPECT_EQ(DetectCode(std::string("ab\0cd", 5)), kCodeBinary);
  EXPECT_EQ(DetectCode("ab\xFF" "cd"), kCodeBinary);
  EXPECT_EQ(DetectCode("x" + kJis + "\x1b(J"), kCodeJisB);
  EXPECT_EQ(DetectCode("\x1b$@" + kJisBody), kCodeJisAt);
  EXPECT_EQ(DetectCode(kEuc), kCodeEuc);
  EXPECT_EQ(DetectCode(kSjis), kCodeSjis);
  EXPECT_EQ(DetectCode("\xB6\xB6\xB6"), kCodeEucOrSjis);  // half-width kana only
  EXPECT_EQ(DetectCode("\xB6" "a"), kCodeSjis);
  EXPECT_EQ(DetectCode(kUtf8), kCodeUtf8);
  // The binary scan stops before the last byte and after 512 bytes.
  EXPECT_EQ(DetectCode(std::string("abc\0", 4)), kCodeAscii);
  EXPECT_EQ(DetectCode(std::string(600, 'a') + std::string("\x01z", 2)), kCodeBinary);
  // Truncated escape sequences do not read past the end.
  EXPECT_EQ(DetectCode("ab\x1b$"), kCodeAscii);
  EXPECT_EQ(DetectCode("ab\x1b"), kCodeAscii);
}

TEST(JapaneseCodes, RoundTripsBetweenCodes) {
  EXPECT_EQ(SJISToEUC(kSjis), kEuc);
  EXPECT_EQ(EUCToSJIS(kEuc), kSjis);
  EXPECT_EQ(SJISToJIS(kSjis), kJis);  // no closing escape at the end of the text
  EXPECT_EQ(EUCToJIS(kEuc), kJis);
  EXPECT_EQ(JISToSJIS(kJis + "\x1b(J"), kSjis);
  EXPECT_EQ(JISToEUC(kJis + "\x1b(J"), kEuc);
  EXPECT_EQ(ConvertCode(kSjis, kCodeEuc), kEuc);
  EXPECT_EQ(ConvertCode(kEuc, kCodeSjis), kSjis);
  EXPECT_EQ(ConvertCode(kJis, kCodeSjis), kSjis);
  EXPECT_EQ(ConvertCode(kJis, kCodeEuc), kEuc);
  EXPECT_EQ(ConvertCode(kEuc, kCodeJisB), kJis);
  EXPECT_EQ(ConvertCode(kJis, kCodeJisB), kJis);
  // UTF-8 text goes through CP932.
  EXPECT_EQ(ConvertCode(kUtf8, kCodeSjis), kSjis);
  EXPECT_EQ(ConvertCode(kUtf8, kCodeEuc), kEuc);
  EXPECT_EQ(ConvertCode(kUtf8, kCodeJisB), kJis);
  EXPECT_EQ(ConvertToUtf8(kSjis), kUtf8);
  EXPECT_EQ(ConvertToUtf8(kEuc), kUtf8);
  EXPECT_EQ(ConvertToUtf8(kJis + "\x1b(J"), kUtf8);
  EXPECT_EQ(ConvertToUtf8(kUtf8), kUtf8);
  EXPECT_EQ(ConvertToUtf8("abc"), "abc");
}

TEST(JapaneseCodes, LineBreaksAndAsciiCloseDoubleByteMode) {
  EXPECT_EQ(SJISToJIS("a\x82\xA0\r\nb\x82\xA0"), "a\x1b$B\x24\x22\x1b(J\r\nb\x1b$B\x24\x22");
  EXPECT_EQ(JISToSJIS("a\x1b$B\x24\x22\x1b(J\r\nb"), "a\x82\xA0\r\nb");
}

TEST(JapaneseCodes, UnconvertibleInputComesBackUnchanged) {
  for (int target : {int{kCodeJisB}, int{kCodeEuc}, int{kCodeSjis}, 9}) {
    EXPECT_EQ(ConvertCode("plain ascii", target), "plain ascii");
    EXPECT_EQ(ConvertCode("\xB6\xB6\xB6", target), "\xB6\xB6\xB6");
    EXPECT_EQ(ConvertCode(std::string("a\0b", 3), target), std::string("a\0b", 3));
  }
  EXPECT_EQ(ConvertCode(kSjis, 3), kSjis);
}

TEST(JapaneseCodes, HalfWidthKatakanaBecomeFullWidth) {
  // ｶﾞ ﾊﾟ ｳﾞ ｱ → ガ パ ヴ ア
  EXPECT_EQ(SJISToJIS("\xB6\xDE\xCA\xDF\xB3\xDE\xB1"), "\x1b$B\x25\x2C\x25\x51\x25\x74\x25\x22");
  EXPECT_EQ(EUCToJIS("\x8E\xB6\x8E\xDE\x8E\xCA\x8E\xDF"), "\x1b$B\x25\x2C\x25\x51");
  // A voiced mark after a kana that has no voiced form stays a separate mark: ｱﾞ → ア゛
  EXPECT_EQ(SJISToJIS("\xB1\xDE"), "\x1b$B\x25\x22\x21\x2B");
  // Punctuation and the long vowel mark: ｡ ｰ
  EXPECT_EQ(SJISToJIS("\xA1\xB0"), "\x1b$B\x21\x23\x21\x3C");
  EXPECT_EQ(SJISToEUC("\xB6" "a"), "\x8E\xB6" "a");
  EXPECT_EQ(SJISToEUC("a\xB6"), "a\x8E\xB6");  // a kana is one byte, also at the end
  EXPECT_EQ(EUCToSJIS("\x8E\xB6" "a"), "\xB6" "a");
}

TEST(JapaneseCodes, TruncatedInputStaysInBounds) {
  EXPECT_EQ(SJISToEUC("a\x82"), "a\x82");
  EXPECT_EQ(EUCToSJIS("a\xA4"), "a\xA4");
  EXPECT_EQ(SJISToJIS("a\x82"), "a\x1b$B");
  EXPECT_EQ(EUCToJIS("a\x8E"), "a\x1b$B");
  EXPECT_EQ(JISToSJIS("a\x1b$"), "a");
  EXPECT_EQ(JISToSJIS("a\x1b"), "a");
  EXPECT_EQ(JISToSJIS("\x1b$B\x24"), "\x24");
  EXPECT_EQ(JISToEUC("\x1b$B\x24"), "\xA4");
}

TEST(Base64, EdgeLengths) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode(std::string(57, 'x')).size(), 76u);
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\x00", 3)), "//4A");
  for (const std::string s : {"", "a", "ab", "abc", "abcd", "\x80\x81\xFF\x00z"}) {
    EXPECT_EQ(Base64Decode(Base64Encode(s)), s);
  }
}

TEST(Base64, DecodeSkipsLineBreaksAndToleratesBadInput) {
  EXPECT_EQ(Base64Decode("YW\r\nJj\nYQ=="), "abca");
  EXPECT_EQ(Base64Decode("YWI"), "ab");     // missing padding
  EXPECT_EQ(Base64Decode("YQ"), "a");
  EXPECT_EQ(Base64Decode("Y"), "");         // one character carries no whole byte
  EXPECT_EQ(Base64Decode("YQ==YWI="), "aab");  // padded words one after another
  EXPECT_EQ(Base64Decode("Y W*Jj"), "abc");    // bytes outside the alphabet are skipped
  EXPECT_EQ(Base64Decode("===="), "");
}

TEST(MimeHeader, EncodesDoubleByteRuns) {
  EXPECT_EQ(EncodeMimeHeader("plain subject", CodePage::Cp932), "plain subject");
  // "Re: 日本 test" in Shift_JIS.
  EXPECT_EQ(EncodeMimeHeader("Re: \x93\xFA\x96\x7B test", CodePage::Cp932),
            "Re: =?ISO-2022-JP?B?GyRCRnxLXA==?= test");
  // The same text in UTF-8 goes through CP932 first.
  EXPECT_EQ(EncodeMimeHeader("Re: \xE6\x97\xA5\xE6\x9C\xAC test", CodePage::Utf8),
            "Re: =?ISO-2022-JP?B?GyRCRnxLXA==?= test");
  EXPECT_EQ(EncodeMimeHeader("\x93\xFA" "a\x96\x7B", CodePage::Cp932),
            "=?ISO-2022-JP?B?GyRCRnw=?=a=?ISO-2022-JP?B?GyRCS1w=?=");
}

TEST(MimeHeader, DecodesWordsInAnyCase) {
  EXPECT_EQ(DecodeMimeHeader("Re: =?iso-2022-jp?b?GyRCRnxLXA==?= test"),
            "Re: \x1b$B\x46\x7C\x4B\x5C\x1b(J test");
  EXPECT_EQ(JISToSJIS(DecodeMimeHeader("=?ISO-2022-JP?B?GyRCRnxLXA==?=")), "\x93\xFA\x96\x7B");
  // A word without its closing "?=" loses only the marker.
  EXPECT_EQ(DecodeMimeHeader("a =?ISO-2022-JP?B?GyRC"), "a GyRC");
  EXPECT_EQ(DecodeMimeHeader("no words"), "no words");
  // Round trip through both directions.
  const std::string header = "Re: \x93\xFA\x96\x7B and \x82\xA0";
  EXPECT_EQ(JISToSJIS(DecodeMimeHeader(EncodeMimeHeader(header, CodePage::Cp932))), header);
}

}  // namespace
}  // namespace kestrin

namespace kestrin {
namespace {

// Random bytes through every converter: nothing reads past the end (checked by the
// sanitizer build) and outputs stay within a small multiple of the input.
TEST(JapaneseCodes, RandomBytesStayInBounds) {
  std::uint32_t seed = 99;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 24;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int len = static_cast<int>(next() % 9);
    for (int i = 0; i < len; ++i) text += static_cast<char>(round % 3 == 0 ? 0x1B + next() % 16 : next());
    const std::size_t bound = 4 * text.size() + 8;
    EXPECT_LE(JISToEUC(text).size(), bound);
    EXPECT_LE(JISToSJIS(text).size(), bound);
    EXPECT_LE(EUCToJIS(text).size(), bound);
    EXPECT_LE(EUCToSJIS(text).size(), bound);
    EXPECT_LE(SJISToJIS(text).size(), bound);
    EXPECT_LE(SJISToEUC(text).size(), bound);
    for (int target : {2, 4, 5}) EXPECT_LE(ConvertCode(text, target).size(), bound);
    EXPECT_LE(DecodeMimeHeader("=?ISO-2022-JP?B?" + Base64Encode(text) + "?=").size(), text.size() + 3);
    EXPECT_EQ(Base64Decode(Base64Encode(text)), text);
    const int code = DetectCode(text);
    EXPECT_TRUE(code >= 0 && code <= 7);
    EncodeMimeHeader(text, CodePage::Cp932);
    EncodeMimeHeader(text, CodePage::Utf8);
    ConvertToUtf8(text);
  }
}

}  // namespace
}  // namespace kestrin
