// The main window's logic without widgets: its saved state, the tree and the file list with
// their commands, the tabs and the buffers. The Qt window calls it and shows what it
// reports through WindowView; tests drive it with fakes and temporary folders.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/dir_tree.h"
#include "app/logic/file_buffers.h"
#include "app/logic/file_list.h"
#include "app/logic/mime_apps.h"
#include "app/logic/settings.h"
#include "app/logic/state_files.h"
#include "app/logic/tab_state.h"
#include "app/logic/transfer_feedback.h"
#include "fileops/engine.h"
#include "fileops/operation_host.h"
#include "platform/questions.h"
#include "platform/shell.h"

namespace velkoran::app {

// What the logic shows. The window implements it; tests record it. The operation host
// part (log, progress bars, pending events, window state) serves the file operations too.
class WindowView : public fileops::OperationHost {
 public:
  virtual void SetLocationText(std::string_view text) = 0;   // with the caret at its end
  virtual void ShowTreeSelection(const DirNode* node) = 0;   // null: no node selected
  virtual const DirNode* TopTreeNode() const = 0;            // top visible node, or null
  virtual void SetTopTreeNode(const DirNode* node) = 0;
  virtual void FocusTreeIfVisible() = 0;
  virtual void TabsChanged() = 0;                            // count, captions or current tab
  virtual void FileListRefilled() = 0;                       // focus the first row, select none
  virtual void FileListSorted(const std::vector<int>& newIndexOfOld) = 0;
  virtual void FileRowChanged(int row) = 0;
  virtual void FocusFileRow(int row) = 0;                    // the cursor on that row, none selected
  virtual void ShowInfoLine(std::string_view text) = 0;
  virtual void ShowBuffer(const std::vector<std::string>& lines, std::string_view indexCaption) = 0;
  virtual void TreeVisibilityChanged(bool visible) = 0;
  // While a transfer runs: bytes done of the total, speed and time left; empty when it is over.
  virtual void ShowTransferStatus(std::string_view /*text*/) {}
};

// Everything the logic reads from outside: the file system seams, the network, the user.
struct WindowServices {
  const platform::PathRules& rules;
  SubdirectorySource& directories;
  platform::VolumeList& volumes;
  platform::NetworkEnumeration& network;
  platform::UserQuestions& questions;
  platform::Shell& shell;
  // The clock transfer speeds are measured with; empty: the steady clock.
  std::function<TransferFeedback::Clock::time_point()> clock = {};
};

class WindowLogic : private fileops::OperationHost {
 public:
  WindowLogic(WindowServices services, WindowView& view);
  ~WindowLogic() override;

  // ---- Saved state -------------------------------------------------------------------
  // Reads setting.ini, fbuf.txt, tab.txt and Launch.txt from saveDir (missing files leave
  // the defaults) and hands the settings to the tree, the list and the engine. A first
  // start shows the tree, and its tab opens on the first-start directory.
  void LoadState(const std::string& saveDir);
  // Writes the four files, each replaced atomically. Returns one message per file that
  // could not be written (that file keeps its old content).
  std::vector<std::string> SaveState(const std::string& saveDir);
  // The same as the session goes, so that a crash loses little: the current tab's state
  // is taken (without leaving it) and only the files whose text changed since they were
  // last written are written. Nothing is written while the tree is in a bulk update.
  std::vector<std::string> SaveChangedState(const std::string& saveDir);
  // Where a first start (no setting.ini, no tab.txt) opens its one tab; empty: nowhere.
  void SetFirstStartDirectory(std::string path) { firstStartDirectory_ = std::move(path); }
  // The settings as they stand; the window keeps its sizes in them before saving.
  WindowSettings& Settings() { return settings_; }
  const std::vector<LauncherEntry>& Launcher() const { return launcher_; }

  // First showing: build the tree, show the buffer, enter the current tab.
  void Show();
  // Closing: the leaving step for the current tab, so that its state is current.
  void Close();

  // ---- Tree ---------------------------------------------------------------------------
  DirTree& Tree() { return tree_; }
  DirNode* SelectedNode() const { return selected_; }
  void RebuildTree();
  // Rebuilds keeping expansion, top node and selection (the nearest surviving ancestor of
  // a selected directory that is gone). Lists again only when the selection moved.
  void RefreshTree();
  // The selection changed in the view (or a command selects): lists the directory, shows
  // its path in the location bar and its name on the tab.
  void SelectTreeNode(DirNode* node);
  void TreeNodeExpanded(DirNode* node);
  void TreeNodeCollapsed(DirNode* node);
  // In-place rename; false (and a log line) when it failed.
  bool RenameTreeNode(DirNode* node, std::string_view newName);
  bool CanRenameTreeNode(const DirNode* node) const { return node != nullptr && node->renamable; }
  // The deletes go to the trash unless permanent is asked for (Shift) or the setting
  // "UseTrash" is off.
  void DeleteTreeItem(bool permanent = false);  // AC_DeleteTreeItem
  void UpdateTree();              // AC_UpdateTree
  void CollapseWholeTree();       // AC_FullCol
  void CheckTreeDirectorySize();  // the tree's "ディレクトリサイズ調査"
  void ToggleTreeVisible();       // MI_TreeVisible
  void ToggleAutoExpand();        // MI_AutoExpand

