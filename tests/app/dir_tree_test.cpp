#include "app/logic/dir_tree.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "app_fakes.h"
#include "platform/codepage.h"

namespace velkoran::app {
namespace {

using testing::CountingSource;
using testing::FakeNetwork;
using testing::FakeVolumes;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ScratchDir;

// Directories kept in memory, in the order they were added, for paths the machine cannot
// hold (drive letters, CP932 names) and for orders the file system will not give on demand.
class MemorySource final : public SubdirectorySource {
 public:
  std::map<std::string, std::vector<std::string>> dirs;
  std::vector<std::pair<std::string, std::string>> renames;
  bool DirectoryExists(std::string_view path) override { return dirs.count(std::string(path)) > 0; }
  void ForEachSubdirectory(std::string_view dir, const Visit& visit) override {
    const auto it = dirs.find(std::string(dir));
    if (it == dirs.end()) return;
    const std::vector<std::string> names = it->second;
    for (const std::string& n : names) {
      if (!visit(n, false)) return;
    }
  }
  int Rename(std::string_view from, std::string_view to) override {
    renames.emplace_back(from, to);
    return 0;
  }
};

std::vector<std::string> ChildNames(const DirNode& node) {
  std::vector<std::string> names;
  for (const auto& c : node.children) names.push_back(c->nodeName);
  return names;
}

std::vector<std::string> RootNames(const DirTree& tree) {
  std::vector<std::string> names;
  for (const auto& r : tree.Roots()) names.push_back(r->nodeName);
  return names;
}

class HostTree : public ::testing::Test {
 protected:
  HostTree() : tree(platform::HostPaths(), source, volumes, network) {}
  void Build(std::vector<std::string> roots) {
    volumes.roots = std::move(roots);
    tree.Rebuild();
  }
  ScratchDir dir;
  FakeVolumes volumes;
  FakeNetwork network;
  CountingSource source;
  DirTree tree;
};

TEST_F(HostTree, AnEmptyRootHasNoExpanderAndOneSubdirectoryShowsOnce) {
  MakeDirs(dir / "empty");
  MakeDirs(dir / "one/only");
  Build({dir / "empty", dir / "one"});
  ASSERT_EQ(tree.Roots().size(), 2u);
  const DirNode& empty = *tree.Roots()[0];
  DirNode& one = *tree.Roots()[1];
  EXPECT_TRUE(empty.children.empty());
  EXPECT_FALSE(tree.Expand(const_cast<DirNode&>(empty)));
  ASSERT_EQ(one.children.size(), 1u);
  EXPECT_TRUE(tree.Expand(one));
  EXPECT_EQ(ChildNames(one), std::vector<std::string>{"only"});
  EXPECT_EQ(one.scanState, 2);
  EXPECT_EQ(one.children[0]->Path(), dir / "one/only");
  EXPECT_EQ(tree.Caption(one), dir / "one/");
  EXPECT_EQ(tree.Caption(*one.children[0]), "only");
}

TEST_F(HostTree, UnexpandedNodesReadAtMostOneSubdirectory) {
  for (const char* n : {"a", "b", "c", "d", "e"}) {
    for (const char* m : {"x", "y", "z"}) MakeDirs(dir / (std::string("r/") + n + "/" + m));
  }
  Build({dir / "r"});
  DirNode& root = *tree.Roots()[0];
  EXPECT_EQ(source.entriesDelivered, 1);
  EXPECT_EQ(root.children.size(), 1u);
  tree.Expand(root);
  EXPECT_EQ(root.children.size(), 5u);
  // Every child now knows whether it has subdirectories, each from a single entry.
  for (const auto& child : root.children) {
    EXPECT_EQ(child->children.size(), 1u) << child->nodeName;
    EXPECT_EQ(source.deliveredFrom[child->Path()], 1) << child->nodeName;
    EXPECT_EQ(child->scanState, 1);
  }
  std::vector<std::string> names = ChildNames(root);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST_F(HostTree, DriveFiltersHideAndAccept) {
  for (const char* n : {"A", "B", "C"}) MakeDirs(dir / n);
  network.inside[""] = {FakeNetwork::Server("//srv")};
  tree.SetFilters({{NoSlash(dir / "A/")}, {}, true});
  Build({dir / "A", dir / "B", dir / "C"});
  EXPECT_EQ(RootNames(tree), (std::vector<std::string>{dir / "B", dir / "C"}));

  tree.SetFilters({{"*"}, {dir / "C"}, false});
  tree.Rebuild();
  EXPECT_EQ(RootNames(tree), std::vector<std::string>{dir / "C"});  // no server either

  tree.SetFilters({{"/mnt/*"}, {}, true});
  EXPECT_TRUE(tree.IsDriveIgnored("/mnt/usb"));
  EXPECT_FALSE(tree.IsDriveIgnored("/mnt"));
  EXPECT_FALSE(tree.IsDriveIgnored("/media/usb"));
  tree.SetFilters({{"/MEDIA/*"}, {"/media/keep"}, true});
  EXPECT_TRUE(tree.IsDriveIgnored("/media/usb/"));  // masks ignore letter case
  EXPECT_FALSE(tree.IsDriveIgnored("/media/keep"));
}

TEST_F(HostTree, ARootThatDoesNotExistIsSkipped) {
  MakeDirs(dir / "here");
  Build({dir / "gone", dir / "here"});
  EXPECT_EQ(RootNames(tree), std::vector<std::string>{dir / "here"});
}

TEST_F(HostTree, FindNodeFromPathExactNearestAndCase) {
  MakeDirs(dir / "r/MixedCase/inner");
  MakeDirs(dir / "r/abc");
  MakeDirs(dir / "r/ABC/only-upper");
  Build({dir / "r"});
  DirNode* mixed = tree.FindNodeFromPath(dir / "r/mixedcase/INNER", false);
  ASSERT_NE(mixed, nullptr);
  EXPECT_EQ(mixed->Path(), dir / "r/MixedCase/inner");
  // An exact match wins over a match in another case.
  DirNode* upper = tree.FindNodeFromPath(dir / "r/ABC/", false);
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->nodeName, "ABC");
  EXPECT_EQ(tree.FindNodeFromPath(dir / "r/abc", false)->nodeName, "abc");
  // Nearest: a last component that does not exist gives its parent.
  EXPECT_EQ(tree.FindNodeFromPath(dir / "r/MixedCase/missing", false), nullptr);
  DirNode* nearest = tree.FindNodeFromPath(dir / "r/MixedCase/missing", true);
  ASSERT_NE(nearest, nullptr);
  EXPECT_EQ(nearest->Path(), dir / "r/MixedCase");
  EXPECT_EQ(tree.FindNodeFromPath("/elsewhere/entirely", true), nullptr);
  EXPECT_EQ(tree.FindNodeFromPath("   ", true), nullptr);
}

TEST_F(HostTree, APathLookupClearsTheBreakFlagAndStopsWhenItIsSet) {
  MakeDirs(dir / "r/a");
  Build({dir / "r"});
  bool stop = true;
  tree.SetBreakFlag(&stop);
  EXPECT_NE(tree.FindNodeFromPath(dir / "r/a", false), nullptr);
  EXPECT_FALSE(stop);
}

TEST_F(HostTree, FoundNodesShowTheirExpandersAndLoadedSiblingsAreComplete) {
  MakeDirs(dir / "r/a/deep");
  MakeDirs(dir / "r/b/deep");
  MakeDirs(dir / "r/c");
  Build({dir / "r"});
  DirNode* a = tree.FindNodeFromPath(dir / "r/a", false);
  ASSERT_NE(a, nullptr);
  const DirNode& root = *tree.Roots()[0];
  EXPECT_EQ(root.children.size(), 3u);
  for (const auto& child : root.children) {
    EXPECT_EQ(child->children.empty(), child->nodeName == "c") << child->nodeName;
  }
}

TEST_F(HostTree, ExpandedPathsAreCollectedAndRestored) {
  MakeDirs(dir / "r/a/a1/a11");
  MakeDirs(dir / "r/b/b1");
  Build({dir / "r"});
  DirNode* a1 = tree.FindNodeFromPath(dir / "r/a/a1", false);
  ASSERT_NE(a1, nullptr);
  tree.Expand(*tree.Roots()[0]);
  tree.Expand(*a1->parent);
  tree.Expand(*a1);
  DirNode* b = tree.FindNodeFromPath(dir / "r/b", false);
  tree.Expand(*b);
  tree.Collapse(*b);
  const std::vector<std::string> paths = tree.CollectExpandedPaths();
  EXPECT_EQ(paths, (std::vector<std::string>{dir / "r", dir / "r/a", dir / "r/a/a1"}));

  tree.Rebuild();
  tree.ExpandPaths(paths);
  EXPECT_EQ(tree.CollectExpandedPaths(), paths);
  // Comparison is exact: another case expands nothing.
  tree.Rebuild();
  tree.ExpandPaths({dir / "R"});
  EXPECT_TRUE(tree.CollectExpandedPaths().empty());
}

TEST_F(HostTree, RenameOnDiskAndInTheTree) {
  MakeDirs(dir / "r/old/child");
  MakeDirs(dir / "r/taken");
  Build({dir / "r"});
  DirNode& root = *tree.Roots()[0];
  EXPECT_FALSE(tree.Rename(root, "x"));  // roots cannot be renamed
  DirNode* old = tree.FindNodeFromPath(dir / "r/old", false);
  ASSERT_NE(old, nullptr);
  tree.Expand(*old);
  EXPECT_FALSE(tree.Rename(*old, "taken"));  // never replaces an existing entry
  EXPECT_TRUE(testing::Exists(dir / "r/old/child"));
  EXPECT_FALSE(tree.Rename(*old, "a/b"));
  EXPECT_FALSE(tree.Rename(*old, ""));
  EXPECT_TRUE(tree.Rename(*old, "new"));
  EXPECT_TRUE(testing::Exists(dir / "r/new/child"));
  EXPECT_EQ(old->Path(), dir / "r/new");
  EXPECT_EQ(old->children[0]->Path(), dir / "r/new/child");
}

TEST_F(HostTree, ALinkToADirectoryIsShownAndMarked) {
  MakeDirs(dir / "r/real/inside");
  ASSERT_EQ(::symlink((dir / "r/real").c_str(), (dir / "r/link").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "r/missing").c_str(), (dir / "r/broken").c_str()), 0);
  Build({dir / "r"});
  tree.Expand(*tree.Roots()[0]);
  std::vector<std::string> names = ChildNames(*tree.Roots()[0]);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"link", "real"}));
  DirNode* link = tree.FindNodeFromPath(dir / "r/link", false);
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->isLink);
  EXPECT_FALSE(tree.FindNodeFromPath(dir / "r/real", false)->isLink);
}

