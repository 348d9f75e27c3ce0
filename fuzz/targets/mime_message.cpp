// Mail messages over any bytes, parsed with attachments kept in memory (the target never
// touches the disk): parsing ends without fault, every kept attachment is listed, the body
// is lines joined with CR LF, a second parse and a move give the same message, and a
// message without parts built again and parsed keeps its text.
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/mail_message.h"
#include "net/net_errors.h"
#include "net/text.h"
#include "script/builtins/japanese_codes.h"

using namespace velkoran;

namespace {

struct Parsed {
  net::TMailMessage message;
  std::vector<std::string> stored;
};

void Parse(std::string_view raw, bool decodeNames, Parsed& p) {
  p.message.AttachPath = "/nonexistent-fuzz-folder/";
  if (decodeNames) p.message.DecodeName = [](std::string_view name) { return kestrin::DecodeMimeHeader(name); };
  p.message.StoreAttachment = [&p](const std::string& name, std::string_view data) {
    p.stored.emplace_back(data);
    // Like a file name: empty for some, so that skipping is exercised too.
    return name.empty() ? std::string() : "mem/" + std::to_string(p.stored.size());
  };
  p.message.Parse(std::string(raw), true);
}

bool LinesWithCrLf(std::string_view text) {
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
    if (i == 0 || text[i - 1] != '\r') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool decodeNames = (data[0] & 1) != 0;
  const std::string_view raw = fuzzing::Bytes(data + 1, size - 1);
  Parsed first;
  Parse(raw, decodeNames, first);
  const net::TMailMessage& m = first.message;
  FUZZ_CHECK(m.Size == static_cast<std::int64_t>(raw.size()));
  std::size_t named = 0;
  for (const std::string& path : m.Attachments) named += path.rfind("mem/", 0) == 0 ? 1 : 0;
  FUZZ_CHECK(named == m.Attachments.size() && m.Attachments.size() <= first.stored.size());
  const std::string body = m.Body();
  FUZZ_CHECK(LinesWithCrLf(body));
  FUZZ_CHECK(LinesWithCrLf(m.Message));
  const bool multipart = net::Lower(m.HeaderValue("Content-Type")).find("multipart/mixed") != std::string::npos;
  if (!multipart) FUZZ_CHECK(m.Message == body && first.stored.empty());

  Parsed second;
  Parse(raw, decodeNames, second);
  FUZZ_CHECK(second.message.Message == m.Message && second.message.Attachments == m.Attachments);
  FUZZ_CHECK(second.stored == first.stored);
  net::TMailMessage moved;
  moved.Take(second.message);
  FUZZ_CHECK(moved.Body() == body && moved.Message == m.Message && moved.HeaderLines == m.HeaderLines);

  // Without attachments the message is built from its headers and text alone.
  if (multipart) return 0;
  net::TMailMessage again;
  again.Assign(m);
  again.Attachments.clear();
  std::string built;
  try {
    built = again.Build();
  } catch (const net::EProtocolError&) {
    return 0;  // a header would break its line
  }
  FUZZ_CHECK(again.Body() == net::JoinLines(m.Message));
  Parsed back;
  Parse(built, decodeNames, back);
  FUZZ_CHECK(back.message.Message == net::JoinLines(m.Message));
  return 0;
}
