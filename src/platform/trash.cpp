#include "platform/trash.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/fileio.h"

namespace velkoran::platform {
namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr int kMaxNameAttempts = 10000;

std::string Parent(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string Join(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '/') path += '/';
  path.append(name);
  return path;
}

bool Lstat(const std::string& path, struct stat& st) { return ::lstat(path.c_str(), &st) == 0; }

bool IsWithin(std::string_view path, std::string_view dir) {
  return path == dir || (path.size() > dir.size() && path.starts_with(dir) &&
                         (dir.back() == '/' || path[dir.size()] == '/'));
}

// The device of path, or of its nearest existing ancestor (a trash not made yet lives on
// the file system of the folder it will be made in).
bool DeviceOf(std::string path, dev_t& device) {
  for (;;) {
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) {
      device = st.st_dev;
      return true;
    }
    if (path == "/" || path == ".") return false;
    path = Parent(path);
  }
}

bool MayWriteIn(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

// The directory can be made: its nearest existing ancestor takes new entries.
bool MayCreate(std::string dir) {
  for (;;) {
    dir = Parent(dir);
    struct stat st{};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) && MayWriteIn(dir);
    if (dir == "/" || dir == ".") return false;
  }
}

// A directory this user may keep trash in: a real directory (no link), owned by the user,
// with files/ and info/ present and writable or creatable.
bool IsUsableTrash(const std::string& dir, unsigned userId, bool mustBeOwned) {
  struct stat st{};
  if (!Lstat(dir, st)) return MayCreate(dir);
  if (!S_ISDIR(st.st_mode) || (mustBeOwned && st.st_uid != userId)) return false;
  for (const char* sub : {"files", "info"}) {
    const std::string path = Join(dir, sub);
    struct stat subSt{};
    if (!Lstat(path, subSt)) {
      if (!MayWriteIn(dir)) return false;
    } else if (!S_ISDIR(subSt.st_mode) || !MayWriteIn(path)) {
      return false;
    }
  }
  return true;
}

