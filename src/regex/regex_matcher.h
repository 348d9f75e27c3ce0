// The backtracking matcher: runs a compiled program over a byte string. Backtracking uses
// an explicit stack of its own (never the call stack), so long inputs cannot overflow the
// thread's stack; a stack that outgrows its limit raises error 1014.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "regex/regex_program.h"

namespace velkoran::regex {

// Positions are byte offsets; kUnset marks a group that did not take part.
inline constexpr std::uint32_t kUnset = 0xFFFFFFFFu;
// The longest input the matcher takes (positions and kUnset fit 32 bits).
inline constexpr std::size_t kMaxInput = 0xFFFFFFF0u;
using Captures = std::array<std::uint32_t, kSlotCount>;

class Matcher {
 public:
  // Default limit of backtracking entries (8 bytes each).
  static constexpr std::size_t kDefaultStackLimit = std::size_t{1} << 26;

  // Finds the leftmost match that starts at or after `from` (a 0-based offset no greater
  // than the input's length). On success `caps` holds the match (slots 0 and 1) and groups.
  bool Search(const Program& prog, std::string_view input, std::size_t from, Captures& caps);

  // Forget what is cached about the current input (call when the input changes).
  void ResetInput() { required_at_ = kNotSearched; }

  void set_stack_limit(std::size_t entries) { stack_limit_ = entries; }

  // Every search runs within a budget of steps (a try at a start position, a choice
  // pushed or taken back, a byte scanned by a repetition or compared by a back-reference),
  // so that a pattern with exponential or quadratic backtracking ends with error 1017
  // instead of hanging its caller. StartBudget gives base + perByte x input size steps to
  // the searches that follow, until the next StartBudget.
  static constexpr std::uint64_t kDefaultBaseSteps = 10'000'000;
  static constexpr std::uint64_t kDefaultStepsPerByte = 500;
  void set_step_limit(std::uint64_t base, std::uint64_t perByte) {
    base_steps_ = base;
    steps_per_byte_ = perByte;
  }
  void StartBudget(std::size_t inputSize);
  // Called every kPollSteps steps of matching, so a host can end a long search (by
  // throwing) while it goes on.
  static constexpr std::uint64_t kPollSteps = 1 << 16;
  void set_poll(std::function<void()> poll) { poll_ = std::move(poll); }

  // A search that has taken this many steps starts remembering the failed choice points
  // of a program without back-references, so exponential backtracking turns linear (the
  // results stay the same: only paths that cannot succeed are cut). 0: from the start.
  static constexpr std::uint64_t kDefaultMemoAfter = std::uint64_t{1} << 18;
  void set_memo_after(std::uint64_t steps) { memo_after_ = steps; }

 private:
  struct Frame {
    std::uint32_t tag_pc;  // kind in the top two bits, instruction or slot below
    std::uint32_t value;   // a position or a saved slot value
  };

  bool Run(const Program& prog, std::string_view input, std::uint32_t start, Captures& caps);
  void Push(std::uint32_t tag, std::uint32_t pc, std::uint32_t value);
  void Charge(std::uint64_t steps) {
    used_ += steps;
    if (used_ >= next_check_) Checkpoint();
  }
  void Checkpoint();
  void StartMemo();
  // True when the choice point was tried at pos before in this search (and so failed);
  // marks it tried otherwise.
  bool Visited(std::uint32_t choice, std::uint32_t pos) {
    const std::size_t bit = static_cast<std::size_t>(choice) * memo_span_ + (pos - memo_from_);
    std::uint64_t& word = memo_[bit >> 6];
    const std::uint64_t mask = std::uint64_t{1} << (bit & 63);
    if (word & mask) return true;
    word |= mask;
    return false;
  }

  static constexpr std::size_t kNotSearched = ~std::size_t{0};
  std::vector<Frame> stack_;
  std::size_t stack_limit_ = kDefaultStackLimit;
  std::uint64_t base_steps_ = kDefaultBaseSteps;
  std::uint64_t steps_per_byte_ = kDefaultStepsPerByte;
  std::uint64_t used_ = 0;        // steps taken since StartBudget
  std::uint64_t limit_ = kDefaultBaseSteps;
  std::uint64_t next_check_ = kPollSteps;  // the step count of the next Checkpoint
  std::function<void()> poll_;

  static constexpr std::size_t kMemoMaxBytes = std::size_t{64} << 20;
  std::uint64_t memo_after_ = kDefaultMemoAfter;
  const Program* prog_ = nullptr;    // of the running search, until the memo is tried
  std::size_t search_from_ = 0;
  std::size_t search_end_ = 0;
  std::uint64_t search_started_ = 0;  // used_ when the search began
  bool memo_on_ = false;
  std::vector<std::uint64_t> memo_;
  std::size_t memo_from_ = 0;
  std::size_t memo_span_ = 0;
  // Where the program's required literal was last found in the current input.
  std::size_t required_at_ = kNotSearched;
  std::size_t required_from_ = 0;
};

}  // namespace velkoran::regex
