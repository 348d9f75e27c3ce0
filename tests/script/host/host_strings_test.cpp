// The string list beneath Strings (line and comma forms, sorted mode, searching) and the
// Strings object as scripts use it (indexing, addStrings and assign, files).
#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform/codepage.h"
#include "script/host/string_list.h"

namespace kestrin::host_testing {
namespace {

namespace pf = velkoran::platform;

std::vector<std::string> LinesOf(const TStringList& l) { return l.Lines(); }

TEST(StringListTest, CommaTextSplitsAtCommasAndBlanksAndKeepsQuotedItems) {
  TStringList l;
  l.SetCommaText("a b,\"c d\"");
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"a", "b", "c d"}));
  EXPECT_EQ(l.CommaText(), "a,b,\"c d\"");

  l.SetCommaText("  \"say \"\"hi\"\"\" , x,,y,  ");
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"say \"hi\"", "x", "", "y"}));
  EXPECT_EQ(l.CommaText(), "\"say \"\"hi\"\"\",x,,y");

  l.SetCommaText("\"open quote");
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"open quote"}));
  l.SetCommaText("");
  EXPECT_EQ(l.Count(), 0u);
  l.SetCommaText(std::string_view("a,b\0,c", 6));
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"a", "b"}));
}

TEST(StringListTest, CommaTextQuotesBlanksControlsQuotesAndCommas) {
  TStringList l;
  l.Add("");
  EXPECT_EQ(l.CommaText(), "\"\"");
  l.Add("tab\there");
  l.Add("x,y");
  l.Add("plain");
  EXPECT_EQ(l.CommaText(), ",\"tab\there\",\"x,y\",plain");
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_EQ(LinesOf(back), (std::vector<std::string>{"", "tab\there", "x,y", "plain"}));
}

TEST(StringListTest, TextSplitsAtEveryKindOfLineEnd) {
  TStringList l;
  l.SetText("a\r\nb\nc\rd");
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
  l.SetText("x\r\r\ny\n\n");
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"x", "", "y", ""}));
  l.SetText("");
  EXPECT_EQ(l.Count(), 0u);
  EXPECT_EQ(l.Text(), "");
}

TEST(StringListTest, SortedModeKeepsOrderAndIgnoresDuplicatesOfAnyCase) {
  TStringList l;
  EXPECT_EQ(l.Add("pear"), 0u);
  EXPECT_EQ(l.Add("Apple"), 1u);
  l.SetSorted(true);
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"Apple", "pear"}));
  EXPECT_EQ(l.Add("banana"), 1u);
  EXPECT_EQ(l.Add("APPLE"), 0u);
  EXPECT_EQ(l.Count(), 3u);
  EXPECT_EQ(l.IndexOf("PEAR"), 2);
  EXPECT_EQ(l.IndexOf("kiwi"), -1);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.Put(0, "x"), EStringListError);
}

TEST(StringListTest, UnsortedIndexOfFindsTheFirstMatchIgnoringCase) {
  TStringList l;
  l.Add("b");
  l.Add("A");
  l.Add("a");
  EXPECT_EQ(l.IndexOf("a"), 1);
  l.Sort();
  EXPECT_EQ(LinesOf(l), (std::vector<std::string>{"A", "a", "b"}));
  EXPECT_THROW(l.Delete(3), EStringListError);
  EXPECT_THROW(l.Insert(4, "x"), EStringListError);
  l.Insert(3, "end");
  EXPECT_EQ(l.Get(3), "end");
}

TEST(StringListTest, CaseFoldingNeverTouchesATrailByte) {
  const pf::CodePage previous = pf::ActiveCodePage();
  pf::SetActiveCodePage(pf::CodePage::Cp932);
  // 0x83 0x41 and 0x83 0x61 are two different katakana whose trail bytes are "A" and "a".
  EXPECT_NE(CompareText("\x83\x41", "\x83\x61"), 0);
  EXPECT_EQ(CompareText("ABC\x83\x41", "abc\x83\x41"), 0);
  pf::SetActiveCodePage(pf::CodePage::Utf8);
  EXPECT_EQ(CompareText("Straße", "STRAßE"), 0);
  EXPECT_LT(CompareText("a", "B"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  pf::SetActiveCodePage(previous);
}

using StringsObjectTest = ScratchScriptTest;

TEST_F(StringsObjectTest, AddReturnsIndexesAndSortedAddReturnsTheExistingOne) {
  EXPECT_EQ(Run("var s = new Strings(); println(s.add('b')); println(s.add()); s.sorted = true;"
                "println(s.add('B')); println(s.count + ' ' + s.length + ' ' + s.sorted); println(s.commaText);"),
            "0\n1\n1\n2 2 true\n,b\n");
}

TEST_F(StringsObjectTest, CommaTextBothWays) {
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'a b,\"c d\"'; println(s.count); println(s[2]);"
                "println(s.commaText); s.clear(); s.add(''); println(s.commaText);"),
            "3\nc d\na,b,\"c d\"\n\"\"\n");
}

