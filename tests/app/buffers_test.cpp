// The twelve file buffers: the toggle rule, what the buffer list shows, every way of
// adding and removing, and the copy, move and delete commands with their questions and
// log lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "app/logic/file_buffers.h"
#include "app/logic/window_logic.h"
#include "app_fakes.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

using platform::Answer;
using testing::Exists;
using testing::LogicRig;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

using Lines = std::vector<std::string>;

const platform::PathRules kPosix(platform::PathStyle::Posix, platform::CodePage::Utf8);
const platform::PathRules kWindows(platform::PathStyle::Windows, platform::CodePage::Cp932);

// ---- The buffers on their own ------------------------------------------------------------

TEST(FileBuffers, AddingTwiceRestoresTheBufferAndTheListShowsNewestFirst) {
  FileBuffers buffers(kPosix);
  EXPECT_EQ(buffers.DisplayLines(), Lines{"ファイルバッファ"});
  buffers.Toggle("/data/a.txt");
  buffers.Toggle("/data/dir/");
  buffers.Toggle("/b");
  EXPECT_EQ(buffers.DisplayLines(), (Lines{"b", "dir/", "a.txt"}));
  buffers.Toggle("/data/dir/");  // the second add removes it again, wherever it stood
  EXPECT_EQ(buffers.CurrentEntries(), (Lines{"/data/a.txt", "/b"}));
  buffers.Toggle("/data/dir/");
  EXPECT_EQ(buffers.CurrentEntries(), (Lines{"/data/a.txt", "/b", "/data/dir/"}));
  // Names are case-sensitive here: a differently written path is another entry.
  buffers.Toggle("/DATA/A.TXT");
  EXPECT_EQ(buffers.CurrentEntries().size(), 4u);
  // The directory and the file of the same name are two entries as well.
  buffers.Toggle("/b/");
  EXPECT_EQ(buffers.CurrentEntries().size(), 5u);
}

TEST(FileBuffers, EntriesOfOneNameShowTheirFolder) {
  FileBuffers buffers(kPosix);
  buffers.ToggleAll({"/a/notes.txt", "/b/notes.txt", "/a/src/", "/b/src/", "/a/only"});
  EXPECT_EQ(buffers.DisplayLines(), (Lines{"only", "src/  (/b/)", "src/  (/a/)", "notes.txt  (/b/)", "notes.txt  (/a/)"}));
  buffers.Toggle("/b/notes.txt");  // alone again: the bare name
  EXPECT_EQ(buffers.DisplayLines()[3], "notes.txt");
  const std::uint64_t revision = buffers.Revision();
  (void)buffers.DisplayLines();
  EXPECT_EQ(buffers.Revision(), revision);  // showing is no change worth saving
  buffers.ClearCurrent();
  EXPECT_NE(buffers.Revision(), revision);
}

TEST(FileBuffers, TwelveBuffersNumberedFromOne) {
  FileBuffers buffers(kPosix);
  EXPECT_EQ(buffers.IndexCaption(), "1番バッファ");
  for (int i = 0; i < 12; ++i) {
    buffers.SetCurrent(i);
    buffers.Toggle("/only-in-" + std::to_string(i));
    EXPECT_EQ(buffers.IndexCaption(), std::to_string(i + 1) + "番バッファ");
  }
  buffers.SetCurrent(12);
  buffers.SetCurrent(-1);
  EXPECT_EQ(buffers.Current(), 11);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(buffers.All()[static_cast<std::size_t>(i)], Lines{"/only-in-" + std::to_string(i)});
  buffers.ClearCurrent();
  EXPECT_TRUE(buffers.CurrentEntries().empty());
  EXPECT_EQ(buffers.All()[10].size(), 1u);
}

TEST(FileBuffers, DisplayNames) {
  FileBuffers posix(kPosix);
  EXPECT_EQ(posix.DisplayName("/home/user/docs/"), "docs/");
  EXPECT_EQ(posix.DisplayName("/home/user/a.txt"), "a.txt");
  EXPECT_EQ(posix.DisplayName("/"), "/");
  EXPECT_EQ(posix.DisplayName("/top/"), "top/");
  EXPECT_EQ(posix.DisplayName("relative"), "relative");
  EXPECT_EQ(posix.DisplayName("/x/a:b"), "a:b");  // a colon is part of a name here
  FileBuffers windows(kWindows);
  EXPECT_EQ(windows.DisplayName("C:\\Data\\"), "Data\\");
  EXPECT_EQ(windows.DisplayName("C:\\"), "C:\\");  // a drive gives the root form
  EXPECT_EQ(windows.DisplayName("C:\\Data\\f.txt"), "f.txt");
  EXPECT_EQ(windows.DisplayName("C:f.txt"), "f.txt");
  EXPECT_EQ(windows.DisplayName("\\\\host\\share\\"), "share\\");
}

