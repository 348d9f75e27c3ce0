// The Qt window on the offscreen platform: layout and names, menus and keys, the models,
// saving and restoring state, the termination signal, and the two script dialogs.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <map>

#include "app/grid_delegate.h"
#include "app/prompt_dialog.h"
#include "app/qt_questions.h"
#include "app/qt_translation.h"
#include "app/tree_model.h"
#include "window_fixture.h"

namespace velkoran::app {
namespace {

using platform::Answer;
using testing::ChildOf;
using testing::Exists;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::WriteFile;

using testing::App;
using testing::Settle;

const DirNode* DirTreeModelNode(const QTreeView* tree) { return DirTreeModel::NodeOf(tree->currentIndex()); }

// Captions of a menu's entries in order ("-" for a separator, ">" before a submenu).
std::vector<std::string> Captions(const QMenu* menu) {
  std::vector<std::string> out;
  for (const QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      out.emplace_back("-");
    } else if (a->menu() != nullptr) {
      out.push_back(std::string(">").append(a->text().toStdString()));
    } else if (a->isVisible()) {
      out.push_back(a->text().toStdString());
    }
  }
  return out;
}

// The tests make their windows themselves, some two in a row.
class WindowTest : public testing::WindowRig {
 protected:
  std::unique_ptr<TForm_Main> MakeForm(bool withSignals = false) {
    FormDependencies deps = Dependencies();
    deps.handleTerminationSignals = withSignals;
    return std::make_unique<TForm_Main>(deps);
  }
  void ShowAndSelect(TForm_Main& form, const std::string& path) {
    form.show();
    form.activateWindow();
    Settle();
    ChildOf<QComboBox>(form, "CB_LocateBar")->setEditText(ToQ(path));
    ChildOf<QPushButton>(form, "SB_Go")->click();
    Settle();
  }
};

TEST_F(WindowTest, LayoutNamesCaptionsAndDefaults) {
  auto form = MakeForm();
  form->show();
  Settle();
  EXPECT_EQ(form->objectName(), "TForm_Main");
  EXPECT_EQ(form->windowTitle(), "Velkoran");
  EXPECT_EQ(form->font().family(), "IPAPGothic");
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(ChildOf<QTreeView>(*form, "LV_FileList")->font().family(), "IPAGothic");
  EXPECT_EQ(ChildOf<QPushButton>(*form, "SB_Go")->text().toStdString(), "行");
  EXPECT_EQ(ChildOf<QPushButton>(*form, "SpeedButton2")->text().toStdString(), "探");
  EXPECT_EQ(ChildOf<QWidget>(*form, "PN_LocateBar")->height(), 20);
  EXPECT_EQ(ChildOf<QTabBar>(*form, "TC_Main")->height(), 23);
  EXPECT_EQ(ChildOf<QWidget>(*form, "PN_FileListInfo")->height(), 13);
  EXPECT_EQ(ChildOf<QWidget>(*form, "PN_Progress")->height(), 9);
  EXPECT_EQ(ChildOf<QTabBar>(*form, "TC_Main")->count(), 1);
  // Without setting.ini (a first start) the tree is shown with the start directory
  // selected and listed, and the list shows all six columns.
  auto* tree = ChildOf<QTreeView>(*form, "TV_Directorys");
  EXPECT_TRUE(tree->isVisible());
  ASSERT_NE(form->Logic().SelectedNode(), nullptr);
  EXPECT_EQ(form->Logic().SelectedNode()->Path(), NoSlash(data.Path()));
  EXPECT_EQ(form->Logic().List().DirPath(), data.Path());
  EXPECT_EQ(tree->indentation(), 19);
  EXPECT_TRUE(form->Logic().Settings().autoExpand);
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  std::vector<std::string> headers;
  for (int i = 0; i < list->model()->columnCount(); ++i) {
    headers.push_back(list->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
  }
  EXPECT_EQ(headers, (std::vector<std::string>{"名前", "fd", "サイズ", "サイズ", "パス", "サイズ"}));
  EXPECT_GT(list->header()->sectionSize(0), 50);  // names are readable (see AFirstStart…)
  EXPECT_EQ(list->header()->sectionSize(1), 30);
  list->header()->resizeSection(1, 80);
  EXPECT_EQ(list->header()->sectionSize(1), 30);  // "fd" is at most 30 wide
  EXPECT_EQ(ChildOf<QListWidget>(*form, "LB_Buffer")->item(0)->text().toStdString(), "ファイルバッファ");
  EXPECT_EQ(ChildOf<QLabel>(*form, "LB_BufferIndex")->text().toStdString(), "1番バッファ");
  EXPECT_EQ(ChildOf<QListWidget>(*form, "LB_Log")->item(0)->text().toStdString(), "処理ログ");
  auto* pbMain = ChildOf<QProgressBar>(*form, "PB_Main");
  EXPECT_EQ(pbMain->width(), ChildOf<QWidget>(*form, "PN_Progress")->width() / 2);
  EXPECT_EQ(pbMain->maximum(), 100);
  EXPECT_TRUE(Exists(home / "Script"));
}

TEST_F(WindowTest, MenusListTheirEntriesInOrder) {
  auto form = MakeForm();
  EXPECT_EQ(Captions(form->Menu("PM_File")),
            (std::vector<std::string>{"開く", ">アプリケーションで開く", "端末をここで開く", "削除", "完全に削除", "全て選択", "名前変更", "ディレクトリ作成", "ランチャーに追加", "-",
                                      "バッファからファイル移動", "バッファからコピー", "選択アイテムをバッファに追加(単一)",
                                      "選択アイテムをバッファに追加", ">選択アイテムをバッファに追加", "-", "親ディレクトリに行く", "-",
                                      ">スクリプト", "-", "ツリー更新", "ファイルリスト更新", "ディレクトリサイズ調査"}));
  EXPECT_EQ(Captions(form->Menu("PM_DirTree")),
            (std::vector<std::string>{"削除", "完全に削除", "選択ディレクトリをバッファに追加", ">選択ディレクトリをバッファに追加", "-",
                                      ">ショートカット", "ショートカットに追加", "端末をここで開く", "-", ">スクリプト", "-", "ツリー更新",
                                      "ディレクトリサイズ調査", "ツリーを全て閉じる"}));
  EXPECT_EQ(Captions(form->Menu("PM_Main")),
            (std::vector<std::string>{"新規タブ作成", "タブ削除", "-", "ファイルバッファに移動", "ファイルリストに移動",
                                      "ロケーションバーに移動", "ツリーに移動", "-", ">設定", "-", ">タブショートカット", "処理中止",
                                      "再描画", "ツリーを全て閉じる"}));
  EXPECT_EQ(Captions(form->Menu("MI_Setting")),
            (std::vector<std::string>{"ツリー表示", "ファイルリストにディレクトリを表示", "上書き確認をしない", "自動でツリーを開く",
                                      "スクリプトメニュー更新"}));
  std::vector<std::string> buffer{"ファイルバッファから削除", "ファイルバッファから全削除", "-", "バッファのファイルを削除",
                                    "バッファのファイルを完全に削除", "-"};
  std::vector<std::string> toTree, toList, tabKeys;
  for (int i = 1; i <= 12; ++i) {
    buffer.push_back(std::to_string(i) + "番バッファ");
    toTree.push_back(std::to_string(i) + "番バッファに追加");
    tabKeys.emplace_back("タブ変更");
  }
  toList = toTree;
  EXPECT_EQ(Captions(form->Menu("PM_Buffer")), buffer);
  EXPECT_EQ(Captions(form->Menu("MI_AddDirToBuffer")), toTree);
  EXPECT_EQ(Captions(form->Menu("MI_AddItemToBuffer")), toList);
  EXPECT_EQ(Captions(form->Menu("MI_TabShortcut")), tabKeys);
  EXPECT_EQ(form->Menu("MI_AddDirToBuffer")->actions()[3], form->Action("AC_AddDirToBuffer3"));
  EXPECT_EQ(form->Menu("MI_AddItemToBuffer")->actions()[3], form->Action("AC_AddItemToBuffer3"));
  EXPECT_EQ(form->Menu("MI_TabShortcut")->actions()[11], form->Action("AC_ChangeTab11"));
  const auto key = [&](const char* name) { return form->Action(QString::fromLatin1(name))->shortcut(); };
  EXPECT_EQ(key("AC_OpenFile"), QKeySequence(Qt::Key_Return));
  EXPECT_EQ(key("AC_RenameFile"), QKeySequence(Qt::Key_Backslash));
  EXPECT_EQ(key("AC_GoParent"), QKeySequence(Qt::Key_Backspace));
  EXPECT_EQ(key("AC_ChangeTab2"), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(key("AC_Buf4"), QKeySequence(Qt::CTRL | Qt::Key_F5));
  EXPECT_EQ(key("AC_AddItemToBuffer0"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
  EXPECT_EQ(key("AC_AddDirToBuffer11"), QKeySequence(Qt::SHIFT | Qt::Key_F12));
  EXPECT_EQ(key("AC_DeleteFilesInBuffer"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
  EXPECT_EQ(key("AC_GoLocateBar"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Up));
  EXPECT_EQ(key("AC_Break"), QKeySequence(Qt::Key_Escape));
  EXPECT_EQ(form->Action("AC_MakeNewTab")->text().toStdString(), "新規タブ作成");
  EXPECT_EQ(key("AC_MakeNewTab"), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(key("AC_DeleteTab"), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(key("AC_ChangeTab0"), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(key("AC_ChangeTab11"), QKeySequence(Qt::Key_F12));
  EXPECT_EQ(key("AC_GoTree"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Left));
  EXPECT_EQ(key("AC_GoFileList"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Right));
  EXPECT_EQ(key("AC_GoFileBuffer"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Down));
  EXPECT_EQ(key("AC_AddShortcutInTree"), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(key("AC_Repaint"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  EXPECT_EQ(key("AC_Buf0"), QKeySequence(Qt::CTRL | Qt::Key_F1));
  EXPECT_EQ(key("AC_Buf11"), QKeySequence(Qt::CTRL | Qt::Key_F12));
  EXPECT_EQ(key("AC_AddBufferInTree"), QKeySequence(Qt::Key_Space));
  EXPECT_EQ(key("AC_AddBufferFile"), QKeySequence(Qt::Key_Space));
  EXPECT_EQ(key("AC_AddBufferSelectFile"), QKeySequence(Qt::CTRL | Qt::Key_B));
  EXPECT_EQ(key("AC_ClearBufferList"), QKeySequence(Qt::CTRL | Qt::Key_L));
  EXPECT_EQ(key("AC_CopyFromBufferInFileList"), QKeySequence(Qt::CTRL | Qt::Key_C));
  EXPECT_EQ(key("AC_MoveFromBufferInFileList"), QKeySequence(Qt::CTRL | Qt::Key_X));
  EXPECT_EQ(form->findChild<QAction*>("Delete3")->shortcut(), QKeySequence(Qt::Key_Delete));
  const auto caption = [&](const char* name) { return form->Action(QString::fromLatin1(name))->text().toStdString(); };
  EXPECT_EQ(caption("AC_DeleteTab"), "タブ削除");
  EXPECT_EQ(caption("AC_ChangeTab5"), "タブ変更");
  EXPECT_EQ(caption("AC_GoLocateBar"), "ロケーションバーに移動");
  EXPECT_EQ(caption("AC_AddShortcutInTree"), "ショートカットに追加");
  EXPECT_EQ(caption("AC_Break"), "処理中止");
  EXPECT_EQ(caption("AC_Repaint"), "再描画");
  EXPECT_EQ(caption("AC_Buf4"), "5番バッファ");
  EXPECT_EQ(caption("AC_AddBufferInTree"), "バッファに追加");
  EXPECT_EQ(caption("AC_AddBufferFile"), "バッファに追加");
  EXPECT_EQ(caption("AC_AddDirToBuffer0"), "1番バッファに追加");
  EXPECT_EQ(caption("AC_AddItemToBuffer11"), "12番バッファに追加");
  EXPECT_EQ(caption("AC_AddBufferSelectFile"), "選択アイテムをバッファに追加");
  EXPECT_EQ(caption("AC_ClearBufferList"), "全削除");
  EXPECT_EQ(caption("AC_DeleteFilesInBuffer"), "バッファのファイルを削除");
  EXPECT_EQ(caption("AC_CopyFromBufferInFileList"), "バッファからコピー");
  EXPECT_EQ(caption("AC_MoveFromBufferInFileList"), "バッファからファイル移動");
}

TEST_F(WindowTest, KeysActOnTheFocusedPane) {
  MakeDirs(data / "dir/sub");
  WriteFile(data / "dir/f.txt", "x");
  WriteFile(home / "save/setting.ini", "TreeVisible : 1\r\n");
  auto form = MakeForm();
  ShowAndSelect(*form, data / "dir");
  auto* tree = ChildOf<QTreeView>(*form, "TV_Directorys");
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  ASSERT_TRUE(tree->isVisible());
  ASSERT_EQ(list->model()->rowCount(), 1);

  list->setFocus();
  list->selectAll();
  Settle();
  questions.answers = {Answer::No};
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::Key_Delete)));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].caption, "削除確認");
  EXPECT_EQ(questions.asked[0].text, (data / "dir/f.txt") + "\nをごみ箱に移動しますか？\n（1 項目）");

  tree->setFocus();
  Settle();
  questions.answers = {Answer::No};
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::Key_Delete)));
  EXPECT_EQ(questions.asked.back().text,
            (data / "dir/") + "\nをごみ箱に移動しますか？\n（1 項目。フォルダ 1 個は中身ごとごみ箱に移動します）");
  // Shift with the delete command deletes for good, after the question that says so.
  questions.answers = {Answer::No};
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::SHIFT, Qt::Key_Delete)));
  EXPECT_EQ(questions.asked.back().text, (data / "dir/") + "\nを削除しますか？\n（1 項目。フォルダ 1 個は中身ごと削除されます）");

  // Shift+F1 belongs to the tree's family in the tree and to the list's elsewhere.
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::SHIFT, Qt::Key_F1)));
  EXPECT_EQ(form->Logic().Buffers().All()[0], std::vector<std::string>{data / "dir/"});
  list->setFocus();
  list->selectAll();  // the delete answered No listed the directory afresh
  Settle();
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::SHIFT, Qt::Key_F2)));
  EXPECT_EQ(form->Logic().Buffers().All()[1], std::vector<std::string>{data / "dir/f.txt"});
  EXPECT_EQ(ChildOf<QLabel>(*form, "LB_BufferIndex")->text().toStdString(), "2番バッファ");

  // In the location bar Backspace edits the text and Enter goes to the typed path.
  auto* bar = ChildOf<QComboBox>(*form, "CB_LocateBar");
  bar->setFocus();
  Settle();
  EXPECT_FALSE(form->DispatchKey(QKeyCombination(Qt::Key_Backspace)));
  // Copy and cut edit the text there; they never copy or move the buffer's files.
  questions.asked.clear();
  EXPECT_FALSE(form->DispatchKey(QKeyCombination(Qt::CTRL, Qt::Key_C)));
  EXPECT_FALSE(form->DispatchKey(QKeyCombination(Qt::CTRL, Qt::Key_X)));
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::CTRL, Qt::Key_F1)));  // other commands still work
  EXPECT_EQ(form->Logic().Buffers().Current(), 0);
  bar->setEditText(ToQ(data / "dir/sub"));
  EXPECT_TRUE(form->DispatchKey(QKeyCombination(Qt::Key_Return)));
  ASSERT_NE(form->Logic().SelectedNode(), nullptr);
  EXPECT_EQ(form->Logic().SelectedNode()->Path(), data / "dir/sub");
  EXPECT_EQ(bar->currentText().toStdString(), data / "dir/sub/");
  EXPECT_EQ(DirTreeModelNode(tree), form->Logic().SelectedNode());
}

