#include "app/window_actions.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeDatabase>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/file_list_model.h"
#include "app/logic/mime_apps.h"
#include "app/logic/name_order.h"
#include "app/logic/script_launch.h"
#include "app/logic/window_logic.h"
#include "app/qt_text.h"
#include "app/script_session.h"
#include "app/window_controls.h"

namespace velkoran::app {
namespace {


QKeySequence Key(QKeyCombination k) { return QKeySequence(k); }

Qt::Key FunctionKey(int i) { return static_cast<Qt::Key>(Qt::Key_F1 + i); }

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

// A file's type, its aliases and the types it derives from, as the associations name them.
// Many files are typed by their names alone: reading each one's content takes long.
std::vector<std::string> MimeTypesOf(const QMimeDatabase& db, const std::string& path, bool byNameOnly) {
  const QMimeType type = db.mimeTypeForFile(QFile::decodeName(Bytes(path)),
                                            byNameOnly ? QMimeDatabase::MatchExtension : QMimeDatabase::MatchDefault);
  std::vector<std::string> names{type.name().toStdString()};
  for (const QStringList& more : {type.aliases(), type.allAncestors()}) {
    for (const QString& name : more) names.push_back(name.toStdString());
  }
  return names;
}

}  // namespace

WindowActions::WindowActions(QWidget& window, const WindowControls& controls, WindowLogic& logic, ScriptSession& scripts,
                             std::string scriptDir, std::function<bool()> controlKeyHeld)
    : window_(window),
      c_(controls),
      logic_(logic),
      scripts_(scripts),
      scriptDir_(std::move(scriptDir)),
      controlKeyHeld_(std::move(controlKeyHeld)) {
  BuildActions();
  BuildMenus();
}

std::function<void()> WindowActions::WhenIdle(std::function<void()> run) {
  return [this, run = std::move(run)] {
    if (!scripts_.Running()) run();
  };
}

// ---- Building --------------------------------------------------------------------------

QAction* WindowActions::AddAction(const char* name, const QString& caption, const QKeySequence& key, std::function<void()> run) {
  auto* action = new QAction(caption, &window_);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  // Keys are matched by the window's own dispatch (an item of the focused pane's menu
  // first, then the action list); Qt's shortcut map never sees them, so two panes may use
  // the same key.
  action->setShortcutContext(Qt::WidgetShortcut);
  // While a script runs only the break and the repaint commands act.
  const bool runsDuringScript = std::string_view(name) == "AC_Break" || std::string_view(name) == "AC_Repaint";
  connect(action, &QAction::triggered, this, [this, runsDuringScript, run = std::move(run)] {
    if (scripts_.Running() && !runsDuringScript) return;
    run();
  });
  actions_.push_back(action);
  actionByName_[action->objectName()] = action;
  return action;
}

QAction* WindowActions::AddMenuItem(QMenu* menu, QAction* action, const QString& caption) {
  if (caption.isNull()) {
    menu->addAction(action);
    return action;
  }
  // The menu shows the action under a caption of its own, with the action's key.
  auto* item = new QAction(caption, menu);
  item->setShortcut(action->shortcut());
  item->setShortcutContext(Qt::WidgetShortcut);
  item->setEnabled(action->isEnabled());
  connect(item, &QAction::triggered, action, &QAction::trigger);
  connect(action, &QAction::changed, item, [item, action] {
    item->setEnabled(action->isEnabled());
    item->setShortcut(action->shortcut());
  });
  menu->addAction(item);
  return item;
}

QMenu* WindowActions::AddMenu(const char* name, const QString& caption, QMenu* parent) {
  auto* menu = new QMenu(caption, parent != nullptr ? static_cast<QWidget*>(parent) : &window_);
  menu->setObjectName(QString::fromLatin1(name));
  menuByName_[menu->objectName()] = menu;
  if (parent != nullptr) parent->addMenu(menu);
  return menu;
}

QAction* WindowActions::Action(const QString& name) const {
  const auto it = actionByName_.find(name);
  return it == actionByName_.end() ? nullptr : it->second;
}

QMenu* WindowActions::Menu(const QString& name) const {
  const auto it = menuByName_.find(name);
  return it == menuByName_.end() ? nullptr : it->second;
}

QMenu* WindowActions::PaneMenu(KeyFocus pane) const {
  switch (pane) {
    case KeyFocus::Tree: return PM_DirTree;
    case KeyFocus::List: return PM_File;
    case KeyFocus::Buffer: return PM_Buffer;
    case KeyFocus::Log: return PM_Shortcut;
    default: return nullptr;
  }
}

void WindowActions::BuildActions() {
  WindowLogic& L = logic_;
  const WindowControls& c = c_;

  // The file list's actions come first: where several panes share a key, the list's
  // action answers when the focus is in no pane that has the key in its menu.
  AddAction("AC_OpenFile", Tr("開く"), Key(Qt::Key_Return), [&L, &c] { L.OpenFile(c.SelectedFileRows()); });
  AddAction("AC_DeleteFile", Tr("削除"), Key(Qt::Key_Delete), [&L, &c] { L.DeleteFiles(c.SelectedFileRows()); });
  AddAction("AC_DeleteFilePermanently", Tr("完全に削除"), Key(Qt::SHIFT | Qt::Key_Delete),
            [&L, &c] { L.DeleteFiles(c.SelectedFileRows(), true); });
  AddAction("AC_SelectAllFile", Tr("全て選択"), Key(Qt::CTRL | Qt::Key_A), [&c] { c.LV_FileList->selectAll(); });
  AddAction("AC_RenameFile", Tr("名前変更"), Key(Qt::Key_Backslash), [&c] {
    const std::vector<int> rows = c.SelectedFileRows();
    if (rows.empty()) return;
    const QModelIndex index = c.listModel->index(rows.front(), 0);
    c.LV_FileList->setCurrentIndex(index);
    c.LV_FileList->edit(index);
  });
  AddAction("AC_CreateDirectoryInFileList", Tr("ディレクトリ作成"), Key(Qt::CTRL | Qt::Key_K), [&L] { L.CreateDirectory(); });
  AddAction("AC_MoveFromBufferInFileList", Tr("バッファからファイル移動"), Key(Qt::CTRL | Qt::Key_X), [&L] { L.MoveFromBuffer(); });
  AddAction("AC_CopyFromBufferInFileList", Tr("バッファからコピー"), Key(Qt::CTRL | Qt::Key_C), [&L] { L.CopyFromBuffer(); });
  AddAction("AC_AddBufferFile", Tr("バッファに追加"), Key(Qt::Key_Space), [this] { AddFocusedFileToBuffer(); });
  AddAction("AC_AddBufferSelectFile", Tr("選択アイテムをバッファに追加"), Key(Qt::CTRL | Qt::Key_B),
            [&L, &c] { L.AddSelectedFilesToBuffer(c.SelectedFileRows()); });
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_AddItemToBuffer" + std::to_string(i);
    AddAction(name.c_str(), Tr("%1番バッファに追加").arg(i + 1), Key(Qt::SHIFT | FunctionKey(i)),
              [&L, &c, i] { L.AddSelectedFilesToBuffer(c.SelectedFileRows(), i); });
  }
  AddAction("AC_GoParent", Tr("親ディレクトリに行く"), Key(Qt::Key_Backspace), [&L] { L.GoParent(); });
  AddAction("AC_UpdateFileList", Tr("ファイルリスト更新"), Key(Qt::CTRL | Qt::Key_F), [&L] { L.ListDirectory(); });
  AddAction("AC_OpenTerminalHere", Tr("端末をここで開く"), QKeySequence(), [&L] { L.OpenTerminalHere(); });

