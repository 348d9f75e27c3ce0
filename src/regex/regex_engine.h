// TRegexEngine: one compiled pattern with its modifiers, the input it last searched and
// the positions of the last match. The RegExp object, the string methods, the date parser
// and the cookie parser all search through it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/regex_compiler.h"
#include "regex/regex_error.h"
#include "regex/regex_matcher.h"

namespace velkoran::regex {

class TRegexEngine {
 public:
  TRegexEngine() = default;

  // Stores and compiles the pattern when it differs from the current one or the current
  // one did not compile. Compile errors are raised from here.
  void SetExpression(std::string_view pattern);
  const std::string& Expression() const { return pattern_; }
  bool Compiled() const { return program_.has_value(); }

  // Modifiers by letter: 'i' (ignore case), 'r' (extended ranges), 's' (single line), in
  // either case; any other letter raises error 1013. Changing one recompiles the pattern.
  bool GetModifier(char letter) const;
  void SetModifier(char letter, bool on);

  // Stores a copy of the input and searches it from its first byte.
  bool Search(std::string_view input);
  // The same without the copy: the caller keeps the bytes alive and unchanged until the
  // next Search, SearchBorrowed, ReplaceAll or SplitAll, or the engine's end.
  bool SearchBorrowed(std::string_view input);
  // Searches the stored input from a 1-based byte offset.
  bool SearchFrom(long offset);
  // Searches again after the previous match (one byte further after an empty match).
  bool SearchNext();

  // 1-based start, length and text of group n (0 = the whole match); -1, -1 and empty
  // when n is outside 0..14 or the group did not take part.
  long GroupStart(int n) const;
  long GroupLength(int n) const;
  std::string GroupText(int n) const;
  // The highest group that took part (0 when only the whole match did); -1 without input.
  int LastGroup() const;
  std::string_view Input() const;

  // The input with every match replaced by the replacement text, inserted literally.
  // Afterwards no input is stored.
  std::string ReplaceAll(std::string_view input, std::string_view replacement);
  // The pieces of the input around its matches. Afterwards no input is stored.
  std::vector<std::string> SplitAll(std::string_view input);

  // The text of an error code.
  static std::string ErrorMessage(int code) { return ErrorText(code); }

  // Backtracking entries a single search may use before it fails with error 1014.
  void set_stack_limit(std::size_t entries) { matcher_.set_stack_limit(entries); }
  // The steps one call may take before it fails with error 1017: base + perByte x the
  // input's length. Search, SearchBorrowed and SearchFrom start a new budget; SearchNext
  // goes on with what is left, so a ReplaceAll, a SplitAll or a walk over every match
  // stays within one.
  void set_step_limit(std::uint64_t base, std::uint64_t perByte) { matcher_.set_step_limit(base, perByte); }
  // Called every few ten thousand steps while a search runs; it may throw to end the search
  // (the exception passes through the engine unchanged, and no match is kept).
  void set_poll(std::function<void()> poll) { matcher_.set_poll(std::move(poll)); }
  // When a search starts remembering failed choice points (see Matcher).
  void set_memo_after(std::uint64_t steps) { matcher_.set_memo_after(steps); }

 private:
  class BorrowScope;
  void Recompile();
  const Program& RunnableProgram() const;
  bool SearchAt(std::size_t from);
  void ForgetInput();

  std::string pattern_;
  bool compile_failed_ = false;
  Modifiers modifiers_;
  Modifiers compiled_with_;
  std::optional<Program> program_;
  Matcher matcher_;

  std::string owned_input_;  // the copy that Search makes
  std::optional<std::string_view> input_;
  bool matched_ = false;
  Captures caps_{};
};

// Splits the text at every match of the pattern (a temporary engine with default
// modifiers); raises ERegexEngine for a bad pattern.
std::vector<std::string> SplitByPattern(std::string_view pattern, std::string_view text);

}  // namespace velkoran::regex
