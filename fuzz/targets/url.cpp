// URL parsing, building and resolution, the proxy setting and percent coding over any
// text: percent coding gives back what it encoded; everything else ends without fault.
#include <string>

#include "fuzz_check.h"
#include "net/url.h"

using namespace velkoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzing::Halves parts = fuzzing::SplitAtNul(fuzzing::Bytes(data, size));
  const net::TUrlParts url = net::ParseUrl(parts.first);
  FUZZ_CHECK(url.Url == parts.first);
  net::ParseUrl(net::BuildUrl(url));
  net::HostAndPort(parts.first);
  net::HostOfUrl(parts.first);
  net::ResolveUrl(parts.first, parts.second);
  net::ParseProxy(parts.first);
  FUZZ_CHECK(net::UrlDecode(net::UrlEncode(parts.first)) == parts.first);
  FUZZ_CHECK(net::UrlDecode(net::UrlEncode(parts.first, "/:", true)) == parts.first);
  net::UrlDecode(parts.first);
  return 0;
}
