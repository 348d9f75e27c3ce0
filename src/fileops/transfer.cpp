// TransferFiles: plan, order, then copy, move or link entry by entry with overwrite
// questions and both progress bars. The first failure ends the transfer; entries already
// handled stay done.
#include <unordered_set>

#include "fileops/directory_cursor.h"
#include "fileops/engine.h"
#include "fileops/format_size.h"
#include "fileops/messages.h"
#include "fileops/transfer_plan.h"
#include "platform/directory.h"
#include "platform/paths.h"

namespace velkoran::fileops {

// What one transfer carries from entry to entry.
struct TransferRun {
  std::string destination;  // ending in "/"
  int operation = 0;
  std::string name;  // the operation's name in log lines
  // The targets' directories (relative, ending in "/") this transfer made and nothing of the
  // transfer found already there.
  std::unordered_set<std::string> madeDirectories;
  // The files of the current stretch (entries of one source directory going to one target
  // directory, in a row) are many enough to be copied through directory handles.
  bool byHandles = false;
  // The process's umask, read when the transfer starts.
  std::optional<std::uint32_t> umask;
  // The umask, when it alone decides the permission bits of the files the current stretch
  // creates (then their copies need no look at the new file's bits).
  std::optional<std::uint32_t> creationMask;
  DirectoryCursor sources;
  DirectoryCursor targets;
};

namespace {

// The window takes no input while a transfer runs, however the transfer ends.
class WindowDisabled {
 public:
  explicit WindowDisabled(OperationHost& host) : host_(host) { host_.SetMainWindowEnabled(false); }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;
  ~WindowDisabled() { host_.SetMainWindowEnabled(true); }

