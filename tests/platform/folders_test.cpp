#include "platform/folders.h"

#include <gtest/gtest.h>

using namespace velkoran::platform;

namespace {

TEST(ProgramFolder, ResolutionOrder) {
  FolderInputs in;
  in.executableDir = "/opt/velkoran/bin/";
  in.executableDirWritable = true;
  in.home = "/home/u";
  EXPECT_EQ(ResolveProgramDir(in), "/opt/velkoran/bin/");

  in.executableDirWritable = false;
  EXPECT_EQ(ResolveProgramDir(in), "/home/u/.config/velkoran/");
  in.xdgConfigHome = "/cfg";
  EXPECT_EQ(ResolveProgramDir(in), "/cfg/velkoran/");

  in.velkoranHome = "/tmp/vk";
  EXPECT_EQ(ResolveProgramDir(in), "/tmp/vk/");
}

// An installed program never writes beside itself, not even when root could.
TEST(ProgramFolder, SystemProgramFoldersAreNeverTheProgramFolder) {
  for (const char* dir : {"/usr/bin/", "/usr/local/bin", "/bin/"}) {
    SCOPED_TRACE(dir);
    FolderInputs in;
    in.executableDir = dir;
    in.executableDirWritable = true;
    in.home = "/root";
    EXPECT_EQ(ResolveProgramDir(in), "/root/.config/velkoran/");
  }
}

TEST(ProgramFolder, ExecutableDirEndsInSlash) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
}

}  // namespace
