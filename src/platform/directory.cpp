#include "platform/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace velkoran::platform {
namespace {

std::string Terminated(std::string_view path) { return std::string(path); }

// Closes the directory stream however the enumeration ends.
struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir != nullptr) closedir(dir);
  }
};

}  // namespace

bool EnumerateDirectory(std::string_view dir, EnumDetail detail, EntryCallback callback, void* context) {
  const std::string path = dir.empty() ? std::string(".") : Terminated(dir);
  DIR* d = opendir(path.c_str());
  if (d == nullptr) return false;
  DirCloser closer{d};
  const int fd = dirfd(d);
  while (dirent* ent = readdir(d)) {
    const char* name = ent->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    DirEntry e;
    e.name = name;
    e.hidden = name[0] == '.';
    unsigned char type = ent->d_type;
    const bool needStat = detail == EnumDetail::Full || type == DT_UNKNOWN;
    if (needStat) {
      struct stat st {};
      if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode)) type = DT_DIR;
        else if (S_ISLNK(st.st_mode)) type = DT_LNK;
        else if (S_ISREG(st.st_mode)) type = DT_REG;
        else type = DT_FIFO;  // any special file: reported as neither directory, link nor regular
        if (!S_ISDIR(st.st_mode)) e.size = static_cast<std::uint64_t>(st.st_size);
        e.mtime = st.st_mtim.tv_sec;
      }
    }
    e.isDirectory = type == DT_DIR;
    e.isSymlink = type == DT_LNK;
    e.isRegularFile = type == DT_REG;
    if (!callback(context, e)) break;
  }
  return true;
}

PathKind KindOfPath(std::string_view path) {
  struct stat st {};
  if (lstat(Terminated(path).c_str(), &st) != 0) return PathKind::None;
  if (S_ISDIR(st.st_mode)) return PathKind::Directory;
  if (S_ISLNK(st.st_mode)) return PathKind::Symlink;
  if (S_ISREG(st.st_mode)) return PathKind::File;
  return PathKind::Other;
}

bool FileExists(std::string_view path) {
  const PathKind k = KindOfPath(path);
  return k == PathKind::File || k == PathKind::Symlink || k == PathKind::Other;
}

bool DirectoryExists(std::string_view path) {
  std::string p = Terminated(path);
  // "dir/" would make lstat follow a link named dir; look at the entry itself.
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return KindOfPath(p) == PathKind::Directory;
}

bool SizeOfPath(std::string_view path, std::uint64_t& size) {
  struct stat st {};
  if (lstat(Terminated(path).c_str(), &st) != 0) return false;
  size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool IsReadOnly(std::string_view path) {
  // Judged from the permission bits that apply to us, not from access(): the superuser may
  // write anything, yet a file marked read-only should stay protected from our own deletes
  // and overwrites, as the read-only attribute does on the target system.
  struct stat st {};
  if (lstat(Terminated(path).c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
  if (st.st_uid == geteuid()) return (st.st_mode & S_IWUSR) == 0;
  if (st.st_gid == getegid()) return (st.st_mode & S_IWGRP) == 0;
  return (st.st_mode & S_IWOTH) == 0;
}

}  // namespace velkoran::platform
