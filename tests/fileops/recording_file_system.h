// A file system seam that records what the engine creates and injects faults on demand.
#pragma once

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "fileops/file_system.h"

namespace velkoran::fileops::testing {

class RecordingFileSystem : public FileSystem {
 public:
  bool ListDirectory(std::string_view dir,
                     const std::function<bool(const platform::DirEntry&)>& visit) override {
    if (dir == unlistable) return false;
    return FileSystem::ListDirectory(dir, visit);
  }
  bool SameFileSystem(std::string_view source, std::string_view target) override {
    if (crossFileSystem) return false;
    return FileSystem::SameFileSystem(source, target);
  }
  platform::DirectoryHandle OpenDirectory(std::string_view path) override {
    openedDirectories.emplace_back(path);
    if (!unopenable.empty() && path == unopenable) return {};
    return FileSystem::OpenDirectory(path);
  }
  int RenameIn(const platform::DirectoryHandle& directory, std::string_view from, std::string_view to) override {
    return Recorded(directory, from, to, [&] { return FileSystem::RenameIn(directory, from, to); });
  }
  int RenameNoReplaceIn(const platform::DirectoryHandle& directory, std::string_view from,
                        std::string_view to) override {
    ++noReplaceRenames;
    return Recorded(directory, from, to, [&] { return FileSystem::RenameNoReplaceIn(directory, from, to); });
  }
  int MakeDirectory(std::string_view path, std::uint32_t mode) override {
    const int error = FileSystem::MakeDirectory(path, mode);
    if (error == 0) placed.push_back(std::string(path) + "/");
    return error;
  }
  bool CopyBlock(platform::File& in, platform::File& out, std::uint64_t length,
                 std::vector<char>& buffer) override {
    blockLengths.push_back(length);
    if (failBlockAt >= 0 && static_cast<int>(blockLengths.size()) > failBlockAt) return false;
    if (shortCopy && length > 0) {
      // Loses the last byte of the block yet reports success: a copy that cannot be trusted.
      if (!FileSystem::CopyBlock(in, out, length - 1, buffer)) return false;
      char skipped;
      return in.Read(&skipped, 1) == 1;
    }
    return FileSystem::CopyBlock(in, out, length, buffer);
  }

  bool crossFileSystem = false;
  int failBlockAt = -1;  // CopyBlock fails from this (0-based) call on
  bool shortCopy = false;
  std::string unlistable;  // this directory (written with its trailing "/") cannot be listed
  std::string unopenable;  // no handle on this directory (written with its trailing "/")
  std::function<int(std::string_view, std::string_view)> renameHook;  // nonzero: fail with it

  int noReplaceRenames = 0;
  std::vector<std::string> openedDirectories;  // handles asked for, in order
  std::vector<std::string> placed;  // directories made (with "/") and entries renamed into place, in order
  std::vector<std::uint64_t> blockLengths;

 private:
  // Hooks and records see whole paths.
  int Recorded(const platform::DirectoryHandle& directory, std::string_view from, std::string_view to,
               const std::function<int()>& rename) {
    if (renameHook) {
      if (const int error = renameHook(directory.PathOf(from), directory.PathOf(to)); error != 0) return error;
    }
    const int error = rename();
    if (error == 0) placed.push_back(directory.PathOf(to));
    return error;
  }
};

// True when path is one of the engine's temporary siblings.
inline bool IsTemporaryName(std::string_view path) { return path.find(".vk-") != std::string_view::npos; }

}  // namespace velkoran::fileops::testing
