#include "app/logic/window_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "app_fakes.h"
#include "platform/state_file.h"

namespace velkoran::app {
namespace {

using platform::Answer;
using testing::Exists;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

using LogicTest = testing::LogicFixture;

TEST_F(LogicTest, ListingFocusesTheFirstRowAndShowsTheTotals) {
  WriteFile(dir / "a", std::string(100, 'x'));
  WriteFile(dir / "b", std::string(200, 'x'));
  WriteFile(dir / "c", std::string(300, 'x'));
  MakeDirs(dir / "sub");
  Start();
  ASSERT_NE(rig.Select(NoSlash(dir.Path())), nullptr);
  EXPECT_EQ(rig.view.refills, 1);
  EXPECT_EQ(logic.List().RowCount(), 3);  // directories stay hidden
  EXPECT_EQ(rig.view.infoLine, "Size:600B Size:600B File:3 All:3");
  EXPECT_EQ(rig.view.location, dir.Path());
  EXPECT_EQ(logic.Tabs()[0].caption, platform::HostPaths().LastComponent(dir.Path()));

  logic.ToggleShowDirectory();
  logic.ListDirectory();
  EXPECT_EQ(logic.List().Row(0).name, "sub");
}

TEST_F(LogicTest, RenameOntoAnExistingFileAnsweredNoChangesNothing) {
  WriteFile(dir / "one", "1");
  WriteFile(dir / "two", "2");
  Start();
  rig.Select(NoSlash(dir.Path()));
  rig.questions.answers = {Answer::No};
  EXPECT_FALSE(logic.RenameFile(rig.RowOf("one"), "two"));
  ASSERT_EQ(rig.questions.asked.size(), 1u);
  EXPECT_EQ(rig.questions.asked[0].caption, "上書き確認");
  EXPECT_EQ(rig.questions.asked[0].text, (dir / "two") + "を上書きしますか？\n*この後上書き確認しない場合は[キャンセル]を*");
  EXPECT_EQ(ReadFile(dir / "one"), "1");
  EXPECT_EQ(ReadFile(dir / "two"), "2");
  EXPECT_GE(rig.RowOf("one"), 0);

  rig.questions.answers = {Answer::Yes};
  EXPECT_TRUE(logic.RenameFile(rig.RowOf("one"), "two"));
  EXPECT_FALSE(Exists(dir / "one"));
  EXPECT_EQ(ReadFile(dir / "two"), "1");
  EXPECT_EQ(logic.List().RowCount(), 1);  // the replaced row is gone
}

TEST_F(LogicTest, RenameWithoutAQuestionAndItsFailures) {
  WriteFile(dir / "one", "1");
  MakeDirs(dir / "d");
  Start();
  rig.Select(NoSlash(dir.Path()));
  EXPECT_TRUE(logic.RenameFile(rig.RowOf("one"), "three"));
  EXPECT_TRUE(rig.questions.asked.empty());
  EXPECT_EQ(ReadFile(dir / "three"), "1");
  EXPECT_EQ(logic.List().Row(rig.RowOf("three")).name, "three");  // the row shows the new name at once

  EXPECT_FALSE(logic.RenameFile(rig.RowOf("three"), "d/x"));
  EXPECT_FALSE(logic.RenameFile(rig.RowOf("three"), ""));
  // A directory under the new name is asked about too; answered Yes, a file still cannot
  // take its place.
  rig.questions.answers = {Answer::Yes};
  EXPECT_FALSE(logic.RenameFile(rig.RowOf("three"), "d"));
  EXPECT_EQ(rig.questions.asked.size(), 1u);
  EXPECT_EQ(rig.view.log, (std::vector<std::string>{"リネーム失敗。", "リネーム失敗。", "リネーム失敗。"}));
  EXPECT_EQ(ReadFile(dir / "three"), "1");
}

TEST_F(LogicTest, CreateDirectoryMakesTheChainAndReportsFailure) {
  WriteFile(dir / "file", "x");
  Start();
  rig.Select(NoSlash(dir.Path()));
  rig.questions.inputs = {std::string("a/b/c"), std::nullopt, std::string("file/sub")};
  logic.CreateDirectory();
  EXPECT_TRUE(Exists(dir / "a/b/c"));
  EXPECT_EQ(rig.questions.asked[0].caption, "ディレクトリ作成");
  EXPECT_EQ(rig.questions.asked[0].text, "作成ディレクトリ名を入力してください。");
  EXPECT_NE(logic.Tree().FindNodeFromPath(dir / "a/b/c", false), nullptr);
  logic.CreateDirectory();  // cancelled
  logic.CreateDirectory();
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"ディレクトリ作成失敗。"});
}