TEST(MemoryTree, ASecondScanSkipsKnownChildrenByNameAndKeepsNameOrder) {
  MemorySource source;
  FakeVolumes volumes;
  FakeNetwork network;
  const platform::PathRules rules(platform::PathStyle::Windows, platform::CodePage::Cp932);
  DirTree tree(rules, source, volumes, network);
  source.dirs["C:"] = {"b", "c"};
  volumes.roots = {"C:"};
  tree.Rebuild();
  ASSERT_EQ(ChildNames(*tree.Roots()[0]), std::vector<std::string>{"b"});
  // A directory created meanwhile now comes first in the file system's order; the tree
  // shows the children in name order all the same.
  source.dirs["C:"] = {"a", "b", "c"};
  tree.ScanChildren(*tree.Roots()[0], false);
  EXPECT_EQ(ChildNames(*tree.Roots()[0]), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(tree.Roots()[0]->children[0]->Path(), "C:\\a");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(tree.Roots()[0]->children[static_cast<std::size_t>(i)]->row, i);
  EXPECT_EQ(tree.Caption(*tree.Roots()[0]), "C:\\");
}

TEST(MemoryTree, ATrailByteOfBackslashNeverSplitsAPath) {
  platform::SetActiveCodePage(platform::CodePage::Cp932);
  MemorySource source;
  FakeVolumes volumes;
  FakeNetwork network;
  const platform::PathRules rules(platform::PathStyle::Windows, platform::CodePage::Cp932);
  DirTree tree(rules, source, volumes, network);
  const std::string hyo = "\x95\x5C";  // a double-byte character whose second byte is 0x5C
  source.dirs["C:"] = {hyo};
  source.dirs["C:\\" + hyo] = {"x"};
  volumes.roots = {"C:"};
  tree.Rebuild();
  DirNode* x = tree.FindNodeFromPath("C:\\" + hyo + "\\x", false);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->Path(), "C:\\" + hyo + "\\x");
  EXPECT_EQ(x->parent->nodeName, hyo);
  platform::SetActiveCodePage(platform::CodePage::Utf8);
}

