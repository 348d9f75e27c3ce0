#include "script/host/host_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/dir_helpers.h"
#include "platform/directory.h"
#include "platform/fileio.h"

namespace kestrin::host {
namespace pf = velkoran::platform;
using pf::OpenRetrying;

namespace {

std::string Z(std::string_view s) { return std::string(s); }

// The path a write should go to: a link's final target, or the path itself.
std::optional<std::string> ResolveForWriting(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string resolved(real);
  ::free(real);
  return resolved;
}

// Whether another of our handles holds fd's file so that a lock of this kind is refused.
bool LockRefused(int fd, bool exclusive) {
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  ::flock(fd, LOCK_UN);
  return false;
}

// A fresh hidden sibling of target, created empty with the given permission bits.
pf::File CreateSibling(const std::string& target, std::string& tempPath, mode_t mode) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = pf::TemporarySiblingName(target);
    const int fd = OpenRetrying(tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) return pf::File(fd);
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return pf::File();
}

// Copies the open source (described by info) into a new temporary sibling of target;
// tempPath names it on success.
bool CopyToSibling(pf::File& source, const pf::FileInfo& info, const std::string& target, std::string& tempPath) {
  pf::File out = CreateSibling(target, tempPath, 0600);
  if (!out.IsOpen()) return false;
  std::vector<char> buffer;
  bool ok = pf::CopyBytes(source, out, info.size, buffer);
  if (ok) {
    out.CopyModeAndTimes(info);
    ok = out.Close();
  }
  if (!ok) {
    ::unlink(tempPath.c_str());
    tempPath.clear();
  }
  return ok;
}

}  // namespace

bool IsExistingFile(std::string_view path) {
  struct stat st {};
  return !path.empty() && ::stat(Z(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsExistingDirectory(std::string_view path) {
  struct stat st {};
  return !path.empty() && ::stat(Z(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> FileModifiedTime(std::string_view path) {
  struct stat st {};
  if (path.empty() || ::stat(Z(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool IsLockedByOpenFile(std::string_view path, bool exclusive) {
  const int fd = OpenRetrying(Z(path), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const bool refused = LockRefused(fd, exclusive);
  ::close(fd);
  return refused;
}

bool CopyFileReplacing(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  pf::File source = pf::OpenRegularFile(from, O_RDONLY);
  if (!source.IsOpen()) return false;
  pf::FileInfo info;
  struct stat sourceStat {};
  if (!source.Info(info) || ::fstat(source.Descriptor(), &sourceStat) != 0) return false;
  if (LockRefused(source.Descriptor(), false)) return false;

  const auto target = ResolveForWriting(Z(to));
  if (!target) return false;
  struct stat targetStat {};
  if (::stat(target->c_str(), &targetStat) == 0) {
    if (!S_ISREG(targetStat.st_mode)) return false;
    if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) return false;
    if (pf::IsReadOnly(*target) || IsLockedByOpenFile(*target, true)) return false;
  }
  // Hold a shared lock while copying, so none of our handles opens it exclusively midway.
  ::flock(source.Descriptor(), LOCK_SH | LOCK_NB);
  std::string temp;
  if (!CopyToSibling(source, info, *target, temp)) return false;
  if (::rename(temp.c_str(), target->c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool MoveFileNoReplace(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  const std::string source = Z(from);
  const std::string target = Z(to);
  struct stat st {};
  if (::lstat(source.c_str(), &st) != 0) return false;
  if (S_ISREG(st.st_mode) && IsLockedByOpenFile(source, true)) return false;
  const int rc = pf::RenameEntry(source, target, pf::RenameMode::NoReplace);
  if (rc == 0) return true;
  if (rc != EXDEV || !S_ISREG(st.st_mode)) return false;

  // Another file system: copy beside the target, put it in place without replacing
  // anything, and only then delete the source.
  pf::File in = pf::OpenRegularFile(source, O_RDONLY | O_NOFOLLOW);
  pf::FileInfo info;
  if (!in.IsOpen() || !in.Info(info)) return false;
  std::string temp;
  if (!CopyToSibling(in, info, target, temp)) return false;
  if (pf::RenameEntry(temp, target, pf::RenameMode::NoReplace) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  if (::unlink(source.c_str()) != 0) {
    // Keep exactly one copy: the move did not happen.
    ::unlink(target.c_str());
    return false;
  }
  return true;
}

bool DeleteFile(std::string_view path) {
  if (path.empty()) return false;
  const std::string p = Z(path);
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (pf::IsReadOnly(p)) return false;
  if (S_ISREG(st.st_mode) && IsLockedByOpenFile(p, true)) return false;
  return ::unlink(p.c_str()) == 0;
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  if (path.empty()) return std::nullopt;
  pf::File in = pf::OpenRegularFile(path, O_RDONLY);
  if (!in.IsOpen() || LockRefused(in.Descriptor(), false)) return std::nullopt;
  std::string bytes;
  if (!pf::ReadToEnd(in, bytes)) return std::nullopt;
  return bytes;
}

bool WriteFileAtomically(std::string_view path, std::string_view bytes) {
  if (path.empty()) return false;
  const auto target = ResolveForWriting(Z(path));
  if (!target) return false;
  struct stat st {};
  const bool exists = ::stat(target->c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return false;
  if (exists && !S_ISREG(st.st_mode)) {
    // Without waiting: a pipe that nobody reads refuses the open instead of hanging.
    pf::File out(OpenRetrying(*target, O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!out.IsOpen()) return false;
    const int status = ::fcntl(out.Descriptor(), F_GETFL);
    if (status >= 0) ::fcntl(out.Descriptor(), F_SETFL, status & ~O_NONBLOCK);
    return out.WriteAll(bytes.data(), bytes.size()) && out.Close();
  }
  if (exists && (pf::IsReadOnly(*target) || IsLockedByOpenFile(*target, true))) return false;

  std::string temp;
  // A new file gets the usual bits less the umask; a replaced one keeps its own.
  pf::File out = CreateSibling(*target, temp, exists ? 0600 : 0666);
  if (!out.IsOpen()) return false;
  bool ok = out.WriteAll(bytes.data(), bytes.size());
  if (ok && exists) {
    ::fchmod(out.Descriptor(), st.st_mode & 07777);
    if (::fchown(out.Descriptor(), st.st_uid, st.st_gid) != 0) {
      // Only the superuser may give a file away; the content matters more than the owner.
    }
  }
  ok = ok && ::fsync(out.Descriptor()) == 0;
  ok = out.Close() && ok;
  if (ok) ok = ::rename(temp.c_str(), target->c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace kestrin::host
