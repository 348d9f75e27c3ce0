#include "app/logic/file_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app_fakes.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

using testing::MakeDirs;
using testing::ScratchDir;
using testing::WriteFile;

const std::vector<ColumnKind> kAllColumns{ColumnKind::Name,     ColumnKind::FileDirectory, ColumnKind::SizeWhole,
                                          ColumnKind::SizeBytes, ColumnKind::DirPath,      ColumnKind::SizeDecimal};

FileRow File(std::string name, std::int64_t size) { return FileRow{std::move(name), size, false, false}; }
FileRow Dir(std::string name) { return FileRow{std::move(name), 0, true, false}; }

std::vector<std::string> Names(const FileList& list) {
  std::vector<std::string> names;
  for (const FileRow& r : list.Rows()) names.push_back(r.name);
  return names;
}

class FileListTest : public ::testing::Test {
 protected:
  FileListTest() : list(platform::HostPaths()) { list.SetColumns(kAllColumns); }
  FileList list;
};

TEST_F(FileListTest, DirectoriesComeFirstWhateverTheDirection) {
  list.Fill("/d/", {File("b.txt", 5), Dir("zdir"), File("A.txt", 50), Dir("adir")});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"adir", "zdir", "A.txt", "b.txt"}));
  list.ColumnClick(0);  // the name column again: descending
  EXPECT_TRUE(list.SortDescending());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"zdir", "adir", "b.txt", "A.txt"}));
}

TEST_F(FileListTest, HeaderClicksToggleAndSwitchTheSortKey) {
  list.Fill("/d/", {File("c", 300), File("a", 100), File("b", 200)});
  list.ColumnClick(3);
  EXPECT_EQ(list.SortType(), 3);
  EXPECT_FALSE(list.SortDescending());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
  list.ColumnClick(3);
  EXPECT_TRUE(list.SortDescending());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "a"}));
  list.ColumnClick(0);
  EXPECT_EQ(list.SortType(), 0);
  EXPECT_FALSE(list.SortDescending());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(FileListTest, TheFdAndPathColumnsSortByName) {
  for (int column : {1, 4}) {
    list.SetSort(0, false);
    list.Fill("/d/", {File("b", 1), File("C", 3), File("a", 2)});
    list.ColumnClick(column);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "C"})) << column;
  }
}

TEST_F(FileListTest, ThePermutationFollowsEveryRow) {
  list.Fill("/d/", {File("a", 3), File("b", 1), File("c", 2)});
  const std::vector<int> moved = list.ColumnClick(2);
  // Old order a, b, c becomes b, c, a.
  EXPECT_EQ(moved, (std::vector<int>{2, 0, 1}));
}

TEST_F(FileListTest, EqualRowsAndUnknownKindsKeepTheFileSystemOrder) {
  list.SetSort(9, false);
  list.Fill("/d/", {File("z", 1), File("a", 2), File("m", 3)});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"z", "a", "m"}));
  list.SetSort(2, false);
  list.Fill("/d/", {File("z", 1), File("a", 1), File("m", 1)});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"z", "a", "m"}));
}

TEST_F(FileListTest, CellTextsByColumnKind) {
  list.Fill("/data/", {File("big", 20000), Dir("sub"), File("ten", 10240)});
  EXPECT_EQ(list.CellText(0, 0), "sub");
  EXPECT_EQ(list.CellText(0, 1), "D");
  EXPECT_EQ(list.CellText(1, 1), "F");
  EXPECT_EQ(list.CellText(1, 2), "19K");
  EXPECT_EQ(list.CellText(1, 3), "20000");
  EXPECT_EQ(list.CellText(1, 4), "/data/");
  EXPECT_EQ(list.CellText(1, 5), "19.53K");
  // Exactly ten kilobytes is 10K in both forms.
  EXPECT_EQ(list.CellText(2, 2), "10K");
  EXPECT_EQ(list.CellText(2, 5), "10K");
  EXPECT_EQ(list.CellText(9, 0), "");
  EXPECT_EQ(FileList::Caption(ColumnKind::Name), "名前");
  EXPECT_EQ(FileList::Caption(ColumnKind::SizeDecimal), "サイズ");
  EXPECT_EQ(FileList::Caption(ColumnKind::DirPath), "パス");
}