TEST(MemoryTree, ServersAndSharesFollowTheirRules) {
  MemorySource source;
  FakeVolumes volumes;
  FakeNetwork network;
  const platform::PathRules rules(platform::PathStyle::Windows, platform::CodePage::Cp932);
  DirTree tree(rules, source, volumes, network);
  source.dirs["C:"] = {};
  volumes.roots = {"C:"};
  network.inside[""] = {FakeNetwork::Domain("WORKGROUP"), FakeNetwork::Domain("BROKEN"), FakeNetwork::Domain("OTHER")};
  network.inside["WORKGROUP"] = {FakeNetwork::Server("\\\\alpha"), FakeNetwork::Server("\\\\beta"),
                                 FakeNetwork::Server("\\\\hidden")};
  network.inside["OTHER"] = {FakeNetwork::Server("\\\\gamma")};
  network.inside["\\\\alpha"] = {FakeNetwork::Share("\\\\ALPHA\\docs"), FakeNetwork::Share("\\\\alpha\\music")};
  network.inside["\\\\hidden"] = {FakeNetwork::Share("\\\\hidden\\secret")};
  network.inside["\\\\gamma"] = {FakeNetwork::Share("\\\\gamma\\pub"),
                                 {"\\\\gamma\\printer", platform::NetResourceType::Print, platform::NetDisplayType::Share, false}};
  network.failing = {"BROKEN"};
  tree.SetFilters({{"\\\\hidden"}, {}, false});
  tree.Rebuild();
  EXPECT_EQ(RootNames(tree), (std::vector<std::string>{"C:", "\\\\alpha", "\\\\beta", "\\\\gamma"}));
  const DirNode& alpha = *tree.Roots()[1];
  EXPECT_EQ(ChildNames(alpha), (std::vector<std::string>{"docs", "music"}));
  EXPECT_EQ(alpha.children[0]->parentPath, "\\\\ALPHA\\");
  EXPECT_FALSE(alpha.children[0]->renamable);
  EXPECT_EQ(tree.Caption(alpha), "\\\\alpha\\");
  EXPECT_EQ(ChildNames(*tree.Roots()[3]), std::vector<std::string>{"pub"});
  EXPECT_TRUE(tree.Roots()[2]->children.empty());

  tree.SetFilters({{}, {}, true});
  tree.Rebuild();
  EXPECT_EQ(RootNames(tree), std::vector<std::string>{"C:"});
}

TEST(MemoryTree, SharesAndRootsCannotBeRenamed) {
  MemorySource source;
  FakeVolumes volumes;
  FakeNetwork network;
  const platform::PathRules rules(platform::PathStyle::Windows, platform::CodePage::Cp932);
  DirTree tree(rules, source, volumes, network);
  source.dirs["C:"] = {"sub"};
  volumes.roots = {"C:"};
  network.inside[""] = {FakeNetwork::Server("\\\\srv")};
  network.inside["\\\\srv"] = {FakeNetwork::Share("\\\\srv\\share")};
  tree.Rebuild();
  DirNode& share = *tree.Roots()[1]->children[0];
  EXPECT_FALSE(tree.Rename(share, "x"));
  EXPECT_FALSE(tree.Rename(*tree.Roots()[0], "D:"));
  EXPECT_TRUE(tree.Rename(*tree.Roots()[0]->children[0], "renamed"));
  ASSERT_EQ(source.renames.size(), 1u);
  EXPECT_EQ(source.renames[0], (std::pair<std::string, std::string>{"C:\\sub", "C:\\renamed"}));
}

}  // namespace
}  // namespace velkoran::app
