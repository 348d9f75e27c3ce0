#include "platform/fileio.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace velkoran::platform {
namespace {

constexpr std::size_t kFallbackBufferSize = 1 << 20;
// Longest name most Linux file systems accept.
constexpr std::size_t kMaxNameLength = 255;

std::string Terminated(std::string_view path) { return std::string(path); }

void FillInfo(const struct stat& st, FileInfo& info) {
  if (S_ISDIR(st.st_mode)) info.kind = PathKind::Directory;
  else if (S_ISLNK(st.st_mode)) info.kind = PathKind::Symlink;
  else if (S_ISREG(st.st_mode)) info.kind = PathKind::File;
  else info.kind = PathKind::Other;
  info.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  info.mode = st.st_mode & 07777;
  info.type = st.st_mode & S_IFMT;
  info.device = st.st_dev;
  info.inode = st.st_ino;
  info.specialDevice = st.st_rdev;
  info.accessed = {st.st_atim.tv_sec, st.st_atim.tv_nsec};
  info.modified = {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

void ToTimespecs(const FileInfo& info, timespec (&times)[2]) {
  times[0].tv_sec = static_cast<time_t>(info.accessed.seconds);
  times[0].tv_nsec = static_cast<long>(info.accessed.nanoseconds);
  times[1].tv_sec = static_cast<time_t>(info.modified.seconds);
  times[1].tv_nsec = static_cast<long>(info.modified.nanoseconds);
}

int Result(int rc) { return rc == 0 ? 0 : errno; }

void AppendBase36(std::string& out, std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  char digits[16];
  int count = 0;
  do {
    digits[count++] = kDigits[value % 36];
    value /= 36;
  } while (value > 0);
  while (count > 0) out += digits[--count];
}

// Reads and writes through a buffer: for file systems without an in-kernel copy.
bool CopyThroughBuffer(File& in, File& out, std::uint64_t length, std::vector<char>& buffer) {
  if (buffer.size() < kFallbackBufferSize) buffer.resize(kFallbackBufferSize);
  while (length > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
    const std::int64_t got = in.Read(buffer.data(), want);
    if (got <= 0) return false;  // error, or the source ended early
    if (!out.WriteAll(buffer.data(), static_cast<std::size_t>(got))) return false;
    length -= static_cast<std::uint64_t>(got);
  }
  return true;
}

}  // namespace

int OpenRetrying(const std::string& path, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool StatNoFollow(std::string_view path, FileInfo& info) {
  struct stat st {};
  if (lstat(Terminated(path).c_str(), &st) != 0) return false;
  FillInfo(st, info);
  return true;
}

bool StatFollow(std::string_view path, FileInfo& info) {
  struct stat st {};
  if (stat(Terminated(path).c_str(), &st) != 0) return false;
  FillInfo(st, info);
  return true;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File File::OpenForReading(std::string_view path) { return OpenForReadingIn(WorkingDirectory(), path); }

bool File::Info(FileInfo& info) const {
  struct stat st {};
  if (fstat(fd_, &st) != 0) return false;
  FillInfo(st, info);
  return true;
}

std::int64_t File::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd_, data, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

bool File::WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool File::CopyModeAndTimes(const FileInfo& info) {
  const bool modeOk = SetMode(info.mode);
  const bool timesOk = SetTimes(info);
  return modeOk && timesOk;
}

bool File::SetMode(std::uint32_t mode) { return fchmod(fd_, static_cast<mode_t>(mode)) == 0; }

bool File::SetTimes(const FileInfo& info) {
  timespec times[2];
  ToTimespecs(info, times);
  return futimens(fd_, times) == 0;
}

bool File::EndPosition(std::uint64_t& size) {
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0) return false;
  size = static_cast<std::uint64_t>(end);
  return true;
}

bool File::Close() {
  if (fd_ < 0) return true;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0;
}

DirectoryHandle DirectoryHandle::Open(std::string_view path) {
  DirectoryHandle directory;
  // O_PATH: only a place to name entries from; reading and searching are checked per entry,
  // exactly as a whole path would be.
  directory.handle_ = File(OpenRetrying(path.empty() ? std::string(".") : Terminated(path),
                                        O_PATH | O_DIRECTORY | O_CLOEXEC));
  directory.path_ = path;
  if (!directory.path_.empty() && directory.path_.back() != '/') directory.path_ += '/';
  return directory;
}

int DirectoryHandle::Descriptor() const { return handle_.IsOpen() ? handle_.Descriptor() : AT_FDCWD; }

std::string DirectoryHandle::PathOf(std::string_view name) const {
  std::string path = path_;
  path += name;
  return path;
}

const DirectoryHandle& WorkingDirectory() {
  static const DirectoryHandle working;
  return working;
}

File OpenForReadingIn(const DirectoryHandle& directory, std::string_view name) {
  // O_NONBLOCK: a pipe put in a file's place must not hang the copy; regular files ignore it.
  return File(::openat(directory.Descriptor(), Terminated(name).c_str(),
                       O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK));
}

File OpenRegularFile(std::string_view path, int flags, int* error) {
  const auto fail = [&](int why) {
    if (error != nullptr) *error = why;
    return File();
  };
  const std::string p = Terminated(path);
  struct stat st {};
  const int statRc = (flags & O_NOFOLLOW) ? lstat(p.c_str(), &st) : stat(p.c_str(), &st);
  if (statRc != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(kNotRegularFile);
  // The entry can change between the look and the open: the descriptor decides.
  File file(OpenRetrying(p, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.IsOpen()) return fail(errno == ELOOP && (flags & O_NOFOLLOW) ? kNotRegularFile : errno);
  if (fstat(file.Descriptor(), &st) != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(kNotRegularFile);
  const int status = fcntl(file.Descriptor(), F_GETFL);
  if (status >= 0) fcntl(file.Descriptor(), F_SETFL, status & ~O_NONBLOCK);
  if (error != nullptr) *error = 0;
  return file;
}

bool ReadToEnd(File& file, std::string& bytes) {
  struct stat st {};
  if (fstat(file.Descriptor(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    bytes.reserve(bytes.size() + static_cast<std::size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    const std::int64_t n = file.Read(chunk, sizeof chunk);
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> ReadRegularFile(std::string_view path, int* error) {
  File file = OpenRegularFile(path, O_RDONLY, error);
  if (!file.IsOpen()) return std::nullopt;
  std::string bytes;
  if (!ReadToEnd(file, bytes)) {
    if (error != nullptr) *error = errno;
    return std::nullopt;
  }
  return bytes;
}

bool CopyBytes(File& in, File& out, std::uint64_t length, std::vector<char>& buffer) {
  while (length > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 30));
    const ssize_t n = copy_file_range(in.Descriptor(), nullptr, out.Descriptor(), nullptr, want, 0);
    if (n > 0) {
      length -= static_cast<std::uint64_t>(n);
      continue;
    }
    if (n == 0) return false;  // the source ended early
    if (errno == EINTR) continue;
    // No in-kernel copy between these two files: the positions have not moved, so the
    // rest goes through the buffer.
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ||
        errno == EPERM || errno == ETXTBSY) {
      return CopyThroughBuffer(in, out, length, buffer);
    }
    return false;
  }
  return true;
}

std::string TemporarySiblingName(std::string_view target) {
  std::string_view dir;
  std::string_view name = target;
  if (const auto slash = target.rfind('/'); slash != std::string_view::npos) {
    dir = target.substr(0, slash + 1);
    name = target.substr(slash + 1);
  }
  // Unique within the process by the counter and among running processes by the process id
  // (taken once: a system call per name is a tenth of a small file's copy); a clash with a
  // leftover of an earlier process or a forked child only makes the exclusive create retry.
  static std::atomic<std::uint64_t> counter{0};
  static const auto processId = static_cast<std::uint64_t>(getpid());
  std::string suffix = ".vk-";
  AppendBase36(suffix, processId);
  suffix += '-';
  AppendBase36(suffix, counter.fetch_add(1, std::memory_order_relaxed));
  // "." + name + suffix must stay a valid name; the name part is only a hint to the user.
  const std::size_t room = kMaxNameLength - 1 - suffix.size();
  if (name.size() > room) name = name.substr(0, room);
  std::string result(dir);
  result += '.';
  result += name;
  result += suffix;
  return result;
}

File CreateTemporarySibling(std::string_view target, std::string& path, std::uint32_t mode) {
  return CreateTemporarySibling(WorkingDirectory(), target, path, mode);
}

File CreateTemporarySibling(const DirectoryHandle& directory, std::string_view target, std::string& path,
                            std::uint32_t mode) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    path = TemporarySiblingName(target);
    const int fd = ::openat(directory.Descriptor(), path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                            static_cast<mode_t>(mode));
    if (fd >= 0) return File(fd);
    if (errno != EEXIST) break;
  }
  path.clear();
  return File();
}

int RenamePath(std::string_view from, std::string_view to) { return RenameIn(WorkingDirectory(), from, to); }

int RenameNoReplace(std::string_view from, std::string_view to) {
  return RenameNoReplaceIn(WorkingDirectory(), from, to);
}

int RenameIn(const DirectoryHandle& directory, std::string_view from, std::string_view to) {
  const int fd = directory.Descriptor();
  return Result(::renameat(fd, Terminated(from).c_str(), fd, Terminated(to).c_str()));
}

int RenameNoReplaceIn(const DirectoryHandle& directory, std::string_view from, std::string_view to) {
  const int fd = directory.Descriptor();
  return Result(::renameat2(fd, Terminated(from).c_str(), fd, Terminated(to).c_str(), RENAME_NOREPLACE));
}

int RemoveFilePath(std::string_view path) { return RemoveFileIn(WorkingDirectory(), path); }

int RemoveFileIn(const DirectoryHandle& directory, std::string_view name) {
  return Result(::unlinkat(directory.Descriptor(), Terminated(name).c_str(), 0));
}

int RemoveDirectoryPath(std::string_view path) { return Result(::rmdir(Terminated(path).c_str())); }

int MakeDirectoryPath(std::string_view path, std::uint32_t mode) {
  return Result(::mkdir(Terminated(path).c_str(), static_cast<mode_t>(mode)));
}

int MakeSymlink(std::string_view linkTarget, std::string_view linkPath) {
  return Result(::symlink(Terminated(linkTarget).c_str(), Terminated(linkPath).c_str()));
}

int MakeSpecialFile(std::string_view path, const FileInfo& info) {
  return Result(::mknod(Terminated(path).c_str(), static_cast<mode_t>(info.type | info.mode),
                        static_cast<dev_t>(info.specialDevice)));
}

bool ReadSymlink(std::string_view path, std::string& linkTarget) {
  const std::string p = Terminated(path);
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(p.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      linkTarget = std::move(buffer);
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

int SetTimesNoFollow(std::string_view path, const FileInfo& info) {
  timespec times[2];
  ToTimespecs(info, times);
  return Result(::utimensat(AT_FDCWD, Terminated(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

std::optional<std::uint32_t> ProcessUmask() {
  // umask() itself can only be read by setting it, which would race with other threads.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    std::uint32_t mask = 0;
    if (std::sscanf(line.c_str() + 6, "%o", &mask) != 1) return std::nullopt;
    return mask & 0777;
  }
  return std::nullopt;
}

bool CreatesWithPlainUmask(std::string_view directory) {
  const std::string path = directory.empty() ? std::string(".") : Terminated(directory);
  struct statfs fs {};
  if (::statfs(path.c_str(), &fs) != 0) return false;
  // File systems whose new files take the requested bits less the umask (or less a default
  // ACL); foreign and network file systems may apply rules of their own.
  switch (static_cast<unsigned long>(fs.f_type)) {
    case TMPFS_MAGIC:
    case EXT4_SUPER_MAGIC:  // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
      break;
    default:
      return false;
  }
  if (::getxattr(path.c_str(), "system.posix_acl_default", nullptr, 0) >= 0) return false;
  return errno == ENODATA || errno == EOPNOTSUPP;
}

std::string ErrorText(int error) {
  return error == kNotRegularFile ? std::string("not a regular file") : std::string(std::strerror(error));
}

}  // namespace velkoran::platform
