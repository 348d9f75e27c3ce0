// Drag and drop in the window on the offscreen platform: Qt's drag events sent to the
// panes' viewports as a drag from this or another program would bring them, and drags
// from the tree and the list run through a scripted drag loop.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "app/tree_model.h"
#include "dnd/drag_loop.h"
#include "dnd/uri_list.h"
#include "support/drag_events.h"
#include "window_fixture.h"

namespace velkoran::app {
namespace {

using testing::Exists;
using testing::MakeDirs;
using testing::NoSlash;
using testing::ReadFile;
using testing::Settle;
using testing::WriteFile;
using velkoran::testing::DragAndDrop;
using velkoran::testing::DragAnswer;
using velkoran::testing::Drop;
using velkoran::testing::Enter;
using velkoran::testing::FileData;
using velkoran::testing::kUriList;
using velkoran::testing::Move;

// A drag loop whose course the test writes.
class FunctionLoop final : public dnd::TDragLoop {
 public:
  std::function<dnd::DragLoopOutcome(QMimeData&, const Hooks&)> course;
  int runs = 0;
  dnd::DragLoopOutcome Run(QObject*, std::unique_ptr<QMimeData> data, std::uint32_t, const Hooks& hooks) override {
    ++runs;
    return course ? course(*data, hooks) : dnd::DragLoopOutcome{};
  }
};

// The tree shows and the list lists directories too.
const std::string kTreeAndDirectories = "TreeVisible : 1\r\nShowDirectory : 1\r\n";

class WindowDndTest : public testing::WindowFixture {
 protected:
  ~WindowDndTest() override { CloseWindow(); }  // the window uses the drag loop
  FormDependencies Dependencies() override {
    FormDependencies deps = WindowFixture::Dependencies();
    deps.dragLoop = &loop;
    return deps;
  }
  QListWidget* Buffer() { return Child<QListWidget>("LB_Buffer"); }
  // The centre of the tree's row for path; the node must be shown.
  QPoint TreePoint(const std::string& path) {
    const DirNode* node = form->Logic().Tree().FindNodeFromPath(path, false);
    EXPECT_NE(node, nullptr) << path;
    auto* model = static_cast<DirTreeModel*>(Tree()->model());
    return Tree()->visualRect(model->IndexOf(node)).center();
  }
  QPoint ListRowPoint(const std::string& name) {
    return List()->visualRect(List()->model()->index(RowOf(name), 0)).center();
  }
  // A point of the list below its last row.
  QPoint ListFreePoint() { return QPoint(20, List()->viewport()->height() - 30); }
  std::vector<std::string> BufferLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < Buffer()->count(); ++i) lines.push_back(FromQ(Buffer()->item(i)->text()));
    return lines;
  }

  // The next drag runs as Qt runs a drag inside one program onto the tree: the target's
  // events come inside the loop, entering at one node and dropped on another.
  void DragOntoTheTree(const std::string& enterAt, const std::string& dropAt) {
    loop.course = [this, enterAt, dropAt](QMimeData& offered, const dnd::TDragLoop::Hooks& hooks) {
      QWidget* viewport = Tree()->viewport();
      Enter(viewport, TreePoint(enterAt), &offered);
      const DragAnswer over = Move(viewport, TreePoint(dropAt), &offered);
      hooks.feedback(dnd::EffectsOf(over.action));
      if (!hooks.released()) return dnd::DragLoopOutcome{};
      const DragAnswer drop = Drop(viewport, TreePoint(dropAt), &offered);
      return dnd::DragLoopOutcome{dnd::DragLoopEnd::Dropped, dnd::EffectsOf(drop.action)};
    };
  }

  FunctionLoop loop;
};

// ---- Drops onto the file list ------------------------------------------------------------

TEST_F(WindowDndTest, FilesDroppedOnTheListsFreeAreaAreCopiedOnceTheDropHasReturned) {
  MakeDirs(data / "src/d/inner");
  WriteFile(data / "src/f.txt", "F");
  MakeDirs(data / "dst");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  ASSERT_EQ(Selected(), data / "dst");
  const auto files = FileData({data / "src/f.txt", data / "src/d"});
  const DragAnswer drop = DragAndDrop(List()->viewport(), ListFreePoint(), files.get());
  // The source hears "nothing done to your files"; the copy has not started yet.
  EXPECT_FALSE(drop.accepted);
  EXPECT_EQ(drop.action, Qt::IgnoreAction);
  EXPECT_FALSE(Exists(data / "dst/f.txt"));
  Settle();
  EXPECT_EQ(ReadFile(data / "dst/f.txt"), "F");
  EXPECT_TRUE(Exists(data / "dst/d/inner"));
  EXPECT_TRUE(Exists(data / "src/f.txt"));
  const std::vector<std::string> log = LogSince(0);
  EXPECT_NE(std::find(log.begin(), log.end(), "コピーの準備中。"), log.end());
  // The list shows what arrived.
  EXPECT_GE(RowOf("f.txt"), 0);
  EXPECT_GE(RowOf("d"), 0);
}

