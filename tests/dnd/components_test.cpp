// The Qt components on the offscreen platform: drop targets fed with Qt's drag events,
// the drag source over a scripted drag loop, and the release watcher of Qt's loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

#include "dnd/drop_target.h"
#include "dnd/file_drag_source.h"
#include "dnd/uri_list.h"
#include "support/drag_events.h"
#include "support/qt_app.h"

namespace velkoran::dnd {
namespace {

using velkoran::testing::App;
using velkoran::testing::DragAnswer;
using velkoran::testing::FileData;
using velkoran::testing::kAllActions;
using velkoran::testing::kUriList;

// Constructed first by the fixtures, so the application stands before their widgets.
struct WithApp {
  WithApp() { App(); }
};

// A record of the target's events.
struct Seen {
  std::vector<std::string> events;  // "enter", "over", "leave", "drop"
  std::uint32_t effect = 0;         // the effect of the last event
  QPoint point;
  ShiftState keys;
  std::vector<std::string> files;
};

class DropTargetTest : public ::testing::Test, private WithApp {
 protected:
  DropTargetTest() {
    QFont font = list.font();
    font.setPixelSize(12);
    list.setFont(font);
    for (int i = 0; i < 200; ++i) list.addItem(QStringLiteral("row %1").arg(i));
    list.resize(200, 150);
    list.show();
    QApplication::processEvents();
    target.RegisterTarget(&list);
    const auto record = [this](const char* what) {
      return [this, what](TDropTargetBase&, ShiftState keys, QPoint point, std::uint32_t& effect) {
        seen.events.emplace_back(what);
        seen.effect = effect;
        seen.point = point;
        seen.keys = keys;
        seen.files = target.Files;
      };
    };
    target.OnEnter = record("enter");
    target.OnDragOver = record("over");
    target.OnDrop = record("drop");
    target.OnLeave = [this](TDropTargetBase&) { seen.events.emplace_back("leave"); };
  }
  QWidget* Viewport() { return list.viewport(); }

  // The drag events, sent to the list's viewport.
  DragAnswer Enter(QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                   Qt::DropActions offered = kAllActions) {
    return velkoran::testing::Enter(Viewport(), p, data, keys, offered);
  }
  DragAnswer Move(QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                  Qt::DropActions offered = kAllActions) {
    return velkoran::testing::Move(Viewport(), p, data, keys, offered);
  }
  DragAnswer Drop(QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                  Qt::DropActions offered = kAllActions) {
    return velkoran::testing::Drop(Viewport(), p, data, keys, offered);
  }
  void Leave() { velkoran::testing::Leave(Viewport()); }
  // Turns the event loop until the list's scroll position passes value, or 3 s went by.
  bool ScrolledPast(int value, bool down) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      const int now = list.verticalScrollBar()->value();
      if (down ? now > value : now < value) return true;
    }
    return false;
  }

  QListWidget list;
  TFileDropTarget target;
  Seen seen;
};

