// TForm_Main: the main window. It lays out the controls, wires them to the window's logic,
// shows what WindowLogic reports (WindowView), and handles showing and closing. All file
// manager behaviour lives in WindowLogic; the window's other concerns have helpers of their
// own: WindowActions (commands and menus), WindowKeyFilter (keys), WindowDrops (drag and
// drop) and ScriptSession (the script interpreter).
#pragma once

#include <QKeyCombination>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/key_routing.h"
#include "app/logic/tab_hover.h"
#include "app/logic/window_logic.h"
#include "app/window_controls.h"

class QAction;
class QMenu;
class QTimer;

namespace kestrin {
class TKestrin;
}

namespace velkoran::dnd {
class TDragLoop;
}

namespace velkoran::app {

class QtUserQuestions;
class ScriptSession;
class SignalBridge;
class WindowActions;
class WindowDrops;
class WindowKeyFilter;

// What the window uses from outside; every null member is replaced by the host's own.
struct FormDependencies {
  platform::VolumeList* volumes = nullptr;
  platform::NetworkEnumeration* network = nullptr;
  SubdirectorySource* directories = nullptr;
  platform::UserQuestions* questions = nullptr;
  platform::Shell* shell = nullptr;
  std::string programDir;           // empty: the program folder of this process
  // Where the one tab of a first start (nothing saved yet) opens; empty: $HOME.
  std::string firstStartDirectory;
  bool handleTerminationSignals = true;
  // The system tick counter (monotonic milliseconds, wrapping at 32 bits) and the Ctrl
  // key's state at this moment; empty: the host's own.
  std::function<std::uint32_t()> tickCount;
  std::function<bool()> controlKeyHeld;
  // The drag loop drags from the tree and the list run in (it must outlive the window);
  // null: Qt's.
  dnd::TDragLoop* dragLoop = nullptr;
};

class TForm_Main final : public QMainWindow, public WindowView {
 public:
  explicit TForm_Main(FormDependencies deps = {}, QWidget* parent = nullptr);
  ~TForm_Main() override;

  WindowLogic& Logic() { return *logic_; }
  const std::string& ProgramDir() const { return programDir_; }
  const std::string& SaveDir() const { return saveDir_; }
  const std::string& ScriptDir() const { return scriptDir_; }

  QAction* Action(const QString& name) const;
  const std::vector<QAction*>& Actions() const;
  QMenu* Menu(const QString& name) const;

  // Runs a key through the window's dispatch as a key press on the focused control would;
  // true when an action ran.
  bool DispatchKey(const QKeyCombination& key);

  // The selected rows of the file list in list order, and the focused row (-1 for none).
  std::vector<int> SelectedFileRows() const { return controls_.SelectedFileRows(); }
  int FocusedFileRow() const { return controls_.FocusedFileRow(); }

  // Drags from the tree (its selected directory) and from the list (its selected rows);
  // the views call them when a pressed mouse moves over a selection.
  void TV_DirectorysStartDrag();
  void LV_FileListStartDrag();

  // One timer step: keeps the saved geometry current, suspends the single-key shortcuts
  // while a text is edited, and switches tabs on hover.
  void TimerTick();
  bool ShortcutsSuspended() const;

  // Scripts (see docs/scripts.md). True while a script runs; the window then takes only
  // Esc (abort) and repainting.
  bool ScriptRunning() const;
  kestrin::TKestrin& ScriptHost();

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
  void FocusFileRow(int row) override;
  void ShowInfoLine(std::string_view text) override;
  void ShowBuffer(const std::vector<std::string>& lines, std::string_view indexCaption) override;
  void TreeVisibilityChanged(bool visible) override;
  void ShowTransferStatus(std::string_view text) override;

 protected:
  // The few events of single controls: the progress panel's resize, a right click that
  // clears the log, a double click beside the tabs.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void BuildLayout();
  void ConnectViews();
  void ApplySettingsToWidgets();
  void ApplyColumns();
  int DefaultColumnWidth(ColumnKind kind) const;  // without a saved GridWidth
  void ShowSortIndicator();
  void CollectWidgetSettings();
  void SyncTreeView();
  void ApplyTreeSelection(const DirNode* node);
  void ShowProgress(fileops::ProgressBar bar);  // the bar as its state stands
  void PopupPaneMenu(KeyFocus pane, const QPoint& globalPos);
  void CloseWhenIdle();  // a close asked for while a transfer or script ran
  // Writes what changed of the state files, so that a crash or a kill loses little.
  void SaveChangedState();

  std::string programDir_;
  QString infoLine_;  // what LB_TotalSize shows again when a transfer's status is over
  std::string saveDir_;
  std::string scriptDir_;

  std::unique_ptr<platform::VolumeList> ownVolumes_;
  std::unique_ptr<platform::NetworkEnumeration> ownNetwork_;
  std::unique_ptr<SubdirectorySource> ownDirectories_;
  std::unique_ptr<QtUserQuestions> ownQuestions_;
  std::unique_ptr<platform::Shell> ownShell_;
  std::unique_ptr<WindowLogic> logic_;
  // The script interpreter; it goes before the logic its scripts act on.
  std::unique_ptr<ScriptSession> scripts_;

  WindowControls controls_;
  QTimer* Timer1 = nullptr;
  QTimer* saveTimer_ = nullptr;
  std::vector<std::string> lastSaveFailures_;  // reported once, not every round
  SignalBridge* signals_ = nullptr;

  // The helpers, each owning one concern of the window.
  std::unique_ptr<WindowActions> actions_;
  std::unique_ptr<WindowKeyFilter> keys_;
  std::unique_ptr<WindowDrops> drops_;

  bool shown_ = false;
  bool closing_ = false;
  bool closePending_ = false;  // a close asked for while a transfer or script runs
  int syncingTree_ = 0;        // the view is being brought in line with the logic
  const DirNode* pendingTop_ = nullptr;
  bool hasPendingTop_ = false;
  TabHoverSwitch hover_;
  QPoint hoverPointer_;  // where the pointer was at the last timer step
  std::function<std::uint32_t()> tickCount_;
  QPointer<QWidget> focusBeforeDisable_;  // the control that had the focus when a transfer began
};

}  // namespace velkoran::app
