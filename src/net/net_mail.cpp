#include "net/net_mail.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdint>

#include "net/http_headers.h"
#include "net/mail_replies.h"
#include "net/net_errors.h"

namespace velkoran::net {

namespace {

// A retrieved line may be long, but not without end.
constexpr std::size_t kMailLineLimit = 1024 * 1024;
// Room made ahead for a message of announced size (the rest grows as it comes).
constexpr std::int64_t kReserveLimit = std::int64_t{256} << 20;

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
  const TPop3Status status = ParsePop3Status(line);
  ReplyText = status.Text;
  if (status.Is == TPop3Status::Kind::Ok) return;
  throw EProtocolError("pop3", status.Is == TPop3Status::Kind::Err ? 500 : 999, line);
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
    MailCount = static_cast<std::int32_t>(LeadingCount(ReplyText, INT32_MAX));
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

std::string TNetPOP3::ReadMultiLine(bool traceAll, std::int64_t expected) {
  std::string raw;
  // The size the server announced, as far as it is believable.
  raw.reserve(static_cast<std::size_t>(std::min<std::int64_t>(expected, kReserveLimit)) + 4096);
  TPop3DataDecoder decoder(kProtocolLineLimit, kMailLineLimit, traceAll);
  decoder.OnTracedLine = [this](std::string_view line) {
    LastResponse = line;
    if (!line.empty()) Status("res>" + std::string(line), kTraceResult);
  };
  // Lines go from the read-ahead buffer into the text without a copy of their own.
  while (!decoder.Finished()) {
    if (Buffered() == 0 && !FillBuffer()) {
      decoder.Finish();
      break;
    }
    ConsumeBuffered(decoder.Feed(BufferedData(), Buffered(), raw));
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
    std::string raw = ReadMultiLine(false, LeadingCount(ReplyText, kReserveLimit));
    // With DeleteOnRead, an attachment that cannot be written must keep the message on
    // the server, so it fails the retrieval.
    Message.Parse(std::move(raw), DeleteOnRead);
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
    Message.Parse(ReadMultiLine(true, 0));
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
  // A multi-line reply ("250-...") counts by its last line.
  TSmtpReply reply;
  while (!reply.Add(ReadResponse())) {
  }
  ReplyNumber = reply.Number();
  ReplyText = reply.Text();
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
  const std::string& text = Message.Build();
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
