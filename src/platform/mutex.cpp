#include "platform/mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "platform/fileio.h"

namespace velkoran::platform {

// What every handle of one name in this process shares.
struct NamedMutex::Shared {
  std::string name;
  int fd = -1;  // the lock file; -1 for a mutex without a name

  std::mutex m;
  std::condition_variable released;
  bool busy = false;               // a thread of this process holds or is taking the file lock
  std::thread::id owner;           // the owning thread, if any
  std::uint32_t depth = 0;         // the owner's lock count

  ~Shared() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

using Clock = std::chrono::steady_clock;

// Named mutexes are process-wide by nature: the handles of one name share one state.
struct Registry {
  std::mutex m;
  std::map<std::string, std::weak_ptr<NamedMutex::Shared>, std::less<>> byName;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

bool IsSafeNameByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.';
}

std::uint64_t Fnv1a64(std::string_view bytes) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return h;
}

// Makes the private /tmp folder when $XDG_RUNTIME_DIR is not set, and refuses a folder
// that someone else owns or others may write to.
bool PrepareDirectory(const std::string& dir, bool privateFolder, std::string* error) {
  if (privateFolder) ::mkdir(dir.c_str(), 0700);
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = "no folder for mutex files: " + dir;
    return false;
  }
  if (privateFolder && (st.st_uid != ::getuid() || (st.st_mode & 0077) != 0)) {
    if (error) *error = "mutex folder is not private: " + dir;
    return false;
  }
  return true;
}

// Takes the shared presence lock on byte 0; true when no other handle had it.
bool TakePresence(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 1;
  bool alone = ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
  // Converting the exclusive lock to a shared one is atomic, so a handle opened at the
  // same moment elsewhere sees one of the two and never neither.
  fl.l_type = F_RDLCK;
  while (::fcntl(fd, alone ? F_OFD_SETLK : F_OFD_SETLKW, &fl) != 0) {
    if (errno != EINTR) break;
  }
  return alone;
}

// The file lock, waiting at most until deadline (without limit when absent).
bool TakeFileLock(int fd, std::optional<Clock::time_point> deadline) {
  if (fd < 0) return true;
  if (!deadline) {
    while (::flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const auto now = Clock::now();
    if (now >= *deadline) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, *deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

}  // namespace

std::string MutexDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
    return runtime;
  return "/tmp/velkoran-" + std::to_string(::getuid());
}

std::string MutexFileName(std::string_view name) {
  static const char kHex[] = "0123456789abcdef";
  std::string encoded;
  for (unsigned char c : name) {
    if (IsSafeNameByte(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  constexpr std::size_t kKeep = 120;
  if (encoded.size() > kKeep) {
    const std::uint64_t h = Fnv1a64(name);
    encoded.resize(kKeep);
    encoded += '~';
    for (int shift = 60; shift >= 0; shift -= 4) encoded += kHex[(h >> shift) & 15];
  }
  return "velkoran-mutex-" + encoded;
}

NamedMutex::~NamedMutex() {
  if (!shared_) return;
  // Drop the handle under the registry lock, so an open of the same name never sees a
  // lock file that is about to close.
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.m);
  shared_.reset();
}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    if (shared_) {
      std::lock_guard<std::mutex> guard(TheRegistry().m);
      shared_.reset();
    }
    shared_ = std::move(other.shared_);
    existed_ = other.existed_;
  }
  return *this;
}

const std::string& NamedMutex::Name() const noexcept {
  static const std::string kNone;
  return shared_ ? shared_->name : kNone;
}

std::optional<NamedMutex> NamedMutex::Open(std::string_view name, std::string* error) {
  NamedMutex handle;
  if (name.empty()) {
    handle.shared_ = std::make_shared<Shared>();
    return handle;
  }

  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.m);
  if (auto it = registry.byName.find(name); it != registry.byName.end()) {
    if (auto live = it->second.lock()) {
      handle.shared_ = std::move(live);
      handle.existed_ = true;
      return handle;
    }
  }

  const bool privateFolder = std::getenv("XDG_RUNTIME_DIR") == nullptr || *std::getenv("XDG_RUNTIME_DIR") == '\0';
  const std::string dir = MutexDirectory();
  if (!PrepareDirectory(dir, privateFolder, error)) return std::nullopt;
  const std::string path = dir + "/" + MutexFileName(name);
  const int fd = OpenRetrying(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  auto shared = std::make_shared<Shared>();
  shared->name = std::string(name);
  shared->fd = fd;
  handle.existed_ = !TakePresence(fd);
  registry.byName[shared->name] = shared;
  handle.shared_ = std::move(shared);
  return handle;
}

bool NamedMutex::Lock(std::optional<std::chrono::milliseconds> timeout) {
  if (!shared_) return false;
  Shared& s = *shared_;
  const auto me = std::this_thread::get_id();
  std::optional<Clock::time_point> deadline;
  if (timeout) deadline = Clock::now() + std::max(*timeout, std::chrono::milliseconds(0));

  std::unique_lock<std::mutex> lock(s.m);
  if (s.busy && s.owner == me) {
    ++s.depth;
    return true;
  }
  // One thread of this process at a time holds or waits for the file lock.
  if (deadline) {
    if (!s.released.wait_until(lock, *deadline, [&] { return !s.busy; })) return false;
  } else {
    s.released.wait(lock, [&] { return !s.busy; });
  }
  s.busy = true;
  lock.unlock();
  const bool taken = TakeFileLock(s.fd, deadline);
  lock.lock();
  if (!taken) {
    s.busy = false;
    s.released.notify_all();
    return false;
  }
  s.owner = me;
  s.depth = 1;
  return true;
}

bool NamedMutex::Unlock() {
  if (!shared_) return false;
  Shared& s = *shared_;
  std::lock_guard<std::mutex> lock(s.m);
  if (!s.busy || s.owner != std::this_thread::get_id() || s.depth == 0) return false;
  if (--s.depth > 0) return true;
  if (s.fd >= 0) ::flock(s.fd, LOCK_UN);
  s.owner = std::thread::id();
  s.busy = false;
  s.released.notify_all();
  return true;
}

bool NamedMutex::OwnedByCaller() const {
  if (!shared_) return false;
  std::lock_guard<std::mutex> lock(shared_->m);
  return shared_->busy && shared_->depth > 0 && shared_->owner == std::this_thread::get_id();
}

}  // namespace velkoran::platform
