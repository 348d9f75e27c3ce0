#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"

namespace velkoran::fileops::testing {
namespace {

using platform::Answer;

struct DeleteTest : EngineFixture {
  FileOperationEngine engine{host, questions};
};

TEST_F(DeleteTest, EmptyListAsksNothing) {
  EXPECT_FALSE(engine.DeleteWithConfirmation({}));
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_TRUE(host.log.empty());
}

TEST_F(DeleteTest, QuestionListsElevenEntriesThenDots) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 12; ++i) paths.push_back("/p" + std::to_string(i));
  questions.answers = {Answer::No};
  EXPECT_FALSE(engine.DeleteWithConfirmation(paths));
  ASSERT_EQ(questions.asked.size(), 1u);
  std::string expected;
  for (int i = 1; i <= 11; ++i) expected += "/p" + std::to_string(i) + "\n";
  expected += L("・・・・") + "\n" + L("を削除しますか？") + "\n" + L("（12 項目）");
  EXPECT_EQ(questions.asked[0].text, expected);
  EXPECT_EQ(questions.asked[0].caption, L("削除確認"));
  EXPECT_TRUE(host.log.empty());

  // Eleven entries are all listed, without the dots.
  paths.pop_back();
  questions.answers = {Answer::No};
  engine.DeleteWithConfirmation(paths);
  EXPECT_EQ(questions.asked[1].text.find(L("・・・・")), std::string::npos);
}

TEST_F(DeleteTest, AnsweredNoOrClosedDeletesNothing) {
  WriteFile(dir / "f", "x");
  questions.answers = {Answer::No, Answer::Closed};
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "f"}));
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "f"}));
  EXPECT_TRUE(Exists(dir / "f"));
}

TEST_F(DeleteTest, DeletesFilesAndTreesAndLogsEachEntry) {
  WriteFile(dir / "f", "x");
  mkdir((dir / "T").c_str(), 0755);
  mkdir((dir / "T/U").c_str(), 0755);
  WriteFile(dir / "T/U/g", "y");
  WriteFile(dir / "T/.hidden", "z");
  questions.answers = {Answer::Yes};
  // The tree given without trailing separator, as a multi-selection puts it in a buffer.
  EXPECT_TRUE(engine.DeleteWithConfirmation({dir / "f", dir / "T"}));
  EXPECT_EQ(host.log, (std::vector<std::string>{L("削除:") + dir / "f", L("削除:") + dir / "T", L("削除成功")}));
  EXPECT_TRUE(Names(dir.Path()).empty());
  EXPECT_EQ(host.caption, dir / "T/");  // the last directory removed
}

TEST_F(DeleteTest, ReadOnlyFileAndOutsideLinkStopTheTreeAndNothingOutsideIsTouched) {
  mkdir((dir / "outside").c_str(), 0755);
  WriteFile(dir / "outside/keep", "precious");
  mkdir((dir / "T").c_str(), 0755);
  WriteFile(dir / "T/ro", "read only");
  MakeReadOnly(dir / "T/ro");
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "T/link").c_str()), 0);
  questions.answers = {Answer::Yes};

  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "T/"}));
  ASSERT_EQ(host.log.size(), 3u);
  EXPECT_EQ(host.log[0], L("削除:") + dir / "T/");
  EXPECT_EQ(host.log[1], L("削除失敗:") + dir / "T/ro");
  EXPECT_EQ(host.log[2], L("削除失敗"));
  EXPECT_TRUE(Exists(dir / "T/ro"));
  EXPECT_EQ(ReadFile(dir / "outside/keep"), "precious");
}

