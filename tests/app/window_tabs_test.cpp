// The window's tabs, timer, shortcut menus, launcher list and key precedence on the
// offscreen platform, with the tick counter and the Ctrl key under the test's control.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTreeView>

#include "window_fixture.h"

namespace velkoran::app {
namespace {

using platform::Answer;
using testing::Exists;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::Settle;
using testing::WriteFile;

// The visible captions of a menu's items, separators and hidden items left out.
std::vector<std::string> ItemCaptions(const QMenu* menu) {
  std::vector<std::string> out;
  for (const QAction* a : menu->actions()) {
    if (!a->isSeparator() && a->isVisible()) out.push_back(a->text().toStdString());
  }
  return out;
}

QAction* ItemNamed(const QMenu* menu, const char* caption) {
  for (QAction* a : menu->actions()) {
    if (a->text() == QString::fromUtf8(caption)) return a;
  }
  return nullptr;
}

class WindowTabsTest : public testing::WindowFixture {
 protected:
  ~WindowTabsTest() override { CloseWindow(); }  // the window reads clock and ctrl
  FormDependencies Dependencies() override {
    FormDependencies deps = WindowFixture::Dependencies();
    deps.tickCount = [this] { return clock; };
    deps.controlKeyHeld = [this] { return ctrl; };
    return deps;
  }
  QComboBox* Bar() { return Child<QComboBox>("CB_LocateBar"); }
  QTabBar* Tabs() { return Child<QTabBar>("TC_Main"); }
  bool Key(QKeyCombination key) { return form->DispatchKey(key); }
  void PointAtTab(int index) {
    QCursor::setPos(Tabs()->mapToGlobal(Tabs()->tabRect(index).center()));
  }
  void FocusOn(QWidget* w) {
    QApplication::setActiveWindow(form.get());  // a closed popup leaves no window active here
    w->setFocus();
    Settle();
    ASSERT_TRUE(w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()));
  }

  // The window at dst with a second tab; copying src/f there asks whether to overwrite dst/f.
  void OpenOverAnOverwrite() {
    MakeDirs(data / "src");
    MakeDirs(data / "dst");
    WriteFile(data / "src/f", "new");
    WriteFile(data / "dst/f", "old");
    Open();
    Go(data / "dst");
    form->Action("AC_MakeNewTab")->trigger();
  }

  std::uint32_t clock = 5000;
  bool ctrl = false;
};

// ---- Tabs ------------------------------------------------------------------------------

TEST_F(WindowTabsTest, NewTabsAndFunctionKeys) {
  MakeDirs(data / "a");
  Open();
  Go(data / "a");
  EXPECT_EQ(Tabs()->tabText(0).toStdString(), "a");
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL, Qt::Key_N)));
  EXPECT_EQ(Tabs()->count(), 2);
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  EXPECT_EQ(Tabs()->tabText(1).toStdString(), "a");  // a new tab opens on the current folder
  EXPECT_EQ(Tabs()->tabToolTip(1).toStdString(), data / "a");
  // F3 with two tabs does nothing.
  Key(QKeyCombination(Qt::Key_F3));
  EXPECT_EQ(form->Logic().CurrentTab(), 0);
  EXPECT_EQ(Selected(), data / "a");
  Key(QKeyCombination(Qt::CTRL, Qt::Key_N));
  // The location bar passes function keys on to the window.
  FocusOn(Bar());
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_F3)));
  EXPECT_EQ(form->Logic().CurrentTab(), 2);
  EXPECT_EQ(Tabs()->currentIndex(), 2);
  EXPECT_EQ(Bar()->currentText().toStdString(), data / "a/");
  EXPECT_EQ(Selected(), data / "a");
  Key(QKeyCombination(Qt::Key_F1));
  EXPECT_EQ(Selected(), data / "a");
  EXPECT_EQ(Bar()->currentText().toStdString(), data / "a/");
  EXPECT_TRUE(Tree()->hasFocus());  // entering a tab gives the visible tree the focus
  // Ctrl+Q deletes the current tab and shows the first.
  Key(QKeyCombination(Qt::Key_F2));
  Key(QKeyCombination(Qt::CTRL, Qt::Key_Q));
  EXPECT_EQ(Tabs()->count(), 2);
  EXPECT_EQ(Tabs()->currentIndex(), 0);
}

