// The header tables of an HTTP exchange, the interpretation of a response header block,
// and the decoder of chunked bodies: the parts the HTTP and HTTPS clients share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "net/cookie.h"
#include "net/line_assembler.h"
#include "script/hash_table.h"

namespace velkoran::net {

// Limits on what a server may make us hold: one header line, and a whole header block.
inline constexpr std::size_t kHeaderLineLimit = 64 * 1024;
inline constexpr std::size_t kHeaderBlockLimit = 1024 * 1024;

// The headers of the next request, names compared without regard to case.
class TRequestHeader {
 public:
  TRequestHeader() { Reset(); }
  // Empty, then "Accept: */*" and "Connection: close".
  void Reset();
  void Set(std::string_view name, std::string_view value) { table_.AddString(name, value); }
  std::string Get(std::string_view name) const { return table_.GetText(name); }
  bool Has(std::string_view name) const { return table_.HasKey(name); }
  void SetAccept(std::string_view v) { Set("Accept", v); }
  void SetAuthorization(std::string_view v) { Set("Authorization", v); }
  void SetConnection(std::string_view v) { Set("Connection", v); }
  void SetContentLength(std::string_view v) { Set("Content-Length", v); }
  void SetContentType(std::string_view v) { Set("Content-Type", v); }
  void SetHost(std::string_view v) { Set("Host", v); }
  // The headers to send (those with a value), in the table's order.
  std::vector<std::pair<std::string, std::string>> Lines() const;

 private:
  kestrin::TStringHashTable table_{100, true};
};

// The headers of the last response by lower-cased name, and its cookie.
struct TResponseHeader {
  kestrin::TStringHashTable Values{100, true};
  TCookie Cookie;
  void Clear() {
    Values.Clear();
    Cookie.Clear();
  }
  bool Has(std::string_view name) const { return Values.HasKey(name); }
  std::string Get(std::string_view name) const { return Values.GetText(name); }
};

// Collects the lines of a response header block fed in pieces of any size: each line up to
// its LF with every CR dropped, the block ending at its first empty line. A line longer
// than lineLimit, or lines adding up to more than blockLimit (two bytes of line end
// counted with each), raise EProtocolError.
class THeaderBlockReader {
 public:
  explicit THeaderBlockReader(std::size_t lineLimit = kHeaderLineLimit, std::size_t blockLimit = kHeaderBlockLimit)
      : lines_("http", lineLimit), blockLimit_(blockLimit) {}
  // The count of bytes used: all of them, unless the block ended inside.
  std::size_t Feed(const char* data, std::size_t size);
  // The data ended: a last line without its LF still counts.
  void Finish();
  bool Finished() const noexcept { return finished_; }
  // The lines of the block, the empty one that ends it left out.
  const std::vector<std::string>& Lines() const noexcept { return block_; }

 private:
  void Add(std::string_view line);

  TLineAssembler lines_;
  std::size_t blockLimit_;
  std::size_t total_ = 0;
  bool finished_ = false;
  std::vector<std::string> block_;
};

// The status line of a response: its code (999 when it has none below 1000), its text
// and the protocol version ("1.1").
struct TStatusLine {
  std::int16_t Number = 0;
  std::string Text;
  std::string Version;
};

// Reads the lines of a header block into status and header (names lower-cased; a later
// status line, as after an interim response, replaces the first; Set-Cookie parsed for
// requestUrl). EProtocolError when the first line is no HTTP status line.
void ReadStatusAndFields(const std::vector<std::string>& lines, std::string_view requestUrl, TStatusLine& status,
                         TResponseHeader& header);

// What the fields of a response say about where it sends the client and about its body.
struct TResponseFacts {
  // Location (or Content-Location) resolved against the request URL; empty when none.
  std::string Location;
  // Content-Length, else the rest of the resource by Content-Range; -1 when neither says.
  std::int64_t ContentLength = -1;
  // The filename of Content-Disposition.
  std::string ContentFileName;
};
TResponseFacts ReadResponseFacts(const TResponseHeader& header, std::string_view requestUrl);

// A byte that may not appear in a request line or header (CR, LF, NUL): the text would
// end the line early and smuggle in lines of its own.
bool HasLineBreakOrNul(std::string_view text);

// Decodes a chunked body fed in pieces of any size. Feed takes bytes up to the end of the
// body (its last chunk and trailer) and passes the data on; what follows the body is left
// unconsumed. Malformed framing raises EProtocolError.
class TChunkedDecoder {
 public:
  // The count of bytes of data used (all of it unless the body ended inside it).
  std::size_t Feed(const char* data, std::size_t size, const std::function<void(const char*, std::size_t)>& sink);
  bool Finished() const noexcept { return state_ == State::Done; }

 private:
  enum class State { Size, Extension, Data, DataEnd, Trailer, Done };
  void Fail(const char* why) const;
  State state_ = State::Size;
  std::uint64_t left_ = 0;      // bytes of the current chunk still to come
  bool sizeDigits_ = false;     // the size line had at least one digit
  std::size_t lineLength_ = 0;  // of the size line or the trailer line being read
  std::size_t trailerBytes_ = 0;
};

}  // namespace velkoran::net
