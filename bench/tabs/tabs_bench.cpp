// Tabs and buffers at scale: switching between two tabs over a tree of 10 000 directories
// (each with one subdirectory) whose saved states expand a hundred or ten thousand nodes,
// and filling, showing and emptying a buffer from a selection of up to 100 000 rows.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/file_buffers.h"
#include "app/logic/window_logic.h"
#include "platform/network.h"
#include "platform/paths.h"
#include "support/platform_fakes.h"
#include "support/scripted_questions.h"

using namespace velkoran;

namespace {

class NullView final : public app::WindowView {
 public:
  void AppendLog(std::string_view) override {}
  void SetProgressMaximum(fileops::ProgressBar, std::uint64_t) override {}
  void SetProgressPosition(fileops::ProgressBar, std::uint64_t) override {}
  void ProcessPendingEvents() override {}
  void SetMainWindowEnabled(bool) override {}
  void SetMainWindowCaption(std::string_view) override {}
  void SetLocationText(std::string_view) override {}
  void ShowTreeSelection(const app::DirNode*) override {}
  const app::DirNode* TopTreeNode() const override { return top; }
  void SetTopTreeNode(const app::DirNode* node) override { top = node; }
  void FocusTreeIfVisible() override {}
  void TabsChanged() override {}
  void FileListRefilled() override {}
  void FileListSorted(const std::vector<int>&) override {}
  void FileRowChanged(int) override {}
  void FocusFileRow(int) override {}
  void ShowInfoLine(std::string_view) override {}
  void ShowBuffer(const std::vector<std::string>& lines, std::string_view) override { shownLines = lines.size(); }
  void TreeVisibilityChanged(bool) override {}
  const app::DirNode* top = nullptr;
  std::size_t shownLines = 0;
};

// 100 x 100 directories, each holding one more: made once per run, removed at exit.
struct BigTree {
  std::string root;
  BigTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/velkoran-tabs-XXXXXX";
    root = ::mkdtemp(pattern.data());
    for (int a = 0; a < 100; ++a) {
      const std::string top = root + "/d" + std::to_string(a);
      ::mkdir(top.c_str(), 0755);
      for (int b = 0; b < 100; ++b) {
        const std::string mid = top + "/e" + std::to_string(b);
        ::mkdir(mid.c_str(), 0755);
        ::mkdir((mid + "/leaf").c_str(), 0755);
      }
    }
  }
  ~BigTree() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

BigTree& Tree() {
  static BigTree tree;
  return tree;
}

// Two tabs: the first expands the hundred top directories (argument 0) or every directory
// with a subdirectory (argument 1); the second shows one directory deep down.
void BM_TabSwitchRoundTrip(benchmark::State& state) {
  const std::string& root = Tree().root;
  testing::FakeVolumes volumes;
  volumes.roots = {root};
  auto network = platform::CreateHostNetworkEnumeration();
  app::HostSubdirectorySource directories;
  testing::ScriptedQuestions questions;
  testing::FakeShell shell;
  NullView view;
  app::WindowLogic logic(app::WindowServices{platform::HostPaths(), directories, volumes, *network, questions, shell}, view);
  logic.Settings().autoExpand = false;
  logic.RebuildTree();
  app::DirNode* rootNode = logic.Tree().Roots()[0].get();
  logic.Tree().Expand(*rootNode);
  const bool deep = state.range(0) == 1;
  for (auto& top : rootNode->children) {
    logic.Tree().Expand(*top);
    if (deep) {
      for (auto& mid : top->children) logic.Tree().Expand(*mid);
    }
  }
  logic.SelectTreeNode(rootNode);
  const std::size_t expanded = logic.Tree().CollectExpandedPaths().size();
  logic.NewTab();
  logic.SelectTab(1);
  logic.SelectTreeNode(logic.Tree().FindNodeFromPath(root + "/d50/e50/leaf", false));
  for (auto _ : state) {
    logic.SelectTab(0);
    logic.SelectTab(1);
  }
  state.counters["expanded"] = static_cast<double>(expanded);
  if (logic.Tree().CollectExpandedPaths().size() == 0) state.SkipWithError("the second tab lost its expansion");
}
BENCHMARK(BM_TabSwitchRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

std::vector<std::string> Paths(std::int64_t n) {
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) paths.push_back("/home/user/photos/2024/IMG_" + std::to_string(100000 + i) + ".jpg");
  return paths;
}

// Ctrl+B over a whole listing: every row into the buffer, then every row out again.
void BM_ToggleSelectionInAndOut(benchmark::State& state) {
  const std::vector<std::string> paths = Paths(state.range(0));
  app::FileBuffers buffers(platform::HostPaths());
  for (auto _ : state) {
    buffers.ToggleAll(paths);
    buffers.ToggleAll(paths);
  }
  if (!buffers.CurrentEntries().empty()) state.SkipWithError("the buffer did not empty");
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_ToggleSelectionInAndOut)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same one path at a time, as the single toggle rule reads (for comparison).
void BM_ToggleOneByOne(benchmark::State& state) {
  const std::vector<std::string> paths = Paths(state.range(0));
  app::FileBuffers buffers(platform::HostPaths());
  for (auto _ : state) {
    for (const std::string& p : paths) buffers.Toggle(p);
    for (const std::string& p : paths) buffers.Toggle(p);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_ToggleOneByOne)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Showing a full buffer and deleting every line of it from the buffer list.
void BM_ShowAndRemoveAllLines(benchmark::State& state) {
  const std::vector<std::string> paths = Paths(state.range(0));
  app::FileBuffers buffers(platform::HostPaths());
  std::vector<int> lines(paths.size());
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = static_cast<int>(i);
  for (auto _ : state) {
    state.PauseTiming();
    buffers.ToggleAll(paths);
    state.ResumeTiming();
    benchmark::DoNotOptimize(buffers.DisplayLines());
    buffers.RemoveDisplayedLines(lines);
  }
  if (!buffers.CurrentEntries().empty()) state.SkipWithError("lines left");
}
BENCHMARK(BM_ShowAndRemoveAllLines)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