TEST_F(WindowTabsTest, ClickingATabSwitchesAndDoubleClickingTheFreeRowAddsOne) {
  MakeDirs(data / "a");
  MakeDirs(data / "b");
  Open();
  Go(data / "a");
  form->Action("AC_MakeNewTab")->trigger();
  QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
  Settle();
  EXPECT_EQ(form->Logic().CurrentTab(), 1);
  Go(data / "b");
  QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
  Settle();
  EXPECT_EQ(Selected(), data / "a");
  const QPoint free(Tabs()->tabRect(1).right() + 20, Tabs()->height() / 2);
  ASSERT_LT(Tabs()->tabAt(free), 0);
  QTest::mouseDClick(Tabs(), Qt::LeftButton, {}, free);
  Settle();
  EXPECT_EQ(Tabs()->count(), 3);
  EXPECT_EQ(form->Logic().CurrentTab(), 0);
}

TEST_F(WindowTabsTest, ADirectoryNameWithAnAmpersandShowsItOnTheTab) {
  MakeDirs(data / "Tom & Jerry");
  Open();
  Go(data / "Tom & Jerry");
  EXPECT_EQ(Tabs()->tabText(0).toStdString(), "Tom && Jerry");
}

TEST_F(WindowTabsTest, TheTabBarStaysOnTheCurrentTabWhenAChangeIsRefused) {
  OpenOverAnOverwrite();
  bool disabled = false;
  questions.onAsk = [&] {
    disabled = !Tabs()->isEnabled();
    Tabs()->setCurrentIndex(1);  // as a click would, were the bar not disabled
  };
  questions.answers = {Answer::No};
  form->Logic().Buffers().Toggle(data / "src/f");
  form->Action("AC_CopyFromBufferInFileList")->trigger();
  questions.onAsk = nullptr;
  EXPECT_TRUE(disabled);
  EXPECT_EQ(form->Logic().CurrentTab(), 0);
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  EXPECT_TRUE(Tabs()->isEnabled());
}

// ---- Timer ------------------------------------------------------------------------------

TEST_F(WindowTabsTest, RestingThePointerOnATabSwitchesToItOnce) {
  MakeDirs(data / "a");
  MakeDirs(data / "b");
  Open();
  Go(data / "a");
  form->Action("AC_MakeNewTab")->trigger();
  form->Action("AC_MakeNewTab")->trigger();
  Settle();
  PointAtTab(2);
  ASSERT_EQ(Tabs()->tabAt(Tabs()->mapFromGlobal(QCursor::pos())), 2) << "the platform cannot place the pointer";
  form->TimerTick();
  clock += 1000;
  form->TimerTick();
  EXPECT_EQ(form->Logic().CurrentTab(), 0);  // exactly the resting time is not enough
  clock += 1;
  form->TimerTick();
  EXPECT_EQ(form->Logic().CurrentTab(), 2);
  EXPECT_EQ(Tabs()->currentIndex(), 2);
  clock += 5000;
  form->TimerTick();
  EXPECT_EQ(form->Logic().CurrentTab(), 2);

  // Passing over the tabs without resting switches none.
  for (int i = 0; i < 6; ++i) {
    PointAtTab(i % 2);
    form->TimerTick();
    clock += 700;
  }
  EXPECT_EQ(form->Logic().CurrentTab(), 2);

  // The resting time comes from the settings.
  form->Logic().Settings().mouseTabChangingTime = 50;
  PointAtTab(1);
  form->TimerTick();
  clock += 51;
  form->TimerTick();
  EXPECT_EQ(form->Logic().CurrentTab(), 1);

  // A minimised window's tab row is not under the pointer, wherever the pointer is.
  PointAtTab(0);
  form->showMinimized();
  Settle();
  for (int i = 0; i < 3; ++i) {
    form->TimerTick();
    clock += 100;
  }
  EXPECT_EQ(form->Logic().CurrentTab(), 1);
}

TEST_F(WindowTabsTest, ATabThatSlidesUnderTheRestingPointerIsNotSelected) {
  MakeDirs(data / "a_long_folder_name");
  Open();
  Go(data / "a_long_folder_name");
  form->Action("AC_MakeNewTab")->trigger();
  form->Action("AC_MakeNewTab")->trigger();
  Settle();
  PointAtTab(1);
  form->TimerTick();
  clock += 1001;
  form->TimerTick();
  ASSERT_EQ(form->Logic().CurrentTab(), 1);
  // The first caption shrinks: the row reflows and tab 2 lies under the unmoved pointer.
  Tabs()->setTabText(0, QStringLiteral("a"));
  Settle();
  ASSERT_EQ(Tabs()->tabAt(Tabs()->mapFromGlobal(QCursor::pos())), 2);
  for (int i = 0; i < 5; ++i) {
    form->TimerTick();
    clock += 1000;
  }
  EXPECT_EQ(form->Logic().CurrentTab(), 1);
  // Moving the pointer onto it points at it.
  QCursor::setPos(QCursor::pos() + QPoint(1, 0));
  form->TimerTick();
  clock += 1001;
  form->TimerTick();
  EXPECT_EQ(form->Logic().CurrentTab(), 2);
}

