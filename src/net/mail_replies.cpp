#include "net/mail_replies.h"

#include "net/net_errors.h"

namespace velkoran::net {

TPop3Status ParsePop3Status(std::string_view line) {
  if (line.substr(0, 3) == "+OK") return {TPop3Status::Kind::Ok, line.size() > 4 ? line.substr(4) : std::string_view()};
  if (line.substr(0, 4) == "-ERR") return {TPop3Status::Kind::Err, line.size() > 5 ? line.substr(5) : std::string_view()};
  return {};
}

std::int64_t LeadingCount(std::string_view text, std::int64_t limit) {
  std::size_t i = text.find_first_not_of(" \t");
  std::int64_t n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturates: a server's absurd count must not overflow.
    n = n > (limit - (text[i] - '0')) / 10 ? limit : n * 10 + (text[i] - '0');
  }
  return n;
}

bool TSmtpReply::Add(std::string_view line) {
  if (line.size() > 3 && line[3] == '-') return false;
  int number = 0;
  bool digits = line.size() >= 3;
  for (std::size_t i = 0; i < 3 && digits; ++i) {
    digits = line[i] >= '0' && line[i] <= '9';
    if (digits) number = number * 10 + (line[i] - '0');
  }
  number_ = static_cast<std::int16_t>(digits ? number : 999);
  text_ = line.size() > 4 ? std::string(line.substr(4)) : std::string();
  return true;
}

void TPop3DataDecoder::Line(std::string_view line, std::string& out) {
  if (traceAll_ || inHeader_) {
    if (OnTracedLine) OnTracedLine(line);
  }
  if (line == ".") {
    finished_ = true;
    return;
  }
  if (line.empty()) {
    inHeader_ = false;
    if (!traceAll_) lines_.SetLimit(bodyLimit_);
  }
  // The server stuffed a dot in front of every line that began with one.
  if (!line.empty() && line[0] == '.') line.remove_prefix(1);
  out.append(line);
  out.append("\r\n", 2);
}

std::size_t TPop3DataDecoder::Feed(const char* data, std::size_t size, std::string& out) {
  if (finished_) return 0;
  return lines_.Feed(data, size, [&](std::string_view line) {
    Line(line, out);
    return !finished_;
  });
}

void TPop3DataDecoder::Finish() {
  if (finished_) return;
  if (lines_.HasPartial() && lines_.Partial() == ".") {
    finished_ = true;
    return;
  }
  throw EProtocolError("pop3", 0, "message cut off before its end");
}

}  // namespace velkoran::net
