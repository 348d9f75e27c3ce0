// Matching: leftmost-first results, groups and backtracking, anchors, search positions,
// replace and split, multi-byte text, and long inputs that must not exhaust the stack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "regex/regex_engine.h"

namespace velkoran::regex {
namespace {

// The whole match, or "<none>".
std::string Find(std::string_view pattern, std::string_view input) {
  TRegexEngine e;
  e.SetExpression(pattern);
  return e.Search(input) ? e.GroupText(0) : "<none>";
}

TEST(RegexMatch, QuantifiersAreGreedyAndBacktrack) {
  EXPECT_EQ(Find("a{2,3}", "aaaa"), "aaa");
  EXPECT_EQ(Find("a{2}", "a a aa"), "aa");
  EXPECT_EQ(Find("a{2,}", "aaaaab"), "aaaaa");
  EXPECT_EQ(Find("x*", ""), "<none>");  // the end position is never tried
  EXPECT_EQ(Find("x*", "ab"), "");
  EXPECT_EQ(Find("a.*b", "a1b2b3"), "a1b2b");
  EXPECT_EQ(Find("a.*bc", "abcxbd"), "abc");
  EXPECT_EQ(Find("[a-z]+ing", "xx singing yy"), "singing");
  EXPECT_EQ(Find("(ab)+c", "ababababc"), "ababababc");
  EXPECT_EQ(Find("(a|ab)(c|bcd)(d*)", "abcd"), "abcd");
  EXPECT_EQ(Find("colou?r", "color colour"), "color");
  EXPECT_EQ(Find("(a|b)*c", "abbaxababc"), "ababc");
  EXPECT_EQ(Find("x.{2,3}y", "x12y x1234y"), "x12y");
  EXPECT_EQ(Find("(?i)a+B", "xAaAb"), "AaAb");
}

TEST(RegexMatch, EmptySubjectsAreSearchedSafely) {
  // An empty subject has no data pointer; the search hints must not hand it to the C
  // library (a sanitized build aborts on that).
  EXPECT_EQ(Find("a", ""), "<none>");
  EXPECT_EQ(Find("xa", std::string_view()), "<none>");
  EXPECT_EQ(Find("(?-s).*", std::string_view()), "<none>");
  EXPECT_EQ(Find("b.*c", ""), "<none>");
}

TEST(RegexMatch, AlternativesLeftToRight) {
  EXPECT_EQ(Find("ab|abc", "abc"), "ab");
  EXPECT_EQ(Find("abc|ab", "abc"), "abc");
  EXPECT_EQ(Find("cat|dog|bird", "a dog and a cat"), "dog");
  EXPECT_EQ(Find("(a|b|c)+", "xcabz"), "cab");
}

TEST(RegexMatch, GroupsReportTheirPositions) {
  TRegexEngine e;
  e.SetExpression("a(b)?c");
  ASSERT_TRUE(e.Search("xac"));
  EXPECT_EQ(e.GroupStart(0), 2);
  EXPECT_EQ(e.GroupLength(0), 2);
  EXPECT_EQ(e.GroupStart(1), -1);
  EXPECT_EQ(e.GroupLength(1), -1);
  EXPECT_EQ(e.GroupText(1), "");
  EXPECT_EQ(e.LastGroup(), 0);
  EXPECT_EQ(e.GroupStart(15), -1);
  EXPECT_EQ(e.GroupStart(-1), -1);

  e.SetExpression("(\\w+)@((\\w+)\\.(\\w+))");
  ASSERT_TRUE(e.Search("mail: joe@example.org!"));
  EXPECT_EQ(e.GroupText(1), "joe");
  EXPECT_EQ(e.GroupText(2), "example.org");
  EXPECT_EQ(e.GroupText(3), "example");
  EXPECT_EQ(e.GroupText(4), "org");
  EXPECT_EQ(e.GroupStart(4), 19);
  EXPECT_EQ(e.LastGroup(), 4);

  // A group in a loop keeps its last iteration; a failed alternative restores it.
  e.SetExpression("(a|b)+");
  ASSERT_TRUE(e.Search("abba"));
  EXPECT_EQ(e.GroupText(1), "a");
  EXPECT_EQ(e.GroupStart(1), 4);
  e.SetExpression("(x)?(xy)");
  ASSERT_TRUE(e.Search("xy"));
  EXPECT_EQ(e.GroupStart(1), -1);
  EXPECT_EQ(e.GroupText(2), "xy");
  EXPECT_EQ(e.LastGroup(), 2);

  TRegexEngine fresh;
  EXPECT_EQ(fresh.LastGroup(), -1);
}

TEST(RegexMatch, BackReferences) {
  EXPECT_EQ(Find("(\\w)\\1", "abccd"), "cc");
  EXPECT_EQ(Find("(a+)b\\1", "aaabaa"), "aabaa");
  EXPECT_EQ(Find("(?i)(a)\\1", "aA"), "aA");
  EXPECT_EQ(Find("(a)\\1", "aA"), "<none>");
  EXPECT_EQ(Find("\\1(a)", "aa"), "<none>");  // group not yet taken part
  EXPECT_EQ(Find("(a)|b\\1", "b"), "<none>");
  EXPECT_EQ(Find("<(\\w+)>.*</\\1>", "<b>x</i></b>"), "<b>x</i></b>");
  // A group the pattern lacks never takes part, even when an earlier pattern had it.
  EXPECT_EQ(Find("\\1", "b"), "<none>");
  TRegexEngine e;
  e.SetExpression("x(q+)");
  ASSERT_TRUE(e.Search("xqq"));
  e.SetExpression("a\\1");
  EXPECT_FALSE(e.Search("aqq"));
}

TEST(RegexMatch, AnchorsAreInputBoundariesOnly) {
  EXPECT_EQ(Find("^b", "a\nb"), "<none>");
  EXPECT_EQ(Find("a$", "a\n"), "<none>");
  EXPECT_EQ(Find("^ab", "abab"), "ab");
  EXPECT_EQ(Find("b$", "abab"), "b");
  EXPECT_EQ(Find("^$", ""), "");
  EXPECT_EQ(Find("^a|b$", "xab"), "b");

  TRegexEngine e;
  e.SetExpression("^a");
  ASSERT_TRUE(e.Search("aa"));
  EXPECT_FALSE(e.SearchNext());  // ^ is the start of the input, not of the search
}

TEST(RegexMatch, SearchFromAndNext) {
  TRegexEngine e;
  e.SetExpression("a");
  ASSERT_TRUE(e.Search("banana"));
  EXPECT_EQ(e.GroupStart(0), 2);
  ASSERT_TRUE(e.SearchNext());
  EXPECT_EQ(e.GroupStart(0), 4);
  ASSERT_TRUE(e.SearchFrom(5));
  EXPECT_EQ(e.GroupStart(0), 6);
  EXPECT_FALSE(e.SearchFrom(7));
  EXPECT_FALSE(e.SearchFrom(100));

  // After an empty match the next search starts one byte further.
  e.SetExpression("x*");
  ASSERT_TRUE(e.Search("ab"));
  EXPECT_EQ(e.GroupStart(0), 1);
  ASSERT_TRUE(e.SearchNext());
  EXPECT_EQ(e.GroupStart(0), 2);
  EXPECT_FALSE(e.SearchNext());

  // The required-literal cache must follow the search offset back and forth.
  e.SetExpression("[a-z]+ing");
  ASSERT_TRUE(e.Search("sing ring"));
  ASSERT_TRUE(e.SearchNext());
  EXPECT_EQ(e.GroupText(0), "ring");
  ASSERT_TRUE(e.SearchFrom(1));
  EXPECT_EQ(e.GroupText(0), "sing");
  EXPECT_FALSE(e.SearchFrom(7));
  ASSERT_TRUE(e.SearchFrom(2));
  EXPECT_EQ(e.GroupText(0), "ring");  // "ing" alone lacks a letter before the suffix
}

TEST(RegexMatch, ReplaceAndSplit) {
  TRegexEngine e;
  e.SetExpression("a");
  EXPECT_EQ(e.ReplaceAll("banana", "o"), "bonono");
  EXPECT_EQ(e.ReplaceAll("xyz", "o"), "xyz");
  e.SetExpression("\\d+");
  EXPECT_EQ(e.ReplaceAll("a1b22c333", "$1"), "a$1b$1c$1");  // inserted literally
  e.SetExpression(",");
  EXPECT_EQ(e.SplitAll("a,b,,c"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(e.SplitAll("abc"), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(e.SplitAll(",a,"), (std::vector<std::string>{"", "a", ""}));
  EXPECT_EQ(SplitByPattern("[,:\\s]+", "Dec 25, 1995 13:30:00"),
            (std::vector<std::string>{"Dec", "25", "1995", "13", "30", "00"}));
  EXPECT_THROW(SplitByPattern("(", "x"), ERegexEngine);
}

TEST(RegexMatch, NulBytesAreOrdinaryBytes) {
  TRegexEngine e;
  e.SetExpression("b\\x00c");
  const std::string input("a\0b\0c\0d", 7);
  ASSERT_TRUE(e.Search(input));
  EXPECT_EQ(e.GroupStart(0), 3);
  e.SetExpression(std::string("\0", 1));
  EXPECT_EQ(e.SplitAll(input), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(RegexMatch, MultiByteTextInBothCodePages) {
  // UTF-8: "日本語のテキスト" — literal search and byte positions.
  const std::string utf8 = "x\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE";
  TRegexEngine e;
  e.SetExpression("\xE6\x9C\xAC\xE8\xAA\x9E");  // 本語
  ASSERT_TRUE(e.Search(utf8));
  EXPECT_EQ(e.GroupStart(0), 5);
  EXPECT_EQ(e.GroupLength(0), 6);
  e.SetExpression("[\\x80-\\xFF]+");
  ASSERT_TRUE(e.Search(utf8 + "y"));
  EXPECT_EQ(e.GroupLength(0), 12);
  // Case-insensitive matching leaves multi-byte bytes alone.
  e.SetModifier('i', true);
  e.SetExpression("\xE6\x97\xA5X");
  EXPECT_TRUE(e.Search("\xE6\x97\xA5x"));
  EXPECT_FALSE(e.Search("\xC6\x97\xA5x"));

  // CP932: "表示" is 95 5C 8E A6; the trail byte 5C is a backslash byte.
  const std::string sjis = "a\x95\x5C\x8E\xA6" "b";
  TRegexEngine s;
  s.SetExpression("\x95\\\\\x8E\xA6");
  ASSERT_TRUE(s.Search(sjis));
  EXPECT_EQ(s.GroupStart(0), 2);
  s.SetExpression("\\w");
  ASSERT_TRUE(s.Search(sjis));
  EXPECT_EQ(s.GroupText(0), "a");
  // A Shift_JIS half-width katakana run as a byte range.
  s.SetExpression("[\\xA1-\\xDF]+");
  ASSERT_TRUE(s.Search("ab\xB6\xDE\xC5z"));
  EXPECT_EQ(s.GroupLength(0), 3);
  // Upper-casing a CP932 text never changes trail bytes, so the pattern keeps matching.
  const std::string upper = platform::UpperCase("x\x83\x61", platform::CodePage::Cp932);
  s.SetExpression("\x83\x61");
  EXPECT_TRUE(s.Search(upper));
}

TEST(RegexMatch, LongInputsNeverOverflowTheStack) {
  const std::string ab(10'000'000, 'a');
  TRegexEngine e;
  e.SetExpression("(a|b)*c");
  EXPECT_FALSE(e.Search(ab));  // no "c": rejected before matching
  std::string abc = ab;
  abc.back() = 'c';
  ASSERT_TRUE(e.Search(abc));
  EXPECT_EQ(e.GroupLength(0), 10'000'000);
  EXPECT_EQ(e.GroupStart(1), 9'999'999);

  e.SetExpression("(?-s).*x");
  EXPECT_FALSE(e.Search(ab));
  e.SetExpression(".*x");
  std::string tail = ab + "x";
  ASSERT_TRUE(e.Search(tail));
  EXPECT_EQ(e.GroupLength(0), 10'000'001);

  // A deep backtracking state hits the entry limit and fails with a clear error.
  e.SetExpression("(a|b)*c");
  e.set_stack_limit(1000);
  try {
    e.Search(abc);
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kStackExceeded);
  }
}


}  // namespace
}  // namespace velkoran::regex