TEST_F(WindowTabsTest, NoHoverSwitchDuringATransfer) {
  OpenOverAnOverwrite();
  Settle();
  questions.onAsk = [&] {
    PointAtTab(1);
    form->TimerTick();
    clock += 3000;
    form->TimerTick();
  };
  questions.answers = {Answer::No};
  form->Logic().Buffers().Toggle(data / "src/f");
  form->Logic().CopyFromBuffer();
  questions.onAsk = nullptr;
  EXPECT_EQ(form->Logic().CurrentTab(), 0);
  EXPECT_EQ(Selected(), data / "dst");
}

TEST_F(WindowTabsTest, TheTimerTakesTheSingleKeysAwayWhileTextIsEdited) {
  MakeDirs(data / "dir/sub");
  WriteFile(data / "dir/f", "f");
  Open();
  Go(data / "dir");
  const auto keysOf = [&] {
    std::vector<QKeySequence> keys;
    for (const char* n : {"AC_OpenFile", "AC_DeleteFile", "AC_GoParent", "AC_RenameFile"}) {
      keys.push_back(form->Action(QString::fromLatin1(n))->shortcut());
    }
    return keys;
  };
  const std::vector<QKeySequence> normal = keysOf();
  ASSERT_EQ(normal[1], QKeySequence(Qt::Key_Delete));
  EXPECT_FALSE(form->ShortcutsSuspended());

  FocusOn(Bar());
  form->TimerTick();
  EXPECT_TRUE(form->ShortcutsSuspended());
  for (const QKeySequence& k : keysOf()) EXPECT_TRUE(k.isEmpty());
  EXPECT_EQ(form->Action("AC_DeleteTreeItem")->shortcut(), QKeySequence(Qt::Key_Delete));
  // The menus show the same: the list's menu has no key on "開く" now.
  EXPECT_TRUE(ItemNamed(form->Menu("PM_File"), "開く")->shortcut().isEmpty());

  FocusOn(List());
  form->TimerTick();
  EXPECT_FALSE(form->ShortcutsSuspended());
  EXPECT_EQ(keysOf(), normal);

  // Editing a row's name suspends them too.
  List()->setCurrentIndex(List()->model()->index(0, 0));
  List()->edit(List()->model()->index(0, 0));
  Settle();
  ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
  form->TimerTick();
  EXPECT_TRUE(form->ShortcutsSuspended());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  Settle();
  form->TimerTick();
  EXPECT_FALSE(form->ShortcutsSuspended());
}

TEST_F(WindowTabsTest, DeleteRightAfterLeavingTheLocationBarActsOnTheList) {
  MakeDirs(data / "dir");
  WriteFile(data / "dir/f", "f");
  Open();
  Go(data / "dir");
  FocusOn(Bar());
  form->TimerTick();
  ASSERT_TRUE(form->ShortcutsSuspended());
  // The next timer step has not come yet when Del arrives in the list.
  FocusOn(List());
  List()->selectAll();
  questions.answers = {Answer::No};
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Delete)));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, (data / "dir/f") + "\nをごみ箱に移動しますか？\n（1 項目）");
}

TEST_F(WindowTabsTest, TheTimerKeepsTheNormalGeometry) {
  Open();
  form->move(40, 50);
  form->resize(700, 500);
  Settle();
  form->TimerTick();
  EXPECT_EQ(form->Logic().Settings().savedGeometry, (Geometry{form->x(), form->y(), 700, 500}));
  form->showMaximized();
  Settle();
  const Geometry saved = form->Logic().Settings().savedGeometry;
  form->TimerTick();
  EXPECT_EQ(form->Logic().Settings().savedGeometry, saved);
}

// ---- Shortcut menus ----------------------------------------------------------------------