TEST_F(WindowDndTest, ShiftMovesAndADropOnARowTransfersNothing) {
  MakeDirs(data / "src");
  WriteFile(data / "src/m", "M");
  MakeDirs(data / "dst");
  WriteFile(data / "dst/row", "R");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  const auto files = FileData({data / "src/m"});
  DragAndDrop(List()->viewport(), ListRowPoint("row"), files.get(), Qt::ShiftModifier);
  Settle();
  EXPECT_FALSE(Exists(data / "dst/m"));
  EXPECT_TRUE(Exists(data / "src/m"));
  DragAndDrop(List()->viewport(), ListFreePoint(), files.get(), Qt::ShiftModifier);
  Settle();
  EXPECT_EQ(ReadFile(data / "dst/m"), "M");
  EXPECT_FALSE(Exists(data / "src/m"));
}

TEST_F(WindowDndTest, ADropBesideTheColumnsNearTheListsBottomEdgeStillMoves) {
  MakeDirs(data / "src");
  WriteFile(data / "src/m", "M");
  MakeDirs(data / "dst");
  for (int i = 0; i < 150; ++i) WriteFile(data / ("dst/f" + std::to_string(i)), "");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  QWidget* viewport = List()->viewport();
  ASSERT_TRUE(List()->verticalScrollBar()->isVisible());
  // Right of the last column, within one line of the bottom: no row, and the list scrolls.
  const QPoint p(viewport->width() - 5, viewport->height() - 4);
  ASSERT_FALSE(List()->indexAt(p).isValid());
  const auto files = FileData({data / "src/m"});
  DragAndDrop(viewport, p, files.get(), Qt::ShiftModifier);
  Settle();
  EXPECT_EQ(ReadFile(data / "dst/m"), "M");
  EXPECT_FALSE(Exists(data / "src/m"));
}

TEST_F(WindowDndTest, WebAddressesAndFilesOfOtherHostsAreIgnored) {
  MakeDirs(data / "dst");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  const std::size_t logged = LogSince(0).size();
  QMimeData web;
  web.setUrls({QUrl(QStringLiteral("https://example.com/a.txt")), QUrl(QStringLiteral("file://otherhost/b"))});
  DragAndDrop(List()->viewport(), ListFreePoint(), &web);
  Settle();
  EXPECT_EQ(LogSince(0).size(), logged);
  EXPECT_EQ(form->Logic().List().RowCount(), 0);
}

// ---- Drops onto the tree -------------------------------------------------------------------

TEST_F(WindowDndTest, TheNodeUnderThePointerIsSelectedAndTakesTheDrop) {
  MakeDirs(data / "a");
  MakeDirs(data / "b");
  MakeDirs(data / "src");
  WriteFile(data / "src/t", "T");
  Open(kTreeAndDirectories);
  Go(NoSlash(data.Path()));
  const auto files = FileData({data / "src/t"});
  QWidget* viewport = Tree()->viewport();
  EXPECT_TRUE(Enter(viewport, TreePoint(data / "a"), files.get()).accepted);
  EXPECT_EQ(Selected(), data / "a");
  EXPECT_EQ(Move(viewport, TreePoint(data / "b"), files.get()).action, Qt::CopyAction);
  EXPECT_EQ(Selected(), data / "b");
  EXPECT_EQ(FromQ(Child<QComboBox>("CB_LocateBar")->currentText()), data / "b/");
  const DragAnswer drop = Drop(viewport, TreePoint(data / "b"), files.get());
  EXPECT_EQ(drop.action, Qt::IgnoreAction) << "the tree reports no effect back";
  Settle();
  EXPECT_EQ(ReadFile(data / "b/t"), "T");
  EXPECT_TRUE(Exists(data / "src/t"));
  EXPECT_EQ(FromQ(form->windowTitle()), "b");

  // The next drag over the same node selects it again, even after another was chosen.
  Go(data / "a");
  ASSERT_EQ(Selected(), data / "a");
  Enter(viewport, TreePoint(data / "b"), files.get(), Qt::ShiftModifier);
  EXPECT_EQ(Selected(), data / "b");
  Move(viewport, TreePoint(data / "b"), files.get(), Qt::ShiftModifier | Qt::ControlModifier);
  QDragLeaveEvent leave;
  QApplication::sendEvent(viewport, &leave);
  Settle();
  EXPECT_FALSE(Exists(data / "a/t"));
}

