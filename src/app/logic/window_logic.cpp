#include "app/logic/window_logic.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "app/logic/ui_text.h"
#include "platform/dir_helpers.h"
#include "platform/directory.h"
#include "platform/state_file.h"

namespace velkoran::app {

WindowLogic::WindowLogic(WindowServices services, WindowView& view)
    : services_(services),
      view_(view),
      tree_(services.rules, services.directories, services.volumes, services.network),
      list_(services.rules),
      buffers_(services.rules),
      engine_(*this, services.questions),
      transferFeedback_({[this](std::string_view text) { view_.ShowTransferStatus(text); },
                         [this](std::uint64_t position) { SetProgressPosition(fileops::ProgressBar::Main, position); },
                         [this](std::string_view line) { view_.AppendLog(line); }},
                        services.clock) {
  tree_.SetBreakFlag(&engine_.Flags().BreakRequested);
  ApplySettings();
}

WindowLogic::~WindowLogic() = default;

// ---- Operation host -------------------------------------------------------------------

const WindowLogic::ProgressValues& WindowLogic::Progress(fileops::ProgressBar bar) const {
  return bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_;
}
void WindowLogic::SetProgressMaximum(fileops::ProgressBar bar, std::uint64_t maximum) {
  (bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_).maximum = maximum;
  view_.SetProgressMaximum(bar, maximum);
}
void WindowLogic::SetProgressPosition(fileops::ProgressBar bar, std::uint64_t position) {
  (bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_).position = position;
  view_.SetProgressPosition(bar, position);
  if (bar == fileops::ProgressBar::Sub) transferFeedback_.FilePosition(position);
}
void WindowLogic::ProcessPendingEvents() { view_.ProcessPendingEvents(); }
void WindowLogic::SetMainWindowEnabled(bool enabled) {
  windowEnabled_ = enabled;
  view_.SetMainWindowEnabled(enabled);
  // A transfer has ended: its bars would go on showing a state that no longer holds.
  if (enabled) ResetProgress();
}

void WindowLogic::ResetProgress() {
  for (const fileops::ProgressBar bar : {fileops::ProgressBar::Main, fileops::ProgressBar::Sub}) {
    SetProgressPosition(bar, 0);
    SetProgressMaximum(bar, ProgressValues{}.maximum);
  }
}
void WindowLogic::SetMainWindowCaption(std::string_view caption) { view_.SetMainWindowCaption(caption); }

// ---- Saved state ----------------------------------------------------------------------

void WindowLogic::ApplySettings() {
  list_.SetColumns(settings_.columns);
  list_.SetSort(settings_.sortType, settings_.sortDescending);
  tree_.SetFilters(TreeFilters{settings_.ignoreDrive, settings_.acceptDrive, settings_.ignoreShare});
  engine_.Flags().AutoOverwrite = settings_.autoOverwrite;
}

void WindowLogic::LoadState(const std::string& saveDir) {
  const auto read = [&](std::string_view name) {
    std::string note;
    auto lines = ReadStateFile(saveDir + std::string(name), note);
    if (!note.empty()) AppendLog(note);
    return lines;
  };
  const auto settingLines = read(kSettingsFile);
  settings_ = LoadSettingsFrom(settingLines);
  ClampSettings(settings_);
  // A first start shows the tree, so that a newcomer sees where the list is.
  const bool firstStart = !settingLines;
  if (firstStart) settings_.treeVisible = true;
  if (const auto lines = read(kBuffersFile)) buffers_.All() = ParseBuffers(*lines);
  const auto tabLines = read(kTabsFile);
  tabs_ = ParseTabs(tabLines);
  if (firstStart && !tabLines && !firstStartDirectory_.empty()) {
    tabs_.front().selectedPath = firstStartDirectory_;
    tabs_.front().expandedPaths = {firstStartDirectory_};  // its folders in view
  }
  // A restored tab shows its folder's name from the start, as it will once entered, so
  // that captions (and the tabs after them) do not move under the pointer.
  for (TabState& tab : tabs_) tab.caption = TabCaption(tab.selectedPath);
  currentTab_ = 0;
  if (const auto lines = read(kLauncherFile)) launcher_ = ParseLauncher(*lines);
  ApplySettings();
  view_.TabsChanged();
}

std::vector<std::string> WindowLogic::SaveState(const std::string& saveDir) { return WriteState(saveDir, false); }

std::vector<std::string> WindowLogic::SaveChangedState(const std::string& saveDir) {
  if (tree_.InUpdate()) return {};
  CaptureCurrentTab();
  return WriteState(saveDir, true);
}

std::vector<std::string> WindowLogic::WriteState(const std::string& saveDir, bool onlyChanged) {
  settings_.sortType = list_.SortType();
  settings_.sortDescending = list_.SortDescending();
  settings_.autoOverwrite = engine_.Flags().AutoOverwrite;
  std::vector<std::string> failures;
  const auto write = [&](std::string_view name, std::string text, std::string* last) {
    if (onlyChanged && last != nullptr && text == *last) return true;
    const std::string path = saveDir + std::string(name);
    std::string error;
    if (!platform::WriteFileAtomically(path, text, &error)) {
      failures.push_back(path + ": " + error);
      return false;
    }
    if (last != nullptr) *last = std::move(text);
    return true;
  };
  write(kSettingsFile, SerializeSettings(settings_), &written_.settings);
  // The buffers may be large: they are written again only when they changed.
  const std::uint64_t revision = buffers_.Revision();
  if (!onlyChanged || revision != writtenBuffers_) {
    if (write(kBuffersFile, SerializeBuffers(std::as_const(buffers_).All()), nullptr)) writtenBuffers_ = revision;
  }
  write(kTabsFile, SerializeTabs(tabs_), &written_.tabs);
  write(kLauncherFile, SerializeLauncher(launcher_), &written_.launcher);
  return failures;
}

void WindowLogic::Show() {
  RebuildTree();
  ShowFileBuffer();
  EnterTab();
}

void WindowLogic::Close() { LeaveTab(); }

// ---- Tree -----------------------------------------------------------------------------

void WindowLogic::RebuildTree() {
  tree_.SetFilters(TreeFilters{settings_.ignoreDrive, settings_.acceptDrive, settings_.ignoreShare});
  tree_.BeginUpdate();
  selected_ = nullptr;
  view_.ShowTreeSelection(nullptr);
  tree_.Rebuild();
  tree_.EndUpdate();
}

void WindowLogic::RefreshTree() {
  tree_.BeginUpdate();
  const std::vector<std::string> expanded = tree_.CollectExpandedPaths();
  const std::string selectedPath = selected_ != nullptr ? selected_->Path() : std::string();
  const DirNode* top = view_.TopTreeNode();
  const std::string topPath = top != nullptr ? top->Path() : std::string();
  RebuildTree();
  tree_.ExpandPaths(expanded);
  view_.SetTopTreeNode(topPath.empty() ? nullptr : tree_.FindNodeFromPath(topPath, false));
  DirNode* node = selectedPath.empty() ? nullptr : tree_.FindNodeFromPath(selectedPath, true);
  if (node != nullptr) {
    // The same directory needs no new listing; a vanished one moves to its nearest ancestor.
    const bool moved = !platform::SamePath(node->Path(), selectedPath);
    SelectNode(node, moved ? Listing::Always : Listing::Never);
  }
  tree_.EndUpdate();
}

DirNode* WindowLogic::FindNamedDirectory(const std::string& path) {
  DirNode* node = tree_.FindExactNode(path);
  if (node == nullptr) AppendLog("NotFound : " + path);
  return node;
}

std::string WindowLogic::TabCaption(std::string_view path) const {
  return path.empty() ? std::string() : services_.rules.LastComponent(path);
}

void WindowLogic::RevealNode(DirNode* node) {
  std::vector<DirNode*> ancestors;
  for (DirNode* p = node->parent; p != nullptr; p = p->parent) ancestors.push_back(p);
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) tree_.Expand(**it);
}