TEST_F(LogicTest, DeleteAsksOnceAndHonoursTheAnswer) {
  WriteFile(dir / "keep", "k");
  WriteFile(dir / "drop", "d");
  MakeDirs(dir / "tree/inner");
  WriteFile(dir / "tree/inner/f", "f");
  Start();
  rig.Select(NoSlash(dir.Path()));
  logic.ToggleShowDirectory();
  logic.ListDirectory();
  rig.questions.answers = {Answer::No};
  logic.DeleteFiles({rig.RowOf("drop")});
  EXPECT_TRUE(Exists(dir / "drop"));
  rig.questions.answers = {Answer::Yes};
  logic.DeleteFiles({rig.RowOf("tree"), rig.RowOf("drop")}, true);
  EXPECT_EQ(rig.questions.asked.back().text, (dir / "tree/") + "\n" + (dir / "drop") +
                                                   "\nを削除しますか？\n（2 項目。フォルダ 1 個は中身ごと削除されます）");
  EXPECT_FALSE(Exists(dir / "drop"));
  EXPECT_FALSE(Exists(dir / "tree"));
  EXPECT_TRUE(Exists(dir / "keep"));
  EXPECT_EQ(rig.RowOf("drop"), -1);  // listed afresh
}

TEST_F(LogicTest, DeletingALinkNeverTouchesWhatItPointsTo) {
  MakeDirs(dir / "r/target");
  WriteFile(dir / "r/target/precious", "p");
  ASSERT_EQ(::symlink((dir / "r/target").c_str(), (dir / "r/link").c_str()), 0);
  Start();
  rig.Select(dir / "r");
  logic.ToggleShowDirectory();
  logic.ListDirectory();
  rig.questions.answers = {Answer::Yes};
  logic.DeleteFiles({rig.RowOf("link")});
  EXPECT_FALSE(Exists(dir / "r/link"));
  EXPECT_EQ(ReadFile(dir / "r/target/precious"), "p");

  ASSERT_EQ(::symlink((dir / "r/target").c_str(), (dir / "r/link2").c_str()), 0);
  logic.UpdateTree();
  ASSERT_NE(rig.Select(dir / "r/link2"), nullptr);
  rig.questions.answers = {Answer::Yes};
  logic.DeleteTreeItem();
  EXPECT_FALSE(Exists(dir / "r/link2"));
  EXPECT_EQ(ReadFile(dir / "r/target/precious"), "p");
  // The selection moved to the nearest surviving ancestor.
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "r");
}

TEST_F(LogicTest, OpenGoesIntoDirectoriesAndHandsFilesToTheShell) {
  MakeDirs(dir / "sub/deeper");
  WriteFile(dir / "doc.txt", "x");
  Start();
  rig.Select(NoSlash(dir.Path()));
  logic.ToggleShowDirectory();
  logic.ListDirectory();
  logic.OpenFile({rig.RowOf("doc.txt")});
  EXPECT_EQ(rig.shell.opened, std::vector<std::string>{dir / "doc.txt"});
  // No application for it: said in the log, where the user looks.
  rig.shell.opens = false;
  logic.OpenFile({rig.RowOf("doc.txt")});
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"開くアプリケーションがありません: " + (dir / "doc.txt")});
  rig.view.log.clear();
  rig.shell.opens = true;
  logic.OpenFile({rig.RowOf("sub")});
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "sub");
  EXPECT_EQ(rig.view.selection, logic.SelectedNode());
  EXPECT_EQ(logic.List().Row(0).name, "deeper");
  // A directory made after the tree read its parent is found all the same.
  MakeDirs(dir / "sub/later");
  logic.ListDirectory();
  logic.OpenFile({rig.RowOf("later")});
  EXPECT_TRUE(rig.view.log.empty());
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "sub/later");
  // Going up puts the cursor on the folder just left.
  logic.GoParent();
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "sub");
  EXPECT_EQ(rig.view.focusedRow, rig.RowOf("later"));
  logic.GoParent();
  EXPECT_EQ(logic.SelectedNode()->Path(), NoSlash(dir.Path()));
  EXPECT_EQ(rig.view.focusedRow, rig.RowOf("sub"));
  // One that is gone since it was listed cannot be opened.
  logic.OpenFile({rig.RowOf("sub")});
  MakeDirs(dir / "sub/other");
  logic.ListDirectory();
  ASSERT_EQ(::rmdir((dir / "sub/other").c_str()), 0);
  logic.OpenFile({rig.RowOf("other")});
  EXPECT_EQ(rig.view.log, std::vector<std::string>{"FindNodeFromPath失敗。"});
  logic.GoParent();
  logic.GoParent();  // a root has no parent
  EXPECT_EQ(logic.SelectedNode()->Path(), NoSlash(dir.Path()));
}

