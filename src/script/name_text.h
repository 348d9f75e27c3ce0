// Small byte-text helpers shared by the name tables: ASCII case folding, the
// case-insensitive ordinal order of sorted key lists, and trimming of joined lists.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrin {

inline unsigned char LowerAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Ordinal comparison that ignores the case of ASCII letters: negative, zero or positive.
inline int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = LowerAscii(static_cast<unsigned char>(a[i]));
    const unsigned char cb = LowerAscii(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// The text without leading and trailing blanks, tabs and line ends.
inline std::string TrimBlanks(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace kestrin
