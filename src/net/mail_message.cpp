#include "net/mail_message.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "net/http_headers.h"
#include "net/net_errors.h"
#include "net/net_misc.h"
#include "net/text.h"
#include "script/builtins/base64.h"
#include "platform/ascii.h"
#include "script/builtins/japanese_codes.h"

namespace velkoran::net {

namespace {

// Steps through the lines of a text as SplitLines cuts them, without making a list.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // The next line (a CR before its LF dropped); false at the end.
  bool Next(std::string_view& line) {
    if (next_ >= text_.size()) return false;
    start_ = next_;
    const std::size_t lf = text_.find('\n', next_);
    const std::size_t end = lf == std::string_view::npos ? text_.size() : lf;
    line = text_.substr(start_, end - start_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    next_ = lf == std::string_view::npos ? text_.size() : lf + 1;
    return true;
  }
  // Where the line Next gave begins, and where the next one begins.
  std::size_t LineStart() const noexcept { return start_; }
  std::size_t NextStart() const noexcept { return next_; }

 private:
  std::string_view text_;
  std::size_t start_ = 0;
  std::size_t next_ = 0;
};

// Header lines with folded continuations joined, read into table.
void ReadHeaders(const std::vector<std::string_view>& lines, kestrin::TStringHashTable& table) {
  std::vector<std::string> logical;
  for (std::string_view line : lines) {
    if (!logical.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      logical.back() += ' ';
      logical.back() += Trim(line);
    } else {
      logical.emplace_back(line);
    }
  }
  for (const std::string& line : logical) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
      table.AddString(Trim(line), "");
    } else {
      table.AddString(Trim(std::string_view(line).substr(0, colon)), Trim(std::string_view(line).substr(colon + 1)));
    }
  }
}

// The value of a parameter (boundary, name, filename) in a header value: quoted, or a
// token up to ";" or a blank.
std::string Parameter(std::string_view value, std::string_view name) {
  const std::string lower = Lower(value);
  std::size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    // "name=" must not be the tail of "filename=".
    if (at > 0 && (std::isalnum(static_cast<unsigned char>(lower[at - 1])) != 0)) {
      at += name.size();
      continue;
    }
    std::string_view rest = value.substr(at + name.size());
    if (!rest.empty() && rest[0] == '"') {
      const std::size_t close = rest.find('"', 1);
      return std::string(rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    }
    return std::string(Trim(rest.substr(0, rest.find_first_of("; \t"))));
  }
  return {};
}

bool IsGenerated(std::string_view name) {
  for (std::string_view g : {"content-type", "date", "mime-version", "content-transfer-encoding", "bcc"}) {
    if (platform::EqualsAsciiNoCase(name, g)) return true;
  }
  return false;
}

std::string ReadWholeFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) throw ENetSocket("cannot read " + path);
  std::string data;
  char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, f.get())) > 0) data.append(block, n);
  if (std::ferror(f.get())) throw ENetSocket("cannot read " + path);
  return data;
}

std::string LastComponent(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool NeedsEncoding(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  LineCursor cursor(text);
  for (std::string_view line; cursor.Next(line);) lines.push_back(line);
  return lines;
}

std::string JoinLines(std::string_view text) {
  std::string joined;
  joined.reserve(text.size());
  LineCursor cursor(text);
  for (std::string_view line; cursor.Next(line);) {
    if (cursor.LineStart() > 0) joined.append("\r\n", 2);
    joined.append(line);
  }
  return joined;
}

std::string MailAddress(std::string_view text) {
  const std::size_t open = text.rfind('<');
  const std::size_t close = open == std::string_view::npos ? std::string_view::npos : text.find('>', open);
  if (close != std::string_view::npos) return std::string(Trim(text.substr(open + 1, close - open - 1)));
  return std::string(Trim(text));
}

std::vector<std::string> MailAddresses(std::string_view list) {
  std::vector<std::string> out;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] == '"') quoted = !quoted;
    if (i == list.size() || (list[i] == ',' && !quoted)) {
      std::string address = MailAddress(list.substr(start, i - start));
      if (!address.empty()) out.push_back(std::move(address));
      start = i + 1;
    }
  }
  return out;
}

void TMailMessage::Clear() {
  Attachments.clear();
  Headers.Clear();
  HeaderLines.clear();
  Number = 0;
  Size = 0;
  Message.clear();
  AttachPath.clear();
  Boundary = RandomLetters(42);
  text_.clear();
  bodyStart_ = 0;
}

