#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"
#include "recording_file_system.h"

namespace velkoran::fileops::testing {
namespace {

using platform::Answer;

struct TransferTest : EngineFixture {
  RecordingFileSystem fs;
  FileOperationEngine engine{host, questions, fs};

  void SetUp() override {
    mkdir((dir / "src").c_str(), 0755);
    mkdir((dir / "dst").c_str(), 0755);
  }
  std::vector<std::string> PlacedRelative() const {
    std::vector<std::string> out;
    for (const auto& p : fs.placed) out.push_back(p.substr(dir.Path().size()));
    return out;
  }
  std::string OverwriteQuestion(const std::string& path) const {
    return path + L("を上書きしますか？\n*この後上書き確認しない場合は[キャンセル]を*");
  }
};

TEST_F(TransferTest, CopiesATreeDirectoriesFirstAndLogsEachPhase) {
  mkdir((dir / "src/A").c_str(), 0755);
  mkdir((dir / "src/A/B").c_str(), 0755);
  WriteFile(dir / "src/A/B/c.txt", "content");
  WriteFile(dir / "src/top.txt", std::string(3000, 't'));

  ASSERT_TRUE(engine.TransferFiles({dir / "src/A/B/c.txt", dir / "src/A/", dir / "src/top.txt"}, dir / "dst", 1));

  EXPECT_EQ(host.log, (std::vector<std::string>{L("コピーの準備中。"), L("コピーの準備完了。"),
                                                 L("総サイズ：") + "2.94K", L("コピー完了。")}));
  // The file given first at top level is copied to dst/c.txt; the tree keeps its shape.
  // Shorter source paths first; the two equal source paths of c.txt keep the given order.
  EXPECT_EQ(PlacedRelative(), (std::vector<std::string>{"dst/A/", "dst/A/B/", "dst/top.txt", "dst/c.txt",
                                                         "dst/A/B/c.txt"}));
  EXPECT_EQ(ReadFile(dir / "dst/A/B/c.txt"), "content");
  EXPECT_EQ(ReadFile(dir / "dst/c.txt"), "content");
  EXPECT_TRUE(Exists(dir / "src/A/B/c.txt"));
  EXPECT_EQ(host.enabledStates, (std::vector<bool>{false, true}));
  EXPECT_EQ(host.mainMaximum, 3014u / 1024);  // c.txt is planned twice
  EXPECT_EQ(host.mainPosition, 2u);  // 3000 div 1024, the small file adds 0
}

TEST_F(TransferTest, EmptySourceListLogsTheFourLinesAndChangesNothing) {
  EXPECT_TRUE(engine.TransferFiles({}, dir / "dst/", 2));
  EXPECT_EQ(host.log, (std::vector<std::string>{L("移動の準備中。"), L("移動の準備完了。"), L("総サイズ：") + "0",
                                                 L("移動完了。")}));
  EXPECT_TRUE(Names(dir / "dst").empty());
}

TEST_F(TransferTest, UnknownOperationHasAnEmptyNameAndOnlyCreatesDirectories) {
  mkdir((dir / "src/D").c_str(), 0755);
  WriteFile(dir / "src/D/f", "x");
  EXPECT_TRUE(engine.TransferFiles({dir / "src/D"}, dir / "dst", 7));
  EXPECT_EQ(host.log.front(), L("の準備中。"));
  EXPECT_EQ(host.log.back(), L("完了。"));
  EXPECT_TRUE(Exists(dir / "dst/D"));
  EXPECT_FALSE(Exists(dir / "dst/D/f"));
}

TEST_F(TransferTest, LinkOperationCreatesDirectoriesAndNothingForFiles) {
  mkdir((dir / "src/D").c_str(), 0755);
  mkdir((dir / "src/D/E").c_str(), 0755);
  WriteFile(dir / "src/D/E/f", "x");
  EXPECT_TRUE(engine.TransferFiles({dir / "src/D", dir / "src/D/E/f"}, dir / "dst", 4));
  EXPECT_EQ(host.log.back(), L("リンク完了。"));
  EXPECT_EQ(Names(dir / "dst"), (std::vector<std::string>{"D"}));
  EXPECT_EQ(Names(dir / "dst/D"), (std::vector<std::string>{"E"}));
  EXPECT_TRUE(Names(dir / "dst/D/E").empty());
  EXPECT_TRUE(Exists(dir / "src/D/E/f"));
}

TEST_F(TransferTest, OverwriteAnsweredYesReplacesAndNoStopsEverything) {
  WriteFile(dir / "src/a", "new a");
  WriteFile(dir / "src/b", "new b");
  WriteFile(dir / "src/c", "new c");
  WriteFile(dir / "dst/a", "old a");
  WriteFile(dir / "dst/b", "old b");

  questions.answers = {Answer::Yes, Answer::No};
  EXPECT_FALSE(engine.TransferFiles({dir / "src/a", dir / "src/b", dir / "src/c"}, dir / "dst", 1));
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[0].caption, L("上書き確認"));
  EXPECT_EQ(questions.asked[0].text, OverwriteQuestion(dir / "dst/a"));
  EXPECT_EQ(questions.asked[1].text, OverwriteQuestion(dir / "dst/b"));
  EXPECT_EQ(ReadFile(dir / "dst/a"), "new a");
  EXPECT_EQ(ReadFile(dir / "dst/b"), "old b");
  EXPECT_FALSE(Exists(dir / "dst/c"));  // the refusal ends the whole operation
  EXPECT_EQ(host.log.back(), L("コピー失敗。"));
  EXPECT_EQ(host.log.size(), 4u);  // a refusal has no line of its own
}

TEST_F(TransferTest, CancelOverwritesTheRestWithoutAskingUntilTheNextTransfer) {
  for (const char* n : {"a", "b", "c"}) {
    WriteFile(dir / "src/" + n, std::string("new ") + n);
    WriteFile(dir / "dst/" + n, "old");
  }
  questions.answers = {Answer::Cancel};
  EXPECT_TRUE(engine.TransferFiles({dir / "src/a", dir / "src/b", dir / "src/c"}, dir / "dst", 1));
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(ReadFile(dir / "dst/a"), "new a");
  EXPECT_EQ(ReadFile(dir / "dst/c"), "new c");
  EXPECT_TRUE(engine.Flags().SkipOverwriteQuestions);

  questions.answers = {Answer::No};
  EXPECT_FALSE(engine.TransferFiles({dir / "src/a"}, dir / "dst", 1));
  EXPECT_EQ(questions.asked.size(), 2u);
}

TEST_F(TransferTest, AutoOverwriteAsksNothing) {
  WriteFile(dir / "src/a", "new");
  WriteFile(dir / "dst/a", "old");
  engine.ToggleAutoOverwrite();
  EXPECT_TRUE(engine.TransferFiles({dir / "src/a"}, dir / "dst", 1));
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_EQ(ReadFile(dir / "dst/a"), "new");
}

TEST_F(TransferTest, ExistingTargetDirectoryIsAskedAboutAsADirectory) {
  mkdir((dir / "src/D").c_str(), 0755);
  WriteFile(dir / "src/D/f", "x");
  mkdir((dir / "dst/D").c_str(), 0755);
  questions.answers = {Answer::Yes};
  EXPECT_TRUE(engine.TransferFiles({dir / "src/D/"}, dir / "dst/", 1));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, OverwriteQuestion(dir / "dst/D"));
  EXPECT_EQ(ReadFile(dir / "dst/D/f"), "x");