TEST_F(WindowTest, ExpandingInTheViewLoadsChildrenLazily) {
  for (const char* n : {"a/x", "b", "c/y", "d"}) MakeDirs(data / n);
  WriteFile(home / "save/setting.ini", "TreeVisible : 1\r\nAutoExpand : 0\r\n");
  auto form = MakeForm();
  form->show();
  Settle();
  auto* tree = ChildOf<QTreeView>(*form, "TV_Directorys");
  QAbstractItemModel* model = tree->model();
  ASSERT_EQ(model->rowCount(), 1);
  const QModelIndex root = model->index(0, 0);
  EXPECT_EQ(root.data().toString().toStdString(), data.Path());
  EXPECT_TRUE(model->hasChildren(root));
  EXPECT_EQ(model->rowCount(root), 1);  // only the first subdirectory so far
  tree->expand(root);
  Settle();
  ASSERT_EQ(model->rowCount(root), 4);
  std::map<std::string, bool> expanders;
  for (int i = 0; i < 4; ++i) {
    const QModelIndex child = model->index(i, 0, root);
    expanders[child.data().toString().toStdString()] = model->hasChildren(child);
  }
  EXPECT_EQ(expanders, (std::map<std::string, bool>{{"a", true}, {"b", false}, {"c", true}, {"d", false}}));
  EXPECT_EQ(form->Logic().Tree().CollectExpandedPaths(), std::vector<std::string>{NoSlash(data.Path())});

  // Selecting inside a branch and collapsing it in the view moves the selection up.
  QModelIndex a;
  for (int i = 0; i < 4; ++i) {
    if (model->index(i, 0, root).data().toString() == "a") a = model->index(i, 0, root);
  }
  tree->setCurrentIndex(model->index(0, 0, a));
  Settle();
  ASSERT_NE(form->Logic().SelectedNode(), nullptr);
  EXPECT_EQ(form->Logic().SelectedNode()->Path(), data / "a/x");
  tree->collapse(a);
  Settle();
  EXPECT_EQ(form->Logic().SelectedNode()->Path(), data / "a");
  EXPECT_EQ(tree->currentIndex(), a);
  // Collapsing everything leaves the selection on its root and lists it.
  form->Action("AC_FullCol")->trigger();
  EXPECT_TRUE(form->Logic().Tree().CollectExpandedPaths().empty());
  EXPECT_EQ(form->Logic().SelectedNode()->Path(), NoSlash(data.Path()));
  EXPECT_FALSE(tree->isExpanded(model->index(0, 0)));
}

