// The file system as the operation engine sees it. The class itself calls the platform;
// tests derive from it to inject faults that a single real file system cannot produce on
// demand (a second file system, a rename reporting EXDEV, a write failing halfway).
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/fileio.h"

namespace velkoran::fileops {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entry itself, links not followed.
  virtual bool Stat(std::string_view path, platform::FileInfo& info);
  // The entries of a directory with their sizes ("." and ".." skipped, links reported as
  // links); visit returns false to stop. False when the directory cannot be read.
  virtual bool ListDirectory(std::string_view dir, const std::function<bool(const platform::DirEntry&)>& visit);
  // Whether a rename from source to target can work: the source entry and the directory
  // that will hold the target lie on the same file system (same device). When either
  // cannot be examined the answer is yes and the rename reports the real error.
  virtual bool SameFileSystem(std::string_view source, std::string_view target);
  // A handle for naming the entries of the directory at path by their names alone (a large
  // copy then spares the system a walk of the whole path per entry); not open on failure.
  virtual platform::DirectoryHandle OpenDirectory(std::string_view path);
  // 0 on success, else the error number (EXDEV: across file systems). Names are relative to
  // directory; through platform::WorkingDirectory() they are whole paths.
  virtual int RenameIn(const platform::DirectoryHandle& directory, std::string_view from, std::string_view to);
  // The same, but never replacing an entry at to: EEXIST then (EINVAL where the file system
  // cannot refuse).
  virtual int RenameNoReplaceIn(const platform::DirectoryHandle& directory, std::string_view from,
                                std::string_view to);
  virtual bool RemoveFileIn(const platform::DirectoryHandle& directory, std::string_view name);
  // The same with whole paths.
  int Rename(std::string_view from, std::string_view to) { return RenameIn(platform::WorkingDirectory(), from, to); }
  bool RemoveFile(std::string_view path) { return RemoveFileIn(platform::WorkingDirectory(), path); }
  virtual bool RemoveDirectory(std::string_view path);
  virtual int MakeDirectory(std::string_view path, std::uint32_t mode);
  // Copies exactly length bytes of one block from in to out.
  virtual bool CopyBlock(platform::File& in, platform::File& out, std::uint64_t length,
                         std::vector<char>& buffer);
};

}  // namespace velkoran::fileops