  questions.answers = {Answer::No};
  EXPECT_FALSE(engine.TransferFiles({dir / "src/D/"}, dir / "dst/", 1));
  EXPECT_EQ(host.log.back(), L("コピー失敗。"));
}

TEST_F(TransferTest, DirectoryThatCannotBeCreatedStopsWithItsLine) {
  mkdir((dir / "src/D").c_str(), 0755);
  WriteFile(dir / "src/D/f", "x");
  WriteFile(dir / "dst/D", "a file where the directory should go");
  EXPECT_FALSE(engine.TransferFiles({dir / "src/D"}, dir / "dst", 1));
  const std::vector<std::string> tail(host.log.end() - 2, host.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{L("ディレクトリ作成失敗: ") + dir / "dst/D/", L("コピー失敗。")}));
}

TEST_F(TransferTest, MissingSourcesFailWithTheTargetInTheLog) {
  EXPECT_FALSE(engine.TransferFiles({dir / "src/gone.txt"}, dir / "dst", 1));
  EXPECT_EQ(host.log[2], L("総サイズ：") + "0");
  EXPECT_EQ(host.log[3], L("コピー失敗: ") + dir / "dst/gone.txt");
  EXPECT_EQ(host.log[4], L("コピー失敗。"));

  // A directory that is gone is not turned into an empty copy.
  host.log.clear();
  EXPECT_FALSE(engine.TransferFiles({dir / "src/gone/"}, dir / "dst", 2));
  EXPECT_EQ(host.log[3], L("移動失敗: ") + dir / "dst/gone/");
  EXPECT_FALSE(Exists(dir / "dst/gone"));

  // Nor is a directory whose entries cannot be listed.
  mkdir((dir / "src/D").c_str(), 0755);
  mkdir((dir / "src/D/E").c_str(), 0755);
  WriteFile(dir / "src/D/E/g", "unseen");
  WriteFile(dir / "src/D/f", "x");
  fs.unlistable = dir / "src/D/E/";
  host.log.clear();
  EXPECT_FALSE(engine.TransferFiles({dir / "src/D"}, dir / "dst", 1));
  EXPECT_EQ(std::vector<std::string>(host.log.begin() + 3, host.log.end()),
            (std::vector<std::string>{L("コピー失敗: ") + dir / "dst/D/E/", L("コピー失敗。")}));
  EXPECT_EQ(Names(dir / "dst/D"), std::vector<std::string>{});
}

