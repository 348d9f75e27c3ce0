// Compile errors and their messages, and the syntax rules that decide what a pattern means.
#include <gtest/gtest.h>

#include <string>

#include "regex/regex_engine.h"

namespace velkoran::regex {
namespace {

int CompileError(std::string_view pattern) {
  TRegexEngine e;
  try {
    e.SetExpression(pattern);
  } catch (const ERegexEngine& err) {
    return err.code();
  }
  return 0;
}

TEST(RegexSyntax, CompileErrorCodes) {
  EXPECT_EQ(CompileError(""), kNullArgument);
  EXPECT_EQ(CompileError("(ab){2}"), kBracesAfterComplex);
  EXPECT_EQ(CompileError("a**"), kNestedQuantifier);
  EXPECT_EQ(CompileError("a*?"), kNestedQuantifier);
  EXPECT_EQ(CompileError("a+{2}"), kNestedQuantifier);
  EXPECT_EQ(CompileError("[z-a]"), kInvalidRange);
  EXPECT_EQ(CompileError("[abc"), kUnmatchedBracket);
  EXPECT_EQ(CompileError("[a\\"), kClassTrailingBackslash);
  EXPECT_EQ(CompileError("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)"), kTooManyGroups);
  EXPECT_EQ(CompileError("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)"), 0);
  EXPECT_EQ(CompileError("\\x4"), kNoHexCode);
  EXPECT_EQ(CompileError("\\x"), kNoHexCode);
  EXPECT_EQ(CompileError("\\x{123}"), kHexCodeTooBig);
  EXPECT_EQ(CompileError("\\xZ1"), kBadHexDigit);
  EXPECT_EQ(CompileError("(ab"), kUnmatchedOpen);
  EXPECT_EQ(CompileError("ab)"), kUnmatchedClose);
  EXPECT_EQ(CompileError("(a*)*"), kOperandCouldBeEmpty);
  EXPECT_EQ(CompileError("(a|)+"), kOperandCouldBeEmpty);
  EXPECT_EQ(CompileError("^*"), kOperandCouldBeEmpty);
  EXPECT_EQ(CompileError("*a"), kQuantifierFollowsNothing);
  EXPECT_EQ(CompileError("a|+b"), kQuantifierFollowsNothing);
  EXPECT_EQ(CompileError("(?i)*"), kQuantifierFollowsNothing);
  EXPECT_EQ(CompileError("ab\\"), kTrailingBackslash);
  EXPECT_EQ(CompileError("a{123456789}"), kBracesTooBig);
  EXPECT_EQ(CompileError("a{2147483647}"), kBracesTooBig);
  EXPECT_EQ(CompileError("a{3,2}"), kBracesMinGreaterMax);
  EXPECT_EQ(CompileError("a(?#note"), kUnclosedComment);
  EXPECT_EQ(CompileError("(?x)a"), kUnknownModifier);
  EXPECT_EQ(CompileError("(?:a)"), kUnknownModifier);
}

TEST(RegexSyntax, MessagesCarryPositionOnlyForCompileErrors) {
  try {
    TRegexEngine e;
    e.SetExpression("[z-a]");
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(std::string(err.what()), "TRegexEngine(comp): Invalid [] Range (pos 4)");
  }
  try {
    TRegexEngine e;
    e.SearchFrom(1);
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kNoExpression);
    EXPECT_EQ(std::string(err.what()), "TRegexEngine(exec): Not Assigned Expression Property");
  }
  EXPECT_EQ(TRegexEngine::ErrorMessage(0), "No errors");
  EXPECT_EQ(TRegexEngine::ErrorMessage(1013), "Unknown error");
  EXPECT_EQ(TRegexEngine::ErrorMessage(126).substr(0, 47), "TRegexEngine(comp): If you want take part in be");
}

TEST(RegexSyntax, BraceThatIsNoCountIsLiteral) {
  TRegexEngine e;
  e.SetExpression("a{x}");
  EXPECT_TRUE(e.Search("za{x}"));
  EXPECT_EQ(e.GroupText(0), "a{x}");
  e.SetExpression("{2}");
  EXPECT_TRUE(e.Search("x{2}"));
  EXPECT_EQ(e.GroupStart(0), 2);
  e.SetExpression("a{2");
  EXPECT_TRUE(e.Search("aa{2"));
  EXPECT_EQ(e.GroupText(0), "a{2");
}

TEST(RegexSyntax, ErrorsAfterFailedCompileAndWithoutInput) {
  TRegexEngine e;
  EXPECT_THROW(e.SetExpression("("), ERegexEngine);
  try {
    e.Search("x");
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kAfterCompileError);
  }
  // The same text is compiled again (it failed before) and fails again.
  EXPECT_THROW(e.SetExpression("("), ERegexEngine);
  e.SetExpression("a");
  try {
    e.SearchFrom(1);
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kNoInput);
  }
  try {
    e.SearchNext();
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kNextWithoutSearch);
  }
  EXPECT_TRUE(e.Search("a"));
  try {
    e.SearchFrom(0);
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kOffsetBelowOne);
  }
  try {
    e.SetModifier('g', true);
    FAIL();
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kBadModifier);
  }
}

