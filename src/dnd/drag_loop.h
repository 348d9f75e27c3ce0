// The platform's modal drag loop behind a seam: the drag source hands it the data and the
// allowed effects and hears back every feedback effect and the moment the buttons are
// released. QtDragLoop runs a QDrag; tests substitute a scripted loop.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "dnd/drag_drop_types.h"

class QMimeData;

namespace velkoran::dnd {

struct DragLoopOutcome {
  DragLoopEnd end = DragLoopEnd::Cancelled;
  std::uint32_t effect = kEffectNone;  // the effect the drop reported, for a drop
};

class TDragLoop {
 public:
  struct Hooks {
    // The effect the target under the pointer answers with, whenever it changes.
    std::function<void(std::uint32_t effect)> feedback;
    // Both buttons are up: true lets the drop happen, false cancels the drag.
    std::function<bool()> released;
  };
  virtual ~TDragLoop() = default;
  // Runs the drag until it ends. The loop takes the data; origin is the object the drag
  // starts from. Esc cancels without calling released.
  virtual DragLoopOutcome Run(QObject* origin, std::unique_ptr<QMimeData> data, std::uint32_t allowedEffects,
                              const Hooks& hooks) = 0;
};

// Watches the mouse during a drag and asks, when the last of the left and right buttons
// goes up, whether to drop. A refused drop is cancelled and the release swallowed, so
// the drag ends without dropping.
class DragReleaseWatcher final : public QObject {
 public:
  DragReleaseWatcher(std::function<bool()> released, std::function<void()> cancel)
      : released_(std::move(released)), cancel_(std::move(cancel)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool()> released_;
  std::function<void()> cancel_;
  bool answered_ = false;
};

// The drag through Qt: a QDrag with the allowed effects as its actions.
class QtDragLoop final : public TDragLoop {
 public:
  DragLoopOutcome Run(QObject* origin, std::unique_ptr<QMimeData> data, std::uint32_t allowedEffects,
                      const Hooks& hooks) override;
};

// The file-list format's name as Qt's mime data takes it.
QString UriListMimeType();

// Qt's drop actions and the effects are the same bits.
Qt::DropActions QtActionsOf(std::uint32_t effects);
Qt::DropAction QtActionOf(std::uint32_t effect);  // the first operation, or IgnoreAction
std::uint32_t EffectsOf(Qt::DropActions actions);

}  // namespace velkoran::dnd
