// WindowActions: the main window's commands and menus. It builds the action list (every
// command with its key), the context menus of the tree, the list, the buffer list and the
// window, the shortcut menus, the script menus and the location bar's launcher list, and
// runs what they choose. Keys reach the actions through WindowKeyFilter; while a script
// runs only the break and repaint commands act.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/logic/key_routing.h"

class QAction;
class QMenu;
class QWidget;

namespace velkoran::app {

class ScriptSession;
class WindowLogic;
struct WindowControls;

class WindowActions final : public QObject {
 public:
  // Actions and menus belong to window. controlKeyHeld tells whether Ctrl is held now (a
  // shortcut item clicked with Ctrl is removed). Everything passed must outlive this.
  WindowActions(QWidget& window, const WindowControls& controls, WindowLogic& logic, ScriptSession& scripts,
                std::string scriptDir, std::function<bool()> controlKeyHeld);

  QAction* Action(const QString& name) const;
  QAction* Action(const char* name) const { return Action(QString::fromLatin1(name)); }
  // The action list, in the order keys are matched.
  const std::vector<QAction*>& Actions() const { return actions_; }
  QMenu* Menu(const QString& name) const;

  // The context menu of a pane (none for the location bar and the rest of the window).
  QMenu* PaneMenu(KeyFocus pane) const;
  QMenu* MainMenu() const { return PM_Main; }
  QMenu* ShortcutMenu() const { return PM_Shortcut; }
  QMenu* ScriptMenu() const { return PM_Script; }

  // Rebuild what depends on the saved state or the script folder.
  void RebuildShortcutMenus();
  void RebuildScriptMenus();  // "スクリプトメニュー更新"
  void FillLauncherList();
  // The go button and Enter in the location bar.
  void GoToLocationBarText();

 private:
  void BuildActions();
  void BuildMenus();
  QAction* AddAction(const char* name, const QString& caption, const QKeySequence& key, std::function<void()> run);
  // A null caption: the item is the action itself.
  QAction* AddMenuItem(QMenu* menu, QAction* action, const QString& caption = QString());
  QMenu* AddMenu(const char* name, const QString& caption, QMenu* parent = nullptr);
  void AddFocusedFileToBuffer();
  void ShortcutItemClicked(int tag);  // MI_ShortcutDummyClick
  void ScriptItemClicked(QAction* item);  // MI_ScriptDummyClick
  // "アプリケーションで開く": the applications that open every selected row.
  void FillOpenWithMenu();
  // A command of a menu that must wait while a script runs.
  std::function<void()> WhenIdle(std::function<void()> run);

  QWidget& window_;
  const WindowControls& c_;
  WindowLogic& logic_;
  ScriptSession& scripts_;
  std::string scriptDir_;
  std::function<bool()> controlKeyHeld_;

  std::vector<QAction*> actions_;
  std::map<QString, QAction*> actionByName_;
  std::map<QString, QMenu*> menuByName_;
  QMenu* PM_Main = nullptr;
  QMenu* PM_DirTree = nullptr;
  QMenu* PM_File = nullptr;
  QMenu* PM_Buffer = nullptr;
  QMenu* PM_Shortcut = nullptr;
  QMenu* PM_Script = nullptr;
  QMenu* MI_OpenWith = nullptr;
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
  bool listFocusedBeforeMenu_ = false;  // the file list had the focus when a shortcut menu opened
};

}  // namespace velkoran::app