TEST_F(WindowTabsTest, ShortcutsAreAddedJumpedToAndRemovedWithCtrl) {
  MakeDirs(data / "a");
  MakeDirs(data / "b");
  WriteFile(data / "b/file", "x");
  Open();
  QMenu* pm = form->Menu("PM_Shortcut");
  QMenu* root = form->Menu("MI_ShortcutRoot");
  Go(data / "a");
  questions.inputs = {std::string("x,y"), std::string("to a")};
  FocusOn(Tree());
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL, Qt::Key_S)));
  EXPECT_EQ(questions.asked.back().text, "ショートカット名に , は使えません。");
  EXPECT_TRUE(ItemCaptions(pm).empty());
  Key(QKeyCombination(Qt::CTRL, Qt::Key_S));
  Go(data / "b");
  questions.inputs = {std::string("to b")};
  form->Action("AC_AddShortcutInTree")->trigger();
  EXPECT_EQ(ItemCaptions(pm), (std::vector<std::string>{"to a", "to b"}));
  EXPECT_EQ(ItemCaptions(root), (std::vector<std::string>{"to a", "to b"}));
  EXPECT_EQ(form->findChild<QAction*>("MI_ShortcutDummy")->text().toStdString(), "イベント用ダミー");

  // A plain click goes there and leaves the focus in the list when it was there.
  FocusOn(List());
  pm->popup(List()->mapToGlobal(QPoint(0, 0)));  // as Insert opens it
  Settle();
  pm->close();
  Settle();
  ItemNamed(pm, "to a")->trigger();
  Settle();
  EXPECT_EQ(Selected(), data / "a");
  EXPECT_EQ(Bar()->currentText().toStdString(), data / "a/");
  EXPECT_TRUE(List()->hasFocus());

  // Ctrl+click removes the entry from both menus; the later one moves up.
  ctrl = true;
  ItemNamed(root, "to a")->trigger();
  Settle();
  ctrl = false;
  EXPECT_EQ(ItemCaptions(pm), std::vector<std::string>{"to b"});
  EXPECT_EQ(ItemCaptions(root), std::vector<std::string>{"to b"});
  EXPECT_EQ(Selected(), data / "a");  // a removal goes nowhere
  ItemNamed(pm, "to b")->trigger();
  Settle();
  EXPECT_EQ(Selected(), data / "b");
  ASSERT_EQ(form->Logic().Shortcuts().size(), 1u);
  EXPECT_EQ(form->Logic().Shortcuts()[0].path, data / "b/");
}

TEST_F(WindowTabsTest, ShortcutsComeBackFromTheSettings) {
  MakeDirs(data / "a");
  Open("TreeVisible : 1\r\nShortcut : first , " + (data / "a/") + "\r\nShortcut : second," + data.Path() + "\r\n");
  EXPECT_EQ(ItemCaptions(form->Menu("PM_Shortcut")), (std::vector<std::string>{"first", "second"}));
  ItemNamed(form->Menu("MI_ShortcutRoot"), "first")->trigger();
  Settle();
  EXPECT_EQ(Selected(), data / "a");
}

// ---- Launcher and location bar ------------------------------------------------------------

TEST_F(WindowTabsTest, TheLauncherListIsSortedAndGrowsFromTheFileList) {
  MakeDirs(data / "d");
  WriteFile(data / "d/Tool", "x");
  WriteFile(home / "save/Launch.txt", "zeta:/z\r\nAlpha:/a\r\nbeta:/b\r\n");
  Open();
  std::vector<std::string> names;
  for (int i = 0; i < Bar()->count(); ++i) names.push_back(Bar()->itemText(i).toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  Go(data / "d");
  List()->selectAll();
  ItemNamed(form->Menu("PM_File"), "ランチャーに追加")->trigger();
  names.clear();
  for (int i = 0; i < Bar()->count(); ++i) names.push_back(Bar()->itemText(i).toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Tool", "zeta"}));
  EXPECT_EQ(Bar()->currentText().toStdString(), data / "d/");  // the typed text stays
  Bar()->setEditText(QStringLiteral("Tool"));
  FocusOn(Bar());
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Return)));
  EXPECT_EQ(shell.opened, std::vector<std::string>{data / "d/Tool"});
  EXPECT_EQ(Bar()->lineEdit()->cursorPosition(), Bar()->currentText().size());
  form->close();
  EXPECT_EQ(ReadFile(home / "save/Launch.txt"), "zeta:/z\r\nAlpha:/a\r\nbeta:/b\r\nTool:" + (data / "d/Tool") + "\r\n");
  form.reset();
}

