#include "net/http_headers.h"

#include "net/net_errors.h"
#include "platform/ascii.h"

namespace velkoran::net {

void TRequestHeader::Reset() {
  table_.Clear();
  SetAccept("*/*");
  SetConnection("close");
}

std::vector<std::pair<std::string, std::string>> TRequestHeader::Lines() const {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const std::string& name : table_.Keys()) {
    std::string value = table_.GetText(name);
    if (!value.empty()) lines.emplace_back(name, std::move(value));
  }
  return lines;
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

void TChunkedDecoder::Fail(const char* why) const { throw EProtocolError("http", 0, why); }

std::size_t TChunkedDecoder::Feed(const char* data, std::size_t size,
                                  const std::function<void(const char*, std::size_t)>& sink) {
  std::size_t i = 0;
  while (i < size && state_ != State::Done) {
    const char c = data[i];
    switch (state_) {
      case State::Size:
      case State::Extension: {
        if (++lineLength_ > kHeaderLineLimit) Fail("chunk size line too long");
        ++i;
        if (c == '\n') {
          if (!sizeDigits_) Fail("chunk size missing");
          state_ = left_ == 0 ? State::Trailer : State::Data;
          lineLength_ = 0;
          sizeDigits_ = false;
        } else if (state_ == State::Size && platform::HexDigitValue(c) >= 0) {
          if (left_ >> 56 != 0) Fail("chunk too large");
          left_ = left_ * 16 + static_cast<std::uint64_t>(platform::HexDigitValue(c));
          sizeDigits_ = true;
        } else if (c == ';' || c == ' ' || c == '\t' || c == '\r') {
          state_ = State::Extension;
        } else if (state_ == State::Size) {
          Fail("bad chunk size");
        }
        break;
      }
      case State::Data: {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left_, size - i));
        sink(data + i, n);
        i += n;
        left_ -= n;
        if (left_ == 0) state_ = State::DataEnd;
        break;
      }
      case State::DataEnd:
        ++i;
        if (c == '\n') {
          state_ = State::Size;
        } else if (c != '\r') {
          Fail("chunk not followed by a line end");
        }
        break;
      case State::Trailer:
        ++i;
        if (++trailerBytes_ > kHeaderBlockLimit) Fail("chunk trailer too long");
        if (c == '\n') {
          if (lineLength_ == 0) state_ = State::Done;
          lineLength_ = 0;
        } else if (c != '\r') {
          ++lineLength_;
        }
        break;
      case State::Done:
        break;
    }
  }
  return i;
}

}  // namespace velkoran::net