void WindowLogic::SelectNode(DirNode* node, Listing listing, Expansion expansion) {
  if (node == selected_) return;
  DirNode* old = selected_;
  if (node != nullptr) RevealNode(node);
  selected_ = node;
  if (settings_.autoExpand && expansion == Expansion::Automatic) {
    // The branch of the new selection opens; the one left behind closes unless the new
    // selection lies inside it.
    if (old != nullptr && !DirTree::IsSelfOrAncestor(old, node)) tree_.Collapse(*old);
    if (node != nullptr) tree_.Expand(*node);
  }
  view_.ShowTreeSelection(node);
  if (listing == Listing::Always) ListDirectory();
  if (node != nullptr) {
    view_.SetLocationText(services_.rules.AddTrailingSeparator(node->Path()));
    if (currentTab_ >= 0 && currentTab_ < static_cast<int>(tabs_.size())) {
      tabs_[static_cast<std::size_t>(currentTab_)].caption = TabCaption(node->Path());
      view_.TabsChanged();
    }
  }
}

void WindowLogic::SelectTreeNode(DirNode* node) { SelectNode(node, Listing::Always); }

void WindowLogic::TreeNodeExpanded(DirNode* node) {
  if (node != nullptr) tree_.Expand(*node);
}

void WindowLogic::TreeNodeCollapsed(DirNode* node) {
  if (node == nullptr) return;
  tree_.Collapse(*node);
  // A selection hidden inside the collapsed branch moves up to the collapsed node.
  if (selected_ != nullptr && selected_ != node && DirTree::IsSelfOrAncestor(node, selected_)) {
    SelectNode(node, Listing::Always);
  }
}

