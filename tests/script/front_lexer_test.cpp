// Token streams of the scanner, with emphasis on the inputs where one byte of look-ahead
// and stepping back decide the result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "script/lexer.h"

namespace kestrin {
namespace {

using velkoran::platform::CodePage;

struct Tok {
  std::int32_t code;
  std::string text;
  char sub = 0;
  bool operator==(const Tok& o) const { return code == o.code && text == o.text && sub == o.sub; }
};

std::ostream& operator<<(std::ostream& os, const Tok& t) {
  os << t.code << "(" << t.text << ")";
  if (t.sub != 0) os << "'" << t.sub << "'";
  return os;
}

std::vector<Tok> Lex(const std::string& text, CodePage cp = CodePage::Utf8) {
  TJLex lex(cp);
  lex.SetSource(text);
  std::vector<Tok> out;
  while (lex.Next()) {
    out.push_back({lex.Token(), lex.TokenText(), lex.SubCode()});
    if (out.size() > 1000) break;  // a scanner that stops advancing would loop forever
  }
  EXPECT_TRUE(lex.AtEnd());
  EXPECT_EQ(lex.Token(), 0);
  return out;
}

std::vector<std::int32_t> Codes(const std::string& text, CodePage cp = CodePage::Utf8) {
  std::vector<std::int32_t> codes;
  for (const Tok& t : Lex(text, cp)) codes.push_back(t.code);
  return codes;
}

TEST(LexerWords, KeywordsAfterDotAreIdentifiers) {
  EXPECT_EQ(Lex("a.delete"),
            (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kDot, "."}, {tk::kIdentifier, "delete"}}));
  EXPECT_EQ(Lex("delete a"), (std::vector<Tok>{{tk::kDelete, "delete"}, {tk::kIdentifier, "a"}}));
  EXPECT_EQ(Codes("x.class"), (std::vector<std::int32_t>{tk::kIdentifier, tk::kDot, tk::kIdentifier}));
  // Blanks and comments between the dot and the word do not change the rule.
  EXPECT_EQ(Codes("a. /* c */ new"),
            (std::vector<std::int32_t>{tk::kIdentifier, tk::kDot, tk::kIdentifier}));
}

TEST(LexerWords, DivIsAnOperatorExceptAfterDot) {
  EXPECT_EQ(Lex("7 div 2"), (std::vector<Tok>{{tk::kInteger, "7"},
                                             {tk::kMultiplicative, "div", 'd'},
                                             {tk::kInteger, "2"}}));
  EXPECT_EQ(Lex("a.div"),
            (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kDot, "."}, {tk::kIdentifier, "div"}}));
}

TEST(LexerWords, KeywordTableIsCaseSensitiveAndComplete) {
  EXPECT_EQ(Codes("True VAR Var NaN nan"),
            (std::vector<std::int32_t>{tk::kIdentifier, tk::kIdentifier, tk::kIdentifier, tk::kNaN,
                                       tk::kIdentifier}));
  const std::vector<std::pair<std::string, std::int32_t>> table = {
      {"var", 257},      {"function", 258}, {"if", 260},       {"else", 261},     {"while", 262},
      {"for", 263},      {"continue", 264}, {"break", 265},    {"return", 266},   {"with", 267},
      {"this", 268},     {"null", 269},     {"true", 270},     {"false", 271},    {"new", 272},
      {"delete", 273},   {"void", 274},     {"typeof", 275},   {"try", 276},      {"catch", 277},
      {"finally", 278},  {"throw", 279},    {"undefined", 280}, {"infinity", 281}, {"in", 282},
      {"case", 283},     {"class", 284},    {"const", 285},    {"debugger", 286}, {"do", 287},
      {"enum", 288},     {"export", 289},   {"extends", 290},  {"import", 291},   {"super", 292},
      {"switch", 293},   {"NaN", 502}};
  for (const auto& [word, code] : table) {
    EXPECT_EQ(Codes(word), std::vector<std::int32_t>{code}) << word;
  }
  EXPECT_EQ(Codes("_x9 x_ variable"),
            (std::vector<std::int32_t>{tk::kIdentifier, tk::kIdentifier, tk::kIdentifier}));
}

