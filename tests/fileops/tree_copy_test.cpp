// Copies into directories the transfer makes itself: nothing is asked or checked before each
// file there, so these cases pin what must hold all the same.
#include <gtest/gtest.h>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "fakes.h"
#include "recording_file_system.h"

namespace velkoran::fileops::testing {
namespace {

using platform::Answer;

struct TreeCopyTest : EngineFixture {
  RecordingFileSystem fs;
  FileOperationEngine engine{host, questions, fs};

  void SetUp() override {
    mkdir((dir / "src").c_str(), 0755);
    mkdir((dir / "dst").c_str(), 0755);
  }
};

// Restores the process's umask however the test ends.
class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : old_(umask(mask)) {}
  UmaskScope(const UmaskScope&) = delete;
  UmaskScope& operator=(const UmaskScope&) = delete;
  ~UmaskScope() { umask(old_); }

 private:
  mode_t old_;
};

TEST_F(TreeCopyTest, EveryFileKeepsItsPermissionBitsAndTimesWhateverTheUmask) {
  const mode_t modes[] = {0600, 0644, 0755, 0444, 0666, 04755, 02750};
  for (std::size_t i = 0; i < std::size(modes); ++i) {
    const std::string path = dir / ("src/f" + std::to_string(i));
    WriteFile(path, "data " + std::to_string(i));
    ASSERT_EQ(chmod(path.c_str(), modes[i]), 0);
    const timespec times[2] = {{1000000000, 5}, {1234567890, static_cast<long>(100000000 + i)}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}}) {
    SCOPED_TRACE(mask);
    UmaskScope scope(mask);
    const std::string into = dir / ("dst/" + std::to_string(mask));
    ASSERT_EQ(mkdir(into.c_str(), 0755), 0);
    fs.noReplaceRenames = 0;
    ASSERT_TRUE(engine.TransferFiles({dir / "src"}, into, kOperationCopy));
    EXPECT_EQ(fs.noReplaceRenames, static_cast<int>(std::size(modes)));  // all went the made-directory way
    for (std::size_t i = 0; i < std::size(modes); ++i) {
      SCOPED_TRACE(i);
      struct stat st {};
      ASSERT_EQ(stat((into + "/src/f" + std::to_string(i)).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, modes[i]);
      EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
      EXPECT_EQ(st.st_mtim.tv_nsec, static_cast<long>(100000000 + i));
      EXPECT_EQ(ReadFile(into + "/src/f" + std::to_string(i)), "data " + std::to_string(i));
    }
  }
}

TEST_F(TreeCopyTest, FilesKeepTheirPermissionBitsUnderADefaultAcl) {
  // A default ACL takes the umask's place for new files: user rwx, group rwx, other nothing
  // would leave a copy of a 0644 file at 0640.
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  struct {
    std::uint32_t version = 2;
    Entry entries[3] = {{0x01, 7, ~0u}, {0x04, 7, ~0u}, {0x20, 0, ~0u}};
  } acl;
  if (setxattr((dir / "dst").c_str(), "system.posix_acl_default", &acl, sizeof acl, 0) != 0) {
    GTEST_SKIP() << "no default ACLs here";
  }
  const mode_t modes[] = {0644, 0604, 0755};
  for (std::size_t i = 0; i < std::size(modes); ++i) {
    WriteFile(dir / ("src/f" + std::to_string(i)), "x");
    ASSERT_EQ(chmod((dir / ("src/f" + std::to_string(i))).c_str(), modes[i]), 0);
  }
  ASSERT_TRUE(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy));
  for (std::size_t i = 0; i < std::size(modes); ++i) {
    SCOPED_TRACE(i);
    struct stat st {};
    ASSERT_EQ(stat((dir / ("dst/src/f" + std::to_string(i))).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, modes[i]);
  }
}

TEST_F(TreeCopyTest, AnEntryAppearingThereDuringTheCopyIsAskedAboutAndProtected) {
  const struct {
    const char* name;
    Answer answer;
    bool readOnly;
    bool succeeds;
    const char* left;
  } cases[] = {
      {"replaced on yes", Answer::Yes, false, true, "new"},
      {"kept on no", Answer::No, false, false, "other"},
      {"read-only kept on yes", Answer::Yes, true, false, "other"},
  };
  WriteFile(dir / "src/f", "new");
  // Alone, f is copied by whole paths; after three other files, through directory handles.
  for (const std::vector<std::string>& before : {std::vector<std::string>{}, {"a", "b", "c"}}) {
    for (const std::string& other : before) WriteFile(dir / ("src/" + other), other);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (before.empty() ? " alone" : " after others"));
      RemoveTree(dir / "dst/src");
      questions.asked.clear();
      questions.answers = {c.answer};
      // Another program puts a file at the target while the copy is on its way.
      bool appeared = false;
      fs.renameHook = [&](std::string_view, std::string_view to) {
        if (to == dir / "dst/src/f" && !appeared) {
          appeared = true;
          WriteFile(dir / "dst/src/f", "other");
          if (c.readOnly) MakeReadOnly(dir / "dst/src/f");
        }
        return 0;
      };
      EXPECT_EQ(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy), c.succeeds);
      EXPECT_EQ(questions.asked.size(), 1u);
      EXPECT_EQ(ReadFile(dir / "dst/src/f"), c.left);
      std::vector<std::string> left = before;
      left.push_back("f");
      EXPECT_EQ(Names(dir / "dst/src"), left);  // no temporary left
    }
  }
}

