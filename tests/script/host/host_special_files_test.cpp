// Whole-file operations of the host objects on entries that are no regular file: a named
// pipe without a writer (or reader) and an endless device are refused at once, never
// waited on or read to their end.
#include <sys/stat.h>

#include <chrono>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "support/watchdog.h"

namespace kestrin::host_testing {
namespace {

using velkoran::testing::Watchdog;

class SpecialFileTest : public ScratchScriptTest {
 protected:
  void SetUp() override { ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0); }
};

TEST_F(SpecialFileTest, WholeFileOperationsRefuseAPipeOrADevice) {
  struct Row {
    const char* name;
    const char* script;
    std::string output;
  };
  const Row rows[] = {
      {"copyTo from a pipe", "new File('$Dfifo').copyTo('$Dcopy');", Uncaught("EFileError", "copy error: $Dfifo")},
      {"loadFromFile of a pipe", "var s = new Strings(); s.loadFromFile('$Dfifo');",
       Uncaught("EStringsError", "loadFromFile error")},
      {"loadFromFile of an endless device", "var s = new Strings(); s.loadFromFile('/dev/zero');",
       Uncaught("EStringsError", "loadFromFile error")},
      {"new Ini over a pipe", "var i = new Ini('$Dfifo');", Uncaught("EIniError", "ini create error")},
      {"CRC of a pipe", "var c = new CRC(); c.calcFile('$Dfifo');", Uncaught("ECRCError", "calcFile error")},
      {"CRC of an endless device", "var c = new CRC(); c.calcFile('/dev/zero');",
       Uncaught("ECRCError", "calcFile error")},
      {"saveToFile into a pipe nobody reads", "var s = new Strings(); s.add('x'); s.saveToFile('$Dfifo');",
       Uncaught("EStringsError", "saveToFile error")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Watchdog watchdog(row.name, std::chrono::seconds(20));
    std::string expected = row.output;
    if (const auto at = expected.find("$D"); at != std::string::npos) expected.replace(at, 2, dir.Path());
    EXPECT_EQ(Run(row.script), expected);
  }
  EXPECT_FALSE(Exists(dir / "copy"));
}

}  // namespace
}  // namespace kestrin::host_testing
