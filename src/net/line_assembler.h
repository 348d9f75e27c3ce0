// TLineAssembler: cuts bytes that arrive in pieces of any size into lines at LF, every CR
// dropped, the way the protocol clients read their servers' lines. A line lying whole in
// a piece is passed where it lies; only a line that a piece ends inside is copied.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "net/net_errors.h"

namespace velkoran::net {

class TLineAssembler {
 public:
  TLineAssembler(const char* protocol, std::size_t limit) : protocol_(protocol), limit_(limit) {}
  // The longest line taken from now on (EProtocolError beyond it).
  void SetLimit(std::size_t limit) noexcept { limit_ = limit; }

  // Passes each whole line to onLine (a callable taking std::string_view and returning
  // false to stop after it); the count of bytes used, all of them unless it stopped.
  template <typename OnLine>
  std::size_t Feed(const char* data, std::size_t size, OnLine&& onLine) {
    const char* p = data;
    const char* const end = data + size;
    bool more = true;
    while (p < end && more) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (lf == nullptr || midLine_) {
        AppendPartial(p, lf != nullptr ? lf : end);
        p = lf != nullptr ? lf + 1 : end;
        if (lf != nullptr) {
          midLine_ = false;
          more = onLine(std::string_view(partial_));
          partial_.clear();
        }
        continue;
      }
      std::string_view line(p, static_cast<std::size_t>(lf - p));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (std::memchr(line.data(), '\r', line.size()) != nullptr) {
        scratch_.clear();
        for (char c : line) {
          if (c != '\r') scratch_ += c;
        }
        line = scratch_;
      }
      p = lf + 1;
      Check(line.size());
      more = onLine(line);
    }
    return static_cast<std::size_t>(p - data);
  }

  // A line that the last piece ended inside (CRs dropped): there is one, and its text.
  bool HasPartial() const noexcept { return midLine_; }
  const std::string& Partial() const noexcept { return partial_; }

 private:
  void Check(std::size_t length) const {
    if (length > limit_) throw EProtocolError(protocol_, 0, "line too long");
  }
  void AppendPartial(const char* begin, const char* end) {
    for (const char* s = begin; s < end;) {
      const char* cr = static_cast<const char*>(std::memchr(s, '\r', static_cast<std::size_t>(end - s)));
      const char* stop = cr != nullptr ? cr : end;
      partial_.append(s, stop);
      s = cr != nullptr ? cr + 1 : end;
    }
    midLine_ = true;
    Check(partial_.size());
  }

  const char* protocol_;
  std::size_t limit_;
  bool midLine_ = false;
  std::string partial_;
  std::string scratch_;
};

}  // namespace velkoran::net
