#include "app/logic/dir_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <unordered_set>

#include "platform/codepage.h"
#include "platform/dir_helpers.h"
#include "platform/directory.h"
#include "app/logic/name_order.h"
#include "app/logic/state_files.h"

namespace velkoran::app {

using platform::NetDisplayType;
using platform::NetResource;
using platform::NetResourceType;
using platform::NetworkLevel;

bool HostSubdirectorySource::DirectoryExists(std::string_view path) {
  struct stat st {};
  return ::stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void HostSubdirectorySource::ForEachSubdirectory(std::string_view dir, const Visit& visit) {
  const std::string base = platform::HostPaths().AddTrailingSeparator(dir);
  platform::ForEachEntry(dir, platform::EnumDetail::TypeOnly, [&](const platform::DirEntry& e) {
    if (e.isDirectory) return visit(e.name, false);
    if (e.isSymlink) {
      // A link to a directory is shown so that it can be browsed; the tree only ever
      // descends into it when the user (or a saved path) asks for it.
      struct stat st {};
      const std::string full = base + std::string(e.name);
      if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return visit(e.name, true);
    }
    return true;
  });
}

int HostSubdirectorySource::Rename(std::string_view from, std::string_view to) {
  return platform::RenameEntry(from, to, platform::RenameMode::NoReplace);
}

DirTree::DirTree(const platform::PathRules& rules, SubdirectorySource& source, platform::VolumeList& volumes,
                 platform::NetworkEnumeration& network)
    : rules_(rules), source_(source), volumes_(volumes), network_(network) {}

DirTree::~DirTree() = default;

std::string DirTree::Caption(const DirNode& node) const {
  return node.IsRoot() ? rules_.AddTrailingSeparator(node.nodeName) : node.nodeName;
}

bool DirTree::IsDriveIgnored(std::string_view path) const {
  const std::string p = rules_.AddTrailingSeparator(path);
  for (const std::string& mask : filters_.acceptDrive) {
    if (platform::MatchesMask(p, rules_.AddTrailingSeparator(mask))) return false;
  }
  for (const std::string& mask : filters_.ignoreDrive) {
    if (platform::MatchesMask(p, rules_.AddTrailingSeparator(mask))) return true;
  }
  return false;
}

void DirTree::BeginUpdate() {
  if (updateDepth_++ == 0 && observer_ != nullptr) observer_->TreeAboutToReset();
}

void DirTree::EndUpdate() {
  if (--updateDepth_ == 0 && observer_ != nullptr) observer_->TreeReset();
}

DirNode* DirTree::AddRoot(std::string name) {
  auto node = std::make_unique<DirNode>();
  node->nodeName = std::move(name);
  node->row = static_cast<int>(roots_.size());
  DirNode* raw = node.get();
  // Roots are only added inside a bulk update, so no row notification is due.
  roots_.push_back(std::move(node));
  return raw;
}

DirNode* DirTree::InsertChildren(DirNode& parent, std::size_t position, std::vector<NewChild>& children) {
  if (children.empty()) return nullptr;
  const int first = static_cast<int>(position);
  const int last = first + static_cast<int>(children.size()) - 1;
  const bool notify = observer_ != nullptr && updateDepth_ == 0;
  if (notify) observer_->ChildrenAboutToBeAdded(&parent, first, last);
  const std::string parentPath = rules_.AddTrailingSeparator(parent.Path());
  std::vector<std::unique_ptr<DirNode>> added;
  added.reserve(children.size());
  for (NewChild& c : children) {
    auto node = std::make_unique<DirNode>();
    node->parentPath = parentPath;
    node->nodeName = std::move(c.name);
    node->renamable = true;
    node->isLink = c.isLink;
    node->parent = &parent;
    added.push_back(std::move(node));
  }
  auto& siblings = parent.children;
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
  for (std::size_t i = position; i < siblings.size(); ++i) siblings[i]->row = static_cast<int>(i);
  if (notify) observer_->ChildrenAdded(&parent);
  return siblings[position].get();
}

void DirTree::MergeChildren(DirNode& parent, std::vector<NewChild>& children) {
  std::sort(children.begin(), children.end(),
            [](const NewChild& a, const NewChild& b) { return NameSortsBefore(a.name, b.name); });
  std::size_t next = 0;  // the first new child not inserted yet
  for (std::size_t pos = 0; pos <= parent.children.size() && next < children.size(); ++pos) {
    // The run of new children that sorts before the child at pos (at the end: all the rest).
    std::size_t end = children.size();
    if (pos < parent.children.size()) {
      end = next;
      while (end < children.size() && NameSortsBefore(children[end].name, parent.children[pos]->nodeName)) ++end;
    }
    if (end == next) continue;
    std::vector<NewChild> run(std::make_move_iterator(children.begin() + static_cast<std::ptrdiff_t>(next)),
                              std::make_move_iterator(children.begin() + static_cast<std::ptrdiff_t>(end)));
    InsertChildren(parent, pos, run);
    pos += end - next;  // past the run; the loop steps past the child that followed it
    next = end;
  }
}

void DirTree::ForEachNetResource(const NetResource* container, const std::function<void(const NetResource&)>& visit) {
  std::unique_ptr<NetworkLevel> level = network_.Open(container);
  if (!level) return;
  std::vector<NetResource> batch;
  while (level->Next(batch) == NetworkLevel::Status::Batch) {
    for (const NetResource& r : batch) {
      visit(r);
      if (r.container) ForEachNetResource(&r, visit);
    }
  }
}

void DirTree::CollectServers(std::vector<std::string>& out) {
  ForEachNetResource(nullptr, [&](const NetResource& r) {
    if (r.displayType == NetDisplayType::Server && !IsDriveIgnored(r.remoteName)) out.push_back(r.remoteName);
  });
}

void DirTree::AddShares() {
  ForEachNetResource(nullptr, [&](const NetResource& r) {
    if (r.type != NetResourceType::Disk || r.displayType != NetDisplayType::Share) return;
    const std::vector<std::size_t> seps = rules_.SeparatorPositions(r.remoteName);
    if (seps.empty()) return;
    const std::string host = r.remoteName.substr(0, seps.back());
    const std::string share = r.remoteName.substr(seps.back() + 1);
    for (const auto& root : roots_) {
      if (platform::SamePathIgnoreCase(root->nodeName, host)) {
        std::vector<NewChild> one{{share, false}};
        DirNode* node = InsertChildren(*root, root->children.size(), one);
        node->parentPath = rules_.AddTrailingSeparator(host);
        node->renamable = false;
        break;
      }
    }
  });
}

void DirTree::Rebuild() {
  BeginUpdate();
  roots_.clear();
  std::vector<std::string> names;
  for (std::string& root : volumes_.Roots()) {
    if (!source_.DirectoryExists(root) || IsDriveIgnored(root)) continue;
    names.push_back(std::move(root));
  }
  if (!filters_.ignoreShare) CollectServers(names);
  for (std::string& name : names) {
    DirNode* node = AddRoot(std::move(name));
    ScanChildren(*node, true);
  }
  if (!filters_.ignoreShare) AddShares();
  EndUpdate();
}

void DirTree::ScanChildren(DirNode& node, bool firstOnly) {
  if (node.scanState == 2 || (node.scanState == 1 && firstOnly)) return;
  const std::string path = node.Path();
  std::vector<NewChild> found;
  if (node.scanState == 0) {
    source_.ForEachSubdirectory(path, [&](std::string_view name, bool isLink) {
      found.push_back({std::string(name), isLink});
      return false;
    });
    InsertChildren(node, node.children.size(), found);
    node.scanState = 1;
    return;
  }
  // The children already loaded are skipped by name rather than by position, so a
  // directory created meanwhile ahead of them never makes one of them appear twice.
  const std::size_t known = node.children.size();
  source_.ForEachSubdirectory(path, [&](std::string_view name, bool isLink) {
    for (std::size_t i = 0; i < known; ++i) {
      if (node.children[i]->nodeName == name) return true;
    }
    found.push_back({std::string(name), isLink});
    return true;
  });
  MergeChildren(node, found);
  node.scanState = 2;
}

void DirTree::ReadChildrenAgain(DirNode& node) {
  if (node.scanState < 2) {
    ScanChildren(node, false);
    ScanChildren(node, false);
  } else {
    std::unordered_set<std::string_view> known;
    for (const auto& child : node.children) known.insert(child->nodeName);
    std::vector<NewChild> found;
    source_.ForEachSubdirectory(node.Path(), [&](std::string_view name, bool isLink) {
      if (known.count(name) == 0) found.push_back({std::string(name), isLink});
      return true;
    });
    MergeChildren(node, found);
  }
  for (std::size_t i = 0; i < node.children.size(); ++i) ScanChildren(*node.children[i], true);
}

bool DirTree::Expand(DirNode& node) {
  if (node.expanded) return true;
  if (node.scanState == 0) ScanChildren(node, true);
  if (node.children.empty()) return false;
  node.expanded = true;
  ScanChildren(node, false);
  for (std::size_t i = 0; i < node.children.size(); ++i) ScanChildren(*node.children[i], true);
  if (observer_ != nullptr && updateDepth_ == 0) observer_->ExpansionChanged(&node);
  return true;
}

void DirTree::Collapse(DirNode& node) {
  if (!node.expanded) return;
  node.expanded = false;
  if (observer_ != nullptr && updateDepth_ == 0) observer_->ExpansionChanged(&node);
}

void DirTree::CollapseAll() {
  BeginUpdate();
  const std::function<void(DirNode&)> collapse = [&](DirNode& n) {
    n.expanded = false;
    for (auto& c : n.children) collapse(*c);
  };
  for (auto& root : roots_) collapse(*root);
  EndUpdate();
}

std::vector<std::string> DirTree::CollectExpandedPaths() const {
  std::vector<std::string> paths;
  const std::function<void(const DirNode&)> visit = [&](const DirNode& n) {
    if (!n.expanded) return;
    paths.push_back(n.Path());
    for (const auto& c : n.children) visit(*c);
  };
  for (const auto& root : roots_) visit(*root);
  return paths;
}

void DirTree::ExpandPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  BeginUpdate();
  // Paths compare exactly, so a hash set answers for each node at once (a tab may
  // remember thousands of open directories).
  const std::unordered_set<std::string_view> wanted(paths.begin(), paths.end());
  std::string path;
  const std::function<void(DirNode&)> visit = [&](DirNode& n) {
    path.assign(n.parentPath).append(n.nodeName);
    if (wanted.count(path) != 0) Expand(n);
    // Expansion may add children; index the vector afresh on each step.
    for (std::size_t i = 0; i < n.children.size(); ++i) visit(*n.children[i]);
  };
  for (std::size_t i = 0; i < roots_.size(); ++i) visit(*roots_[i]);
  EndUpdate();
}

DirNode* DirTree::MatchComponent(const std::vector<std::unique_ptr<DirNode>>& nodes, std::string_view wanted) const {
  for (const auto& n : nodes) {
    if (platform::SamePath(n->Path(), wanted)) return n.get();
  }
  for (const auto& n : nodes) {
    if (platform::SamePathIgnoreCase(n->Path(), wanted)) return n.get();
  }
  return nullptr;
}

DirNode* DirTree::FindNodeFromPath(std::string_view path, bool nearest) {
  if (breakFlag_ != nullptr) *breakFlag_ = false;
  if (TrimText(path).empty()) return nullptr;
  const std::vector<std::string> wanted = rules_.WantedPrefixes(rules_.AddTrailingSeparator(path));
  if (wanted.empty()) return nullptr;

  DirNode* deepest = nullptr;
  std::size_t deepestIndex = 0;
  // A root stands for the prefix that equals its path: "/" for the first, "/home/user" for
  // the home root, so a path below a root is found even when "/" itself is filtered out.
  for (const auto& root : roots_) {
    if (BreakRequested()) break;
    std::size_t d = 0;
    while (d < wanted.size() && !platform::SamePath(root->Path(), wanted[d])) ++d;
    if (d == wanted.size()) {
      d = 0;
      while (d < wanted.size() && !platform::SamePathIgnoreCase(root->Path(), wanted[d])) ++d;
      if (d == wanted.size()) continue;
    }
    DirNode* node = root.get();
    while (node != nullptr) {
      if (BreakRequested()) return nearest ? deepest : nullptr;
      ScanChildren(*node, false);
      ScanChildren(*node, false);
      // The children just loaded learn whether they have subdirectories of their own, so
      // each shows its expander correctly.
      for (std::size_t i = 0; i < node->children.size(); ++i) ScanChildren(*node->children[i], true);
      if (deepest == nullptr || d >= deepestIndex) {
        deepest = node;
        deepestIndex = d;
      }
      if (d + 1 == wanted.size()) return node;
      ++d;
      node = MatchComponent(node->children, wanted[d]);
    }
  }
  return nearest ? deepest : nullptr;
}

DirNode* DirTree::FindExactNode(std::string_view path) {
  if (DirNode* node = FindNodeFromPath(path, false)) return node;
  DirNode* nearest = FindNodeFromPath(path, true);
  if (nearest == nullptr || BreakRequested()) return nullptr;
  ReadChildrenAgain(*nearest);
  return FindNodeFromPath(path, false);
}

void DirTree::FixParentPaths(DirNode& node) {
  for (auto& child : node.children) {
    child->parentPath = rules_.AddTrailingSeparator(node.Path());
    FixParentPaths(*child);
  }
}

bool DirTree::Rename(DirNode& node, std::string_view newName) {
  if (!node.renamable || newName.empty() || !rules_.SeparatorPositions(newName).empty()) return false;
  if (newName == node.nodeName) return true;
  const std::string from = node.Path();
  const std::string to = node.parentPath + std::string(newName);
  if (source_.Rename(from, to) != 0) return false;
  node.nodeName = std::string(newName);
  FixParentPaths(node);
  if (observer_ != nullptr && updateDepth_ == 0) observer_->NodeChanged(&node);
  return true;
}

bool DirTree::IsSelfOrAncestor(const DirNode* ancestor, const DirNode* node) {
  for (; node != nullptr; node = node->parent) {
    if (node == ancestor) return true;
  }
  return false;
}

}  // namespace velkoran::app
