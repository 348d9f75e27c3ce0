// The file operation engine: copy, move and link of file lists with overwrite questions
// and progress, delete with confirmation, and the directory size survey. One object per
// main window; it holds the process-wide operation flags and talks to the user only
// through OperationHost (log, progress, events, window state) and platform::UserQuestions.
//
// Everything is synchronous on the caller's thread; long work services the window's
// events between steps, which is where RequestBreak (Esc) gets through.
//
// Beyond the plain algorithm, the engine guarantees:
// - A copy goes into a hidden temporary file beside the target and is renamed over the
//   target only when complete: a stopped or failed copy leaves the target absent or as it
//   was. Copies keep the source's permission bits and times.
// - Symbolic links are never followed: they are copied as new links with the same text,
//   moved as links and deleted as links; deleting a tree never touches anything outside it.
// - A move across file systems (different device, or a rename reporting EXDEV) deletes the
//   source only after a complete copy whose size matches the source's.
// - Files judged read-only (platform::IsReadOnly) are neither deleted nor replaced.
// - Sizes are 64-bit throughout; progress is passed to the host as 64-bit values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/file_system.h"
#include "fileops/operation_host.h"
#include "platform/questions.h"
#include "platform/trash.h"

namespace velkoran::fileops {

struct TransferItem;
struct TransferRun;

// Operation codes, the same numbers as the drop effects copy, move and link.
inline constexpr int kOperationCopy = 1;
inline constexpr int kOperationMove = 2;
// Creates the directory structure and nothing else for files.
inline constexpr int kOperationLink = 4;

// What ConfirmOverwrite looks for at the path.
inline constexpr int kOverwriteFile = 0;
inline constexpr int kOverwriteDirectory = 1;
inline constexpr int kOverwriteEither = 2;

// The operation's name in log lines, in the system code page: "コピー", "移動", "リンク",
// empty for any other code.
std::string OperationName(int operation);

// Where a delete puts the entries.
enum class DeleteMode {
  Permanent,  // removed for good
  ToTrash,    // into the desktop's trash; entries no trash can take are removed for good,
              // which the question tells beforehand
};

struct EngineFlags {
  bool BreakRequested = false;          // set by the break command; stops surveys and block copies
  bool AutoOverwrite = false;           // the "do not confirm overwrite" option
  bool SkipOverwriteQuestions = false;  // set by Cancel in the overwrite question, until the next transfer
};

struct SurveyTotals {
  std::uint64_t files = 0;
  std::uint64_t directories = 0;
  std::uint64_t bytes = 0;
  bool stopped = false;
};

class FileOperationEngine {
 public:
  FileOperationEngine(OperationHost& host, platform::UserQuestions& questions);
  // With a file system seam (tests inject faults through it). fileSystem must outlive the engine.
  FileOperationEngine(OperationHost& host, platform::UserQuestions& questions, FileSystem& fileSystem);

  EngineFlags& Flags() { return flags_; }
  const EngineFlags& Flags() const { return flags_; }

  // The break command (Esc): sets BreakRequested.
  void RequestBreak() { flags_.BreakRequested = true; }
  // The "do not confirm overwrite" option.
  void ToggleAutoOverwrite() { flags_.AutoOverwrite = !flags_.AutoOverwrite; }

  // Copies (1), moves (2) or links (4) the sources into destination, recreating the
  // directory structure. A source ending in "/" or naming a directory is a directory.
  // Disables the main window for its duration. True when every entry was handled.
  bool TransferFiles(const std::vector<std::string>& sources, std::string_view destination, int operation);

  // One file in 1 MiB blocks with PB_Sub progress; false when stopped or failed.
  bool CopyFileWithProgress(std::string_view source, std::string_view target);
  // Rename on the same file system, else copy, check and delete the source.
  bool MoveOneFile(std::string_view source, std::string_view target);
  // kind: kOverwriteFile, kOverwriteDirectory or kOverwriteEither (any other value asks
  // whenever the question is not switched off). True = go ahead.
  bool ConfirmOverwrite(std::string_view path, int kind);

  // Asks once, then deletes the files and directory trees, or moves them to the trash.
  // True when everything was deleted.
  bool DeleteWithConfirmation(const std::vector<std::string>& paths, DeleteMode mode = DeleteMode::Permanent);
  // The trash ToTrash deletes use (by default the running user's); it must outlive the engine.
  void UseTrash(platform::Trash& trash) { trash_ = &trash; }
  // Deletes a directory and everything inside it (dir may end in "/"); true on success.
  bool DeleteDirectoryTree(std::string_view dir);

  // The size survey of a directory (path without trailing "/"), reported in the log.
  SurveyTotals CheckDirectorySize(std::string_view path);

 private:
  // A file that was regular when the transfer was planned: opened without looking at the
  // entry first. source and target are named relative to their directories. targetIsFresh:
  // the target's directory was made by this transfer, so there was nothing to ask about or
  // protect; the copy is then placed without replacing anything. creationMask: the mask that
  // alone decides the permission bits of a new file in targetDir, where that is known.
  bool CopyPlannedFile(const platform::DirectoryHandle& sourceDir, std::string_view source,
                       const platform::DirectoryHandle& targetDir, std::string_view target, bool targetIsFresh,
                       std::optional<std::uint32_t> creationMask);
  // target is named relative to targetDir.
  bool CopyOpenFile(platform::File& in, const platform::FileInfo& info, const platform::DirectoryHandle& targetDir,
                    std::string_view target, bool targetIsFresh, std::optional<std::uint32_t> creationMask);
  // Renames the finished copy over the target; false leaves the temporary to its owner.
  bool PlaceCopy(const platform::DirectoryHandle& targetDir, const std::string& temporary, std::string_view target,
                 bool targetIsFresh);
  bool CopyNonRegular(std::string_view source, std::string_view target, const platform::FileInfo& info);
  bool MoveAcrossFileSystems(std::string_view source, std::string_view target);
  bool TransferOneItem(const TransferItem& item, TransferRun& run);
  // fresh: as for CopyPlannedFile; the overwrite question has been answered otherwise.
  bool TransferOneFile(const TransferItem& item, TransferRun& run, bool fresh);
  // Deletes one non-directory entry; read-only files are refused.
  bool DeleteOneFile(std::string_view path);
  void DeleteEntry(const std::string& entry, bool& failed);
  void MoveEntryToTrash(const std::string& entry, bool& failed);
  void DeleteTree(std::string& dir, bool& failed);
  void SurveyWalk(std::string& dir, SurveyTotals& totals);
  bool TargetIsProtected(std::string_view target);

  OperationHost& host_;
  platform::UserQuestions& questions_;
  std::unique_ptr<FileSystem> ownFileSystem_;
  std::unique_ptr<platform::Trash> ownTrash_ =
      std::make_unique<platform::Trash>(platform::TrashPlaces::OfCurrentUser());
  platform::Trash* trash_ = ownTrash_.get();
  FileSystem& fs_;
  EngineFlags flags_;
  std::vector<char> copyBuffer_;  // used only where the kernel cannot copy in place
};

}  // namespace velkoran::fileops
