// Scripts in the window on the offscreen platform: the script menus, launching over the
// tree's and the list's selection, output in the log, the application object Velko,
// stopping a script with Esc, the window holding still while a script runs, and what a
// finished script leaves behind.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <system_error>

#include "script/kestrin.h"
#include "window_scripts_support.h"

namespace velkoran::app {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::Settle;
using testing::WriteFile;

class WindowScriptsTest : public testing::ScriptWindowFixture {
 protected:
  // A key pressed as a person would: it goes to the control that has the focus.
  void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : form.get(), key, modifiers);
  }
};

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// ---- Menus ------------------------------------------------------------------------------

TEST_F(WindowScriptsTest, TheThreeMenusListTheScriptFilesAtFirstShowAndOnUpdate) {
  Script("tools.txt", "");
  Script("a.b.txt", "");
  Script("Tom & Jerry.txt", "");
  MakeDirs(home / "Script/folder.txt");
  Script("readme.md", "");
  Open();
  const std::vector<std::string> tree = Captions("MI_ScriptRoot_Tree");
  EXPECT_EQ(Sorted(tree), (std::vector<std::string>{"Tom && Jerry", "a.b", "tools"}));
  EXPECT_EQ(Captions("MI_ScriptRoot_File"), tree);
  EXPECT_EQ(Captions("PM_Script"), tree);
  EXPECT_EQ(form->Menu("MI_ScriptRoot_Tree")->title().toStdString(), "スクリプト");
  EXPECT_EQ(form->Menu("MI_ScriptRoot_File")->title().toStdString(), "スクリプト");
  auto* dummy = form->findChild<QAction*>(QStringLiteral("MI_ScriptDummy"));
  ASSERT_NE(dummy, nullptr);
  EXPECT_FALSE(dummy->isVisible());
  EXPECT_EQ(dummy->text().toStdString(), "スクリプトダミー");

  // Changes in the folder show only after "スクリプトメニュー更新".
  Script("new.txt", "");
  ASSERT_EQ(std::remove((home / "Script/tools.txt").c_str()), 0);
  EXPECT_EQ(Sorted(Captions("PM_Script")), (std::vector<std::string>{"Tom && Jerry", "a.b", "tools"}));
  auto* update = form->findChild<QAction*>(QStringLiteral("MI_UpdateScriptList"));
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(update->text().toStdString(), "スクリプトメニュー更新");
  update->trigger();
  Settle();
  for (const char* menu : {"MI_ScriptRoot_Tree", "MI_ScriptRoot_File", "PM_Script"}) {
    EXPECT_EQ(Sorted(Captions(menu)), (std::vector<std::string>{"Tom && Jerry", "a.b", "new"})) << menu;
  }
}

TEST_F(WindowScriptsTest, AnItemRunsItsOwnFileWhateverTheCaseOfTheExtension) {
  Script("Loud.TXT", "println('loud ran');");
  Open();
  ASSERT_EQ(Captions("PM_Script"), (std::vector<std::string>{"Loud"}));
  RunFrom("PM_Script", "Loud");
  EXPECT_EQ(LastLog(), "loud ran");
}

// ---- Launch -------------------------------------------------------------------------------

constexpr const char* kShowSelection =
    "println('files ' + Files.length + ' dirs ' + Directorys.length);\n"
    "for (i = 0; i < Directorys.length; i++) println('D ' + Directorys[i].dirname);\n"
    "for (i = 0; i < Files.length; i++) println('F ' + Files[i].filename);\n";

