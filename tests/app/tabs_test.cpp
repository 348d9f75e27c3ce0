// Tabs, hover switching, the location bar, shortcuts and the launcher, driven through the
// window's logic with a recording view.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/logic/state_files.h"
#include "app/logic/tab_hover.h"
#include "app/logic/window_logic.h"
#include "app_fakes.h"

namespace velkoran::app {
namespace {

using platform::Answer;
using testing::Exists;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

class TabsTest : public testing::LogicFixture {
 protected:
  DirNode* Node(const std::string& path) { return logic.Tree().FindNodeFromPath(path, false); }
  std::vector<std::string> Expanded() { return logic.Tree().CollectExpandedPaths(); }
};

// ---- Leaving and entering ---------------------------------------------------------------

TEST_F(TabsTest, EachTabComesBackWithItsSelectionTopNodeAndExpansion) {
  MakeDirs(dir / "a/a1/a11");
  MakeDirs(dir / "b/b1");
  MakeDirs(dir / "c");
  Start();
  ASSERT_TRUE(logic.Settings().autoExpand);
  rig.Select(dir / "a/a1");
  rig.view.top = Node(dir / "a");
  const std::vector<std::string> firstExpanded = Expanded();
  ASSERT_EQ(firstExpanded, (std::vector<std::string>{NoSlash(dir.Path()), dir / "a", dir / "a/a1"}));

  logic.NewTab();
  EXPECT_EQ(logic.CurrentTab(), 0);  // a new tab is appended, not shown
  logic.SelectTab(1);
  EXPECT_EQ(logic.Tabs()[0].selectedPath, dir / "a/a1");
  EXPECT_EQ(logic.Tabs()[0].topPath, dir / "a");
  EXPECT_EQ(logic.Tabs()[0].expandedPaths, firstExpanded);
  // The new tab opened where the first one was.
  EXPECT_EQ(Expanded(), firstExpanded);
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a/a1");
  EXPECT_EQ(logic.Tabs()[1].caption, "a1");

  // The second tab opens the first tab's branch by hand around a selection elsewhere.
  rig.Select(dir / "b");
  logic.TreeNodeExpanded(Node(dir / "a"));
  logic.TreeNodeExpanded(Node(dir / "a/a1"));
  rig.view.top = logic.Tree().Roots()[0].get();
  const std::vector<std::string> secondExpanded = Expanded();
  ASSERT_EQ(secondExpanded.size(), 4u);

  logic.SelectTab(0);
  EXPECT_EQ(Expanded(), firstExpanded);
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a/a1");
  EXPECT_EQ(rig.view.selection, logic.SelectedNode());
  EXPECT_EQ(rig.view.top, Node(dir / "a"));
  EXPECT_EQ(rig.view.location, dir / "a/a1/");
  EXPECT_EQ(logic.List().DirPath(), dir / "a/a1/");
  EXPECT_EQ(logic.Tabs()[0].caption, "a1");

  // Selecting the second tab's directory must not close the branch it had open by hand.
  logic.SelectTab(1);
  EXPECT_EQ(Expanded(), secondExpanded);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "b");
  EXPECT_EQ(rig.view.top, logic.Tree().Roots()[0].get());
  EXPECT_EQ(logic.Tabs()[1].caption, "b");
}

TEST_F(TabsTest, ABranchClosedByHandStaysClosedWhenTheTabComesBack) {
  MakeDirs(dir / "a/a1/a11");
  MakeDirs(dir / "b");
  Start();
  DirNode* a1 = rig.Select(dir / "a/a1");
  ASSERT_TRUE(a1->expanded);
  logic.TreeNodeCollapsed(a1);
  EXPECT_EQ(logic.SelectedNode(), a1);
  const std::vector<std::string> left = Expanded();
  logic.NewTab();
  logic.SelectTab(1);
  rig.Select(dir / "b");
  logic.SelectTab(0);
  EXPECT_EQ(Expanded(), left);
  EXPECT_FALSE(Node(dir / "a/a1")->expanded);
}

TEST_F(TabsTest, EnteringATabShowsTheDirectoryNameAsItsCaption) {
  MakeDirs(dir / "a");
  ScratchDir save;
  // A restored tab shows its folder's name from the start, so captions do not change
  // width (and move the tabs after them) when it is entered.
  WriteFile(save / "tab.txt", (dir / "a") + "\r\n\r\n_END_\r\n" + (dir / "a") + "\r\n\r\n_END_\r\n");
  logic.LoadState(save.Path());
  ASSERT_EQ(logic.Tabs().size(), 2u);
  EXPECT_EQ(logic.Tabs()[1].caption, "a");
  EXPECT_EQ(logic.TabPath(1), dir / "a");
  logic.Show();
  EXPECT_EQ(logic.Tabs()[0].caption, "a");
  EXPECT_GE(rig.view.treeFocusRequests, 1);
  // The second tab shows the same directory; it takes the name all the same.
  logic.SelectTab(1);
  EXPECT_EQ(logic.Tabs()[1].caption, "a");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a");
}

TEST_F(TabsTest, AVanishedDirectoryIsReportedAndNoParentStandsInForIt) {
  MakeDirs(dir / "keep/gone");
  Start();
  rig.Select(dir / "keep/gone");
  logic.NewTab();
  logic.SelectTab(1);
  ASSERT_EQ(::rmdir((dir / "keep/gone").c_str()), 0);
  logic.UpdateTree();
  logic.SelectTab(0);
  // Selecting "keep" instead would let the next delete or copy act on it.
  EXPECT_EQ(logic.SelectedNode(), nullptr);
  EXPECT_EQ(rig.view.log.back(), "NotFound : " + (dir / "keep/gone/"));
  EXPECT_EQ(rig.view.location, dir / "keep/gone/");
}

TEST_F(TabsTest, AnEmptyTabShowsNothing) {
  MakeDirs(dir / "keep");
  ScratchDir save;
  WriteFile(save / "tab.txt", (dir / "keep") + "\r\n\r\n_END_\r\n\r\n\r\n_END_\r\n");
  logic.LoadState(save.Path());
  logic.Show();
  ASSERT_NE(logic.SelectedNode(), nullptr);
  // An empty tab: no selection, an empty location bar, the list left as it was.
  const int refills = rig.view.refills;
  logic.SelectTab(1);
  EXPECT_EQ(logic.SelectedNode(), nullptr);
  EXPECT_EQ(rig.view.selection, nullptr);
  EXPECT_EQ(rig.view.location, "");
  EXPECT_EQ(rig.view.refills, refills);
  EXPECT_EQ(logic.List().DirPath(), dir / "keep/");
}

TEST_F(TabsTest, FunctionKeysReachOnlyExistingTabs) {
  MakeDirs(dir / "a");
  MakeDirs(dir / "b");
  Start();
  rig.Select(dir / "a");
  logic.NewTab();
  rig.Select(dir / "b");
  // F3 with two tabs: nothing happens, not even the leaving step.
  logic.SelectTab(2);
  EXPECT_EQ(logic.CurrentTab(), 0);
  EXPECT_EQ(logic.Tabs()[0].selectedPath, dir / "a");
  logic.SelectTab(-1);
  EXPECT_EQ(logic.CurrentTab(), 0);
  logic.NewTab();
  logic.SelectTab(2);
  EXPECT_EQ(logic.CurrentTab(), 2);
  EXPECT_EQ(logic.Tabs()[0].selectedPath, dir / "b");
}

TEST_F(TabsTest, DeletingATabShowsTheFirstAndKeepsTheOthers) {
  MakeDirs(dir / "a");
  MakeDirs(dir / "b");
  MakeDirs(dir / "c");
  Start();
  rig.Select(dir / "a");
  logic.NewTab();
  logic.NewTab();
  logic.SelectTab(1);
  rig.Select(dir / "b");
  logic.SelectTab(2);
  rig.Select(dir / "c");
  logic.SelectTab(1);
  logic.DeleteCurrentTab();
  ASSERT_EQ(logic.Tabs().size(), 2u);
  EXPECT_EQ(logic.CurrentTab(), 0);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a");
  EXPECT_EQ(logic.Tabs()[1].selectedPath, dir / "c");
  logic.SelectTab(1);
  logic.DeleteCurrentTab();
  logic.DeleteCurrentTab();  // a single tab is never deleted
  ASSERT_EQ(logic.Tabs().size(), 1u);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a");
}

TEST_F(TabsTest, NoTabIsLeftOrDeletedWhileATransferRuns) {
  MakeDirs(dir / "src");
  MakeDirs(dir / "dst");
  MakeDirs(dir / "other");
  WriteFile(dir / "src/f", "new");
  WriteFile(dir / "dst/f", "old");
  Start();
  rig.Select(dir / "other");
  logic.NewTab();
  logic.SelectTab(1);
  logic.SelectTab(0);
  rig.Select(dir / "dst");
  const TabState firstBefore = logic.Tabs()[0];
  ASSERT_EQ(firstBefore.selectedPath, dir / "other");  // as stored when it was last left
  bool leaveRefused = false;
  rig.questions.onAsk = [&] {
    leaveRefused = !logic.LeaveTab();
    logic.SelectTab(1);
    logic.DeleteCurrentTab();
  };
  rig.questions.answers = {Answer::Yes};
  logic.Buffers().Toggle(dir / "src/f");
  logic.CopyFromBuffer();
  rig.questions.onAsk = nullptr;
  EXPECT_TRUE(leaveRefused);
  EXPECT_EQ(logic.Tabs()[0], firstBefore);  // the refused leaving step stored nothing
  EXPECT_EQ(logic.Tabs().size(), 2u);
  EXPECT_EQ(logic.CurrentTab(), 0);
  EXPECT_EQ(ReadFile(dir / "dst/f"), "new");
  logic.DeleteCurrentTab();
  EXPECT_EQ(logic.Tabs().size(), 1u);
}

TEST_F(TabsTest, TabFileRoundTripKeepsUnvisitedTabsAndTakesTheCurrentOne) {
  MakeDirs(dir / "x/y");
  MakeDirs(dir / "z");
  ScratchDir save;
  const std::string root = NoSlash(dir.Path());
  const std::string second = (dir / "z") + "\r\n" + root + "\r\n" + root + "\r\n_END_\r\n";
  WriteFile(save / "tab.txt", (dir / "x/y") + "\r\n" + root + "\r\n" + root + "\r\n" + (dir / "x") + "\r\n_END_\r\n" + second);
  logic.LoadState(save.Path());
  logic.Show();
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "x/y");
  EXPECT_EQ(Expanded(), (std::vector<std::string>{root, dir / "x"}));
  EXPECT_EQ(rig.view.top, logic.Tree().Roots()[0].get());
  rig.Select(dir / "z");  // the first tab moves; the second is never entered
  logic.Close();
  ASSERT_TRUE(logic.SaveState(save.Path()).empty());
  // The branch of x stays open: only the node left behind (y, without subdirectories) closes.
  EXPECT_EQ(ReadFile(save / "tab.txt"), (dir / "z") + "\r\n" + root + "\r\n" + root + "\r\n" + (dir / "x") + "\r\n_END_\r\n" + second);
}

