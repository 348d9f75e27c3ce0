// Mail messages, POP3 and SMTP: scripts against dovecot and aiosmtpd started by the test
// program, and scripted peers for replies a real server would not give.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "net/mail_message.h"
#include "net/net_errors.h"
#include "net/net_mail.h"
#include "net/support/mail_servers.h"
#include "net/support/test_servers.h"
#include "script/host/host_test_support.h"
#include "support/files.h"

namespace kestrin {
namespace {

using host_testing::ScriptHost;
using host_testing::Uncaught;
using velkoran::net::testing::MailServers;
using velkoran::net::testing::PeerConnection;
using velkoran::net::testing::ScriptedPeer;
using velkoran::testing::ReadFile;
using velkoran::testing::WriteFile;

class MailTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mail().Ok()) << mail().Error(); }
  static MailServers& mail() { return MailServers::Get(); }
  // "$D" the scratch folder, "$SMTP" and "$POP3" the servers' ports.
  std::string Run(std::string script) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"$SMTP", std::to_string(mail().SmtpPort())},
                                      {"$POP3", std::to_string(mail().Pop3Port())}}) {
      for (std::size_t at; (at = script.find(mark)) != std::string::npos;) script.replace(at, mark.size(), value);
    }
    return host.Run(script);
  }
  std::string Pop3Login(const std::string& user) {
    return "var p = new POP3(); p.host = '127.0.0.1'; p.port = $POP3; p.userid = '" + user + "'; p.password = '" +
           MailServers::kPassword + "'; p.attachPath = '$Dgot/';";
  }
  velkoran::testing::ScratchDir dir;
  ScriptHost host{dir.Path()};
};

TEST_F(MailTest, RoundTripThroughSmtpAndPop3KeepsEveryByte) {
  std::string binary(300'000, '\0');
  std::mt19937 random(7);
  for (char& c : binary) c = static_cast<char>(random());
  WriteFile(dir / "data.bin", binary);
  WriteFile(dir / "資料.txt", "日本語の添付\r\n");
  velkoran::testing::MakeDirs(dir / "got");
  const std::size_t before = mail().Stored().size();
  EXPECT_EQ(Run("var s = new SMTP(); s.host = '127.0.0.1'; s.port = $SMTP; s.connect(); var m = s.mail;"
                "m.From = 'Ann <ann@example.com>'; m.To = 'bob@example.com, Carol <carol@example.com>';"
                "m.Bcc = 'dan@example.com'; m.Subject = new Base64().encodeHeader('日本語の件名');"
                "m.message = \"line one\\n.\\n.x\\nlast\";"
                "m.attachments.add('$Ddata.bin'); m.attachments.add('$D資料.txt'); s.sendMail(); s.close(); println('sent');"),
            "sent\n");
  const auto stored = mail().Stored();
  ASSERT_EQ(stored.size(), before + 1);
  const std::string& message = stored.back();
  EXPECT_EQ(mail().Envelopes().back(),
            "MAIL FROM ann@example.com\nRCPT TO bob@example.com\nRCPT TO carol@example.com\nRCPT TO dan@example.com\n");
  EXPECT_EQ(message.find("\r\nBcc:"), std::string::npos) << "Bcc goes only into the envelope";
  EXPECT_EQ(message.find("\r\nContent-Type: text/plain; charset"), std::string::npos) << "one Content-Type only";
  for (std::string_view line : velkoran::net::SplitLines(message)) ASSERT_LE(line.size(), 998u);
  EXPECT_NE(message.find("\r\n.\r\n.x\r\n"), std::string::npos) << "the server unstuffed what we stuffed:\n"
                                                                 << message.substr(message.find("line one"), 40);

  const std::string user = mail().FreshUser();
  mail().Deliver(user, message);
  EXPECT_EQ(Run(Pop3Login(user) +
                "p.connect(); println(p.mailCount); var a = p.getMail(1); var b = p.getMail(1); a['X-Mark'] = 'same';"
                "println(b['X-Mark'] + ' ' + a.attachments.count + ' ' + (a.length > 400000));"
                "println(new Base64().decodeHeader(a.Subject)); println(a.message); p.close();"),
            "1\nsame 2 true\n日本語の件名\nline one\n.\n.x\nlast\n");
  EXPECT_EQ(ReadFile(dir / "got/data.bin"), binary);
  EXPECT_EQ(ReadFile(dir / "got/資料.txt"), "日本語の添付\r\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "got/data-1.bin")) << "the second retrieval never overwrote the first";
}

TEST_F(MailTest, SummaryHeadersAndMissingHeaders) {
  const std::string user = mail().FreshUser();
  mail().Deliver(user, "From: a@example.com\r\nSubject: first\r\nX-Long: one\r\n two\r\n\r\nbody\r\n");
  mail().Deliver(user, "From: b@example.com\r\nSubject: second\r\n\r\nbody\r\n");
  EXPECT_EQ(Run(Pop3Login(user) +
                "p.connect(); var m = p.getSummary(2); println(m.number + ' ' + m.Subject + ' ' + p.length);"
                "m = p.getSummary(1); println(m['x-long']); println(m.header); m.Missing;"),
            "2 second 2\none two\nFrom: a@example.com\nSubject: first\nX-Long: one\n two\n" + Uncaught("ENameError", "Missing"));
  EXPECT_EQ(Run(Pop3Login(user) + "p.password = 'wrong'; p.connect();"), Uncaught("ESocketError", "POP3.connect"));
}

TEST_F(MailTest, HostileAttachmentNamesStayInsideTheFolder) {
  const std::string user = mail().FreshUser();
  const std::string part = "--b\r\nContent-Type: application/octet-stream; name=\"../escape.bin\"\r\n"
                           "Content-Transfer-Encoding: base64\r\n\r\naGk=\r\n";
  mail().Deliver(user, "From: x@example.com\r\nContent-Type: multipart/mixed;\r\n boundary=b\r\n\r\n" + part +
                           "--b\r\nContent-Type: application/octet-stream; name=\"..\"\r\n"
                           "Content-Transfer-Encoding: base64\r\n\r\naG8=\r\n--b--\r\n");
  velkoran::testing::MakeDirs(dir / "got");
  EXPECT_EQ(Run(Pop3Login(user) + "p.connect(); var m = p.getMail(1); println(m.attachments.count); p.close();"), "2\n");
  EXPECT_EQ(ReadFile(dir / "got/escape.bin"), "hi");
  EXPECT_FALSE(std::filesystem::exists(dir / "escape.bin"));
  int inside = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "got")) inside += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(inside, 2) << "the name \"..\" got a made-up name inside the folder";
}