TEST_F(WindowScriptsTest, ListMenusHandTheSelectedRowsAsDirectoriesAndFiles) {
  Script("show.txt", kShowSelection);
  MakeDirs(data / "sub");
  WriteFile(data / "x.txt", "x");
  WriteFile(data / "y.txt", "y");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data.Path());
  SelectRows({"x.txt", "sub"});
  std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_File", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 1 dirs 1", "D " + data / "sub/", "F " + data / "x.txt"}));

  // Ctrl+Insert's menu works on the list's selection too.
  mark = LogCount();
  RunFrom("PM_Script", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 1 dirs 1", "D " + data / "sub/", "F " + data / "x.txt"}));

  SelectRows({});
  mark = LogCount();
  RunFrom("MI_ScriptRoot_File", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 0 dirs 0"}));
}

TEST_F(WindowScriptsTest, TheTreeMenuHandsTheSelectedDirectory) {
  Script("show.txt", kShowSelection);
  MakeDirs(data / "a");
  WriteFile(data / "a/f.txt", "");
  // The second tab remembers no place.
  WriteFile(home / "save/tab.txt", (data / "a") + "\r\n\r\n_END_\r\n\r\n\r\n_END_\r\n");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data / "a");
  SelectRows({"f.txt"});  // the list's selection does not matter here
  std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_Tree", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 0 dirs 1", "D " + data / "a/"}));

  // A tab without a selected directory: Directorys stays empty.
  form->Action("AC_ChangeTab1")->trigger();
  Settle();
  ASSERT_EQ(form->Logic().SelectedNode(), nullptr);
  mark = LogCount();
  RunFrom("MI_ScriptRoot_Tree", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 0 dirs 0"}));
}

TEST_F(WindowScriptsTest, APathWithASingleQuoteReachesTheScriptIntact) {
  Script("show.txt", kShowSelection + std::string("println(Files[0].exists());"));
  WriteFile(data / "it's here.txt", "");
  Open();
  Go(data.Path());
  SelectRows({"it's here.txt"});
  const std::size_t mark = LogCount();
  RunFrom("MI_ScriptRoot_File", "show");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"files 1 dirs 0", "F " + data / "it's here.txt", "true"}));
}

TEST_F(WindowScriptsTest, OutputBecomesLogLinesOnlyAtACompleteLineEnd) {
  Script("out.txt", "print('abc'); print(\"def\\n\"); print('tail');");
  Script("more.txt", "println('!');");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "out");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"abcdef"}));
  // The unfinished line waits for the next run's output.
  RunFrom("PM_Script", "more");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"abcdef", "tail!"}));
}

TEST_F(WindowScriptsTest, ASyntaxErrorIsLoggedAndNothingRuns) {
  Script("bad.txt", "println('ran');\nx = ;\n");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "bad");
  // The error is on the script file's line 2 (line 6 of the text with its prefix).
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"bad.txt: SyntaxError: Line( 2 ) Text( ; )"}));
  EXPECT_FALSE(form->ScriptRunning());

  // Whatever the selection adds to the prefix, the line stays the file's own.
  WriteFile(data / "one.txt", "");
  WriteFile(data / "two.txt", "");
  Go(data.Path());
  SelectRows({"one.txt", "two.txt"});
  const std::size_t again = LogCount();
  RunFrom("MI_ScriptRoot_File", "bad");
  EXPECT_EQ(LogSince(again), (std::vector<std::string>{"bad.txt: SyntaxError: Line( 2 ) Text( ; )"}));
}

TEST_F(WindowScriptsTest, AnUncaughtErrorEndsTheRunWithOneLine) {
  Script("throws.txt", "println('before');\nthrow 'x';\nprintln('after');");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "throws");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"before", "Exception: EThrow => "}));
}

TEST_F(WindowScriptsTest, AScriptFileThatCannotBeOpenedCompilesNothing) {
  Script("gone.txt", "println('ran');");
  Open();
  ASSERT_EQ(std::remove((home / "Script/gone.txt").c_str()), 0);
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "gone");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"スクリプトファイルを開けません: " + home / "Script/gone.txt" + " (" +
                                                      std::system_category().message(ENOENT) + ")"}));
}

// ---- Velko --------------------------------------------------------------------------------

TEST_F(WindowScriptsTest, MsgWritesItsFirstArgumentAsText) {
  Script("msg.txt", "Velko.Msg(12); Velko.Msg(); Velko.Msg('a', 'b'); Velko.Msg(1.5); Velko.Msg(Velko);");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "msg");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"12", "a", "1.5", "[Velkoran]"}));
}

TEST_F(WindowScriptsTest, VelkoListsItsPropertiesInDeclarationOrderAndItsMethods) {
  Script("keys.txt", "println(Velko.getProperties()); println(Velko.getMethods()); v = new Velkoran; println(v.TabCount);");
  Open();
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "keys");
  EXPECT_EQ(LogSince(mark),
            (std::vector<std::string>{
                "TabIndex\r\nMainBarPosition\r\nSubBarPosition\r\nMainBarMax\r\nSubBarMax\r\nTabCount\r\nFileBufferIndex",
                "AddToFileBuffer\r\nChangeTab\r\ngetKeys\r\ngetMethods\r\ngetProperties\r\nhasKey\r\nMsg\r\n"
                "ShowFileBuffer\r\ntoString\r\nUpdateFileList\r\nUpdateTree",
                "1"}));
}

