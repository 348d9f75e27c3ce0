// Fakes for the window's logic: a scratch folder, scripted questions, a recording view,
// a fixed volume list, a scripted network and a directory source that counts its reads.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/dir_tree.h"
#include "app/logic/window_logic.h"
#include "platform/network.h"
#include "platform/questions.h"
#include "platform/shell.h"
#include "platform/volumes.h"

namespace velkoran::app::testing {

// A fresh folder (ending in "/") removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(std::string_view relative) const { return path_ + std::string(relative); }

 private:
  std::string path_;
};

void MakeDirs(const std::string& path);
void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

class FakeQuestions final : public platform::UserQuestions {
 public:
  struct Asked {
    std::string kind;
    std::string caption;
    std::string text;
  };
  std::vector<Asked> asked;
  std::deque<platform::Answer> answers;            // Yes/No(/Cancel) questions, in order
  std::deque<std::optional<std::string>> inputs;   // input dialogs, in order
  std::function<void()> onAsk;                      // runs inside every Yes/No(/Cancel) question

  platform::Answer AskYesNo(std::string_view caption, std::string_view text) override;
  platform::Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  void Alert(std::string_view caption, std::string_view text) override;
  bool Confirm(std::string_view caption, std::string_view text) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::deque<std::optional<std::string>> prompts;  // answers to a script's prompt, in order
  std::optional<std::string> Prompt(std::string_view caption, std::string_view text, std::string_view initial) override;
  std::optional<std::string> TextArea(std::string_view, std::string_view, std::string_view) override { return std::nullopt; }
  bool CanShowDialogs() const override { return false; }
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override { return std::nullopt; }
  std::vector<std::string> OpenFiles(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override { return std::nullopt; }
  std::optional<std::string> OpenFolder(std::string_view, std::string_view) override { return std::nullopt; }

 private:
  platform::Answer Next();
};

class FakeShell final : public platform::Shell {
 public:
  std::vector<std::string> opened;
  void Open(std::string_view file, std::string_view, std::string_view) override { opened.emplace_back(file); }
};

class FakeVolumes final : public platform::VolumeList {
 public:
  std::vector<std::string> roots;
  std::vector<std::string> Roots() override { return roots; }
};

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
  int sorts = 0;
  bool enabled = true;
  std::string caption;
  bool treeVisible = false;

  void AppendLog(std::string_view line) override { log.emplace_back(line); }
  void SetProgressMaximum(fileops::ProgressBar, std::uint64_t) override {}
  void SetProgressPosition(fileops::ProgressBar, std::uint64_t) override {}
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
  void ShowInfoLine(std::string_view text) override { infoLine = text; }
  void ShowBuffer(const std::vector<std::string>& lines, std::string_view caption) override {
    bufferLines = lines;
    bufferCaption = caption;
  }
  void TreeVisibilityChanged(bool visible) override { treeVisible = visible; }
};

// A WindowLogic over a scratch folder with fakes for everything outside.
struct LogicRig {
  FakeVolumes volumes;
  FakeNetwork network;
  CountingSource directories;
  FakeQuestions questions;
  FakeShell shell;
  FakeView view;
  WindowLogic logic;
  explicit LogicRig(std::vector<std::string> roots);
  // Selects the node of path (exact), as a click in the tree would.
  DirNode* Select(const std::string& path);
  // Row index of the entry with this name, or -1.
  int RowOf(std::string_view name) const;
};

}  // namespace velkoran::app::testing