bool WindowLogic::RenameTreeNode(DirNode* node, std::string_view newName) {
  if (node == nullptr) return false;
  if (!tree_.Rename(*node, newName)) {
    AppendLog(UiText("ディレクトリ名変更失敗: ") + std::string(newName));
    return false;
  }
  // The node's path changed at once; a listing of it or of a directory below it follows.
  if (selected_ != nullptr && DirTree::IsSelfOrAncestor(node, selected_)) {
    view_.SetLocationText(services_.rules.AddTrailingSeparator(selected_->Path()));
    if (selected_ == node && currentTab_ < static_cast<int>(tabs_.size())) {
      tabs_[static_cast<std::size_t>(currentTab_)].caption = TabCaption(node->Path());
      view_.TabsChanged();
    }
    ListDirectory();
  }
  return true;
}

void WindowLogic::RelistAfterChange() {
  RefreshTree();
  ListDirectory();
}

fileops::DeleteMode WindowLogic::DeleteModeFor(bool permanent) const {
  return permanent || !settings_.useTrash ? fileops::DeleteMode::Permanent : fileops::DeleteMode::ToTrash;
}

void WindowLogic::DeleteTreeItem(bool permanent) {
  if (selected_ == nullptr) return;
  // A link is deleted as a link: no trailing separator, so nothing behind it is touched.
  const std::string path =
      selected_->isLink ? selected_->Path() : services_.rules.AddTrailingSeparator(selected_->Path());
  engine_.DeleteWithConfirmation({path}, DeleteModeFor(permanent));
  RelistAfterChange();
}

void WindowLogic::UpdateTree() { RelistAfterChange(); }

void WindowLogic::CollapseWholeTree() {
  tree_.CollapseAll();
  if (selected_ != nullptr) {
    DirNode* root = selected_;
    while (root->parent != nullptr) root = root->parent;
    SelectNode(root, Listing::Never);
    view_.ShowTreeSelection(selected_);
  }
  ListDirectory();
}

void WindowLogic::CheckTreeDirectorySize() {
  if (selected_ != nullptr) engine_.CheckDirectorySize(selected_->Path());
}