TEST_F(FileListTest, TheInfoLineCountsAllAndSelectedRows) {
  list.Fill("/d/", {File("a", 100), File("b", 200), File("c", 300)});
  EXPECT_EQ(list.InfoLine({}), "Size:600B Size:600B File:3 All:3");
  EXPECT_EQ(list.InfoLine({0, 2}), "Size:400B Size:400B File:2 All:2 / Size:600 Size:600B File:3 All:3");
}

TEST_F(FileListTest, SizesAndSumsAreSixtyFourBit) {
  const std::int64_t five = 5LL << 30;
  list.Fill("/d/", {File("huge", five), File("other", five)});
  EXPECT_EQ(list.CellText(0, 3), "5368709120");
  EXPECT_EQ(list.CellText(0, 2), "5120M");  // the whole form needs ten of a unit
  EXPECT_EQ(list.InfoLine({}), "Size:10GB Size:10737418240B File:2 All:2");
}

TEST_F(FileListTest, OperationPathsMarkDirectoriesButNeverLinks) {
  list.Fill("/d/", {Dir("sub"), FileRow{"link", 0, true, true}, File("f", 1)});
  ASSERT_EQ(Names(list), (std::vector<std::string>{"link", "sub", "f"}));
  EXPECT_EQ(list.OperationPath(0), "/d/link");
  EXPECT_EQ(list.OperationPath(1), "/d/sub/");
  EXPECT_EQ(list.OperationPath(2), "/d/f");
}

TEST(ReadDirectory, ListsFilesAndDirectoriesOnlyWhenAsked) {
  ScratchDir dir;
  MakeDirs(dir / "sub");
  WriteFile(dir / "a.txt", "12345");
  ASSERT_EQ(::symlink((dir / "sub").c_str(), (dir / "dirlink").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "a.txt").c_str(), (dir / "filelink").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "gone").c_str(), (dir / "broken").c_str()), 0);
  // A sparse file beyond 4 GiB.
  const int fd = ::open((dir / "huge").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 5LL << 30), 0);
  ::close(fd);

  FileList list(platform::HostPaths());
  list.Fill(dir.Path(), ReadDirectoryRows(dir.Path(), false));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.txt", "broken", "filelink", "huge"}));
  EXPECT_EQ(list.Row(0).size, 5);
  EXPECT_EQ(list.Row(2).size, 5);  // a link to a file shows the file's size
  EXPECT_TRUE(list.Row(2).isLink);
  EXPECT_EQ(list.Row(3).size, 5LL << 30);

  list.Fill(dir.Path(), ReadDirectoryRows(dir.Path(), true));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"dirlink", "sub", "a.txt", "broken", "filelink", "huge"}));
  EXPECT_TRUE(list.Row(0).isDirectory);
  EXPECT_TRUE(list.Row(0).isLink);
  EXPECT_EQ(list.OperationPath(0), dir / "dirlink");
  EXPECT_TRUE(ReadDirectoryRows(dir / "no-such-dir", true).empty());
}

TEST(NameOrder, AsciiLettersFoldAndCp932TrailBytesDoNot) {
  EXPECT_EQ(CompareNamesIgnoreCase("abc", "ABC"), 0);
  EXPECT_LT(CompareNamesIgnoreCase("a", "B"), 0);
  EXPECT_LT(CompareNamesIgnoreCase("ab", "abc"), 0);
  EXPECT_LT(CompareNamesIgnoreCase("_", "a"), 0);  // '_' (0x5F) sorts before 'a' once letters fold down
  platform::SetActiveCodePage(platform::CodePage::Cp932);
  // Two katakana whose trail bytes are the letters A and a are different characters.
  EXPECT_LT(CompareNamesIgnoreCase("\x83\x41", "\x83\x61"), 0);
  EXPECT_EQ(CompareNamesIgnoreCase("\x83\x41x", "\x83\x41X"), 0);
  platform::SetActiveCodePage(platform::CodePage::Utf8);
}

}  // namespace
}  // namespace velkoran::app
