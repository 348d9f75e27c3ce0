// Compiling any pattern under any modifiers and walking, replacing and splitting any
// subject with a small step budget: compile errors are numbered below 1000, a search
// ends with a match, no match or error 1014/1017 (never another error, never a timeout:
// a slow input here is work the budget does not count), matches lie inside the subject,
// and remembering failed choice points from the first step changes no result.
//
// Input: a modifier byte (bit 0: i, bit 1: r off, bit 2: s off), a pattern length byte,
// the pattern, then the subject.
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "regex/regex_engine.h"

using namespace velkoran;
using regex::ERegexEngine;
using regex::TRegexEngine;

namespace {

struct Walk {
  std::vector<long> positions;  // start and length of every group of every match
  int error = 0;
};

bool Setup(TRegexEngine& e, std::uint8_t modifiers, std::string_view pattern) {
  e.set_step_limit(200'000, 200);
  e.SetModifier('i', modifiers & 1);
  e.SetModifier('r', !(modifiers & 2));
  e.SetModifier('s', !(modifiers & 4));
  try {
    e.SetExpression(pattern);
    return true;
  } catch (const ERegexEngine& err) {
    FUZZ_CHECK(err.code() >= 100 && err.code() < 1000);
    FUZZ_CHECK(!pattern.empty() || err.code() == regex::kNullArgument);
    return false;
  }
}

bool AllowedRunError(int code) { return code == regex::kStackExceeded || code == regex::kBacktrackLimit; }

Walk WalkAll(TRegexEngine& e, std::string_view subject) {
  Walk w;
  try {
    for (bool found = e.SearchBorrowed(subject); found && w.positions.size() < 4096; found = e.SearchNext()) {
      FUZZ_CHECK(e.LastGroup() >= 0);
      for (int g = 0; g <= regex::kMaxGroups; ++g) {
        const long start = e.GroupStart(g), length = e.GroupLength(g);
        if (g == 0) FUZZ_CHECK(start >= 1);
        FUZZ_CHECK(start == -1 || (length >= 0 && start - 1 + length <= static_cast<long>(subject.size())));
        FUZZ_CHECK(static_cast<long>(e.GroupText(g).size()) == (start == -1 ? 0 : length));
        w.positions.push_back(start);
        w.positions.push_back(length);
      }
    }
  } catch (const ERegexEngine& err) {
    FUZZ_CHECK(AllowedRunError(err.code()));
    w.error = err.code();
  }
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view input = fuzzing::Bytes(data, size);
  const std::uint8_t modifiers = data[0];
  const std::string_view pattern = input.substr(2, std::min<std::size_t>(data[1], size - 2));
  const std::string_view subject = input.substr(2 + pattern.size());

  TRegexEngine plain, memo;
  if (!Setup(plain, modifiers, pattern)) return 0;
  FUZZ_CHECK(Setup(memo, modifiers, pattern));
  memo.set_memo_after(0);

  const Walk a = WalkAll(plain, subject);
  const Walk b = WalkAll(memo, subject);
  if (a.error == 0 && b.error == 0) FUZZ_CHECK(a.positions == b.positions);

  try {
    const std::vector<std::string> pieces = plain.SplitAll(subject);
    std::size_t kept = 0;
    for (const std::string& p : pieces) kept += p.size();
    FUZZ_CHECK(!pieces.empty() && kept <= subject.size());
    const std::string replaced = plain.ReplaceAll(subject, "<>");
    FUZZ_CHECK(replaced.size() == kept + 2 * (pieces.size() - 1));
  } catch (const ERegexEngine& err) {
    FUZZ_CHECK(AllowedRunError(err.code()));
  }
  // Nothing borrowed survives a replace or a split.
  try {
    plain.Input();
    FUZZ_CHECK(false);
  } catch (const ERegexEngine& err) {
    FUZZ_CHECK(err.code() == regex::kInputNotSet);
  }
  return 0;
}