TEST(LexerWords, TokenAtTheVeryEndKeepsAllItsBytes) {
  EXPECT_EQ(Lex("abc"), (std::vector<Tok>{{tk::kIdentifier, "abc"}}));
  EXPECT_EQ(Lex("x=12"),
            (std::vector<Tok>{{tk::kIdentifier, "x"}, {tk::kAssign, "="}, {tk::kInteger, "12"}}));
  EXPECT_EQ(Lex("a+"), (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kAdditive, "+", '+'}}));
  EXPECT_EQ(Lex(">>"), (std::vector<Tok>{{tk::kShift, ">>", '>'}}));
  EXPECT_EQ(Lex("!"), (std::vector<Tok>{{tk::kUnaryOp, "!", '!'}}));
  EXPECT_EQ(Lex("1."), (std::vector<Tok>{{tk::kInteger, "1"}, {tk::kDot, "."}}));
}

TEST(LexerNumbers, IntegersFloatsAndTheirLimits) {
  TJLex lex(CodePage::Utf8);
  lex.SetSource("x=1.5e3;");
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kIdentifier);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kAssign);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kFloat);
  EXPECT_DOUBLE_EQ(lex.NumValue(), 1500.0);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kSemicolon);
  EXPECT_FALSE(lex.Next());

  lex.SetSource("0x10 2147483647 007 2.5E-1 1e+2");
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kInteger);
  EXPECT_EQ(lex.IntValue(), 16);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.IntValue(), 2147483647);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.IntValue(), 7);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kFloat);
  EXPECT_DOUBLE_EQ(lex.NumValue(), 0.25);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kFloat);
  EXPECT_DOUBLE_EQ(lex.NumValue(), 100.0);
}

TEST(LexerNumbers, StepBackSplitsNumbersFromWhatFollows) {
  // Hexadecimal letters are not collected.
  EXPECT_EQ(Lex("0x1F"), (std::vector<Tok>{{tk::kInteger, "0x1"}, {tk::kIdentifier, "F"}}));
  // "e" not followed by a sign or digit is stepped back over.
  EXPECT_EQ(Lex("1e"), (std::vector<Tok>{{tk::kInteger, "1"}, {tk::kIdentifier, "e"}}));
  EXPECT_EQ(Lex("1e;"),
            (std::vector<Tok>{{tk::kInteger, "1"}, {tk::kIdentifier, "e"}, {tk::kSemicolon, ";"}}));
  // "." not followed by a digit ends the number: 1.toString is 1 "." toString.
  EXPECT_EQ(Lex("1.toString"), (std::vector<Tok>{{tk::kInteger, "1"},
                                                {tk::kDot, "."},
                                                {tk::kIdentifier, "toString"}}));
}

TEST(LexerNumbers, UnconvertibleLiteralsAreDropped) {
  EXPECT_EQ(Lex("4294967296"), std::vector<Tok>{});
  EXPECT_EQ(Lex("2147483648 x"), (std::vector<Tok>{{tk::kIdentifier, "x"}}));
  EXPECT_EQ(Lex("1.5.3 y"), (std::vector<Tok>{{tk::kIdentifier, "y"}}));
  EXPECT_EQ(Lex("0x ;"), (std::vector<Tok>{{tk::kSemicolon, ";"}}));
  EXPECT_EQ(Lex("12x"), std::vector<Tok>{});
}

TEST(LexerStrings, DoubleQuotedEscapes) {
  EXPECT_EQ(Lex("\"a\\qb\""), (std::vector<Tok>{{tk::kString, "ab"}}));
  EXPECT_EQ(Lex("\"x\\ny\""), (std::vector<Tok>{{tk::kString, "x\r\ny"}}));
  EXPECT_EQ(Lex("\"\\\\\\b\\f\\r\\t\\\"\""),
            (std::vector<Tok>{{tk::kString, std::string("\\\b\f\r\t\"")}}));
  // A single quote inside a double-quoted string is an ordinary byte.
  EXPECT_EQ(Lex("\"it's\""), (std::vector<Tok>{{tk::kString, "it's"}}));
  EXPECT_EQ(Lex("\"\""), (std::vector<Tok>{{tk::kString, ""}}));
}

