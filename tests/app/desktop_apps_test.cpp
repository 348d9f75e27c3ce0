// "Open with" and "Open terminal here": application entries, the associations over
// fixture XDG folders, the command lines, and starting them for real.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/logic/mime_apps.h"
#include "app_fakes.h"
#include "platform/fileio.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::ScratchDir;
using testing::WriteFile;

std::string Entry(const std::string& body) { return "# comment\n[Desktop Entry]\nType=Application\n" + body; }

TEST(DesktopEntryTest, WhatCanStartAndHowItIsNamed) {
  DesktopContext context{LocaleLookupNames("ja_JP.UTF-8"), {"GNOME"}, "/bin:/usr/bin"};
  const std::optional<DesktopEntry> e = ParseDesktopEntry(
      Entry("Name=Editor\nName[ja]=エディタ\nExec = edit\\s--new %F\nMimeType=text/plain;a\\;b;\nTerminal=true\n"
            "[Desktop Action x]\nName=Other\n"),
      "ed.desktop", context);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "エディタ");
  EXPECT_EQ(e->exec, "edit --new %F");
  EXPECT_EQ(e->mimeTypes, (std::vector<std::string>{"text/plain", "a;b"}));
  EXPECT_TRUE(e->terminal);

  struct Case {
    const char* name;
    std::string text;
  };
  const Case kRefused[] = {
      {"a link", "[Desktop Entry]\nType=Link\nName=L\nExec=x\n"},
      {"hidden", Entry("Name=H\nExec=x\nHidden=true\n")},
      {"no Exec", Entry("Name=N\n")},
      {"TryExec not found", Entry("Name=T\nExec=x\nTryExec=no-such-program-here\n")},
      {"only on another desktop", Entry("Name=O\nExec=x\nOnlyShowIn=KDE;\n")},
      {"not on this desktop", Entry("Name=O\nExec=x\nNotShowIn=XFCE;GNOME;\n")},
      {"no entry group", "[Other]\nType=Application\nName=X\nExec=x\n"},
  };
  for (const Case& c : kRefused) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ParseDesktopEntry(c.text, "x.desktop", context));
  }
  EXPECT_TRUE(ParseDesktopEntry(Entry("Name=S\nExec=x\nTryExec=sh\nOnlyShowIn=GNOME;\n"), "s.desktop", context));

  EXPECT_EQ(LocaleLookupNames("sr_RS.UTF-8@latin"), (std::vector<std::string>{"sr_RS@latin", "sr_RS", "sr@latin", "sr"}));
  EXPECT_EQ(LocaleLookupNames("de"), (std::vector<std::string>{"de"}));
  EXPECT_TRUE(LocaleLookupNames("C").empty());
}

TEST(DesktopEntryTest, CommandLinesFromExec) {
  const std::vector<std::string> two{"/d/a b.txt", "/d/c.txt"};
  struct Case {
    const char* name;
    const char* exec;
    bool terminal;
    std::vector<std::vector<std::string>> commands;
  };
  const Case kCases[] = {
      {"%F: all files in one command", "app --x %F", false, {{"app", "--x", "/d/a b.txt", "/d/c.txt"}}},
      {"%U likewise", "app %U", false, {{"app", "/d/a b.txt", "/d/c.txt"}}},
      {"%f: one command per file", "app %f", false, {{"app", "/d/a b.txt"}, {"app", "/d/c.txt"}}},
      {"%u inside a word", "app --open=%u", false, {{"app", "--open=/d/a b.txt"}, {"app", "--open=/d/c.txt"}}},
      {"other codes dropped, %% kept", "app %i --c=%c 100%% %k %F", false, {{"app", "--c=", "100%", "/d/a b.txt", "/d/c.txt"}}},
      {"no file code: the file appended", "app", false, {{"app", "/d/a b.txt"}, {"app", "/d/c.txt"}}},
      {"quoted words", "\"my app\" \"say \\\"hi\\\"\" %F", false, {{"my app", "say \"hi\"", "/d/a b.txt", "/d/c.txt"}}},
      {"in a terminal", "vi %F", true, {{"term", "--x", "-e", "vi", "/d/a b.txt", "/d/c.txt"}}},
      {"an open quote", "app \"%F", false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    DesktopEntry e;
    e.exec = c.exec;
    e.terminal = c.terminal;
    EXPECT_EQ(OpenCommands(e, two, {"term", "--x"}), c.commands);
  }
  DesktopEntry named;
  named.exec = "app %i --title=%c %k %f";
  named.name = "Editor";
  named.icon = "ed";
  named.file = "/apps/ed.desktop";
  EXPECT_EQ(OpenCommands(named, {"/d/c.txt"}, {}),
            (std::vector<std::vector<std::string>>{{"app", "--icon", "ed", "--title=Editor", "/apps/ed.desktop", "/d/c.txt"}}));
  EXPECT_EQ(TerminalCommand(nullptr), (std::vector<std::string>{"x-terminal-emulator"}));
  EXPECT_EQ(TerminalCommand(""), (std::vector<std::string>{"x-terminal-emulator"}));
  EXPECT_EQ(TerminalCommand("kitty --single-instance"), (std::vector<std::string>{"kitty", "--single-instance"}));
}

class MimeAppsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xdg.dataHome = dir / "home-data";
    xdg.dataDirs = {dir / "sys-data"};
    xdg.configHome = dir / "home-config";
    xdg.configDirs = {dir / "sys-config"};
    xdg.context.desktops = {"GNOME"};
    for (const char* d : {"home-data/applications", "sys-data/applications/sub", "home-config", "sys-config"}) MakeDirs(dir / d);
  }
  void App(const std::string& where, const std::string& name, const std::string& mime, const std::string& more = {}) {
    WriteFile(dir / (where + "/applications/" + name), Entry("Name=" + name + "\nExec=x\nMimeType=" + mime + "\n" + more));
  }
  std::vector<std::string> Ids(const std::vector<std::string>& types) {
    std::vector<std::string> ids;
    for (const DesktopEntry& e : ApplicationsFor(xdg, types)) ids.push_back(e.id);
    return ids;
  }

  ScratchDir dir;
  XdgSetting xdg;
};