TEST_F(MailTest, DeleteOnReadKeepsWhatCouldNotBeSaved) {
  const std::string user = mail().FreshUser();
  mail().Deliver(user, "From: x@example.com\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                       "Content-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                       "aGk=\r\n--b--\r\n");
  EXPECT_EQ(Run(Pop3Login(user) + "p.attachPath = '$Dmissing/'; p.deleteOnRead = true; p.connect(); p.getMail(1);"),
            Uncaught("ESocketError", "POP3.getMail"));
  EXPECT_EQ(mail().MailboxCount(user), 1);
  velkoran::testing::MakeDirs(dir / "got");
  EXPECT_EQ(Run(Pop3Login(user) + "p.deleteOnRead = true; p.connect(); p.getMail(1); p.close();"), "");
  EXPECT_EQ(mail().MailboxCount(user), 0);
}

TEST_F(MailTest, CutOffRetrievalNeverDeletes) {
  bool deleted = false;
  std::string out;
  {
    ScriptedPeer peer([&](PeerConnection& p) {
      p.Send("+OK ready\r\n");
      for (;;) {
        const std::string line = p.ReceiveLine();
        if (line.empty()) return;
        if (line.rfind("DELE", 0) == 0) deleted = true;
        if (line.rfind("RETR", 0) == 0) {
          p.Send("+OK\r\nSubject: cut\r\n\r\nhalf a mess");
          p.Close();
          return;
        }
        p.Send(line.rfind("STAT", 0) == 0 ? "+OK 1 100\r\n" : "+OK\r\n");
      }
    });
    out = Run("var p = new POP3(); p.host = '127.0.0.1'; p.port = " + std::to_string(peer.Port()) +
              "; p.userid = 'u'; p.password = 'p'; p.deleteOnRead = true; p.connect(); println(p.mailCount); p.getMail(1);");
  }
  EXPECT_EQ(out, "1\n" + Uncaught("ESocketError", "POP3.getMail"));
  EXPECT_FALSE(deleted);
}

