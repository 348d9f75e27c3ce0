// The mail servers' replies over any bytes: the data of a POP3 answer decoded whole and in
// pieces gives the same text, stops at the same byte, traces the same lines, or fails
// alike, and what it gives is lines ending in CR LF within their caps; every line read as
// a POP3 status or an SMTP reply gives a sane code and text.
#include <climits>
#include <string>

#include "fuzz_check.h"
#include "net/mail_replies.h"
#include "net/net_errors.h"

using namespace velkoran;

namespace {

struct Outcome {
  std::string out;
  std::string traced;
  std::size_t used = 0;
  bool finished = false;
  bool failed = false;
};

Outcome Decode(std::string_view bytes, std::size_t piece, std::size_t headerLimit, std::size_t bodyLimit, bool traceAll) {
  Outcome o;
  net::TPop3DataDecoder decoder(headerLimit, bodyLimit, traceAll);
  decoder.OnTracedLine = [&o](std::string_view line) { o.traced.append(line).append("\n"); };
  try {
    fuzzing::FeedInPieces(
        bytes, piece, o.used, [&](const char* p, std::size_t n) { return decoder.Feed(p, n, o.out); },
        [&] { return decoder.Finished(); });
    decoder.Finish();
  } catch (const net::EProtocolError&) {
    o.failed = true;
  }
  o.finished = decoder.Finished();
  return o;
}

void CheckReplies(std::string_view bytes) {
  net::TSmtpReply reply;
  bool open = false;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    const std::string_view line = bytes.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    start = lf == std::string_view::npos ? bytes.size() + 1 : lf + 1;

    const net::TPop3Status status = net::ParsePop3Status(line);
    FUZZ_CHECK((status.Is == net::TPop3Status::Kind::Ok) == (line.rfind("+OK", 0) == 0));
    FUZZ_CHECK((status.Is == net::TPop3Status::Kind::Err) == (line.rfind("-ERR", 0) == 0));
    FUZZ_CHECK(line.ends_with(status.Text));
    const std::int64_t count = net::LeadingCount(line, INT32_MAX);
    FUZZ_CHECK(count >= 0 && count <= INT32_MAX);

    open = !reply.Add(line);
    FUZZ_CHECK(open == (line.size() > 3 && line[3] == '-'));
    if (!open) {
      FUZZ_CHECK(reply.Number() >= 0 && reply.Number() <= 999);
      FUZZ_CHECK(line.ends_with(reply.Text()));
      reply = net::TSmtpReply();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The second byte picks the line caps (small enough to be reached) and TOP's tracing.
  const bool traceAll = (data[1] & 0x80) != 0;
  const std::size_t headerLimit = 1 + (data[1] & 0x0F) * 8u;
  const std::size_t bodyLimit = headerLimit + (data[1] >> 4 & 0x07) * 64u;
  const std::string_view bytes = fuzzing::Bytes(data + 2, size - 2);
  const Outcome whole = Decode(bytes, bytes.size() + 1, headerLimit, bodyLimit, traceAll);
  const Outcome pieces = Decode(bytes, 1 + data[0] % 13, headerLimit, bodyLimit, traceAll);
  FUZZ_CHECK(whole.failed == pieces.failed);
  if (!whole.failed) {
    FUZZ_CHECK(whole.out == pieces.out);
    FUZZ_CHECK(whole.traced == pieces.traced);
    FUZZ_CHECK(whole.used == pieces.used);
    FUZZ_CHECK(whole.finished && pieces.finished);
    // Lines with CR LF, a CR nowhere else, none longer than the larger cap.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < whole.out.size(); ++i) {
      if (whole.out[i] == '\r') FUZZ_CHECK(i + 1 < whole.out.size() && whole.out[i + 1] == '\n');
      if (whole.out[i] == '\n') {
        FUZZ_CHECK(i > 0 && whole.out[i - 1] == '\r');
        FUZZ_CHECK(i - 1 - lineStart <= std::max(headerLimit, bodyLimit));
        lineStart = i + 1;
      }
    }
    FUZZ_CHECK(lineStart == whole.out.size());
  }
  CheckReplies(bytes);
  return 0;
}
