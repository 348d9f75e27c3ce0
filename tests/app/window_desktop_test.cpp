// The window on the desktop: "アプリケーションで開く" lists the applications the fixture's
// XDG folders associate with the selected file and starts the chosen one; "端末をここで開く"
// starts $TERMINAL in the listed directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>

#include "platform/fileio.h"
#include "support/env_scope.h"
#include "window_fixture.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::NoSlash;
using testing::ScratchDir;
using testing::WriteFile;
using velkoran::testing::EnvScope;

// The text a started program wrote, once it is complete (it ends with "end").
std::string WaitForRecord(const std::string& path) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 10000) {
    if (std::optional<std::string> text = platform::ReadRegularFile(path); text && text->find("end\n") != std::string::npos) {
      return *text;
    }
    testing::Settle();
  }
  return "<not written>";
}

class WindowDesktopTest : public testing::WindowFixture {
 protected:
  WindowDesktopTest()
      : env_({{"XDG_DATA_HOME", (xdg / "data").c_str()},
              {"XDG_DATA_DIRS", (xdg / "sys").c_str()},
              {"XDG_CONFIG_HOME", (xdg / "config").c_str()},
              {"XDG_CONFIG_DIRS", (xdg / "etc").c_str()},
              {"XDG_CURRENT_DESKTOP", nullptr},
              {"TERMINAL", (xdg / "record.sh").c_str()}}) {
    // The recorder writes its folder and arguments to the file named by its first one.
    WriteFile(xdg / "record.sh",
              "#!/bin/sh\nout=$1; shift\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; echo end; } > \"$out.tmp\"\n"
              "mv \"$out.tmp\" \"$out\"\n");
    ::chmod((xdg / "record.sh").c_str(), 0755);
    MakeDirs(xdg / "data/applications");
    MakeDirs(xdg / "sys/applications");
    MakeDirs(xdg / "config");
    // The types themselves come from the system's MIME database, found in the data folders.
    ::symlink("/usr/share/mime", (xdg / "sys/mime").c_str());
  }
  ~WindowDesktopTest() override { CloseWindow(); }

  void App(const std::string& where, const std::string& name, const std::string& exec, const std::string& mime) {
    WriteFile(xdg / (where + "/applications/" + name),
              "[Desktop Entry]\nType=Application\nName=" + name.substr(0, name.find('.')) + "\nExec=" + exec +
                  "\nMimeType=" + mime + "\n");
  }
  // The captions of "アプリケーションで開く" for the selected rows.
  std::vector<std::string> OpenWithCaptions() {
    QMenu* menu = form->Menu("MI_OpenWith");
    emit menu->aboutToShow();
    std::vector<std::string> captions;
    for (const QAction* a : menu->actions()) captions.push_back(a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
    return captions;
  }
  void SelectRows(const std::vector<std::string>& names) {
    List()->clearSelection();
    for (const std::string& name : names) {
      List()->selectionModel()->select(List()->model()->index(RowOf(name), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }

  ScratchDir xdg;

 private:
  EnvScope env_;
};

TEST_F(WindowDesktopTest, OpenWithListsTheAssociatedApplicationsAndStartsTheChosenOne) {
  const std::string recorder = xdg / "record.sh";
  App("sys", "Viewer.desktop", recorder + " " + (xdg / "viewer-out") + " %F", "text/plain;image/png;");
  App("sys", "Editor.desktop", recorder + " " + (xdg / "editor-out") + " %f", "text/plain;");
  App("data", "Painter.desktop", recorder + " x %F", "image/png;");
  WriteFile(xdg / "config/mimeapps.list", "[Default Applications]\ntext/plain=Viewer.desktop;\n");
  MakeDirs(data / "docs");
  WriteFile(data / "docs/a.txt", "text\n");
  WriteFile(data / "docs/b.c", "int x;\n");  // text/x-csrc derives from text/plain
  WriteFile(data / "docs/p.png", "\x89PNG\r\n\x1a\n");
  Open();
  Go(data / "docs");

  struct Case {
    const char* name;
    std::vector<std::string> rows;
    std::vector<std::string> captions;
  };
  const Case kCases[] = {
      {"the default first, then by name", {"a.txt"}, {"Viewer", "Editor"}},
      {"a derived type", {"b.c"}, {"Viewer", "Editor"}},
      {"an image", {"p.png"}, {"Painter", "Viewer"}},
      {"what opens both", {"a.txt", "p.png"}, {"Viewer"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    SelectRows(c.rows);
    EXPECT_EQ(OpenWithCaptions(), c.captions);
  }

  SelectRows({"b.c"});
  ASSERT_EQ(OpenWithCaptions(), (std::vector<std::string>{"Viewer", "Editor"}));
  form->Menu("MI_OpenWith")->actions().at(1)->trigger();
  EXPECT_EQ(WaitForRecord(xdg / "editor-out"), NoSlash(data / "docs/") + "\n" + (data / "docs/b.c") + "\nend\n");

  ::unlink((xdg / "sys/applications/Viewer.desktop").c_str());
  ::unlink((xdg / "sys/applications/Editor.desktop").c_str());
  SelectRows({"a.txt"});
  EXPECT_EQ(OpenWithCaptions(), std::vector<std::string>{"(アプリケーションがありません) (off)"});
}

TEST_F(WindowDesktopTest, OpenTerminalHereStartsTheTerminalInTheListedDirectory) {
  MakeDirs(data / "work dir");
  Open();
  Go(data / "work dir");
  // $TERMINAL is the recorder, so its first word names its record.
  EnvScope terminal({{"TERMINAL", (xdg.Path() + "record.sh " + (xdg / "term-out")).c_str()}});
  const std::size_t mark = LogCount();
  form->Action("AC_OpenTerminalHere")->trigger();
  EXPECT_EQ(WaitForRecord(xdg / "term-out"), NoSlash(data / "work dir/") + "\nend\n");
  EXPECT_EQ(form->Menu("PM_DirTree")->actions().contains(form->Action("AC_OpenTerminalHere")), true);

  EnvScope missing({{"TERMINAL", "/no/such/terminal"}});
  form->Action("AC_OpenTerminalHere")->trigger();
  const std::vector<std::string> log = LogSince(mark);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("端末を起動できません: /no/such/terminal (", 0), 0u) << log[0];
}

}  // namespace
}  // namespace velkoran::app