TEST_F(DeleteTest, LinkToADirectoryIsDeletedAsALink) {
  mkdir((dir / "outside").c_str(), 0755);
  WriteFile(dir / "outside/keep", "precious");
  mkdir((dir / "T").c_str(), 0755);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "T/link").c_str()), 0);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "toplink").c_str()), 0);
  ASSERT_EQ(symlink("/", (dir / "rootlink").c_str()), 0);
  questions.answers = {Answer::Yes};
  // The links written in directory form, as the tree adds them to a buffer.
  EXPECT_TRUE(engine.DeleteWithConfirmation({dir / "toplink/", dir / "T/", dir / "rootlink/"}));
  EXPECT_FALSE(Exists(dir / "toplink"));
  EXPECT_FALSE(Exists(dir / "rootlink"));
  EXPECT_FALSE(Exists(dir / "T"));
  EXPECT_EQ(Names(dir / "outside"), (std::vector<std::string>{"keep"}));
}

TEST_F(DeleteTest, AfterAFailureLaterTreesAreNotEmptiedButLaterFilesStillGo) {
  mkdir((dir / "A").c_str(), 0755);
  WriteFile(dir / "A/ro", "x");
  MakeReadOnly(dir / "A/ro");
  mkdir((dir / "B").c_str(), 0755);
  WriteFile(dir / "B/f", "x");
  WriteFile(dir / "c", "x");
  questions.answers = {Answer::Yes};
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "A/", dir / "B/", dir / "c"}));
  EXPECT_TRUE(Exists(dir / "B/f"));
  EXPECT_FALSE(Exists(dir / "c"));
  EXPECT_EQ(host.log[2], L("削除:") + dir / "B/");
  EXPECT_EQ(host.log[3], L("削除失敗:") + dir / "B/");  // B was not emptied, so it cannot go
  EXPECT_EQ(host.log[4], L("削除:") + dir / "c");
}

TEST_F(DeleteTest, ReadOnlyTopLevelFileFailsWithoutALineOfItsOwn) {
  WriteFile(dir / "ro", "x");
  MakeReadOnly(dir / "ro");
  questions.answers = {Answer::Yes};
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "ro"}));
  EXPECT_EQ(host.log, (std::vector<std::string>{L("削除:") + dir / "ro", L("削除失敗")}));
  EXPECT_TRUE(Exists(dir / "ro"));
}

TEST_F(DeleteTest, MissingEntryTheRootAndAnEmptyEntryFail) {
  questions.answers = {Answer::Yes};
  // An empty entry (a blank line in a saved buffer) must not become "/".
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "gone", "/", "", "//"}));
  EXPECT_EQ(host.log, (std::vector<std::string>{L("削除:") + dir / "gone", L("削除失敗:") + dir / "gone/",
                                                 L("削除:") + "/", L("削除失敗:") + "/", L("削除:"), L("削除失敗:"),
                                                 L("削除:") + "//", L("削除失敗:") + "//", L("削除失敗")}));
  EXPECT_FALSE(engine.DeleteDirectoryTree(""));
  EXPECT_FALSE(engine.DeleteDirectoryTree("/"));
  EXPECT_FALSE(engine.DeleteDirectoryTree(dir / "../../../../../../../.."));
}

TEST_F(DeleteTest, DeleteDirectoryTreeOnItsOwn) {
  mkdir((dir / "T").c_str(), 0755);
  WriteFile(dir / "T/f", "x");
  EXPECT_TRUE(engine.DeleteDirectoryTree(dir / "T"));
  EXPECT_FALSE(Exists(dir / "T"));
}

// ---- To the trash ---------------------------------------------------------------------

// The real trash in the scratch folder, except that entries whose name starts with "stay"
// find no trash, and those starting with "late" lose theirs after the question.
class TestTrash : public platform::Trash {
 public:
  explicit TestTrash(const std::string& home) : Trash(platform::TrashPlaces{home, ::getuid()}) {}
  std::optional<std::string> TrashDirFor(std::string_view path) const override {
    if (Name(path).starts_with("stay")) return std::nullopt;
    return Trash::TrashDirFor(path);
  }
  platform::TrashOutcome MoveToTrash(std::string_view path) override {
    if (Name(path).starts_with("late")) return {platform::TrashResult::NoTrash, 0, {}, {}};
    return Trash::MoveToTrash(path);
  }

