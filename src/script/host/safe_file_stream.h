// TSafeFileStream: the file handle behind a script's File object. The handle may be
// absent; every read, write and seek takes the stream's lock, so one stream may be shared
// with another thread.
//
// Open modes: access in the low two bits (0 read, 1 write), sharing in bits 4 to 7 (0x00
// exclusive, 0x20 others may read). Sharing is advisory on Linux: an open that lets others
// read takes a shared flock, every other open an exclusive one, so the program's own
// handles honour each other's modes; other programs are not stopped. (An exclusive lock of
// the byte-range kind would need write access, which a read-only exclusive open lacks.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrin {

// The stream's own error: an open that failed, or a read, write or seek without a handle.
class EFOpenError : public std::runtime_error {
 public:
  explicit EFOpenError(const std::string& message) : std::runtime_error(message) {}
};

namespace file_mode {
inline constexpr std::uint16_t kRead = 0x00;
inline constexpr std::uint16_t kWrite = 0x01;
inline constexpr std::uint16_t kAccessMask = 0x03;
inline constexpr std::uint16_t kShareExclusive = 0x00;
inline constexpr std::uint16_t kShareDenyWrite = 0x20;
inline constexpr std::uint16_t kShareMask = 0xF0;
}  // namespace file_mode

enum class SeekOrigin { Begin, Current, End };

class TSafeFileStream {
 public:
  TSafeFileStream() = default;
  ~TSafeFileStream() { Close(); }
  TSafeFileStream(const TSafeFileStream&) = delete;
  TSafeFileStream& operator=(const TSafeFileStream&) = delete;

  // Closes any handle, then opens path: a write open creates a missing file empty first;
  // an existing file is never truncated. Directories cannot be opened. EFOpenError when
  // the file cannot be opened or another of the program's handles forbids the mode.
  void Open(std::string_view path, std::uint16_t mode);
  // Closes the handle (nothing when there is none); Mode becomes 0.
  void Close() noexcept;
  bool IsOpen() const noexcept;

  // One read of at most count bytes at the position: the bytes read, 0 at the end or on
  // a failure.
  std::size_t Read(char* buffer, std::size_t count);
  // One write: the bytes written, 0 on a failure.
  std::size_t Write(const char* data, std::size_t count);
  // The new position, or -1 when the system refuses.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
  std::int64_t Position();
  std::int64_t Size();
  // Asks the system to write the file's buffers to disk; false when that failed.
  bool Flush();

  const std::string& FileName() const noexcept { return fileName_; }
  std::uint16_t Mode() const noexcept { return mode_; }

 private:
  int HandleOrThrow() const;

  mutable std::mutex lock_;
  std::string fileName_;
  std::uint16_t mode_ = 0;
  int handle_ = -1;
};

}  // namespace kestrin
