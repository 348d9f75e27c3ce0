#include "regex/regex_matcher.h"

#include <cstring>
#include <string.h>  // memrchr, memmem

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

}  // namespace

void Matcher::Push(std::uint32_t tag, std::uint32_t pc, std::uint32_t value) {
  if (stack_.size() >= stack_limit_) throw ERegexEngine(kStackExceeded, 0);
  stack_.push_back({tag | pc, value});
}

bool Matcher::Run(const Program& prog, std::string_view input, std::uint32_t start, Captures& caps) {
  const unsigned char* const s = Bytes(input);
  const auto end = static_cast<std::uint32_t>(input.size());
  const Inst* const code = prog.code.data();
  const unsigned char* const pool = reinterpret_cast<const unsigned char*>(prog.pool.data());
  const auto* const tables = prog.tables.data();
  stack_.clear();
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
      if (--backtracks_left_ == 0) throw ERegexEngine(kBacktrackLimit, 0);
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
        if (rep.has_hint) {
          next = next < static_cast<long>(bound) ? -1 : LastHintAt(s, bound, static_cast<std::size_t>(next), rep.hint, rep.hint_alt);
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

bool Matcher::Search(const Program& prog, std::string_view input, std::size_t from, Captures& caps) {
  if (input.size() > kMaxInput) throw ERegexEngine(kInputTooLong, 0);
  backtracks_left_ = backtrack_limit_ + 1;
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
      const void* hit = from <= input.size() && input.size() - from >= prog.required.size()
                            ? memmem(input.data() + from, input.size() - from, prog.required.data(),
                                     prog.required.size())
                            : nullptr;
      required_at_ = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - input.data())
                         : std::string_view::npos;
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
    // Every match starts with the prefix: find its first byte, then compare the rest.
    const auto head = static_cast<unsigned char>(prog.prefix[0]);
    const std::size_t rest = prog.prefix.size() - 1;
    for (std::size_t p = from; p + rest < size;) {
      const void* hit = std::memchr(s + p, head, size - rest - p);
      if (!hit) return false;
      p = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - s);
      if (std::memcmp(s + p + 1, prog.prefix.data() + 1, rest) == 0 && try_at(p)) return true;
      ++p;
    }
    return false;
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
