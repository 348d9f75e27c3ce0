// TForm_Main: the main window. It lays out the controls, owns the actions and context
// menus, dispatches keys, and shows what WindowLogic reports. All file manager behaviour
// lives in WindowLogic; this class only connects it to Qt.
#pragma once

#include <QMainWindow>
#include <QKeySequence>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_script_object.h"
#include "app/logic/script_launch.h"
#include "app/logic/tab_hover.h"
#include "app/logic/window_logic.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabBar;
class QTimer;
class QTreeView;

namespace kestrin {
class TKestrin;
}

namespace velkoran::dnd {
class TDragLoop;
class TDropTargetBase;
class TFileDragSource;
class TFileDropTarget;
class TRefuseDropTarget;
}  // namespace velkoran::dnd

namespace velkoran::app {

class DirTreeModel;
class FileListModel;
class QtUserQuestions;
class SignalBridge;

// What the window uses from outside; every null member is replaced by the host's own.
struct FormDependencies {
  platform::VolumeList* volumes = nullptr;
  platform::NetworkEnumeration* network = nullptr;
  SubdirectorySource* directories = nullptr;
  platform::UserQuestions* questions = nullptr;
  platform::Shell* shell = nullptr;
  std::string programDir;           // empty: the program folder of this process
  bool handleTerminationSignals = true;
  // The system tick counter (monotonic milliseconds, wrapping at 32 bits) and the Ctrl
  // key's state at this moment; empty: the host's own.
  std::function<std::uint32_t()> tickCount;
  std::function<bool()> controlKeyHeld;
  // The drag loop drags from the tree and the list run in (it must outlive the window);
  // null: Qt's.
  dnd::TDragLoop* dragLoop = nullptr;
};

class TForm_Main final : public QMainWindow, public WindowView, private TVelkoranHost {
 public:
  explicit TForm_Main(FormDependencies deps = {}, QWidget* parent = nullptr);
  ~TForm_Main() override;

  WindowLogic& Logic() { return *logic_; }
  const std::string& ProgramDir() const { return programDir_; }
  const std::string& SaveDir() const { return saveDir_; }
  const std::string& ScriptDir() const { return scriptDir_; }

  QAction* Action(const QString& name) const;
  const std::vector<QAction*>& Actions() const { return actions_; }
  QMenu* Menu(const QString& name) const;

  // Runs a key through the window's dispatch as a key press on the focused control would;
  // true when an action ran.
  bool DispatchKey(const QKeyCombination& key);

  // The selected rows of the file list in list order, and the focused row (-1 for none).
  std::vector<int> SelectedFileRows() const;
  int FocusedFileRow() const;

  // Drags from the tree (its selected directory) and from the list (its selected rows);
  // the views call them when a pressed mouse moves over a selection.
  void TV_DirectorysStartDrag();
  void LV_FileListStartDrag();

  // One timer step: keeps the saved geometry current, suspends the single-key shortcuts
  // while a text is edited, and switches tabs on hover.
  void TimerTick();
  bool ShortcutsSuspended() const { return shortcutsSuspended_; }

  // ---- Scripts (see docs/scripts.md) ---------------------------------------------------
  // Rebuilds the three script menus from the script folder ("スクリプトメニュー更新").
  void MI_UpdateScriptListClick();
  // Runs the script of a script menu item over the tree's or the list's selection.
  void MI_ScriptDummyClick(QAction* item);
  // Script output: complete lines go to the log.
  void KestrinStdout(std::string_view text);
  // True while a script runs; the window then takes only Esc (abort) and repainting.
  bool ScriptRunning() const { return scriptRunning_; }
  kestrin::TKestrin& ScriptHost() { return *Kestrin; }

