// Set-Cookie values for any request URL, and header dates, over any text: parsing ends
// without fault, and a cookie keeps a path.
#include <string>

#include "fuzz_check.h"
#include "net/cookie.h"
#include "net/net_misc.h"

using namespace velkoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzing::Halves parts = fuzzing::SplitAtNul(fuzzing::Bytes(data, size));
  net::TCookie cookie;
  cookie.Parse(parts.second.empty() ? std::string_view("http://example.com/a/b") : parts.second, parts.first);
  cookie.Parse("http://example.com/", parts.first);
  net::TCookie copy;
  copy.Assign(cookie);
  if (const auto date = net::ParseHeaderDate(parts.first)) net::FormatHeaderDate(*date);
  return 0;
}