TEST_F(WindowTabsTest, UnknownTextIsLoggedAndKeepsTheCaretAtTheEnd) {
  Open();
  Bar()->setEditText(QStringLiteral("nowhere"));
  Bar()->lineEdit()->setCursorPosition(2);
  Child<QPushButton>("SB_Go")->click();
  auto* log = Child<QListWidget>("LB_Log");
  EXPECT_EQ(log->item(log->count() - 1)->text().toStdString(), "NotFound : nowhere/");
  EXPECT_EQ(log->currentRow(), log->count() - 1);
  EXPECT_EQ(Bar()->currentText().toStdString(), "nowhere");
  EXPECT_EQ(Bar()->lineEdit()->cursorPosition(), 7);
}

// ---- Keys --------------------------------------------------------------------------------

TEST_F(WindowTabsTest, TheFocusedPanesMenuKeysComeBeforeTheWindowsActions) {
  MakeDirs(data / "dir/sub");
  WriteFile(data / "dir/f.txt", "x");
  Open();
  Go(data / "dir");
  const auto& buffers = form->Logic().Buffers();

  // Space: the tree's directory from the tree, the focused row from the list.
  FocusOn(Tree());
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Space)));
  EXPECT_EQ(buffers.All()[0], std::vector<std::string>{data / "dir/"});
  FocusOn(List());
  ASSERT_EQ(List()->currentIndex().row(), 0);
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Space)));
  EXPECT_EQ(buffers.All()[0], (std::vector<std::string>{data / "dir/", data / "dir/f.txt"}));
  auto* lines = Child<QListWidget>("LB_Buffer");
  ASSERT_EQ(lines->count(), 2);
  EXPECT_EQ(lines->item(0)->text().toStdString(), "f.txt");

  // Del in the buffer list removes the selected lines and asks nothing.
  FocusOn(lines);
  lines->setCurrentRow(0);
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Delete)));
  EXPECT_TRUE(questions.asked.empty());
  EXPECT_EQ(buffers.All()[0], std::vector<std::string>{data / "dir/"});
  EXPECT_EQ(lines->item(0)->text().toStdString(), "dir/");
  // Ctrl+Shift+Del deletes the buffer's files, after the question.
  questions.answers = {Answer::No};
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Delete)));
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, (data / "dir/") + "\nをごみ箱に移動しますか？\n（1 項目。フォルダ 1 個は中身ごとごみ箱に移動します）");
  EXPECT_TRUE(Exists(data / "dir/f.txt"));

  // Ctrl+F5 shows the fifth buffer wherever the focus is.
  FocusOn(Bar());
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL, Qt::Key_F5)));
  EXPECT_EQ(Child<QLabel>("LB_BufferIndex")->text().toStdString(), "5番バッファ");
  EXPECT_EQ(lines->item(0)->text().toStdString(), "ファイルバッファ");
  // The focus actions.
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL | Qt::ALT, Qt::Key_Down)));
  EXPECT_TRUE(lines->hasFocus());
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL | Qt::ALT, Qt::Key_Left)));
  EXPECT_TRUE(Tree()->hasFocus());
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL | Qt::ALT, Qt::Key_Right)));
  EXPECT_TRUE(List()->hasFocus());
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL | Qt::ALT, Qt::Key_Up)));
  EXPECT_TRUE(Bar()->hasFocus() || Bar()->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(WindowTabsTest, AltEnterAndInsertOpenTheirMenus) {
  MakeDirs(data / "dir");
  Open();
  Go(data / "dir");
  FocusOn(Tree());
  EXPECT_TRUE(Key(QKeyCombination(Qt::ALT, Qt::Key_Return)));
  QMenu* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open, form->Menu("PM_DirTree"));
  EXPECT_EQ(open->pos(), form->frameGeometry().topLeft());
  open->close();
  Settle();
  // The location bar has no menu; the log is not one of the panes that open theirs.
  FocusOn(Bar());
  EXPECT_TRUE(Key(QKeyCombination(Qt::ALT, Qt::Key_Return)));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  FocusOn(Child<QListWidget>("LB_Log"));
  EXPECT_FALSE(Key(QKeyCombination(Qt::ALT, Qt::Key_Return)));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  // Insert opens the shortcut menu at the list's corner and goes on to the control.
  FocusOn(List());
  EXPECT_FALSE(Key(QKeyCombination(Qt::Key_Insert)));
  open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open, form->Menu("PM_Shortcut"));
  EXPECT_EQ(open->pos(), List()->mapToGlobal(QPoint(0, 0)));
  open->close();
  Settle();
}

