#include "net/support/mail_servers.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/files.h"

namespace velkoran::net::testing {

namespace {

constexpr int kUsers = 60;

std::string UserName(int n) { return "user" + std::to_string(n); }

unsigned UidOf(const char* name, unsigned fallback) {
  const passwd* pw = ::getpwnam(name);
  return pw != nullptr ? pw->pw_uid : fallback;
}

}  // namespace

MailServers::TmpFolder::TmpFolder() {
  std::string pattern = "/tmp/velkoran-mail-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed in /tmp");
  path = pattern + "/";
}

MailServers::TmpFolder::~TmpFolder() { velkoran::testing::RemoveTree(path.substr(0, path.size() - 1)); }

MailServers::MailServers() {
  using velkoran::testing::MakeDirs;
  using velkoran::testing::WriteFile;
  root_ = dir_.path;
  // dovecot's login and internal users must reach its sockets and our files.
  ::chmod(root_.c_str(), 0755);
  const bool root = ::geteuid() == 0;
  // Dovecot serves no mail as root: the mailboxes belong to "nobody" then.
  mailUid_ = root ? UidOf("nobody", 65534) : ::geteuid();
  mailGid_ = root ? 65534 : ::getegid();
  const std::string self = root ? "" : std::string(::getpwuid(::geteuid())->pw_name);
  std::string users;
  for (int i = 0; i < kUsers; ++i) {
    const std::string name = UserName(i);
    for (const char* sub : {"/new", "/cur", "/tmp"}) MakeDirs(root_ + "mail/" + name + sub);
    users += name + ":{PLAIN}" + kPassword + ":" + std::to_string(mailUid_) + ":" + std::to_string(mailGid_) + "::" +
             root_ + "mail/" + name + "::\n";
  }
  WriteFile(root_ + "users", users);
  if (root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_ + "mail")) {
      ::chown(entry.path().c_str(), mailUid_, mailGid_);
    }
    ::chown((root_ + "mail").c_str(), mailUid_, mailGid_);
  }
  pop3_ = FreePort();
  WriteFile(root_ + "dovecot.conf",
            "protocols = pop3\nlisten = 127.0.0.1\nbase_dir = " + root_ + "run\nstate_dir = " + root_ +
                "state\nlog_path = " + root_ + "dovecot-server.log\nssl = no\ndisable_plaintext_auth = no\n"
                "auth_mechanisms = plain\n" +
                (root ? std::string("default_login_user = dovenull\ndefault_internal_user = dovecot\n"
                                    "default_internal_group = dovecot\n")
                      : "default_login_user = " + self + "\ndefault_internal_user = " + self + "\n") +
                "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + root_ +
                "users\n}\nuserdb {\n  driver = passwd-file\n  args = username_format=%u " + root_ +
                "users\n}\nmail_location = maildir:~\n"
                "service pop3-login {\n  inet_listener pop3 {\n    port = " + std::to_string(pop3_) +
                "\n  }\n  chroot =\n}\nservice anvil {\n  chroot =\n}\nservice imap-login {\n  chroot =\n}\n");
  const std::string dovecot = FindProgram({"/usr/sbin/dovecot", "/usr/bin/dovecot"});
  dovecot_ = std::make_unique<ServerProcess>(
      "dovecot", std::vector<std::string>{dovecot, "-F", "-c", root_ + "dovecot.conf"}, root_, pop3_);
  if (!dovecot_->Started()) error_ += "dovecot: " + dovecot_->Log() + velkoran::testing::ReadFile(root_ + "dovecot-server.log");

  MakeDirs(root_ + "spool");
  std::filesystem::copy_file(TestDataDir() + "servers/smtp_sink.py", root_ + "smtp_sink.py");
  const std::uint16_t smtp = FreePort();
  smtp_ = std::make_unique<ServerProcess>(
      "aiosmtpd",
      std::vector<std::string>{"/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(smtp), "-c",
                               "smtp_sink.Sink", root_ + "spool"},
      root_, smtp);
  if (!smtp_->Started()) error_ += "aiosmtpd: " + smtp_->Log();
}

std::string MailServers::FreshUser() { return UserName(nextUser_++ % kUsers); }

void MailServers::Deliver(const std::string& user, const std::string& message) {
  const std::string tmp = root_ + "mail/" + user + "/tmp/m" + std::to_string(++delivered_);
  const std::string dest = root_ + "mail/" + user + "/new/" + std::to_string(1000 + delivered_) + ".test";
  velkoran::testing::WriteFile(tmp, message);
  ::chown(tmp.c_str(), mailUid_, mailGid_);
  std::filesystem::rename(tmp, dest);
}

int MailServers::MailboxCount(const std::string& user) const {
  int n = 0;
  for (const char* sub : {"/new", "/cur"}) {
    for (const auto& e : std::filesystem::directory_iterator(root_ + "mail/" + user + sub)) n += e.is_regular_file() ? 1 : 0;
  }
  return n;
}

std::vector<std::string> MailServers::Stored() const {
  std::vector<std::string> out;
  for (int i = 1; std::filesystem::exists(root_ + "spool/" + std::to_string(i) + ".eml"); ++i) {
    out.push_back(velkoran::testing::ReadFile(root_ + "spool/" + std::to_string(i) + ".eml"));
  }
  return out;
}

std::vector<std::string> MailServers::Envelopes() const {
  std::vector<std::string> out;
  for (int i = 1; std::filesystem::exists(root_ + "spool/" + std::to_string(i) + ".env"); ++i) {
    out.push_back(velkoran::testing::ReadFile(root_ + "spool/" + std::to_string(i) + ".env"));
  }
  return out;
}

}  // namespace velkoran::net::testing
