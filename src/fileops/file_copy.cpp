// Copying and moving one file: block copy with progress and the break, copies made
// complete before they replace a target, links copied as links, moves that keep the source
// until a verified copy exists.
#include <cerrno>

#include "fileops/engine.h"

namespace velkoran::fileops {
namespace {

constexpr std::uint64_t kBlockSize = 1 << 20;

// Removes a temporary entry unless it has been renamed into place.
class TemporaryEntry {
 public:
  TemporaryEntry(FileSystem& fs, const platform::DirectoryHandle& directory, std::string name)
      : fs_(fs), directory_(directory), name_(std::move(name)) {}
  TemporaryEntry(FileSystem& fs, std::string path) : TemporaryEntry(fs, platform::WorkingDirectory(), std::move(path)) {}
  TemporaryEntry(const TemporaryEntry&) = delete;
  TemporaryEntry& operator=(const TemporaryEntry&) = delete;
  ~TemporaryEntry() {
    if (!name_.empty()) fs_.RemoveFileIn(directory_, name_);
  }
  const std::string& name() const { return name_; }
  void Keep() { name_.clear(); }

 private:
  FileSystem& fs_;
  const platform::DirectoryHandle& directory_;
  std::string name_;
};

}  // namespace

bool FileOperationEngine::CopyFileWithProgress(std::string_view source, std::string_view target) {
  flags_.BreakRequested = false;
  platform::FileInfo info;
  if (!fs_.Stat(source, info) || info.kind == platform::PathKind::Directory) return false;
  if (TargetIsProtected(target)) return false;
  if (info.kind != platform::PathKind::File) return CopyNonRegular(source, target, info);
  // Opened without following a link; on this platform there is no other whole-file copy
  // that could read a source this open cannot.
  platform::File in = platform::File::OpenForReading(source);
  if (!in.IsOpen() || !in.Info(info) || info.kind != platform::PathKind::File) return false;
  return CopyOpenFile(in, info, platform::WorkingDirectory(), target, false, std::nullopt);
}

bool FileOperationEngine::CopyPlannedFile(const platform::DirectoryHandle& sourceDir, std::string_view source,
                                          const platform::DirectoryHandle& targetDir, std::string_view target,
                                          bool targetIsFresh, std::optional<std::uint32_t> creationMask) {
  flags_.BreakRequested = false;
  platform::File in = platform::OpenForReadingIn(sourceDir, source);
  platform::FileInfo info;
  if (!in.IsOpen() || !in.Info(info) || info.kind != platform::PathKind::File) {
    // Gone, or a link or special file now: copied as whatever is there, as a single file is.
    in.Close();
    const std::string targetPath = targetDir.PathOf(target);
    if (targetIsFresh && !ConfirmOverwrite(targetPath, kOverwriteFile)) return false;
    return CopyFileWithProgress(sourceDir.PathOf(source), targetPath);
  }
  if (!targetIsFresh && TargetIsProtected(targetDir.PathOf(target))) return false;
  return CopyOpenFile(in, info, targetDir, target, targetIsFresh, creationMask);
}

bool FileOperationEngine::CopyOpenFile(platform::File& in, const platform::FileInfo& info,
                                       const platform::DirectoryHandle& targetDir, std::string_view target,
                                       bool targetIsFresh, std::optional<std::uint32_t> creationMask) {
  // Created with the source's permission bits (less the umask and the special bits, which a
  // half-written file should not carry), so most copies need no separate change of mode.
  std::string temporaryName;
  platform::File out = platform::CreateTemporarySibling(targetDir, target, temporaryName, info.mode & 0777);
  if (!out.IsOpen()) return false;
  TemporaryEntry temporary(fs_, targetDir, temporaryName);

  const std::uint64_t size = info.size;
  host_.SetProgressMaximum(ProgressBar::Sub, size);
  host_.SetProgressPosition(ProgressBar::Sub, 0);

  std::uint64_t position = 0;
  for (std::uint64_t block = 0; block < size / kBlockSize; ++block) {
    if (!fs_.CopyBlock(in, out, kBlockSize, copyBuffer_)) return false;
    position += kBlockSize;
    host_.SetProgressPosition(ProgressBar::Sub, position);
    host_.ProcessPendingEvents();
    if (flags_.BreakRequested) return false;
  }
  const std::uint64_t rest = size % kBlockSize;
  if (rest > 0 && !fs_.CopyBlock(in, out, rest, copyBuffer_)) return false;
  position += rest;
  host_.SetProgressPosition(ProgressBar::Sub, position);
  host_.ProcessPendingEvents();

  // Only a copy as long as the source was takes the target's name. Where the mask alone
  // decides the new file's permission bits, its end position tells the size with less work
  // than a full look at it.
  std::uint32_t createdMode = 0;
  if (creationMask) {
    std::uint64_t end = 0;
    if (!out.EndPosition(end) || end != size) return false;
    createdMode = info.mode & 0777 & ~*creationMask;
  } else {
    platform::FileInfo written;
    if (!out.Info(written) || written.size != size) return false;
    createdMode = written.mode;
  }

  // Permission bits and times as the source has them; a file system that cannot keep them
  // (a foreign one) still gets the data.
  if (createdMode != info.mode) out.SetMode(info.mode);
  out.SetTimes(info);
  if (!out.Close()) return false;
  if (!PlaceCopy(targetDir, temporary.name(), target, targetIsFresh)) return false;
  temporary.Keep();
  return true;
}

bool FileOperationEngine::PlaceCopy(const platform::DirectoryHandle& targetDir, const std::string& temporary,
                                    std::string_view target, bool targetIsFresh) {
  if (targetIsFresh) {
    const int error = fs_.RenameNoReplaceIn(targetDir, temporary, target);
    if (error == 0) return true;
    if (error != EEXIST && error != EINVAL) return false;
    // Something else put an entry there meanwhile, or the file system cannot refuse to
    // replace: the questions and protections of an existing target apply after all.
    const std::string path = targetDir.PathOf(target);
    if (!ConfirmOverwrite(path, kOverwriteFile) || TargetIsProtected(path)) return false;
  }
  return fs_.RenameIn(targetDir, temporary, target) == 0;
}

bool FileOperationEngine::CopyNonRegular(std::string_view source, std::string_view target,
                                         const platform::FileInfo& info) {
  std::string linkText;
  if (info.kind == platform::PathKind::Symlink && !platform::ReadSymlink(source, linkText)) return false;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temporaryPath = platform::TemporarySiblingName(target);
    const int error = info.kind == platform::PathKind::Symlink ? platform::MakeSymlink(linkText, temporaryPath)
                                                                : platform::MakeSpecialFile(temporaryPath, info);
    if (error == EEXIST) continue;
    if (error != 0) return false;
    TemporaryEntry temporary(fs_, temporaryPath);
    platform::SetTimesNoFollow(temporaryPath, info);
    if (fs_.Rename(temporaryPath, target) != 0) return false;
    temporary.Keep();
    return true;
  }
  return false;
}

bool FileOperationEngine::MoveOneFile(std::string_view source, std::string_view target) {
  if (!fs_.SameFileSystem(source, target)) return MoveAcrossFileSystems(source, target);
  // The rename replaces an existing target in one step, so the old target survives a
  // failed move; a read-only target stays, as its deletion would fail.
  if (TargetIsProtected(target)) return false;
  const int error = fs_.Rename(source, target);
  if (error == 0) return true;
  if (error == EXDEV) return MoveAcrossFileSystems(source, target);
  return false;
}

bool FileOperationEngine::MoveAcrossFileSystems(std::string_view source, std::string_view target) {
  if (!CopyFileWithProgress(source, target)) return false;
  // The source goes only when the copy is complete and as large as the source is now.
  platform::FileInfo copied;
  platform::FileInfo original;
  if (!fs_.Stat(target, copied) || !fs_.Stat(source, original)) return false;
  if (copied.kind != original.kind || copied.size != original.size) return false;
  return DeleteOneFile(source);
}

}  // namespace velkoran::fileops