TEST_F(WindowScriptsTest, ChangeTabWithOneAndWithTwoTabs) {
  Script("tab.txt",
         "Velko.ChangeTab(1); Velko.ChangeTab(); Velko.ChangeTab(-1);\n"
         "println(Velko.TabIndex + '/' + Velko.TabCount);");
  Script("back.txt", "Velko.ChangeTab('0'); println(Velko.TabIndex);");
  Script("readonly.txt", "Velko.TabIndex = 1;");
  Open();
  std::size_t mark = LogCount();
  RunFrom("PM_Script", "tab");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"0/1"}));

  form->Action("AC_MakeNewTab")->trigger();
  mark = LogCount();
  RunFrom("PM_Script", "tab");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"1/2"}));
  EXPECT_EQ(form->Logic().CurrentTab(), 1);
  EXPECT_EQ(Child<QTabBar>("TC_Main")->currentIndex(), 1);

  mark = LogCount();
  RunFrom("PM_Script", "back");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Child<QTabBar>("TC_Main")->currentIndex(), 0);

  mark = LogCount();
  RunFrom("PM_Script", "readonly");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"Exception: EPropertyError => get only"}));
}

TEST_F(WindowScriptsTest, AddToFileBufferTogglesWithoutRedrawingUntilShown) {
  Script("twice.txt", "Velko.AddToFileBuffer('/p/x', '/p/x'); Velko.ShowFileBuffer();");
  Script("add.txt", "Velko.AddToFileBuffer('/p/dir/', '/p/file'); Velko.Msg(Velko.FileBufferIndex);");
  Script("show.txt", "Velko.ShowFileBuffer();");
  Open();
  auto* buffer = Child<QListWidget>("LB_Buffer");
  const std::vector<std::string> before = form->Logic().Buffers().CurrentEntries();
  RunFrom("PM_Script", "twice");
  EXPECT_EQ(form->Logic().Buffers().CurrentEntries(), before);

  const int shownLines = buffer->count();
  RunFrom("PM_Script", "add");
  EXPECT_EQ(LastLog(), "0");
  EXPECT_EQ(form->Logic().Buffers().CurrentEntries(), (std::vector<std::string>{"/p/dir/", "/p/file"}));
  EXPECT_EQ(buffer->count(), shownLines);  // not redrawn yet
  RunFrom("PM_Script", "show");
  ASSERT_EQ(buffer->count(), 2);
  EXPECT_EQ(buffer->item(0)->text().toStdString(), "file");
  EXPECT_EQ(buffer->item(1)->text().toStdString(), "dir/");
}

TEST_F(WindowScriptsTest, FileBufferIndexThenShowFileBufferShowsTheFourthBuffer) {
  Script("index.txt",
         "Velko.FileBufferIndex = 3; Velko.FileBufferIndex = 12; Velko.FileBufferIndex = -1;\n"
         "println(Velko.FileBufferIndex);");
  Script("show.txt", "Velko.ShowFileBuffer();");
  Open();
  auto* label = Child<QLabel>("LB_BufferIndex");
  EXPECT_EQ(label->text().toStdString(), "1番バッファ");
  RunFrom("PM_Script", "index");
  EXPECT_EQ(LastLog(), "3");
  EXPECT_EQ(form->Logic().Buffers().Current(), 3);
  EXPECT_EQ(label->text().toStdString(), "1番バッファ");  // the display waits for ShowFileBuffer
  RunFrom("PM_Script", "show");
  EXPECT_EQ(label->text().toStdString(), "4番バッファ");
}