TEST_F(LogicTest, RefreshKeepsExpansionTopAndSelection) {
  MakeDirs(dir / "a/a1/a11");
  MakeDirs(dir / "b/b1");
  Start();
  DirNode* a1 = rig.Select(dir / "a/a1");
  ASSERT_NE(a1, nullptr);
  rig.view.top = logic.Tree().FindNodeFromPath(dir / "a", false);
  const std::vector<std::string> expanded = logic.Tree().CollectExpandedPaths();
  const int refills = rig.view.refills;
  logic.RefreshTree();
  EXPECT_EQ(logic.Tree().CollectExpandedPaths(), expanded);
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a/a1");
  EXPECT_EQ(rig.view.top->Path(), dir / "a");
  EXPECT_EQ(rig.view.refills, refills);  // the same directory is not listed again

  // The selected directory disappears: its nearest surviving ancestor is selected and listed.
  ::rmdir((dir / "a/a1/a11").c_str());
  ::rmdir((dir / "a/a1").c_str());
  logic.RefreshTree();
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "a");
  EXPECT_EQ(rig.view.refills, refills + 1);
}

TEST_F(LogicTest, AutoExpandOpensTheSelectionAndClosesTheBranchLeft) {
  MakeDirs(dir / "a/a1");
  MakeDirs(dir / "b/b1");
  Start();
  DirNode* a = rig.Select(dir / "a");
  EXPECT_TRUE(a->expanded);
  DirNode* b = rig.Select(dir / "b");
  EXPECT_TRUE(b->expanded);
  EXPECT_FALSE(a->expanded);
  DirNode* b1 = rig.Select(dir / "b/b1");
  EXPECT_TRUE(b->expanded);  // the new selection lies inside the branch left
  EXPECT_NE(b1, nullptr);
  // Collapsing a branch that hides the selection moves it up.
  logic.TreeNodeCollapsed(b);
  EXPECT_EQ(logic.SelectedNode(), b);
}

// The inode of a file: a file written anew (atomically, by rename) gets a new one.
ino_t InodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(LogicTest, SavingAsTheSessionGoesWritesOnlyWhatChanged) {
  ScratchDir save;
  MakeDirs(dir / "a");
  Start();
  rig.Select(dir / "a");
  EXPECT_TRUE(logic.SaveChangedState(save.Path()).empty());
  // The current tab is taken without leaving it.
  EXPECT_EQ(ReadFile(save / "tab.txt").substr(0, (dir / "a").size()), dir / "a");
  const char* names[] = {"setting.ini", "fbuf.txt", "tab.txt", "Launch.txt"};
  std::map<std::string, ino_t> before;
  for (const char* name : names) before[name] = InodeOf(save / name);

  logic.Buffers().Toggle(dir / "a/f");
  EXPECT_TRUE(logic.SaveChangedState(save.Path()).empty());
  for (const char* name : names) {
    SCOPED_TRACE(name);
    if (std::string(name) == "fbuf.txt") {
      EXPECT_NE(InodeOf(save / name), before[name]);
    } else {
      EXPECT_EQ(InodeOf(save / name), before[name]);
    }
  }
  EXPECT_EQ(ReadFile(save / "fbuf.txt").substr(0, (dir / "a/f").size()), dir / "a/f");
  // A new selection reaches tab.txt.
  rig.Select(NoSlash(dir.Path()));
  logic.SaveChangedState(save.Path());
  EXPECT_EQ(ReadFile(save / "tab.txt").substr(0, dir.Path().size() - 1), NoSlash(dir.Path()));
}

