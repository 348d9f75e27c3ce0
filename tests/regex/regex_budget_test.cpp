// The step budget of a call (base + per byte of the subject), shared by the searches of
// one replace, split or walk; the poll hook that lets a host end a long match; and the
// literal hints that keep case-blind searches as quick to reject as case-sensitive ones.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "regex/regex_engine.h"

namespace velkoran::regex {
namespace {

// The error code a call ends with, or 0.
template <typename Call>
int CodeOf(Call call) {
  try {
    call();
    return 0;
  } catch (const ERegexEngine& err) {
    return err.code();
  }
}

// "a?" x 30 then "a" x 30: 2^30 ways to fail before the match with every "a?" empty.
std::string OptionalsThenLiteral() {
  std::string pattern;
  for (int i = 0; i < 30; ++i) pattern += "a?";
  return pattern + std::string(30, 'a');
}

TEST(RegexBudget, ExponentialBacktrackingTurnsLinearWithoutBackReferences) {
  TRegexEngine e;
  e.SetExpression(OptionalsThenLiteral());
  e.set_step_limit(2'000'000, 0);
  ASSERT_TRUE(e.Search(std::string(30, 'a')));
  EXPECT_EQ(e.GroupLength(0), 30);
  e.SetExpression("((a|aa)*c)");
  EXPECT_FALSE(e.Search(std::string(2000, 'a') + "b"));
}

TEST(RegexBudget, ExponentialBacktrackingWithABackReferenceEndsWithTheLimitError) {
  TRegexEngine e;
  e.SetExpression("(a|aa)*b\\1");
  try {
    e.Search(std::string(60, 'a') + "cb");
    FAIL() << "no error";
  } catch (const ERegexEngine& err) {
    EXPECT_EQ(err.code(), kBacktrackLimit);
    EXPECT_EQ(std::string(err.what()), "TRegexEngine(exec): Backtracking Limit Exceeded");
  }
  // A failed call keeps no match, and the next call has its own budget.
  EXPECT_EQ(e.GroupStart(0), -1);
  EXPECT_TRUE(e.Search("aabaa"));
  EXPECT_EQ(e.GroupText(0), "aaba");
}

TEST(RegexBudget, GrowsWithTheSubjectAndIsSharedByTheSearchesOfOneCall) {
  // "(a|b)*c" walks the subject once, a few steps per byte.
  std::string subject;
  for (int i = 0; i < 5000; ++i) subject += "ab";
  subject += 'c';
  TRegexEngine e;
  e.SetExpression("(a|b)*c");
  e.set_step_limit(1000, 10);
  EXPECT_EQ(CodeOf([&] { EXPECT_TRUE(e.Search(subject)); }), 0);
  e.set_step_limit(1000, 0);
  EXPECT_EQ(CodeOf([&] { e.Search(subject); }), kBacktrackLimit);

  // Each search over "a" x 1000 is cheap, the 1000 of a replace together are not.
  const std::string as(1000, 'a');
  e.SetExpression("a");
  e.set_step_limit(200, 0);
  EXPECT_EQ(CodeOf([&] { EXPECT_TRUE(e.Search(as)); EXPECT_TRUE(e.SearchFrom(900)); }), 0);
  EXPECT_EQ(CodeOf([&] { e.ReplaceAll(as, "b"); }), kBacktrackLimit);
  // The failed replace forgets its borrowed subject.
  EXPECT_EQ(CodeOf([&] { e.Input(); }), kInputNotSet);
  e.set_step_limit(200, 10);
  EXPECT_EQ(e.ReplaceAll(as, "b"), std::string(1000, 'b'));
}

TEST(RegexBudget, QuadraticScansCountTheirBytes) {
  // Every start scans the rest of the run of letters and finds no digit: n^2 / 2 bytes.
  TRegexEngine e;
  e.SetExpression("[a-z]*[0-9]");
  e.set_step_limit(10'000, 100);
  EXPECT_EQ(CodeOf([&] { e.Search(std::string(20'000, 'x')); }), kBacktrackLimit);
  EXPECT_EQ(CodeOf([&] { EXPECT_FALSE(e.Search(std::string(50, 'x'))); }), 0);
  // A back-reference compares as many bytes as the group holds: about n^3 / 24 bytes
  // here, against n^2 / 2 tries and choices.
  e.SetExpression("((x*)\\2y)");
  e.set_step_limit(5'000'000, 0);
  EXPECT_EQ(CodeOf([&] { e.Search(std::string(1000, 'x')); }), kBacktrackLimit);
}

TEST(RegexBudget, CaseBlindLiteralsStillRejectAndSkipQuickly) {
  struct Row {
    const char* name;
    const char* pattern;
    std::string subject;
    long start;  // 1-based start of the match, -1 for none
  };
  std::string as(200, 'a');
  const Row rows[] = {
      // Exponential when tried, but the required literal is nowhere.
      {"required, absent", "(?i)(a|aa)*xyz", as, -1},
      {"required, absent, sensitive", "(a|aa)*xyz", as, -1},
      {"required, other case", "(?i)(a|aa)*xyz", "aaXyZ", 1},
      // Only the places where the whole prefix stands are tried.
      {"prefix among its first letters", "(?i)hello", std::string(5000, 'h') + "HeLLo", 5001},
      {"prefix, sensitive", "hello", std::string(5000, 'h') + "hello", 5001},
      {"prefix is no match in another case when sensitive", "hello", "HELLO", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TRegexEngine e;
    e.SetExpression(row.pattern);
    e.set_step_limit(100, 0);
    bool found = false;
    EXPECT_EQ(CodeOf([&] { found = e.Search(row.subject); }), 0);
    EXPECT_EQ(found ? e.GroupStart(0) : -1, row.start);
  }
}

TEST(RegexBudget, ThePollRunsDuringALongMatchAndMayEndIt) {
  TRegexEngine e;
  e.SetExpression("(a|aa)*b\\1");
  int polls = 0;
  e.set_poll([&] {
    if (++polls == 3) throw std::runtime_error("stopped");
  });
  EXPECT_THROW(e.Search(std::string(60, 'a') + "cb"), std::runtime_error);
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(e.GroupStart(0), -1);
  // A quick search does not reach the first poll.
  polls = 0;
  EXPECT_TRUE(e.Search("aabaa"));
  EXPECT_EQ(polls, 0);
}

}  // namespace
}  // namespace velkoran::regex