TEST_F(MimeAppsTest, DefaultsFirstThenAddedThenListedByName) {
  App("home-data", "zed.desktop", "text/plain;");
  App("home-data", "hidden.desktop", "", "Hidden=true\n");  // hides the system's entry of that id
  App("sys-data", "hidden.desktop", "text/plain;");
  App("sys-data", "editor.desktop", "text/plain;");
  App("sys-data", "viewer.desktop", "text/x-c;");
  App("sys-data", "sub/nested.desktop", "text/plain;");
  App("sys-data", "unwanted.desktop", "text/plain;");
  App("sys-data", "extra.desktop", "");
  App("sys-data", "cancelled.desktop", "");
  WriteFile(dir / "home-config/mimeapps.list",
            "[Default Applications]\ntext/plain=gone.desktop;editor.desktop;\n"
            "[Removed Associations]\ntext/plain=unwanted.desktop;cancelled.desktop;\n");
  WriteFile(dir / "home-config/gnome-mimeapps.list", "[Default Applications]\ntext/x-c=viewer.desktop\n");
  WriteFile(dir / "sys-data/applications/mimeapps.list",
            "[Added Associations]\ntext/plain=extra.desktop;cancelled.desktop;\n");

  EXPECT_EQ(Ids({"text/x-c", "text/plain"}),
            (std::vector<std::string>{"viewer.desktop", "editor.desktop", "extra.desktop", "sub-nested.desktop", "zed.desktop"}));
  EXPECT_EQ(Ids({"image/png"}), std::vector<std::string>{});
  EXPECT_EQ(MimeAppsListPaths(xdg).front(), dir / "home-config/gnome-mimeapps.list");
}

// Waits for a file that a detached program writes.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (std::optional<std::string> text = platform::ReadRegularFile(path); text && text->find("end\n") != std::string::npos) {
      return *text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "<not written>";
}

TEST_F(MimeAppsTest, StartsTheApplicationAndTheTerminalInTheirFolders) {
  const std::string record = dir / "record.sh";
  WriteFile(record, "#!/bin/sh\nout=$1; shift\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; echo end; } > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n");
  ::chmod(record.c_str(), 0755);
  MakeDirs(dir / "docs");
  DesktopEntry e;
  e.name = "Recorder";
  e.exec = record + " " + (dir / "app-out") + " %F";
  EXPECT_EQ(OpenWithApplication(e, {dir / "docs/a.txt", dir / "docs/b.txt"}, {}), std::nullopt);
  EXPECT_EQ(WaitForFile(dir / "app-out"), testing::NoSlash(dir / "docs/") + "\n" + (dir / "docs/a.txt") + "\n" + (dir / "docs/b.txt") + "\nend\n");

  EXPECT_EQ(OpenTerminalIn(dir / "docs", {record, dir / "term-out"}), std::nullopt);
  EXPECT_EQ(WaitForFile(dir / "term-out"), testing::NoSlash(dir / "docs/") + "\nend\n");

  e.exec = "/no/such/program %f";
  const std::optional<std::string> failed = OpenWithApplication(e, {dir / "docs/a.txt"}, {});
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->rfind("アプリケーションを起動できません: Recorder (", 0), 0u) << *failed;
  ASSERT_TRUE(OpenTerminalIn(dir / "docs", {"/no/such/terminal"}));
}

}  // namespace
}  // namespace velkoran::app
