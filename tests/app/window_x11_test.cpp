// The window under a real X server: the test starts its own Xvfb, opens the window on it
// with the xcb platform and drives it with key and mouse events on its real widgets,
// through the sequence in which a folder made outside the program used to be replaced by
// its parent: the copy meant for the new folder must land in it, and a path that names
// nothing must leave the selection alone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <string>

#include "app/form_main.h"
#include "app/qt_text.h"
#include "window_fixture.h"

namespace velkoran::app::testing {
namespace {

// An Xvfb of this test's own on a free display; stopped at the end of the suite.
class XServer {
 public:
  bool Start() {
    for (int display = 73; display < 120; ++display) {
      const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
      if (::access(lock.c_str(), F_OK) == 0) continue;
      pid_ = ::fork();
      if (pid_ == 0) {
        const std::string name = ":" + std::to_string(display);
        ::execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                 static_cast<char*>(nullptr));
        ::_exit(127);
      }
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
      for (int waited = 0; waited < 100; ++waited) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) break;  // it did not take the display
        if (::access(socket.c_str(), F_OK) == 0) {
          display_ = ":" + std::to_string(display);
          return true;
        }
        ::usleep(100'000);
      }
      Stop();
    }
    return false;
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

XServer& Server() {
  static XServer server;
  return server;
}

class WindowOnX11 : public WindowRig {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(Server().Start()) << "Xvfb could not be started";
    ::setenv("DISPLAY", Server().Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    velkoran::testing::App();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  }
  static void TearDownTestSuite() {
    // The application stays (one per process); the server it talks to goes last of all.
    std::atexit([] { Server().Stop(); });
  }
  ~WindowOnX11() override {
    if (form) form->close();
    form.reset();
  }

  void Open() {
    WriteFile(home / "save/setting.ini", "TreeVisible : 1\r\nShowDirectory : 1\r\n");
    form = std::make_unique<TForm_Main>(Dependencies());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // No window manager runs here: the window is made the active one directly.
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::qWait(50);
  }
  // Types text into the location bar and presses Enter, as a person would.
  void TypeLocation(const std::string& text) {
    auto* bar = form->findChild<QComboBox*>(QStringLiteral("CB_LocateBar"));
    QLineEdit* edit = bar->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);  // the whole text
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, ToQ(text));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::qWait(20);
  }
  QTreeView* List() { return form->findChild<QTreeView*>(QStringLiteral("LV_FileList")); }
  void KeyOnList(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTreeView* list = List();
    list->setFocus();
    QTest::keyClick(list, key, modifiers);
    QTest::qWait(20);
  }
  std::string Selected() {
    const DirNode* node = form->Logic().SelectedNode();
    return node != nullptr ? node->Path() : std::string("(none)");
  }

  std::unique_ptr<TForm_Main> form;
};

TEST_F(WindowOnX11, ACopyMeantForAFolderMadeOutsideLandsInIt) {
  MakeDirs(data / "data/old");
  MakeDirs(data / "src");
  WriteFile(data / "src/big", std::string(1 << 20, 'b'));
  Open();
  TypeLocation(data / "data");
  ASSERT_EQ(Selected(), data / "data");

  // Made outside the program after the tree read data/.
  MakeDirs(data / "data/new_dir");
  TypeLocation(data / "data/new_dir");
  ASSERT_EQ(Selected(), data / "data/new_dir");

  // The file goes into the buffer from its own folder, then is copied from the buffer in
  // the new folder: Ctrl+A, Ctrl+B there; Ctrl+C here.
  TypeLocation(data / "src");
  ASSERT_EQ(Selected(), data / "src");
  KeyOnList(Qt::Key_A, Qt::ControlModifier);
  KeyOnList(Qt::Key_B, Qt::ControlModifier);
  ASSERT_EQ(form->Logic().Buffers().CurrentEntries(), (std::vector<std::string>{data / "src/big"}));
  TypeLocation(data / "data/new_dir");
  KeyOnList(Qt::Key_C, Qt::ControlModifier);
  QElapsedTimer waited;
  waited.start();
  while (!Exists(data / "data/new_dir/big") && waited.elapsed() < 10000) QTest::qWait(20);
  EXPECT_TRUE(Exists(data / "data/new_dir/big"));
  EXPECT_FALSE(Exists(data / "data/big"));

  // A path that names nothing: reported, and the next command still acts where it did.
  auto* log = form->findChild<QListWidget*>(QStringLiteral("LB_Log"));
  TypeLocation("/nonexistent/dir");
  EXPECT_EQ(FromQ(log->item(log->count() - 1)->text()), "NotFound : /nonexistent/dir/");
  EXPECT_EQ(Selected(), data / "data/new_dir");
}

}  // namespace
}  // namespace velkoran::app::testing
