// Small byte-text helpers shared by the name tables: ASCII case folding and the
// case-insensitive ordinal order of sorted key lists (both from platform/ascii.h), and
// joining and trimming of name lists.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ascii.h"

namespace kestrin {

using velkoran::platform::CompareAsciiNoCase;
using velkoran::platform::FoldAscii;

// The text without leading and trailing blanks, tabs and line ends.
inline std::string TrimBlanks(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A name list as scripts see it: joined by CR LF, blanks trimmed from both ends.
inline std::string NameListText(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += "\r\n";
    out += n;
  }
  return TrimBlanks(std::move(out));
}

}  // namespace kestrin
