// Directory enumeration in the order the file system returns entries ("." and ".." are
// skipped), with the attributes the file manager shows. Symbolic links are reported as
// links and never followed into directories.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace velkoran::platform {

struct DirEntry {
  std::string_view name;     // valid only during the callback
  bool isDirectory = false;  // a real directory (a link to one is not)
  bool isSymlink = false;
  bool isRegularFile = false;  // known to be a regular file (not a pipe, socket or device node)
  std::uint64_t size = 0;    // file size in bytes (for a link: the link itself); 0 for directories
  std::int64_t mtime = 0;    // modification time, seconds since the epoch
  bool hidden = false;       // the name begins with "."
};

enum class EnumDetail {
  TypeOnly,  // name and kind only (no per-entry stat where the file system reports the type)
  Full,      // plus size and modification time
};

// Calls visit(entry) for each entry; visit returns false to stop early. Returns false when
// the directory cannot be opened. `dir` may or may not end in "/".
template <typename Visit>
bool ForEachEntry(std::string_view dir, EnumDetail detail, Visit&& visit);

// Non-template core used by ForEachEntry.
using EntryCallback = bool (*)(void* context, const DirEntry& entry);
bool EnumerateDirectory(std::string_view dir, EnumDetail detail, EntryCallback callback, void* context);

template <typename Visit>
bool ForEachEntry(std::string_view dir, EnumDetail detail, Visit&& visit) {
  // Visit may be deduced as a reference (a named callable); point at the object itself.
  using Callable = std::remove_reference_t<Visit>;
  return EnumerateDirectory(
      dir, detail,
      [](void* ctx, const DirEntry& e) { return static_cast<bool>((*static_cast<Callable*>(ctx))(e)); },
      const_cast<void*>(static_cast<const void*>(&visit)));
}

// What a path names, without following a final symbolic link.
enum class PathKind { None, File, Directory, Symlink, Other };
PathKind KindOfPath(std::string_view path);
bool FileExists(std::string_view path);       // a non-directory entry (file, link, other)
bool DirectoryExists(std::string_view path);  // a real directory (follows no final link)
// Size of the entry at path (a link: the link itself); nothing when it does not exist.
bool SizeOfPath(std::string_view path, std::uint64_t& size);
// Read-only in the file manager's sense: the permission bits that apply to the running user
// grant no write (judged from the bits even for the superuser). Links are never read-only.
bool IsReadOnly(std::string_view path);

}  // namespace velkoran::platform
