// File primitives beneath the file operation engine: looking at an entry without following
// links, opening and creating files, copying byte ranges, temporary siblings, permission
// bits and times, rename, unlink, directories and symbolic links. Paths are byte strings
// handed to the system unchanged. Sizes and positions are 64-bit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory.h"

namespace velkoran::platform {

struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
};

// What lstat reports about an entry, in the terms the engine needs.
struct FileInfo {
  PathKind kind = PathKind::None;
  std::uint64_t size = 0;    // bytes; for a link the link itself; 0 for directories
  std::uint32_t mode = 0;    // permission bits (07777)
  std::uint32_t type = 0;    // the file-type bits (S_IFMT part), for recreating special files
  std::uint64_t device = 0;  // the file system holding the entry
  std::uint64_t inode = 0;   // with device, identifies the entry
  std::uint64_t specialDevice = 0;  // device number of a device node
  FileTime accessed;
  FileTime modified;
};

// Looks at the entry itself (a final link is not followed). False when nothing is there.
bool StatNoFollow(std::string_view path, FileInfo& info);
// Follows links; used for the directory a new entry will be created in.
bool StatFollow(std::string_view path, FileInfo& info);

// ::open, tried again when a signal interrupts it: the descriptor, or -1 with errno set.
int OpenRetrying(const std::string& path, int flags, unsigned mode = 0);

// The error value of a regular-file open that found something else there (a directory,
// a pipe, a device, a socket); ErrorText gives "not a regular file".
inline constexpr int kNotRegularFile = -1;

// An open file descriptor, closed when the object goes. Move-only.
class File {
 public:
  File() = default;
  explicit File(int descriptor) : fd_(descriptor) {}
  File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing file for reading; a final link is not followed (a link is copied as
  // a link, never through it) and a pipe is not waited on. Not open on failure.
  static File OpenForReading(std::string_view path);

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  bool Info(FileInfo& info) const;

  // Reads up to size bytes (retrying on interruption): the count read, 0 at the end, -1 on error.
  std::int64_t Read(char* data, std::size_t size);
  // Writes all size bytes or fails.
  bool WriteAll(const char* data, std::size_t size);
  // Sets permission bits and access/modification times from info.
  bool CopyModeAndTimes(const FileInfo& info);
  bool SetMode(std::uint32_t mode);
  bool SetTimes(const FileInfo& info);
  // The file's size as the position of its end (the position moves there): cheaper than a
  // full look at the file when only the size is wanted.
  bool EndPosition(std::uint64_t& size);
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool Close();

 private:
  int fd_ = -1;
};

// Opens an existing regular file (links followed) with the given access flags (O_RDONLY
// or O_WRONLY, O_NOFOLLOW allowed) for an operation that means to read or write a file
// whole. Anything else is refused before it is opened where the path shows it, and after
// opening, by the open descriptor's type: the open itself never waits (a pipe without a
// writer would block it) and a pipe, a device or a socket is never read or written by
// accident. Not open on failure; error (when given) receives the errno value or
// kNotRegularFile.
File OpenRegularFile(std::string_view path, int flags, int* error = nullptr);
// Appends everything from the file's position to its end to bytes; false on a read error.
bool ReadToEnd(File& file, std::string& bytes);
// The whole content of a regular file; nothing when it is missing, of another kind or
// unreadable (error as for OpenRegularFile, or the read's errno value).
std::optional<std::string> ReadRegularFile(std::string_view path, int* error = nullptr);

// Copies exactly length bytes from in's position to out's position. Uses the kernel's
// in-place copy where the two file systems allow it and falls back to reading and writing
// through buffer (grown to at least 1 MiB on first need). False on any error and when the
// source ends early.
bool CopyBytes(File& in, File& out, std::uint64_t length, std::vector<char>& buffer);

// A directory through which entries are named by their names alone, so that the system does
// not walk the whole path again for every entry of a large copy (a directory moved or replaced
// meanwhile is not followed to its new place either). The default one stands for the working
// directory: entries are then named by whole or relative paths, as everywhere else.
class DirectoryHandle {
 public:
  DirectoryHandle() = default;
  // The directory at path (with or without a trailing "/"; links on the way resolved as for
  // any path); not open when it cannot be opened.
  static DirectoryHandle Open(std::string_view path);

  bool IsOpen() const { return handle_.IsOpen(); }
  // What the system calls take: the open directory, or the working directory.
  int Descriptor() const;
  // The directory's path ending in "/" (empty for the working directory and ""), and the path
  // of an entry named relative to it.
  const std::string& Path() const { return path_; }
  std::string PathOf(std::string_view name) const;

 private:
  File handle_;
  std::string path_;
};

// The working directory as a handle: whole paths named through it.
const DirectoryHandle& WorkingDirectory();

// Like File::OpenForReading, with name relative to directory.
File OpenForReadingIn(const DirectoryHandle& directory, std::string_view name);

// A fresh candidate name for a temporary entry in the same directory as target: hidden,
// derived from the target's name, with a suffix unique in this process (process id and a
// counter), kept within the name length limit. Creators still make it exclusively.
std::string TemporarySiblingName(std::string_view target);
// Creates a new empty file under a temporary sibling name of target with the permission bits
// mode (less the umask; owner read/write only by default); path receives its name. Not open
// on failure.
File CreateTemporarySibling(std::string_view target, std::string& path, std::uint32_t mode = 0600);
// The same, with target and path relative to directory.
File CreateTemporarySibling(const DirectoryHandle& directory, std::string_view target, std::string& path,
                            std::uint32_t mode);

// The system call results: 0 on success, else the error number.
int RenamePath(std::string_view from, std::string_view to);
// Like RenamePath, but fails with EEXIST instead of replacing an entry at to (EINVAL where the
// file system cannot tell).
int RenameNoReplace(std::string_view from, std::string_view to);
// The same three with names relative to directory.
int RenameIn(const DirectoryHandle& directory, std::string_view from, std::string_view to);
int RenameNoReplaceIn(const DirectoryHandle& directory, std::string_view from, std::string_view to);
int RemoveFileIn(const DirectoryHandle& directory, std::string_view name);
int RemoveFilePath(std::string_view path);        // unlink: files, links, special files
int RemoveDirectoryPath(std::string_view path);   // rmdir: empty directories only
int MakeDirectoryPath(std::string_view path, std::uint32_t mode);
int MakeSymlink(std::string_view linkTarget, std::string_view linkPath);
// Recreates a special file (pipe, socket node, device node) as info describes it.
int MakeSpecialFile(std::string_view path, const FileInfo& info);
// The text a symbolic link holds.
bool ReadSymlink(std::string_view path, std::string& linkTarget);
// Sets the times of an entry itself (for a link: the link, not what it points to).
int SetTimesNoFollow(std::string_view path, const FileInfo& info);

// The process's file creation mask as the system reports it, read without changing it (so
// no other thread creates a file under a passing mask); nothing where it cannot be read.
std::optional<std::uint32_t> ProcessUmask();
// Whether a file created in the directory gets exactly the permission bits asked for less the
// umask: a local file system with plain permission bits and no default ACL on the directory
// (which would take the umask's place). False when that cannot be told.
bool CreatesWithPlainUmask(std::string_view directory);

// A readable text for an error number ("No space left on device") or kNotRegularFile.
std::string ErrorText(int error);

}  // namespace velkoran::platform