void WindowLogic::ToggleTreeVisible() {
  settings_.treeVisible = !settings_.treeVisible;
  if (!settings_.treeVisible) settings_.autoExpand = true;
  view_.TreeVisibilityChanged(settings_.treeVisible);
}

void WindowLogic::ToggleAutoExpand() { settings_.autoExpand = !settings_.autoExpand; }

// ---- File list ------------------------------------------------------------------------

void WindowLogic::ListDirectory() {
  if (selected_ == nullptr) return;
  const std::string path = selected_->Path();
  list_.Fill(services_.rules.AddTrailingSeparator(path), ReadDirectoryRows(path, settings_.showDirectory));
  view_.FileListRefilled();
  view_.ShowInfoLine(list_.InfoLine({}));
}

void WindowLogic::SortByColumn(int column) {
  const std::vector<int> permutation = list_.ColumnClick(column);
  if (!permutation.empty() || list_.RowCount() == 0) view_.FileListSorted(permutation);
  settings_.sortType = list_.SortType();
  settings_.sortDescending = list_.SortDescending();
}

void WindowLogic::UpdateInfoLine(const std::vector<int>& selectedRows) { view_.ShowInfoLine(list_.InfoLine(selectedRows)); }

void WindowLogic::OpenWithShell(std::string_view file, std::string_view parameters) {
  const std::string dir = services_.rules.AddTrailingSeparator(services_.rules.ParentPath(file));
  // Without an application for it the open would otherwise fail unseen.
  if (!services_.shell.Open(file, parameters, dir)) AppendLog(UiText("開くアプリケーションがありません: ") + std::string(file));
}

void WindowLogic::OpenRowsWith(const DesktopEntry& app, const std::vector<int>& selectedRows) {
  const std::vector<std::string> files = list_.FullPaths(selectedRows);
  if (files.empty()) return;
  if (std::optional<std::string> failure = OpenWithApplication(app, files, TerminalCommand(std::getenv("TERMINAL")))) {
    AppendLog(*failure);
  }
}

void WindowLogic::OpenTerminalHere() {
  if (selected_ == nullptr) return;
  if (std::optional<std::string> failure = OpenTerminalIn(selected_->Path(), TerminalCommand(std::getenv("TERMINAL")))) {
    AppendLog(*failure);
  }
}

void WindowLogic::OpenFile(const std::vector<int>& selectedRows) {
  if (selectedRows.empty() || selectedRows.front() < 0 || selectedRows.front() >= list_.RowCount()) return;
  const int row = selectedRows.front();
  const FileRow& r = list_.Row(row);
  if (!r.isDirectory) {
    OpenWithShell(list_.FullPath(row), "");
    return;
  }
  if (selected_ != nullptr) tree_.Expand(*selected_);
  DirNode* node = tree_.FindExactNode(list_.FullPath(row));
  if (node == nullptr) {
    AppendLog(UiText("FindNodeFromPath失敗。"));
    return;
  }
  SelectNode(node, Listing::Always);
}

void WindowLogic::DeleteFiles(const std::vector<int>& selectedRows, bool permanent) {
  if (selected_ != nullptr) engine_.DeleteWithConfirmation(list_.OperationPaths(selectedRows), DeleteModeFor(permanent));
  RelistAfterChange();
}

