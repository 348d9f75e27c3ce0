#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "support/files.h"
#include "support/scratch_dir.h"

using namespace velkoran::platform;
using velkoran::testing::MakeDirs;
using velkoran::testing::NoSlash;
using velkoran::testing::ScratchDir;
using velkoran::testing::WriteFile;
namespace fs = std::filesystem;

namespace {

class DirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDirs(dir / "sub");
    WriteFile(dir / "a.txt", "hello");
    WriteFile(dir / ".hidden", "x");
    fs::create_directory_symlink(dir / "sub", dir / "link");
  }
  // The folder without its trailing "/".
  std::string Root() const { return NoSlash(dir.Path()); }
  ScratchDir dir;
};

TEST_F(DirectoryTest, ReportsKindsSizesAndLinksWithoutFollowing) {
  std::map<std::string, DirEntry> seen;
  std::map<std::string, std::string> names;
  ASSERT_TRUE(ForEachEntry(Root(), EnumDetail::Full, [&](const DirEntry& e) {
    DirEntry copy = e;
    names[std::string(e.name)] = std::string(e.name);
    copy.name = names[std::string(e.name)];
    seen[std::string(e.name)] = copy;
    return true;
  }));
  ASSERT_EQ(seen.size(), 4u);  // no "." or ".."
  EXPECT_FALSE(seen["a.txt"].isDirectory);
  EXPECT_EQ(seen["a.txt"].size, 5u);
  EXPECT_TRUE(seen["sub"].isDirectory);
  EXPECT_TRUE(seen["link"].isSymlink);
  EXPECT_FALSE(seen["link"].isDirectory);
  EXPECT_TRUE(seen[".hidden"].hidden);
}

TEST_F(DirectoryTest, StopsEarlyAndFailsOnMissingDirectory) {
  int calls = 0;
  // A named callable, not only a lambda written in place.
  auto visit = [&](const DirEntry&) { return ++calls < 2; };
  ForEachEntry(dir.Path(), EnumDetail::TypeOnly, visit);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(ForEachEntry(dir / "missing", EnumDetail::TypeOnly, [](const DirEntry&) { return true; }));
}

TEST_F(DirectoryTest, PathKindsDoNotFollowLinks) {
  EXPECT_TRUE(FileExists(dir / "a.txt"));
  EXPECT_TRUE(DirectoryExists(dir / "sub/"));
  EXPECT_FALSE(DirectoryExists(dir / "link/"));
  EXPECT_TRUE(FileExists(dir / "link"));
  EXPECT_EQ(KindOfPath(dir / "nothing"), PathKind::None);
  std::uint64_t size = 0;
  EXPECT_TRUE(SizeOfPath(dir / "a.txt", size));
  EXPECT_EQ(size, 5u);
}

TEST_F(DirectoryTest, ReadOnlyMeansNotWritableByUs) {
  const auto file = dir / "a.txt";
  EXPECT_FALSE(IsReadOnly(file));
  ::chmod(file.c_str(), 0444);
  EXPECT_TRUE(IsReadOnly(file));  // also for the superuser
  EXPECT_FALSE(IsReadOnly(dir / "nothing"));
}

}  // namespace