// ---- Hover switching ----------------------------------------------------------------------

TEST(TabHover, RestingLongerThanTheTimeSwitchesOnce) {
  TabHoverSwitch hover;
  EXPECT_EQ(hover.HoverTab(), -1);
  EXPECT_EQ(hover.Step(2, 0, 1000, 1000), -1);  // timing starts
  EXPECT_EQ(hover.HoverTab(), 2);
  EXPECT_EQ(hover.Step(2, 0, 1500, 1000), -1);
  EXPECT_EQ(hover.Step(2, 0, 2000, 1000), -1);  // exactly the time is not longer than it
  EXPECT_EQ(hover.Step(2, 0, 2001, 1000), 2);
  EXPECT_EQ(hover.HoverTab(), -1);
  // The tab is current now: resting on it switches nothing again.
  EXPECT_EQ(hover.Step(2, 2, 2100, 1000), -1);
  EXPECT_EQ(hover.Step(2, 2, 9000, 1000), -1);
}

TEST(TabHover, MovingAcrossTabsSwitchesNone) {
  TabHoverSwitch hover;
  std::uint32_t now = 0;
  for (int round = 0; round < 20; ++round) {
    for (int tab : {1, 2, 3}) {
      now += 600;
      EXPECT_EQ(hover.Step(tab, 0, now, 1000), -1);
    }
  }
  // Leaving the tab row and coming back starts the time afresh.
  EXPECT_EQ(hover.Step(3, 0, now += 100, 1000), -1);
  EXPECT_EQ(hover.Step(-1, 0, now += 900, 1000), -1);
  EXPECT_EQ(hover.Step(3, 0, now += 600, 1000), -1);
  EXPECT_EQ(hover.Step(3, 0, now += 600, 1000), 3);
}