TEST(FileBuffers, ManyTogglesAtOnceEqualThemOneByOne) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    FileBuffers batch(kPosix);
    FileBuffers single(kPosix);
    std::uniform_int_distribution<int> name(0, 9);
    std::uniform_int_distribution<int> length(0, 14);
    Lines start;
    // Now and then a buffer read from a file holds a path twice.
    const bool duplicates = round % 5 == 0;
    for (int i = length(rng); i > 0; --i) {
      std::string p = "/p" + std::to_string(name(rng));
      if (!duplicates && std::find(start.begin(), start.end(), p) != start.end()) continue;
      start.push_back(p);
    }
    batch.All()[0] = start;
    single.All()[0] = start;
    Lines paths;
    for (int i = length(rng); i > 0; --i) paths.push_back("/p" + std::to_string(name(rng)));
    batch.ToggleAll(paths);
    for (const std::string& p : paths) single.Toggle(p);
    ASSERT_EQ(batch.CurrentEntries(), single.CurrentEntries()) << "round " << round;
  }
}

TEST(FileBuffers, RemovingDisplayedLines) {
  FileBuffers buffers(kPosix);
  buffers.ToggleAll({"/a", "/b", "/c", "/d"});
  buffers.RemoveDisplayedLines({0, 3, 3, 9, -2});  // the newest and the oldest
  EXPECT_EQ(buffers.CurrentEntries(), (Lines{"/b", "/c"}));
  buffers.RemoveDisplayedLines({});
  EXPECT_EQ(buffers.CurrentEntries().size(), 2u);
  buffers.RemoveDisplayedLines({0, 1});
  EXPECT_TRUE(buffers.CurrentEntries().empty());
}

TEST(FileBuffers, TextsFollowTheSystemCodePage) {
  platform::SetActiveCodePage(platform::CodePage::Cp932);
  FileBuffers buffers(kPosix);
  buffers.SetCurrent(4);
  const Lines placeholder = buffers.DisplayLines();
  const std::string caption = buffers.IndexCaption();
  platform::SetActiveCodePage(platform::CodePage::Utf8);
  EXPECT_EQ(platform::ToUtf8(placeholder.at(0), platform::CodePage::Cp932), "ファイルバッファ");
  EXPECT_EQ(platform::ToUtf8(caption, platform::CodePage::Cp932), "5番バッファ");
  EXPECT_NE(caption, "5番バッファ");
}

// ---- The commands ----------------------------------------------------------------------

class BufferCommandsTest : public testing::LogicFixture {
 protected:
  void ListWithDirectories(const std::string& path) {
    logic.RebuildTree();
    rig.Select(path);
    if (!logic.Settings().showDirectory) logic.ToggleShowDirectory();
    logic.ListDirectory();
  }
  const Lines& Entries() { return logic.Buffers().CurrentEntries(); }
};

TEST_F(BufferCommandsTest, SpaceMarksRowsOneAfterAnotherAndWrapsToTheFirst) {
  MakeDirs(dir / "d");
  WriteFile(dir / "f1", "1");
  WriteFile(dir / "f2", "2");
  ListWithDirectories(NoSlash(dir.Path()));
  ASSERT_EQ(logic.List().RowCount(), 3);  // d, f1, f2: directories first
  int row = 0;
  row = logic.AddFocusedFileToBuffer(row);
  EXPECT_EQ(row, 1);
  row = logic.AddFocusedFileToBuffer(row);
  row = logic.AddFocusedFileToBuffer(row);
  EXPECT_EQ(row, 0);  // from the last row to the first
  EXPECT_EQ(Entries(), (Lines{dir / "d/", dir / "f1", dir / "f2"}));
  EXPECT_EQ(rig.view.bufferLines, (Lines{"f2", "f1", "d/"}));
  EXPECT_EQ(rig.view.bufferCaption, "1番バッファ");
  // A second round removes them again.
  for (int i = 0; i < 3; ++i) row = logic.AddFocusedFileToBuffer(row);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(rig.view.bufferLines, Lines{"ファイルバッファ"});
  EXPECT_EQ(logic.AddFocusedFileToBuffer(-1), -1);
  EXPECT_EQ(logic.AddFocusedFileToBuffer(3), -1);
}

