#include "platform/fileio.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"

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

}  // namespace
}  // namespace velkoran::fileops::testing
