#include "net/cookie.h"

#include "net/text.h"
#include "net/url.h"

namespace velkoran::net {

namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

void TCookie::Clear() {
  Values.Clear();
  Domain.clear();
  Path.assign(1, '/');  // (a literal here trips a false GCC 12 warning)
  Expires = 0;
}

void TCookie::Assign(const TCookie& other) {
  if (&other == this) return;
  Clear();
  Domain = other.Domain;
  Path = other.Path;
  Expires = other.Expires;
  CopyTable(other.Values, Values);
}

void TCookie::Parse(std::string_view url, std::string_view headerValue) {
  const std::string host = HostOfUrl(url);
  Domain = host;
  bool maxAge = false;  // Max-Age wins over Expires, whatever their order
  std::size_t pos = 0;
  while (pos <= headerValue.size()) {
    const std::size_t semi = headerValue.find(';', pos);
    const std::string_view piece = headerValue.substr(pos, semi == std::string_view::npos ? std::string_view::npos : semi - pos);
    pos = semi == std::string_view::npos ? headerValue.size() + 1 : semi + 1;
    const std::size_t eq = piece.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = Trim(piece.substr(0, eq));
    const std::string_view value = Trim(piece.substr(eq + 1));
    const std::string attribute = Lower(name);
    if (attribute == "expires") {
      if (!maxAge) Expires = ParseHeaderDate(value).value_or(0);
    } else if (attribute == "max-age") {
      const auto seconds = kestrin::date::ToTimeValue(kestrin::date::Now());
      // An optional minus and at least one digit; an empty value has no first byte.
      const bool negative = !value.empty() && value[0] == '-';
      std::size_t i = negative ? 1 : 0;
      bool digits = i < value.size();
      std::int64_t n = 0;
      for (; digits && i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9' || n > 1'000'000'000'000) digits = false;
        else n = n * 10 + (value[i] - '0');
      }
      if (digits) {
        Expires = UnixToDateTime(negative ? seconds - n : seconds + n);
        maxAge = true;
      }
    } else if (attribute == "domain") {
      std::string domain = Lower(value);
      if (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
      if (!domain.empty() && (host == domain || (EndsWith(host, domain) && host[host.size() - domain.size() - 1] == '.'))) Domain = domain;
    } else if (attribute == "path") {
      Path = std::string(value);
    } else if (attribute == "secure" || attribute == "httponly" || attribute == "samesite") {
      // Attributes that only a browser acts on.
    } else {
      Values.AddString(name, value);
    }
  }
}

}  // namespace velkoran::net