TEST_F(BufferCommandsTest, ADirectoryShowsItsSeparatorOnlyWhenAddedAlone) {
  MakeDirs(dir / "d");
  ASSERT_EQ(::symlink((dir / "d").c_str(), (dir / "link").c_str()), 0);
  ListWithDirectories(NoSlash(dir.Path()));
  logic.AddFocusedFileToBuffer(rig.RowOf("d"));
  EXPECT_EQ(rig.view.bufferLines, Lines{"d/"});
  logic.SelectBuffer(1);
  logic.AddSelectedFilesToBuffer({rig.RowOf("d")});
  EXPECT_EQ(rig.view.bufferLines, Lines{"d"});
  // A link is the link itself, never what it points to.
  logic.SelectBuffer(2);
  logic.AddFocusedFileToBuffer(rig.RowOf("link"));
  EXPECT_EQ(Entries(), Lines{dir / "link"});
}

TEST_F(BufferCommandsTest, NumberedAddsMakeTheirBufferCurrentFirst) {
  MakeDirs(dir / "sub");
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  ListWithDirectories(NoSlash(dir.Path()));
  logic.AddSelectedFilesToBuffer({rig.RowOf("a"), rig.RowOf("b")}, 6);
  EXPECT_EQ(rig.view.bufferCaption, "7番バッファ");
  EXPECT_EQ(Entries(), (Lines{dir / "a", dir / "b"}));
  // Even without a selected row the buffer becomes current.
  logic.AddSelectedFilesToBuffer({}, 8);
  EXPECT_EQ(logic.Buffers().Current(), 8);
  EXPECT_EQ(rig.view.bufferCaption, "9番バッファ");
  logic.AddSelectedFilesToBuffer({rig.RowOf("a")});  // Ctrl+B: the current buffer
  EXPECT_EQ(logic.Buffers().All()[8], Lines{dir / "a"});

  logic.AddTreeDirectoryToBuffer(10);
  EXPECT_EQ(logic.Buffers().All()[10], Lines{dir.Path()});
  logic.AddTreeDirectoryToBuffer();
  EXPECT_TRUE(logic.Buffers().All()[10].empty());
  EXPECT_EQ(rig.view.bufferLines, Lines{"ファイルバッファ"});
}

TEST_F(BufferCommandsTest, TheTreeAddsNothingWithoutASelection) {
  logic.RebuildTree();
  logic.AddTreeDirectoryToBuffer(5);
  EXPECT_EQ(logic.Buffers().Current(), 0);
  for (const auto& buffer : logic.Buffers().All()) EXPECT_TRUE(buffer.empty());
}

TEST_F(BufferCommandsTest, RemovingLinesCountsFromTheNewestEntry) {
  logic.RebuildTree();
  for (int i = 0; i < 5; ++i) logic.Buffers().Toggle("/e" + std::to_string(i));
  logic.ShowFileBuffer();
  ASSERT_EQ(rig.view.bufferLines, (Lines{"e4", "e3", "e2", "e1", "e0"}));
  logic.RemoveBufferLines({2, 0, 2});
  EXPECT_EQ(Entries(), (Lines{"/e0", "/e1", "/e3"}));
  EXPECT_EQ(rig.view.bufferLines, (Lines{"e3", "e1", "e0"}));
  logic.RemoveBufferLines({2, 7, -1});
  EXPECT_EQ(Entries(), (Lines{"/e1", "/e3"}));
  logic.ClearBuffer();
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(rig.view.bufferLines, Lines{"ファイルバッファ"});
  logic.RemoveBufferLines({0});  // the placeholder line stands for nothing
  EXPECT_TRUE(Entries().empty());
}

TEST_F(BufferCommandsTest, DroppedPathsToggleWithTheirKind) {
  MakeDirs(dir / "d");
  WriteFile(dir / "f", "f");
  ASSERT_EQ(::symlink((dir / "d").c_str(), (dir / "dl").c_str()), 0);
  logic.RebuildTree();
  logic.DropOnBuffer({dir / "d", dir / "f", dir / "dl", dir / "missing"});
  EXPECT_EQ(Entries(), (Lines{dir / "d/", dir / "f", dir / "dl", dir / "missing"}));
  logic.DropOnBuffer({dir / "d", dir / "missing"});
  EXPECT_EQ(Entries(), (Lines{dir / "f", dir / "dl"}));
  EXPECT_EQ(rig.view.bufferLines, (Lines{"dl", "f"}));
}