  // WindowView / OperationHost
  void AppendLog(std::string_view line) override;
  void SetProgressMaximum(fileops::ProgressBar bar, std::uint64_t maximum) override;
  void SetProgressPosition(fileops::ProgressBar bar, std::uint64_t position) override;
  void ProcessPendingEvents() override;
  void SetMainWindowEnabled(bool enabled) override;
  void SetMainWindowCaption(std::string_view caption) override;
  void SetLocationText(std::string_view text) override;
  void ShowTreeSelection(const DirNode* node) override;
  const DirNode* TopTreeNode() const override;
  void SetTopTreeNode(const DirNode* node) override;
  void FocusTreeIfVisible() override;
  void TabsChanged() override;
  void FileListRefilled() override;
  void FileListSorted(const std::vector<int>& newIndexOfOld) override;
  void FileRowChanged(int row) override;
  void ShowInfoLine(std::string_view text) override;
  void ShowBuffer(const std::vector<std::string>& lines, std::string_view indexCaption) override;
  void TreeVisibilityChanged(bool visible) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void BuildLayout();
  void BuildActions();
  void BuildMenus();
  void ConnectViews();
  void ApplySettingsToWidgets();
  void ApplyColumns();
  void CollectWidgetSettings();
  void RebuildShortcutMenus();
  void FillLauncherList();
  void SyncTreeView();
  void ApplyTreeSelection(const DirNode* node);
  void ShowProgress(fileops::ProgressBar bar);  // the bar as its state stands
  void GoToLocationBarText();
  void OpenContextMenu(QWidget* control, const QPoint& globalPos);
  QMenu* ContextMenuOf(QWidget* focus, QWidget** control) const;
  bool TriggerFromMenu(QMenu* menu, const QKeySequence& key);
  bool IsEditingText() const;
  bool IsEditingOrTyping() const;  // a name is edited in place or the location bar has the focus
  void UpdateShortcutSuspension();
  void ShortcutItemClicked(int tag);  // MI_ShortcutDummyClick
  // Drag and drop (see docs/platform-notes.md).
  void RegisterDropTargets();
  void UnregisterDropTargets();
  void DFT_TreeDragOver(QPoint point);
  // Work a drop starts runs after the drop event has returned, once no transfer or script
  // is running.
  void RunAfterDrop(std::function<void()> work);
  void RunDropWork(std::function<void()> work);
  // Compiles and runs a generated program, then frees what the script left.
  void RunScriptProgram(std::string_view program);
  void ReleaseScriptObjects();
  void AbortScript();
  // A command of a menu or key that must wait while a script runs.
  template <typename F>
  auto WhenIdle(F run) {
    return [this, run = std::move(run)] {
      if (!scriptRunning_) run();
    };
  }

  // TVelkoranHost: what the application object of a script drives.
  int ScriptTabIndex() const override;
  int ScriptTabCount() const override;
  std::int32_t ScriptProgressPosition(ScriptProgressBar bar) const override;
  std::int32_t ScriptProgressMaximum(ScriptProgressBar bar) const override;
  void SetScriptProgressPosition(ScriptProgressBar bar, std::int32_t position) override;
  void SetScriptProgressMaximum(ScriptProgressBar bar, std::int32_t maximum) override;
  int ScriptFileBufferIndex() const override;
  void SetScriptFileBufferIndex(int index) override;
  void ScriptUpdateTree() override;
  void ScriptUpdateFileList() override;
  void ScriptLog(std::string_view text) override;
  void ScriptChangeTab(int index) override;
  void ScriptToggleBufferEntry(std::string_view path) override;
  void ScriptShowFileBuffer() override;
  QAction* AddAction(const char* name, const char* caption, const QKeySequence& key, std::function<void()> run);
  QAction* AddMenuItem(QMenu* menu, QAction* action, const char* caption = nullptr);
  QMenu* AddMenu(const char* name, const char* caption, QMenu* parent = nullptr);

  std::string programDir_;
  std::string saveDir_;
  std::string scriptDir_;

  std::unique_ptr<platform::VolumeList> ownVolumes_;
  std::unique_ptr<platform::NetworkEnumeration> ownNetwork_;
  std::unique_ptr<SubdirectorySource> ownDirectories_;
  std::unique_ptr<QtUserQuestions> ownQuestions_;
  std::unique_ptr<platform::Shell> ownShell_;
  std::unique_ptr<WindowLogic> logic_;