TEST_F(LogicTest, StateFilesRoundTripUnchanged) {
  ScratchDir save;
  MakeDirs(dir / "x/y");
  const std::string settings =
      "Top : 5\r\nLeft : 6\r\nWidth : 700\r\nHeight : 600\r\nMouseTabChangingTime : 1000\r\nTimerInterval : 100\r\n"
      "TreeWidth : 201\r\nInfoHeight : 112\r\nLogWidth : 349\r\nIgnoreDrive : A:\r\nIgnoreShare : 0\r\n"
      "ShowFileInfo : FileSize\r\nGridWidth : 80\r\nGridWidth : 60\r\nShowDirectory : 1\r\nUwagaki : 1\r\n"
      "Shortcut : here," + dir.Path() + "\r\nSortType : 3\r\nSortTypeDirection : 1\r\nTreeVisible : 1\r\n"
      "AutoExpand : 0\r\nUseTrash : 1\r\n";
  std::string buffers = "/p/q\r\n/p/r/\r\n_END_\r\n";
  for (int i = 1; i < 12; ++i) buffers += "_END_\r\n";
  const std::string tabs = (dir / "x") + "\r\n" + NoSlash(dir.Path()) + "\r\n" + NoSlash(dir.Path()) + "\r\n" + (dir / "x") +
                           "\r\n_END_\r\n";
  const std::string launcher = "edit:/usr/bin/editor\r\nweb:http://h:80/\r\n";
  WriteFile(save / "setting.ini", settings);
  WriteFile(save / "fbuf.txt", buffers);
  WriteFile(save / "tab.txt", tabs);
  WriteFile(save / "Launch.txt", launcher);

  logic.LoadState(save.Path());
  EXPECT_TRUE(logic.Engine().Flags().AutoOverwrite);
  EXPECT_EQ(logic.List().SortType(), 3);
  EXPECT_TRUE(logic.List().SortDescending());
  logic.Show();
  ASSERT_NE(logic.SelectedNode(), nullptr);
  EXPECT_EQ(logic.SelectedNode()->Path(), dir / "x");
  EXPECT_EQ(rig.view.bufferLines, (std::vector<std::string>{"r/", "q"}));
  rig.view.top = logic.Tree().Roots()[0].get();
  logic.Close();
  logic.Settings().savedGeometry = logic.Settings().window;  // as the timer keeps it
  EXPECT_TRUE(logic.SaveState(save.Path()).empty());
  EXPECT_EQ(ReadFile(save / "setting.ini"), settings);
  EXPECT_EQ(ReadFile(save / "fbuf.txt"), buffers);
  EXPECT_EQ(ReadFile(save / "tab.txt"), tabs);
  EXPECT_EQ(ReadFile(save / "Launch.txt"), launcher);
}

TEST_F(LogicTest, MissingStateFilesGiveDefaultsAndAFailedWriteKeepsTheOthers) {
  ScratchDir save;
  logic.LoadState(save.Path());
  EXPECT_EQ(logic.Settings().columns.size(), 6u);
  EXPECT_EQ(logic.Tabs().size(), 1u);
  MakeDirs(save / "tab.txt/blocked");
  const auto failures = logic.SaveState(save.Path());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("tab.txt"), std::string::npos);
  EXPECT_TRUE(Exists(save / "setting.ini"));
  EXPECT_TRUE(Exists(save / "fbuf.txt"));
  EXPECT_TRUE(Exists(save / "Launch.txt"));
}

