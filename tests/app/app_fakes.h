// Fakes for the window's logic: a recording view, a scripted network and a directory
// source that counts its reads, with the shared scratch folder, questions and volume list.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/dir_tree.h"
#include "app/logic/window_logic.h"
#include "platform/network.h"
#include "support/files.h"
#include "support/platform_fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_questions.h"

namespace velkoran::app::testing {

using velkoran::testing::Exists;
using velkoran::testing::FakeShell;
using velkoran::testing::FakeVolumes;
using velkoran::testing::MakeDirs;
using velkoran::testing::NoSlash;
using velkoran::testing::ReadFile;
using velkoran::testing::ScratchDir;
using velkoran::testing::ScriptedQuestions;
using velkoran::testing::WriteFile;

// A network given as a tree of resources; a container listed in failing cannot be opened.
class FakeNetwork final : public platform::NetworkEnumeration {
 public:
  std::map<std::string, std::vector<platform::NetResource>> inside;  // "" is the top
  std::vector<std::string> failing;
  std::size_t batchSize = 2;
  std::unique_ptr<platform::NetworkLevel> Open(const platform::NetResource* container) override;

  static platform::NetResource Server(std::string name);
  static platform::NetResource Share(std::string name);
  static platform::NetResource Domain(std::string name);
};

// The host's directories, counting what the tree reads.
class CountingSource final : public SubdirectorySource {
 public:
  int enumerations = 0;         // directories opened
  int entriesDelivered = 0;     // subdirectories handed to the tree
  std::map<std::string, int> deliveredFrom;
  bool DirectoryExists(std::string_view path) override { return host_.DirectoryExists(path); }
  void ForEachSubdirectory(std::string_view dir, const Visit& visit) override;
  int Rename(std::string_view from, std::string_view to) override { return host_.Rename(from, to); }

 private:
  HostSubdirectorySource host_;
};

// Records what the logic shows.
class FakeView final : public WindowView {
 public:
  std::vector<std::string> log;
  std::string location;
  std::vector<std::string> locationHistory;  // every text the location bar was given
  int treeFocusRequests = 0;
  std::string infoLine;
  std::vector<std::string> bufferLines;
  std::string bufferCaption;
  const DirNode* selection = nullptr;
  const DirNode* top = nullptr;
  int refills = 0;
  int focusedRow = -1;  // the row FocusFileRow put the cursor on last
  int sorts = 0;
  bool enabled = true;
  std::string caption;
  bool treeVisible = false;

  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void SetProgressMaximum(fileops::ProgressBar, std::uint64_t) override {}
  void SetProgressPosition(fileops::ProgressBar bar, std::uint64_t position) override {
    if (bar == fileops::ProgressBar::Main) mainPositions.push_back(position);
  }
  void ProcessPendingEvents() override {}
  void SetMainWindowEnabled(bool e) override { enabled = e; }
  void SetMainWindowCaption(std::string_view c) override { caption = c; }
  void SetLocationText(std::string_view text) override {
    location = text;
    locationHistory.emplace_back(text);
  }
  void ShowTreeSelection(const DirNode* node) override { selection = node; }
  const DirNode* TopTreeNode() const override { return top; }
  void SetTopTreeNode(const DirNode* node) override { top = node; }
  void FocusTreeIfVisible() override { ++treeFocusRequests; }
  void TabsChanged() override {}
  void FileListRefilled() override { ++refills; }
  void FileListSorted(const std::vector<int>&) override { ++sorts; }
  void FileRowChanged(int) override {}
  void FocusFileRow(int row) override { focusedRow = row; }
  void ShowInfoLine(std::string_view text) override { infoLine = text; }
  void ShowBuffer(const std::vector<std::string>& lines, std::string_view caption) override {
    bufferLines = lines;
    bufferCaption = caption;
  }
  void TreeVisibilityChanged(bool visible) override { treeVisible = visible; }
  void ShowTransferStatus(std::string_view text) override { transferStatus.emplace_back(text); }

  std::vector<std::uint64_t> mainPositions;
  std::vector<std::string> transferStatus;
};

// A WindowLogic over a scratch folder with fakes for everything outside.
struct LogicRig {
  FakeVolumes volumes;
  FakeNetwork network;
  CountingSource directories;
  ScriptedQuestions questions;
  FakeShell shell;
  FakeView view;
  // The clock transfers are timed with: it moves by clockStep at every reading.
  TransferFeedback::Clock::time_point now{};
  std::chrono::milliseconds clockStep{0};
  WindowLogic logic;
  explicit LogicRig(std::vector<std::string> roots);
  // Selects the node of path (exact), as a click in the tree would.
  DirNode* Select(const std::string& path);
  // Row index of the entry with this name, or -1.
  int RowOf(std::string_view name) const;
};

// A window's logic over a scratch folder that is its only volume root.
class LogicFixture : public ::testing::Test {
 protected:
  LogicFixture() : rig({NoSlash(dir.Path())}) {}
  // Reads the tree from the root, as the window does when it starts.
  void Start() { logic.RebuildTree(); }

  ScratchDir dir;
  LogicRig rig;
  WindowLogic& logic = rig.logic;
};

}  // namespace velkoran::app::testing