TEST_F(DropTargetTest, EnterOverAndDropCarryTheKeysEffectPointAndFiles) {
  const auto data = FileData({"/tmp/a b", "/tmp/dir"});
  const DragAnswer enter = Enter(QPoint(50, 60), data.get());
  EXPECT_TRUE(enter.accepted);
  EXPECT_EQ(enter.action, Qt::CopyAction);
  ASSERT_EQ(seen.events, (std::vector<std::string>{"enter"}));
  EXPECT_EQ(seen.effect, kEffectCopy);
  EXPECT_EQ(seen.point, QPoint(50, 60));
  EXPECT_TRUE(seen.files.empty()) << "the data is read at the drop";

  EXPECT_EQ(Move(QPoint(51, 61), data.get(), Qt::ShiftModifier).action, Qt::MoveAction);
  EXPECT_EQ(seen.effect, kEffectMove);
  EXPECT_TRUE(seen.keys.shift);
  EXPECT_EQ(Move(QPoint(52, 62), data.get(), Qt::ControlModifier).action, Qt::CopyAction);

  const DragAnswer drop = Drop(QPoint(53, 63), data.get(), Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_TRUE(drop.accepted);
  EXPECT_EQ(drop.action, Qt::LinkAction);
  EXPECT_EQ(seen.events.back(), "drop");
  EXPECT_EQ(seen.effect, kEffectLink);
  EXPECT_EQ(seen.point, QPoint(53, 63));
  EXPECT_EQ(seen.files, (std::vector<std::string>{"/tmp/a b", "/tmp/dir"}));
  EXPECT_FALSE(target.DragInProgress());
}

TEST_F(DropTargetTest, DataWithoutLocalFilesDeliversNothing) {
  // No URL list at all: refused at the door.
  QMimeData text;
  text.setText(QStringLiteral("/tmp/a"));
  EXPECT_FALSE(Enter(QPoint(10, 50), &text).accepted);
  EXPECT_FALSE(Move(QPoint(11, 50), &text).accepted);
  EXPECT_TRUE(seen.events.empty());

  // A URL list of web addresses: welcome until the drop finds no file in it.
  QMimeData web;
  web.setData(kUriList, "http://example.com/a\r\nfile://elsewhere/b\r\n");
  EXPECT_TRUE(Enter(QPoint(10, 50), &web).accepted);
  EXPECT_FALSE(Drop(QPoint(10, 50), &web).accepted);
  EXPECT_EQ(seen.events, (std::vector<std::string>{"enter"}));
  EXPECT_TRUE(target.Files.empty());
}

TEST_F(DropTargetTest, AnotherProgramsFileUrlsArriveAsBytes) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromUtf8("/tmp/日本 語#1.txt")), QUrl(QStringLiteral("https://a.b/c")),
                QUrl::fromLocalFile(QStringLiteral("/tmp/100%"))});
  Enter(QPoint(10, 50), &data);
  EXPECT_TRUE(Drop(QPoint(10, 50), &data).accepted);
  EXPECT_EQ(seen.files, (std::vector<std::string>{"/tmp/\xe6\x97\xa5\xe6\x9c\xac \xe8\xaa\x9e#1.txt", "/tmp/100%"}));
}

TEST_F(DropTargetTest, TheAcceptedTypesLimitTheEffect) {
  target.Dragtypes = dtMove;
  const auto data = FileData({"/m"});
  // A source that only copies finds nothing to do here.
  EXPECT_FALSE(Enter(QPoint(10, 50), data.get(), {}, Qt::CopyAction).accepted);
  EXPECT_EQ(seen.events, (std::vector<std::string>{"enter"})) << "the enter is told all the same";
  EXPECT_EQ(seen.effect, kEffectNone);
  // Any key moves when moving is all that is taken.
  EXPECT_EQ(Enter(QPoint(10, 50), data.get(), Qt::ControlModifier).action, Qt::MoveAction);
  EXPECT_EQ(Drop(QPoint(10, 50), data.get(), Qt::ShiftModifier | Qt::ControlModifier).action, Qt::MoveAction);
  EXPECT_EQ(seen.effect, kEffectMove);
}

TEST_F(DropTargetTest, AnEffectHandlerReplacesTheRuleAndDataCanBeReadOnEnter) {
  target.GetDataOnEnter = true;
  target.OnGetDropEffect = [](TDropTargetBase&, ShiftState, QPoint, std::uint32_t& effect) {
    EXPECT_EQ(effect, kEffectCopy | kEffectLink);  // what both sides allow
    effect = kEffectLink;
  };
  const auto data = FileData({"/early"});
  EXPECT_EQ(Enter(QPoint(10, 2), data.get(), {}, Qt::CopyAction | Qt::LinkAction).action, Qt::LinkAction);
  EXPECT_EQ(seen.files, std::vector<std::string>{"/early"});
  EXPECT_EQ(seen.effect, kEffectLink) << "no scroll flag: the handler's answer stands";
  EXPECT_EQ(Drop(QPoint(10, 50), data.get(), {}, Qt::CopyAction | Qt::LinkAction).action, Qt::LinkAction);
}