TEST(LexerStrings, SingleQuotedHasNoEscapes) {
  EXPECT_EQ(Lex("'a\\n'"), (std::vector<Tok>{{tk::kString, "a\\n"}}));
  EXPECT_EQ(Lex("'say \"hi\"'"), (std::vector<Tok>{{tk::kString, "say \"hi\""}}));
  EXPECT_EQ(Lex("'a\\' b"), (std::vector<Tok>{{tk::kString, "a\\"}, {tk::kIdentifier, "b"}}));
}

TEST(LexerStrings, LineBreaksInsideAreKeptAndCounted) {
  TJLex lex(CodePage::Utf8);
  lex.SetSource("'a\nb' \"c\r\nd\" x");
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "a\nb");
  EXPECT_EQ(lex.LineNo(), 2);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "c\r\nd");
  EXPECT_EQ(lex.LineNo(), 3);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "x");
  EXPECT_EQ(lex.LineNo(), 3);
}

TEST(LexerStrings, UnterminatedStringEndsTheInput) {
  EXPECT_EQ(Lex("x 'abc"), (std::vector<Tok>{{tk::kIdentifier, "x"}}));
  EXPECT_EQ(Lex("x \"abc\\"), (std::vector<Tok>{{tk::kIdentifier, "x"}}));
  EXPECT_EQ(Lex("\"abc\\\" y"), std::vector<Tok>{});
}

TEST(LexerCodePages, Utf8TextIsKeptInStringsAndSkippedOutside) {
  const std::string hiragana = "\xE3\x81\x82";  // one character, three bytes
  EXPECT_EQ(Lex("\"" + hiragana + "\""), (std::vector<Tok>{{tk::kString, hiragana}}));
  EXPECT_EQ(Lex("'" + hiragana + "'"), (std::vector<Tok>{{tk::kString, hiragana}}));
  EXPECT_EQ(Lex(hiragana + "x" + hiragana), (std::vector<Tok>{{tk::kIdentifier, "x"}}));
  EXPECT_EQ(Lex("// " + hiragana + "\ny /* " + hiragana + " */"),
            (std::vector<Tok>{{tk::kIdentifier, "y"}}));
}

TEST(LexerCodePages, Cp932TrailBytes) {
  // 0x95 0x5C is a two-byte character whose trail byte has the backslash code.
  const std::string hyo = "\x95\x5C";
  // Single quotes: kept whole.
  EXPECT_EQ(Lex("'" + hyo + "'", CodePage::Cp932), (std::vector<Tok>{{tk::kString, hyo}}));
  // Double quotes: the trail byte starts an escape like any backslash, so scripts double it.
  EXPECT_EQ(Lex("\"" + hyo + "\\\"", CodePage::Cp932), (std::vector<Tok>{{tk::kString, hyo}}));
  EXPECT_EQ(Lex("\"" + hyo + "\"x\"", CodePage::Cp932),
            (std::vector<Tok>{{tk::kString, "\x95\"x"}}));
  // Outside strings a character is skipped whole: the trail byte 0x41 of 0x83 0x41 is not
  // the letter A, and an ideographic space (0x81 0x40) separates like a blank.
  EXPECT_EQ(Lex("\x83\x41", CodePage::Cp932), std::vector<Tok>{});
  EXPECT_EQ(Lex("a\x81\x40" "b", CodePage::Cp932),
            (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kIdentifier, "b"}}));
  // Comments: no trail byte can end a line comment or a block comment early.
  EXPECT_EQ(Lex("// \x95\x5C\x83\x41\nz /* \x95\x5C\x83\x41 */ w", CodePage::Cp932),
            (std::vector<Tok>{{tk::kIdentifier, "z"}, {tk::kIdentifier, "w"}}));
}

