// The samples on first start: only into an empty script folder, never over a file, in the
// active code page.
#include "app/logic/sample_scripts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/codepage.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace velkoran::app {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

class SampleScriptsTest : public ::testing::Test {
 protected:
  SampleScriptsTest() {
    MakeDirs(samples);
    WriteFile(samples + "Greet.txt", "println(\"こんにちは\");\n");
    WriteFile(samples + "Sizes.txt", "println(1);\n");
    WriteFile(samples + "notes.md", "not a script");
  }
  ScratchDir dir;
  const std::string samples = dir / "share/examples/Script/";
  const std::string scripts = dir / "home/Script/";
};

TEST_F(SampleScriptsTest, FillOnlyAnEmptyScriptFolder) {
  struct Case {
    const char* name;
    const char* existing;  // a file already in the script folder, or null
    std::vector<std::string> copied;
  };
  const Case cases[] = {
      {"missing folder is created and filled", nullptr, {"Greet.txt", "Sizes.txt"}},
      {"a user's file keeps the samples out", "Mine.txt", {}},
      {"even a file that is no script does", "readme", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::RemoveTree(dir / "home");
    if (c.existing != nullptr) {
      MakeDirs(scripts);
      WriteFile(scripts + c.existing, "mine");
    }
    SampleCopy copy = CopySampleScripts(samples, scripts);
    std::sort(copy.copied.begin(), copy.copied.end());
    EXPECT_EQ(copy.copied, c.copied);
    EXPECT_TRUE(copy.failed.empty());
    EXPECT_FALSE(Exists(scripts + "notes.md"));
    if (c.existing != nullptr) {
      EXPECT_EQ(ReadFile(scripts + c.existing), "mine");
    }
  }
}

TEST_F(SampleScriptsTest, ConvertedToTheActiveCodePage) {
  platform::SetActiveCodePage(platform::CodePage::Cp932);
  const SampleCopy copy = CopySampleScripts(samples, scripts);
  platform::SetActiveCodePage(platform::CodePage::Utf8);
  EXPECT_EQ(copy.copied.size(), 2u);
  EXPECT_EQ(ReadFile(scripts + "Greet.txt"), platform::FromUtf8("println(\"こんにちは\");\n", platform::CodePage::Cp932));
}

TEST_F(SampleScriptsTest, FirstStartIsBeforeAnySettingsWereSaved) {
  EXPECT_TRUE(IsFirstStart(dir / "save"));
  MakeDirs(dir / "save");
  WriteFile(dir / "save/setting.ini", "Top : 1\r\n");
  EXPECT_FALSE(IsFirstStart(dir / "save/"));
}

}  // namespace
}  // namespace velkoran::app
