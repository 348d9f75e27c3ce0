#include "net/url.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "net/text.h"
#include "platform/ascii.h"


namespace velkoran::net {

namespace {

using platform::FoldAscii;
using platform::HexDigitValue;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of a scheme ("http") that begins text and is followed by ':'; 0 when the
// text does not begin with one (a "://" inside a query is no scheme).
std::size_t SchemeLength(std::string_view text) {
  if (text.empty() || !IsAlpha(text[0])) return 0;
  std::size_t i = 1;
  while (i < text.size() && (IsAlpha(text[i]) || IsDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.')) ++i;
  return i < text.size() && text[i] == ':' ? i : 0;
}

bool HasSchemeWithAuthority(std::string_view text) {
  const std::size_t n = SchemeLength(text);
  return n > 0 && text.substr(n, 3) == "://";
}

// Percent-decoding of user names and passwords: "+" stays, a broken escape stays as text.
std::string PercentDecode(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexDigitValue(s[i + 1]) >= 0 &&
        HexDigitValue(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigitValue(s[i + 1]) * 16 + HexDigitValue(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::string UserInfoEncode(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (IsAlpha(static_cast<char>(c)) || IsDigit(static_cast<char>(c)) ||
        std::string_view("-._~!$&'()*+,;=").find(static_cast<char>(c)) != std::string_view::npos) {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool IsPortNumber(std::string_view s) {
  if (s.empty() || s.size() > 5) return false;
  std::uint32_t n = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n <= 65535;
}

// RFC 3986's removal of "." and ".." segments from a path.
std::string RemoveDotSegments(std::string_view in) {
  std::vector<std::string_view> out;
  const bool absolute = !in.empty() && in[0] == '/';
  std::size_t pos = absolute ? 1 : 0;
  bool trailingSlash = false;
  while (pos <= in.size()) {
    const std::size_t slash = in.find('/', pos);
    const std::string_view segment = in.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
    const bool last = slash == std::string_view::npos;
    if (segment == "..") {
      if (!out.empty()) out.pop_back();
      trailingSlash = true;
    } else if (segment == ".") {
      trailingSlash = true;
    } else {
      out.push_back(segment);
      trailingSlash = false;
    }
    if (last) break;
    pos = slash + 1;
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i > 0) result += '/';
    result += out[i];
  }
  if (trailingSlash && !out.empty() && !out.back().empty()) result += '/';
  return result;
}

}  // namespace

TUrlParts ParseUrl(std::string_view text) {
  TUrlParts p;
  p.Url = std::string(text);
  std::string_view rest = text.substr(0, text.find('#'));
  if (HasSchemeWithAuthority(rest)) {
    const std::size_t n = SchemeLength(rest);
    p.Protocol = Lower(rest.substr(0, n));
    rest.remove_prefix(n + 3);
  }
  const std::size_t authorityEnd = rest.find_first_of("/?");
  std::string_view authority = rest.substr(0, authorityEnd);
  std::string path = authorityEnd == std::string_view::npos ? "/" : std::string(rest.substr(authorityEnd));
  if (path[0] == '?') path.insert(path.begin(), '/');
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view user = authority.substr(0, at);
    const std::size_t colon = user.find(':');
    p.UserName = PercentDecode(user.substr(0, colon));
    if (colon != std::string_view::npos) p.Password = PercentDecode(user.substr(colon + 1));
    authority.remove_prefix(at + 1);
  }
  const std::size_t colon = authority.find(':');
  if (colon != std::string_view::npos) {
    const std::string_view port = Trim(authority.substr(colon + 1));
    if (IsPortNumber(port)) p.PortText = std::string(port);
    authority = authority.substr(0, colon);
  }
  p.HostName = Lower(authority);
  p.Path = path;
  std::string_view split = p.Path;
  if (p.Protocol != "ftp") {
    const std::size_t q = split.find('?');
    if (q != std::string_view::npos) {
      p.Query = std::string(split.substr(q));
      split = split.substr(0, q);
    }
  }
  const std::size_t slash = split.rfind('/');
  p.Directory = std::string(split.substr(0, slash + 1));
  p.FileName = std::string(split.substr(slash + 1));
  return p;
}

std::string BuildUrl(const TUrlParts& p) {
  std::string url = p.Protocol + "://";
  if (!p.UserName.empty()) url += UserInfoEncode(p.UserName) + ":" + UserInfoEncode(p.Password) + "@";
  url += p.HostName;
  if (!p.PortText.empty()) {
    const bool known = p.Protocol == "http" || p.Protocol == "https" || p.Protocol == "ftp";
    const bool isDefault = (p.Protocol == "http" && p.PortText == "80") || (p.Protocol == "https" && p.PortText == "443") ||
                           (p.Protocol == "ftp" && p.PortText == "21");
    if (known && !isDefault) url += ":" + p.PortText;
  }
  return url + p.Path;
}

std::string HostAndPort(std::string_view url) {
  const TUrlParts p = ParseUrl(url);
  return p.PortText.empty() ? p.HostName : p.HostName + ":" + p.PortText;
}

std::string HostOfUrl(std::string_view url) { return ParseUrl(url).HostName; }

std::string ResolveUrl(std::string_view base, std::string_view reference) {
  const std::string_view ref = reference.substr(0, reference.find('#'));
  if (SchemeLength(ref) > 0) return std::string(reference);
  TUrlParts b = ParseUrl(base);
  if (ref.substr(0, 2) == "//") return b.Protocol + ":" + std::string(ref);
  const std::string basePath = b.Path.substr(0, b.Path.find('?'));
  std::string path;
  if (ref.empty()) {
    path = b.Path;
  } else if (ref[0] == '?') {
    path = basePath + std::string(ref);
  } else {
    const std::size_t q = ref.find('?');
    const std::string_view refPath = ref.substr(0, q);
    const std::string_view refQuery = q == std::string_view::npos ? std::string_view() : ref.substr(q);
    const std::string merged = refPath.empty()      ? basePath
                               : refPath[0] == '/' ? std::string(refPath)
                                                   : b.Directory + std::string(refPath);
    path = RemoveDotSegments(merged) + std::string(refQuery);
  }
  if (path.empty() || path[0] != '/') path.insert(0, 1, '/');
  b.Path = path;
  return BuildUrl(b);
}

std::string UrlForTrace(std::string_view url) {
  const std::size_t start = url.find("://");
  if (start == std::string_view::npos) return std::string(url);
  const std::size_t authorityEnd = url.find_first_of("/?#", start + 3);
  const std::string_view authority = url.substr(start + 3, authorityEnd == std::string_view::npos ? std::string_view::npos : authorityEnd - start - 3);
  const std::size_t at = authority.rfind('@');
  const std::size_t colon = authority.find(':');
  if (at == std::string_view::npos || colon == std::string_view::npos || colon > at) return std::string(url);
  std::string masked(url);
  masked.replace(start + 3 + colon + 1, at - colon - 1, "****");
  return masked;
}

TProxySetting ParseProxy(std::string_view setting) {
  TProxySetting proxy;
  std::string_view s = Trim(setting);
  const std::size_t plus = s.find('+');
  std::string_view own = s.substr(0, plus);
  if (plus != std::string_view::npos) {
    std::string chain;
    for (char c : s.substr(plus + 1)) {
      if (c == '+') {
        chain += "/-_-http://";
      } else {
        chain += c;
      }
    }
    proxy.PathPrefix = "http://" + chain + "/-_-";
  }
  const std::size_t colon = own.find(':');
  proxy.Host = std::string(own.substr(0, colon));
  if (colon != std::string_view::npos) proxy.Port = std::string(own.substr(colon + 1));
  return proxy;
}

std::string UrlEncode(std::string_view text, std::string_view extraSafe, bool spaceAsPlus) {
  static const char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kSafe = "!$'()*-.@_";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    const char ch = static_cast<char>(c);
    if (IsAlpha(ch) || IsDigit(ch) || kSafe.find(ch) != std::string_view::npos ||
        extraSafe.find(ch) != std::string_view::npos) {
      out += ch;
    } else if (ch == ' ' && spaceAsPlus) {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
      out += '%';
      ++i;
    } else if (c == '%' && i + 2 < text.size()) {
      const int hi = HexDigitValue(text[i + 1]);
      const int lo = HexDigitValue(text[i + 2]);
      out += static_cast<char>(hi >= 0 && lo >= 0 ? hi * 16 + lo : 0);
      i += 2;
    } else if (c == '+') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace velkoran::net