TEST_F(BufferCommandsTest, CopyingAnEmptyBufferOnlyReportsItsSteps) {
  MakeDirs(dir / "dst");
  logic.RebuildTree();
  logic.CopyFromBuffer();  // no selected directory: nothing at all
  EXPECT_TRUE(rig.view.log.empty());
  rig.Select(dir / "dst");
  logic.CopyFromBuffer();
  EXPECT_EQ(rig.view.log, (Lines{"コピーの準備中。", "コピーの準備完了。", "総サイズ：0", "コピー完了。",
                                 "0B を 0:00 で転送しました (-)"}));
  EXPECT_TRUE(rig.questions.asked.empty());
}

TEST_F(BufferCommandsTest, CopyKeepsTheBufferAndListsTheTargetAfresh) {
  MakeDirs(dir / "src/tree/inner");
  WriteFile(dir / "src/tree/inner/x", "X");
  WriteFile(dir / "src/one", "1");
  MakeDirs(dir / "dst");
  logic.RebuildTree();
  rig.Select(dir / "dst");
  logic.Buffers().Toggle(dir / "src/one");
  logic.Buffers().Toggle(dir / "src/tree");  // a directory without its separator
  logic.CopyFromBuffer();
  EXPECT_EQ(ReadFile(dir / "dst/one"), "1");
  EXPECT_EQ(ReadFile(dir / "dst/tree/inner/x"), "X");
  EXPECT_EQ(Entries().size(), 2u);
  EXPECT_EQ(rig.RowOf("one"), 0);  // the list shows the new file
  EXPECT_NE(logic.Tree().FindNodeFromPath(dir / "dst/tree", false), nullptr);
  EXPECT_EQ(rig.view.log[rig.view.log.size() - 2], "コピー完了。");
}

TEST_F(BufferCommandsTest, TheMoveQuestionListsUpToTwelveEntriesThenDots) {
  logic.RebuildTree();
  const auto question = [&] {
    rig.questions.answers = {Answer::No};
    logic.MoveFromBuffer();
    EXPECT_EQ(rig.questions.asked.back().caption, "移動確認");
    EXPECT_EQ(rig.questions.asked.back().kind, "yesno");
    return rig.questions.asked.back().text;
  };
  EXPECT_EQ(question(), "を移動しますか？");  // an empty buffer still asks
  std::string listed;
  for (int i = 0; i < 11; ++i) {
    logic.Buffers().Toggle("/e" + std::to_string(i));
    listed += "/e" + std::to_string(i) + "\r\n";
  }
  EXPECT_EQ(question(), listed + "を移動しますか？");
  logic.Buffers().Toggle("/e11");
  listed += "/e11\r\n";
  EXPECT_EQ(question(), listed + "・・・・\r\nを移動しますか？");  // twelve: all, then the dots
  for (int i = 12; i < 20; ++i) logic.Buffers().Toggle("/e" + std::to_string(i));
  EXPECT_EQ(question(), listed + "・・・・\r\nを移動しますか？");
}

TEST_F(BufferCommandsTest, MoveAsksFirstAndGoesAheadOnAnythingButNo) {
  MakeDirs(dir / "src");
  MakeDirs(dir / "dst");
  WriteFile(dir / "src/a", "A");
  WriteFile(dir / "src/b", "B");
  logic.RebuildTree();
  logic.Buffers().Toggle(dir / "src/a");
  // Without a selected directory the question comes, but nothing moves.
  rig.questions.answers = {Answer::Yes};
  logic.MoveFromBuffer();
  EXPECT_EQ(rig.questions.asked.size(), 1u);
  EXPECT_TRUE(Exists(dir / "src/a"));
  EXPECT_TRUE(rig.view.log.empty());

  rig.Select(dir / "dst");
  rig.questions.answers = {Answer::No};
  logic.MoveFromBuffer();
  EXPECT_TRUE(Exists(dir / "src/a"));
  // A closed message box is no No.
  rig.questions.answers = {Answer::Closed};
  logic.MoveFromBuffer();
  EXPECT_FALSE(Exists(dir / "src/a"));
  EXPECT_EQ(ReadFile(dir / "dst/a"), "A");
  EXPECT_EQ(rig.view.log.front(), "移動の準備中。");
  EXPECT_EQ(rig.view.log[rig.view.log.size() - 2], "移動完了。");
  EXPECT_EQ(Entries(), Lines{dir / "src/a"});  // the buffer keeps its entries
  EXPECT_EQ(rig.RowOf("a"), 0);
}

