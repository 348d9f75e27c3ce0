// The Directory object: path normalisation under both rule sets, searches with their
// masks, make, remove, rename, changeTo and the error texts.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "script/host/directory_object.h"

namespace kestrin::host_testing {
namespace {

namespace pf = velkoran::platform;

TEST(DirNameTest, PosixPathsGetOneTrailingSlash) {
  EXPECT_EQ(NormaliseDirName("a/b", pf::PathStyle::Posix, pf::CodePage::Utf8), "a/b/");
  EXPECT_EQ(NormaliseDirName("a/b/", pf::PathStyle::Posix, pf::CodePage::Utf8), "a/b/");
  EXPECT_EQ(NormaliseDirName("tmp", pf::PathStyle::Posix, pf::CodePage::Utf8), "tmp/");
  EXPECT_EQ(NormaliseDirName("/", pf::PathStyle::Posix, pf::CodePage::Utf8), "/");
  EXPECT_EQ(NormaliseDirName("", pf::PathStyle::Posix, pf::CodePage::Utf8), "");
}

TEST(DirNameTest, WindowsPathsFollowTheirSeparator) {
  EXPECT_EQ(NormaliseDirName("C:\\tmp", pf::PathStyle::Windows, pf::CodePage::Cp932), "C:\\tmp\\");
  EXPECT_EQ(NormaliseDirName("C:\\tmp\\", pf::PathStyle::Windows, pf::CodePage::Cp932), "C:\\tmp\\");
  EXPECT_EQ(NormaliseDirName("a/b", pf::PathStyle::Windows, pf::CodePage::Cp932), "a/b/");
  EXPECT_EQ(NormaliseDirName("", pf::PathStyle::Windows, pf::CodePage::Cp932), "");
  // "表" is 0x95 0x5C in CP932: its trail byte is no backslash.
  EXPECT_EQ(NormaliseDirName("C:\\\x95\x5C", pf::PathStyle::Windows, pf::CodePage::Cp932), "C:\\\x95\x5C\\");
}

class DirectoryObjectTest : public ScratchScriptTest {
 protected:
  void MakeDir(const std::string& name) { ASSERT_EQ(::mkdir((dir / name).c_str(), 0755), 0); }

