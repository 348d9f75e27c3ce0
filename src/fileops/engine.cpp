#include "fileops/engine.h"

#include "fileops/messages.h"
#include "platform/directory.h"
#include "platform/paths.h"

namespace velkoran::fileops {

std::string OperationName(int operation) {
  switch (operation) {
    case kOperationCopy: return messages::Local(messages::kCopy);
    case kOperationMove: return messages::Local(messages::kMove);
    case kOperationLink: return messages::Local(messages::kLink);
    default: return {};
  }
}

FileOperationEngine::FileOperationEngine(OperationHost& host, platform::UserQuestions& questions)
    : host_(host), questions_(questions), ownFileSystem_(std::make_unique<FileSystem>()), fs_(*ownFileSystem_) {}

FileOperationEngine::FileOperationEngine(OperationHost& host, platform::UserQuestions& questions,
                                         FileSystem& fileSystem)
    : host_(host), questions_(questions), fs_(fileSystem) {}

bool FileOperationEngine::ConfirmOverwrite(std::string_view path, int kind) {
  // "name/" names a directory; the file check looks at the entry itself.
  const std::string bare = platform::HostPaths().IsRoot(path)
                               ? std::string(path)
                               : platform::HostPaths().RemoveTrailingSeparator(path);
  bool exists = true;
  switch (kind) {
    case kOverwriteFile: exists = platform::FileExists(bare); break;
    case kOverwriteDirectory: exists = platform::DirectoryExists(bare); break;
    case kOverwriteEither: exists = platform::FileExists(bare) || platform::DirectoryExists(bare); break;
    default: break;
  }
  if (!exists) return true;
  if (flags_.AutoOverwrite || flags_.SkipOverwriteQuestions) return true;

  std::string text(path);
  text += messages::Local(messages::kOverwriteQuestion);
  switch (questions_.AskYesNoCancelDefaultNo(messages::Local(messages::kOverwriteCaption), text)) {
    case platform::Answer::Yes: return true;
    case platform::Answer::Cancel:
      flags_.SkipOverwriteQuestions = true;
      return true;
    default: return false;
  }
}

bool FileOperationEngine::DeleteOneFile(std::string_view path) {
  platform::FileInfo info;
  if (!fs_.Stat(path, info) || info.kind == platform::PathKind::Directory) return false;
  if (platform::IsReadOnly(path)) return false;
  return fs_.RemoveFile(path);
}

bool FileOperationEngine::TargetIsProtected(std::string_view target) {
  platform::FileInfo info;
  if (!fs_.Stat(target, info)) return false;
  // A file never replaces a directory, and a read-only file is not replaced.
  if (info.kind == platform::PathKind::Directory) return true;
  return platform::IsReadOnly(target);
}

}  // namespace velkoran::fileops
