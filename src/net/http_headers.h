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
