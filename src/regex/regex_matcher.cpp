#include "regex/regex_matcher.h"

#include <algorithm>
#include <cstring>
#include <string.h>  // memrchr

#include "regex/regex_error.h"

namespace velkoran::regex {
namespace {

enum : std::uint32_t {
  kTagAlt = 0u << 30,      // resume at pc with the position
  kTagRestore = 1u << 30,  // put a capture slot back
  kTagRepeat = 2u << 30,   // a counted repetition that can give back bytes
  kTagBound = 3u << 30,    // below kTagRepeat: the fewest bytes it may keep
};
constexpr std::uint32_t kTagMask = 3u << 30;

inline const unsigned char* Bytes(std::string_view s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// The greatest k in [lo, hi] with text[k] equal to a or b, or -1. k < size is assumed.
inline long LastHintAt(const unsigned char* text, std::size_t lo, std::size_t hi, unsigned char a,
                       unsigned char b) {
  if (a == b) {
    const void* p = memrchr(text + lo, a, hi - lo + 1);
    return p ? static_cast<long>(static_cast<const unsigned char*>(p) - text) : -1;
  }
  for (std::size_t k = hi + 1; k-- > lo;) {
    if (text[k] == a || text[k] == b) return static_cast<long>(k);
  }
  return -1;
}

// Where needle (folded when fold) first occurs in text at or after from, or npos. The
// candidates come from memchr on the first byte (both of its cases when folded), which
// is far quicker than a general substring search for a rare first byte. The text is
// taken a window at a time, so a case that does not occur costs no scan to the end.
std::size_t Find(std::string_view text, std::size_t from, std::string_view needle, bool fold) {
  if (from > text.size() || text.size() - from < needle.size()) return std::string_view::npos;
  constexpr std::size_t kWindow = 4096;
  const unsigned char* const s = Bytes(text);
  const unsigned char* const n = Bytes(needle);
  const std::size_t m = needle.size();
  const std::size_t last = text.size() - m;  // the last possible start
  const unsigned char other = fold ? InvertCase(n[0]) : n[0];
  const auto matches_at = [&](std::size_t p) {
    if (!fold) return std::memcmp(s + p + 1, n + 1, m - 1) == 0;
    std::size_t i = 1;
    while (i < m && FoldCase(s[p + i]) == n[i]) ++i;
    return i == m;
  };
  for (std::size_t lo = from; lo <= last; lo += kWindow) {
    const std::size_t span = std::min(kWindow, last - lo + 1);
    const auto next = [&](std::size_t at, unsigned char c) -> std::size_t {
      if (at >= lo + span) return std::string_view::npos;
      const void* hit = std::memchr(s + at, c, lo + span - at);
      return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - s) : std::string_view::npos;
    };
    std::size_t a = next(lo, n[0]);
    std::size_t b = other != n[0] ? next(lo, other) : std::string_view::npos;
    while (a != std::string_view::npos || b != std::string_view::npos) {
      const std::size_t p = std::min(a, b);
      if (matches_at(p)) return p;
      if (p == a) a = next(a + 1, n[0]);
      else b = next(b + 1, other);
    }
  }
  return std::string_view::npos;
}

}  // namespace

void Matcher::Push(std::uint32_t tag, std::uint32_t pc, std::uint32_t value) {
  if (stack_.size() >= stack_limit_) throw ERegexEngine(kStackExceeded, 0);
  Charge(1);
  stack_.push_back({tag | pc, value});
}

void Matcher::StartBudget(std::size_t inputSize) {
  std::uint64_t perInput = 0;
  // An overflowing budget is no practical limit.
  if (__builtin_mul_overflow(static_cast<std::uint64_t>(inputSize), steps_per_byte_, &perInput) ||
      __builtin_add_overflow(base_steps_, perInput, &limit_)) {
    limit_ = ~std::uint64_t{0};
  }
  used_ = 0;
  next_check_ = limit_ < kPollSteps ? limit_ : kPollSteps;
}

void Matcher::Checkpoint() {
  if (used_ >= limit_) throw ERegexEngine(kBacktrackLimit, 0);
  if (!memo_on_ && prog_ != nullptr && used_ - search_started_ >= memo_after_) StartMemo();
  // The poll may throw; the next check comes kPollSteps later either way.
  const std::uint64_t room = limit_ - used_;
  next_check_ = used_ + (room < kPollSteps ? room : kPollSteps);
  if (poll_) poll_();
}

bool Matcher::Run(const Program& prog, std::string_view input, std::uint32_t start, Captures& caps) {
  const unsigned char* const s = Bytes(input);
  const auto end = static_cast<std::uint32_t>(input.size());
  const Inst* const code = prog.code.data();
  const unsigned char* const pool = reinterpret_cast<const unsigned char*>(prog.pool.data());
  const auto* const tables = prog.tables.data();
  stack_.clear();
  Charge(1);
  std::uint32_t pc = 0;
  std::uint32_t pos = start;

  for (;;) {
    const Inst& in = code[pc];
    switch (in.op) {
      case Op::kByte:
        if (pos < end && s[pos] == in.a) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case Op::kLiteral:
        if (end - pos >= in.b && std::memcmp(s + pos, pool + in.a, in.b) == 0) {
          pos += in.b;
          ++pc;
          continue;
        }
        break;
      case Op::kLiteralFold: {
        if (end - pos < in.b) break;
        std::uint32_t i = 0;
        while (i < in.b && FoldCase(s[pos + i]) == pool[in.a + i]) ++i;
        if (i < in.b) break;
        pos += in.b;
        ++pc;
        continue;
      }
      case Op::kAnyByte:
        if (pos < end) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case Op::kAnyButLf:
        if (pos < end && s[pos] != '\n') {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case Op::kSet:
        if (pos < end && tables[in.a][s[pos]]) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case Op::kInputStart:
        if (pos == 0) {
          ++pc;
          continue;
        }
        break;
      case Op::kInputEnd:
        if (pos == end) {
          ++pc;
          continue;
        }
        break;
      case Op::kRepeat: {
        if (memo_on_ && Visited(in.choice, pos)) break;
        const std::uint32_t avail = end - pos;
        const std::uint32_t most = in.max < avail ? in.max : avail;
        std::uint32_t n = 0;
        switch (in.rep_kind) {
          case Op::kAnyByte: n = most; break;
          case Op::kAnyButLf: {
            // An empty subject has no bytes to point at; memchr must not see its null pointer.
            const void* lf = most > 0 ? std::memchr(s + pos, '\n', most) : nullptr;
            n = lf ? static_cast<std::uint32_t>(static_cast<const unsigned char*>(lf) - (s + pos)) : most;
            break;
          }
          case Op::kByte: {
            const auto b = static_cast<unsigned char>(in.a);
            while (n < most && s[pos + n] == b) ++n;
            break;
          }
          default: {
            const auto& t = tables[in.a];
            while (n < most && t[s[pos + n]]) ++n;
            break;
          }
        }
        Charge(n);
        if (n < in.min) break;
        std::uint32_t k = n;
        if (in.has_hint) {
          // The next instruction needs its first byte at pos + k, which must exist.
          std::uint32_t hi = n;
          if (pos + hi >= end) {
            if (pos + in.min >= end) break;
            hi = end - 1 - pos;
          }
          const long at = LastHintAt(s, pos + in.min, pos + hi, in.hint, in.hint_alt);
          Charge(at < 0 ? hi - in.min : pos + hi - static_cast<std::uint32_t>(at));
          if (at < 0) break;
          k = static_cast<std::uint32_t>(at) - pos;
        }
        if (k > in.min) {
          Push(kTagBound, 0, pos + in.min);
          Push(kTagRepeat, pc, pos + k);
        }
        pos += k;
        ++pc;
        continue;
      }
      case Op::kSplit:
        if (memo_on_ && Visited(in.choice, pos)) break;
        Push(kTagAlt, in.b, pos);
        pc = in.a;
        continue;
      case Op::kJump:
        pc = in.a;
        continue;
      case Op::kSave:
        Push(kTagRestore, in.a, caps[in.a]);
        caps[in.a] = pos;
        ++pc;
        continue;
      case Op::kBackref: {
        const std::uint32_t gs = caps[2 * in.a], ge = caps[2 * in.a + 1];
        if (gs == kUnset || ge == kUnset || ge < gs) break;
        const std::uint32_t len = ge - gs;
        if (pos >= end || end - pos < len) break;  // fails at the end of the input
        Charge(len);
        bool same;
        if (in.b) {
          std::uint32_t i = 0;
          while (i < len && FoldCase(s[gs + i]) == FoldCase(s[pos + i])) ++i;
          same = i == len;
        } else {
          same = std::memcmp(s + gs, s + pos, len) == 0;
        }
        if (!same) break;
        pos += len;
        ++pc;
        continue;
      }
      case Op::kMatch:
        caps[0] = start;
        caps[1] = pos;
        return true;
    }

    // Failure: resume at the most recent choice, undoing captures on the way.
    for (;;) {
      if (stack_.empty()) return false;
      Frame& f = stack_.back();
      const std::uint32_t tag = f.tag_pc & kTagMask;
      const std::uint32_t id = f.tag_pc & ~kTagMask;
      if (tag == kTagRestore) {
        caps[id] = f.value;
        stack_.pop_back();
        continue;
      }
      Charge(1);
      if (tag == kTagAlt) {
        pc = id;
        pos = f.value;
        stack_.pop_back();
        break;
      }
      if (tag == kTagRepeat) {
        const Inst& rep = code[id];
        const std::uint32_t bound = stack_[stack_.size() - 2].value;
        long next = static_cast<long>(f.value) - 1;
        if (rep.has_hint && next >= static_cast<long>(bound)) {
          const long from = next;
          next = LastHintAt(s, bound, static_cast<std::size_t>(next), rep.hint, rep.hint_alt);
          Charge(static_cast<std::uint64_t>(from - (next < 0 ? static_cast<long>(bound) : next)));
        }
        if (next < static_cast<long>(bound)) {
          stack_.pop_back();
          stack_.pop_back();
          continue;
        }
        pos = static_cast<std::uint32_t>(next);
        pc = id + 1;
        if (pos == bound) {
          stack_.pop_back();
          stack_.pop_back();
        } else {
          f.value = pos;
        }
        break;
      }
      throw ERegexEngine(kCorruptedProgram, 0);  // a bound without its repetition
    }
  }
}

void Matcher::StartMemo() {
  const Program& prog = *prog_;
  prog_ = nullptr;  // one attempt per search
  if (prog.has_backrefs || prog.choice_count == 0) return;
  const std::size_t span = search_end_ - search_from_ + 1;
  if (span > kMemoMaxBytes * 8 / prog.choice_count) return;
  memo_.assign((static_cast<std::size_t>(prog.choice_count) * span + 63) / 64, 0);
  memo_from_ = search_from_;
  memo_span_ = span;
  memo_on_ = true;
}

bool Matcher::Search(const Program& prog, std::string_view input, std::size_t from, Captures& caps) {
  if (input.size() > kMaxInput) throw ERegexEngine(kInputTooLong, 0);
  // Remembered failures hold for this search only: a later one may pass a point that
  // took part in this one's match.
  prog_ = &prog;
  search_from_ = from;
  search_end_ = input.size();
  search_started_ = used_;
  memo_on_ = false;
  if (memo_after_ == 0) StartMemo();
  const std::size_t size = input.size();
  const int slots = 2 * (prog.group_count + 1);
  const auto clear = [&] {
    for (int i = 0; i < slots; ++i) caps[i] = kUnset;
  };

  // A literal that every match contains must occur from `from` on.
  if (!prog.required.empty()) {
    if (required_at_ == kNotSearched || from < required_from_ ||
        (required_at_ != std::string_view::npos && from > required_at_)) {
      required_from_ = from;
      required_at_ = Find(input, from, prog.required, prog.required_fold);
    }
    if (required_at_ == std::string_view::npos) return false;
  }

  const auto try_at = [&](std::size_t p) {
    clear();
    return Run(prog, input, static_cast<std::uint32_t>(p), caps);
  };

  if (prog.anchored) return try_at(from);
  if (prog.start_only) return from < size && try_at(from);

  const unsigned char* const s = Bytes(input);
  if (!prog.prefix.empty()) {
    // Every match starts with the prefix.
    for (std::size_t p = from;; ++p) {
      p = Find(input, p, prog.prefix, prog.prefix_fold);
      if (p == std::string_view::npos) return false;
      if (try_at(p)) return true;
    }
  }
  if (prog.first_any) {
    for (std::size_t p = from; p < size; ++p)
      if (try_at(p)) return true;
    return false;
  }
  const auto& first = prog.first_table;
  for (std::size_t p = from; p < size; ++p) {
    if (first[s[p]] && try_at(p)) return true;
  }
  return false;
}

}  // namespace velkoran::regex