  // Controls, named as the window's design names them.
  QWidget* PN_LocateBar = nullptr;
  QComboBox* CB_LocateBar = nullptr;
  QPushButton* SB_Go = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QTabBar* TC_Main = nullptr;
  QSplitter* Splitter3 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTreeView* TV_Directorys = nullptr;
  QTreeView* LV_FileList = nullptr;
  QWidget* PN_FileListInfo = nullptr;
  QLabel* LB_BufferIndex = nullptr;
  QLabel* LB_TotalSize = nullptr;
  QWidget* PN_Info = nullptr;
  QSplitter* Splitter2 = nullptr;
  QListWidget* LB_Buffer = nullptr;
  QListWidget* LB_Log = nullptr;
  QWidget* PN_Progress = nullptr;
  QProgressBar* PB_Main = nullptr;
  QProgressBar* PB_Sub = nullptr;
  QTimer* Timer1 = nullptr;

  DirTreeModel* treeModel_ = nullptr;
  FileListModel* listModel_ = nullptr;
  SignalBridge* signals_ = nullptr;

  std::vector<QAction*> actions_;  // the action list, in the order keys are matched
  std::map<QString, QAction*> actionByName_;
  std::map<QString, QMenu*> menuByName_;
  QMenu* PM_Main = nullptr;
  QMenu* PM_DirTree = nullptr;
  QMenu* PM_File = nullptr;
  QMenu* PM_Buffer = nullptr;
  QMenu* PM_Shortcut = nullptr;
  QMenu* PM_Script = nullptr;
  QMenu* MI_ScriptRoot_Tree = nullptr;
  QMenu* MI_ScriptRoot_File = nullptr;
  QAction* MI_ScriptDummy = nullptr;
  QMenu* MI_ShortcutRoot = nullptr;
  QAction* MI_ShortcutDummy = nullptr;
  QAction* MI_CheckDirSize = nullptr;
  QAction* MI_TreeVisible = nullptr;
  QAction* MI_ShowDirInFileList = nullptr;
  QAction* MI_AutoUwagaki = nullptr;
  QAction* MI_AutoExpand = nullptr;

  struct ProgressState {
    std::uint64_t maximum = 100;
    std::uint64_t position = 0;
  };
  ProgressState mainProgress_;
  ProgressState subProgress_;

  bool shown_ = false;
  bool closing_ = false;
  bool closePending_ = false;  // a close asked for while a transfer runs
  int syncingTree_ = 0;        // the view is being brought in line with the logic
  const DirNode* pendingTop_ = nullptr;
  bool hasPendingTop_ = false;
  TabHoverSwitch hover_;
  std::function<std::uint32_t()> tickCount_;
  std::function<bool()> controlKeyHeld_;
  bool shortcutsSuspended_ = false;
  // The four single-key shortcuts, given back when no text is edited any more.
  std::vector<std::pair<QAction*, QKeySequence>> singleKeyShortcuts_;
  bool listFocusedBeforeMenu_ = false;   // the file list had the focus when a shortcut menu opened
  QPointer<QWidget> focusBeforeDisable_;  // the control that had the focus when a transfer began

  // Drag and drop: the source of drags from the tree and the list, the targets on the
  // three panes and the one refusing drops anywhere else on the window.
  dnd::TFileDragSource* FileDragSource1 = nullptr;
  dnd::TFileDropTarget* DFT_Tree = nullptr;
  dnd::TFileDropTarget* DFT_File = nullptr;
  dnd::TFileDropTarget* DFT_Buffer = nullptr;
  dnd::TRefuseDropTarget* RefuseDropTarget1 = nullptr;
  std::string treeDragOverPath_;  // the node the pointer was last over in this drag
  bool dropWorkRunning_ = false;

  // The script interpreter; it goes before the logic its scripts act on.
  std::unique_ptr<kestrin::TKestrin> Kestrin;
  ScriptOutputLines scriptOutput_;  // LineBuffer
  bool scriptRunning_ = false;
};

}  // namespace velkoran::app