TEST(LexerComments, BlockAndLineComments) {
  EXPECT_EQ(Lex("/* a **/x"), (std::vector<Tok>{{tk::kIdentifier, "x"}}));
  EXPECT_EQ(Lex("/*/ still comment */y"), (std::vector<Tok>{{tk::kIdentifier, "y"}}));
  EXPECT_EQ(Lex("/***/z"), (std::vector<Tok>{{tk::kIdentifier, "z"}}));
  EXPECT_EQ(Lex("a /* never closed"), (std::vector<Tok>{{tk::kIdentifier, "a"}}));
  EXPECT_EQ(Lex("a // rest\nb"), (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kIdentifier, "b"}}));
  EXPECT_EQ(Lex("a //"), (std::vector<Tok>{{tk::kIdentifier, "a"}}));
  EXPECT_EQ(Lex("a / b"), (std::vector<Tok>{{tk::kIdentifier, "a"},
                                           {tk::kMultiplicative, "/", '/'},
                                           {tk::kIdentifier, "b"}}));
}

TEST(LexerLines, EveryLineFeedIsCountedOnce) {
  TJLex lex(CodePage::Utf8);
  lex.SetSource("a\nb\r\n\n// c\n/* d\n e */ f\n");
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.LineNo(), 1);  // the line feed after "a" is not read yet
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "b");
  EXPECT_EQ(lex.LineNo(), 2);
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "f");
  EXPECT_EQ(lex.LineNo(), 6);
  EXPECT_FALSE(lex.Next());
  EXPECT_EQ(lex.LineNo(), 7);

  lex.SetSource("x\n");
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.LineNo(), 1);
  EXPECT_FALSE(lex.Next());
  EXPECT_EQ(lex.LineNo(), 2);
}

TEST(LexerSymbols, OperatorTable) {
  const std::vector<std::pair<std::string, Tok>> table = {
      {"!==", {tk::kEquality, "!==", '2'}},    {"!=", {tk::kEquality, "!=", '!'}},
      {"!", {tk::kUnaryOp, "!", '!'}},         {"%=", {tk::kCompoundAssign, "%=", '%'}},
      {"%", {tk::kMultiplicative, "%", '%'}},  {"*=", {tk::kCompoundAssign, "*=", '*'}},
      {"*", {tk::kMultiplicative, "*", '*'}},  {"/=", {tk::kCompoundAssign, "/=", '/'}},
      {"++", {tk::kIncDec, "++", '+'}},        {"--", {tk::kIncDec, "--", '-'}},
      {"+=", {tk::kCompoundAssign, "+=", '+'}}, {"-=", {tk::kCompoundAssign, "-=", '-'}},
      {"-", {tk::kAdditive, "-", '-'}},        {"&&", {tk::kAndAnd, "&&"}},
      {"&=", {tk::kCompoundAssign, "&=", '&'}}, {"&", {tk::kBitAnd, "&"}},
      {"||", {tk::kOrOr, "||"}},               {"|=", {tk::kCompoundAssign, "|=", '|'}},
      {"|", {tk::kBitOr, "|"}},                {"^=", {tk::kCompoundAssign, "^=", '^'}},
      {"^", {tk::kBitXor, "^"}},               {"<=", {tk::kRelational, "<=", '('}},
      {"<<=", {tk::kCompoundAssign, "<<=", '<'}}, {"<<", {tk::kShift, "<<", '<'}},
      {"<", {tk::kRelational, "<", '<'}},      {">=", {tk::kRelational, ">=", ')'}},
      {">>>=", {tk::kCompoundAssign, ">>>=", '3'}}, {">>>", {tk::kShift, ">>>", '3'}},
      {">>=", {tk::kCompoundAssign, ">>=", '>'}}, {">>", {tk::kShift, ">>", '>'}},
      {">", {tk::kRelational, ">", '>'}},      {"===", {tk::kEquality, "===", '3'}},
      {"==", {tk::kEquality, "==", '='}},      {"=", {tk::kAssign, "="}},
      {"~", {tk::kUnaryOp, "~", '~'}},         {"?", {tk::kQuestion, "?"}},
      {":", {tk::kColon, ":"}},                {".", {tk::kDot, "."}},
      {"(", {tk::kLParen, "("}},               {")", {tk::kRParen, ")"}},
      {"{", {tk::kLBrace, "{"}},               {"}", {tk::kRBrace, "}"}},
      {"[", {tk::kLBracket, "["}},             {"]", {tk::kRBracket, "]"}},
      {";", {tk::kSemicolon, ";"}},            {",", {tk::kComma, ","}},
  };
  for (const auto& [text, tok] : table) {
    EXPECT_EQ(Lex(text), std::vector<Tok>{tok}) << text;
    // Followed by an identifier, the look-ahead must step back cleanly.
    EXPECT_EQ(Lex(text + "q"), (std::vector<Tok>{tok, {tk::kIdentifier, "q"}})) << text;
  }
  EXPECT_EQ(Lex("a >>>= 2"), (std::vector<Tok>{{tk::kIdentifier, "a"},
                                              {tk::kCompoundAssign, ">>>=", '3'},
                                              {tk::kInteger, "2"}}));
  EXPECT_EQ(Lex("a+++b"), (std::vector<Tok>{{tk::kIdentifier, "a"},
                                           {tk::kIncDec, "++", '+'},
                                           {tk::kAdditive, "+", '+'},
                                           {tk::kIdentifier, "b"}}));
}