// ---- Drops onto the buffer list ------------------------------------------------------------

TEST_F(WindowDndTest, TheBufferNotesDroppedPathsAndLeavesTheFilesWhereTheyAre) {
  MakeDirs(data / "src/d");
  WriteFile(data / "src/f", "F");
  Open(kTreeAndDirectories);
  QWidget* viewport = Buffer()->viewport();
  const auto files = FileData({data / "src/d", data / "src/f"});
  // A source that only copies has nothing the buffer takes.
  EXPECT_FALSE(Enter(viewport, QPoint(10, 10), files.get(), {}, Qt::CopyAction).accepted);
  // Whatever the keys, the buffer takes a move, and tells the source nothing was moved.
  EXPECT_EQ(Enter(viewport, QPoint(10, 10), files.get(), Qt::ControlModifier).action, Qt::MoveAction);
  EXPECT_EQ(Move(viewport, QPoint(10, 10), files.get(), Qt::ControlModifier).action, Qt::MoveAction);
  EXPECT_EQ(Drop(viewport, QPoint(10, 10), files.get(), Qt::ControlModifier).action, Qt::IgnoreAction);
  EXPECT_EQ(form->Logic().Buffers().CurrentEntries(), (std::vector<std::string>{data / "src/d/", data / "src/f"}));
  EXPECT_EQ(BufferLines(), (std::vector<std::string>{"f", "d/"}));
  EXPECT_TRUE(Exists(data / "src/d"));
  EXPECT_TRUE(Exists(data / "src/f"));
  // The same drop again toggles them out.
  DragAndDrop(viewport, QPoint(10, 10), files.get());
  EXPECT_TRUE(form->Logic().Buffers().CurrentEntries().empty());
}

// ---- Elsewhere -----------------------------------------------------------------------------

TEST_F(WindowDndTest, DropsAnywhereElseOnTheWindowAreRefused) {
  Open(kTreeAndDirectories);
  auto files = FileData({data.Path()});
  files->setText(QStringLiteral("some text"));
  const std::vector<QWidget*> elsewhere{form.get(), Child<QComboBox>("CB_LocateBar")->lineEdit(),
                                        Child<QTabBar>("TC_Main"), Child<QListWidget>("LB_Log")->viewport()};
  for (QWidget* w : elsewhere) {
    EXPECT_FALSE(Enter(w, QPoint(3, 3), files.get()).accepted) << w->objectName().toStdString();
  }
  EXPECT_TRUE(form->acceptDrops()) << "the window itself is the refusing target";
}

TEST_F(WindowDndTest, ADropArrivingDuringAnotherDropsTransferWaitsForIt) {
  MakeDirs(data / "src");
  WriteFile(data / "src/one", "new");
  WriteFile(data / "src/two", "2");
  MakeDirs(data / "dst");
  WriteFile(data / "dst/one", "old");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  // The first transfer asks whether to overwrite; while it asks, the window runs its
  // events, and the second drop's transfer comes due.
  bool secondRanInsideFirst = false;
  questions.answers = {platform::Answer::Yes};
  questions.onAsk = [&] {
    QTest::qWait(300);
    secondRanInsideFirst = Exists(data / "dst/two");
  };
  const auto first = FileData({data / "src/one"});
  const auto second = FileData({data / "src/two"});
  DragAndDrop(List()->viewport(), ListFreePoint(), first.get());
  DragAndDrop(List()->viewport(), ListFreePoint(), second.get());
  Settle();
  QTest::qWait(300);
  questions.onAsk = nullptr;
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_FALSE(secondRanInsideFirst);
  EXPECT_EQ(ReadFile(data / "dst/one"), "new");
  EXPECT_EQ(ReadFile(data / "dst/two"), "2");
}

// ---- Drags from the window -----------------------------------------------------------------

