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
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
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
  BodyLines.clear();
  Message.clear();
  AttachPath.clear();
  Boundary = RandomLetters(42);
}

void TMailMessage::Assign(const TMailMessage& other) {
  if (&other == this) return;
  Clear();
  Attachments = other.Attachments;
  CopyTable(other.Headers, Headers);
  HeaderLines = other.HeaderLines;
  Number = other.Number;
  Size = other.Size;
  BodyLines = other.BodyLines;
  Message = other.Message;
  Boundary = other.Boundary;
  AttachPath = other.AttachPath;
}

void TMailMessage::Take(TMailMessage& other) {
  if (&other == this) return;
  Clear();
  CopyTable(other.Headers, Headers);
  Attachments.swap(other.Attachments);
  HeaderLines.swap(other.HeaderLines);
  BodyLines.swap(other.BodyLines);
  Message.swap(other.Message);
  Number = other.Number;
  Size = other.Size;
  Boundary = other.Boundary;
  AttachPath = other.AttachPath;
  other.Clear();
}

void TMailMessage::Parse(std::string_view raw, bool strict) {
  const std::string attachPath = AttachPath;
  auto decode = DecodeName;
  Clear();
  AttachPath = attachPath;
  DecodeName = decode;
  Size = static_cast<std::int64_t>(raw.size());
  std::size_t split = raw.find("\r\n\r\n");
  std::string_view head = split == std::string_view::npos ? raw : raw.substr(0, split + 2);
  std::string_view body = split == std::string_view::npos ? std::string_view() : raw.substr(split + 4);
  const std::vector<std::string_view> headLines = SplitLines(head);
  for (std::string_view l : headLines) HeaderLines.emplace_back(l);
  ReadHeaders(headLines, Headers);
  const std::vector<std::string_view> bodyLines = SplitLines(body);
  for (std::string_view l : bodyLines) BodyLines.emplace_back(l);

  const std::string type = HeaderValue("Content-Type");
  if (Lower(type).find("multipart/mixed") == std::string::npos) {
    for (std::size_t i = 0; i < bodyLines.size(); ++i) {
      if (i > 0) Message += "\r\n";
      Message += bodyLines[i];
    }
    return;
  }
  Boundary = Parameter(type, "boundary=");
  const std::string delimiter = "--" + Boundary;
  std::vector<std::string_view> part;
  bool started = false;
  for (std::string_view line : bodyLines) {
    const std::string_view trimmed = Trim(line);
    const bool isDelimiter = trimmed == delimiter || trimmed == delimiter + "--";
    if (!started) {
      started = isDelimiter;
      continue;
    }
    if (isDelimiter) {
      ParsePart(part, strict);
      part.clear();
      if (trimmed != delimiter) break;  // the closing delimiter
      continue;
    }
    part.push_back(line);
  }
}

void TMailMessage::ParsePart(const std::vector<std::string_view>& lines, bool strict) {
  std::size_t blank = 0;
  while (blank < lines.size() && !lines[blank].empty()) ++blank;
  kestrin::TStringHashTable headers(10, true);
  ReadHeaders(std::vector<std::string_view>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(blank)), headers);
  // The body follows the blank line; the line end before the next delimiter belongs to it.
  std::string body;
  for (std::size_t i = blank + 1; i < lines.size(); ++i) {
    if (i > blank + 1) body += "\r\n";
    body += lines[i];
  }
  const std::string type = headers.GetText("Content-Type");
  if (Lower(type).find("text/plain") != std::string::npos) {
    Message += body;
    return;
  }
  std::string name = Parameter(type, "name=");
  if (name.empty()) name = Parameter(headers.GetText("Content-Disposition"), "filename=");
  if (Lower(Trim(headers.GetText("Content-Transfer-Encoding"))) != "base64") return;
  if (DecodeName) name = DecodeName(name);
  const std::string path = SaveAttachment(name, kestrin::Base64Decode(body), strict);
  if (!path.empty()) Attachments.push_back(path);
}

std::string TMailMessage::SaveAttachment(const std::string& name, std::string_view data, bool strict) {
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

std::string TMailMessage::Build() {
  Boundary = RandomLetters(42);
  HeaderLines.clear();
  BodyLines.clear();
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

  auto addText = [&](std::string_view text) {
    for (std::string_view l : SplitLines(text)) BodyLines.emplace_back(l);
  };
  if (!multipart) {
    addText(Message);
  } else {
    BodyLines.push_back("--" + Boundary);
    BodyLines.push_back("Content-Type: text/plain");
    BodyLines.emplace_back();
    addText(Message);
    for (const std::string& path : Attachments) {
      std::string name = LastComponent(path);
      if (NeedsEncoding(name)) name = kestrin::EncodeMimeHeader(name);
      const std::string data = ReadWholeFile(path);
      BodyLines.push_back("--" + Boundary);
      BodyLines.push_back("Content-Type: application/octet-stream; name=\"" + name + "\"");
      BodyLines.push_back("Content-Disposition: attachment; filename=\"" + name + "\"");
      BodyLines.push_back("Content-Transfer-Encoding: Base64");
      BodyLines.emplace_back();
      const std::string encoded = kestrin::Base64Encode(data);
      for (std::size_t i = 0; i < encoded.size(); i += 76) BodyLines.push_back(encoded.substr(i, 76));
    }
    BodyLines.push_back("--" + Boundary + "--");
  }
  std::string text;
  std::size_t size = 0;
  for (const auto& l : HeaderLines) size += l.size() + 2;
  for (const auto& l : BodyLines) size += l.size() + 2;
  text.reserve(size);
  for (const auto& l : HeaderLines) text.append(l).append("\r\n");
  for (const auto& l : BodyLines) text.append(l).append("\r\n");
  return text;
}

}  // namespace velkoran::net
