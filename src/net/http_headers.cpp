#include "net/http_headers.h"

#include <optional>

#include "net/net_errors.h"
#include "net/text.h"
#include "net/url.h"
#include "platform/ascii.h"

namespace velkoran::net {

namespace {

// A decimal number (64-bit); nothing for other text.
std::optional<std::int64_t> Number(std::string_view s) {
  s = Trim(s);
  if (s.empty() || s.size() > 18) return std::nullopt;
  std::int64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

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

std::size_t THeaderBlockReader::Feed(const char* data, std::size_t size) {
  if (finished_) return 0;
  return lines_.Feed(data, size, [this](std::string_view line) {
    Add(line);
    return !finished_;
  });
}

void THeaderBlockReader::Finish() {
  if (!finished_ && lines_.HasPartial()) Add(lines_.Partial());
  finished_ = true;
}

void THeaderBlockReader::Add(std::string_view line) {
  if (line.empty()) {
    finished_ = true;
    return;
  }
  total_ += line.size() + 2;
  if (total_ > blockLimit_) throw EProtocolError("http", 0, "response header too long");
  block_.emplace_back(line);
}

void ReadStatusAndFields(const std::vector<std::string>& lines, std::string_view requestUrl, TStatusLine& status,
                         TResponseHeader& header) {
  if (lines.empty() || lines[0].compare(0, 5, "HTTP/") != 0) throw EProtocolError("http", 0, "no HTTP status line");
  for (const std::string& line : lines) {
    if (line.compare(0, 4, "HTTP") == 0) {
      const std::size_t b1 = line.find(' ');
      const std::size_t b2 = b1 == std::string::npos ? std::string::npos : line.find(' ', b1 + 1);
      const auto code = b1 == std::string::npos ? std::nullopt : Number(std::string_view(line).substr(b1 + 1, b2 - b1 - 1));
      status.Number = static_cast<std::int16_t>(code && *code < 1000 ? *code : 999);
      status.Text = b2 == std::string::npos ? std::string() : line.substr(b2 + 1);
      status.Version = line.size() > 5 ? line.substr(5, 3) : std::string();
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = Lower(std::string_view(line).substr(0, colon));
    const std::string_view value = Trim(std::string_view(line).substr(colon + 1));
    if (name == "set-cookie") {
      header.Cookie.Parse(requestUrl, value);
    } else {
      header.Values.AddString(name, value);
    }
  }
}

TResponseFacts ReadResponseFacts(const TResponseHeader& header, std::string_view requestUrl) {
  TResponseFacts facts;
  if (header.Has("content-location")) facts.Location = ResolveUrl(requestUrl, header.Get("content-location"));
  if (header.Has("location")) facts.Location = ResolveUrl(requestUrl, header.Get("location"));
  if (header.Has("content-length")) facts.ContentLength = Number(header.Get("content-length")).value_or(0);
  if (header.Has("content-range") && facts.ContentLength == -1) {
    const std::string range = header.Get("content-range");
    const std::string_view spec = std::string_view(range).substr(std::min<std::size_t>(6, range.size()));
    const auto first = Number(spec.substr(0, spec.find('-')));
    const std::size_t slash = spec.find('/');
    const auto total = slash == std::string_view::npos ? std::nullopt : Number(spec.substr(slash + 1));
    // A range that begins beyond the total announces nothing.
    if (total && *total != 0 && first.value_or(0) <= *total) facts.ContentLength = *total - first.value_or(0);
  }
  if (header.Has("content-disposition")) {
    const std::string value = header.Get("content-disposition");
    const std::size_t at = Lower(value).find("filename=");
    if (at != std::string::npos) {
      std::string name = value.substr(at + 9);
      if (name.size() >= 2 && name.front() == '"') name = name.substr(1, name.find('"', 1) == std::string::npos ? std::string::npos : name.find('"', 1) - 1);
      facts.ContentFileName = name;
    }
  }
  return facts;
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