bool WindowLogic::RenameFile(int row, std::string_view newName) {
  if (row < 0 || row >= list_.RowCount()) return false;
  const FileRow& r = list_.Row(row);
  if (newName == r.name) return false;
  const bool directory = r.isDirectory && !r.isLink;
  if (newName.empty() || !services_.rules.SeparatorPositions(newName).empty() || newName == "." || newName == "..") {
    AppendLog(UiText("リネーム失敗。"));
    return false;
  }
  std::string from = list_.FullPath(row);
  std::string to = list_.DirPath() + std::string(newName);
  if (directory) {
    from = services_.rules.AddTrailingSeparator(from);
    to = services_.rules.AddTrailingSeparator(to);
  }
  const std::string oldName = r.name;
  const std::string oldDir = list_.DirPath();
  // Anything already under the new name is asked about, a file or a directory.
  if (!engine_.ConfirmOverwrite(to, fileops::kOverwriteEither)) return false;
  const std::string fromEntry = services_.rules.RemoveTrailingSeparator(from);
  const std::string toEntry = services_.rules.RemoveTrailingSeparator(to);
  if (platform::RenameEntry(fromEntry, toEntry, platform::RenameMode::Replace) != 0) {
    AppendLog(UiText("リネーム失敗。"));
    return false;
  }
  // The question let the window run: when the list changed meanwhile, list afresh.
  if (row >= list_.RowCount() || list_.Row(row).name != oldName || list_.DirPath() != oldDir) {
    ListDirectory();
    return true;
  }
  // A row that showed the replaced entry is gone now: list afresh. Otherwise the row
  // takes its new name at once.
  for (int i = 0; i < list_.RowCount(); ++i) {
    if (i != row && list_.Row(i).name == newName) {
      ListDirectory();
      return true;
    }
  }
  list_.RenameRow(row, std::string(newName));
  view_.FileRowChanged(row);
  return true;
}

void WindowLogic::CreateDirectory() {
  if (selected_ == nullptr) return;
  const auto name = services_.questions.InputText(UiText("ディレクトリ作成"), UiText("作成ディレクトリ名を入力してください。"), "");
  if (!name) return;
  const std::string path = services_.rules.Join(selected_->Path(), *name);
  if (platform::ForceDirectory(path, services_.rules)) {
    RelistAfterChange();
  } else {
    AppendLog(UiText("ディレクトリ作成失敗。"));
  }
}

void WindowLogic::GoParent() {
  if (selected_ == nullptr || selected_->parent == nullptr) return;
  const std::string cameFrom = selected_->nodeName;
  SelectNode(selected_->parent, Listing::Always);
  // The cursor stands on the folder just left, so that going back in is one key away.
  for (int i = 0; i < list_.RowCount(); ++i) {
    if (list_.Row(i).isDirectory && list_.Row(i).name == cameFrom) {
      view_.FocusFileRow(i);
      break;
    }
  }
}

void WindowLogic::ToggleShowDirectory() { settings_.showDirectory = !settings_.showDirectory; }

bool WindowLogic::CanCheckDirectorySize(const std::vector<int>& selectedRows) const {
  if (selectedRows.empty() || selectedRows.front() < 0 || selectedRows.front() >= list_.RowCount()) return false;
  const FileRow& r = list_.Row(selectedRows.front());
  return r.isDirectory && !r.isLink;
}

void WindowLogic::CheckListDirectorySize(const std::vector<int>& selectedRows) {
  if (CanCheckDirectorySize(selectedRows)) engine_.CheckDirectorySize(list_.FullPath(selectedRows.front()));
}

// ---- Tabs -----------------------------------------------------------------------------

void WindowLogic::NewTab() {
  TabState tab;
  if (currentTab_ >= 0 && currentTab_ < static_cast<int>(tabs_.size())) {
    CaptureCurrentTab();
    tab = tabs_[static_cast<std::size_t>(currentTab_)];
  }
  tabs_.push_back(std::move(tab));
  view_.TabsChanged();
}

std::string WindowLogic::TabPath(int index) const {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) return {};
  if (index == currentTab_) return selected_ != nullptr ? selected_->Path() : std::string();
  return tabs_[static_cast<std::size_t>(index)].selectedPath;
}

void WindowLogic::CaptureCurrentTab() {
  if (currentTab_ < 0 || currentTab_ >= static_cast<int>(tabs_.size())) return;
  TabState& tab = tabs_[static_cast<std::size_t>(currentTab_)];
  tab.expandedPaths = tree_.CollectExpandedPaths();
  const DirNode* top = view_.TopTreeNode();
  tab.topPath = top != nullptr ? top->Path() : std::string();
  tab.selectedPath = selected_ != nullptr ? selected_->Path() : std::string();
}