TEST(TabHover, ATabThatSlidUnderARestingPointerIsNotChosen) {
  TabHoverSwitch hover;
  EXPECT_EQ(hover.Step(1, 0, 0, 100, true), -1);
  EXPECT_EQ(hover.Step(1, 0, 101, 100, false), 1);
  // Tab 1's caption changed width; tab 2 is under the pointer now, which did not move.
  for (std::uint32_t now = 200; now < 2000; now += 100) EXPECT_EQ(hover.Step(2, 1, now, 100, false), -1);
  // The pointer moves (within tab 2): now it is pointing at tab 2.
  EXPECT_EQ(hover.Step(2, 1, 2000, 100, true), -1);
  EXPECT_EQ(hover.Step(2, 1, 2101, 100, false), 2);
}

TEST(TabHover, TheTickCounterMayWrapWhileThePointerRests) {
  TabHoverSwitch hover;
  const std::uint32_t start = 0xFFFFFF00u;
  EXPECT_EQ(hover.Step(1, 0, start, 1000), -1);
  EXPECT_EQ(hover.Step(1, 0, start + 0x200u, 1000), -1);  // 512 ms, past the wrap
  EXPECT_EQ(hover.Step(1, 0, start + 1001u, 1000), 1);
}

TEST(TabHover, ARestartPostponesTheSwitch) {
  TabHoverSwitch hover;
  hover.Step(1, 0, 0, 100);
  hover.Restart(500);
  EXPECT_EQ(hover.Step(1, 0, 550, 100), -1);
  EXPECT_EQ(hover.Step(1, 0, 601, 100), 1);
  // A time of zero switches on the next tick that finds the pointer still there.
  EXPECT_EQ(hover.Step(2, 1, 700, 0), -1);
  EXPECT_EQ(hover.Step(2, 1, 701, 0), 2);
}