TEST(LexerSymbols, DollarOnlyAfterDotAndUnknownBytesDropped) {
  EXPECT_EQ(Lex("RegExp.$1"),
            (std::vector<Tok>{{tk::kIdentifier, "RegExp"}, {tk::kDot, "."}, {tk::kIdentifier, "$1"}}));
  EXPECT_EQ(Lex("a $ b"), (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kIdentifier, "b"}}));
  EXPECT_EQ(Lex("x.$0"),
            (std::vector<Tok>{{tk::kIdentifier, "x"}, {tk::kDot, "."}, {tk::kInteger, "0"}}));
  EXPECT_EQ(Lex("$1"), (std::vector<Tok>{{tk::kInteger, "1"}}));
  EXPECT_EQ(Lex("a @#`\\ b"), (std::vector<Tok>{{tk::kIdentifier, "a"}, {tk::kIdentifier, "b"}}));
}

TEST(LexerApi, TraceHookInsertTextAndReset) {
  TJLex lex(CodePage::Utf8);
  std::vector<std::string> trace;
  lex.OnLexDebug = [&](std::string_view s) { trace.emplace_back(s); };
  lex.SetSource("foo = 'x' ;");
  while (lex.Next()) {
  }
  EXPECT_EQ(trace, (std::vector<std::string>{"295( foo )", "316( = )", "294( x )", "305( ; )"}));

  lex.SetSource("a; z");
  ASSERT_TRUE(lex.Next());
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.Token(), tk::kSemicolon);
  lex.InsertText(" b c\n");
  std::vector<std::string> rest;
  while (lex.Next()) rest.push_back(lex.TokenText());
  EXPECT_EQ(rest, (std::vector<std::string>{"b", "c", "z"}));
  EXPECT_EQ(lex.LineNo(), 2);

  // Inserting into an exhausted scanner makes it deliver again.
  lex.InsertText("tail");
  EXPECT_FALSE(lex.AtEnd());
  ASSERT_TRUE(lex.Next());
  EXPECT_EQ(lex.TokenText(), "tail");

  lex.SetSource("");
  EXPECT_TRUE(lex.AtEnd());
  EXPECT_FALSE(lex.Next());
  lex.Reset();
  EXPECT_EQ(lex.LineNo(), 1);
  EXPECT_EQ(lex.Position(), 1u);
  EXPECT_EQ(lex.SourceLength(), 0u);
}

}  // namespace
}  // namespace kestrin