void TMailMessage::Assign(const TMailMessage& other) {
  if (&other == this) return;
  Clear();
  Attachments = other.Attachments;
  CopyTable(other.Headers, Headers);
  HeaderLines = other.HeaderLines;
  Number = other.Number;
  Size = other.Size;
  Message = other.Message;
  Boundary = other.Boundary;
  AttachPath = other.AttachPath;
  text_ = other.text_;
  bodyStart_ = other.bodyStart_;
}

void TMailMessage::Take(TMailMessage& other) {
  if (&other == this) return;
  Clear();
  CopyTable(other.Headers, Headers);
  Attachments.swap(other.Attachments);
  HeaderLines.swap(other.HeaderLines);
  Message.swap(other.Message);
  text_.swap(other.text_);
  bodyStart_ = other.bodyStart_;
  Number = other.Number;
  Size = other.Size;
  Boundary = other.Boundary;
  AttachPath = other.AttachPath;
  other.Clear();
}

std::string TMailMessage::Body() const { return JoinLines(std::string_view(text_).substr(bodyStart_)); }

void TMailMessage::Parse(std::string raw, bool strict) {
  const std::string attachPath = AttachPath;
  auto decode = std::move(DecodeName);
  auto store = std::move(StoreAttachment);
  Clear();
  AttachPath = attachPath;
  DecodeName = std::move(decode);
  StoreAttachment = std::move(store);
  text_ = std::move(raw);
  const std::string_view all = text_;
  Size = static_cast<std::int64_t>(all.size());
  const std::size_t split = all.find("\r\n\r\n");
  const std::string_view head = split == std::string_view::npos ? all : all.substr(0, split + 2);
  bodyStart_ = split == std::string_view::npos ? all.size() : split + 4;
  const std::string_view body = all.substr(bodyStart_);
  const std::vector<std::string_view> headLines = SplitLines(head);
  for (std::string_view l : headLines) HeaderLines.emplace_back(l);
  ReadHeaders(headLines, Headers);

  const std::string type = HeaderValue("Content-Type");
  if (Lower(type).find("multipart/mixed") == std::string::npos) {
    Message = JoinLines(body);
    return;
  }
  Boundary = Parameter(type, "boundary=");
  const std::string delimiter = "--" + Boundary;
  // A part is the text between two delimiter lines, its lines' ends included.
  std::size_t partStart = 0;
  bool started = false;
  LineCursor cursor(body);
  for (std::string_view line; cursor.Next(line);) {
    const std::string_view trimmed = Trim(line);
    const bool isClosing = trimmed.size() == delimiter.size() + 2 && trimmed.substr(delimiter.size()) == "--";
    const bool isDelimiter = trimmed.substr(0, delimiter.size()) == delimiter && (trimmed.size() == delimiter.size() || isClosing);
    if (!isDelimiter) continue;
    if (started) ParsePart(body.substr(partStart, cursor.LineStart() - partStart), strict);
    if (started && isClosing) break;
    started = true;
    partStart = cursor.NextStart();
  }
}

void TMailMessage::ParsePart(std::string_view part, bool strict) {
  std::vector<std::string_view> headLines;
  LineCursor cursor(part);
  for (std::string_view line; cursor.Next(line) && !line.empty();) headLines.push_back(line);
  kestrin::TStringHashTable headers(10, true);
  ReadHeaders(headLines, headers);
  // The body follows the blank line; the line end before the next delimiter belongs to it.
  const std::string_view body = part.substr(std::min(cursor.NextStart(), part.size()));
  const std::string type = headers.GetText("Content-Type");
  if (Lower(type).find("text/plain") != std::string::npos) {
    // A later text part begins on a line of its own, not glued to the last line before it.
    if (!Message.empty()) Message.append("\r\n", 2);
    Message += JoinLines(body);
    return;
  }
  std::string name = Parameter(type, "name=");
  if (name.empty()) name = Parameter(headers.GetText("Content-Disposition"), "filename=");
  if (Lower(Trim(headers.GetText("Content-Transfer-Encoding"))) != "base64") return;
  if (DecodeName) name = DecodeName(name);
  // The decoder skips line ends, so it reads the lines where they lie.
  const std::string path = SaveAttachment(name, kestrin::Base64Decode(body), strict);
  if (!path.empty()) Attachments.push_back(path);
}