TEST_F(WindowDndTest, AListDragOffersTheSelectedRowsWithoutTrailingSeparatorsAtTheDrop) {
  MakeDirs(data / "src/dir");
  WriteFile(data / "src/file", "");
  WriteFile(data / "src/other", "");
  Open(kTreeAndDirectories);
  Go(data / "src");
  auto* selection = List()->selectionModel();
  for (const char* name : {"file", "dir"}) {
    selection->select(List()->model()->index(RowOf(name), 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QByteArray before;
  QByteArray after;
  loop.course = [&](QMimeData& offered, const dnd::TDragLoop::Hooks& hooks) {
    before = offered.data(kUriList);
    hooks.feedback(dnd::kEffectCopy);
    if (!hooks.released()) return dnd::DragLoopOutcome{};
    after = offered.data(kUriList);
    return dnd::DragLoopOutcome{dnd::DragLoopEnd::Dropped, dnd::kEffectCopy};
  };
  form->LV_FileListStartDrag();
  ASSERT_EQ(loop.runs, 1);
  // In list order: the directory first (with its separator until the release).
  EXPECT_EQ(before.toStdString(), dnd::FileUrlOf(data / "src/dir/") + "\r\n" + dnd::FileUrlOf(data / "src/file") + "\r\n");
  EXPECT_EQ(after.toStdString(), dnd::FileUrlOf(data / "src/dir") + "\r\n" + dnd::FileUrlOf(data / "src/file") + "\r\n");

  // Nothing selected, nothing to drag.
  selection->clearSelection();
  form->LV_FileListStartDrag();
  EXPECT_EQ(loop.runs, 1);
}

TEST_F(WindowDndTest, PressingAndMovingOnARowStartsTheDrag) {
  WriteFile(data / "one", "");
  Open(kTreeAndDirectories);
  Go(NoSlash(data.Path()));
  QWidget* viewport = List()->viewport();
  const QPoint start = ListRowPoint("one");
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  for (int dx = 5; dx <= 40 && loop.runs == 0; dx += 5) QTest::mouseMove(viewport, start + QPoint(dx, 0));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(40, 0));
  EXPECT_EQ(loop.runs, 1);
}

TEST_F(WindowDndTest, ATreeDragDroppedOnTheTreeCopiesIntoTheNodeUnderThePointer) {
  MakeDirs(data / "from/inside");
  MakeDirs(data / "to");
  Open(kTreeAndDirectories);
  Go(data / "from");
  DragOntoTheTree(data / "from", data / "to");
  form->TV_DirectorysStartDrag();
  ASSERT_EQ(loop.runs, 1);
  Settle();
  EXPECT_TRUE(Exists(data / "to/from/inside"));
  EXPECT_TRUE(Exists(data / "from/inside"));
}

// Once seen to crash in the text caret's painting: a move across file systems stopped with
// Esc, then a drag from the list onto the tree. Run under AddressSanitizer as well (the
// sanitizer build of the suite).
TEST_F(WindowDndTest, AStoppedMoveAcrossFileSystemsThenADragFromTheListOntoTheTree) {
  char other[] = "/dev/shm/velkoran-dnd-XXXXXX";
  if (::mkdtemp(other) == nullptr) GTEST_SKIP() << "no second file system (/dev/shm) here";
  const std::string away = other;
  MakeDirs(away + "/src");
  WriteFile(away + "/src/big", std::string(8 << 20, 'm'));
  MakeDirs(data / "dst");
  MakeDirs(data / "to");
  WriteFile(data / "dst/keep", "k");
  Open(kTreeAndDirectories);
  Go(data / "dst");
  List()->setFocus();
  Settle();

  // Esc arrives while the move copies its first blocks.
  form->Logic().Buffers().Toggle(away + "/src/big");
  questions.answers = {platform::Answer::Yes};
  auto* sub = Child<QProgressBar>("PB_Sub");
  bool pressed = false;
  const auto watch = QObject::connect(sub, &QProgressBar::valueChanged, [&](int value) {
    if (pressed || value <= 0) return;
    pressed = true;
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form.get();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &esc);
  });
  form->Action("AC_MoveFromBufferInFileList")->trigger();
  QObject::disconnect(watch);
  ASSERT_TRUE(pressed);
  Settle();
  EXPECT_EQ(LastLog(1), "移動中止。");
  EXPECT_TRUE(Exists(away + "/src/big"));  // the source stays whole
  EXPECT_FALSE(Exists(data / "dst/big"));

  // Then a row of the list dragged onto a node of the tree.
  List()->selectionModel()->select(List()->model()->index(RowOf("keep"), 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  DragOntoTheTree(data / "dst", data / "to");
  form->LV_FileListStartDrag();
  ASSERT_EQ(loop.runs, 1);
  for (int i = 0; i < 20 && !Exists(data / "to/keep"); ++i) Settle();
  EXPECT_EQ(ReadFile(data / "to/keep"), "k");
  EXPECT_TRUE(Exists(data / "dst/keep"));
  std::filesystem::remove_all(away);
}

}  // namespace
}  // namespace velkoran::app