TEST_F(MailTest, SmtpRefusalsAreFailures) {
  const std::string send = "var s = new SMTP(); s.host = '127.0.0.1'; s.port = $SMTP; s.connect(); var m = s.mail;"
                           "m.From = 'a@example.com'; m.message = 'x';";
  EXPECT_EQ(Run(send + "m.To = 'b@example.com'; m['X-Refuse'] = 'yes'; s.sendMail();"), Uncaught("ESocketError", "SMTP.sendMail"));
  EXPECT_EQ(Run(send + "m.To = 'refused@example.com'; s.sendMail();"), Uncaught("ESocketError", "SMTP.sendMail"));
  EXPECT_EQ(Run(send + "m.To = \"b@example.com\\r\\nRCPT TO:<c@example.com>\"; s.sendMail();"),
            Uncaught("ESocketError", "SMTP.sendMail"));
  EXPECT_EQ(Run(send + "m.To = 'b@example.com'; m.Subject = \"x\\r\\nBcc: c@example.com\"; s.sendMail();"),
            Uncaught("ESocketError", "SMTP.sendMail"));
  const std::size_t before = mail().Stored().size();
  EXPECT_EQ(Run(send + "m.To = 'b@example.com'; s.sendMail(); m.Subject = 'second'; s.sendMail(); s.close(); println('ok');"),
            "ok\n") << "replies stay in step after a sent message";
  EXPECT_EQ(mail().Stored().size(), before + 2);
}

TEST_F(MailTest, MultiLineRepliesAndMaskedPasswords) {
  std::vector<std::string> commands;
  {
    ScriptedPeer smtp([&](PeerConnection& p) {
      p.Send("220-first\r\n220 ready\r\n");
      for (std::string line; !(line = p.ReceiveLine()).empty();) {
        commands.push_back(line.substr(0, line.find_first_of(" \r")));
        if (line.rfind("DATA", 0) == 0) {
          p.Send("354 go\r\n");
          while (p.ReceiveLine() != ".\r\n") {
          }
          p.Send("250-queued\r\n250 ok\r\n");
        } else if (line.rfind("QUIT", 0) == 0) {
          return;
        } else {
          p.Send(line.rfind("RCPT", 0) == 0 ? "251 forwarded\r\n" : "250-hello\r\n250-SIZE 1000\r\n250 ok\r\n");
        }
      }
    });
    EXPECT_EQ(Run("var s = new SMTP(); s.host = '127.0.0.1'; s.port = " + std::to_string(smtp.Port()) +
                  "; s.connect(); var m = s.mail; m.From = 'a@x'; m.To = 'b@x'; s.sendMail(); s.sendMail(); s.close(); println('ok');"),
              "ok\n");
  }  // the peer has seen everything once it stopped
  EXPECT_EQ(commands, (std::vector<std::string>{"HELO", "MAIL", "RCPT", "DATA", "MAIL", "RCPT", "DATA", "QUIT"}));

  const std::string user = mail().FreshUser();
  const std::string out = Run(Pop3Login(user) + "p.debug = true; p.connect(); p.close();");
  EXPECT_NE(out.find("cmd>PASS ****"), std::string::npos) << out;
  EXPECT_EQ(out.find(MailServers::kPassword), std::string::npos) << out;
}

TEST(MailMessage, BuildWrapsAndDatesWithAZone) {
  velkoran::testing::ScratchDir dir;
  WriteFile(dir / "big.bin", std::string(10000, 'z'));
  velkoran::net::TMailMessage m;
  m.Headers.AddString("From", "a@x");
  m.Headers.AddString("Date", "");
  m.Headers.Clear();
  m.Headers.AddString("From", "a@x");
  m.Headers.AddString("Content-Type", "text/html");
  m.Message = "hello";
  m.Attachments.push_back(dir / "big.bin");
  const std::string text = m.Build();
  std::size_t types = 0;
  for (std::string_view line : velkoran::net::SplitLines(text)) {
    EXPECT_LE(line.size(), 998u);
    if (line.rfind("Content-Type: multipart", 0) == 0 || line.rfind("Content-Type: text/html", 0) == 0) ++types;
    if (line.rfind("Date: ", 0) == 0) {
      EXPECT_TRUE(line.back() >= '0' && line.back() <= '9') << line;
      EXPECT_EQ(line.find("GMT"), std::string_view::npos);
    }
  }
  EXPECT_EQ(types, 1u) << "the generated multipart type replaces the script's";
  velkoran::net::TMailMessage back;
  back.AttachPath = dir / "out/";
  velkoran::testing::MakeDirs(dir / "out");
  back.Parse(text);
  ASSERT_EQ(back.Attachments.size(), 1u);
  EXPECT_EQ(ReadFile(back.Attachments[0]), std::string(10000, 'z'));
  EXPECT_EQ(back.Message, "hello");
}

}  // namespace
}  // namespace kestrin