TEST_F(WindowTest, SortingKeepsTheSelectionOnItsRowsAndRenameHonoursNo) {
  WriteFile(data / "a", std::string(300, 'x'));
  WriteFile(data / "b", std::string(100, 'x'));
  WriteFile(data / "c", std::string(200, 'x'));
  auto form = MakeForm();
  ShowAndSelect(*form, NoSlash(data.Path()));
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  QAbstractItemModel* model = list->model();
  ASSERT_EQ(model->rowCount(), 3);
  // After listing the first row has the focus and no row is selected.
  EXPECT_EQ(list->currentIndex().row(), 0);
  EXPECT_TRUE(form->SelectedFileRows().empty());
  list->selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_EQ(ChildOf<QLabel>(*form, "LB_TotalSize")->text().toStdString(),
            "Size:300B Size:300B File:1 All:1 / Size:600 Size:600B File:3 All:3");
  emit list->header()->sectionClicked(3);
  EXPECT_EQ(model->index(0, 0).data().toString(), "b");
  ASSERT_EQ(form->SelectedFileRows(), std::vector<int>{2});
  EXPECT_EQ(model->index(2, 0).data().toString(), "a");
  emit list->header()->sectionClicked(3);
  EXPECT_EQ(model->index(0, 0).data().toString(), "a");
  EXPECT_EQ(form->SelectedFileRows(), std::vector<int>{0});

  questions.answers = {Answer::No};
  EXPECT_FALSE(model->setData(model->index(0, 0), QStringLiteral("b"), Qt::EditRole));
  EXPECT_EQ(model->index(0, 0).data().toString(), "a");
  EXPECT_EQ(ReadFile(data / "a"), std::string(300, 'x'));
  EXPECT_EQ(ReadFile(data / "b"), std::string(100, 'x'));
  EXPECT_TRUE(model->setData(model->index(0, 0), QStringLiteral("z"), Qt::EditRole));
  EXPECT_EQ(model->index(0, 0).data().toString(), "z");
  EXPECT_TRUE(Exists(data / "z"));
}

