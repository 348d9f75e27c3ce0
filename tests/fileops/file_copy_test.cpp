#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"
#include "recording_file_system.h"

namespace velkoran::fileops::testing {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;

struct FileCopyTest : EngineFixture {
  RecordingFileSystem fs;
  FileOperationEngine engine{host, questions, fs};
};

TEST_F(FileCopyTest, CopiesWholeBlocksThenTheRemainder) {
  const struct {
    std::uint64_t size;
    std::vector<std::uint64_t> blocks;
  } cases[] = {
      {0, {}},
      {5, {5}},
      {kMiB, {kMiB}},
      {2 * kMiB + 3, {kMiB, kMiB, 3}},
  };
  for (const auto& c : cases) {
    fs.blockLengths.clear();
    host.subPositions.clear();
    const std::string source = dir / ("s" + std::to_string(c.size));
    const std::string target = dir / ("t" + std::to_string(c.size));
    WritePatternFile(source, c.size);
    ASSERT_TRUE(engine.CopyFileWithProgress(source, target)) << c.size;
    EXPECT_EQ(fs.blockLengths, c.blocks) << c.size;
    EXPECT_EQ(ReadFile(target), ReadFile(source)) << c.size;
    EXPECT_EQ(host.subMaximum, c.size);
    ASSERT_FALSE(host.subPositions.empty());
    EXPECT_EQ(host.subPositions.front(), 0u);
    EXPECT_EQ(host.subPositions.back(), c.size);
  }
}

TEST_F(FileCopyTest, KeepsPermissionBitsAndModificationTime) {
  WriteFile(dir / "s", "data");
  chmod((dir / "s").c_str(), 0751);
  const timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
  utimensat(AT_FDCWD, (dir / "s").c_str(), times, 0);
  ASSERT_TRUE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  struct stat st {};
  ASSERT_EQ(stat((dir / "t").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
}

TEST_F(FileCopyTest, BreakMidFileLeavesNoTargetAndNoTemporary) {
  WritePatternFile(dir / "s", 3 * kMiB);
  host.onEvents = [&] { engine.RequestBreak(); };
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  EXPECT_EQ(fs.blockLengths.size(), 1u);  // stopped after the first block
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"s"}));
}

TEST_F(FileCopyTest, BreakMidFileLeavesAnExistingTargetAsItWas) {
  WritePatternFile(dir / "s", 3 * kMiB);
  WriteFile(dir / "t", "the old content");
  host.onEvents = [&] { engine.RequestBreak(); };
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  EXPECT_EQ(ReadFile(dir / "t"), "the old content");
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"s", "t"}));
}

TEST_F(FileCopyTest, BreakSetBeforeTheCopyIsCleared) {
  WritePatternFile(dir / "s", 2 * kMiB);
  engine.RequestBreak();
  EXPECT_TRUE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  EXPECT_FALSE(engine.Flags().BreakRequested);
}

TEST_F(FileCopyTest, FailedWriteLeavesTheTargetAsItWas) {
  WritePatternFile(dir / "s", 2 * kMiB + 10);
  WriteFile(dir / "t", "old");
  fs.failBlockAt = 2;
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  EXPECT_EQ(ReadFile(dir / "t"), "old");
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"s", "t"}));
}

TEST_F(FileCopyTest, BreakDuringATransferStopsItWithTheTargetLine) {
  mkdir((dir / "src").c_str(), 0755);
  mkdir((dir / "dst").c_str(), 0755);
  WritePatternFile(dir / "src/big", 2 * kMiB);
  host.onEvents = [&] {
    if (!host.subPositions.empty() && host.subPositions.back() == kMiB) engine.RequestBreak();
  };
  EXPECT_FALSE(engine.TransferFiles({dir / "src/big"}, dir / "dst", 1));
  // Stopped, not failed: the user asked for it.
  EXPECT_EQ(host.log[3], L("コピー中止: ") + dir / "dst/big");
  EXPECT_EQ(host.log[4], L("コピー中止。"));
  EXPECT_TRUE(Names(dir / "dst").empty());
}