TEST_F(WindowScriptsTest, ProgressBarsFollowTheScript) {
  Script("bars.txt",
         "Velko.MainBarMax = 50; Velko.MainBarPosition = 25;\n"
         "println(Velko.MainBarMax + ' ' + Velko.MainBarPosition);");
  Script("range.txt",
         "Velko.SubBarMax = 10; Velko.SubBarPosition = 30; println(Velko.SubBarPosition);\n"
         "Velko.SubBarPosition = -5; println(Velko.SubBarPosition);\n"
         "Velko.SubBarPosition = 8; Velko.SubBarMax = 4; println(Velko.SubBarMax + ' ' + Velko.SubBarPosition);\n"
         "Velko.SubBarMax = -3; println(Velko.SubBarMax + ' ' + Velko.SubBarPosition);\n"
         "Velko.SubBarMax = '7'; println(Velko.SubBarMax);");
  Script("zero.txt", "Velko.SubBarMax = 0; println(Velko.SubBarMax);");
  Open();
  auto* bar = Child<QProgressBar>("PB_Main");
  // What the bar shows while the script runs: when its line reaches the log.
  int value = -1;
  int maximum = -1;
  auto* log = Child<QListWidget>("LB_Log");
  const auto watch = QObject::connect(log->model(), &QAbstractItemModel::rowsInserted, [&] {
    value = bar->value();
    maximum = bar->maximum();
  });
  RunFrom("PM_Script", "bars");
  QObject::disconnect(watch);
  EXPECT_EQ(LastLog(), "50 25");
  ASSERT_GT(maximum, 0);
  EXPECT_EQ(value * 2, maximum);  // half full
  // Once the script has ended the bar is empty again, not left with its last value.
  EXPECT_EQ(bar->value(), bar->minimum());

  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "range");
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"10", "0", "4 4", "0 0", "7"}));
  auto* sub = Child<QProgressBar>("PB_Sub");
  EXPECT_EQ(sub->value(), sub->minimum());

  // A maximum of 0 reads back as 0 and leaves the bar empty, not busy.
  RunFrom("PM_Script", "zero");
  EXPECT_EQ(LastLog(), "0");
  EXPECT_GT(sub->maximum(), sub->minimum());
  EXPECT_EQ(sub->value(), sub->minimum());
}

TEST_F(WindowScriptsTest, UpdateFileListAndUpdateTreeShowWhatTheScriptMade) {
  Script("make.txt",
         "base = Directorys[0].dirname;\n"
         "f = new File(base + 'made.txt'); f.open('w'); f.close();\n"
         "d = new Directory(base + 'newdir'); d.make();\n"
         "Velko.UpdateFileList();\n"
         "Velko.UpdateTree();");
  MakeDirs(data / "a");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data / "a");
  const DirNode* selected = form->Logic().SelectedNode();
  ASSERT_NE(selected, nullptr);
  RunFrom("MI_ScriptRoot_Tree", "make");
  EXPECT_GE(RowOf("made.txt"), 0);
  EXPECT_GE(RowOf("newdir"), 0);
  // The tree was rebuilt: the selection is the same directory, now with its new child.
  const DirNode* node = form->Logic().SelectedNode();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Path(), data / "a");
  node = form->Logic().Tree().FindNodeFromPath(data / "a/newdir", false);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->nodeName, "newdir");
}

// ---- Stopping a script and holding the window still ------------------------------------

TEST_F(WindowScriptsTest, EscEndsALoopingScriptWithAbortScript) {
  Script("loop.txt", "println('start'); while (true) { i = 1; }\nprintln('never');");
  Open();
  WhileRunning(150, [&] { PressKey(Qt::Key_Escape); });
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "loop");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"start", "Abort Script"}));
  EXPECT_FALSE(form->ScriptRunning());
  EXPECT_FALSE(form->ScriptHost().Engine().AbortRequested && form->ScriptRunning());
}

TEST_F(WindowScriptsTest, ProcessMessagesLetsEscThroughDuringALongCall) {
  // The sleep allows no poll of its own; the Esc queued meanwhile arrives in
  // processMessages, and the next statement ends the run.
  Script("wait.txt", "w = new Win32; println('go'); w.sleep(300); w.processMessages(); println('not reached');");
  Open();
  WhileRunning(20, [&] { PressKey(Qt::Key_Escape); });
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "wait");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"go", "Abort Script"}));
}

