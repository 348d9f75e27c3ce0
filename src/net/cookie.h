// TCookie: the cookie of an HTTP response, built from its Set-Cookie headers.
#pragma once

#include <string>
#include <string_view>

#include "net/net_misc.h"
#include "script/hash_table.h"

namespace velkoran::net {

class TCookie {
 public:
  TCookie() { Clear(); }

  // Name to value, names compared with regard to case.
  kestrin::TStringHashTable Values{100, false};
  std::string Domain;
  std::string Path = "/";
  // Local date-time; 0 for none.
  DateTime Expires = 0;

  void Clear();
  void Assign(const TCookie& other);
  // Adds one Set-Cookie value received for url. Attribute names (Expires, Max-Age,
  // Domain, Path, Secure, HttpOnly, SameSite) compare without regard to case and are never
  // stored as values; a Domain counts only when the request's host is it or lies inside
  // it; an Expires that holds no date means no expiry. Nothing is cleared first, so
  // several headers add up.
  void Parse(std::string_view url, std::string_view headerValue);
};

}  // namespace velkoran::net
