// Drop targets: an event filter on a control that turns Qt's drag events into the
// target's events, with the effect chosen by the keys held (effect_rules.h) and automatic
// scrolling while the pointer rests near an edge the control scrolls over.
// TFileDropTarget delivers the dropped file paths; TRefuseDropTarget accepts nothing.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dnd/drag_drop_types.h"
#include "dnd/effect_rules.h"

class QDropEvent;
class QMimeData;
class QTimer;
class QWidget;

namespace velkoran::dnd {

class TDropTargetBase : public QObject {
 public:
  // point: in the control's client coordinates (a scroll area's viewport); effect: the
  // effect chosen so far, which the handler may change.
  using TDropTargetEvent = std::function<void(TDropTargetBase& sender, ShiftState keys, QPoint point, std::uint32_t& effect)>;
  using TNotifyEvent = std::function<void(TDropTargetBase& sender)>;

  explicit TDropTargetBase(QObject* parent = nullptr);
  ~TDropTargetBase() override;

  TDragTypes Dragtypes = kAllDragTypes;  // effects the target accepts
  bool GetDataOnEnter = false;           // read the data already when the drag enters
  TDropTargetEvent OnEnter;
  TDropTargetEvent OnDragOver;
  TNotifyEvent OnLeave;
  TDropTargetEvent OnDrop;  // after the data was read
  // Replaces the built-in effect rule when set: it is given the allowed effects and
  // answers with the effect.
  TDropTargetEvent OnGetDropEffect;

  // Makes the target receive the drags over control (a scroll area's viewport for a scroll
  // area); a target registered elsewhere is unregistered first. Null only unregisters.
  void RegisterTarget(QWidget* control);
  void UnregisterTarget();
  QWidget* Control() const { return control_; }

  bool DragInProgress() const { return inDrag_; }
  bool Scrolling() const;
  QPoint LastPoint() const { return lastPoint_; }

 protected:
  // True when the data offers a format this target reads.
  virtual bool OffersAcceptedFormat(const QMimeData& data) const = 0;
  // Reads the data; true when there was something to deliver.
  virtual bool ReadData(const QMimeData& data) = 0;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void DragEnter(QDropEvent& event);
  void DragMove(QDropEvent& event);
  void DragLeave();
  void Drop(QDropEvent& event);
  std::uint32_t ComputeEffect(const QDropEvent& event, QPoint point);
  void StopDrag();
  void ScrollTick();
  QWidget* EventWidget() const;  // the widget whose events are watched

  QPointer<QWidget> control_;
  bool controlAcceptedDrops_ = false;
  bool inDrag_ = false;
  bool dataRead_ = false;
  QPoint lastPoint_;
  ScrollDirections directions_;
  int scrollMargin_ = 0;
  QTimer* scrollTimer_ = nullptr;
};

class TFileDropTarget final : public TDropTargetBase {
 public:
  using TDropTargetBase::TDropTargetBase;

  std::vector<std::string> Files;  // the dropped paths, filled at the drop

 protected:
  bool OffersAcceptedFormat(const QMimeData& data) const override;
  bool ReadData(const QMimeData& data) override;
};

class TRefuseDropTarget final : public TDropTargetBase {
 public:
  explicit TRefuseDropTarget(QObject* parent = nullptr) : TDropTargetBase(parent) { Dragtypes = 0; }

 protected:
  bool OffersAcceptedFormat(const QMimeData&) const override { return false; }
  bool ReadData(const QMimeData&) override { return false; }
};

}  // namespace velkoran::dnd