  // The tree's actions.
  AddAction("AC_DeleteTreeItem", Tr("削除"), Key(Qt::Key_Delete), [&L] { L.DeleteTreeItem(); });
  AddAction("AC_DeleteTreeItemPermanently", Tr("完全に削除"), Key(Qt::SHIFT | Qt::Key_Delete), [&L] { L.DeleteTreeItem(true); });
  AddAction("AC_AddBufferInTree", Tr("バッファに追加"), Key(Qt::Key_Space), [&L] { L.AddTreeDirectoryToBuffer(); });
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_AddDirToBuffer" + std::to_string(i);
    AddAction(name.c_str(), Tr("%1番バッファに追加").arg(i + 1), Key(Qt::SHIFT | FunctionKey(i)), [&L, i] { L.AddTreeDirectoryToBuffer(i); });
  }
  AddAction("AC_AddShortcutInTree", Tr("ショートカットに追加"), Key(Qt::CTRL | Qt::Key_S), [this] {
    if (logic_.AddShortcutForSelection()) RebuildShortcutMenus();
  });
  AddAction("AC_UpdateTree", Tr("ツリー更新"), Key(Qt::CTRL | Qt::Key_T), [&L] { L.UpdateTree(); });
  AddAction("AC_FullCol", Tr("ツリーを全て閉じる"), QKeySequence(), [&L] { L.CollapseWholeTree(); });

  // The buffers.
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_Buf" + std::to_string(i);
    AddAction(name.c_str(), Tr("%1番バッファ").arg(i + 1), Key(Qt::CTRL | FunctionKey(i)), [&L, i] { L.SelectBuffer(i); });
  }
  AddAction("AC_ClearBufferList", Tr("全削除"), Key(Qt::CTRL | Qt::Key_L), [&L] { L.ClearBuffer(); });
  AddAction("AC_DeleteFilesInBuffer", Tr("バッファのファイルを削除"), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete),
            [&L] { L.DeleteFilesInBuffer(); });
  AddAction("AC_DeleteFilesInBufferPermanently", Tr("バッファのファイルを完全に削除"), QKeySequence(),
            [&L] { L.DeleteFilesInBuffer(true); });

  // Tabs, focus, break and repaint.
  AddAction("AC_MakeNewTab", Tr("新規タブ作成"), Key(Qt::CTRL | Qt::Key_N), [&L] { L.NewTab(); });
  AddAction("AC_DeleteTab", Tr("タブ削除"), Key(Qt::CTRL | Qt::Key_Q), [&L] { L.DeleteCurrentTab(); });
  for (int i = 0; i < 12; ++i) {
    const std::string name = "AC_ChangeTab" + std::to_string(i);
    AddAction(name.c_str(), Tr("タブ変更"), Key(FunctionKey(i)), [&L, i] { L.SelectTab(i); });
  }
  AddAction("AC_GoLocateBar", Tr("ロケーションバーに移動"), Key(Qt::CTRL | Qt::ALT | Qt::Key_Up), [&c] { c.CB_LocateBar->setFocus(); });
  AddAction("AC_GoTree", Tr("ツリーに移動"), Key(Qt::CTRL | Qt::ALT | Qt::Key_Left), [&c] { c.TV_Directorys->setFocus(); });
  AddAction("AC_GoFileList", Tr("ファイルリストに移動"), Key(Qt::CTRL | Qt::ALT | Qt::Key_Right), [&c] { c.LV_FileList->setFocus(); });
  AddAction("AC_GoFileBuffer", Tr("ファイルバッファに移動"), Key(Qt::CTRL | Qt::ALT | Qt::Key_Down), [&c] { c.LB_Buffer->setFocus(); });
  AddAction("AC_Break", Tr("処理中止"), Key(Qt::Key_Escape), [this] {
    if (scripts_.Running()) {
      scripts_.Abort();
    } else {
      logic_.RequestBreak();
    }
  });
  AddAction("AC_Repaint", Tr("再描画"), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] {
    window_.update();
    window_.repaint();
  });
}