TEST_F(FileCopyTest, BreakAfterAFilesLastBlockStopsTheTransferBeforeTheNextEntry) {
  mkdir((dir / "src").c_str(), 0755);
  mkdir((dir / "dst").c_str(), 0755);
  WriteFile(dir / "src/a", "a");
  WriteFile(dir / "src/b", "b");
  // Esc arrives while the window is serviced after the last (here the only) block.
  host.onEvents = [&] {
    if (!host.subPositions.empty()) engine.RequestBreak();
  };
  EXPECT_FALSE(engine.TransferFiles({dir / "src/a", dir / "src/b"}, dir / "dst", kOperationCopy));
  EXPECT_EQ(Names(dir / "dst"), (std::vector<std::string>{"a"}));  // a is complete, b never begun
  EXPECT_EQ(host.log.size(), 4u);  // no failure line for a
  EXPECT_EQ(host.log.back(), L("コピー中止。"));

  // Neither an Esc left over from before the transfer nor one after its last entry stops it.
  host.log.clear();
  engine.RequestBreak();
  EXPECT_TRUE(engine.TransferFiles({dir / "src/b"}, dir / "dst", kOperationCopy));
  EXPECT_EQ(host.log.back(), L("コピー完了。"));
  EXPECT_EQ(ReadFile(dir / "dst/b"), "b");
}

TEST_F(FileCopyTest, BreakBetweenEntriesStopsATransferOfSmallFiles) {
  mkdir((dir / "src").c_str(), 0755);
  mkdir((dir / "dst").c_str(), 0755);
  for (const char* name : {"a", "b", "c"}) WriteFile(dir / (std::string("src/") + name), name);
  int events = 0;
  // The first file completes; Esc arrives while the window is serviced after it.
  host.onEvents = [&] {
    if (++events == 3) engine.RequestBreak();
  };
  EXPECT_FALSE(engine.TransferFiles({dir / "src/"}, dir / "dst", kOperationMove));
  EXPECT_EQ(host.log.back(), L("移動中止。"));
  EXPECT_LT(Names(dir / "dst/src").size(), 3u);
  EXPECT_EQ(Names(dir / "dst/src").size() + Names(dir / "src").size(), 3u);  // nothing lost
}

TEST_F(FileCopyTest, ReadOnlyTargetAndDirectoryTargetAreNotReplaced) {
  WriteFile(dir / "s", "new");
  WriteFile(dir / "ro", "protected");
  MakeReadOnly(dir / "ro");
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "s", dir / "ro"));
  EXPECT_EQ(ReadFile(dir / "ro"), "protected");
  EXPECT_FALSE(engine.MoveOneFile(dir / "s", dir / "ro"));
  EXPECT_EQ(ReadFile(dir / "ro"), "protected");

  mkdir((dir / "d").c_str(), 0755);
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "s", dir / "d"));
  EXPECT_TRUE(fs.blockLengths.empty());  // refused before any data moved
}

TEST_F(FileCopyTest, CopyOntoALinkReplacesTheLinkNotWhatItPointsTo) {
  WriteFile(dir / "s", "new");
  WriteFile(dir / "pointee", "untouched");
  ASSERT_EQ(symlink("pointee", (dir / "t").c_str()), 0);
  ASSERT_TRUE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  EXPECT_EQ(ReadFile(dir / "pointee"), "untouched");
  struct stat st {};
  lstat((dir / "t").c_str(), &st);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(FileCopyTest, CopiesADanglingLinkAsALink) {
  ASSERT_EQ(symlink("no/such/place", (dir / "s").c_str()), 0);
  ASSERT_TRUE(engine.CopyFileWithProgress(dir / "s", dir / "t"));
  char text[32] = {};
  ASSERT_GT(readlink((dir / "t").c_str(), text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "no/such/place");
}

TEST_F(FileCopyTest, MissingSourceFails) {
  EXPECT_FALSE(engine.CopyFileWithProgress(dir / "none", dir / "t"));
  EXPECT_FALSE(engine.MoveOneFile(dir / "none", dir / "t"));
  EXPECT_TRUE(Names(dir.Path()).empty());
}

TEST_F(FileCopyTest, CrossFileSystemMoveOfAReadOnlySourceFailsButKeepsBoth) {
  WriteFile(dir / "s", "data");
  MakeReadOnly(dir / "s");
  fs.crossFileSystem = true;
  EXPECT_FALSE(engine.MoveOneFile(dir / "s", dir / "t"));
  EXPECT_EQ(ReadFile(dir / "s"), "data");
  EXPECT_EQ(ReadFile(dir / "t"), "data");
}

}  // namespace
}  // namespace velkoran::fileops::testing
