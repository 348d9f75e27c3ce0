#include "dnd/uri_list.h"

#include <unistd.h>

#include <climits>
#include <optional>

#include "platform/ascii.h"

namespace velkoran::dnd {
namespace {

using platform::EqualsAsciiNoCase;
using platform::HexDigitValue;

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}


// The bytes an encoded path stands for; none when it holds a NUL.
std::optional<std::string> PercentDecoded(std::string_view encoded) {
  std::string out;
  out.reserve(encoded.size());
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    char c = encoded[i];
    if (c == '%' && i + 2 < encoded.size()) {
      const int high = HexDigitValue(encoded[i + 1]);
      const int low = HexDigitValue(encoded[i + 2]);
      if (high >= 0 && low >= 0) {
        c = static_cast<char>(high * 16 + low);
        i += 2;
      }
    }
    if (c == '\0') return std::nullopt;
    out.push_back(c);
  }
  return out;
}

// The local path of one URL, or none.
std::optional<std::string> LocalPathOf(std::string_view url, std::string_view localHostName) {
  constexpr std::string_view kScheme = "file:";
  if (url.size() < kScheme.size() || !EqualsAsciiNoCase(url.substr(0, kScheme.size()), kScheme)) {
    return std::nullopt;
  }
  std::string_view rest = url.substr(kScheme.size());
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    const bool local = host.empty() || EqualsAsciiNoCase(host, "localhost") ||
                       (!localHostName.empty() && EqualsAsciiNoCase(host, localHostName));
    if (!local) return std::nullopt;
    rest.remove_prefix(slash);
  }
  if (rest.empty() || rest.front() != '/') return std::nullopt;
  rest = rest.substr(0, rest.find_first_of("?#"));
  return PercentDecoded(rest);
}

std::string ThisHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace

std::string FileUrlOf(std::string_view path) {
  if (path.empty() || path.front() != '/') return {};
  std::string url = "file://";
  url.reserve(url.size() + path.size() * 3);
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c) || c == '/') {
      url.push_back(ch);
    } else {
      url.push_back('%');
      url.push_back(kHexDigits[c >> 4]);
      url.push_back(kHexDigits[c & 0x0F]);
    }
  }
  return url;
}

std::string EncodeFileUriList(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    const std::string url = FileUrlOf(path);
    if (url.empty()) continue;
    text += url;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> DecodeFileUriList(std::string_view text, std::string_view localHostName) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<std::string> path = LocalPathOf(line, localHostName)) paths.push_back(std::move(*path));
  }
  return paths;
}

std::vector<std::string> DecodeFileUriList(std::string_view text) {
  static const std::string host = ThisHostName();
  return DecodeFileUriList(text, host);
}

}  // namespace velkoran::dnd
