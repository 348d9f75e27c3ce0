// Deleting files and directory trees after one question. Links are deleted as links and
// never entered, so a tree delete stays inside the tree; read-only files are refused.
#include <algorithm>
#include <vector>

#include "fileops/engine.h"
#include "fileops/messages.h"
#include "platform/directory.h"
#include "platform/fileio.h"
#include "platform/paths.h"

namespace velkoran::fileops {
namespace {

constexpr std::size_t kListedInQuestion = 11;

// The root under any spelling ("/", "//", "/tmp/..") and the empty path, which would turn
// into "/" once a separator is appended.
bool IsRootOrEmpty(std::string_view path) {
  if (path.find_first_not_of('/') == std::string_view::npos) return true;
  platform::FileInfo entry;
  platform::FileInfo root;
  return platform::StatFollow(path, entry) && platform::StatFollow("/", root) && entry.device == root.device &&
         entry.inode == root.inode;
}

// The entries as the delete question lists them: up to eleven, then "・・・・".
std::string QuestionList(const std::vector<std::string>& paths) {
  std::string list;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i == kListedInQuestion) {
      list += messages::Local(messages::kDeleteMore);
      list += '\n';
      break;
    }
    list += paths[i];
    list += '\n';
  }
  return list;
}

std::string WithoutTrailingSeparators(const std::string& entry) {
  const bool onlySeparators = entry.find_first_not_of('/') == std::string::npos;
  return onlySeparators ? entry : platform::HostPaths().RemoveTrailingSeparator(entry);
}

// "（3 項目。フォルダ 1 個は中身ごと削除されます）": a list cut off after eleven entries, or
// a bare folder name, would hide how much goes.
std::string QuestionSummary(const std::vector<std::string>& paths, bool toTrash) {
  std::size_t folders = 0;
  for (const std::string& entry : paths) {
    if (platform::KindOfPath(WithoutTrailingSeparators(entry)) == platform::PathKind::Directory) ++folders;
  }
  std::string summary = messages::Local(messages::kEntriesOpen) + std::to_string(paths.size()) +
                        messages::Local(messages::kEntriesCount);
  if (folders > 0) {
    summary += platform::FillPattern(messages::Local(toTrash ? messages::kFoldersTrashed : messages::kFoldersDeleted),
                                     {std::to_string(folders)});
  }
  return summary + messages::Local(messages::kEntriesClose);
}

}  // namespace

bool FileOperationEngine::DeleteWithConfirmation(const std::vector<std::string>& paths, DeleteMode mode) {
  if (paths.empty()) return false;
  // Entries no trash can take are deleted for good, which the question says.
  std::vector<std::string> permanent;
  if (mode == DeleteMode::ToTrash) {
    for (const std::string& entry : paths) {
      const std::string bare = WithoutTrailingSeparators(entry);
      if (platform::KindOfPath(bare) != platform::PathKind::None && !trash_->TrashDirFor(bare)) {
        permanent.push_back(entry);
      }
    }
  }
  std::string question = QuestionList(paths);
  if (mode == DeleteMode::Permanent) {
    question += messages::Local(messages::kDeleteQuestion);
  } else if (permanent.empty()) {
    question += messages::Local(messages::kTrashQuestion);
  } else if (permanent.size() == paths.size()) {
    question += messages::Local(messages::kDeleteQuestion);
    question += '\n';
    question += messages::Local(messages::kNoTrashForAny);
  } else {
    question += messages::Local(messages::kTrashQuestion);
    question += '\n';
    question += messages::Local(messages::kNoTrashForThese);
    question += '\n';
    question += QuestionList(permanent);
  }
  if (question.back() != '\n') question += '\n';
  question += QuestionSummary(paths, mode == DeleteMode::ToTrash && permanent.empty());
  if (questions_.AskYesNoDefaultNo(messages::Local(messages::kDeleteCaption), question) != platform::Answer::Yes) {
    return false;
  }

  bool failed = false;
  for (const std::string& entry : paths) {
    const bool toTrash =
        mode == DeleteMode::ToTrash && std::find(permanent.begin(), permanent.end(), entry) == permanent.end();
    if (toTrash) {
      MoveEntryToTrash(entry, failed);
    } else {
      DeleteEntry(entry, failed);
    }
  }
  host_.AppendLog(messages::Local(failed ? messages::kDeleteFailed : messages::kDeleteSucceeded));
  return !failed;
}

