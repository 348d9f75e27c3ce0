// The trash: entries round-trip through info files that another tool (trash-cli's
// trash-list) reads back; names collide; read-only trashes and entries that hold their
// trash are refused; other file systems use the trash in their top directory. Other file
// systems are private tmpfs mounts in a mount namespace of this test process (needs the
// right to make one; the tests that need it are skipped without).
#include "platform/trash.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <regex>

#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/zone_scope.h"

namespace velkoran::platform {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

std::string Shell(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// What trash-list reports for the trash of this data home (and of every mounted volume).
std::string TrashList(const std::string& dataHome) {
  return Shell("XDG_DATA_HOME='" + dataHome + "' trash-list 2>&1");
}

bool Listed(const std::string& listing, const std::string& path) {
  const std::regex line("(^|\n)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d " +
                        std::regex_replace(path, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") + "(\n|$)");
  return std::regex_search(listing, line);
}

// A mount namespace of this process, made once; false where the system refuses one.
bool PrivateMounts() {
  static const bool ok = ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return ok;
}

// A file system of its own at dir, unmounted at the end.
class Volume {
 public:
  explicit Volume(std::string dir) : dir_(std::move(dir)) {
    MakeDirs(dir_);
    mounted_ = PrivateMounts() && ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=4m") == 0;
  }
  ~Volume() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  std::string dir_;
  bool mounted_ = false;
};

class TrashTest : public ::testing::Test {
 protected:
  TrashTest() : trash(TrashPlaces{dir / "data/Trash", ::getuid()}) { MakeDirs(dir / "work"); }

  std::string Info(const std::string& trashDir, const std::string& name) const {
    return ReadFile(trashDir + "/info/" + name + ".trashinfo");
  }

  ScratchDir dir;
  Trash trash;
};

TEST_F(TrashTest, RoundTripReadBackByAnotherTool) {
  WriteFile(dir / "work/a b.txt", "text");
  MakeDirs(dir / "work/folder/inner");
  WriteFile(dir / "work/folder/inner/f", "x");
  ASSERT_EQ(::symlink("/nonexistent", (dir / "work/dangling").c_str()), 0);
  WriteFile(dir / "work/名前.txt", "jp");

  for (const char* name : {"a b.txt", "folder/", "dangling", "名前.txt"}) {
    SCOPED_TRACE(name);
    const std::string path = dir / "work/" + name;
    ASSERT_EQ(trash.TrashDirFor(path), dir / "data/Trash");
    const TrashOutcome out = trash.MoveToTrash(path);
    ASSERT_EQ(out.result, TrashResult::Trashed) << out.error;
    EXPECT_FALSE(Exists(testing::NoSlash(path + (path.back() == '/' ? "" : "/"))));
    EXPECT_TRUE(Exists(out.trashDir + "/files/" + out.name));
    EXPECT_TRUE(std::regex_match(Info(out.trashDir, out.name),
                                 std::regex("\\[Trash Info\\]\nPath=/[^ ]+\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")));
  }
  EXPECT_EQ(ReadFile(dir / "data/Trash/files/folder/inner/f"), "x");
  const std::string listing = TrashList(dir / "data");
  for (const char* name : {"a b.txt", "folder", "dangling", "名前.txt"}) {
    EXPECT_TRUE(Listed(listing, dir / "work/" + name)) << name << " not in:\n" << listing;
  }
  // Nothing but info files in info/: the temporary copy is gone.
  EXPECT_EQ(Shell("ls -A '" + dir / "data/Trash/info" + "' | grep -vc '\\.trashinfo$'"), "0\n");
}

TEST_F(TrashTest, NameCollisions) {
  // Left by other programs: an entry without info, an info without entry.
  MakeDirs(dir / "data/Trash/files");
  MakeDirs(dir / "data/Trash/info");
  WriteFile(dir / "data/Trash/files/x.txt", "orphan");
  WriteFile(dir / "data/Trash/info/y.trashinfo", "[Trash Info]\nPath=/elsewhere/y\nDeletionDate=2020-01-01T00:00:00\n");
  const std::string longName(250, 'n');
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> names;  // the names its three trashings get
  };
  const Case cases[] = {
      {"entry without info", "x.txt", {"x.2.txt", "x.3.txt", "x.4.txt"}},
      {"info without entry", "y", {"y.2", "y.3", "y.4"}},
      {"hidden name", ".profile", {".profile", ".profile.2", ".profile.3"}},
      {"name too long for .trashinfo", longName, {std::string(245, 'n'), std::string(243, 'n') + ".2",
                                                  std::string(243, 'n') + ".3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      WriteFile(dir / "work/" + c.file, std::to_string(i));
      const TrashOutcome out = trash.MoveToTrash(dir / "work/" + c.file);
      ASSERT_EQ(out.result, TrashResult::Trashed) << out.error;
      EXPECT_EQ(out.name, c.names[i]);
      EXPECT_EQ(ReadFile(out.trashDir + "/files/" + out.name), std::to_string(i));
    }
  }
  EXPECT_EQ(ReadFile(dir / "data/Trash/files/x.txt"), "orphan");
  EXPECT_TRUE(Listed(TrashList(dir / "data"), dir / "work/" + longName));
}

TEST_F(TrashTest, EntriesThatHoldTheirTrashStay) {
  MakeDirs(dir / "data/Trash/files");
  WriteFile(dir / "data/Trash/files/old", "old");
  for (const std::string& path : {dir / "data", dir / "data/Trash", dir / "data/Trash/files/old"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(trash.TrashDirFor(path), std::nullopt);
    EXPECT_EQ(trash.MoveToTrash(path).result, TrashResult::NoTrash);
  }
  EXPECT_EQ(ReadFile(dir / "data/Trash/files/old"), "old");
  EXPECT_EQ(trash.MoveToTrash(dir / "work/missing").result, TrashResult::Failed);
}

TEST_F(TrashTest, ReadOnlyTrashIsRefusedAndLeavesNothing) {
  MakeDirs(dir / "data/Trash/files");
  MakeDirs(dir / "data/Trash/info");
  WriteFile(dir / "work/keep.txt", "keep");
  const std::string info = dir / "data/Trash/info";
  // The superuser passes every permission check; a read-only bind mount stops even it.
  bool readOnly = false;
  if (::geteuid() != 0) {
    readOnly = ::chmod(info.c_str(), 0500) == 0;
  } else if (PrivateMounts() && ::mount(info.c_str(), info.c_str(), nullptr, MS_BIND, nullptr) == 0) {
    readOnly = ::mount(nullptr, info.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  if (!readOnly) GTEST_SKIP() << "cannot make a read-only folder here";

  EXPECT_EQ(trash.TrashDirFor(dir / "work/keep.txt"), std::nullopt);
  const TrashOutcome out = trash.MoveToTrash(dir / "work/keep.txt");
  EXPECT_EQ(out.result, TrashResult::NoTrash);
  EXPECT_EQ(ReadFile(dir / "work/keep.txt"), "keep");
  EXPECT_EQ(Shell("ls -A '" + info + "' '" + dir / "data/Trash/files" + "'").find(".velkoran"), std::string::npos);
  if (::geteuid() == 0) ::umount2(info.c_str(), MNT_DETACH);
}

TEST_F(TrashTest, OtherFileSystemsUseTheTrashInTheirTopDirectory) {
  Volume volume(dir / "volume");
  if (!volume.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const std::string uid = std::to_string(::getuid());
  const std::string top = dir / "volume";

  // No shared trash: .Trash-$uid, made on demand, with paths relative to the top directory.
  MakeDirs(top + "/sub");
  WriteFile(top + "/sub/f.txt", "f");
  EXPECT_EQ(trash.TrashDirFor(top + "/sub/f.txt"), top + "/.Trash-" + uid);
  TrashOutcome out = trash.MoveToTrash(top + "/sub/f.txt");
  ASSERT_EQ(out.result, TrashResult::Trashed) << out.error;
  EXPECT_EQ(out.trashDir, top + "/.Trash-" + uid);
  EXPECT_NE(Info(out.trashDir, "f.txt").find("\nPath=sub/f.txt\n"), std::string::npos);
  EXPECT_TRUE(Listed(TrashList(dir / "data"), top + "/sub/f.txt"));

  // A shared .Trash counts only with the sticky bit.
  MakeDirs(top + "/.Trash");
  WriteFile(top + "/g", "g");
  EXPECT_EQ(trash.TrashDirFor(top + "/g"), top + "/.Trash-" + uid);
  ASSERT_EQ(::chmod((top + "/.Trash").c_str(), 01777), 0);
  EXPECT_EQ(trash.TrashDirFor(top + "/g"), top + "/.Trash/" + uid);
  out = trash.MoveToTrash(top + "/g");
  ASSERT_EQ(out.result, TrashResult::Trashed) << out.error;
  EXPECT_EQ(ReadFile(top + "/.Trash/" + uid + "/files/g"), "g");

  // A .Trash-$uid that is a link (someone else's folder) is not used.
  testing::RemoveTree(top + "/.Trash");
  testing::RemoveTree(top + "/.Trash-" + uid);
  MakeDirs(top + "/elsewhere");
  ASSERT_EQ(::symlink("elsewhere", (top + "/.Trash-" + uid).c_str()), 0);
  WriteFile(top + "/h", "h");
  EXPECT_EQ(trash.MoveToTrash(top + "/h").result, TrashResult::NoTrash);

  // A read-only file system has no usable trash.
  ASSERT_EQ(::mount(nullptr, top.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  EXPECT_EQ(trash.TrashDirFor(top + "/h"), std::nullopt);
  EXPECT_TRUE(Exists(top + "/h"));
}

TEST(TrashInfo, PathIsPercentEncodedAndDateIsLocal) {
  const testing::ZoneScope zone("UTC");
  EXPECT_EQ(TrashInfoText("/tmp/a b/%é", 86400 + 3661),
            "[Trash Info]\nPath=/tmp/a%20b/%25%C3%A9\nDeletionDate=1970-01-02T01:01:01\n");
}

}  // namespace
}  // namespace velkoran::platform
