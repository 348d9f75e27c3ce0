// Random patterns over a small alphabet, matched by our engine and by std::regex
// (ECMAScript, whose backtracking order is the same: leftmost start, alternatives left to
// right, greedy quantifiers). The whole match must agree wherever both rule sets define it.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "regex/regex_engine.h"

namespace velkoran::regex {
namespace {

class PatternMaker {
 public:
  explicit PatternMaker(std::uint32_t seed) : rng_(seed) {}

  std::string Pattern(int depth = 0) {
    std::string p = Sequence(depth);
    if (depth < 2 && Chance(4)) p += "|" + Sequence(depth);
    return p;
  }
  std::string Subject() {
    std::string s;
    const int len = Pick(12);
    for (int i = 0; i < len; ++i) s += "abcAB"[Pick(5)];
    return s;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int one_in) { return Pick(one_in) == 0; }

  std::string Sequence(int depth) {
    std::string s;
    const int pieces = 1 + Pick(3);
    for (int i = 0; i < pieces; ++i) s += Piece(depth);
    return s;
  }
  std::string Piece(int depth) {
    std::string atom;
    bool simple = true;
    switch (Pick(depth < 2 ? 6 : 5)) {
      case 0: atom = "a"; break;
      case 1: atom = "b"; break;
      case 2: atom = "."; break;
      case 3: atom = "[ab]"; break;
      case 4: atom = "[^a]"; break;
      default: atom = "(" + Pattern(depth + 1) + ")"; simple = false; break;
    }
    switch (Pick(7)) {
      case 0: return atom + "*";
      case 1: return atom + "+";
      case 2: return atom + "?";
      case 3: return simple ? atom + "{1,2}" : atom;
      default: return atom;
    }
  }
  std::mt19937 rng_;
};

TEST(RegexDifferential, WholeMatchAgreesWithBacktrackingReference) {
  PatternMaker maker(20261207);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string pattern = maker.Pattern();
    const bool fold = round % 3 == 0;  // every third pattern ignores case
    TRegexEngine ours;
    // The same program remembering failed choice points from its first step must find
    // exactly the same match and groups.
    TRegexEngine memo;
    memo.set_memo_after(0);
    try {
      ours.SetExpression(fold ? "(?i)" + pattern : pattern);
      memo.SetExpression(fold ? "(?i)" + pattern : pattern);
    } catch (const ERegexEngine& e) {
      ASSERT_EQ(e.code(), kOperandCouldBeEmpty) << pattern;  // the only rule std::regex lacks
      continue;
    }
    const std::regex reference(pattern, fold ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript);
    for (int k = 0; k < 6; ++k) {
      const std::string subject = maker.Subject();
      std::smatch m;
      bool ref_found = std::regex_search(subject, m, reference);
      // Our engine never tries the end position of a non-empty input, nor an empty one.
      if (ref_found && m.position(0) == static_cast<long>(subject.size())) ref_found = false;
      const bool found = ours.Search(subject);
      ASSERT_EQ(found, ref_found) << pattern << " on " << subject;
      ASSERT_EQ(memo.Search(subject), found) << pattern << " on " << subject;
      for (int g = 0; g <= kMaxGroups && found; ++g) {
        ASSERT_EQ(memo.GroupStart(g), ours.GroupStart(g)) << pattern << " on " << subject << " group " << g;
        ASSERT_EQ(memo.GroupLength(g), ours.GroupLength(g)) << pattern << " on " << subject << " group " << g;
      }
      if (found) {
        ASSERT_EQ(ours.GroupStart(0) - 1, m.position(0)) << pattern << " on " << subject;
        ASSERT_EQ(ours.GroupLength(0), m.length(0)) << pattern << " on " << subject;
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 5000);
}

}  // namespace
}  // namespace velkoran::regex

namespace velkoran::regex {
namespace {

// Any byte soup of metacharacters either compiles or fails with a numbered error, and
// whatever compiles matches random input without fault (run under the sanitizers too).
TEST(RegexRobustness, RandomPatternsCompileOrFailCleanly) {
  std::mt19937 rng(7);
  const std::string alphabet = "ab.^$[]()|?*+{}\\-,0123456789xdswDSW#i:";
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string pattern;
    const int len = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < len; ++i) pattern += alphabet[rng() % alphabet.size()];
    TRegexEngine e;
    try {
      e.SetExpression(pattern);
    } catch (const ERegexEngine& err) {
      EXPECT_TRUE(err.code() >= 100 && err.code() < 1000) << pattern;
      EXPECT_NE(std::string(err.what()).find("(pos "), std::string::npos);
      continue;
    }
    ++compiled;
    std::string subject;
    for (int i = 0; i < 16; ++i) subject += "ab0 -\n{}"[rng() % 8];
    for (bool found = e.Search(subject); found; found = e.SearchNext()) {
      ASSERT_GE(e.GroupStart(0), 1);
      ASSERT_LE(e.GroupStart(0) - 1 + e.GroupLength(0), static_cast<long>(subject.size()));
      for (int g = 1; g <= e.LastGroup(); ++g) {
        if (e.GroupStart(g) > 0) {
          ASSERT_LE(e.GroupStart(g) - 1 + e.GroupLength(g), static_cast<long>(subject.size()));
        }
      }
    }
  }
  EXPECT_GT(compiled, 2000);
}

}  // namespace
}  // namespace velkoran::regex
