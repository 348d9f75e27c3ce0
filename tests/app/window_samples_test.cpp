// The sample scripts of examples/Script, installed in a window's script folder and run
// from its menus over scratch folders, as a user would run them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>

#include "window_scripts_support.h"

namespace velkoran::app {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::WriteFile;

class SampleScriptsTest : public testing::ScriptWindowFixture {
 protected:
  void Install(const std::string& name) {
    Script(name, ReadFile(std::string(VELKORAN_EXAMPLES_DIR) + name));
  }
  std::vector<std::string> BufferEntries() {
    std::vector<std::string> v = form->Logic().Buffers().CurrentEntries();
    std::sort(v.begin(), v.end());
    return v;
  }
};

TEST_F(SampleScriptsTest, CollectToBufferGathersMatchingFilesFromTheWholeTree) {
  Install("CollectToBuffer.txt");
  MakeDirs(data / "a/b/c");
  WriteFile(data / "a/x.txt", "");
  WriteFile(data / "a/w.jpg", "");
  WriteFile(data / "a/b/y.TXT", "");
  WriteFile(data / "a/b/skip.md", "");
  WriteFile(data / "a/b/c/z.txt", "");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data / "a");
  questions.prompts.push_back("*.txt");
  RunFrom("MI_ScriptRoot_Tree", "CollectToBuffer");
  EXPECT_EQ(BufferEntries(), (std::vector<std::string>{data / "a/b/c/z.txt", data / "a/b/y.TXT", data / "a/x.txt"}));
  EXPECT_EQ(LastLog(), "CollectToBuffer: 3 個のファイルを 1番バッファに集めました");
  EXPECT_EQ(Child<QListWidget>("LB_Buffer")->count(), 3);

  // From the list: a selected directory is searched, a selected file is checked itself;
  // several masks at once, into another buffer.
  form->Action("AC_Buf1")->trigger();
  SelectRows({"b", "w.jpg", "x.txt"});
  questions.prompts.push_back("*.jpg;*.MD");
  RunFrom("MI_ScriptRoot_File", "CollectToBuffer");
  EXPECT_EQ(BufferEntries(), (std::vector<std::string>{data / "a/b/skip.md", data / "a/w.jpg"}));
  EXPECT_EQ(LastLog(), "CollectToBuffer: 2 個のファイルを 2番バッファに集めました");

  // Cancelling the question ends the script without touching the buffer.
  const std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_Tree", "CollectToBuffer");
  EXPECT_TRUE(LogSince(mark).empty());
  EXPECT_EQ(BufferEntries().size(), 2u);
}

TEST_F(SampleScriptsTest, RenameByPatternRenamesTheSelectionAndNeverReplacesAFile) {
  Install("RenameByPattern.txt");
  WriteFile(data / "IMG_001.jpg", "1");
  WriteFile(data / "IMG_002.jpg", "2");
  WriteFile(data / "note.txt", "n");
  WriteFile(data / "photo_002.jpg", "old");
  Open();
  Go(data.Path());
  SelectRows({"IMG_001.jpg", "IMG_002.jpg", "note.txt"});
  questions.prompts.push_back("^IMG_");
  questions.prompts.push_back("photo_");
  const std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_File", "RenameByPattern");
  const std::vector<std::string> log = LogSince(mark);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "IMG_001.jpg -> photo_001.jpg");
  EXPECT_EQ(log[1].rfind("RenameByPattern: 変更できません: IMG_002.jpg -> photo_002.jpg (EFileError)", 0), 0u) << log[1];
  EXPECT_EQ(log[2], "RenameByPattern: 1 個の名前を変更しました、1 個は失敗しました");
  EXPECT_EQ(ReadFile(data / "photo_001.jpg"), "1");
  EXPECT_EQ(ReadFile(data / "photo_002.jpg"), "old");
  EXPECT_EQ(ReadFile(data / "IMG_002.jpg"), "2");
  EXPECT_FALSE(Exists(data / "IMG_001.jpg"));
  EXPECT_GE(RowOf("photo_001.jpg"), 0);  // the list was read again
  EXPECT_LT(RowOf("IMG_001.jpg"), 0);

  SelectRows({"note.txt"});
  questions.prompts.push_back("(");
  questions.prompts.push_back("x");
  RunFrom("MI_ScriptRoot_File", "RenameByPattern");
  EXPECT_EQ(LastLog(), "RenameByPattern: 正規表現が正しくありません: (");
  EXPECT_TRUE(Exists(data / "note.txt"));
}

TEST_F(SampleScriptsTest, ReportSizesAddsUpFilesAndWholeDirectories) {
  Install("ReportSizes.txt");
  MakeDirs(data / "d/sub");
  WriteFile(data / "d/one", std::string(1000, 'x'));
  WriteFile(data / "d/sub/two", std::string(2000, 'x'));
  WriteFile(data / "e.bin", std::string(1536, 'x'));
  WriteFile(data / "tiny", "abc");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data.Path());
  SelectRows({"d", "e.bin", "tiny"});
  const std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_File", "ReportSizes");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{data / "d/  2.9 KB", data / "e.bin  1.5 KB", data / "tiny  3 B",
                                                      "ReportSizes: 合計 4.4 KB (4539 バイト)"}));
  EXPECT_EQ(Child<QProgressBar>("PB_Main")->value(), 0);
}

TEST_F(SampleScriptsTest, CrcListWritesAChecksumFileOfTheSelection) {
  Install("CrcList.txt");
  WriteFile(data / "a.txt", "123456789");
  WriteFile(data / "b.txt", "");
  Open();
  Go(data.Path());
  SelectRows({"a.txt", "b.txt"});
  RunFrom("MI_ScriptRoot_File", "CrcList");
  const std::string expected = "; CRC-32 of the files in " + data.Path() + "\r\na.txt CBF43926\r\nb.txt 00000000\r\n";
  EXPECT_EQ(ReadFile(data / "checksums.sfv"), expected);
  EXPECT_EQ(LastLog(), "CrcList: 2 個のファイルの CRC を " + data.Path() + "checksums.sfv に書きました");
  // Run again over everything, the old list included: it is replaced, not appended to,
  // and does not list itself.
  ASSERT_GE(RowOf("checksums.sfv"), 0);
  SelectRows({"a.txt", "b.txt", "checksums.sfv"});
  RunFrom("MI_ScriptRoot_File", "CrcList");
  EXPECT_EQ(ReadFile(data / "checksums.sfv"), expected);
}

TEST_F(SampleScriptsTest, EverySampleSaysWhatToSelectWhenNothingIs) {
  for (const char* name : {"CollectToBuffer.txt", "RenameByPattern.txt", "ReportSizes.txt", "CrcList.txt"}) Install(name);
  Open();
  for (const char* caption : {"CollectToBuffer", "RenameByPattern", "ReportSizes", "CrcList"}) {
    const std::size_t mark = LogCount();
    RunFrom("MI_ScriptRoot_File", caption);
    const std::vector<std::string> log = LogSince(mark);
    ASSERT_EQ(log.size(), 1u) << caption;
    EXPECT_EQ(log[0].rfind(std::string(caption) + ": ", 0), 0u) << log[0];
  }
  EXPECT_TRUE(questions.asked.empty());
}

}  // namespace
}  // namespace velkoran::app
