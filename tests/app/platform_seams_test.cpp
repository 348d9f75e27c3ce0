// The platform seams the window brings: volume roots, atomic state-file writes, the
// directory helpers and the empty network enumeration.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app_fakes.h"
#include "platform/dir_helpers.h"
#include "platform/network.h"
#include "platform/state_file.h"
#include "platform/volumes.h"

namespace velkoran::platform {
namespace {

using app::testing::Exists;
using app::testing::ReadFile;
using app::testing::ScratchDir;
using app::testing::WriteFile;

constexpr const char* kMounts =
    "sysfs /sys sysfs rw 0 0\n"
    "/dev/sda1 / ext4 rw 0 0\n"
    "/dev/sdb1 /media/u/USB\\040STICK vfat rw 0 0\n"
    "/dev/sdc1 /mnt ext4 rw 0 0\n"
    "/dev/sdd1 /mnt/backup ext4 rw 0 0\n"
    "/dev/sdd1 /mnt/backup ext4 rw 0 0\n"
    "/dev/sde1 /mntx/other ext4 rw 0 0\n"
    "/dev/sdf1 /run/media/u/CARD vfat rw 0 0\n"
    "/dev/sdg1 /media vfat rw 0 0\n";

TEST(Volumes, MountPointsBelowTheMediaFoldersInPathOrder) {
  EXPECT_EQ(RemovableMountPoints(kMounts),
            (std::vector<std::string>{"/media/u/USB STICK", "/mnt/backup", "/run/media/u/CARD"}));
}

TEST(Volumes, RootHomeThenMounts) {
  EXPECT_EQ(VolumeRootsFrom(kMounts, "/home/u/"),
            (std::vector<std::string>{"/", "/home/u", "/media/u/USB STICK", "/mnt/backup", "/run/media/u/CARD"}));
  EXPECT_EQ(VolumeRootsFrom("", "/"), std::vector<std::string>{"/"});
  EXPECT_EQ(VolumeRootsFrom("", ""), std::vector<std::string>{"/"});
  EXPECT_EQ(VolumeRootsFrom("x /mnt/home ext4 rw 0 0\n", "/mnt/home"), (std::vector<std::string>{"/", "/mnt/home"}));
}

TEST(Volumes, TheHostListStartsAtTheRoot) {
  HostVolumeList host;
  const auto roots = host.Roots();
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(roots.front(), "/");
}

TEST(Network, TheLinuxEnumerationReportsNothing) {
  auto net = CreateHostNetworkEnumeration();
  auto level = net->Open(nullptr);
  ASSERT_NE(level, nullptr);
  std::vector<NetResource> batch{NetResource{}};
  EXPECT_EQ(level->Next(batch), NetworkLevel::Status::NoMore);
  EXPECT_TRUE(batch.empty());
}

TEST(StateFile, ReplacesTheFileAndLeavesNoTemporary) {
  ScratchDir dir;
  const std::string path = dir / "setting.ini";
  WriteFile(path, "old\r\n");
  ASSERT_TRUE(WriteFileAtomically(path, "new\r\ncontent\r\n"));
  EXPECT_EQ(ReadFile(path), "new\r\ncontent\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"new", "content"}));
}

TEST(StateFile, AFailedWriteKeepsWhatWasThereAndCleansUp) {
  ScratchDir dir;
  // A folder standing where the file should go cannot be replaced by a rename.
  const std::string path = dir / "tab.txt";
  app::testing::MakeDirs(path + "/inside");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(path, "data", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(Exists(path + "/inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
  EXPECT_FALSE(WriteFileAtomically(dir / "missing/folder/x.txt", "data"));
  EXPECT_FALSE(ReadTextLines(dir / "nothing.txt").has_value());
}

TEST(DirHelpers, ForceDirectoryCreatesTheChain) {
  ScratchDir dir;
  EXPECT_TRUE(ForceDirectory(dir / "a/b/c/"));
  EXPECT_TRUE(Exists(dir / "a/b/c"));
  EXPECT_TRUE(ForceDirectory(dir / "a/b"));  // existing is fine
  EXPECT_TRUE(ForceDirectory("/"));          // so is the root
  EXPECT_FALSE(ForceDirectory(""));
  WriteFile(dir / "file", "x");
  EXPECT_FALSE(ForceDirectory(dir / "file/sub"));
  // The Windows rules refuse a colon after the drive, as such a name cannot exist there.
  const PathRules windows(PathStyle::Windows, CodePage::Cp932);
  EXPECT_FALSE(ForceDirectory("C:\\a:b\\c", windows));
}

TEST(DirHelpers, RenameWithoutReplacingRefusesAnExistingTarget) {
  ScratchDir dir;
  WriteFile(dir / "a", "A");
  WriteFile(dir / "b", "B");
  EXPECT_NE(RenameEntry(dir / "a", dir / "b", RenameMode::NoReplace), 0);
  EXPECT_EQ(ReadFile(dir / "b"), "B");
  app::testing::MakeDirs(dir / "empty");
  app::testing::MakeDirs(dir / "d");
  EXPECT_NE(RenameEntry(dir / "d", dir / "empty", RenameMode::NoReplace), 0);
  EXPECT_TRUE(Exists(dir / "d"));
  EXPECT_EQ(RenameEntry(dir / "a", dir / "b", RenameMode::Replace), 0);
  EXPECT_EQ(ReadFile(dir / "b"), "A");
  EXPECT_EQ(RenameEntry(dir / "d", dir / "e", RenameMode::NoReplace), 0);
}

}  // namespace
}  // namespace velkoran::platform
