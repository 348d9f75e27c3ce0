// The directory a transfer is working in on one side (its sources or its targets), kept open
// while the following entries lie in it too. The plan's order (shorter paths first, equal
// lengths by text) keeps the entries of one directory mostly together, so a tree is copied
// with a few opens per directory instead of a walk of the whole path per entry.
#pragma once

#include <string>
#include <string_view>

#include "fileops/file_system.h"

namespace velkoran::fileops {

class DirectoryCursor {
 public:
  // The handle of the directory whose path is head + tail (ending in "/"; "" for the working
  // directory), opened only when it differs from the last one asked for; nullptr when it
  // cannot be opened (that answer is kept too, until another directory is asked for).
  const platform::DirectoryHandle* Enter(FileSystem& fileSystem, std::string_view head, std::string_view tail = {});

 private:
  bool IsCurrent(std::string_view head, std::string_view tail) const;

  std::string path_;
  bool entered_ = false;
  platform::DirectoryHandle handle_;
};

}  // namespace velkoran::fileops
