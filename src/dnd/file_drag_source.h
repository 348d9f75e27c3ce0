// The drag source: offers data through the platform's drag loop, follows the target's
// feedback, and asks its owner once the buttons are released whether the drop may
// happen (the owner may still change what is offered then). TFileDragSource offers a
// list of paths as file URLs, rendered when a target asks for them.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dnd/drag_drop_types.h"
#include "dnd/drag_loop.h"

class QMimeData;

namespace velkoran::dnd {

class TDragSourceBase : public QObject {
 public:
  using TFeedbackEvent = std::function<void(TDragSourceBase& sender, std::uint32_t effect)>;
  using TDropEvent = std::function<void(TDragSourceBase& sender, TDragType dragType, bool& continueDrop)>;

  // loop: the drag loop to run (it must outlive the source); null runs Qt's.
  explicit TDragSourceBase(QObject* parent = nullptr, TDragLoop* loop = nullptr);
  ~TDragSourceBase() override;

  TDragTypes Dragtypes = kAllDragTypes;  // the effects the drag allows
  TFeedbackEvent OnFeedback;             // every feedback from the target
  TDropEvent OnDrop;                     // the buttons were released over a target that accepts

  // Runs the drag from origin (the widget it starts on) until it ends. A drag already
  // running is not started again (cancel).
  TDragResult StartDrag(QObject* origin);
  bool Dragging() const { return dragging_; }
  // The effect of the last feedback; also what the drop is preferred to do.
  std::uint32_t LastEffect() const { return lastEffect_; }

 protected:
  virtual std::unique_ptr<QMimeData> CreateData() = 0;

 private:
  void Feedback(std::uint32_t effect);
  bool Released();

  std::unique_ptr<TDragLoop> ownLoop_;
  TDragLoop* loop_;
  std::uint32_t lastEffect_ = kEffectNone;
  bool dragging_ = false;
};

class TFileDragSource final : public TDragSourceBase {
 public:
  using TDragSourceBase::TDragSourceBase;

  std::vector<std::string> Files;  // the paths offered, bytes in the system code page

 protected:
  std::unique_ptr<QMimeData> CreateData() override;
};

}  // namespace velkoran::dnd