TEST_F(WindowTest, CloseSavesTheStateAndTheNextStartRestoresIt) {
  MakeDirs(data / "one/two");
  {
    auto form = MakeForm();
    ShowAndSelect(*form, data / "one/two");
    emit ChildOf<QTreeView>(*form, "LV_FileList")->header()->sectionClicked(2);
    emit ChildOf<QTreeView>(*form, "LV_FileList")->header()->sectionClicked(2);
    form->TimerTick();
    form->close();
  }
  const std::string tabs = ReadFile(home / "save/tab.txt");
  EXPECT_EQ(tabs.substr(0, tabs.find("\r\n")), data / "one/two");
  const std::string settings = ReadFile(home / "save/setting.ini");
  EXPECT_NE(settings.find("SortType : 2\r\nSortTypeDirection : 1\r\n"), std::string::npos);
  EXPECT_EQ(settings.find("Width : 0\r\n"), std::string::npos);  // the timer saw the window
  std::string buffers;
  for (int i = 0; i < 12; ++i) buffers += "_END_\r\n";
  EXPECT_EQ(ReadFile(home / "save/fbuf.txt"), buffers);
  EXPECT_TRUE(Exists(home / "save/Launch.txt"));

  auto again = MakeForm();
  again->show();
  Settle();
  ASSERT_NE(again->Logic().SelectedNode(), nullptr);
  EXPECT_EQ(again->Logic().SelectedNode()->Path(), data / "one/two");
  EXPECT_EQ(ChildOf<QComboBox>(*again, "CB_LocateBar")->currentText().toStdString(), data / "one/two/");
  EXPECT_EQ(again->Logic().List().SortType(), 2);
  EXPECT_TRUE(again->Logic().List().SortDescending());
}