  // ---- File list ----------------------------------------------------------------------
  // Rows are passed in list order as the view's selection holds them.
  FileList& List() { return list_; }
  void ListDirectory();
  void SortByColumn(int column);
  void UpdateInfoLine(const std::vector<int>& selectedRows);
  void OpenFile(const std::vector<int>& selectedRows);     // AC_OpenFile
  void DeleteFiles(const std::vector<int>& selectedRows, bool permanent = false);  // AC_DeleteFile
  // In-place rename of a row; false when nothing was renamed (the row keeps its name).
  bool RenameFile(int row, std::string_view newName);
  void CreateDirectory();  // AC_CreateDirectoryInFileList
  void GoParent();         // AC_GoParent
  void ToggleShowDirectory();
  bool CanCheckDirectorySize(const std::vector<int>& selectedRows) const;
  void CheckListDirectorySize(const std::vector<int>& selectedRows);  // MI_CheckDirSize
  void OpenWithShell(std::string_view file, std::string_view parameters);
  // "アプリケーションで開く": opens the selected rows with app (a log line when it cannot
  // start); an entry run in a terminal gets the terminal below.
  void OpenRowsWith(const DesktopEntry& app, const std::vector<int>& selectedRows);
  // "端末をここで開く": the terminal ($TERMINAL, else x-terminal-emulator) in the selected
  // directory.
  void OpenTerminalHere();

  // ---- Tabs ---------------------------------------------------------------------------
  const std::vector<TabState>& Tabs() const { return tabs_; }
  int CurrentTab() const { return currentTab_; }
  // The directory a tab shows: the selection for the current tab, else what it remembers.
  std::string TabPath(int index) const;
  // A new tab opens where the current one is (the current tab does not change).
  void NewTab();
  // The leaving step: false (nothing stored) while a file operation runs.
  bool LeaveTab();
  void EnterTab();
  void SelectTab(int index);
  void DeleteCurrentTab();

  // ---- Location bar, shortcuts and launcher --------------------------------------------
  // The go button (and Enter in the location bar): a launcher name gives its target, an
  // existing file opens, anything else is looked up in the tree. Returns the text the
  // location bar shows afterwards.
  std::string GoToLocation(std::string_view text);
  // "ランチャーに追加": the first selected row joins the launcher under its own name.
  bool AddSelectedFileToLauncher(const std::vector<int>& selectedRows);
  const std::vector<ShortcutEntry>& Shortcuts() const { return settings_.shortcuts; }
  // AC_AddShortcutInTree: asks for a name; true when a shortcut was added.
  bool AddShortcutForSelection();
  void RemoveShortcut(int index);
  // A click on a shortcut item: go to its directory. Returns the location bar's text.
  std::string GoToShortcut(int index);

  // ---- Buffers ------------------------------------------------------------------------
  FileBuffers& Buffers() { return buffers_; }
  void ShowFileBuffer();
  void SelectBuffer(int index);                                         // AC_Buf N
  void AddTreeDirectoryToBuffer(int index = -1);                        // AC_AddBufferInTree, AC_AddDirToBuffer N
  // AC_AddBufferFile: toggles the focused row; returns the row to focus next (-1: none).
  int AddFocusedFileToBuffer(int focusedRow);
  void AddSelectedFilesToBuffer(const std::vector<int>& selectedRows, int index = -1);  // Ctrl+B, AC_AddItemToBuffer N
  void RemoveBufferLines(const std::vector<int>& selectedLines);        // "ファイルバッファから削除"
  void ClearBuffer();                                                   // AC_ClearBufferList
  void DeleteFilesInBuffer(bool permanent = false);                                           // AC_DeleteFilesInBuffer
  void CopyFromBuffer();                                                // AC_CopyFromBufferInFileList
  void MoveFromBuffer();                                                // AC_MoveFromBufferInFileList

