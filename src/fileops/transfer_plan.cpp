#include "fileops/transfer_plan.h"

#include <algorithm>
#include <numeric>

#include "platform/paths.h"

namespace velkoran::fileops {
namespace {

using platform::HostPaths;

// The directory part of a path up to and including its last separator (code-page aware,
// so the trail byte of a double-byte character is never taken for one); empty without one.
std::string DirectoryPart(std::string_view path) {
  const auto seps = HostPaths().SeparatorPositions(path);
  if (seps.empty()) return {};
  return std::string(path.substr(0, seps.back() + 1));
}

class Planner {
 public:
  Planner(FileSystem& fileSystem, const std::function<void()>& serviceEvents)
      : fs_(fileSystem), serviceEvents_(serviceEvents) {}

  void AddSource(const std::string& path) {
    const auto& rules = HostPaths();
    const bool isRoot = rules.IsRoot(path);
    const std::string bare = isRoot ? std::string(path) : rules.RemoveTrailingSeparator(path);
    platform::FileInfo info;
    const bool found = fs_.Stat(bare, info);
    const bool isLink = found && info.kind == platform::PathKind::Symlink;
    const bool isDirectory =
        !isLink && (rules.HasTrailingSeparator(path) || (found && info.kind == platform::PathKind::Directory));

    TransferItem item;
    if (isDirectory) {
      // The root's content goes straight into the destination.
      const std::string walkDir = isRoot ? std::string() : bare;
      item.IsDirectory = true;
      item.SourceDir = DirectoryPart(walkDir);
      item.EntryName = walkDir.substr(item.SourceDir.size());
      const std::string rootPrefix = item.SourceDir;
      plan_.items.push_back(std::move(item));
      Walk(walkDir, rootPrefix, plan_.items.size() - 1);
      return;
    }
    item.SourceDir = DirectoryPart(bare);
    item.EntryName = bare.substr(item.SourceDir.size());
    if (found) {
      item.IsRegularFile = info.kind == platform::PathKind::File;
      item.Size = static_cast<std::int64_t>(info.size);
      plan_.totalBytes += info.size;
    } else {
      item.Size = -1;
    }
    plan_.items.push_back(std::move(item));
  }

  TransferPlan Take() { return std::move(plan_); }

 private:
  // dir has no trailing separator ("" stands for the root); dirItem is the index of its own item.
  void Walk(const std::string& dir, const std::string& rootPrefix, std::size_t dirItem) {
    if (serviceEvents_) serviceEvents_();
    const std::string sourceDir = dir + "/";
    const std::string subPath = dir.empty() ? std::string() : dir.substr(rootPrefix.size()) + "/";
    std::vector<std::size_t> subdirectories;  // indices of their items
    const bool listed = fs_.ListDirectory(sourceDir, [&](const platform::DirEntry& e) {
      TransferItem item;
      item.SourceDir = sourceDir;
      item.EntryName = std::string(e.name);
      item.SubPath = subPath;
      if (e.isDirectory) {
        item.IsDirectory = true;
        subdirectories.push_back(plan_.items.size());
      } else {
        item.IsRegularFile = e.isRegularFile;
        item.Size = static_cast<std::int64_t>(e.size);
        plan_.totalBytes += e.size;
      }
      plan_.items.push_back(std::move(item));
      return true;
    });
    if (!listed) plan_.items[dirItem].ContentUnreadable = true;
    // Walked after the enumeration closes, so a deep tree holds one directory open at a time.
    for (const std::size_t index : subdirectories) Walk(plan_.items[index].Source(), rootPrefix, index);
  }

  FileSystem& fs_;
  const std::function<void()>& serviceEvents_;
  TransferPlan plan_;
};

}  // namespace

std::string TransferItem::Target(std::string_view destination) const {
  std::string target(destination);
  target += SubPath;
  target += EntryName;
  return target;
}

TransferPlan PlanTransfer(const std::vector<std::string>& sources, FileSystem& fileSystem,
                          const std::function<void()>& serviceEvents) {
  Planner planner(fileSystem, serviceEvents);
  for (const std::string& source : sources) planner.AddSource(source);
  return planner.Take();
}

void SortTransferItems(std::vector<TransferItem>& items) {
  std::vector<std::string> keys;
  keys.reserve(items.size());
  for (const TransferItem& item : items) keys.push_back(item.SourceDir + "/" + item.EntryName);
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].size() != keys[b].size()) return keys[a].size() < keys[b].size();
    return keys[a] < keys[b];
  });
  std::vector<TransferItem> sorted;
  sorted.reserve(items.size());
  for (std::size_t i : order) sorted.push_back(std::move(items[i]));
  items = std::move(sorted);
}

}  // namespace velkoran::fileops