bool WindowLogic::LeaveTab() {
  if (!windowEnabled_) return false;
  CaptureCurrentTab();
  return true;
}

void WindowLogic::EnterTab() {
  if (currentTab_ < 0 || currentTab_ >= static_cast<int>(tabs_.size())) return;
  const TabState tab = tabs_[static_cast<std::size_t>(currentTab_)];
  const auto& rules = services_.rules;
  const std::string topPath = tab.topPath.empty() ? std::string() : rules.AddTrailingSeparator(tab.topPath);
  const std::string selectedPath = tab.selectedPath.empty() ? std::string() : rules.AddTrailingSeparator(tab.selectedPath);
  tree_.BeginUpdate();
  tree_.CollapseAll();
  tree_.ExpandPaths(tab.expandedPaths);
  // The selection left behind belongs to the other tab: it neither closes a branch of this
  // one nor keeps this tab's caption from being set.
  selected_ = nullptr;
  // A place that is gone is not replaced by its parent: the next command would act there.
  DirNode* node = selectedPath.empty() ? nullptr : FindNamedDirectory(selectedPath);
  if (node != nullptr) {
    // The tab's own expansion is restored as it was left; automatic expansion would open
    // the selected branch even where the tab had it closed.
    SelectNode(node, Listing::Never, Expansion::AsRestored);
    view_.FocusTreeIfVisible();
    view_.SetLocationText(rules.AddTrailingSeparator(node->Path()));
  } else {
    // A tab without a place shows no selection; the list keeps what it shows.
    view_.ShowTreeSelection(nullptr);
    // A path no directory can have (beyond the system's length) is not worth showing.
    view_.SetLocationText(selectedPath.size() <= kShownTextLimit ? selectedPath : std::string());
  }
  if (DirNode* top = topPath.empty() ? nullptr : tree_.FindNodeFromPath(topPath, false)) view_.SetTopTreeNode(top);
  tree_.EndUpdate();
  ListDirectory();
  view_.TabsChanged();
}

void WindowLogic::SelectTab(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
  if (!LeaveTab()) return;
  currentTab_ = index;
  EnterTab();
}

void WindowLogic::DeleteCurrentTab() {
  if (tabs_.size() < 2) return;
  // Deleting shows the first tab: a switch, refused like any other during a transfer.
  if (!LeaveTab()) return;
  tabs_.erase(tabs_.begin() + currentTab_);
  currentTab_ = 0;
  EnterTab();
}

// ---- Drags and drops ------------------------------------------------------------------

namespace {

// The transfer a drop effect asks for: copy, move or link, without the scroll flag that
// may stand beside it; 0 for anything else, which must not reach the engine (an unknown
// operation there would copy directories' structure and report success).
int DropOperation(std::uint32_t effect) {
  effect &= ~0x80000000u;
  const bool known = effect == fileops::kOperationCopy || effect == fileops::kOperationMove ||
                     effect == fileops::kOperationLink;
  return known ? static_cast<int>(effect) : 0;
}

}  // namespace

std::vector<std::string> WindowLogic::TreeDragPaths() {
  if (selected_ == nullptr) return {};
  std::string path = selected_->Path();
  if (!services_.directories.DirectoryExists(path)) return {};
  return {std::move(path)};
}

std::vector<std::string> WindowLogic::ListDragPaths(const std::vector<int>& selectedRows) const {
  return list_.OperationPaths(selectedRows);
}

int WindowLogic::DropOnTree(const std::vector<std::string>& paths, std::uint32_t effect) {
  return DropOnTree(paths, effect, DropDestination());
}

int WindowLogic::DropOnTree(const std::vector<std::string>& paths, std::uint32_t effect, const std::string& destination) {
  const int operation = DropOperation(effect);
  if (!destination.empty() && operation != 0) {
    const std::string name = selected_ != nullptr && selected_->Path() == destination
                                 ? selected_->nodeName
                                 : services_.rules.LastComponent(destination);
    engine_.TransferFiles(paths, destination, operation);
    view_.SetMainWindowCaption(name);
  }
  RelistAfterChange();
  return 0;
}

