// Named mutexes shared between processes.
//
// A named mutex is one lock file per name in $XDG_RUNTIME_DIR (else a private folder in
// /tmp). Ownership is an exclusive flock on that file, which the system drops when the
// owning process dies, so a crashed holder never blocks the others for good. Every open
// handle also holds a shared byte-range lock on the file's first byte; a new handle that
// cannot take that byte exclusively knows another live handle exists ("existed").
//
// Ownership belongs to a thread, as on the system the scripts were written for: the
// owning thread may lock again (each lock then needs its own unlock), and handles of one
// name in one process share one owner. The last handle of a name in this process closes
// the lock file, which releases a lock still held. A mutex without a name is private to
// its handle.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkoran::platform {

class NamedMutex {
 public:
  struct Shared;

  NamedMutex() = default;
  NamedMutex(NamedMutex&&) noexcept = default;
  NamedMutex& operator=(NamedMutex&& other) noexcept;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  ~NamedMutex();

  // Opens the mutex called name, creating it when no live handle has it open. Nothing
  // when the lock file cannot be opened; error then holds the reason.
  static std::optional<NamedMutex> Open(std::string_view name, std::string* error = nullptr);

  bool IsOpen() const noexcept { return shared_ != nullptr; }
  const std::string& Name() const noexcept;
  // True when another live handle (in this or any other process) had the name open.
  bool Existed() const noexcept { return existed_; }

  // Waits for the mutex: without limit when timeout is absent. True once this thread owns
  // it (at once when it already does).
  bool Lock(std::optional<std::chrono::milliseconds> timeout = std::nullopt);
  // Gives up one level of this thread's ownership; false when this thread does not own it.
  bool Unlock();
  // Whether the calling thread owns the mutex.
  bool OwnedByCaller() const;

 private:
  std::shared_ptr<Shared> shared_;
  bool existed_ = false;
};

// The folder holding the lock files: $XDG_RUNTIME_DIR when set, else /tmp/velkoran-<uid>.
std::string MutexDirectory();
// The lock file's name for a mutex name: safe bytes kept, others escaped, long names
// shortened with a hash of the whole name.
std::string MutexFileName(std::string_view name);

}  // namespace velkoran::platform
