#include "platform/paths.h"

#include "platform/ascii.h"

namespace velkoran::platform {
namespace {

// One character of the text at pos, as a view of its bytes.
std::string_view CharAt(std::string_view s, std::size_t pos, CodePage cp) {
  return s.substr(pos, CharStep(s, pos, cp));
}

bool SameCharIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() == 1) return FoldAscii(a[0]) == FoldAscii(b[0]);
  return a == b;
}

// A character's ordinal for set ranges: the byte for single bytes, the big-endian bytes
// of a multi-byte character otherwise.
unsigned long Ordinal(std::string_view ch) {
  unsigned long v = 0;
  for (unsigned char c : ch) v = (v << 8) | c;
  return v;
}

// Matches one character against the set that starts after "[" at mask[pos]; returns the
// position after "]" through end, or npos when the set is not closed.
std::size_t MatchSet(std::string_view mask, std::size_t pos, std::string_view ch, CodePage cp,
                     bool& matched) {
  bool negate = false;
  if (pos < mask.size() && mask[pos] == '!') {
    negate = true;
    ++pos;
  }
  bool any = false;
  const auto lowerOrd = [](std::string_view x) {
    return x.size() == 1 ? static_cast<unsigned long>(static_cast<unsigned char>(FoldAscii(x[0])))
                         : Ordinal(x);
  };
  const unsigned long target = lowerOrd(ch);
  bool first = true;
  while (pos < mask.size()) {
    if (mask[pos] == ']' && !first) {
      matched = any != negate;
      return pos + 1;
    }
    first = false;
    const std::string_view lo = CharAt(mask, pos, cp);
    pos += lo.size();
    if (pos + 1 < mask.size() && mask[pos] == '-' && mask[pos + 1] != ']') {
      const std::string_view hi = CharAt(mask, pos + 1, cp);
      pos += 1 + hi.size();
      unsigned long a = lowerOrd(lo);
      unsigned long b = lowerOrd(hi);
      if (a > b) std::swap(a, b);
      if (target >= a && target <= b) any = true;
    } else if (lowerOrd(lo) == target) {
      any = true;
    }
  }
  return std::string_view::npos;
}

bool MatchFrom(std::string_view text, std::size_t t, std::string_view mask, std::size_t m,
               CodePage cp) {
  // Iterative with one backtrack point for the last "*", so long names stay linear-ish.
  std::size_t starMask = std::string_view::npos;
  std::size_t starText = 0;
  while (true) {
    if (m < mask.size()) {
      const char mc = mask[m];
      if (mc == '*') {
        while (m < mask.size() && mask[m] == '*') ++m;
        if (m == mask.size()) return true;
        starMask = m;
        starText = t;
        continue;
      }
      if (t < text.size()) {
        const std::string_view ch = CharAt(text, t, cp);
        bool ok = false;
        std::size_t next = m;
        if (mc == '?') {
          ok = true;
          next = m + 1;
        } else if (mc == '[') {
          bool matched = false;
          const std::size_t after = MatchSet(mask, m + 1, ch, cp, matched);
          if (after == std::string_view::npos) {
            ok = SameCharIgnoreCase(ch, "[");  // an unclosed "[" is an ordinary character
            next = m + 1;
          } else {
            ok = matched;
            next = after;
          }
        } else {
          const std::string_view mch = CharAt(mask, m, cp);
          ok = SameCharIgnoreCase(ch, mch);
          next = m + mch.size();
        }
        if (ok) {
          t += ch.size();
          m = next;
          continue;
        }
      }
    } else if (t == text.size()) {
      return true;
    }
    if (starMask == std::string_view::npos || starText >= text.size()) return false;
    starText += CharStep(text, starText, cp);
    t = starText;
    m = starMask;
  }
}

}  // namespace

bool PathRules::IsSeparatorAt(std::string_view path, std::size_t pos) const {
  if (pos >= path.size() || path[pos] != Separator()) return false;
  if (style_ == PathStyle::Posix) return true;
  return IsCharBoundary(path, pos, cp_);
}