TEST(RegexSyntax, ClassMembersAndRanges) {
  TRegexEngine e;
  e.SetExpression("[a-]+");
  ASSERT_TRUE(e.Search("x-a-y"));
  EXPECT_EQ(e.GroupText(0), "-a-");
  e.SetExpression("[]a]+");
  ASSERT_TRUE(e.Search("x]a]"));
  EXPECT_EQ(e.GroupText(0), "]a]");
  e.SetExpression("[^]a]+");
  ASSERT_TRUE(e.Search("]]xyz]"));
  EXPECT_EQ(e.GroupText(0), "xyz");
  e.SetExpression("[\\d-z]+");
  ASSERT_TRUE(e.Search("ab1-z9c"));
  EXPECT_EQ(e.GroupText(0), "1-z9");
  e.SetExpression("[\\x41-\\x43]+");
  ASSERT_TRUE(e.Search("xxABCD"));
  EXPECT_EQ(e.GroupText(0), "ABC");
  e.SetExpression("[\\]\\t]+");
  ASSERT_TRUE(e.Search("a]\t]b"));
  EXPECT_EQ(e.GroupText(0), "]\t]");
  // Inside a class only \d, \s and \w are sets; \D, \S and \W are their letters.
  e.SetExpression("[\\D\\S\\W]+");
  ASSERT_TRUE(e.Search("1 a.DSW."));
  EXPECT_EQ(e.GroupText(0), "DSW");
  e.SetExpression("[\\W-Z]+");
  ASSERT_TRUE(e.Search("-WXYZ-"));
  EXPECT_EQ(e.GroupText(0), "WXYZ");
}

TEST(RegexSyntax, ExtendedRangesAddTheirExtraByte) {
  TRegexEngine e;
  e.SetExpression("[\\xE0-\\xFF]");
  EXPECT_TRUE(e.Search("\xB8"));
  e.SetExpression("[\\xC0-\\xDF]");
  EXPECT_TRUE(e.Search("\xA8"));
  e.SetExpression("[\\xE0-\\xDF]+");  // both ranges together
  ASSERT_TRUE(e.Search("x\xC5\xF0\xA8\xB8y"));
  EXPECT_EQ(e.GroupLength(0), 4);
  // E0-DF is a backward range without the modifier: switching it off recompiles and fails.
  EXPECT_THROW(e.SetModifier('r', false), ERegexEngine);
  EXPECT_FALSE(e.Compiled());
  e.SetExpression("[\\xE0-\\xFF]");
  EXPECT_FALSE(e.Search("\xB8"));
}

TEST(RegexSyntax, EscapesAndHex) {
  TRegexEngine e;
  e.SetExpression("\\x41\\x{42}\\x{9}");
  EXPECT_TRUE(e.Search("zAB\t"));
  e.SetExpression("\\t\\n\\r\\f\\a\\e");
  EXPECT_TRUE(e.Search("\t\n\r\f\a\x1b"));
  e.SetExpression("\\.\\*\\q");
  EXPECT_TRUE(e.Search("a.*q"));
  EXPECT_FALSE(e.Search("a.xq"));
  // Digits are not word characters.
  e.SetExpression("\\w+");
  EXPECT_FALSE(e.Search("123"));
  e.SetExpression("[0-9]+");
  EXPECT_TRUE(e.Search("123"));
  e.SetExpression("\\W\\D\\S");
  EXPECT_TRUE(e.Search("ab1 5.a"));
  EXPECT_EQ(e.GroupText(0), "1 5");  // a digit is a non-word byte
  e.SetExpression("\\s+");
  ASSERT_TRUE(e.Search("a \t\r\n\fb"));
  EXPECT_EQ(e.GroupLength(0), 5);
}

TEST(RegexSyntax, CommentsAndModifiers) {
  TRegexEngine e;
  e.SetExpression("a(?#skip me)b");
  EXPECT_TRUE(e.Search("ab"));
  e.SetExpression("(?i)abc");
  EXPECT_TRUE(e.Search("xABC"));
  e.SetExpression("a(?i)b");
  EXPECT_TRUE(e.Search("aB"));
  EXPECT_FALSE(e.Search("Ab"));
  // A switch ends with its group.
  e.SetExpression("((?i)a)b");
  EXPECT_TRUE(e.Search("Ab"));
  EXPECT_FALSE(e.Search("AB"));
  // ...and holds for the group's later alternatives.
  e.SetExpression("(x(?i)y|z)");
  EXPECT_TRUE(e.Search("Z"));
  e.SetExpression("(?I-S)a.b");
  EXPECT_TRUE(e.Search("A-B"));
  EXPECT_FALSE(e.Search("a\nb"));
  e.SetExpression("(?i)[a-c]+");
  ASSERT_TRUE(e.Search("xAbC"));
  EXPECT_EQ(e.GroupText(0), "AbC");
  e.SetExpression("(?i)[^a]");
  ASSERT_TRUE(e.Search("Aab"));
  EXPECT_EQ(e.GroupText(0), "b");
}

TEST(RegexSyntax, EngineModifiersRecompile) {
  TRegexEngine e;
  EXPECT_FALSE(e.GetModifier('i'));
  EXPECT_TRUE(e.GetModifier('r'));
  EXPECT_TRUE(e.GetModifier('S'));
  e.SetExpression("a.c");
  EXPECT_TRUE(e.Search("a\nc"));
  e.SetModifier('s', false);
  EXPECT_FALSE(e.Search("a\nc"));
  EXPECT_FALSE(e.Search("A-C"));
  e.SetModifier('i', true);
  EXPECT_TRUE(e.Search("A-C"));
}

}  // namespace
}  // namespace velkoran::regex
