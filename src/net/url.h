// URLs as the network clients see them: split into parts, put back together, resolved
// against a base; the proxy setting; percent coding.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::net {

struct TUrlParts {
  std::string Url;        // the text that was parsed, unchanged
  std::string Protocol;   // scheme, lower case, without "://"; empty when there is none
  std::string UserName;   // from the authority, percent-decoded, case kept
  std::string Password;   // likewise
  std::string HostName;   // lower case
  std::string PortText;   // digits; empty when absent or not a port number
  std::string Path;       // from the first "/" after the authority, query included; "/" at least
  std::string Directory;  // the path without query, up to and including its last "/"
  std::string FileName;   // the path without query, after its last "/"
  std::string Query;      // from the path's first "?" on, "?" included; empty for "ftp"
};

// The fragment ("#" and what follows) is never part of any field but Url.
TUrlParts ParseUrl(std::string_view text);
// Protocol "://" [user ":" password "@"] host [":" port unless the protocol's default]
// path. User and password are percent-encoded again.
std::string BuildUrl(const TUrlParts& parts);
// The host, and ":" + port when the URL names a port.
std::string HostAndPort(std::string_view url);
std::string HostOfUrl(std::string_view url);
// A reference (absolute, "//host/p", "/p", "?q", "p", "./p", "../p") resolved against
// base as a browser would; an absolute reference comes back unchanged.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// The URL as a trace may show it: a password in it becomes "****".
std::string UrlForTrace(std::string_view url);

// The proxy setting host[:port][+gateway[+gateway...]]: the host and port to connect to,
// and the gateway chain to put in front of the request path (empty without one).
struct TProxySetting {
  std::string Host;
  std::string Port;
  std::string PathPrefix;
};
TProxySetting ParseProxy(std::string_view setting);

// Bytes other than ! $ ' ( ) * - . @ _ digits and letters (and those in extraSafe) as
// %XX; a blank as "+" when spaceAsPlus is set.
std::string UrlEncode(std::string_view text, std::string_view extraSafe = {}, bool spaceAsPlus = false);
// "%%" → "%", "%XY" → that byte (0 when X or Y is no hex digit), "+" → blank; a "%"
// too close to the end stays as it is.
std::string UrlDecode(std::string_view text);

}  // namespace velkoran::net