TEST_F(TreeCopyTest, FilesOfInterleavedDirectoriesLandInTheirOwn) {
  // The plan's order (by length) visits a, bb, a again and bb again; each stretch is long
  // enough for directory handles.
  std::vector<std::string> files;
  for (const char* d : {"a", "bb"}) {
    mkdir((dir / "src/" + d).c_str(), 0755);
    for (const char* f : {"f1", "f2", "f3", "long1", "long2", "long3"}) files.push_back(std::string(d) + "/" + f);
  }
  for (const std::string& f : files) WriteFile(dir / "src/" + f, f);
  ASSERT_TRUE(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy));
  for (const std::string& f : files) EXPECT_EQ(ReadFile(dir / "dst/src/" + f), f);
  EXPECT_EQ(Names(dir / "dst/src/a").size(), 6u);
  EXPECT_EQ(Names(dir / "dst/src/bb").size(), 6u);
}

TEST_F(TreeCopyTest, ADirectoryWithoutAHandleIsCopiedByWholePaths) {
  mkdir((dir / "src/d").c_str(), 0755);
  const std::vector<std::string> names = {"f1", "f2", "f3", "f4"};  // enough for handles
  for (const std::string& name : names) {
    WriteFile(dir / ("src/d/" + name), "payload " + name);
    ASSERT_EQ(chmod((dir / ("src/d/" + name)).c_str(), 0640), 0);
  }
  for (const char* side : {"src/d/", "dst/src/d/"}) {
    SCOPED_TRACE(side);
    RemoveTree(dir / "dst/src");
    fs.unopenable = dir / side;
    fs.openedDirectories.clear();
    ASSERT_TRUE(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy));
    EXPECT_NE(std::find(fs.openedDirectories.begin(), fs.openedDirectories.end(), fs.unopenable),
              fs.openedDirectories.end());
    EXPECT_EQ(Names(dir / "dst/src/d"), names);
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      EXPECT_EQ(ReadFile(dir / ("dst/src/d/" + name)), "payload " + name);
      struct stat st {};
      ASSERT_EQ(stat((dir / ("dst/src/d/" + name)).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
  }
}

TEST_F(TreeCopyTest, AFailedOrShortCopyLeavesNothingBehind) {
  mkdir((dir / "src/d").c_str(), 0755);
  for (const char* name : {"f1", "f2", "f3"}) WriteFile(dir / "src/d/" + name, "payload");  // through handles
  for (const bool shortCopy : {false, true}) {
    SCOPED_TRACE(shortCopy ? "copy comes out a byte short" : "block copy fails");
    RemoveTree(dir / "dst/src");
    fs.failBlockAt = shortCopy ? -1 : 0;
    fs.shortCopy = shortCopy;
    EXPECT_FALSE(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy));
    EXPECT_TRUE(Names(dir / "dst/src/d").empty());
  }
}

TEST_F(TreeCopyTest, AFileThatBecameAPipeOrALinkAfterPlanningIsCopiedAsWhatItIsNow) {
  WriteFile(dir / "src/pipe", "was a file");
  WriteFile(dir / "src/link", "was a file");
  bool swapped = false;
  host.onEvents = [&] {
    // Once the target directory exists the plan is made; change the sources under it.
    if (swapped || !Exists(dir / "dst/src")) return;
    swapped = true;
    unlink((dir / "src/pipe").c_str());
    unlink((dir / "src/link").c_str());
    ASSERT_EQ(mkfifo((dir / "src/pipe").c_str(), 0640), 0);
    ASSERT_EQ(symlink("elsewhere", (dir / "src/link").c_str()), 0);
  };
  ASSERT_TRUE(engine.TransferFiles({dir / "src"}, dir / "dst", kOperationCopy));  // and never waits on the pipe
  struct stat st {};
  ASSERT_EQ(lstat((dir / "dst/src/pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(lstat((dir / "dst/src/link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
}  // namespace velkoran::fileops::testing