std::string TMailMessage::SaveAttachment(const std::string& name, std::string_view data, bool strict) {
  if (StoreAttachment) return StoreAttachment(name, data);
  std::string dir = AttachPath;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  // Only the last component of the sender's name, and never a name that means a folder.
  std::string file = LastComponent(name);
  int fd = -1;
  std::string path;
  if (file.empty() || file == "." || file == "..") {
    path = (dir.empty() ? std::string() : dir) + "gpop3XXXXXX";
    if (dir.empty()) {
      path = TempFileName("gpop3");
      fd = path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    } else {
      fd = ::mkstemp(path.data());
    }
  } else {
    const std::size_t dot = file.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
    const std::string ext = dot == std::string::npos || dot == 0 ? std::string() : file.substr(dot);
    for (int n = 0; n < 1000 && fd < 0; ++n) {
      path = dir + (n == 0 ? file : stem + "-" + std::to_string(n) + ext);
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0 && errno != EEXIST) break;
    }
  }
  bool ok = fd >= 0;
  while (ok && !data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) data.remove_prefix(static_cast<std::size_t>(n));
  }
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok) return path;
  if (fd >= 0) ::unlink(path.c_str());
  if (strict) throw ENetSocket("cannot write the attachment " + name);
  return {};
}

const std::string& TMailMessage::Build() {
  Boundary = RandomLetters(42);
  HeaderLines.clear();
  text_.clear();
  bodyStart_ = 0;
  for (const std::string& name : Headers.Keys()) {
    const std::string value = Headers.GetText(name);
    if (HasLineBreakOrNul(name) || HasLineBreakOrNul(value)) throw EProtocolError("SMTP", 0, "line break in a header");
  }
  const bool multipart = !Attachments.empty();
  for (const std::string& name : Headers.Keys()) {
    // The generated headers are written once: a script's own Date, MIME-Version or (for a
    // single part) Content-Type and transfer encoding stand in for ours; Bcc is never shown.
    if (IsGenerated(name) && (platform::EqualsAsciiNoCase(name, "bcc") || multipart)) continue;
    HeaderLines.push_back(name + ": " + Headers.GetText(name));
  }
  auto generated = [&](std::string_view name, const std::string& value) {
    if (multipart || !Headers.HasKey(name)) HeaderLines.push_back(std::string(name) + ": " + value);
  };
  generated("Content-Type", multipart ? "multipart/mixed; boundary=\"" + Boundary + "\"" : "text/plain; charset=US-ASCII");
  if (!Headers.HasKey("Date")) HeaderLines.push_back("Date: " + FormatMailDate(kestrin::date::Now()));
  if (!Headers.HasKey("MIME-Version")) HeaderLines.push_back("MIME-Version: 1.0");
  generated("Content-Transfer-Encoding", "7bit");
  HeaderLines.emplace_back();

  std::string text;
  text.reserve(Message.size() + Message.size() / 32 + 4096);
  auto line = [&text](std::string_view l) { text.append(l).append("\r\n", 2); };
  for (const auto& l : HeaderLines) line(l);
  const std::size_t bodyStart = text.size();
  auto addText = [&](std::string_view t) {
    LineCursor cursor(t);
    for (std::string_view l; cursor.Next(l);) line(l);
  };
  if (!multipart) {
    addText(Message);
  } else {
    line("--" + Boundary);
    line("Content-Type: text/plain");
    line("");
    addText(Message);
    for (const std::string& path : Attachments) {
      std::string name = LastComponent(path);
      if (NeedsEncoding(name)) name = kestrin::EncodeMimeHeader(name);
      const std::string data = ReadWholeFile(path);
      line("--" + Boundary);
      line("Content-Type: application/octet-stream; name=\"" + name + "\"");
      line("Content-Disposition: attachment; filename=\"" + name + "\"");
      line("Content-Transfer-Encoding: Base64");
      line("");
      const std::string encoded = kestrin::Base64Encode(data);
      text.reserve(text.size() + encoded.size() + encoded.size() / 38 + 4096);
      for (std::size_t i = 0; i < encoded.size(); i += 76) line(std::string_view(encoded).substr(i, 76));
    }
    line("--" + Boundary + "--");
  }
  text_ = std::move(text);
  bodyStart_ = bodyStart;
  return text_;
}

}  // namespace velkoran::net
