// Planning a transfer: the list of entries to copy, move or link, with the directories
// recreated before anything inside them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/file_system.h"

namespace velkoran::fileops {

// One planned entry. The source is SourceDir + EntryName; the target is destination +
// SubPath + EntryName.
struct TransferItem {
  bool IsDirectory = false;
  std::string SourceDir;  // directory holding the entry, ending in "/" (empty for a bare name)
  std::string EntryName;  // the entry's name
  std::int64_t Size = 0;  // bytes; 0 for directories; -1 for a top-level file that is missing
  // A regular file when planned: its copy opens it without looking at the entry again
  // (and looks again only when the open finds something else there).
  bool IsRegularFile = false;
  std::string SubPath;    // directory relative to the transfer root, ending in "/"; empty at top level
  // A directory whose entries could not be listed: transferring it would make an empty
  // copy look complete, so the transfer fails there.
  bool ContentUnreadable = false;

  std::string Source() const { return SourceDir + EntryName; }
  std::string Target(std::string_view destination) const;
};

struct TransferPlan {
  std::vector<TransferItem> items;
  std::uint64_t totalBytes = 0;  // sum of the sizes; a missing file counts 0
};

// Plans the sources in order. A source is a directory when it ends in "/" or names a real
// directory; a symbolic link is an entry of its own (copied as a link), also when written
// with a trailing "/", and the walk never follows one. serviceEvents, when given, is called
// once per directory walked so that a large tree keeps the window responsive.
TransferPlan PlanTransfer(const std::vector<std::string>& sources, FileSystem& fileSystem,
                          const std::function<void()>& serviceEvents = {});

// Shorter SourceDir + "/" + EntryName first, ties by the same text compared exactly:
// every directory comes before everything inside it. Stable for equal texts.
void SortTransferItems(std::vector<TransferItem>& items);

}  // namespace velkoran::fileops