TEST_F(DropTargetTest, RestingNearTheBottomOrTopScrollsLineByLine) {
  const auto data = FileData({"/s"});
  const int height = Viewport()->height();
  Enter(QPoint(20, height / 2), data.get());
  Move(QPoint(20, height / 2), data.get());
  EXPECT_FALSE(target.Scrolling());
  EXPECT_EQ(seen.effect, kEffectCopy);

  // Within one font height (12 px) of the bottom edge.
  const int start = list.verticalScrollBar()->value();
  Move(QPoint(20, height - 6), data.get());
  EXPECT_EQ(seen.effect, kEffectCopy | kEffectScroll);
  EXPECT_TRUE(target.Scrolling());
  ASSERT_TRUE(ScrolledPast(start + 1, true)) << "two lines down while resting there";
  // Every tick moves exactly one line.
  const int before = list.verticalScrollBar()->value();
  ASSERT_TRUE(ScrolledPast(before, true));
  EXPECT_EQ(list.verticalScrollBar()->value(), before + 1);

  // Back in the middle the scrolling stops; near the top it goes up.
  Move(QPoint(20, height / 2), data.get());
  EXPECT_FALSE(target.Scrolling());
  Move(QPoint(20, 3), data.get());
  EXPECT_TRUE(target.Scrolling());
  const int high = list.verticalScrollBar()->value();
  ASSERT_TRUE(ScrolledPast(high, false));

  // Leaving ends it, and the leave is told.
  Leave();
  EXPECT_FALSE(target.Scrolling());
  EXPECT_EQ(seen.events.back(), "leave");
  EXPECT_FALSE(target.DragInProgress());
}

TEST_F(DropTargetTest, AListWithoutScrollBarNeverScrolls) {
  list.clear();
  list.addItem(QStringLiteral("only"));
  QApplication::processEvents();
  const auto data = FileData({"/s"});
  Enter(QPoint(20, 3), data.get());
  Move(QPoint(20, 3), data.get());
  EXPECT_EQ(seen.effect, kEffectCopy);
  EXPECT_FALSE(target.Scrolling());
}

TEST_F(DropTargetTest, RegisteringElsewhereReleasesTheFirstControl) {
  QListWidget other;
  other.show();
  target.RegisterTarget(&other);
  EXPECT_EQ(target.Control(), &other);
  EXPECT_FALSE(Viewport()->acceptDrops());
  EXPECT_TRUE(other.viewport()->acceptDrops());
  const auto data = FileData({"/r"});
  Enter(QPoint(10, 50), data.get());
  EXPECT_TRUE(seen.events.empty()) << "the first list is no target any more";
  target.RegisterTarget(nullptr);
  EXPECT_EQ(target.Control(), nullptr);
  EXPECT_FALSE(other.viewport()->acceptDrops());
}

TEST_F(DropTargetTest, TheRefusingTargetTakesNothing) {
  QWidget window;
  window.resize(100, 100);
  window.show();
  TRefuseDropTarget refuse;
  refuse.RegisterTarget(&window);
  EXPECT_TRUE(window.acceptDrops());
  const auto data = FileData({"/z"});
  for (const Qt::KeyboardModifiers keys : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
    QDragEnterEvent enter(QPoint(5, 5), kAllActions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(&window, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);
  }
}

// ---- Drag source -------------------------------------------------------------------------

// A drag loop that plays a given course: feedback effects, then Esc or a release, and
// what the target reports for the drop.
class ScriptedLoop final : public TDragLoop {
 public:
  std::vector<std::uint32_t> feedbacks;
  bool pressEsc = false;
  std::uint32_t dropReports = kEffectNone;  // what the target answers at the drop
  // Seen:
  std::uint32_t allowed = 0;
  QObject* origin = nullptr;
  std::optional<bool> releaseAnswer;
  QStringList formats;
  QByteArray rendered;  // the URL list as a target reads it after the release

  DragLoopOutcome Run(QObject* from, std::unique_ptr<QMimeData> data, std::uint32_t allowedEffects,
                      const Hooks& hooks) override {
    origin = from;
    allowed = allowedEffects;
    formats = data->formats();
    for (const std::uint32_t effect : feedbacks) hooks.feedback(effect);
    if (pressEsc) return {DragLoopEnd::Cancelled, kEffectNone};
    releaseAnswer = hooks.released();
    if (!*releaseAnswer) return {DragLoopEnd::Cancelled, kEffectNone};
    rendered = data->data(kUriList);
    return {DragLoopEnd::Dropped, dropReports};
  }
};

class DragSourceTest : public ::testing::Test, private WithApp {
 protected:
  DragSourceTest() {
    source.Files = {"/a/dir/", "/a/file"};
    source.OnDrop = [this](TDragSourceBase&, TDragType type, bool& continueDrop) {
      drops.push_back(type);
      continueDrop = letDrop;
      // The owner's part at the release: the targets get the paths without separators.
      source.Files = {"/a/dir", "/a/file"};
    };
    source.OnFeedback = [this](TDragSourceBase&, std::uint32_t effect) { feedbacks.push_back(effect); };
  }

  ScriptedLoop loop;
  TFileDragSource source{nullptr, &loop};
  QObject origin;
  std::vector<TDragType> drops;
  std::vector<std::uint32_t> feedbacks;
  bool letDrop = true;
};

TEST_F(DragSourceTest, TheReleaseAsksTheOwnerBeforeTheTargetReadsThePaths) {
  loop.feedbacks = {kEffectCopy, kEffectNone, kEffectMove | kEffectScroll};
  loop.dropReports = kEffectMove;
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drMove);
  EXPECT_EQ(loop.origin, &origin);
  EXPECT_EQ(loop.allowed, kEffectCopy | kEffectMove | kEffectLink);
  EXPECT_EQ(loop.formats, QStringList{kUriList});
  EXPECT_EQ(feedbacks, loop.feedbacks);
  EXPECT_EQ(source.LastEffect(), kEffectMove | kEffectScroll);
  EXPECT_EQ(drops, std::vector<TDragType>{dtMove});
  EXPECT_EQ(loop.rendered.toStdString(), "file:///a/dir\r\nfile:///a/file\r\n");
  // The target reporting none after it did the work itself is no drop for the source.
  loop.dropReports = kEffectNone;
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCancel);
}