  // ---- Drags and drops ----------------------------------------------------------------
  // What a drag from the tree offers: the selected node's path when it is an existing
  // directory, else nothing.
  std::vector<std::string> TreeDragPaths();
  // What a drag from the list offers: the selected rows in list order, a directory with a
  // trailing separator (the drag removes it when the drop happens).
  std::vector<std::string> ListDragPaths(const std::vector<int>& selectedRows) const;
  // What the window does with paths dropped on it (the drag-and-drop components deliver
  // them without trailing separators). The effect is 1 copy, 2 move or 4 link; the scroll
  // flag beside it is no operation, and an effect that is no operation transfers nothing.
  // On the tree: transfer into the selected directory; returns the effect to report back
  // to the source, always none (0), so that the source never deletes anything itself.
  int DropOnTree(const std::vector<std::string>& paths, std::uint32_t effect);
  // On the list: transfer into the selected directory unless the drop landed on a row.
  void DropOnList(const std::vector<std::string>& paths, std::uint32_t effect, bool onRow);
  // The same with the destination taken when the drop happened (the work of a drop may
  // run later, when the selection has moved on); an empty destination transfers nothing.
  int DropOnTree(const std::vector<std::string>& paths, std::uint32_t effect, const std::string& destination);
  void DropOnList(const std::vector<std::string>& paths, std::uint32_t effect, bool onRow, const std::string& destination);
  // The directory a drop made now would go to: the selected node's path, or empty.
  std::string DropDestination() const { return selected_ != nullptr ? selected_->Path() : std::string(); }
  // On the buffer list: toggle every path (a directory with a trailing separator).
  void DropOnBuffer(const std::vector<std::string>& paths);

  // ---- File operations ----------------------------------------------------------------
  fileops::FileOperationEngine& Engine() { return engine_; }
  bool WindowEnabled() const { return windowEnabled_; }
  void RequestBreak() { engine_.RequestBreak(); }

  void AppendLog(std::string_view line) override { view_.AppendLog(line); }

  // ---- Progress bars --------------------------------------------------------------------
  // What the two bars hold; transfers and scripts set them, the view shows them.
  struct ProgressValues {
    std::uint64_t maximum = 100;
    std::uint64_t position = 0;
  };
  const ProgressValues& Progress(fileops::ProgressBar bar) const;
  // Both bars back to empty, when a transfer or a script has ended.
  void ResetProgress();
  void SetProgressMaximum(fileops::ProgressBar bar, std::uint64_t maximum) override;
  void SetProgressPosition(fileops::ProgressBar bar, std::uint64_t position) override;

 private:
  // fileops::OperationHost, forwarded to the view; the window's enabled state is kept.
  void ProcessPendingEvents() override;
  void SetMainWindowEnabled(bool enabled) override;
  void SetMainWindowCaption(std::string_view caption) override;
  void TransferStarted(std::uint64_t totalBytes) override { transferFeedback_.Started(totalBytes); }
  void TransferEntriesDone(std::uint64_t bytesDone) override { transferFeedback_.EntriesDone(bytesDone); }
  void TransferEnded(bool) override { transferFeedback_.Ended(); }

  enum class Listing { Always, Never };
  // Automatic: the tree's auto-expand opens the new selection and closes the branch left.
  // AsRestored: the expansion stays as it is (a tab's saved state was just restored).
  enum class Expansion { Automatic, AsRestored };
  void SelectNode(DirNode* node, Listing listing, Expansion expansion = Expansion::Automatic);
  void RevealNode(DirNode* node);
  void ApplySettings();
  void RelistAfterChange();  // RefreshTree, then ListDirectory
  fileops::DeleteMode DeleteModeFor(bool permanent) const;
  void CaptureCurrentTab();  // the current tab's state taken from the tree
  // The node of a directory the user named; logs "NotFound" when there is none.
  DirNode* FindNamedDirectory(const std::string& path);
  // The caption of a tab on this directory.
  std::string TabCaption(std::string_view path) const;
  struct StateTexts {
    std::string settings, buffers, tabs, launcher;
  };
  std::vector<std::string> WriteState(const std::string& saveDir, bool onlyChanged);
  std::string NodeOperationPath(const DirNode& node) const;
  std::string GoToDirectory(const std::string& text);
  bool OpensAsFile(const std::string& path);

  WindowServices services_;
  WindowView& view_;
  WindowSettings settings_;
  DirTree tree_;
  FileList list_;
  FileBuffers buffers_;
  fileops::FileOperationEngine engine_;
  TransferFeedback transferFeedback_;
  std::vector<TabState> tabs_{TabState{}};
  int currentTab_ = 0;
  std::vector<LauncherEntry> launcher_;
  DirNode* selected_ = nullptr;
  bool windowEnabled_ = true;
  ProgressValues mainProgress_;
  ProgressValues subProgress_;
  std::string firstStartDirectory_;
  StateTexts written_;                   // what the files hold as last read or written
  std::uint64_t writtenBuffers_ = ~0ull;  // the buffers' revision written last
};

}  // namespace velkoran::app