TEST_F(WindowTest, DuringATransferOnlyTheBreakKeyGetsThrough) {
  MakeDirs(data / "src");
  MakeDirs(data / "dst");
  WriteFile(data / "src/f", "new");
  WriteFile(data / "dst/f", "old");
  auto form = MakeForm();
  ShowAndSelect(*form, data / "dst");
  bool disabled = false;
  bool progressEnabled = false;  // the bars show progress exactly while the rest is disabled
  bool breakSeen = false;
  bool otherKeyRan = true;
  questions.onAsk = [&] {
    disabled = !ChildOf<QTreeView>(*form, "LV_FileList")->isEnabled() && !ChildOf<QComboBox>(*form, "CB_LocateBar")->isEnabled();
    progressEnabled = ChildOf<QProgressBar>(*form, "PB_Main")->isEnabled() && ChildOf<QProgressBar>(*form, "PB_Sub")->isEnabled();
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form.get();
    QKeyEvent other(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    QApplication::sendEvent(target, &other);
    otherKeyRan = form->Logic().Tabs().size() != 1;
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &esc);
    breakSeen = form->Logic().Engine().Flags().BreakRequested;
  };
  questions.answers = {Answer::No};
  form->Logic().Buffers().Toggle(data / "src/f");
  form->Action("AC_CopyFromBufferInFileList")->trigger();
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(progressEnabled);
  EXPECT_FALSE(otherKeyRan);
  EXPECT_TRUE(breakSeen);
  EXPECT_TRUE(form->centralWidget()->isEnabled());
  EXPECT_EQ(ReadFile(data / "dst/f"), "old");
  questions.onAsk = nullptr;
}