 private:
  OperationHost& host_;
};

// True when dir (ending in "/") is the directory `root` or lies below it.
bool IsWithin(std::string_view dir, std::string_view root) {
  const std::string prefix = platform::HostPaths().AddTrailingSeparator(root);
  return dir.substr(0, prefix.size()) == prefix;
}

// A directory handle costs an open and a close that walk the whole path once; through it
// the open, create and rename of each file skip that walk. Below this many files in a row
// (a scattered tree, where the plan's order visits a directory for one or two files at a
// time) whole paths are cheaper.
constexpr std::size_t kFilesWorthHandles = 3;

// The end of the stretch of items from first on that share its source and target directory,
// and whether its regular files are worth directory handles.
bool StretchWorthHandles(const std::vector<TransferItem>& items, std::size_t first, std::size_t& end) {
  std::size_t files = 0;
  for (end = first; end < items.size() && items[end].SourceDir == items[first].SourceDir &&
                    items[end].SubPath == items[first].SubPath;
       ++end) {
    if (items[end].IsRegularFile) ++files;
  }
  return files >= kFilesWorthHandles;
}

}  // namespace

bool FileOperationEngine::TransferFiles(const std::vector<std::string>& sources, std::string_view destination,
                                        int operation) {
  flags_.SkipOverwriteQuestions = false;
  flags_.BreakRequested = false;
  WindowDisabled disabled(host_);
  TransferRun run;
  run.destination = platform::HostPaths().AddTrailingSeparator(destination);
  run.operation = operation;
  run.name = OperationName(operation);
  if (operation == kOperationCopy) run.umask = platform::ProcessUmask();
  const std::string& name = run.name;

  host_.AppendLog(name + messages::Local(messages::kPreparing));
  TransferPlan plan = PlanTransfer(sources, fs_, [this] { host_.ProcessPendingEvents(); });
  SortTransferItems(plan.items);
  host_.AppendLog(name + messages::Local(messages::kPrepared));
  host_.AppendLog(messages::Local(messages::kTotalSize) + FormatSize(plan.totalBytes, SizeFormat::Decimal));

  host_.SetProgressMaximum(ProgressBar::Main, plan.totalBytes / 1024);
  host_.SetProgressPosition(ProgressBar::Main, 0);
  host_.TransferStarted(plan.totalBytes);
  std::uint64_t position = 0;
  std::uint64_t bytesDone = 0;
  bool succeeded = true;
  std::size_t stretchEnd = 0;
  for (std::size_t index = 0; index < plan.items.size(); ++index) {
    const TransferItem& item = plan.items[index];
    if (index == stretchEnd) {
      run.byHandles = StretchWorthHandles(plan.items, index, stretchEnd);
      const bool plain =
          run.byHandles && run.umask && platform::CreatesWithPlainUmask(run.destination + item.SubPath);
      run.creationMask = plain ? run.umask : std::nullopt;
    }
    // Esc seen before the next entry ends the transfer too; otherwise the next file's copy
    // would clear it and a transfer of small files or same-disk moves could not be stopped.
    if (flags_.BreakRequested || !TransferOneItem(item, run)) {
      succeeded = false;
      break;
    }
    if (item.Size > 0) position += static_cast<std::uint64_t>(item.Size) / 1024;
    if (item.Size > 0) bytesDone += static_cast<std::uint64_t>(item.Size);
    host_.SetProgressPosition(ProgressBar::Main, position);
    host_.TransferEntriesDone(bytesDone);
    host_.ProcessPendingEvents();
  }
  plan.items.clear();
  const std::string_view end = succeeded ? messages::kDoneEnd : flags_.BreakRequested ? messages::kStoppedEnd : messages::kFailedEnd;
  host_.AppendLog(name + messages::Local(end));
  host_.TransferEnded(succeeded);
  return succeeded;
}

bool FileOperationEngine::TransferOneFile(const TransferItem& item, TransferRun& run, bool fresh) {
  const bool copy = run.operation == kOperationCopy;
  if (copy && item.IsRegularFile) {
    const platform::DirectoryHandle* sourceDir = run.byHandles ? run.sources.Enter(fs_, item.SourceDir) : nullptr;
    const platform::DirectoryHandle* targetDir =
        run.byHandles ? run.targets.Enter(fs_, run.destination, item.SubPath) : nullptr;
    if (sourceDir != nullptr && targetDir != nullptr) {
      return CopyPlannedFile(*sourceDir, item.EntryName, *targetDir, item.EntryName, fresh, run.creationMask);
    }
    // A short stretch, or a directory that cannot be opened as a handle: by whole paths.
    const platform::DirectoryHandle& whole = platform::WorkingDirectory();
    return CopyPlannedFile(whole, item.Source(), whole, item.Target(run.destination), fresh, std::nullopt);
  }
  if (copy) return CopyFileWithProgress(item.Source(), item.Target(run.destination));
  if (run.operation == kOperationMove) return MoveOneFile(item.Source(), item.Target(run.destination));
  return true;
}

bool FileOperationEngine::TransferOneItem(const TransferItem& item, TransferRun& run) {
  const std::string& name = run.name;
  if (!item.IsDirectory) {
    // In a directory this transfer made there is nothing to ask about yet; the copy is
    // placed without replacing whatever may appear there meanwhile.
    const bool fresh =
        run.operation == kOperationCopy && item.IsRegularFile && run.madeDirectories.count(item.SubPath) > 0;
    if (!fresh && !ConfirmOverwrite(item.Target(run.destination), kOverwriteFile)) return false;
    const bool done = TransferOneFile(item, run, fresh);
    if (!done) {
      host_.AppendLog(name + messages::Local(flags_.BreakRequested ? messages::kStoppedPrefix : messages::kFailedPrefix) +
                      item.Target(run.destination));
    }
    return done;
  }

  const std::string& destination = run.destination;
  const std::string target = item.Target(destination);

  // A directory that is gone (a stale buffer entry) or cannot be listed is a failure, not
  // an empty copy.
  const std::string source = item.Source().empty() ? std::string("/") : item.Source();
  platform::FileInfo sourceInfo;
  if (item.ContentUnreadable || !fs_.Stat(source, sourceInfo) || sourceInfo.kind != platform::PathKind::Directory) {
    host_.AppendLog(name + messages::Local(messages::kFailedPrefix) + target + "/");
    return false;
  }
  // A directory never goes into itself or below itself (a short drag dropped back on its
  // own node): the copy would repeat the whole tree inside it.
  if (item.SubPath.empty() && IsWithin(destination, source)) {
    host_.AppendLog(name + messages::Local(messages::kFailedPrefix) + target + "/");
    host_.AppendLog(messages::Local(messages::kIntoItself) + source);
    return false;
  }
  const std::string relative = item.SubPath + item.EntryName + "/";
  if (platform::DirectoryExists(target)) {
    // Two sources may share a target directory: what the first put there is no longer fresh.
    run.madeDirectories.erase(relative);
    return ConfirmOverwrite(target, kOverwriteDirectory);
  }
  // The owner keeps full access so the content can be written; others get what the source gives.
  if (fs_.MakeDirectory(target, sourceInfo.mode | 0700) != 0) {
    host_.AppendLog(messages::Local(messages::kDirectoryCreateFailed) + target + "/");
    return false;
  }
  run.madeDirectories.insert(relative);
  return true;
}

}  // namespace velkoran::fileops