void WindowActions::AddFocusedFileToBuffer() {
  const int next = logic_.AddFocusedFileToBuffer(c_.FocusedFileRow());
  if (next < 0) return;
  const int focused = c_.FocusedFileRow();
  QTreeView* view = c_.LV_FileList;
  auto* sm = view->selectionModel();
  sm->select(c_.listModel->index(focused, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  const QModelIndex target = c_.listModel->index(next, 0);
  sm->setCurrentIndex(target, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (next == 0) {
    view->scrollToTop();
    return;
  }
  // The list moves up by one line, so that repeated Space marks rows one after another
  // under a cursor that stays in place.
  QScrollBar* bar = view->verticalScrollBar();
  const int line = view->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : view->sizeHintForRow(next);
  bar->setValue(bar->value() + line);
  view->scrollTo(target);
}

void WindowActions::BuildMenus() {
  WindowLogic& L = logic_;
  const WindowControls& c = c_;

  // The tree's menu.
  PM_DirTree = AddMenu("PM_DirTree", QString());
  AddMenuItem(PM_DirTree, Action("AC_DeleteTreeItem"));
  AddMenuItem(PM_DirTree, Action("AC_DeleteTreeItemPermanently"));
  AddMenuItem(PM_DirTree, Action("AC_AddBufferInTree"), Tr("選択ディレクトリをバッファに追加"));
  QMenu* treeToBuffer = AddMenu("MI_AddDirToBuffer", Tr("選択ディレクトリをバッファに追加"), PM_DirTree);
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(treeToBuffer, Action(QStringLiteral("AC_AddDirToBuffer%1").arg(i)));
  PM_DirTree->addSeparator();
  MI_ShortcutRoot = AddMenu("MI_ShortcutRoot", Tr("ショートカット"), PM_DirTree);
  AddMenuItem(PM_DirTree, Action("AC_AddShortcutInTree"));
  AddMenuItem(PM_DirTree, Action("AC_OpenTerminalHere"));
  PM_DirTree->addSeparator();
  MI_ScriptRoot_Tree = AddMenu("MI_ScriptRoot_Tree", Tr("スクリプト"), PM_DirTree);
  PM_DirTree->addSeparator();
  AddMenuItem(PM_DirTree, Action("AC_UpdateTree"));
  QAction* n21 = PM_DirTree->addAction(Tr("ディレクトリサイズ調査"), this, WhenIdle([&L] { L.CheckTreeDirectorySize(); }));
  n21->setObjectName(QStringLiteral("N21"));
  AddMenuItem(PM_DirTree, Action("AC_FullCol"));

  // The file list's menu.
  PM_File = AddMenu("PM_File", QString());
  AddMenuItem(PM_File, Action("AC_OpenFile"));
  MI_OpenWith = AddMenu("MI_OpenWith", Tr("アプリケーションで開く"), PM_File);
  connect(MI_OpenWith, &QMenu::aboutToShow, this, [this] { FillOpenWithMenu(); });
  AddMenuItem(PM_File, Action("AC_OpenTerminalHere"));
  for (const char* name : {"AC_DeleteFile", "AC_DeleteFilePermanently", "AC_SelectAllFile", "AC_RenameFile",
                           "AC_CreateDirectoryInFileList"}) {
    AddMenuItem(PM_File, Action(name));
  }
  QAction* toLauncher = PM_File->addAction(Tr("ランチャーに追加"));
  toLauncher->setObjectName(QStringLiteral("MI_AddLauncher"));
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_MoveFromBufferInFileList"));
  AddMenuItem(PM_File, Action("AC_CopyFromBufferInFileList"));
  AddMenuItem(PM_File, Action("AC_AddBufferFile"), Tr("選択アイテムをバッファに追加(単一)"));
  AddMenuItem(PM_File, Action("AC_AddBufferSelectFile"));
  QMenu* listToBuffer = AddMenu("MI_AddItemToBuffer", Tr("選択アイテムをバッファに追加"), PM_File);
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(listToBuffer, Action(QStringLiteral("AC_AddItemToBuffer%1").arg(i)));
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_GoParent"));
  PM_File->addSeparator();
  MI_ScriptRoot_File = AddMenu("MI_ScriptRoot_File", Tr("スクリプト"), PM_File);
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_UpdateTree"));
  AddMenuItem(PM_File, Action("AC_UpdateFileList"));
  MI_CheckDirSize = PM_File->addAction(Tr("ディレクトリサイズ調査"), this,
                                       WhenIdle([&L, &c] { L.CheckListDirectorySize(c.SelectedFileRows()); }));
  MI_CheckDirSize->setObjectName(QStringLiteral("MI_CheckDirSize"));
  connect(PM_File, &QMenu::aboutToShow, this, [this] {  // PM_FilePopup
    MI_CheckDirSize->setEnabled(logic_.CanCheckDirectorySize(c_.SelectedFileRows()));
    MI_OpenWith->setEnabled(!c_.SelectedFileRows().empty());
  });

  // The buffer list's menu.
  PM_Buffer = AddMenu("PM_Buffer", QString());
  QAction* delete3 = PM_Buffer->addAction(Tr("ファイルバッファから削除"), this, WhenIdle([&L, &c] {
    std::vector<int> lines;
    for (const QModelIndex& i : c.LB_Buffer->selectionModel()->selectedRows()) lines.push_back(i.row());
    L.RemoveBufferLines(lines);
  }));
  delete3->setObjectName(QStringLiteral("Delete3"));
  delete3->setShortcut(Key(Qt::Key_Delete));
  delete3->setShortcutContext(Qt::WidgetShortcut);
  AddMenuItem(PM_Buffer, Action("AC_ClearBufferList"), Tr("ファイルバッファから全削除"));
  PM_Buffer->addSeparator();
  AddMenuItem(PM_Buffer, Action("AC_DeleteFilesInBuffer"));
  AddMenuItem(PM_Buffer, Action("AC_DeleteFilesInBufferPermanently"));
  PM_Buffer->addSeparator();
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(PM_Buffer, Action(QStringLiteral("AC_Buf%1").arg(i)));

  // The shortcut menu (also the log's menu) with its hidden template item.
  PM_Shortcut = AddMenu("PM_Shortcut", QString());
  MI_ShortcutDummy = PM_Shortcut->addAction(Tr("イベント用ダミー"));
  MI_ShortcutDummy->setObjectName(QStringLiteral("MI_ShortcutDummy"));
  MI_ShortcutDummy->setVisible(false);

  for (QMenu* menu : {PM_Shortcut, PM_DirTree}) {
    connect(menu, &QMenu::aboutToShow, this, [this] { listFocusedBeforeMenu_ = c_.LV_FileList->hasFocus(); });
  }

  PM_Script = AddMenu("PM_Script", QString());

  // The window's menu.
  PM_Main = AddMenu("PM_Main", QString());
  AddMenuItem(PM_Main, Action("AC_MakeNewTab"));
  AddMenuItem(PM_Main, Action("AC_DeleteTab"));
  PM_Main->addSeparator();
  AddMenuItem(PM_Main, Action("AC_GoFileBuffer"));
  AddMenuItem(PM_Main, Action("AC_GoFileList"));
  AddMenuItem(PM_Main, Action("AC_GoLocateBar"));
  AddMenuItem(PM_Main, Action("AC_GoTree"));
  PM_Main->addSeparator();
  QMenu* settings = AddMenu("MI_Setting", Tr("設定"), PM_Main);
  MI_TreeVisible = settings->addAction(Tr("ツリー表示"), this, WhenIdle([&L] { L.ToggleTreeVisible(); }));
  MI_TreeVisible->setObjectName(QStringLiteral("MI_TreeVisible"));
  MI_ShowDirInFileList =
      settings->addAction(Tr("ファイルリストにディレクトリを表示"), this, WhenIdle([&L] { L.ToggleShowDirectory(); }));
  MI_ShowDirInFileList->setObjectName(QStringLiteral("MI_ShowDirInFileList"));
  MI_AutoUwagaki = settings->addAction(Tr("上書き確認をしない"), this, WhenIdle([&L] { L.Engine().ToggleAutoOverwrite(); }));
  MI_AutoUwagaki->setObjectName(QStringLiteral("MI_AutoUwagaki"));
  MI_AutoExpand = settings->addAction(Tr("自動でツリーを開く"), this, WhenIdle([&L] { L.ToggleAutoExpand(); }));
  MI_AutoExpand->setObjectName(QStringLiteral("MI_AutoExpand"));
  for (QAction* a : {MI_TreeVisible, MI_ShowDirInFileList, MI_AutoUwagaki, MI_AutoExpand}) a->setCheckable(true);
  QAction* updateScripts = settings->addAction(Tr("スクリプトメニュー更新"), this, [this] { RebuildScriptMenus(); });
  updateScripts->setObjectName(QStringLiteral("MI_UpdateScriptList"));
  // The hidden template of the script items: they share its click handler.
  MI_ScriptDummy = settings->addAction(Tr("スクリプトダミー"));
  MI_ScriptDummy->setObjectName(QStringLiteral("MI_ScriptDummy"));
  MI_ScriptDummy->setVisible(false);
  PM_Main->addSeparator();
  QMenu* tabKeys = AddMenu("MI_TabShortcut", Tr("タブショートカット"), PM_Main);
  for (int i = 0; i < 12; ++i) AddMenuItem(tabKeys, Action(QStringLiteral("AC_ChangeTab%1").arg(i)));
  AddMenuItem(PM_Main, Action("AC_Break"));
  AddMenuItem(PM_Main, Action("AC_Repaint"));
  AddMenuItem(PM_Main, Action("AC_FullCol"));
  connect(PM_Main, &QMenu::aboutToShow, this, [this] {
    const WindowSettings& s = logic_.Settings();
    MI_TreeVisible->setChecked(s.treeVisible);
    MI_ShowDirInFileList->setChecked(s.showDirectory);
    MI_AutoUwagaki->setChecked(logic_.Engine().Flags().AutoOverwrite);
    MI_AutoExpand->setChecked(s.autoExpand);
    MI_AutoExpand->setEnabled(s.treeVisible);
  });

  connect(toLauncher, &QAction::triggered, this, WhenIdle([this] {
    if (logic_.AddSelectedFileToLauncher(c_.SelectedFileRows())) FillLauncherList();
  }));
}

void WindowActions::FillOpenWithMenu() {
  for (QAction* a : MI_OpenWith->actions()) {
    MI_OpenWith->removeAction(a);
    a->deleteLater();
  }
  const std::vector<int> rows = c_.SelectedFileRows();
  const std::vector<std::string> files = logic_.List().FullPaths(rows);
  const QMimeDatabase db;
  std::vector<std::vector<std::string>> types;
  for (const std::string& file : files) types.push_back(MimeTypesOf(db, file, files.size() > 64));
  const std::vector<DesktopEntry> apps = ApplicationCatalogue(XdgFromEnvironment()).ForAll(types);
  if (apps.empty()) {
    MI_OpenWith->addAction(Tr("(アプリケーションがありません)"))->setEnabled(false);
    return;
  }
  for (const DesktopEntry& app : apps) {
    const QString iconName = QString::fromUtf8(app.icon.data(), static_cast<qsizetype>(app.icon.size()));
    QAction* item = MI_OpenWith->addAction(iconName.startsWith(u'/') ? QIcon(iconName) : QIcon::fromTheme(iconName),
                                           QString::fromUtf8(app.name.data(), static_cast<qsizetype>(app.name.size())));
    item->setData(QString::fromUtf8(app.id.data(), static_cast<qsizetype>(app.id.size())));
    connect(item, &QAction::triggered, this, WhenIdle([this, app, rows] { logic_.OpenRowsWith(app, rows); }));
  }
}

// ---- Shortcuts, launcher and location bar ----------------------------------------------

void WindowActions::RebuildShortcutMenus() {
  for (QAction* a : PM_Shortcut->actions()) {
    if (a != MI_ShortcutDummy) {
      PM_Shortcut->removeAction(a);
      a->deleteLater();
    }
  }
  MI_ShortcutRoot->clear();
  const auto& shortcuts = logic_.Shortcuts();
  for (std::size_t i = 0; i < shortcuts.size(); ++i) {
    const int tag = static_cast<int>(i);
    for (QMenu* menu : {PM_Shortcut, MI_ShortcutRoot}) {
      QAction* item = menu->addAction(ToQ(shortcuts[i].name));
      item->setData(tag);
      connect(item, &QAction::triggered, this, WhenIdle([this, tag] { ShortcutItemClicked(tag); }));
    }
  }
}

void WindowActions::ShortcutItemClicked(int tag) {
  if (controlKeyHeld_()) {
    logic_.RemoveShortcut(tag);
    // The item being triggered is one of those the rebuild removes.
    QTimer::singleShot(0, this, [this] { RebuildShortcutMenus(); });
    return;
  }
  // The menu held the focus while it was open; where it was before decides.
  const bool listHadFocus = c_.LV_FileList->hasFocus() || listFocusedBeforeMenu_;
  logic_.GoToShortcut(tag);
  if (listHadFocus) c_.LV_FileList->setFocus();
}

void WindowActions::FillLauncherList() {
  QComboBox* bar = c_.CB_LocateBar;
  const QSignalBlocker block(bar);
  const QString text = bar->currentText();
  bar->clear();
  std::vector<std::string> names;
  for (const LauncherEntry& e : logic_.Launcher()) names.push_back(e.name);
  // The list is sorted as the menus are: letter case aside, in the code page's order.
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NameSortsBefore(a, b); });
  for (const std::string& name : names) bar->addItem(ToQ(name));
  bar->setEditText(text);
}

void WindowActions::GoToLocationBarText() {
  logic_.GoToLocation(FromQ(c_.CB_LocateBar->currentText()));
  c_.CB_LocateBar->lineEdit()->end(false);
}

// ---- Scripts (see docs/scripts.md) -----------------------------------------------------

void WindowActions::RebuildScriptMenus() {
  if (scripts_.Running()) return;
  for (QMenu* menu : {MI_ScriptRoot_Tree, MI_ScriptRoot_File, PM_Script}) {
    for (QAction* item : menu->actions()) {
      menu->removeAction(item);
      item->deleteLater();  // the item may be the one being triggered
    }
  }
  for (const std::string& fileName : ListScriptFiles(scriptDir_)) {
    // "&" is shown as it is: the script menus assign no accelerators.
    const QString caption = ToQ(ScriptCaption(fileName)).replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (QMenu* menu : {MI_ScriptRoot_Tree, MI_ScriptRoot_File, PM_Script}) {
      auto* item = new QAction(caption, menu);
      // The file's own name, whatever the case of its extension.
      item->setData(Bytes(fileName));
      connect(item, &QAction::triggered, this, [this, item] { ScriptItemClicked(item); });
      menu->addAction(item);
    }
  }
}

void WindowActions::ScriptItemClicked(QAction* item) {
  if (scripts_.Running() || item == nullptr) return;  // one script at a time
  const QByteArray fileName = item->data().toByteArray();
  if (fileName.isEmpty()) return;
  const ScriptTarget target = MI_ScriptRoot_Tree->actions().contains(item) ? ScriptTarget::Tree : ScriptTarget::List;
  scripts_.RunScriptFile(scriptDir_ + fileName.toStdString(), target,
                         target == ScriptTarget::List ? c_.SelectedFileRows() : std::vector<int>{});
}

}  // namespace velkoran::app