// ---- Location bar -------------------------------------------------------------------------

class LocationTest : public TabsTest {
 protected:
  void LoadLauncher(const std::string& text) {
    WriteFile(save / "Launch.txt", text);
    logic.LoadState(save.Path());
  }
  ScratchDir save;
};

TEST_F(LocationTest, LauncherNamesGiveTheirTargetExactly) {
  MakeDirs(dir / "Docs/inner");
  WriteFile(dir / "file.txt", "x");
  LoadLauncher("docs : " + (dir / "Docs") + "\r\nnote:" + (dir / "file.txt") + "\r\ndocs:" + (dir / "file.txt") + "\r\n");
  Start();
  // The first entry of that name wins; the bar shows where it went.
  EXPECT_EQ(logic.GoToLocation("docs"), dir / "Docs/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "Docs");
  EXPECT_EQ(rig.view.location, dir / "Docs/");
  EXPECT_TRUE(rig.shell.opened.empty());

  EXPECT_EQ(logic.GoToLocation("note"), dir / "file.txt");
  EXPECT_EQ(rig.shell.opened, std::vector<std::string>{dir / "file.txt"});
  EXPECT_EQ(rig.view.location, dir / "file.txt");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "Docs");  // opening a file moves nothing

  // Names match with their letter case; anything else is a path.
  EXPECT_EQ(logic.GoToLocation("NOTE"), "NOTE");
  EXPECT_EQ(rig.view.log.back(), "NotFound : NOTE/");
  EXPECT_EQ(rig.shell.opened.size(), 1u);
}

