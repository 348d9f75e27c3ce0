#include "net/net_mail.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include "net/http_headers.h"
#include "net/net_errors.h"

namespace velkoran::net {

namespace {

// A retrieved line may be long, but not without end.
constexpr std::size_t kMailLineLimit = 1024 * 1024;

void RequireSafeArgument(std::string_view text, const char* protocol) {
  if (HasLineBreakOrNul(text)) throw EProtocolError(protocol, 0, "line break in a command argument");
}

}  // namespace

// --- POP3

TNetPOP3::TNetPOP3(std::size_t bufferSize) : TNetSocket(bufferSize) { Port = 110; }

TNetPOP3::~TNetPOP3() {
  try {
    if (Connected) Disconnect();
  } catch (...) {
  }
}

void TNetPOP3::CheckReply() {
  const std::string line = ReadResponse();
  if (line.compare(0, 3, "+OK") == 0) {
    ReplyText = line.size() > 4 ? line.substr(4) : std::string();
    return;
  }
  if (line.compare(0, 4, "-ERR") == 0) {
    ReplyText = line.size() > 5 ? line.substr(5) : std::string();
    throw EProtocolError("pop3", 500, line);
  }
  ReplyText.clear();
  throw EProtocolError("pop3", 999, line);
}

void TNetPOP3::Connect() {
  ConnectSocket();
  CheckReply();
  Connected = true;
  Message.Clear();
  MailCount = 0;
  Status("nfo>loginします", kTraceOperation);
  Login();
  try {
    SendCommand("STAT");
    CheckReply();
    MailCount = std::atoi(ReplyText.substr(0, ReplyText.find(' ')).c_str());
  } catch (const EProtocolError&) {
    // A server without STAT still lets us retrieve.
  }
}

void TNetPOP3::Login() {
  RequireSafeArgument(UserId, "pop3");
  RequireSafeArgument(Password, "pop3");
  for (int attempt = 1;; ++attempt) {
    bool retry = false;
    if (UserId.empty()) {
      if (OnNeedUserId) OnNeedUserId(*this, retry);
      if (retry && attempt < 2) continue;
      Status("err>useridがありません", kTraceResult);
      throw EProtocolError("AuthenticationNeeded", ReplyNumber, ReplyText);
    }
    try {
      SendCommand("USER " + UserId);
      CheckReply();
      SendCommand("PASS " + Password);
      CheckReply();
      return;
    } catch (const EProtocolError&) {
      if (OnLoginFailed) OnLoginFailed(*this, retry);
      if (!retry || attempt >= 2) throw;
    }
  }
}

std::string TNetPOP3::ReadMultiLine(bool traceAll) {
  std::string raw;
  bool inHeader = true;
  for (;;) {
    if (Socket < 0 && Buffered() == 0) throw EProtocolError("pop3", 0, "message cut off before its end");
    std::string line = traceAll || inHeader ? ReadResponse() : ReadLine(kMailLineLimit);
    if (line == ".") break;
    if (Socket < 0 && Buffered() == 0 && line.empty()) throw EProtocolError("pop3", 0, "message cut off before its end");
    if (line.empty()) inHeader = false;
    // The server stuffed a dot in front of every line that began with one.
    if (!line.empty() && line[0] == '.') line.erase(0, 1);
    raw += line;
    raw += "\r\n";
  }
  return raw;
}

void TNetPOP3::Retrieve(std::int32_t number) {
  try {
    Status("nfo>メールを取得します", kTraceOperation);
    if (OnBeforeRetrieve) OnBeforeRetrieve(*this, number);
    SendCommand("RETR " + std::to_string(number));
    CheckReply();
    Message.Clear();
    Message.AttachPath = AttachPath;
    const std::string raw = ReadMultiLine(false);
    // With DeleteOnRead, an attachment that cannot be written must keep the message on
    // the server, so it fails the retrieval.
    Message.Parse(raw, DeleteOnRead);
    Status("nfo>メール取得終了", kTraceOperation);
    if (OnRetrieved) OnRetrieved(*this, number);
  } catch (...) {
    Status("err>メール取得に失敗しました", kTraceResult);
    throw;
  }
  if (DeleteOnRead) Delete(number);
}

void TNetPOP3::RetrieveTop(std::int32_t number) {
  try {
    Status("nfo>ヘッダを取得します", kTraceOperation);
    SendCommand("TOP " + std::to_string(number) + " 1");
    CheckReply();
    Message.Clear();
    const std::string raw = ReadMultiLine(true);
    Message.Parse(raw);
    Message.Number = number;
    Status("nfo>ヘッダを取得終了", kTraceOperation);
  } catch (...) {
    Status("err>ヘッダ取得に失敗しました", kTraceResult);
    throw;
  }
}

void TNetPOP3::Delete(std::int32_t number) {
  try {
    Status("nfo>メールを削除します", kTraceOperation);
    SendCommand("DELE " + std::to_string(number));
    CheckReply();
    Status("nfo>メール削除終了", kTraceOperation);
    if (OnDeleted) OnDeleted(*this, number, true);
  } catch (...) {
    Status("err>メール削除に失敗しました", kTraceResult);
    if (OnDeleted) OnDeleted(*this, number, false);
    throw;
  }
}

void TNetPOP3::Disconnect() {
  Status("nfo>logoutします", kTraceOperation);
  if (Connected && Socket >= 0) {
    try {
      SendCommand("QUIT");
      CheckReply();
    } catch (const std::exception&) {
      // The session ends either way.
    }
  }
  TNetSocket::Disconnect();
}

// --- SMTP

TNetSMTP::TNetSMTP(std::size_t bufferSize) : TNetSocket(bufferSize) { Port = 25; }

TNetSMTP::~TNetSMTP() {
  try {
    if (Connected) Disconnect();
  } catch (...) {
  }
}

void TNetSMTP::CheckReply(std::initializer_list<int> expected) {
  std::string line = ReadResponse();
  // A multi-line reply ("250-...") counts by its last line.
  while (line.size() > 3 && line[3] == '-') line = ReadResponse();
  int number = 0;
  bool digits = line.size() >= 3;
  for (std::size_t i = 0; i < 3 && digits; ++i) {
    digits = line[i] >= '0' && line[i] <= '9';
    if (digits) number = number * 10 + (line[i] - '0');
  }
  ReplyNumber = static_cast<std::int16_t>(digits ? number : 999);
  ReplyText = line.size() > 4 ? line.substr(4) : std::string();
  bool wanted = expected.size() == 0;
  for (int code : expected) wanted = wanted || code == ReplyNumber;
  if (ReplyNumber > 399 || !wanted) throw EProtocolError("SMTP", ReplyNumber, ReplyText);
}

void TNetSMTP::Connect() {
  ConnectSocket();
  Connected = true;
  CheckReply({220});
  sockaddr_in local{};
  socklen_t len = sizeof local;
  getsockname(Socket, reinterpret_cast<sockaddr*>(&local), &len);
  SendCommand("HELO " + DottedAddress(local.sin_addr.s_addr));
  CheckReply({250});
}

void TNetSMTP::SendMail() {
  Status("nfo>メールを送信します", kTraceOperation);
  // Built first: a message that cannot be built never starts a transaction.
  const std::string text = Message.Build();
  const std::string from = MailAddress(Message.HeaderValue("From"));
  std::vector<std::string> recipients;
  for (const char* field : {"To", "Cc", "Bcc"}) {
    for (std::string& a : MailAddresses(Message.HeaderValue(field))) recipients.push_back(std::move(a));
  }
  RequireSafeArgument(from, "SMTP");
  for (const std::string& r : recipients) RequireSafeArgument(r, "SMTP");
  if (recipients.empty()) throw EProtocolError("SMTP", 0, "no recipient");
  SendCommand("MAIL FROM:<" + from + ">");
  CheckReply({250});
  for (const std::string& r : recipients) {
    SendCommand("RCPT TO:<" + r + ">");
    CheckReply({250, 251});
  }
  SendCommand("DATA");
  CheckReply({354});
  // The header lines are traced as commands; the whole text goes out dot-stuffed, every
  // line ending in CR LF (a bare LF too).
  std::string data;
  data.reserve(text.size() + text.size() / 64 + 8);
  bool inHeader = true;
  for (std::string_view line : SplitLines(text)) {
    if (inHeader) {
      if (line.empty()) {
        inHeader = false;
      } else {
        Status("cmd>" + MaskSecrets(line), kTraceResult);
      }
    }
    if (!line.empty() && line[0] == '.') data += '.';
    data.append(line).append("\r\n");
  }
  data += ".\r\n";
  WriteString(data);
  CheckReply({250});
  Status("nfo>メールの送信を終了しました", kTraceOperation);
}

void TNetSMTP::Disconnect() {
  if (Connected && Socket >= 0) {
    try {
      SendCommand("QUIT");
    } catch (const std::exception&) {
    }
  }
  TNetSocket::Disconnect();
}

}  // namespace velkoran::net
