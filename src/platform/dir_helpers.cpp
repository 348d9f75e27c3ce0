#include "platform/dir_helpers.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace velkoran::platform {
namespace {

bool IsDirectoryFollowing(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool ForceDirectory(std::string_view path, const PathRules& rules) {
  if (rules.style() == PathStyle::Windows && path.size() > 3 && path.substr(3).find(':') != std::string_view::npos) {
    return false;
  }
  std::string dir = rules.RemoveTrailingSeparator(path);
  // The root keeps its separator: "/" is a directory, "" is nothing.
  if (dir.empty() || rules.IsRoot(path)) dir = std::string(path);
  if (dir.empty()) return false;
  if (!rules.IsRoot(dir)) {
    const std::string parent = rules.ParentPath(dir);
    if (!parent.empty() && parent != dir && !IsDirectoryFollowing(parent)) ForceDirectory(parent, rules);
  }
  ::mkdir(dir.c_str(), 0777);
  return IsDirectoryFollowing(dir);
}

int RenameEntry(std::string_view from, std::string_view to, RenameMode mode) {
  const std::string a(from);
  const std::string b(to);
  if (mode == RenameMode::NoReplace) {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // The file system cannot rename without replacing: check first (a small race remains).
    struct stat st {};
    if (::lstat(b.c_str(), &st) == 0) return EEXIST;
  }
  return ::rename(a.c_str(), b.c_str()) == 0 ? 0 : errno;
}

}  // namespace velkoran::platform