TEST_F(WindowTest, TerminationSignalClosesTheWindowAndSavesState) {
  auto form = MakeForm(true);
  form->show();
  Settle();
  ASSERT_TRUE(form->isVisible());
  ::raise(SIGTERM);
  QElapsedTimer timer;
  timer.start();
  while (form->isVisible() && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(Exists(home / "save/setting.ini"));
  EXPECT_TRUE(Exists(home / "save/tab.txt"));
}

TEST_F(WindowTest, StateIsWrittenWhileTheWindowRuns) {
  MakeDirs(data / "one");
  auto form = MakeForm();
  ShowAndSelect(*form, data / "one");
  form->Logic().Buffers().Toggle(data / "one/f");
  // Two seconds in use; the test does not wait that long.
  auto* timer = form->findChild<QTimer*>(QStringLiteral("saveTimer"));
  ASSERT_NE(timer, nullptr);
  ASSERT_TRUE(timer->isActive());
  timer->setInterval(10);
  QElapsedTimer waited;
  waited.start();
  while (!Exists(home / "save/fbuf.txt") && waited.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  // Killed now, the session would come back with its buffer and its place.
  EXPECT_EQ(ReadFile(home / "save/fbuf.txt").substr(0, (data / "one/f").size()), data / "one/f");
  EXPECT_EQ(ReadFile(home / "save/tab.txt").substr(0, (data / "one").size()), data / "one");
}

// Runs action on the dialog that is about to be shown modally.
void WhenModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action = std::move(action)] {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr) {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && qobject_cast<QDialog*>(top) != nullptr) w = top;
      }
    }
    action(w);
  });
}