void WindowLogic::DropOnList(const std::vector<std::string>& paths, std::uint32_t effect, bool onRow) {
  DropOnList(paths, effect, onRow, DropDestination());
}

void WindowLogic::DropOnList(const std::vector<std::string>& paths, std::uint32_t effect, bool onRow,
                             const std::string& destination) {
  if (destination.empty()) return;
  // The list scrolls near its edges as the tree does: a drop there carries the scroll flag
  // too, and must copy or move all the same.
  const int operation = DropOperation(effect);
  if (!onRow && operation != 0) engine_.TransferFiles(paths, destination, operation);
  RelistAfterChange();
}

void WindowLogic::DropOnBuffer(const std::vector<std::string>& paths) {
  std::vector<std::string> entries;
  entries.reserve(paths.size());
  for (const std::string& path : paths) {
    const bool directory = platform::DirectoryExists(path) && !platform::FileExists(path);
    entries.push_back(directory ? services_.rules.AddTrailingSeparator(path) : path);
  }
  buffers_.ToggleAll(entries);
  ShowFileBuffer();
}

// ---- Location bar, shortcuts and launcher -------------------------------------------

std::string WindowLogic::GoToDirectory(const std::string& text) {
  const std::string wanted = services_.rules.AddTrailingSeparator(text);
  // Only the directory named: when it is not there, the selection stays where it is
  // rather than moving to a parent that the next command would then act on.
  DirNode* node = FindNamedDirectory(wanted);
  if (node == nullptr) return text;
  SelectNode(node, Listing::Always);
  view_.FocusTreeIfVisible();
  const std::string shown = services_.rules.AddTrailingSeparator(node->Path());
  view_.SetLocationText(shown);
  return shown;
}

bool WindowLogic::OpensAsFile(const std::string& path) {
  if (!platform::FileExists(path)) return false;
  // A link to a directory is a place in the tree, not a document for the desktop.
  return platform::KindOfPath(path) != platform::PathKind::Symlink || !services_.directories.DirectoryExists(path);
}

std::string WindowLogic::GoToLocation(std::string_view typed) {
  std::string text(typed);
  for (const LauncherEntry& entry : launcher_) {
    if (entry.name == text) {
      text = entry.target;
      view_.SetLocationText(text);
      break;
    }
  }
  if (OpensAsFile(text)) {
    OpenWithShell(text, "");
    return text;
  }
  return GoToDirectory(text);
}

bool WindowLogic::AddSelectedFileToLauncher(const std::vector<int>& selectedRows) {
  if (selectedRows.empty() || selectedRows.front() < 0 || selectedRows.front() >= list_.RowCount()) return false;
  const int row = selectedRows.front();
  const std::string& name = list_.Row(row).name;
  const std::string target = list_.FullPath(row);
  // Launch.txt splits a line at its first colon and trims both halves: an entry that would
  // read back as something else is refused rather than saved wrongly.
  const bool storable = name.find(':') == std::string::npos && FitsOnOneLine(name) && FitsOnOneLine(target) &&
                        TrimText(name) == name && !name.empty() && TrimText(target) == target;
  if (!storable) {
    AppendLog(UiText("ランチャー追加失敗: ") + target);
    return false;
  }
  launcher_.push_back(LauncherEntry{name, target});
  return true;
}

bool WindowLogic::AddShortcutForSelection() {
  if (selected_ == nullptr) return false;
  const auto name = services_.questions.InputText(UiText("ショートカット追加"), UiText("ショートカット名を入力してください。"), "");
  if (!name) return false;
  if (TrimText(*name).empty()) {
    services_.questions.Alert("Velkoran", UiText("ショートカット名を入力してください。"));
    return false;
  }
  if (name->find(',') != std::string::npos) {
    services_.questions.Alert("Velkoran", UiText("ショートカット名に , は使えません。"));
    return false;
  }
  settings_.shortcuts.push_back(ShortcutEntry{services_.rules.AddTrailingSeparator(selected_->Path()), *name});
  return true;
}

