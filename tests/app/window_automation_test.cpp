// Scripts in the window driving desktop services through ActiveXObject: the two samples
// of examples/Script run from the menus against the stand-in services on the binary's
// private bus, and Esc ends a script that waits on a service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "support/private_bus.h"
#include "window_scripts_support.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::ReadFile;
using testing::WriteFile;
using velkoran::testing::TestSessionBus;

// The file list shows directories too, so that they can be selected.
constexpr const char* kWithDirectories = "TreeVisible : 1\r\nShowDirectory : 1\r\n";

class AutomationWindowTest : public testing::ScriptWindowFixture {
 protected:
  static void SetUpTestSuite() { TestSessionBus(); }
  void Install(const std::string& name) { Script(name, ReadFile(std::string(VELKORAN_EXAMPLES_DIR) + name)); }
};

TEST_F(AutomationWindowTest, NotifySendsTheSelectionsSize) {
  Install("Notify.txt");
  WriteFile(data / "a.bin", std::string(1000, 'x'));
  MakeDirs(data / "d/e");
  WriteFile(data / "d/e/b.bin", std::string(1048, 'y'));
  WriteFile(data / "skipped.bin", "z");
  Open(kWithDirectories);
  Go(data.Path());
  SelectRows({"a.bin", "d"});
  TestSessionBus().ClearLog("org.freedesktop.Notifications");
  RunFrom("MI_ScriptRoot_File", "Notify");
  EXPECT_EQ(LastLog(), "Notify: 選択の合計 2 KB (2 項目、2048 バイト)");
  EXPECT_EQ(TestSessionBus().Log("org.freedesktop.Notifications"),
            "Notify ('Velkoran', uint32 0, 'drive-harddisk', '選択の合計 2 KB', '2 項目、2048 バイト', @as [], "
            "{'urgency': <0>}, -1)\n");
}

TEST_F(AutomationWindowTest, ShowInFileManagerShowsTheSelectionAsFileUris) {
  Install("ShowInFileManager.txt");
  WriteFile(data / "a b.txt", "");
  WriteFile(data / "日本.txt", "");
  MakeDirs(data / "dir");
  Open(kWithDirectories);
  Go(data.Path());
  SelectRows({"dir", "a b.txt", "日本.txt"});
  TestSessionBus().ClearLog("org.freedesktop.FileManager1");
  RunFrom("MI_ScriptRoot_File", "ShowInFileManager");
  EXPECT_EQ(LastLog(), "ShowInFileManager: 3 項目をファイルマネージャで表示しました");
  const std::string base = "file://" + data.Path();
  EXPECT_EQ(TestSessionBus().Log("org.freedesktop.FileManager1"),
            "ShowItems (['" + base + "dir/', '" + base + "a%20b.txt', '" + base + "%E6%97%A5%E6%9C%AC.txt'], '')\n");
}

TEST_F(AutomationWindowTest, AScriptReadsWritesAndCallsAService) {
  Script("probe.txt",
         "p = new ActiveXObject('org.velkoran.Probe');\np.Level = 8;\n"
         "println(p.Level, p.Echo('日本'), p.Give('strings').Item(2));\np.Level = 3;");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "probe");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"8", "日本", "c"}));
}

TEST_F(AutomationWindowTest, EscEndsAScriptWaitingOnAService) {
  Script("wait.txt", "p = new ActiveXObject('org.velkoran.Probe');\np.Sleep(20000);\nprintln('never');");
  Open();
  WhileRunning(300, [&] {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : form.get(), Qt::Key_Escape);
  });
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "wait");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"Abort Script"}));
}

}  // namespace
}  // namespace velkoran::app
