// The chunked-body decoder over any bytes, fed whole and fed in pieces of any size: both
// give the same data, consume the same bytes and end (or fail on bad framing) alike.
#include <string>

#include "fuzz_check.h"
#include "net/http_headers.h"
#include "net/net_errors.h"

using namespace velkoran;

namespace {

struct Outcome {
  std::string data;
  std::size_t used = 0;
  bool finished = false;
  bool failed = false;
};

Outcome Decode(std::string_view body, std::size_t piece) {
  Outcome o;
  net::TChunkedDecoder decoder;
  const auto sink = [&o](const char* p, std::size_t n) { o.data.append(p, n); };
  try {
    fuzzing::FeedInPieces(
        body, piece, o.used, [&](const char* p, std::size_t n) { return decoder.Feed(p, n, sink); },
        [&] { return decoder.Finished(); });
  } catch (const net::EProtocolError&) {
    o.failed = true;
  }
  o.finished = decoder.Finished();
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view body = fuzzing::Bytes(data + 1, size - 1);
  const Outcome whole = Decode(body, body.size() + 1);
  const Outcome pieces = Decode(body, 1 + data[0] % 7);
  FUZZ_CHECK(whole.failed == pieces.failed);
  if (!whole.failed) {
    FUZZ_CHECK(whole.data == pieces.data);
    FUZZ_CHECK(whole.used == pieces.used);
    FUZZ_CHECK(whole.finished == pieces.finished);
  }
  return 0;
}