TEST_F(WindowTabsTest, SpaceInTheListMarksTheNextRowAndScrollsByOneLine) {
  MakeDirs(data / "many");
  for (int i = 0; i < 60; ++i) WriteFile(data / ("many/f" + std::to_string(100 + i)), "x");
  Open();
  Go(data / "many");
  FocusOn(List());
  QScrollBar* bar = List()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 2) << "the list must be longer than its view";
  const int line = List()->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : List()->sizeHintForRow(0);
  List()->selectionModel()->select(List()->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_TRUE(Key(QKeyCombination(Qt::Key_Space)));
  EXPECT_EQ(List()->currentIndex().row(), 1);
  EXPECT_EQ(form->SelectedFileRows(), std::vector<int>{1});  // the marked row is unselected
  EXPECT_EQ(bar->value(), line);
  Key(QKeyCombination(Qt::Key_Space));
  EXPECT_EQ(bar->value(), 2 * line);
  EXPECT_EQ(form->Logic().Buffers().CurrentEntries(), (std::vector<std::string>{data / "many/f100", data / "many/f101"}));
  // From the last row back to the first, at the top of the list.
  List()->setCurrentIndex(List()->model()->index(59, 0));
  Key(QKeyCombination(Qt::Key_Space));
  EXPECT_EQ(List()->currentIndex().row(), 0);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(form->Logic().Buffers().CurrentEntries().back(), data / "many/f159");
}

TEST_F(WindowTabsTest, TheWindowMenuShowsTheOptionsAndARightClickClearsTheLog) {
  Open("TreeVisible : 0\r\nShowDirectory : 1\r\nUwagaki : 1\r\nAutoExpand : 0\r\n");
  QMenu* main = form->Menu("PM_Main");
  emit main->aboutToShow();
  const auto item = [&](const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); };
  EXPECT_FALSE(item("MI_TreeVisible")->isChecked());
  EXPECT_TRUE(item("MI_ShowDirInFileList")->isChecked());
  EXPECT_TRUE(item("MI_AutoUwagaki")->isChecked());
  EXPECT_TRUE(item("MI_AutoExpand")->isChecked());  // a hidden tree always expands by itself
  EXPECT_FALSE(item("MI_AutoExpand")->isEnabled());
  item("MI_TreeVisible")->trigger();
  emit main->aboutToShow();
  item("MI_AutoExpand")->trigger();
  emit main->aboutToShow();
  EXPECT_TRUE(item("MI_TreeVisible")->isChecked());
  EXPECT_FALSE(item("MI_AutoExpand")->isChecked());
  EXPECT_TRUE(item("MI_AutoExpand")->isEnabled());

  auto* log = Child<QListWidget>("LB_Log");
  form->AppendLog("one");
  ASSERT_EQ(log->count(), 2);
  QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(log->count(), 2);
  QTest::mousePress(log->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(log->count(), 0);
  QTest::mouseRelease(log->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  Settle();
}

TEST_F(WindowTabsTest, EscGetsThroughToTheCopyAndTheFocusComesBack) {
  MakeDirs(data / "src");
  MakeDirs(data / "dst");
  WriteFile(data / "src/big", std::string(6u << 20, 'b'));
  Open();
  Go(data / "dst");
  FocusOn(List());
  auto* sub = Child<QProgressBar>("PB_Sub");
  bool pressed = false;
  const auto connection = QObject::connect(sub, &QProgressBar::valueChanged, [&](int value) {
    if (pressed || value <= 0) return;
    pressed = true;
    // Delivered as the window system delivers it, to whatever holds the focus now.
    QTest::keyClick(form->windowHandle(), Qt::Key_Escape);
  });
  form->Logic().Buffers().Toggle(data / "src/big");
  EXPECT_TRUE(Key(QKeyCombination(Qt::CTRL, Qt::Key_C)));
  QObject::disconnect(connection);
  EXPECT_TRUE(pressed);
  auto* log = Child<QListWidget>("LB_Log");
  EXPECT_EQ(log->item(log->count() - 3)->text().toStdString(), "コピー中止: " + (data / "dst/big"));
  EXPECT_EQ(log->item(log->count() - 2)->text().toStdString(), "コピー中止。");
  EXPECT_TRUE(log->item(log->count() - 1)->text().startsWith("0B を 0:0"));
  EXPECT_FALSE(Exists(data / "dst/big"));
  EXPECT_TRUE(form->centralWidget()->isEnabled());
  EXPECT_TRUE(List()->hasFocus());
}

}  // namespace
}  // namespace velkoran::app