TEST_F(WindowTest, AFirstStartShowsReadableColumnsAndTheSortKey) {
  WriteFile(data / "a_file_with_a_rather_long_name.txt", std::string(1234, 'x'));
  auto form = MakeForm();  // no setting.ini
  form->show();
  Settle();
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  QHeaderView* header = list->header();
  ASSERT_EQ(header->count(), 6);
  const QFontMetrics metrics(list->font());
  EXPECT_GE(header->sectionSize(0), metrics.horizontalAdvance(QStringLiteral("a_file_with_a_long_name")));
  EXPECT_EQ(header->sectionSize(1), 30);  // "fd"
  EXPECT_GT(header->sectionSize(3), metrics.horizontalAdvance(QStringLiteral("999999999999")));  // bytes
  EXPECT_GT(header->sectionSize(2), metrics.horizontalAdvance(QStringLiteral("1023K")));
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorSection(), 0);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  // A click on the bytes column sorts by it and moves the arrow there; a second turns it.
  for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
    const QPoint at(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    Settle();
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(header->sortIndicatorOrder(), order);
  }
  EXPECT_TRUE(form->Logic().List().SortDescending());
}

TEST_F(WindowTest, RowsHoldTheWholeTextAboveTheGridLine) {
  for (const char* name : {"link_to_alpha", "jpg_query", "gap"}) WriteFile(data / name, "x");
  auto form = MakeForm();
  ShowAndSelect(*form, NoSlash(data.Path()));
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  auto* delegate = dynamic_cast<RowDelegate*>(list->itemDelegate());
  ASSERT_NE(delegate, nullptr);
  ASSERT_EQ(list->model()->rowCount(), 3);
  const QFontMetrics metrics(list->font());
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    const QModelIndex index = list->model()->index(row, 0);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.widget = list;
    option.font = list->font();
    option.fontMetrics = metrics;
    option.rect = list->visualRect(index);
    const QRect text = delegate->TextRect(option, index);
    // The full height of the font fits, and the grid line on the row's last pixel row
    // is not part of it.
    EXPECT_GE(text.height(), metrics.height());
    EXPECT_GE(text.top(), option.rect.top());
    EXPECT_LT(text.bottom(), option.rect.bottom());
  }
  auto* log = ChildOf<QListWidget>(*form, "LB_Log");
  form->AppendLog("p_g_j");
  EXPECT_GE(log->visualItemRect(log->item(log->count() - 1)).height(), QFontMetrics(log->font()).height() + 2);
  EXPECT_TRUE(log->item(log->count() - 1)->toolTip().isEmpty());
  // A line wider than the log can be read whole in its tooltip.
  const std::string wide(400, 'w');
  form->AppendLog(wide);
  EXPECT_EQ(FromQ(log->item(log->count() - 1)->toolTip()), wide);
}

TEST_F(WindowTest, EnterAloneNeverConfirmsADeleteOrAnOverwrite) {
  MakeDirs(data / "dir");
  WriteFile(data / "dir/f.txt", "x");
  FormDependencies deps = Dependencies();
  deps.questions = nullptr;  // the window's own message boxes
  auto form = std::make_unique<TForm_Main>(deps);
  ShowAndSelect(*form, data / "dir");
  auto* list = ChildOf<QTreeView>(*form, "LV_FileList");
  list->setFocus();
  list->selectAll();
  Settle();
  std::vector<std::string> defaults;
  const auto pressEnter = [&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    defaults.push_back(box->defaultButton() == box->button(QMessageBox::No) ? "No" : "other");
    QTest::keyClick(box, Qt::Key_Return);
  };
  WhenModal(pressEnter);
  form->DispatchKey(QKeyCombination(Qt::Key_Delete));
  EXPECT_TRUE(Exists(data / "dir/f.txt"));
  // The overwrite question of a copy onto the same name.
  MakeDirs(data / "src");
  WriteFile(data / "src/f.txt", "new");
  form->Logic().Buffers().Toggle(data / "src/f.txt");
  WhenModal(pressEnter);
  form->Action("AC_CopyFromBufferInFileList")->trigger();
  EXPECT_EQ(ReadFile(data / "dir/f.txt"), "x");
  EXPECT_EQ(defaults, (std::vector<std::string>{"No", "No"}));
}

