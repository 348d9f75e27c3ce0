#include "fileops/directory_cursor.h"

namespace velkoran::fileops {

const platform::DirectoryHandle* DirectoryCursor::Enter(FileSystem& fileSystem, std::string_view head,
                                                        std::string_view tail) {
  if (!IsCurrent(head, tail)) {
    path_.assign(head);
    path_ += tail;
    handle_ = fileSystem.OpenDirectory(path_);
    entered_ = true;
  }
  return handle_.IsOpen() ? &handle_ : nullptr;
}

bool DirectoryCursor::IsCurrent(std::string_view head, std::string_view tail) const {
  const std::string_view path = path_;
  return entered_ && path.size() == head.size() + tail.size() && path.substr(0, head.size()) == head &&
         path.substr(head.size()) == tail;
}

}  // namespace velkoran::fileops
