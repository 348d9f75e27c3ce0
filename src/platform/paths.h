// Path rules of the file manager, kept pure so both rule sets stay testable on any host.
// POSIX is the rule set used at run time; the Windows set is kept for the port and scans
// code-page-aware, so a CP932 trail byte 0x5C is never taken for a separator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace velkoran::platform {

enum class PathStyle { Posix, Windows };

class PathRules {
 public:
  PathRules(PathStyle style, CodePage cp) : style_(style), cp_(cp) {}

  PathStyle style() const { return style_; }
  char Separator() const { return style_ == PathStyle::Windows ? '\\' : '/'; }

  // True when the byte at pos is a separator and not the trail byte of a character.
  bool IsSeparatorAt(std::string_view path, std::size_t pos) const;
  bool HasTrailingSeparator(std::string_view path) const;

  // Adds one separator when the path does not end in one; an empty path stays empty.
  std::string AddTrailingSeparator(std::string_view path) const;
  // Removes one trailing separator, if present.
  std::string RemoveTrailingSeparator(std::string_view path) const;

  // The text before the last separator (a trailing separator is ignored). A root keeps its
  // separator ("/" and "C:\"); the parent of a root or of a bare name is empty.
  std::string ParentPath(std::string_view path) const;
  // The text after the last separator (a trailing separator is ignored).
  std::string LastComponent(std::string_view path) const;
  // dir with a separator added when missing, then name.
  std::string Join(std::string_view dir, std::string_view name) const;

  // True for "/" (POSIX) and for "C:", "C:\" and "\\server\" roots (Windows).
  bool IsRoot(std::string_view path) const;

  // The prefixes a path lookup descends through, shortest first: "/a/b/" gives "/", "/a",
  // "/a/b"; "C:\a\b\" gives "C:", "C:\a", "C:\a\b"; "\\host\share\" gives "\\host",
  // "\\host\share".
  std::vector<std::string> WantedPrefixes(std::string_view path) const;

  // Positions of every separator in the path, in order.
  std::vector<std::size_t> SeparatorPositions(std::string_view path) const;

 private:
  PathStyle style_;
  CodePage cp_;
};

// The rule set in use at run time.
const PathRules& HostPaths();

// File masks: "*" any run, "?" any one character, "[set]" one character of the set with
// ranges ("a-z") and a leading "!" negating. Matched against the whole text without
// regard to case; multi-byte characters count as one character.
bool MatchesMask(std::string_view text, std::string_view mask, CodePage cp);
inline bool MatchesMask(std::string_view text, std::string_view mask) {
  return MatchesMask(text, mask, ActiveCodePage());
}

// Path equality: exact (Linux names are case-sensitive), or without regard to the case of
// single-byte letters.
inline bool SamePath(std::string_view a, std::string_view b) { return a == b; }
bool SamePathIgnoreCase(std::string_view a, std::string_view b, CodePage cp);
inline bool SamePathIgnoreCase(std::string_view a, std::string_view b) {
  return SamePathIgnoreCase(a, b, ActiveCodePage());
}

}  // namespace velkoran::platform