TEST_F(BufferCommandsTest, DeletingTheBufferFilesAsksOnceAndListsAfresh) {
  MakeDirs(dir / "here/tree/inner");
  WriteFile(dir / "here/tree/inner/x", "x");
  WriteFile(dir / "here/f", "f");
  WriteFile(dir / "here/keep", "k");
  ListWithDirectories(dir / "here");
  logic.AddSelectedFilesToBuffer({rig.RowOf("f")});
  logic.AddFocusedFileToBuffer(rig.RowOf("tree"));

  rig.questions.answers = {Answer::No};
  logic.DeleteFilesInBuffer(true);  // for good (the trash is the default)
  ASSERT_EQ(rig.questions.asked.size(), 1u);
  EXPECT_EQ(rig.questions.asked[0].caption, "削除確認");
  EXPECT_EQ(rig.questions.asked[0].text, (dir / "here/f") + "\n" + (dir / "here/tree/") +
                                            "\nを削除しますか？\n（2 項目。フォルダ 1 個は中身ごと削除されます）");
  EXPECT_TRUE(Exists(dir / "here/f"));

  rig.questions.answers = {Answer::Yes};
  logic.DeleteFilesInBuffer(true);
  EXPECT_FALSE(Exists(dir / "here/f"));
  EXPECT_FALSE(Exists(dir / "here/tree"));
  EXPECT_TRUE(Exists(dir / "here/keep"));
  EXPECT_EQ(rig.view.log, (Lines{"削除:" + (dir / "here/f"), "削除:" + (dir / "here/tree/"), "削除成功"}));
  EXPECT_EQ(Entries().size(), 2u);  // the buffer keeps its entries
  // Neither the list nor the tree goes on showing what is gone.
  EXPECT_EQ(logic.List().RowCount(), 1);
  EXPECT_EQ(rig.RowOf("keep"), 0);
  EXPECT_EQ(logic.Tree().FindNodeFromPath(dir / "here/tree", false), nullptr);

  // An empty buffer asks nothing.
  logic.ClearBuffer();
  logic.DeleteFilesInBuffer();
  EXPECT_EQ(rig.questions.asked.size(), 2u);
}

TEST_F(BufferCommandsTest, BuffersSurviveARestart) {
  ScratchDir save;
  logic.RebuildTree();
  logic.SelectBuffer(3);
  logic.Buffers().Toggle("/a/");
  logic.Buffers().Toggle("/b");
  logic.SelectBuffer(11);
  logic.Buffers().Toggle("/last");
  ASSERT_TRUE(logic.SaveState(save.Path()).empty());

  LogicRig again({NoSlash(dir.Path())});
  again.logic.LoadState(save.Path());
  again.logic.Show();
  EXPECT_EQ(again.logic.Buffers().Current(), 0);  // the current buffer is not saved
  EXPECT_EQ(again.view.bufferCaption, "1番バッファ");
  EXPECT_EQ(again.logic.Buffers().All()[3], (Lines{"/a/", "/b"}));
  EXPECT_EQ(again.logic.Buffers().All()[11], Lines{"/last"});
}

// By default the buffer's files go to the trash; with "UseTrash : 0" they are deleted.
TEST_F(BufferCommandsTest, DeletesGoToTheTrashUnlessTheSettingSaysOtherwise) {
  WriteFile(dir / "t", "t");
  WriteFile(dir / "p", "p");
  logic.Buffers().Toggle(dir / "t");
  rig.questions.answers = {Answer::Yes};
  logic.DeleteFilesInBuffer();
  EXPECT_FALSE(Exists(dir / "t"));
  EXPECT_EQ(rig.view.log.front(), "ごみ箱へ移動:" + (dir / "t"));

  logic.Settings().useTrash = false;
  logic.Buffers().Toggle(dir / "t");
  logic.Buffers().Toggle(dir / "p");
  rig.view.log.clear();
  rig.questions.answers = {Answer::Yes};
  logic.DeleteFilesInBuffer();
  EXPECT_FALSE(Exists(dir / "p"));
  EXPECT_EQ(rig.view.log.front(), "削除:" + (dir / "p"));
}

}  // namespace
}  // namespace velkoran::app
