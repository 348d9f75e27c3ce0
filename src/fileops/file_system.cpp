#include "fileops/file_system.h"

#include <string>

#include "platform/directory.h"
#include "platform/paths.h"

namespace velkoran::fileops {

bool FileSystem::Stat(std::string_view path, platform::FileInfo& info) {
  return platform::StatNoFollow(path, info);
}

bool FileSystem::ListDirectory(std::string_view dir,
                               const std::function<bool(const platform::DirEntry&)>& visit) {
  return platform::ForEachEntry(dir, platform::EnumDetail::Full,
                                [&visit](const platform::DirEntry& entry) { return visit(entry); });
}

bool FileSystem::SameFileSystem(std::string_view source, std::string_view target) {
  platform::FileInfo from;
  platform::FileInfo into;
  if (!Stat(source, from)) return true;
  const std::string parent = platform::HostPaths().ParentPath(target);
  const std::string holder = parent.empty() ? std::string(".") : parent;
  if (!platform::StatFollow(holder, into)) return true;
  return from.device == into.device;
}

platform::DirectoryHandle FileSystem::OpenDirectory(std::string_view path) {
  return platform::DirectoryHandle::Open(path);
}

int FileSystem::RenameIn(const platform::DirectoryHandle& directory, std::string_view from, std::string_view to) {
  return platform::RenameIn(directory, from, to);
}

int FileSystem::RenameNoReplaceIn(const platform::DirectoryHandle& directory, std::string_view from,
                                  std::string_view to) {
  return platform::RenameNoReplaceIn(directory, from, to);
}

bool FileSystem::RemoveFileIn(const platform::DirectoryHandle& directory, std::string_view name) {
  return platform::RemoveFileIn(directory, name) == 0;
}

bool FileSystem::RemoveDirectory(std::string_view path) { return platform::RemoveDirectoryPath(path) == 0; }

int FileSystem::MakeDirectory(std::string_view path, std::uint32_t mode) {
  return platform::MakeDirectoryPath(path, mode);
}

bool FileSystem::CopyBlock(platform::File& in, platform::File& out, std::uint64_t length,
                           std::vector<char>& buffer) {
  return platform::CopyBytes(in, out, length, buffer);
}

}  // namespace velkoran::fileops
