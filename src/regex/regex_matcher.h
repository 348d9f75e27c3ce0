// The backtracking matcher: runs a compiled program over a byte string. Backtracking uses
// an explicit stack of its own (never the call stack), so long inputs cannot overflow the
// thread's stack; a stack that outgrows its limit raises error 1014.
#pragma once

#include <array>
#include <cstdint>
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
  // Backtracking steps one search may take before it fails with error 1017, so that a
  // pattern with exponential backtracking ends instead of hanging its caller.
  static constexpr std::uint64_t kDefaultBacktrackLimit = 1'000'000'000;
  void set_backtrack_limit(std::uint64_t steps) { backtrack_limit_ = steps; }

 private:
  struct Frame {
    std::uint32_t tag_pc;  // kind in the top two bits, instruction or slot below
    std::uint32_t value;   // a position or a saved slot value
  };

  bool Run(const Program& prog, std::string_view input, std::uint32_t start, Captures& caps);
  void Push(std::uint32_t tag, std::uint32_t pc, std::uint32_t value);

  static constexpr std::size_t kNotSearched = ~std::size_t{0};
  std::vector<Frame> stack_;
  std::size_t stack_limit_ = kDefaultStackLimit;
  std::uint64_t backtrack_limit_ = kDefaultBacktrackLimit;
  std::uint64_t backtracks_left_ = 0;
  // Where the program's required literal was last found in the current input.
  std::size_t required_at_ = kNotSearched;
  std::size_t required_from_ = 0;
};

}  // namespace velkoran::regex