TEST_F(LocationTest, PathsOpenFilesAndSelectDirectoriesInAnyLetterCase) {
  MakeDirs(dir / "Docs/Inner");
  WriteFile(dir / "Docs/readme", "r");
  Start();
  logic.GoToLocation(dir / "Docs/readme");
  EXPECT_EQ(rig.shell.opened, std::vector<std::string>{dir / "Docs/readme"});
  const int focus = rig.view.treeFocusRequests;
  EXPECT_EQ(logic.GoToLocation(dir / "docs/inner"), dir / "Docs/Inner/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "Docs/Inner");
  EXPECT_EQ(rig.view.treeFocusRequests, focus + 1);
  EXPECT_EQ(logic.List().DirPath(), dir / "Docs/Inner/");
  EXPECT_TRUE(rig.view.log.empty());
  // A path beyond the tree is reported; the selection stays where it was.
  EXPECT_EQ(logic.GoToLocation(dir / "Docs/missing/deeper/"), dir / "Docs/missing/deeper/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "Docs/Inner");
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"NotFound : " + (dir / "Docs/missing/deeper/")});
  // One made outside the program since the tree read its parent is found.
  MakeDirs(dir / "Docs/later/deeper");
  EXPECT_EQ(logic.GoToLocation(dir / "Docs/later/deeper"), dir / "Docs/later/deeper/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "Docs/later/deeper");
}

TEST_F(LocationTest, TextThatNamesNothingIsLoggedWithItsSeparator) {
  Start();
  rig.Select(NoSlash(dir.Path()));
  const std::size_t locations = rig.view.locationHistory.size();
  EXPECT_EQ(logic.GoToLocation("nowhere"), "nowhere");
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"NotFound : nowhere/"});
  EXPECT_EQ(logic.GoToLocation("nowhere/"), "nowhere/");
  EXPECT_EQ(rig.view.log.back(), "NotFound : nowhere/");
  EXPECT_EQ(rig.view.locationHistory.size(), locations);  // the typed text stays
  EXPECT_EQ(logic.SelectedNode()->Path(), NoSlash(dir.Path()));
  EXPECT_TRUE(rig.shell.opened.empty());
}

TEST_F(LocationTest, ALinkToADirectoryIsAPlaceNotADocument) {
  MakeDirs(dir / "real/sub");
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
  WriteFile(dir / "doc", "d");
  ASSERT_EQ(::symlink((dir / "doc").c_str(), (dir / "doclink").c_str()), 0);
  Start();
  EXPECT_EQ(logic.GoToLocation(dir / "link"), dir / "link/");
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "link");
  EXPECT_TRUE(rig.shell.opened.empty());
  logic.GoToLocation(dir / "doclink");
  EXPECT_EQ(rig.shell.opened, std::vector<std::string>{dir / "doclink"});
}

// ---- Shortcuts ----------------------------------------------------------------------------