std::vector<std::size_t> PathRules::SeparatorPositions(std::string_view path) const {
  std::vector<std::size_t> out;
  const char sep = Separator();
  for (std::size_t i = 0; i < path.size();) {
    if (path[i] == sep) out.push_back(i);
    i += style_ == PathStyle::Windows ? CharStep(path, i, cp_) : 1;
  }
  return out;
}

bool PathRules::HasTrailingSeparator(std::string_view path) const {
  return !path.empty() && IsSeparatorAt(path, path.size() - 1);
}

std::string PathRules::AddTrailingSeparator(std::string_view path) const {
  std::string r(path);
  if (!r.empty() && !HasTrailingSeparator(path)) r += Separator();
  return r;
}

std::string PathRules::RemoveTrailingSeparator(std::string_view path) const {
  if (HasTrailingSeparator(path)) path.remove_suffix(1);
  return std::string(path);
}

bool PathRules::IsRoot(std::string_view path) const {
  if (style_ == PathStyle::Posix) return path == "/";
  if (path.size() == 2 && path[1] == ':') return true;
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') return true;
  if (path.size() > 2 && path.substr(0, 2) == "\\\\") {
    const auto seps = SeparatorPositions(path);
    // "\\server" or "\\server\": the separators are the two leading ones and at most a
    // trailing one.
    return seps.size() == 2 || (seps.size() == 3 && seps[2] == path.size() - 1);
  }
  return false;
}

std::string PathRules::ParentPath(std::string_view path) const {
  std::string_view p = path;
  if (HasTrailingSeparator(p) && !IsRoot(p)) p.remove_suffix(1);
  if (IsRoot(p) || p.empty()) return {};
  const auto seps = SeparatorPositions(p);
  if (seps.empty()) return {};
  const std::size_t last = seps.back();
  if (style_ == PathStyle::Posix) {
    return last == 0 ? std::string("/") : std::string(p.substr(0, last));
  }
  // Windows: "C:\x" gives "C:\"; "\\host\x" gives "\\host\".
  const std::string_view head = p.substr(0, last);
  if (head.size() == 2 && head[1] == ':') return std::string(p.substr(0, last + 1));
  if (head.size() > 2 && head.substr(0, 2) == "\\\\" && SeparatorPositions(head).size() == 2) {
    return std::string(p.substr(0, last + 1));
  }
  return std::string(head);
}

std::string PathRules::LastComponent(std::string_view path) const {
  if (IsRoot(path)) return std::string(path);
  std::string_view p = path;
  if (HasTrailingSeparator(p) && p.size() > 1) p.remove_suffix(1);
  const auto seps = SeparatorPositions(p);
  if (seps.empty()) return std::string(p);
  return std::string(p.substr(seps.back() + 1));
}

std::string PathRules::Join(std::string_view dir, std::string_view name) const {
  std::string r = AddTrailingSeparator(dir);
  r += name;
  return r;
}

std::vector<std::string> PathRules::WantedPrefixes(std::string_view path) const {
  const std::string full = AddTrailingSeparator(path);
  std::vector<std::string> out;
  if (style_ == PathStyle::Posix) {
    for (std::size_t pos : SeparatorPositions(full)) {
      out.push_back(pos == 0 ? std::string("/") : full.substr(0, pos));
    }
    return out;
  }
  // Windows: every separator at character position 3 or later (counting characters from
  // 1) ends a prefix.
  std::size_t charIndex = 0;
  for (std::size_t i = 0; i < full.size(); i += CharStep(full, i, cp_)) {
    ++charIndex;
    if (full[i] == '\\' && charIndex >= 3) out.push_back(full.substr(0, i));
  }
  return out;
}

const PathRules& HostPaths() {
  static const PathRules rules(PathStyle::Posix, CodePage::Utf8);
  return rules;
}

bool MatchesMask(std::string_view text, std::string_view mask, CodePage cp) {
  return MatchFrom(text, 0, mask, 0, cp);
}

bool SamePathIgnoreCase(std::string_view a, std::string_view b, CodePage cp) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::string_view ca = CharAt(a, i, cp);
    const std::string_view cb = CharAt(b, j, cp);
    if (!SameCharIgnoreCase(ca, cb)) return false;
    i += ca.size();
    j += cb.size();
  }
  return i == a.size() && j == b.size();
}

}  // namespace velkoran::platform
