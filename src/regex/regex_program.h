// The compiled form of a pattern: a flat instruction list run by the backtracking matcher,
// the literal and byte-set pools it refers to, and the hints that let a search reject most
// start positions without running the matcher.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace velkoran::regex {

using ByteSet = std::bitset<256>;
using ByteWords = std::array<std::uint64_t, 4>;

using ByteTable = std::array<std::uint8_t, 256>;

inline bool Has(const ByteWords& w, unsigned char c) { return (w[c >> 6] >> (c & 63)) & 1; }

inline ByteWords ToWords(const ByteSet& s) {
  static const ByteSet kLow64(~std::uint64_t{0});
  ByteWords w{};
  for (std::size_t i = 0; i < 4; ++i) w[i] = ((s >> (64 * i)) & kLow64).to_ullong();
  return w;
}

// A lookup table (1 = member): the fastest test in the matcher's inner loops.
inline ByteTable ToTable(const ByteSet& s) {
  const ByteWords w = ToWords(s);
  ByteTable t{};
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::uint64_t bits = w[i]; bits != 0; bits &= bits - 1)
      t[i * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))] = 1;
  }
  return t;
}

// Maximum count of a repetition ("unbounded" for *, + and {n,}).
inline constexpr std::uint32_t kRepeatInfinite = 2147483646;
// Groups 1..kMaxGroups capture; slot 2n/2n+1 hold a group's start and end.
inline constexpr int kMaxGroups = 14;
inline constexpr int kSlotCount = 2 * (kMaxGroups + 1);

enum class Op : std::uint8_t {
  kByte,         // one byte equal to `a`
  kLiteral,      // bytes pool[a .. a+b) exactly
  kLiteralFold,  // bytes pool[a .. a+b) (stored folded) compared without regard to case
  kAnyByte,      // any byte
  kAnyButLf,     // any byte except LF
  kSet,          // a byte in sets[a]
  kInputStart,   // position 0 only
  kInputEnd,     // the end of the input only
  kRepeat,       // simple operand `rep_kind`/`a` repeated min..max times, greedy
  kSplit,        // try `a` first, then `b`
  kJump,         // continue at `a`
  kSave,         // record the position into capture slot `a`
  kBackref,      // the text of group `a`; `b` != 0 compares without regard to case
  kMatch,
};

struct Inst {
  Op op;
  Op rep_kind = Op::kByte;  // for kRepeat: kByte, kAnyByte, kAnyButLf or kSet
  // For kRepeat: when the next instruction starts with a known byte, only counts after
  // which the input holds `hint` (or `hint_alt`) are tried.
  bool has_hint = false;
  std::uint8_t hint = 0;
  std::uint8_t hint_alt = 0;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::uint32_t min = 0;
  std::uint32_t max = 0;
  std::uint32_t choice = 0;  // kSplit, kRepeat: the number of this choice point
};

struct Program {
  std::vector<Inst> code;
  std::string pool;           // literal bytes
  std::vector<ByteSet> sets;  // byte sets of classes and escape classes
  // The same sets as lookup tables.
  std::vector<ByteTable> tables;
  int group_count = 0;        // highest group number in the pattern
  // Choice points (kSplit, kRepeat), numbered from 0. Without back-references whether a
  // choice point succeeds depends only on the position, so a search may remember the
  // ones that failed.
  std::uint32_t choice_count = 0;
  bool has_backrefs = false;

  // Search hints.
  bool anchored = false;      // starts with "^": try only at the search offset
  bool start_only = false;    // starts with ".*": a failure at the offset fails everywhere
  ByteSet first_bytes;        // bytes at which a match can start
  ByteTable first_table{};    // first_bytes as a lookup table
  bool first_any = true;      // every byte can start a match (first_bytes unused)
  std::string prefix;         // every match starts with these bytes (may be empty)
  std::string required;       // every match contains these bytes (may be empty)
  // The prefix or the required bytes are stored folded (FoldCase) and compare without
  // regard to case.
  bool prefix_fold = false;
  bool required_fold = false;
};

// Case inversion of the system's byte-string casing: letters A-Z and a-z swap case, all
// other bytes (including those of multi-byte characters) stay.
inline std::uint8_t InvertCase(std::uint8_t c) {
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c + 32);
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 32);
  return c;
}
inline std::uint8_t FoldCase(std::uint8_t c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<std::uint8_t>(c + 32) : c;
}

}  // namespace velkoran::regex