TEST_F(StringsObjectTest, TextEndsEveryLineWithCarriageReturnAndLineFeed) {
  EXPECT_EQ(Run("var s = new Strings(); s.add('a'); s.add('b'); println(s.text == \"a\\nb\\n\");"
                "s.text = \"x\\ny\"; println(s.count); s.text = ''; println(s.count);"),
            "true\n2\n0\n");
}

TEST_F(StringsObjectTest, BracketsReadAndWriteLines) {
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'a,b,c'; s[1] = 42; println(s[1]); println(s['2']);"
                "println(s.length); println(s.getProperties());"),
            "42\nc\n3\n0\n1\n2\n");
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'a,b,c'; println(s[5]);"), Uncaught("EIndexError", "5"));
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'a,b,c'; s[3] = 'x';"), Uncaught("EIndexError", "3"));
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'a'; println(s[-1]);"), Uncaught("EIndexError", "-1"));
  EXPECT_EQ(Run("var s = new Strings(); s.sorted = true; s.add('a'); s[0] = 'b';"),
            Uncaught("EStringsError", "operation not allowed on sorted list"));
}

TEST_F(StringsObjectTest, AddStringsTakesArraysStringsAndPlainValues) {
  EXPECT_EQ(Run("var s = new Strings(); s.addStrings(new Array(1, true, 'x')); println(s.commaText);"
                "var t = new Strings(); t.add('y'); s.addStrings(t); s.addStrings(7); println(s.commaText);"
                "s.assign(t); println(s.commaText); s.assign(s); println(s.commaText);"),
            "1,true,x\n1,true,x,y,7\ny\ny\n");
}

TEST_F(StringsObjectTest, AddStringsErrors) {
  EXPECT_EQ(Run("var s = new Strings(); s.addStrings();"), Uncaught("EStringsError", "assStrings error"));
  EXPECT_EQ(Run("var s = new Strings(); s.assign();"), Uncaught("EStringsError", "assStrings error"));
  EXPECT_EQ(Run("var s = new Strings(); s.addStrings(new Object());"), Uncaught("EStringsError", "addStrings error"));
  // A failing assign leaves the list as it was.
  EXPECT_EQ(Run("var s = new Strings(); s.add('keep'); try { s.assign(new Date()); } catch (e) { println(e); }"
                "println(s.commaText);"),
            "EStringsError\nkeep\n");
}

TEST_F(StringsObjectTest, InsertDeleteIndexOfAndSort) {
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'b,C,a'; s.insert(1, 'x'); println(s.commaText);"
                "s.delete(0); println(s.commaText); println(s.indexOf('c')); println(s.indexOf());"
                "s.sort(); println(s.commaText); println(s.clear()); println(s.count);"),
            "b,x,C,a\nx,C,a\n1\n-1\na,C,x\ntrue\n0\n");
  EXPECT_EQ(Run("var s = new Strings(); s.insert(0);"), Uncaught("EStringsError", "insert error"));
  EXPECT_EQ(Run("var s = new Strings(); s.delete();"), Uncaught("EStringsError", "delete error"));
  EXPECT_EQ(Run("var s = new Strings(); s.delete(0);"), Uncaught("EStringsError", "list index out of bounds (0)"));
  EXPECT_EQ(Run("var s = new Strings(); s.sorted = true; s.insert(0, 'a');"),
            Uncaught("EStringsError", "operation not allowed on sorted list"));
  EXPECT_EQ(Run("var s = new Strings(); try { s.delete(3); } catch (e) { println(e); }"), "EStringsError\n");
}

TEST_F(StringsObjectTest, SaveAndLoadFiles) {
  EXPECT_EQ(Run("var s = new Strings(); s.commaText = 'one,two'; println(s.saveToFile('$Dlist.txt'));"
                "var t = new Strings(); println(t.loadFromFile('$Dlist.txt')); println(t.commaText);"),
            "true\ntrue\none,two\n");
  EXPECT_EQ(ReadFile(dir / "list.txt"), "one\r\ntwo\r\n");
  EXPECT_EQ(Run("new Strings().loadFromFile('$Dmissing');"), Uncaught("EStringsError", "loadFromFile error"));
  EXPECT_EQ(Run("new Strings().loadFromFile();"), Uncaught("EStringsError", "loadFromFile error"));
  EXPECT_EQ(Run("new Strings().saveToFile('$Dno/such/dir/x');"), Uncaught("EStringsError", "saveToFile error"));
  EXPECT_EQ(Run("new Strings().saveToFile();"), Uncaught("EStringsError", "saveToFile error"));
  EXPECT_EQ(Run("new Strings().saveToFile('$D');"), Uncaught("EStringsError", "saveToFile error"));
}

TEST_F(StringsObjectTest, ClassNameIsStringList) {
  EXPECT_EQ(Run("println(new Strings().toString());"), "[StringList]\n");
}

}  // namespace
}  // namespace kestrin::host_testing
