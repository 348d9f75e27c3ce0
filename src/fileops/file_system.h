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
  // 0 on success, else the error number (EXDEV: across file systems).
  virtual int Rename(std::string_view from, std::string_view to);
  // The same, but never replacing an entry at to: EEXIST then (EINVAL where the file system
  // cannot refuse).
  virtual int RenameNoReplace(std::string_view from, std::string_view to);
  virtual bool RemoveFile(std::string_view path);
  virtual bool RemoveDirectory(std::string_view path);
  virtual int MakeDirectory(std::string_view path, std::uint32_t mode);
  // Copies exactly length bytes of one block from in to out.
  virtual bool CopyBlock(platform::File& in, platform::File& out, std::uint64_t length,
                         std::vector<char>& buffer);
};

}  // namespace velkoran::fileops