 private:
  static std::string_view Name(std::string_view path) { return path.substr(path.rfind('/') + 1); }
};

struct TrashDeleteTest : DeleteTest {
  TrashDeleteTest() { engine.UseTrash(trash); }
  TestTrash trash{dir / "Trash"};
};

TEST_F(TrashDeleteTest, QuestionTellsWhatGoesToTheTrashAndWhatIsDeletedForGood) {
  struct Case {
    const char* name;
    std::vector<std::string> entries;
    const char* question;  // after the listed entries
    std::vector<std::string> trashed;
  };
  const Case cases[] = {
      {"all to the trash", {"a", "dir/"}, "をごみ箱に移動しますか？\n（2 項目。フォルダ 1 個は中身ごとごみ箱に移動します）",
       {"a", "dir"}},
      {"no trash for any", {"stay1"}, "を削除しますか？\nごみ箱を使えないため、完全に削除します。\n（1 項目）", {}},
      {"no trash for some", {"b", "stay2"},
       "をごみ箱に移動しますか？\nごみ箱を使えないため、次の項目は完全に削除します:\n{stay2}\n（2 項目）", {"b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(dir / "Trash");
    std::vector<std::string> paths;
    for (const std::string& entry : c.entries) {
      if (entry.back() == '/') {
        mkdir((dir / entry).c_str(), 0755);
        WriteFile(dir / entry + "inside", "i");
      } else {
        WriteFile(dir / entry, "x");
      }
      paths.push_back(dir / entry);
    }
    questions.asked.clear();
    questions.answers = {Answer::Yes};
    EXPECT_TRUE(engine.DeleteWithConfirmation(paths, DeleteMode::ToTrash));
    std::string expected;
    for (const std::string& path : paths) expected += path + "\n";
    std::string question = L(c.question);
    if (const std::size_t at = question.find("{stay2}"); at != std::string::npos) {
      question.replace(at, 7, dir / "stay2");
    }
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0].text, expected + question);
    for (const std::string& entry : c.entries) {
      EXPECT_FALSE(Exists(velkoran::testing::NoSlash(dir / entry + "/"))) << entry;
    }
    EXPECT_EQ(Names(dir / "Trash/files"), c.trashed);
    if (c.entries.back() == "dir/") {
      EXPECT_EQ(ReadFile(dir / "Trash/files/dir/inside"), "i");
    }
  }
}

TEST_F(TrashDeleteTest, LogsEachMoveAndKeepsWhatCouldNotGo) {
  WriteFile(dir / "a", "x");
  WriteFile(dir / "late", "y");
  questions.answers = {Answer::Yes};
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "a", dir / "late", dir / "gone"}, DeleteMode::ToTrash));
  ASSERT_EQ(host.log.size(), 6u);
  EXPECT_EQ(host.log[0], L("ごみ箱へ移動:") + dir / "a");
  EXPECT_EQ(host.log[1], L("ごみ箱へ移動:") + dir / "late");
  EXPECT_EQ(host.log[2], L("ごみ箱を使えません:") + dir / "late");
  EXPECT_EQ(host.log[3], L("ごみ箱へ移動:") + dir / "gone");
  EXPECT_TRUE(host.log[4].starts_with(L("ごみ箱への移動失敗:") + dir / "gone (")) << host.log[4];
  EXPECT_EQ(host.log[5], L("削除失敗"));
  EXPECT_EQ(ReadFile(dir / "late"), "y");
  EXPECT_EQ(Names(dir / "Trash/files"), std::vector<std::string>{"a"});
}

TEST_F(TrashDeleteTest, AnsweredNoMovesNothing) {
  WriteFile(dir / "a", "x");
  questions.answers = {Answer::No};
  EXPECT_FALSE(engine.DeleteWithConfirmation({dir / "a"}, DeleteMode::ToTrash));
  EXPECT_TRUE(Exists(dir / "a"));
  EXPECT_TRUE(host.log.empty());
}

}  // namespace
}  // namespace velkoran::fileops::testing
