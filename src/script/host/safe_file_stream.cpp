#include "script/host/safe_file_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/fileio.h"

namespace kestrin {
namespace {

using velkoran::platform::OpenRetrying;

// The text the stream raises when used without a handle ("file %s cannot be opened"),
// filled with the stream's class name.
std::string NoHandleMessage() {
  return velkoran::platform::FromUtf8("ファイル TSafeFileStream は開けません");
}

}  // namespace

void TSafeFileStream::Open(std::string_view path, std::uint16_t mode) {
  std::lock_guard<std::mutex> guard(lock_);
  if (handle_ >= 0) {
    ::close(handle_);
    handle_ = -1;
  }
  fileName_ = std::string(path);
  mode_ = mode;
  const bool write = (mode & file_mode::kAccessMask) == file_mode::kWrite;
  const bool shareRead = (mode & file_mode::kShareMask) == file_mode::kShareDenyWrite;

  auto fail = [&](const std::string& why) {
    mode_ = 0;
    throw EFOpenError("cannot open " + fileName_ + ": " + why);
  };
  if (fileName_.empty()) fail("empty file name");

  if (write) {
    struct stat st {};
    if (::stat(fileName_.c_str(), &st) != 0 && errno == ENOENT) {
      // Create it empty first; a file made in between by someone else is left as it is.
      const int created = OpenRetrying(fileName_, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
      if (created < 0) fail(std::strerror(errno));
      ::close(created);
    }
  }

  // Non-blocking so that opening a pipe never hangs; cleared once open.
  const int fd = OpenRetrying(fileName_, (write ? O_WRONLY : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) fail(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    fail("is a directory");
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

  // Only our own handles see these locks. A file system without flock support is used
  // without them rather than refused.
  const int lockKind = (!write && shareRead) ? LOCK_SH : LOCK_EX;
  if (::flock(fd, lockKind | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    fail("in use by another open file");
  }
  handle_ = fd;
}

void TSafeFileStream::Close() noexcept {
  std::lock_guard<std::mutex> guard(lock_);
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
  mode_ = 0;
}

bool TSafeFileStream::IsOpen() const noexcept {
  std::lock_guard<std::mutex> guard(lock_);
  return handle_ >= 0;
}

int TSafeFileStream::HandleOrThrow() const {
  if (handle_ < 0) throw EFOpenError(NoHandleMessage());
  return handle_;
}

std::size_t TSafeFileStream::Read(char* buffer, std::size_t count) {
  std::lock_guard<std::mutex> guard(lock_);
  const int fd = HandleOrThrow();
  ssize_t n;
  do {
    n = ::read(fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t TSafeFileStream::Write(const char* data, std::size_t count) {
  std::lock_guard<std::mutex> guard(lock_);
  const int fd = HandleOrThrow();
  ssize_t n;
  do {
    n = ::write(fd, data, count);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::int64_t TSafeFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::lock_guard<std::mutex> guard(lock_);
  const int fd = HandleOrThrow();
  const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  const off_t pos = ::lseek(fd, static_cast<off_t>(offset), whence);
  return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

std::int64_t TSafeFileStream::Position() { return Seek(0, SeekOrigin::Current); }

std::int64_t TSafeFileStream::Size() {
  std::lock_guard<std::mutex> guard(lock_);
  const int fd = HandleOrThrow();
  struct stat st {};
  if (::fstat(fd, &st) != 0) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

bool TSafeFileStream::Flush() {
  std::lock_guard<std::mutex> guard(lock_);
  if (handle_ < 0) return false;
  return ::fsync(handle_) == 0;
}

}  // namespace kestrin
