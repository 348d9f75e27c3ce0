#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

using namespace velkoran::platform;
namespace fs = std::filesystem;

namespace {

class DirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vk-dir-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "sub");
    std::ofstream(root_ / "a.txt") << "hello";
    std::ofstream(root_ / ".hidden") << "x";
    fs::create_directory_symlink(root_ / "sub", root_ / "link");
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(DirectoryTest, ReportsKindsSizesAndLinksWithoutFollowing) {
  std::map<std::string, DirEntry> seen;
  std::map<std::string, std::string> names;
  ASSERT_TRUE(ForEachEntry(root_.string(), EnumDetail::Full, [&](const DirEntry& e) {
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
  ForEachEntry(root_.string() + "/", EnumDetail::TypeOnly, visit);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(ForEachEntry((root_ / "missing").string(), EnumDetail::TypeOnly, [](const DirEntry&) { return true; }));
}

TEST_F(DirectoryTest, PathKindsDoNotFollowLinks) {
  EXPECT_TRUE(FileExists((root_ / "a.txt").string()));
  EXPECT_TRUE(DirectoryExists((root_ / "sub").string() + "/"));
  EXPECT_FALSE(DirectoryExists((root_ / "link").string() + "/"));
  EXPECT_TRUE(FileExists((root_ / "link").string()));
  EXPECT_EQ(KindOfPath((root_ / "nothing").string()), PathKind::None);
  std::uint64_t size = 0;
  EXPECT_TRUE(SizeOfPath((root_ / "a.txt").string(), size));
  EXPECT_EQ(size, 5u);
}

TEST_F(DirectoryTest, ReadOnlyMeansNotWritableByUs) {
  const auto file = (root_ / "a.txt").string();
  EXPECT_FALSE(IsReadOnly(file));
  ::chmod(file.c_str(), 0444);
  EXPECT_TRUE(IsReadOnly(file));  // also for the superuser
  EXPECT_FALSE(IsReadOnly((root_ / "nothing").string()));
}

}  // namespace
