// A response header block over any bytes, with caps small enough for the input to reach:
// read whole and in pieces it gives the same lines, stopping at the same byte or failing
// alike; the lines respect the caps; the status line and fields read without fault, and
// what they announce is sane.
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/http_headers.h"
#include "net/net_errors.h"

using namespace velkoran;

namespace {

struct Outcome {
  std::vector<std::string> lines;
  std::size_t used = 0;
  bool failed = false;
};

Outcome Read(std::string_view bytes, std::size_t piece, std::size_t lineLimit, std::size_t blockLimit) {
  Outcome o;
  net::THeaderBlockReader reader(lineLimit, blockLimit);
  try {
    fuzzing::FeedInPieces(
        bytes, piece, o.used, [&](const char* p, std::size_t n) { return reader.Feed(p, n); },
        [&] { return reader.Finished(); });
    reader.Finish();
  } catch (const net::EProtocolError&) {
    o.failed = true;
  }
  o.lines = reader.Lines();
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The second byte picks the caps: the real ones, or small ones the input can exceed.
  const bool realCaps = (data[1] & 0x80) != 0;
  const std::size_t lineLimit = realCaps ? net::kHeaderLineLimit : 1 + (data[1] & 0x0F) * 16u;
  const std::size_t blockLimit = realCaps ? net::kHeaderBlockLimit : 16 + (data[1] >> 4 & 0x07) * 256u;
  const std::string_view bytes = fuzzing::Bytes(data + 2, size - 2);
  const Outcome whole = Read(bytes, bytes.size() + 1, lineLimit, blockLimit);
  const Outcome pieces = Read(bytes, 1 + data[0] % 13, lineLimit, blockLimit);
  FUZZ_CHECK(whole.failed == pieces.failed);
  if (whole.failed) return 0;
  FUZZ_CHECK(whole.lines == pieces.lines);
  FUZZ_CHECK(whole.used == pieces.used);
  std::size_t total = 0;
  for (const std::string& line : whole.lines) {
    FUZZ_CHECK(!line.empty() && line.size() <= lineLimit);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    total += line.size() + 2;
  }
  FUZZ_CHECK(total <= blockLimit);

  net::TStatusLine status;
  net::TResponseHeader header;
  const bool statusLine = !whole.lines.empty() && whole.lines[0].rfind("HTTP/", 0) == 0;
  try {
    net::ReadStatusAndFields(whole.lines, "http://example.com/dir/page?q=1", status, header);
    FUZZ_CHECK(statusLine);
  } catch (const net::EProtocolError&) {
    FUZZ_CHECK(!statusLine);
    return 0;
  }
  FUZZ_CHECK(status.Number >= 0 && status.Number <= 999);
  const net::TResponseFacts facts = net::ReadResponseFacts(header, "http://example.com/dir/page?q=1");
  FUZZ_CHECK(facts.ContentLength >= -1);
  return 0;
}