TEST_F(WindowScriptsTest, WhileAScriptRunsTheWindowRefusesToStartAnythingElse) {
  Script("busy.txt", "println('busy'); while (true) { i = 1; }");
  Script("other.txt", "println('other');");
  MakeDirs(data / "a");
  WriteFile(data / "a/f.txt", "");
  Open("TreeVisible : 1\r\nShowDirectory : 1\r\n");
  Go(data / "a");
  form->Action("AC_MakeNewTab")->trigger();  // two tabs, the first current
  Settle();
  ASSERT_EQ(form->Logic().CurrentTab(), 0);
  auto* tabs = Child<QTabBar>("TC_Main");
  auto* list = Child<QTreeView>("LV_FileList");
  const std::vector<std::string> menuBefore = Captions("PM_Script");

  bool running = false;
  WhileRunning(100, [&] {
    running = form->ScriptRunning();
    // Another script, from every menu.
    for (const char* menu : {"MI_ScriptRoot_Tree", "MI_ScriptRoot_File", "PM_Script"}) Item(menu, "other")->trigger();
    // Actions, menu items and keys that would change the tabs, the tree, the list or the buffers.
    form->Action("AC_MakeNewTab")->trigger();
    form->Action("AC_Buf3")->trigger();
    form->Action("AC_UpdateFileList")->trigger();
    Script("third.txt", "");
    form->findChild<QAction*>(QStringLiteral("MI_UpdateScriptList"))->trigger();
    QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_F2);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, QPoint(tabs->tabRect(1).right() + 20, tabs->height() / 2));
    tabs->setCurrentIndex(1);  // as a click that got through would
    PressKey(Qt::Key_Escape);
  });
  const std::size_t mark = LogCount();
  RunFrom("PM_Script", "busy");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_TRUE(running);
  EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"busy", "Abort Script"}));
  EXPECT_EQ(form->Logic().Tabs().size(), 2u);
  EXPECT_EQ(form->Logic().CurrentTab(), 0);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(form->Logic().Buffers().Current(), 0);
  EXPECT_EQ(Captions("PM_Script"), menuBefore);
  // Once the run has ended, everything works again.
  RunFrom("PM_Script", "other");
  EXPECT_EQ(LastLog(), "other");
  form->Action("AC_MakeNewTab")->trigger();
  EXPECT_EQ(form->Logic().Tabs().size(), 3u);
}

TEST_F(WindowScriptsTest, ClosingWhileAScriptRunsAbortsItAndThenCloses) {
  Script("loop.txt", "while (true) { i = 1; }");
  Open();
  WhileRunning(100, [&] { form->close(); });
  RunFrom("PM_Script", "loop");
  EXPECT_FALSE(fallbackUsed);
  EXPECT_EQ(LastLog(), "Abort Script");
  Settle();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(Exists(home / "save/setting.ini"));  // closed normally, state saved
}

// ---- After a run ----------------------------------------------------------------------

TEST_F(WindowScriptsTest, AFileLeftOpenIsClosedWhenTheRunEnds) {
  Script("hold.txt",
         "held = new File(Directorys[0].dirname + 'held.txt'); held.open('w'); held.write('data');\n"
         "keep = new Array; keep.add(held); keep.add(keep);");
  Script("again.txt",
         "f = new File(Directorys[0].dirname + 'held.txt');\n"
         "try { f.open('w'); println('opened'); f.close(); } catch (e) { println('refused ' + e); }");
  MakeDirs(data / "a");
  Open("TreeVisible : 1\r\n");
  Go(data / "a");
  const std::size_t before = form->ScriptHost().Engine().ObjectFactory().ObjectCount();
  RunFrom("MI_ScriptRoot_Tree", "hold");
  // Nothing of the script is left: not the file, not the array that holds itself.
  EXPECT_EQ(form->ScriptHost().Engine().ObjectFactory().ObjectCount(), before);
  EXPECT_EQ(ReadFile(data / "a/held.txt"), "data");
  RunFrom("MI_ScriptRoot_Tree", "again");
  EXPECT_EQ(LastLog(), "opened");
}

TEST_F(WindowScriptsTest, DialogsOfAScriptAskThroughTheWindowsQuestions) {
  Script("ask.txt", "if (confirm('sure?')) println('yes'); else println('no');");
  Open();
  questions.answers.push_back(platform::Answer::Yes);
  RunFrom("PM_Script", "ask");
  EXPECT_EQ(LastLog(), "yes");
  ASSERT_FALSE(questions.asked.empty());
  EXPECT_EQ(questions.asked.back().text, "sure?");
}

}  // namespace
}  // namespace velkoran::app
