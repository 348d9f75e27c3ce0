#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"
#include "fileops/progress_scale.h"
#include "platform/codepage.h"

namespace velkoran::fileops::testing {
namespace {

struct SizeSurveyTest : EngineFixture {
  FileOperationEngine engine{host, questions};
  std::string Root() const { return velkoran::testing::NoSlash(dir.Path()); }
};

TEST_F(SizeSurveyTest, EmptyDirectory) {
  const SurveyTotals t = engine.CheckDirectorySize(Root());
  EXPECT_EQ(host.log, (std::vector<std::string>{L("ディレクトリサイズ調査開始。"), Root(),
                                                 L("ファイル数 : 0 ディレクトリ数 : 0 サイズ : 0B / 0B")}));
  EXPECT_FALSE(t.stopped);
}

TEST_F(SizeSurveyTest, CountsFilesDirectoriesAndBytesInTheWholeTree) {
  mkdir((dir / "sub").c_str(), 0755);
  WriteFile(dir / "sub/f", std::string(2048, 'x'));
  engine.CheckDirectorySize(Root());
  EXPECT_EQ(host.log.back(), L("ファイル数 : 1 ディレクトリ数 : 1 サイズ : 2048B / 2KB"));

  mkdir((dir / "sub/deeper").c_str(), 0755);
  mkdir((dir / "sub/deeper/deepest").c_str(), 0755);
  WriteFile(dir / "sub/deeper/deepest/.hidden", std::string(100, 'y'));
  WriteFile(dir / "top", "");
  const SurveyTotals t = engine.CheckDirectorySize(Root());
  EXPECT_EQ(t.files, 3u);
  EXPECT_EQ(t.directories, 3u);
  EXPECT_EQ(t.bytes, 2148u);
}

TEST_F(SizeSurveyTest, LinksCountAsFilesAndAreNotFollowed) {
  mkdir((dir / "big").c_str(), 0755);
  WriteFile(dir / "big/f", std::string(5000, 'x'));
  mkdir((dir / "tree").c_str(), 0755);
  ASSERT_EQ(symlink((dir / "big").c_str(), (dir / "tree/link").c_str()), 0);
  const SurveyTotals t = engine.CheckDirectorySize(dir / "tree");
  EXPECT_EQ(t.files, 1u);
  EXPECT_EQ(t.directories, 0u);
  EXPECT_EQ(t.bytes, (dir / "big").size());  // the link's own size: the length of its text
}

TEST_F(SizeSurveyTest, BreakLogsOnlyTheStopLine) {
  for (int i = 0; i < 5; ++i) mkdir((dir / std::to_string(i)).c_str(), 0755);
  int rounds = 0;
  host.onEvents = [&] {
    if (++rounds == 2) engine.RequestBreak();
  };
  const SurveyTotals t = engine.CheckDirectorySize(Root());
  EXPECT_TRUE(t.stopped);
  EXPECT_EQ(rounds, 2);  // nothing more is walked once the break is seen
  EXPECT_EQ(host.log, (std::vector<std::string>{L("ディレクトリサイズ調査開始。"), Root(),
                                                 L("ディレクトリサイズ調査中止。")}));

  // The next survey starts afresh.
  host.onEvents = nullptr;
  EXPECT_FALSE(engine.CheckDirectorySize(Root()).stopped);
}

TEST_F(SizeSurveyTest, UnreadableOrMissingDirectoryCountsAsEmpty) {
  const SurveyTotals t = engine.CheckDirectorySize(dir / "missing");
  EXPECT_EQ(t.files, 0u);
  EXPECT_EQ(host.log.back(), L("ファイル数 : 0 ディレクトリ数 : 0 サイズ : 0B / 0B"));
}

TEST_F(SizeSurveyTest, SizesBeyondFourGibibytes) {
  MakeSparseFile(dir / "a", 3ull << 30);
  MakeSparseFile(dir / "b", 3ull << 30);
  const SurveyTotals t = engine.CheckDirectorySize(Root());
  EXPECT_EQ(t.bytes, 6ull << 30);
  EXPECT_EQ(host.log.back(), L("ファイル数 : 2 ディレクトリ数 : 0 サイズ : 6144MB / 6GB"));
}

TEST(FileOpsMessages, FollowTheSystemCodePage) {
  platform::SetActiveCodePage(platform::CodePage::Cp932);
  FakeHost host;
  StrictQuestions questions;
  ScratchDir dir;
  FileOperationEngine engine(host, questions);
  engine.CheckDirectorySize(dir.Path());
  platform::SetActiveCodePage(platform::CodePage::Utf8);
  // "ディ" in Shift_JIS.
  ASSERT_GE(host.log[0].size(), 4u);
  EXPECT_EQ(host.log[0].substr(0, 4), "\x83\x66\x83\x42");
  EXPECT_EQ(platform::ToUtf8(host.log[0], platform::CodePage::Cp932), "ディレクトリサイズ調査開始。");
}

TEST(ProgressScale, KeepsIntRangeAndProportion) {
  EXPECT_EQ(ScaleProgress(1000, 500).maximum, 1000);
  EXPECT_EQ(ScaleProgress(1000, 500).position, 500);
  const IntProgress big = ScaleProgress(6ull << 30, 3ull << 30);
  EXPECT_GT(big.maximum, 0);
  EXPECT_EQ(big.position * 2, big.maximum);
  const IntProgress huge = ScaleProgress(UINT64_MAX, UINT64_MAX);
  EXPECT_EQ(huge.position, huge.maximum);
  EXPECT_GT(huge.maximum, 0);
  EXPECT_EQ(ScaleProgress(10, 20).position, 10);  // never past the end
  EXPECT_EQ(ScaleProgress(0, 0).maximum, 0);
}

}  // namespace
}  // namespace velkoran::fileops::testing