TEST_F(DragSourceTest, EscOrARefusingTargetCancelWithoutAskingTheOwner) {
  loop.feedbacks = {kEffectCopy};
  loop.pressEsc = true;
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCancel);
  EXPECT_FALSE(loop.releaseAnswer.has_value());
  EXPECT_TRUE(drops.empty());

  loop.pressEsc = false;
  loop.feedbacks = {kEffectCopy, kEffectNone};
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCancel);
  EXPECT_EQ(loop.releaseAnswer, false);
  EXPECT_TRUE(drops.empty());

  // A target's answer the drag does not allow cancels as well.
  source.Dragtypes = dtCopy | dtMove;
  loop.feedbacks = {kEffectLink};
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCancel);
  EXPECT_EQ(loop.allowed, kEffectCopy | kEffectMove);
  EXPECT_TRUE(drops.empty());
}

TEST_F(DragSourceTest, TheOwnerCanStopTheDropAtTheRelease) {
  letDrop = false;
  loop.feedbacks = {kEffectLink};
  loop.dropReports = kEffectLink;
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCancel);
  EXPECT_EQ(drops, std::vector<TDragType>{dtLink});
  EXPECT_EQ(loop.releaseAnswer, false);
}

TEST_F(DragSourceTest, NothingToOfferRendersNothing) {
  source.Files.clear();
  source.OnDrop = nullptr;
  loop.feedbacks = {kEffectCopy};
  loop.dropReports = kEffectCopy;
  EXPECT_EQ(source.StartDrag(&origin), TDragResult::drCopy);
  EXPECT_TRUE(loop.rendered.isEmpty());
}

// ---- Release watcher ---------------------------------------------------------------------

TEST(DragReleaseWatcherTest, AsksOnceWhenTheLastButtonGoesUpAndCancelsARefusal) {
  App();
  int asked = 0;
  int cancelled = 0;
  bool answer = false;
  DragReleaseWatcher watcher([&] { ++asked; return answer; }, [&] { ++cancelled; });
  QWidget widget;
  widget.installEventFilter(&watcher);
  const auto release = [&](Qt::MouseButton button, Qt::MouseButtons stillDown) {
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), button, stillDown, Qt::NoModifier);
    return QApplication::sendEvent(&widget, &e);
  };
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&widget, &esc);
  release(Qt::RightButton, Qt::LeftButton);  // the left button still holds the drag
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(release(Qt::LeftButton, Qt::NoButton)) << "a refused drop swallows the release";
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(cancelled, 1);
  release(Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(asked, 1) << "one question per drag";
}

}  // namespace
}  // namespace velkoran::dnd