  // The names a loop of first/next calls prints, one per line, as a sorted set.
  static std::multiset<std::string> Names(const std::string& output) {
    std::multiset<std::string> names;
    std::size_t pos = 0;
    while (pos < output.size()) {
      const std::size_t end = output.find('\n', pos);
      names.insert(output.substr(pos, end - pos));
      pos = end + 1;
    }
    return names;
  }
};

TEST_F(DirectoryObjectTest, DirnameIsStoredWithATrailingSlash) {
  EXPECT_EQ(Run("var d = new Directory('a/b'); println(d.dirname); d.dirname = 'c'; println(d.dirname);"
                "d.dirname = ''; println('[' + d.dirname + ']'); println('[' + new Directory().dirname + ']');"),
            "a/b/\nc/\n[]\n[]\n");
}

TEST_F(DirectoryObjectTest, SearchesFollowTheirMasks) {
  MakeDir("sub");
  MakeDir(".hiddendir");
  WriteFile(dir / "file.txt", "x");
  WriteFile(dir / ".hidden", "x");
  ASSERT_EQ(::symlink((dir / "sub").c_str(), (dir / "linkdir").c_str()), 0);
  const std::string loop =
      "var d = new Directory('$D'); var n = d.%FIRST%(); while (n != null) { println(n); n = d.%NEXT%(); }";
  auto run = [&](const char* first, const char* next) {
    std::string script = loop;
    script.replace(script.find("%FIRST%"), 7, first);
    script.replace(script.find("%NEXT%"), 6, next);
    return Names(Run(script));
  };
  using Set = std::multiset<std::string>;
  EXPECT_EQ(run("findFirst", "findNext"), (Set{".", "..", "sub", ".hiddendir", "file.txt", ".hidden", "linkdir"}));
  // The directory mask excludes only hidden entries: files come too.
  EXPECT_EQ(run("findFirstDir", "findNext"), (Set{".", "..", "sub", "file.txt", "linkdir"}));
  // The file mask excludes directories and keeps hidden files.
  EXPECT_EQ(run("findFirstFile", "findNext"), (Set{"file.txt", ".hidden"}));
}

TEST_F(DirectoryObjectTest, FindNextDirAndFileSkipTheOtherKind) {
  MakeDir("sub");
  WriteFile(dir / "file.txt", "x");
  WriteFile(dir / "more.txt", "x");
  // The first line is the entry findFirst returned, whatever it is; the rest must be of
  // the kind asked for, and together they cover every entry of that kind.
  const std::string dirs = Run(
      "var d = new Directory('$D'); println(d.findFirst()); var n = d.findNextDir();"
      "while (n != null) { println(n); n = d.findNextDir(); } println(d.findNextDir());");
  auto lines = Names(dirs);
  const std::string first = dirs.substr(0, dirs.find('\n'));
  lines.erase(lines.find(first));
  EXPECT_EQ(lines.count("null"), 1u);
  EXPECT_EQ(lines.count("file.txt") + lines.count("more.txt"), 0u) << dirs;
  for (const char* d : {".", "..", "sub"}) EXPECT_TRUE(first == d || lines.count(d) == 1) << d << " in " << dirs;

  const std::string files = Run("var d = new Directory('$D'); println(d.findFirst()); var n = d.findNextFile();"
                                "while (n != null) { println(n); n = d.findNextFile(); }");
  lines = Names(files);
  const std::string firstFile = files.substr(0, files.find('\n'));
  lines.erase(lines.find(firstFile));
  EXPECT_EQ(lines.count(".") + lines.count("..") + lines.count("sub"), 0u) << files;
  for (const char* f : {"file.txt", "more.txt"}) EXPECT_TRUE(firstFile == f || lines.count(f) == 1) << f;
}

TEST_F(DirectoryObjectTest, FindFirstFileAmongOnlyDirectoriesIsNull) {
  MakeDir("a");
  MakeDir("b");
  EXPECT_EQ(Run("var d = new Directory('$D'); println(d.findFirstFile()); println(d.findNext());"), "null\nnull\n");
}

TEST_F(DirectoryObjectTest, FindNextNeedsAHeldSearch) {
  const std::string p = dir.Path();
  EXPECT_EQ(Run("var d = new Directory('$D'); d.findNext();"), Uncaught("EDirectoryError", "findNext error: " + p));
  EXPECT_EQ(Run("var d = new Directory('$D'); d.findNextDir();"),
            Uncaught("EDirectoryError", "findNextDir error: " + p));
  EXPECT_EQ(Run("var d = new Directory('$D'); d.findNextFile();"),
            Uncaught("EDirectoryError", "findNextFile error: " + p));
  EXPECT_EQ(Run("var d = new Directory('$D'); d.findFirst(); d.findClose(); d.findNext();"),
            Uncaught("EDirectoryError", "findNext error: " + p));
  // A search that found nothing, or ran to its end, is still held.
  EXPECT_EQ(Run("var d = new Directory('$Dmissing'); println(d.findFirst()); println(d.findNext());"),
            "null\nnull\n");
}

TEST_F(DirectoryObjectTest, AnEmptyPathSearchesTheCurrentDirectory) {
  WriteFile(dir / "only.txt", "x");
  char* previous = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  const std::string out = Run("var d = new Directory(''); println(d.findFirstFile());");
  ASSERT_EQ(::chdir(previous), 0);
  ::free(previous);
  EXPECT_EQ(out, "only.txt\n");
}

TEST_F(DirectoryObjectTest, MakeCreatesEveryMissingLevel) {
  EXPECT_EQ(Run("var d = new Directory('$Da/b/c'); println(d.exists()); println(d.make()); println(d.exists());"
                "println(d.make());"),
            "false\ntrue\ntrue\ntrue\n");
  struct stat st {};
  EXPECT_EQ(::stat((dir / "a/b/c").c_str(), &st), 0);
  WriteFile(dir / "plain", "x");
  EXPECT_EQ(Run("new Directory('$Dplain/sub').make();"), Uncaught("EDirectoryError", "make error: " + dir / "plain/sub/"));
  EXPECT_EQ(Run("new Directory('').make();"), Uncaught("EDirectoryError", "make error: "));
}

TEST_F(DirectoryObjectTest, RemoveTakesOnlyAnEmptyDirectory) {
  MakeDir("full");
  WriteFile(dir / "full/x", "x");
  MakeDir("empty");
  EXPECT_EQ(Run("println(new Directory('$Dempty').remove());"), "true\n");
  EXPECT_FALSE(Exists(dir / "empty"));
  EXPECT_EQ(Run("new Directory('$Dfull').remove();"), Uncaught("EDirectoryError", "remove error: " + dir / "full/"));
  EXPECT_TRUE(Exists(dir / "full/x"));
}

TEST_F(DirectoryObjectTest, RenameToMovesTheDirectoryWithoutReplacing) {
  MakeDir("old");
  WriteFile(dir / "old/x", "x");
  MakeDir("taken");
  EXPECT_EQ(Run("var d = new Directory('$Dold'); println(d.renameTo('$Dnew')); println(d.dirname); println(d.exists());"),
            "undefined\n" + dir / "new/" + "\ntrue\n");
  EXPECT_EQ(ReadFile(dir / "new/x"), "x");
  EXPECT_EQ(Run("new Directory('$Dnew').renameTo('$Dtaken');"), Uncaught("EDirectoryError", "rename error: " + dir / "new/"));
  EXPECT_EQ(Run("new Directory('$Dnew').renameTo();"), Uncaught("EDirectoryError", "rename error: " + dir / "new/"));
  EXPECT_TRUE(Exists(dir / "new/x"));
}

TEST_F(DirectoryObjectTest, ChangeToMakesThePathCurrentOrRaises) {
  MakeDir("here");
  char* previous = ::getcwd(nullptr, 0);
  const std::string out = Run("new Directory('$Dhere').changeTo(); new File('made').open('w');");
  ASSERT_EQ(::chdir(previous), 0);
  ::free(previous);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(Exists(dir / "here/made"));
  EXPECT_EQ(Run("new Directory('$Dnowhere').changeTo();"),
            Uncaught("EDirectoryError", "changeTo error: " + dir / "nowhere/"));
}

TEST_F(DirectoryObjectTest, ExistsOnlyForDirectories) {
  WriteFile(dir / "f", "x");
  EXPECT_EQ(Run("println(new Directory('$D').exists()); println(new Directory('$Df').exists());"
                "println(new Directory('').exists());"),
            "true\nfalse\nfalse\n");
}

}  // namespace
}  // namespace kestrin::host_testing
