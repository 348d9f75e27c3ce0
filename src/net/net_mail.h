// The mail clients on our socket: TNetPOP3 (login, STAT, RETR, TOP, DELE, QUIT; retrieved
// messages parsed into Message, attachments saved under AttachPath) and TNetSMTP (HELO,
// MAIL FROM, RCPT TO, DATA, QUIT). Lines are dot-stuffed on the way out and unstuffed on
// the way in, so a body line "." never ends the data early.
#pragma once

#include <functional>
#include <string>

#include "net/mail_message.h"
#include "net/net_socket.h"

namespace velkoran::net {

class TNetPOP3 : public TNetSocket {
 public:
  explicit TNetPOP3(std::size_t bufferSize = 65536);
  ~TNetPOP3() override;

  bool DeleteOnRead = false;
  std::int32_t MailCount = 0;
  std::string AttachPath;
  std::string Password;
  std::string UserId;
  TMailMessage Message;

  // Asked when a login fails, and when there is no user id; setting retry asks for one
  // more attempt (two at most).
  std::function<void(TNetPOP3& sender, bool& retry)> OnLoginFailed;
  std::function<void(TNetPOP3& sender, bool& retry)> OnNeedUserId;
  std::function<void(TNetPOP3& sender, std::int32_t number)> OnBeforeRetrieve;
  std::function<void(TNetPOP3& sender, std::int32_t number)> OnRetrieved;
  std::function<void(TNetPOP3& sender, std::int32_t number, bool ok)> OnDeleted;

  // Greeting, login, STAT.
  void Connect() override;
  // QUIT (failures ignored), then the socket closes.
  void Disconnect() override;
  void Retrieve(std::int32_t number);
  void RetrieveTop(std::int32_t number);
  void Delete(std::int32_t number);

 private:
  void CheckReply();
  void Login();
  // The lines of a multi-line answer up to its "." (unstuffed), each with CR LF; the
  // header lines (all with traceAll) traced as responses. expected: the announced size.
  std::string ReadMultiLine(bool traceAll, std::int64_t expected);
};

class TNetSMTP : public TNetSocket {
 public:
  explicit TNetSMTP(std::size_t bufferSize = 65536);
  ~TNetSMTP() override;

  TMailMessage Message;

  // Greeting (220), HELO (250).
  void Connect() override;
  // QUIT (failures ignored), then the socket closes.
  void Disconnect() override;
  // Sends Message: MAIL FROM the address of From, one RCPT TO per address of To, Cc and
  // Bcc, DATA, the built text, and the end of data, whose reply must be 250.
  void SendMail();

 private:
  // Reads a reply to its last line; EProtocolError above 399 or, when given, unless it
  // is one of the expected codes.
  void CheckReply(std::initializer_list<int> expected = {});
};

}  // namespace velkoran::net