void FileOperationEngine::DeleteEntry(const std::string& entry, bool& failed) {
  host_.AppendLog(messages::Local(messages::kDeleting) + entry);
  const std::string bare = WithoutTrailingSeparators(entry);
  const bool onlySeparators = entry.find_first_not_of('/') == std::string::npos;
  const platform::PathKind kind = onlySeparators ? platform::PathKind::None : platform::KindOfPath(bare);
  if (kind == platform::PathKind::File || kind == platform::PathKind::Symlink || kind == platform::PathKind::Other) {
    if (!DeleteOneFile(bare)) failed = true;
  } else if (IsRootOrEmpty(bare)) {
    // The whole file system is never a delete target (an empty buffer line is not one either).
    host_.AppendLog(messages::Local(messages::kDeleteFailedAt) + entry);
    failed = true;
  } else {
    std::string dir = bare + "/";
    DeleteTree(dir, failed);
  }
}

void FileOperationEngine::MoveEntryToTrash(const std::string& entry, bool& failed) {
  host_.AppendLog(messages::Local(messages::kTrashing) + entry);
  const platform::TrashOutcome outcome = trash_->MoveToTrash(WithoutTrailingSeparators(entry));
  if (outcome.result == platform::TrashResult::Trashed) return;
  failed = true;
  // A trash that went away after the question: the entry stays, as nobody agreed to more.
  if (outcome.result == platform::TrashResult::NoTrash) {
    host_.AppendLog(messages::Local(messages::kNoTrashAt) + entry);
  } else {
    host_.AppendLog(messages::Local(messages::kTrashFailedAt) + entry + " (" + platform::ErrorText(outcome.error) + ")");
  }
}

bool FileOperationEngine::DeleteDirectoryTree(std::string_view dir) {
  std::string path = platform::HostPaths().AddTrailingSeparator(dir);
  bool failed = false;
  DeleteTree(path, failed);
  return !failed;
}

void FileOperationEngine::DeleteTree(std::string& dir, bool& failed) {
  struct Entry {
    std::string name;
    bool isDirectory;
  };
  if (IsRootOrEmpty(dir)) {
    host_.AppendLog(messages::Local(messages::kDeleteFailedAt) + dir);
    failed = true;
    return;
  }
  // Only a real directory is entered: a link at this path would lead outside the tree.
  platform::FileInfo info;
  const std::string bare = dir.size() > 1 ? dir.substr(0, dir.size() - 1) : dir;
  if (!failed && fs_.Stat(bare, info) && info.kind == platform::PathKind::Directory) {
    std::vector<Entry> entries;
    platform::ForEachEntry(dir, platform::EnumDetail::TypeOnly, [&](const platform::DirEntry& e) {
      entries.push_back({std::string(e.name), e.isDirectory});
      return true;
    });
    const std::size_t length = dir.size();
    for (const Entry& entry : entries) {
      if (failed) break;
      dir += entry.name;
      if (entry.isDirectory) {
        dir += '/';
        DeleteTree(dir, failed);
      } else if (!DeleteOneFile(dir)) {
        host_.AppendLog(messages::Local(messages::kDeleteFailedAt) + dir);
        failed = true;
        dir.resize(length);
        return;
      }
      dir.resize(length);
    }
  }
  host_.SetMainWindowCaption(dir);
  if (!fs_.RemoveDirectory(dir)) {
    host_.AppendLog(messages::Local(messages::kDeleteFailedAt) + dir);
    failed = true;
  }
}

}  // namespace velkoran::fileops
