#include "regex/regex_engine.h"

namespace velkoran::regex {

void TRegexEngine::SetExpression(std::string_view pattern) {
  if (pattern == pattern_ && program_ && !compile_failed_) return;
  pattern_.assign(pattern);
  Recompile();
}

void TRegexEngine::Recompile() {
  program_.reset();
  compile_failed_ = false;
  matched_ = false;
  matcher_.ResetInput();
  try {
    program_ = Compile(pattern_, modifiers_);
    compiled_with_ = modifiers_;
  } catch (const ERegexEngine&) {
    compile_failed_ = true;
    throw;
  }
}

bool TRegexEngine::GetModifier(char letter) const {
  switch (letter) {
    case 'i': case 'I': return modifiers_.ignore_case;
    case 'r': case 'R': return modifiers_.extended_ranges;
    case 's': case 'S': return modifiers_.single_line;
    default: throw ERegexEngine(kBadModifier, 0);
  }
}

void TRegexEngine::SetModifier(char letter, bool on) {
  switch (letter) {
    case 'i': case 'I': modifiers_.ignore_case = on; break;
    case 'r': case 'R': modifiers_.extended_ranges = on; break;
    case 's': case 'S': modifiers_.single_line = on; break;
    default: throw ERegexEngine(kBadModifier, 0);
  }
  if (!pattern_.empty() && (compile_failed_ || (program_ && !(compiled_with_ == modifiers_)))) {
    Recompile();
  }
}

const Program& TRegexEngine::RunnableProgram() const {
  if (compile_failed_) throw ERegexEngine(kAfterCompileError, 0);
  if (!program_) throw ERegexEngine(kNoExpression, 0);
  if (program_->code.empty() || program_->code.back().op != Op::kMatch)
    throw ERegexEngine(kCorruptedProgram, 0);
  return *program_;
}

bool TRegexEngine::SearchAt(std::size_t from) {
  const Program& prog = RunnableProgram();
  matched_ = false;
  if (from > input_->size()) return false;
  matched_ = matcher_.Search(prog, *input_, from, caps_);
  return matched_;
}

bool TRegexEngine::Search(std::string_view input) {
  RunnableProgram();
  if (input.size() > kMaxInput) throw ERegexEngine(kInputTooLong, 0);
  owned_input_.assign(input);
  input_.emplace(owned_input_);
  matcher_.ResetInput();
  matcher_.StartBudget(input.size());
  return SearchAt(0);
}

bool TRegexEngine::SearchBorrowed(std::string_view input) {
  RunnableProgram();
  if (input.size() > kMaxInput) throw ERegexEngine(kInputTooLong, 0);
  input_.emplace(input);
  matcher_.ResetInput();
  matcher_.StartBudget(input.size());
  return SearchAt(0);
}

bool TRegexEngine::SearchFrom(long offset) {
  RunnableProgram();
  if (!input_) throw ERegexEngine(kNoInput, 0);
  if (offset < 1) throw ERegexEngine(kOffsetBelowOne, 0);
  matcher_.StartBudget(input_->size());
  return SearchAt(static_cast<std::size_t>(offset - 1));
}

bool TRegexEngine::SearchNext() {
  RunnableProgram();
  if (!input_ || !matched_) throw ERegexEngine(kNextWithoutSearch, 0);
  std::size_t from = caps_[1];
  if (caps_[1] == caps_[0]) ++from;
  return SearchAt(from);
}

long TRegexEngine::GroupStart(int n) const {
  if (!matched_ || n < 0 || n > kMaxGroups || n > program_->group_count) return -1;
  const std::uint32_t s = caps_[2 * n], e = caps_[2 * n + 1];
  if (s == kUnset || e == kUnset || e < s) return -1;
  return static_cast<long>(s) + 1;
}

long TRegexEngine::GroupLength(int n) const {
  if (GroupStart(n) < 0) return -1;
  return static_cast<long>(caps_[2 * n + 1] - caps_[2 * n]);
}

std::string TRegexEngine::GroupText(int n) const {
  const long start = GroupStart(n);
  if (start < 0) return {};
  return std::string(input_->substr(static_cast<std::size_t>(start - 1),
                                    static_cast<std::size_t>(GroupLength(n))));
}

int TRegexEngine::LastGroup() const {
  if (!input_) return -1;
  if (!matched_) return -1;
  for (int n = program_->group_count; n > 0; --n)
    if (GroupStart(n) > 0) return n;
  return 0;
}

std::string_view TRegexEngine::Input() const {
  if (!input_) throw ERegexEngine(kInputNotSet, 0);
  return *input_;
}

// Forgets a borrowed input however the walk over it ends, so no later call reads it.
class TRegexEngine::BorrowScope {
 public:
  explicit BorrowScope(TRegexEngine& engine) : engine_(engine) {}
  ~BorrowScope() { engine_.ForgetInput(); }
  BorrowScope(const BorrowScope&) = delete;
  BorrowScope& operator=(const BorrowScope&) = delete;

 private:
  TRegexEngine& engine_;
};

std::string TRegexEngine::ReplaceAll(std::string_view input, std::string_view replacement) {
  const BorrowScope borrowed(*this);
  std::string out;
  std::size_t copied = 0;
  for (bool found = SearchBorrowed(input); found; found = SearchNext()) {
    out.append(input.substr(copied, caps_[0] - copied));
    out.append(replacement);
    copied = caps_[1];
  }
  out.append(input.substr(copied));
  return out;
}

std::vector<std::string> TRegexEngine::SplitAll(std::string_view input) {
  const BorrowScope borrowed(*this);
  std::vector<std::string> pieces;
  std::size_t copied = 0;
  for (bool found = SearchBorrowed(input); found; found = SearchNext()) {
    pieces.emplace_back(input.substr(copied, caps_[0] - copied));
    copied = caps_[1];
  }
  pieces.emplace_back(input.substr(copied));
  return pieces;
}

void TRegexEngine::ForgetInput() {
  input_.reset();
  matched_ = false;
  matcher_.ResetInput();
}

std::vector<std::string> SplitByPattern(std::string_view pattern, std::string_view text) {
  TRegexEngine engine;
  engine.SetExpression(pattern);
  return engine.SplitAll(text);
}

}  // namespace velkoran::regex
