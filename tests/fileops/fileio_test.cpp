#include "platform/fileio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "fakes.h"
#include "support/watchdog.h"

namespace velkoran::fileops::testing {
namespace {

TEST(TemporarySiblingName, HiddenInTheSameDirectoryAndWithinTheNameLimit) {
  const std::string longName(255, 'n');
  for (const std::string& target : {std::string("/some/dir/") + "file.txt", "/some/dir/" + longName, std::string("bare")}) {
    const std::string temporary = platform::TemporarySiblingName(target);
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    ASSERT_EQ(temporary.substr(0, dir.size()), dir) << target;
    const std::string name = temporary.substr(dir.size());
    EXPECT_EQ(name[0], '.') << target;
    EXPECT_LE(name.size(), 255u) << target;
    EXPECT_EQ(name.find('/'), std::string::npos);
  }
  EXPECT_NE(platform::TemporarySiblingName("/d/f"), platform::TemporarySiblingName("/d/f"));
}

TEST(CopyBytes, FailsWhenTheSourceEndsEarly) {
  ScratchDir dir;
  WriteFile(dir / "s", "short");
  platform::File in = platform::File::OpenForReading(dir / "s");
  std::string temporary;
  platform::File out = platform::CreateTemporarySibling(dir / "t", temporary);
  ASSERT_TRUE(in.IsOpen());
  ASSERT_TRUE(out.IsOpen());
  std::vector<char> buffer;
  EXPECT_FALSE(platform::CopyBytes(in, out, 100, buffer));
}

TEST(OpenForReading, DoesNotFollowALink) {
  ScratchDir dir;
  WriteFile(dir / "real", "x");
  ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
  EXPECT_FALSE(platform::File::OpenForReading(dir / "link").IsOpen());
  EXPECT_TRUE(platform::File::OpenForReading(dir / "real").IsOpen());
}

// Whole-file operations take only regular files; a pipe without a writer must be refused
// at once rather than block the open.
TEST(OpenRegularFile, RefusesEverythingButARegularFileWithoutWaiting) {
  ScratchDir dir;
  WriteFile(dir / "real", "bytes");
  ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  velkoran::testing::MakeDirs(dir / "sub");
  struct Row {
    const char* name;
    std::string path;
    int flags;
    int error;
  };
  const Row rows[] = {
      {"regular file", dir / "real", O_RDONLY, 0},
      {"link to a regular file", dir / "link", O_RDONLY, 0},
      {"link when links are not followed", dir / "link", O_RDONLY | O_NOFOLLOW, platform::kNotRegularFile},
      {"named pipe", dir / "fifo", O_RDONLY, platform::kNotRegularFile},
      {"named pipe for writing", dir / "fifo", O_WRONLY, platform::kNotRegularFile},
      {"directory", dir / "sub", O_RDONLY, platform::kNotRegularFile},
      {"device", "/dev/zero", O_RDONLY, platform::kNotRegularFile},
      {"missing", dir / "gone", O_RDONLY, ENOENT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    velkoran::testing::Watchdog watchdog(row.name, std::chrono::seconds(20));
    int error = -2;
    const platform::File file = platform::OpenRegularFile(row.path, row.flags, &error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(file.IsOpen(), row.error == 0);
    int readError = -2;
    const auto bytes = platform::ReadRegularFile(row.path, &readError);
    if (row.flags == O_RDONLY) {
      EXPECT_EQ(readError, row.error);
      EXPECT_EQ(bytes.value_or("(none)"), row.error == 0 ? "bytes" : "(none)");
    }
  }
  EXPECT_EQ(platform::ErrorText(platform::kNotRegularFile), "not a regular file");
}

}  // namespace
}  // namespace velkoran::fileops::testing