TEST(QtTexts, StandardButtonsSpeakJapaneseWithTheWindow) {
  App();
  QTranslator* translator = InstallQtTranslation(*QCoreApplication::instance(), "ja");
  ASSERT_NE(translator, nullptr) << "Qt's Japanese translation is not installed (qt6-translations-l10n)";
  {
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("いいえ")));
  }
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_EQ(InstallQtTranslation(*QCoreApplication::instance(), "xx"), nullptr);  // no such language
}

TEST(ScriptDialogs, ThePromptHasItsControlsAndEnterDoesNotCloseIt) {
  App();
  TfrmPrompt prompt;
  prompt.Setup(QStringLiteral("velkoran"), QStringLiteral("Name?"), QStringLiteral("start"));
  EXPECT_EQ(prompt.size(), QSize(492, 73));
  EXPECT_EQ(prompt.edtPrompt->geometry(), QRect(10, 41, 385, 20));
  EXPECT_EQ(prompt.btnOK->geometry(), QRect(408, 8, 75, 25));
  EXPECT_EQ(prompt.btnCancel->geometry(), QRect(408, 40, 75, 25));
  EXPECT_EQ(prompt.lblText->pos(), QPoint(16, 8));
  EXPECT_EQ(prompt.windowTitle(), "velkoran");
  EXPECT_EQ(prompt.edtPrompt->text(), "start");
  EXPECT_FALSE(prompt.btnOK->isDefault());
  EXPECT_FALSE(prompt.btnOK->autoDefault());
  prompt.show();
  Settle();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(prompt.edtPrompt, &enter);
  Settle();
  EXPECT_TRUE(prompt.isVisible());
  EXPECT_EQ(prompt.result(), 0);
}

TEST(ScriptDialogs, QuestionsThroughTheDialogs) {
  App();
  QtUserQuestions questions;
  // Clear, then OK, gives the empty text, not nothing.
  WhenModal([](QWidget* w) {
    auto* area = dynamic_cast<TfrmTextArea*>(w);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->mmText->toPlainText(), "first\n");
    EXPECT_EQ(area->size(), QSize(492, 273));
    EXPECT_EQ(area->btnClear->geometry(), QRect(410, 89, 75, 25));
    area->btnClear->click();
    EXPECT_TRUE(area->isVisible());
    area->btnOK->click();
  });
  const auto cleared = questions.TextArea("cap", "label", "first");
  ASSERT_TRUE(cleared.has_value());
  EXPECT_EQ(*cleared, "");

  WhenModal([](QWidget* w) {
    auto* area = dynamic_cast<TfrmTextArea*>(w);
    ASSERT_NE(area, nullptr);
    area->mmText->setPlainText(QStringLiteral("a\nb"));
    area->btnOK->click();
  });
  EXPECT_EQ(questions.TextArea("cap", "label", ""), std::optional<std::string>("a\r\nb"));

  // The initial text is the memo's first line, line end included.
  WhenModal([](QWidget* w) {
    auto* area = dynamic_cast<TfrmTextArea*>(w);
    ASSERT_NE(area, nullptr);
    area->btnOK->click();
  });
  EXPECT_EQ(questions.TextArea("cap", "label", "one"), std::optional<std::string>("one\r\n"));
  // Line ends inside the initial text stay single.
  WhenModal([](QWidget* w) {
    auto* area = dynamic_cast<TfrmTextArea*>(w);
    ASSERT_NE(area, nullptr);
    area->btnOK->click();
  });
  EXPECT_EQ(questions.TextArea("cap", "label", "a\r\nb"), std::optional<std::string>("a\r\nb\r\n"));

  WhenModal([](QWidget* w) {
    auto* prompt = dynamic_cast<TfrmPrompt*>(w);
    ASSERT_NE(prompt, nullptr);
    prompt->edtPrompt->setText(QString::fromUtf8("日本語"));
    prompt->btnOK->click();
  });
  EXPECT_EQ(questions.Prompt("cap", "label", "x"), std::optional<std::string>("日本語"));

  WhenModal([](QWidget* w) {
    auto* prompt = dynamic_cast<TfrmPrompt*>(w);
    ASSERT_NE(prompt, nullptr);
    prompt->close();  // closing counts as Cancel
  });
  EXPECT_EQ(questions.Prompt("cap", "label", "x"), std::nullopt);
}

}  // namespace
}  // namespace velkoran::app
