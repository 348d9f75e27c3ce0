// The directory tree's bookkeeping, without widgets: root nodes from the volume list (and
// the network's servers and shares), lazy loading of subdirectories, expansion, path
// lookup and in-place rename. A view follows it through TreeObserver.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace velkoran::app {

struct DirNode {
  std::string parentPath;  // the parent's path with a trailing separator; empty for roots
  std::string nodeName;    // a root: its path; a share: the share name; else the directory name
  bool renamable = false;  // subdirectories only
  bool isLink = false;     // reached through a symbolic link: shown, never recursed into
  bool expanded = false;
  std::uint8_t scanState = 0;  // 0 never scanned, 1 first child loaded, 2 all children loaded
  DirNode* parent = nullptr;
  int row = 0;  // index among the parent's children (or among the roots)
  std::vector<std::unique_ptr<DirNode>> children;

  std::string Path() const { return parentPath + nodeName; }
  bool IsRoot() const { return parent == nullptr; }
};

// Where the tree reads directories. The host implementation uses the platform's
// enumeration; tests count what is read.
class SubdirectorySource {
 public:
  using Visit = std::function<bool(std::string_view name, bool isLink)>;
  virtual ~SubdirectorySource() = default;
  // True when path is a directory (a link to one counts).
  virtual bool DirectoryExists(std::string_view path) = 0;
  // Calls visit for each subdirectory of dir (links to directories included) in the order
  // the file system returns them, until visit returns false. An unreadable dir has none.
  virtual void ForEachSubdirectory(std::string_view dir, const Visit& visit) = 0;
  // Renames without replacing anything at the target: 0 or the error number.
  virtual int Rename(std::string_view from, std::string_view to) = 0;
};

class HostSubdirectorySource final : public SubdirectorySource {
 public:
  bool DirectoryExists(std::string_view path) override;
  void ForEachSubdirectory(std::string_view dir, const Visit& visit) override;
  int Rename(std::string_view from, std::string_view to) override;
};

// How a view follows the tree. Between TreeAboutToReset and TreeReset (a bulk update)
// nothing else is reported; afterwards the view reads the whole state again.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void TreeAboutToReset() = 0;
  virtual void TreeReset() = 0;
  // Children first..last (inclusive) are inserted into parent at first; the children that
  // stood there move down.
  virtual void ChildrenAboutToBeAdded(const DirNode* parent, int first, int last) = 0;
  virtual void ChildrenAdded(const DirNode* parent) = 0;
  virtual void NodeChanged(const DirNode* node) = 0;
  virtual void ExpansionChanged(const DirNode* node) = 0;
};

struct TreeFilters {
  std::vector<std::string> ignoreDrive;
  std::vector<std::string> acceptDrive;
  bool ignoreShare = false;
};

class DirTree {
 public:
  DirTree(const platform::PathRules& rules, SubdirectorySource& source, platform::VolumeList& volumes,
          platform::NetworkEnumeration& network);
  ~DirTree();
  DirTree(const DirTree&) = delete;
  DirTree& operator=(const DirTree&) = delete;

  void SetObserver(TreeObserver* observer) { observer_ = observer; }
  // The process-wide stop flag; a path lookup clears it and gives up when it is set.
  void SetBreakFlag(bool* flag) { breakFlag_ = flag; }
  void SetFilters(TreeFilters filters) { filters_ = std::move(filters); }
  const TreeFilters& Filters() const { return filters_; }
  const platform::PathRules& Rules() const { return rules_; }

  const std::vector<std::unique_ptr<DirNode>>& Roots() const { return roots_; }
  const std::vector<std::unique_ptr<DirNode>>& ChildrenOf(const DirNode* node) const {
    return node == nullptr ? roots_ : node->children;
  }
  // A root shows its path with a trailing separator, any other node its name.
  std::string Caption(const DirNode& node) const;

  // True when the AcceptDrive masks do not let the path through and an IgnoreDrive mask
  // matches it (both matched with a separator appended).
  bool IsDriveIgnored(std::string_view path) const;

  // Recreates all roots; every node pointer becomes invalid.
  void Rebuild();
  // Loads child directories: the first one only from state 0, the rest from state 1.
  // Children are kept in name order (NameSortsBefore), whatever order they were read in.
  void ScanChildren(DirNode& node, bool firstOnly);
  // Reads a loaded node's subdirectories again: those created since join in name order
  // (nothing is removed; a refresh does that).
  void ReadChildrenAgain(DirNode& node);
  // Expands a node (loading its children completely and the first child of each); a node
  // without subdirectories cannot be expanded. Returns whether it is expanded now.
  bool Expand(DirNode& node);
  void Collapse(DirNode& node);
  void CollapseAll();

  // Paths of the expanded nodes, depth first; a collapsed node's subtree is not visited.
  std::vector<std::string> CollectExpandedPaths() const;
  // Expands every node whose path is in the list (exact comparison), depth first.
  void ExpandPaths(const std::vector<std::string>& paths);

  // The node of a directory path, loading directories on the way. Each component is
  // matched exactly first and without regard to letter case when nothing matches exactly.
  // With nearest, a path that goes beyond the tree gives its deepest existing node.
  DirNode* FindNodeFromPath(std::string_view path, bool nearest);
  // A lookup the user asked for (location bar, launcher, shortcut, tab, script): the node
  // of exactly that directory or none, never an ancestor standing in for it. When the
  // path goes beyond the tree, the deepest node on the way reads its children again once
  // (a directory made outside the program since) and the lookup is retried.
  DirNode* FindExactNode(std::string_view path);

  // Renames a subdirectory node on disk and in the tree (the paths below follow). False
  // for nodes that cannot be renamed, names with a separator, and failed renames.
  bool Rename(DirNode& node, std::string_view newName);

  // True when ancestor is node or one of node's ancestors.
  static bool IsSelfOrAncestor(const DirNode* ancestor, const DirNode* node);

  // A bulk update: the view is reset once at the end.
  void BeginUpdate();
  void EndUpdate();
  bool InUpdate() const { return updateDepth_ > 0; }

 private:
  struct NewChild {
    std::string name;
    bool isLink;
  };
  // Inserts the children at position with one notification; returns the first one added.
  DirNode* InsertChildren(DirNode& parent, std::size_t position, std::vector<NewChild>& children);
  // Inserts the children where they belong in name order, one notification per run.
  void MergeChildren(DirNode& parent, std::vector<NewChild>& children);
  DirNode* AddRoot(std::string name);
  // Every resource below container (the top when none), depth first: a resource, then
  // what a container holds.
  void ForEachNetResource(const platform::NetResource* container,
                          const std::function<void(const platform::NetResource&)>& visit);
  // The servers of the whole network, and its disk shares under the roots of their hosts.
  void CollectServers(std::vector<std::string>& out);
  void AddShares();
  DirNode* MatchComponent(const std::vector<std::unique_ptr<DirNode>>& nodes, std::string_view wanted) const;
  void FixParentPaths(DirNode& node);
  bool BreakRequested() const { return breakFlag_ != nullptr && *breakFlag_; }

  const platform::PathRules& rules_;
  SubdirectorySource& source_;
  platform::VolumeList& volumes_;
  platform::NetworkEnumeration& network_;
  TreeObserver* observer_ = nullptr;
  bool* breakFlag_ = nullptr;
  TreeFilters filters_;
  std::vector<std::unique_ptr<DirNode>> roots_;
  int updateDepth_ = 0;
};

}  // namespace velkoran::app