int MakeTrashDirs(const std::string& dir) {
  // The home trash may need its parents ($XDG_DATA_HOME itself on a fresh account).
  std::string path;
  for (std::size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '/') continue;
    path = dir.substr(0, at);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  for (const char* sub : {"/files", "/info"}) {
    if (::mkdir((dir + sub).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// The top directory of the file system holding the entry: the highest ancestor on its device.
std::string MountTop(const std::string& entry, dev_t device) {
  std::string top = entry;
  while (top != "/") {
    const std::string up = Parent(top);
    struct stat st{};
    if (::stat(up.c_str(), &st) != 0 || st.st_dev != device) break;
    top = up;
  }
  return top;
}

// The n-th name for an entry in the trash: the name itself, then "stem.2.ext", "stem.3.ext", …
// Long names are shortened so that name + ".trashinfo" still fits a file name.
std::string CandidateName(std::string_view name, int n) {
  std::string stem(name);
  std::string extension;
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0 && n > 1) {
    extension = stem.substr(dot);
    stem.resize(dot);
  }
  std::string number;
  if (n > 1) {
    number = '.';
    number += std::to_string(n);
  }
  const std::size_t room = NAME_MAX - kInfoSuffix.size() - number.size();
  if (stem.size() + extension.size() > room) {
    if (extension.size() > room / 2) extension.clear();
    std::size_t keep = room - extension.size();
    // Never leave half of a multi-byte UTF-8 character behind.
    while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) --keep;
    stem.resize(keep);
  }
  stem += number;
  stem += extension;
  return stem;
}

std::string PercentEncoded(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// Writes the info text into a new hidden file in infoDir (its name does not end in
// ".trashinfo", so readers pass it by); the path receives its name.
int WriteTemporaryInfo(const std::string& infoDir, std::string_view text, std::string& path) {
  std::string pattern = Join(infoDir, ".velkoran-XXXXXX");
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  File file(fd);
  path = pattern;
  if (!file.WriteAll(text.data(), text.size()) || ::fsync(fd) != 0 || !file.Close()) {
    const int error = errno != 0 ? errno : EIO;
    ::unlink(path.c_str());
    return error;
  }
  return 0;
}

// Gives the finished info file its final name; EEXIST when the name is taken. File systems
// without hard links get the text written into an exclusively created file instead.
int PlaceInfo(const std::string& temporary, const std::string& final, std::string_view text) {
  if (::link(temporary.c_str(), final.c_str()) == 0) return 0;
  const int error = errno;
  if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK) return error;
  const int fd = OpenRetrying(final, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  File file(fd);
  if (file.WriteAll(text.data(), text.size()) && ::fsync(fd) == 0 && file.Close()) return 0;
  ::unlink(final.c_str());
  return EIO;
}

// Renames without replacing anything at the target; EEXIST when something is there.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system that cannot refuse by itself: the name was free a moment ago.
  struct stat st{};
  if (Lstat(to, st)) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool IsStorageRefusal(int error) { return error == EROFS || error == EACCES || error == EPERM || error == ENOSPC; }

}  // namespace

struct Trash::Place {
  std::string entry;      // the entry's absolute path (its folder resolved, itself not)
  std::string trashDir;   // the trash that takes it
  std::string infoPath;   // what the info file records: absolute, or relative to topDir
};

TrashPlaces TrashPlaces::OfCurrentUser() {
  TrashPlaces places;
  places.userId = ::getuid();
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') {
    places.homeTrash = Join(dataHome, "Trash");
  } else {
    const char* home = std::getenv("HOME");
    places.homeTrash = Join(home != nullptr ? home : "", ".local/share/Trash");
  }
  return places;
}

std::optional<Trash::Place> Trash::Locate(std::string_view path, int& error) const {
  std::string bare(path);
  while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
  const std::size_t slash = bare.rfind('/');
  const std::string name = slash == std::string::npos ? bare : bare.substr(slash + 1);
  if (name.empty() || name == "." || name == ".." || bare == "/") {
    error = EINVAL;
    return std::nullopt;
  }
  char* resolved = ::realpath(Parent(bare).c_str(), nullptr);
  if (resolved == nullptr) {
    error = errno;
    return std::nullopt;
  }
  Place place;
  place.entry = Join(resolved, name);
  std::free(resolved);
  struct stat entrySt{};
  if (!Lstat(place.entry, entrySt)) {
    error = errno;
    return std::nullopt;
  }
  error = 0;

  dev_t homeDevice{};
  if (DeviceOf(places_.homeTrash, homeDevice) && homeDevice == entrySt.st_dev) {
    place.trashDir = places_.homeTrash;
    place.infoPath = place.entry;
    if (!IsUsableTrash(place.trashDir, places_.userId, false)) return std::nullopt;
  } else {
    const std::string top = MountTop(place.entry, entrySt.st_dev);
    const std::string shared = Join(top, ".Trash");
    struct stat sharedSt{};
    const bool sharedUsable = Lstat(shared, sharedSt) && S_ISDIR(sharedSt.st_mode) && (sharedSt.st_mode & S_ISVTX) &&
                              IsUsableTrash(Join(shared, std::to_string(places_.userId)), places_.userId, true);
    place.trashDir = sharedUsable ? Join(shared, std::to_string(places_.userId))
                                  : Join(top, ".Trash-" + std::to_string(places_.userId));
    place.infoPath = place.entry.substr(top == "/" ? 1 : top.size() + 1);
    if (!sharedUsable && !IsUsableTrash(place.trashDir, places_.userId, true)) return std::nullopt;
  }
  // An entry that is its trash, holds it or lies inside it cannot go there.
  if (IsWithin(place.trashDir, place.entry) || IsWithin(place.entry, place.trashDir)) return std::nullopt;
  return place;
}

std::optional<std::string> Trash::TrashDirFor(std::string_view path) const {
  int error = 0;
  const std::optional<Place> place = Locate(path, error);
  if (!place) return std::nullopt;
  return place->trashDir;
}

TrashOutcome Trash::MoveToTrash(std::string_view path) {
  TrashOutcome outcome;
  const std::optional<Place> place = Locate(path, outcome.error);
  if (!place) {
    outcome.result = outcome.error == 0 ? TrashResult::NoTrash : TrashResult::Failed;
    return outcome;
  }
  outcome.trashDir = place->trashDir;
  auto refused = [&outcome](int error) {
    outcome.error = error;
    outcome.result = IsStorageRefusal(error) ? TrashResult::NoTrash : TrashResult::Failed;
    return outcome;
  };
  if (const int error = MakeTrashDirs(place->trashDir); error != 0) return refused(error);
  const std::string filesDir = Join(place->trashDir, "files");
  const std::string infoDir = Join(place->trashDir, "info");

  const std::string text = TrashInfoText(place->infoPath, std::time(nullptr));
  std::string temporary;
  if (const int error = WriteTemporaryInfo(infoDir, text, temporary); error != 0) return refused(error);

  struct Removed {
    std::string path;
    ~Removed() { ::unlink(path.c_str()); }
  } removed{temporary};

  const std::string name = place->entry.substr(place->entry.rfind('/') + 1);
  for (int n = 1; n <= kMaxNameAttempts; ++n) {
    const std::string candidate = CandidateName(name, n);
    const std::string info = Join(infoDir, candidate + std::string(kInfoSuffix));
    const int placed = PlaceInfo(temporary, info, text);
    if (placed == EEXIST) continue;
    if (placed != 0) return refused(placed);
    const int moved = RenameNoReplace(place->entry, Join(filesDir, candidate));
    if (moved == 0) {
      outcome.result = TrashResult::Trashed;
      outcome.name = candidate;
      return outcome;
    }
    ::unlink(info.c_str());
    if (moved == EEXIST) continue;  // an entry in files/ without its info file
    outcome.error = moved;
    // Another mount of the same file system: only a copy could get there.
    outcome.result = moved == EXDEV ? TrashResult::NoTrash : TrashResult::Failed;
    return outcome;
  }
  outcome.error = EEXIST;
  return outcome;
}

std::string TrashInfoText(std::string_view originalPath, std::time_t deletionTime) {
  struct tm local{};
  ::localtime_r(&deletionTime, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  std::string text = "[Trash Info]\nPath=";
  text += PercentEncoded(originalPath);
  text += "\nDeletionDate=";
  text += date;
  text += '\n';
  return text;
}

}  // namespace velkoran::platform
