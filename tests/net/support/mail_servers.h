// The mail servers of the POP3 and SMTP tests, started once per test program (on first
// use) in a scratch folder and stopped at its end: dovecot (POP3, plaintext login, a
// passwd-file of test users each with a maildir of their own, so that every test can take
// a fresh mailbox) and aiosmtpd with our handler (servers/smtp_sink.py), which stores
// every message with its envelope in a spool folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/support/test_servers.h"

namespace velkoran::net::testing {

class MailServers {
 public:
  static MailServers& Get() { return OncePerProgram<MailServers>(); }
  // Starts the servers; tests use Get(), which starts them once.
  MailServers();

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  std::uint16_t Pop3Port() const { return pop3_; }
  std::uint16_t SmtpPort() const { return smtp_->Port(); }
  static constexpr const char* kPassword = "secret";

  // A user nobody has used yet, with an empty maildir.
  std::string FreshUser();
  // Puts a message (CR LF line ends) into the user's mailbox.
  void Deliver(const std::string& user, const std::string& message);
  // Messages left in the user's mailbox (new and cur).
  int MailboxCount(const std::string& user) const;
  // The stored messages, oldest first: the data and the envelope.
  std::vector<std::string> Stored() const;
  std::vector<std::string> Envelopes() const;

 private:
  // The servers' folder: under /tmp, not the build's test area, because dovecot's own
  // users must pass through every folder above it (a checkout under /root would stop them).
  struct TmpFolder {
    TmpFolder();
    ~TmpFolder();
    std::string path;  // with "/"
  } dir_;
  std::string root_;
  std::unique_ptr<ServerProcess> dovecot_, smtp_;
  std::uint16_t pop3_ = 0;
  int nextUser_ = 0;
  unsigned mailUid_ = 0, mailGid_ = 0;
  int delivered_ = 0;
  std::string error_;
};

}  // namespace velkoran::net::testing
