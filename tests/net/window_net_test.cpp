// Network scripts run from the window's script menu: the mail sample against aiosmtpd, and
// Esc ending a script that waits for a slow web server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "net/support/mail_servers.h"
#include "net/support/web_servers.h"
#include "window_scripts_support.h"

namespace velkoran::app {
namespace {

using net::testing::MailServers;
using net::testing::WebServers;
using testing::ReadFile;
using testing::WriteFile;

class NetWindowTest : public testing::ScriptWindowFixture {
 protected:
  // Esc as a person presses it: to the control that has the focus.
  void PressEscape() {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : form.get(), Qt::Key_Escape);
  }
};

TEST_F(NetWindowTest, MailFilesSendsTheSelectionAsAttachments) {
  ASSERT_TRUE(MailServers::Get().Ok()) << MailServers::Get().Error();
  std::string sample = ReadFile(std::string(VELKORAN_EXAMPLES_DIR) + "MailFiles.txt");
  const std::string ini = home / "Script/MailFiles.ini";
  sample.replace(sample.find("\"MailFiles.ini\""), 15, "\"" + ini + "\"");
  Script("MailFiles.txt", sample);
  WriteFile(ini, "[SMTP]\r\nHost=127.0.0.1\r\nPort=" + std::to_string(MailServers::Get().SmtpPort()) +
                     "\r\nFrom=Ann <ann@example.com>\r\nTo=bob@example.com\r\nSubject=ファイル\r\n");
  WriteFile(data / "a.txt", "alpha");
  WriteFile(data / "b.bin", std::string("\0\1\2", 3));
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data.Path());
  const std::size_t before = MailServers::Get().Stored().size();
  SelectRows({"a.txt", "b.bin"});
  RunFrom("MI_ScriptRoot_File", "MailFiles");
  EXPECT_EQ(LastLog(), "MailFiles: 2 個のファイルを bob@example.com に送りました");
  const auto stored = MailServers::Get().Stored();
  ASSERT_EQ(stored.size(), before + 1);
  EXPECT_NE(stored.back().find("name=\"a.txt\""), std::string::npos);
  EXPECT_NE(stored.back().find("name=\"b.bin\""), std::string::npos);
  EXPECT_NE(stored.back().find("\r\nYWxwaGE=\r\n"), std::string::npos) << "alpha in Base64";
}

TEST_F(NetWindowTest, EscEndsAScriptWaitingForASlowServer) {
  ASSERT_TRUE(WebServers::Get().Ok()) << WebServers::Get().Error();
  Script("slow.txt", "println('start'); h = new HTTP(); println(h.get('" + WebServers::Get().Python("/slow?s=8") + "'));");
  Open();
  WhileRunning(300, [&] { PressEscape(); });
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "slow");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"start", "Abort Script"}));
  EXPECT_FALSE(form->ScriptRunning());
}

}  // namespace
}  // namespace velkoran::app
