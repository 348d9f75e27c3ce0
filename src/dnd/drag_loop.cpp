#include "dnd/drag_loop.h"

#include <QCoreApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

#include "dnd/effect_rules.h"
#include "dnd/uri_list.h"

namespace velkoran::dnd {

QString UriListMimeType() {
  return QString::fromLatin1(kUriListFormat.data(), static_cast<qsizetype>(kUriListFormat.size()));
}

Qt::DropActions QtActionsOf(std::uint32_t effects) {
  Qt::DropActions actions;
  if ((effects & kEffectCopy) != 0) actions |= Qt::CopyAction;
  if ((effects & kEffectMove) != 0) actions |= Qt::MoveAction;
  if ((effects & kEffectLink) != 0) actions |= Qt::LinkAction;
  return actions;
}

Qt::DropAction QtActionOf(std::uint32_t effect) {
  switch (FirstOperation(effect)) {
    case kEffectCopy:
      return Qt::CopyAction;
    case kEffectMove:
      return Qt::MoveAction;
    case kEffectLink:
      return Qt::LinkAction;
    default:
      return Qt::IgnoreAction;
  }
}

std::uint32_t EffectsOf(Qt::DropActions actions) {
  std::uint32_t effects = kEffectNone;
  if (actions.testFlag(Qt::CopyAction)) effects |= kEffectCopy;
  if (actions.testFlag(Qt::MoveAction)) effects |= kEffectMove;
  if (actions.testFlag(Qt::LinkAction)) effects |= kEffectLink;
  return effects;
}

bool DragReleaseWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && !answered_) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // The drag goes on while the left or the right button is still down.
    if (!(mouse->buttons() & (Qt::LeftButton | Qt::RightButton))) {
      answered_ = true;
      if (!released_()) {
        cancel_();
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

DragLoopOutcome QtDragLoop::Run(QObject* origin, std::unique_ptr<QMimeData> data, std::uint32_t allowedEffects,
                                const Hooks& hooks) {
  auto* drag = new QDrag(origin);  // Qt deletes it when the drag has ended
  drag->setMimeData(data.release());
  const QMetaObject::Connection feedback =
      QObject::connect(drag, &QDrag::actionChanged, [&hooks](Qt::DropAction action) {
        if (hooks.feedback) hooks.feedback(EffectsOf(action));
      });
  // Qt's drag loop filters the application's events from the moment it starts; the
  // watcher joins from inside the loop, so it sees the release before Qt acts on it.
  DragReleaseWatcher watcher([&hooks] { return !hooks.released || hooks.released(); }, [] { QDrag::cancel(); });
  QTimer::singleShot(0, &watcher, [&watcher] { QCoreApplication::instance()->installEventFilter(&watcher); });
  const std::uint32_t noKeyEffect = ChooseDropEffect(allowedEffects, kAllDragTypes, ShiftState{});
  const Qt::DropAction action = drag->exec(QtActionsOf(allowedEffects), QtActionOf(noKeyEffect));
  QCoreApplication::instance()->removeEventFilter(&watcher);
  QObject::disconnect(feedback);
  if (action == Qt::IgnoreAction) return DragLoopOutcome{DragLoopEnd::Cancelled, kEffectNone};
  return DragLoopOutcome{DragLoopEnd::Dropped, EffectsOf(action)};
}

}  // namespace velkoran::dnd