TEST_F(TabsTest, ShortcutsNeedASelectionAndKeepTheNameAsTyped) {
  MakeDirs(dir / "a/b");
  Start();
  EXPECT_FALSE(logic.AddShortcutForSelection());  // nothing selected: nothing asked
  EXPECT_TRUE(rig.questions.asked.empty());
  rig.Select(dir / "a/b");
  rig.questions.inputs = {std::nullopt, std::string(" \t "), std::string("a,b"), std::string(" two words ")};
  EXPECT_FALSE(logic.AddShortcutForSelection());  // cancelled
  ASSERT_EQ(rig.questions.asked.size(), 1u);
  EXPECT_EQ(rig.questions.asked[0].caption, "ショートカット追加");
  EXPECT_EQ(rig.questions.asked[0].text, "ショートカット名を入力してください。");
  EXPECT_FALSE(logic.AddShortcutForSelection());  // blanks only
  EXPECT_EQ(rig.questions.asked.back().kind, "alert");
  EXPECT_EQ(rig.questions.asked.back().text, "ショートカット名を入力してください。");
  EXPECT_FALSE(logic.AddShortcutForSelection());
  EXPECT_EQ(rig.questions.asked.back().text, "ショートカット名に , は使えません。");
  EXPECT_TRUE(logic.Shortcuts().empty());
  EXPECT_TRUE(logic.AddShortcutForSelection());
  EXPECT_EQ(logic.Shortcuts(), std::vector<ShortcutEntry>{(ShortcutEntry{dir / "a/b/", " two words "})});
}

TEST_F(TabsTest, AShortcutGoesThroughTheLocationBar) {
  MakeDirs(dir / "a/b");
  MakeDirs(dir / "c");
  Start();
  rig.Select(dir / "a/b");
  rig.questions.inputs = {std::string("here")};
  ASSERT_TRUE(logic.AddShortcutForSelection());
  rig.Select(dir / "c");
  rig.view.locationHistory.clear();
  EXPECT_EQ(logic.GoToShortcut(0), dir / "a/b/");
  ASSERT_FALSE(rig.view.locationHistory.empty());
  EXPECT_EQ(rig.view.locationHistory.front(), dir / "a/b/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a/b");
  // A shortcut whose directory has gone is reported and moves nothing.
  ASSERT_EQ(::rmdir((dir / "a/b").c_str()), 0);
  logic.UpdateTree();
  EXPECT_EQ(logic.GoToShortcut(0), dir / "a/b/");
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a");
  EXPECT_EQ(rig.view.log.back(), "NotFound : " + (dir / "a/b/"));
  EXPECT_EQ(logic.GoToShortcut(1), "");  // no such shortcut
  logic.RemoveShortcut(3);
  EXPECT_EQ(logic.Shortcuts().size(), 1u);
  logic.RemoveShortcut(0);
  EXPECT_TRUE(logic.Shortcuts().empty());
}

// ---- Launcher -------------------------------------------------------------------------------

TEST_F(TabsTest, AFileJoinsTheLauncherWhenItsLineCanBeReadBack) {
  WriteFile(dir / "tool.sh", "x");
  WriteFile(dir / "a:b", "x");
  WriteFile(dir / " padded", "x");
  Start();
  rig.Select(NoSlash(dir.Path()));
  EXPECT_FALSE(logic.AddSelectedFileToLauncher({}));
  EXPECT_TRUE(logic.AddSelectedFileToLauncher({rig.RowOf("tool.sh")}));
  EXPECT_FALSE(logic.AddSelectedFileToLauncher({rig.RowOf("a:b")}));
  EXPECT_FALSE(logic.AddSelectedFileToLauncher({rig.RowOf(" padded")}));
  EXPECT_EQ(rig.view.log, (std::vector<std::string>{"ランチャー追加失敗: " + (dir / "a:b"),
                                                    "ランチャー追加失敗: " + (dir / " padded")}));
  ASSERT_EQ(logic.Launcher().size(), 1u);
  EXPECT_EQ(logic.Launcher()[0], (LauncherEntry{"tool.sh", dir / "tool.sh"}));

  ScratchDir save;
  ASSERT_TRUE(logic.SaveState(save.Path()).empty());
  const std::string text = ReadFile(save / "Launch.txt");
  EXPECT_EQ(text, "tool.sh:" + (dir / "tool.sh") + "\r\n");
  // The name now resolves in the location bar.
  logic.GoToLocation("tool.sh");
  EXPECT_EQ(rig.shell.opened, std::vector<std::string>{dir / "tool.sh"});
}

}  // namespace
}  // namespace velkoran::app