TEST_F(TransferTest, ADirectoryNeverGoesIntoItself) {
  mkdir((dir / "src/D").c_str(), 0755);
  mkdir((dir / "src/D/E").c_str(), 0755);
  WriteFile(dir / "src/D/f", "x");
  EXPECT_FALSE(engine.TransferFiles({dir / "src/D/"}, dir / "src/D", 1));
  EXPECT_EQ(host.log[3], L("コピー失敗: ") + dir / "src/D/D/");
  EXPECT_EQ(host.log[4], L("フォルダをそれ自身の中には入れられません: ") + dir / "src/D");  // why
  EXPECT_FALSE(engine.TransferFiles({dir / "src/D"}, dir / "src/D/E/", 2));
  EXPECT_EQ(Names(dir / "src/D"), (std::vector<std::string>{"E", "f"}));
  EXPECT_TRUE(Names(dir / "src/D/E").empty());
  // A sibling whose name merely starts the same is no part of it.
  mkdir((dir / "src/DD").c_str(), 0755);
  EXPECT_TRUE(engine.TransferFiles({dir / "src/D"}, dir / "src/DD", 1));
}

TEST_F(TransferTest, MoveOnOneFileSystemRenamesAndLeavesSourceDirectories) {
  mkdir((dir / "src/D").c_str(), 0755);
  mkdir((dir / "src/D/E").c_str(), 0755);
  WriteFile(dir / "src/D/E/f", "payload");
  struct stat before {};
  stat((dir / "src/D/E/f").c_str(), &before);

  ASSERT_TRUE(engine.TransferFiles({dir / "src/D"}, dir / "dst", 2));
  struct stat after {};
  ASSERT_EQ(stat((dir / "dst/D/E/f").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // renamed, not copied
  EXPECT_TRUE(fs.blockLengths.empty());
  EXPECT_TRUE(Exists(dir / "src/D/E"));
  EXPECT_TRUE(Names(dir / "src/D/E").empty());
  EXPECT_EQ(host.log.back(), L("移動完了。"));
}

TEST_F(TransferTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  WriteFile(dir / "src/f", "payload");
  fs.crossFileSystem = true;
  ASSERT_TRUE(engine.TransferFiles({dir / "src/f"}, dir / "dst", 2));
  EXPECT_FALSE(fs.blockLengths.empty());
  EXPECT_EQ(ReadFile(dir / "dst/f"), "payload");
  EXPECT_FALSE(Exists(dir / "src/f"));
}

TEST_F(TransferTest, FailedCrossFileSystemMoveKeepsTheSource) {
  WritePatternFile(dir / "src/f", 3 << 20);
  fs.crossFileSystem = true;
  fs.failBlockAt = 1;
  EXPECT_FALSE(engine.TransferFiles({dir / "src/f"}, dir / "dst", 2));
  EXPECT_EQ(host.log[3], L("移動失敗: ") + dir / "dst/f");
  EXPECT_EQ(host.log[4], L("移動失敗。"));
  EXPECT_TRUE(Exists(dir / "src/f"));
  EXPECT_TRUE(Names(dir / "dst").empty());  // neither a partial target nor a temporary
}

TEST_F(TransferTest, CrossFileSystemMoveWhoseCopyComesOutShortKeepsTheSource) {
  WriteFile(dir / "src/f", "payload");
  fs.crossFileSystem = true;
  fs.shortCopy = true;
  EXPECT_FALSE(engine.TransferFiles({dir / "src/f"}, dir / "dst", 2));
  EXPECT_EQ(ReadFile(dir / "src/f"), "payload");
  EXPECT_TRUE(Names(dir / "dst").empty());  // a short copy never takes the target's name
}

TEST_F(TransferTest, RenameReportingCrossDeviceFallsBackToCopyAndDelete) {
  WriteFile(dir / "src/f", "payload");
  fs.renameHook = [&](std::string_view from, std::string_view) {
    return from == dir / "src/f" ? EXDEV : 0;
  };
  ASSERT_TRUE(engine.TransferFiles({dir / "src/f"}, dir / "dst", 2));
  EXPECT_EQ(ReadFile(dir / "dst/f"), "payload");
  EXPECT_FALSE(Exists(dir / "src/f"));
}

TEST_F(TransferTest, FailedSameFileSystemMoveKeepsTheOldTarget) {
  WriteFile(dir / "src/f", "new");
  WriteFile(dir / "dst/f", "old");
  fs.renameHook = [](std::string_view, std::string_view) { return EACCES; };
  questions.answers = {Answer::Yes};
  EXPECT_FALSE(engine.TransferFiles({dir / "src/f"}, dir / "dst", 2));
  EXPECT_EQ(ReadFile(dir / "dst/f"), "old");
  EXPECT_EQ(ReadFile(dir / "src/f"), "new");
}

TEST_F(TransferTest, MoveToARealSecondFileSystem) {
  struct stat shm {};
  struct stat here {};
  if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().c_str(), &here) != 0 || shm.st_dev == here.st_dev ||
      access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  char pattern[] = "/dev/shm/velkoran-fileops-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string other = std::string(pattern) + "/";
  WritePatternFile(other + "f", (1 << 20) + 5);
  chmod((other + "f").c_str(), 0640);
  FileOperationEngine real(host, questions);
  const bool moved = real.TransferFiles({other + "f"}, dir / "dst", 2);
  const bool sourceLeft = Exists(other + "f");
  RemoveTree(other.substr(0, other.size() - 1));
  ASSERT_TRUE(moved);
  EXPECT_FALSE(sourceLeft);
  EXPECT_EQ(ReadFile(dir / "dst/f").size(), (1u << 20) + 5);
  struct stat st {};
  stat((dir / "dst/f").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(TransferTest, LinksAreCopiedAsLinksAndTheirTargetsLeftAlone) {
  mkdir((dir / "outside").c_str(), 0755);
  WriteFile(dir / "outside/secret", "x");
  mkdir((dir / "src/D").c_str(), 0755);
  ASSERT_EQ(symlink("../../outside", (dir / "src/D/link").c_str()), 0);
  ASSERT_TRUE(engine.TransferFiles({dir / "src/D"}, dir / "dst", 1));
  char text[64] = {};
  ASSERT_GT(readlink((dir / "dst/D/link").c_str(), text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "../../outside");
  EXPECT_EQ(Names(dir / "dst/D"), (std::vector<std::string>{"link"}));

  // Moved as a link too.
  fs.crossFileSystem = true;
  ASSERT_TRUE(engine.TransferFiles({dir / "src/D/link"}, dir / "dst", 2));
  EXPECT_FALSE(Exists(dir / "src/D/link"));
  EXPECT_EQ(Names(dir / "outside"), (std::vector<std::string>{"secret"}));
}

TEST_F(TransferTest, WindowIsEnabledAgainWhenSomethingEscapes) {
  WriteFile(dir / "src/f", "x");
  host.onEvents = [] { throw std::runtime_error("boom"); };
  EXPECT_THROW(engine.TransferFiles({dir / "src"}, dir / "dst", 1), std::runtime_error);
  EXPECT_EQ(host.enabledStates, (std::vector<bool>{false, true}));
}

TEST_F(TransferTest, TotalsAreSixtyFourBit) {
  MakeSparseFile(dir / "src/huge", 5ull << 30);
  WriteFile(dir / "src/small", "");
  ASSERT_TRUE(engine.TransferFiles({dir / "src/huge", dir / "src/small"}, dir / "dst", 4));
  EXPECT_EQ(host.log[2], L("総サイズ：") + "5G");
  EXPECT_EQ(host.mainMaximum, (5ull << 30) / 1024);
  EXPECT_EQ(host.mainPosition, (5ull << 30) / 1024);
}

}  // namespace
}  // namespace velkoran::fileops::testing

namespace velkoran::fileops::testing {
namespace {

struct ConfirmOverwriteTest : EngineFixture {
  FileOperationEngine engine{host, questions};
};

TEST_F(ConfirmOverwriteTest, AsksOnlyWhenSomethingOfTheKindExists) {
  WriteFile(dir / "f", "x");
  mkdir((dir / "d").c_str(), 0755);
  // Nothing of the asked kind: go ahead without a question.
  EXPECT_TRUE(engine.ConfirmOverwrite(dir / "d", kOverwriteFile));
  EXPECT_TRUE(engine.ConfirmOverwrite(dir / "f", kOverwriteDirectory));
  EXPECT_TRUE(engine.ConfirmOverwrite(dir / "none", kOverwriteEither));
  EXPECT_TRUE(questions.asked.empty());

  // Either kind; a directory may be written with its separator.
  questions.answers = {platform::Answer::No, platform::Answer::No, platform::Answer::Closed};
  EXPECT_FALSE(engine.ConfirmOverwrite(dir / "d/", kOverwriteEither));
  EXPECT_FALSE(engine.ConfirmOverwrite(dir / "f", kOverwriteEither));
  // Any other kind asks even when nothing is there; closing the box refuses.
  EXPECT_FALSE(engine.ConfirmOverwrite(dir / "none", 9));
  EXPECT_EQ(questions.asked.size(), 3u);
  EXPECT_EQ(questions.asked[0].text.substr(0, (dir / "d/").size()), dir / "d/");
}

}  // namespace
}  // namespace velkoran::fileops::testing
