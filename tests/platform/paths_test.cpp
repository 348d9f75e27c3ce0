#include "platform/paths.h"

#include <gtest/gtest.h>

using namespace velkoran::platform;

namespace {

const PathRules posix(PathStyle::Posix, CodePage::Utf8);
const PathRules windows(PathStyle::Windows, CodePage::Cp932);

TEST(PosixPaths, TrailingSeparators) {
  EXPECT_EQ(posix.AddTrailingSeparator("/a/b"), "/a/b/");
  EXPECT_EQ(posix.AddTrailingSeparator("/a/b/"), "/a/b/");
  EXPECT_EQ(posix.AddTrailingSeparator(""), "");
  EXPECT_EQ(posix.RemoveTrailingSeparator("/a/b//"), "/a/b/");  // one only
  EXPECT_EQ(posix.RemoveTrailingSeparator("/a"), "/a");
}

TEST(PosixPaths, ParentAndLastComponent) {
  EXPECT_EQ(posix.ParentPath("/a/b"), "/a");
  EXPECT_EQ(posix.ParentPath("/a/b/"), "/a");
  EXPECT_EQ(posix.ParentPath("/a"), "/");
  EXPECT_EQ(posix.ParentPath("/"), "");
  EXPECT_EQ(posix.LastComponent("/a/b"), "b");
  EXPECT_EQ(posix.LastComponent("/a/b/"), "b");
  EXPECT_EQ(posix.LastComponent("/"), "/");
  EXPECT_EQ(posix.Join("/a", "x"), "/a/x");
  EXPECT_EQ(posix.Join("/a/", "x"), "/a/x");
}

TEST(PosixPaths, WantedPrefixesDescendFromTheRoot) {
  EXPECT_EQ(posix.WantedPrefixes("/a/b/"), (std::vector<std::string>{"/", "/a", "/a/b"}));
  EXPECT_EQ(posix.WantedPrefixes("/a/b"), (std::vector<std::string>{"/", "/a", "/a/b"}));
  EXPECT_EQ(posix.WantedPrefixes("/"), (std::vector<std::string>{"/"}));
}

TEST(WindowsPaths, TrailByte5CIsNotASeparator) {
  // "C:\表\" : the CP932 character 0x95 0x5C ends in the separator byte.
  const std::string dir = "C:\\\x95\x5C";
  EXPECT_FALSE(windows.HasTrailingSeparator(dir));
  EXPECT_EQ(windows.AddTrailingSeparator(dir), dir + "\\");
  EXPECT_EQ(windows.RemoveTrailingSeparator(dir), dir);
  EXPECT_EQ(windows.LastComponent(dir + "\\"), "\x95\x5C");
  EXPECT_EQ(windows.ParentPath(dir + "\\x"), dir);
  EXPECT_EQ(windows.WantedPrefixes(dir + "\\"), (std::vector<std::string>{"C:", dir}));
}

TEST(WindowsPaths, DriveAndServerRoots) {
  EXPECT_EQ(windows.WantedPrefixes("C:\\a\\b\\"),
            (std::vector<std::string>{"C:", "C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(windows.WantedPrefixes("\\\\host\\share\\"),
            (std::vector<std::string>{"\\\\host", "\\\\host\\share"}));
  EXPECT_EQ(windows.ParentPath("C:\\a"), "C:\\");
  EXPECT_EQ(windows.ParentPath("C:\\a\\b\\"), "C:\\a");
  EXPECT_EQ(windows.ParentPath("C:\\"), "");
  EXPECT_TRUE(windows.IsRoot("C:"));
  EXPECT_TRUE(windows.IsRoot("\\\\host\\"));
  EXPECT_FALSE(windows.IsRoot("\\\\host\\share"));
}

TEST(FileMasks, WildcardsAndSetsIgnoreCase) {
  EXPECT_TRUE(MatchesMask("README.TXT", "*.txt", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("a.b.c", "*.c", CodePage::Utf8));
  EXPECT_FALSE(MatchesMask("abc", "?", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("abc", "a?c", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("", "*", CodePage::Utf8));
  EXPECT_FALSE(MatchesMask("", "?", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("file7", "file[0-9]", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("fileB", "file[a-c]", CodePage::Utf8));
  EXPECT_FALSE(MatchesMask("file7", "file[!0-9]", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("filex", "file[!0-9]", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("/mnt/usb/", "/mnt/*", CodePage::Utf8));
  EXPECT_FALSE(MatchesMask("/media/x/", "/mnt/*", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("A:\\", "a:\\", CodePage::Cp932));
  EXPECT_TRUE(MatchesMask("ab*cd", "ab[*]cd", CodePage::Utf8));
  EXPECT_FALSE(MatchesMask("abxyz", "ab*q", CodePage::Utf8));
}

TEST(FileMasks, MultiByteCharactersCountAsOne) {
  EXPECT_TRUE(MatchesMask("\xE6\x97\xA5.txt", "?.txt", CodePage::Utf8));
  EXPECT_TRUE(MatchesMask("\x93\xFA.txt", "?.txt", CodePage::Cp932));
  // A trail byte "A" must not match an "a" in the mask.
  EXPECT_FALSE(MatchesMask("\x83\x41", "?a", CodePage::Cp932));
}

TEST(PathCompare, ExactAndCaseInsensitive) {
  EXPECT_TRUE(SamePath("/Home/x", "/Home/x"));
  EXPECT_FALSE(SamePath("/Home/x", "/home/x"));
  EXPECT_TRUE(SamePathIgnoreCase("/Home/X", "/home/x", CodePage::Utf8));
  EXPECT_FALSE(SamePathIgnoreCase("\x83\x41", "\x83\x61", CodePage::Cp932));
  EXPECT_FALSE(SamePathIgnoreCase("/a", "/ab", CodePage::Utf8));
}

}  // namespace
