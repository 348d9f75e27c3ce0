// The replies of the mail servers, read from lines and bytes without a socket: the POP3
// status line, the (multi-line) SMTP reply, and the data of a multi-line POP3 answer.
// The clients in net_mail feed them what they receive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/line_assembler.h"

namespace velkoran::net {

// A POP3 status line: "+OK text", "-ERR text", or neither; Text follows the marker and
// its blank.
struct TPop3Status {
  enum class Kind { Ok, Err, Other };
  Kind Is = Kind::Other;
  std::string_view Text;
};
TPop3Status ParsePop3Status(std::string_view line);

// The count a reply text begins with ("+OK 2 320", "+OK 1200 octets"): its leading decimal
// digits, at most limit; 0 without digits.
std::int64_t LeadingCount(std::string_view text, std::int64_t limit);

// An SMTP reply read line by line: "250-..." lines continue it, the first other line ends
// it and gives the code (999 without three leading digits) and the text.
class TSmtpReply {
 public:
  // Takes the next line; true when it was the last.
  bool Add(std::string_view line);
  std::int16_t Number() const noexcept { return number_; }
  const std::string& Text() const noexcept { return text_; }

 private:
  std::int16_t number_ = 999;
  std::string text_;
};

// Decodes the data of a multi-line POP3 answer (RETR, TOP) fed in pieces of any size, up
// to its line ".": every CR is dropped, the dot the server stuffed in front of a line
// that begins with one is removed, and each line is written to out with CR LF. Lines
// before the first empty one are header lines. A line longer than its limit (header
// lines, and every line when all are traced: headerLineLimit; the others: bodyLineLimit)
// raises EProtocolError.
class TPop3DataDecoder {
 public:
  TPop3DataDecoder(std::size_t headerLineLimit, std::size_t bodyLineLimit, bool traceAll)
      : bodyLimit_(bodyLineLimit), traceAll_(traceAll), lines_("pop3", headerLineLimit) {}
  // Called with the header lines (every line, "." included, when traceAll) as received.
  std::function<void(std::string_view line)> OnTracedLine;

  // The count of bytes used: all of them, unless the answer ended inside.
  std::size_t Feed(const char* data, std::size_t size, std::string& out);
  // The data ended before more came: a last "." without its line end still ends the
  // answer; anything else means it was cut off (EProtocolError).
  void Finish();
  bool Finished() const noexcept { return finished_; }

 private:
  void Line(std::string_view line, std::string& out);

  std::size_t bodyLimit_;
  bool traceAll_;
  bool inHeader_ = true;
  bool finished_ = false;
  TLineAssembler lines_;
};

}  // namespace velkoran::net