TEST_F(LogicTest, DropsTransferIntoTheSelectionOrFillTheBuffer) {
  MakeDirs(dir / "src/d");
  WriteFile(dir / "src/f", "F");
  MakeDirs(dir / "dst");
  Start();
  rig.Select(dir / "dst");
  // The tree reports no effect back, whatever it did, so the source deletes nothing.
  EXPECT_EQ(logic.DropOnTree({dir / "src/f"}, 0x80000002u), 0);
  EXPECT_FALSE(Exists(dir / "src/f"));
  EXPECT_EQ(ReadFile(dir / "dst/f"), "F");
  EXPECT_EQ(rig.view.caption, "dst");
  EXPECT_EQ(rig.view.log.front(), "移動の準備中。");
  // A drop on a row of the list transfers nothing; on free space it copies.
  logic.DropOnList({dir / "src/d"}, 1, true);
  EXPECT_FALSE(Exists(dir / "dst/d"));
  logic.DropOnList({dir / "src/d"}, 1, false);
  EXPECT_TRUE(Exists(dir / "dst/d"));
  EXPECT_TRUE(Exists(dir / "src/d"));
  logic.DropOnBuffer({dir / "src/d", dir / "dst/f"});
  EXPECT_EQ(logic.Buffers().CurrentEntries(), (std::vector<std::string>{dir / "src/d/", dir / "dst/f"}));
  EXPECT_EQ(rig.view.bufferLines, (std::vector<std::string>{"f", "d/"}));
}

TEST_F(LogicTest, ADropNearTheListsEdgeStillTransfersAndNoOperationTransfersNothing) {
  MakeDirs(dir / "src");
  WriteFile(dir / "src/f", "F");
  WriteFile(dir / "src/g", "G");
  MakeDirs(dir / "dst");
  Start();
  rig.Select(dir / "dst");
  // The scroll flag beside a move (the pointer rested near the list's edge).
  logic.DropOnList({dir / "src/f"}, 0x80000002u, false);
  EXPECT_EQ(ReadFile(dir / "dst/f"), "F");
  EXPECT_FALSE(Exists(dir / "src/f"));
  // An effect that names no operation never reaches the engine.
  const std::size_t logged = rig.view.log.size();
  logic.DropOnList({dir / "src/g"}, 0, false);
  EXPECT_EQ(logic.DropOnTree({dir / "src/g"}, 0x80000000u), 0);
  logic.DropOnList({dir / "src/g"}, 3, false);
  EXPECT_FALSE(Exists(dir / "dst/g"));
  EXPECT_EQ(rig.view.log.size(), logged);
}

TEST_F(LogicTest, DragsOfferTheTreesDirectoryAndTheListsRowsInOrder) {
  MakeDirs(dir / "d/sub");
  WriteFile(dir / "d/b", "");
  WriteFile(dir / "d/a", "");
  Start();
  EXPECT_TRUE(logic.TreeDragPaths().empty());
  rig.Select(dir / "d");
  EXPECT_EQ(logic.TreeDragPaths(), std::vector<std::string>{dir / "d"});
  logic.ToggleShowDirectory();
  logic.ListDirectory();
  const std::vector<int> rows{rig.RowOf("sub"), rig.RowOf("a"), rig.RowOf("b"), 99};
  EXPECT_EQ(logic.ListDragPaths(rows), (std::vector<std::string>{dir / "d/sub/", dir / "d/a", dir / "d/b"}));
  // A directory gone since it was selected offers nothing.
  ASSERT_NE(rig.Select(dir / "d/sub"), nullptr);
  ASSERT_EQ(::rmdir((dir / "d/sub").c_str()), 0);
  EXPECT_TRUE(logic.TreeDragPaths().empty());
}

TEST_F(LogicTest, TheSizeSurveyRunsOnRealDirectoriesOnly) {
  MakeDirs(dir / "d/e");
  WriteFile(dir / "d/e/f", std::string(2048, 'x'));
  ASSERT_EQ(::symlink((dir / "d").c_str(), (dir / "link").c_str()), 0);
  Start();
  rig.Select(NoSlash(dir.Path()));
  logic.ToggleShowDirectory();
  logic.ListDirectory();
  EXPECT_FALSE(logic.CanCheckDirectorySize({rig.RowOf("link")}));
  EXPECT_FALSE(logic.CanCheckDirectorySize({}));
  ASSERT_TRUE(logic.CanCheckDirectorySize({rig.RowOf("d")}));
  logic.CheckListDirectorySize({rig.RowOf("d")});
  EXPECT_EQ(rig.view.log.back(), "ファイル数 : 1 ディレクトリ数 : 1 サイズ : 2048B / 2KB");
}

}  // namespace
}  // namespace velkoran::app