void WindowLogic::RemoveShortcut(int index) {
  if (index >= 0 && index < static_cast<int>(settings_.shortcuts.size())) {
    settings_.shortcuts.erase(settings_.shortcuts.begin() + index);
  }
}

std::string WindowLogic::GoToShortcut(int index) {
  if (index < 0 || index >= static_cast<int>(settings_.shortcuts.size())) return {};
  const std::string path = settings_.shortcuts[static_cast<std::size_t>(index)].path;
  view_.SetLocationText(path);
  return GoToLocation(path);
}

// ---- Buffers --------------------------------------------------------------------------

void WindowLogic::ShowFileBuffer() { view_.ShowBuffer(buffers_.DisplayLines(), buffers_.IndexCaption()); }

std::string WindowLogic::NodeOperationPath(const DirNode& node) const {
  // A link is handed over as the link itself: without the trailing separator nothing
  // behind it is walked, copied or deleted.
  return node.isLink ? node.Path() : services_.rules.AddTrailingSeparator(node.Path());
}

void WindowLogic::SelectBuffer(int index) {
  buffers_.SetCurrent(index);
  ShowFileBuffer();
}

void WindowLogic::AddTreeDirectoryToBuffer(int index) {
  if (selected_ == nullptr) return;
  if (index >= 0) buffers_.SetCurrent(index);
  buffers_.Toggle(NodeOperationPath(*selected_));
  ShowFileBuffer();
}

int WindowLogic::AddFocusedFileToBuffer(int focusedRow) {
  if (focusedRow < 0 || focusedRow >= list_.RowCount()) return -1;
  buffers_.Toggle(list_.OperationPath(focusedRow));
  ShowFileBuffer();
  return focusedRow + 1 < list_.RowCount() ? focusedRow + 1 : 0;
}

void WindowLogic::AddSelectedFilesToBuffer(const std::vector<int>& selectedRows, int index) {
  if (index >= 0) buffers_.SetCurrent(index);
  buffers_.ToggleAll(list_.FullPaths(selectedRows));
  ShowFileBuffer();
}

void WindowLogic::RemoveBufferLines(const std::vector<int>& selectedLines) {
  buffers_.RemoveDisplayedLines(selectedLines);
  ShowFileBuffer();
}

void WindowLogic::ClearBuffer() {
  buffers_.ClearCurrent();
  ShowFileBuffer();
}

void WindowLogic::DeleteFilesInBuffer(bool permanent) {
  const std::vector<std::string> entries = buffers_.CurrentEntries();
  engine_.DeleteWithConfirmation(entries, DeleteModeFor(permanent));
  // The buffer keeps its entries, but the tree and the list must not go on showing what
  // is gone: they are read afresh, as after the list's own delete.
  RelistAfterChange();
}

void WindowLogic::CopyFromBuffer() {
  if (selected_ == nullptr) return;
  const std::vector<std::string> entries = buffers_.CurrentEntries();
  engine_.TransferFiles(entries, selected_->Path(), fileops::kOperationCopy);
  RelistAfterChange();
}

void WindowLogic::MoveFromBuffer() {
  const std::vector<std::string> entries = buffers_.CurrentEntries();
  std::string question;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    question += entries[i] + "\r\n";
    if (i == 11) {  // the twelfth entry ends the listing
      question += UiText("・・・・") + "\r\n";
      break;
    }
  }
  question += UiText("を移動しますか？");
  if (services_.questions.AskYesNo(UiText("移動確認"), question) == platform::Answer::No) return;
  if (selected_ == nullptr) return;
  engine_.TransferFiles(entries, selected_->Path(), fileops::kOperationMove);
  RelistAfterChange();
}

}  // namespace velkoran::app
