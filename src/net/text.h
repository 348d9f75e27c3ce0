// The small text steps the protocol code shares: blanks trimmed, ASCII letters lowered
// (protocol names and keywords are ASCII; other bytes stay as they are).
#pragma once

#include <string>
#include <string_view>

#include "platform/ascii.h"
#include "script/hash_table.h"

namespace velkoran::net {

inline std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

inline std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = platform::FoldAscii(c);
  return out;
}

// Adds every name and text of a string table to another (headers, cookie values).
inline void CopyTable(const kestrin::TStringHashTable& from, kestrin::TStringHashTable& to) {
  for (const std::string& key : from.Keys()) to.AddString(key, from.GetText(key));
}

}  // namespace velkoran::net
