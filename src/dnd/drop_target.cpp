#include "dnd/drop_target.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QFontInfo>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include "dnd/drag_loop.h"
#include "dnd/uri_list.h"

namespace velkoran::dnd {
namespace {

constexpr int kScrollIntervalMs = 100;

ShiftState KeysOf(Qt::KeyboardModifiers modifiers) {
  return ShiftState{modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier)};
}

// Tells Qt (and through it the source) the effect: an operation accepts the drag with
// that action, none refuses it.
void Report(QDropEvent& event, std::uint32_t effect) {
  const Qt::DropAction action = QtActionOf(effect);
  event.setDropAction(action);
  if (action == Qt::IgnoreAction) {
    event.ignore();
  } else {
    event.accept();
  }
}

// A scroll bar counts when it is shown; one hidden for want of content scrolls nothing.
bool Shown(const QScrollBar* bar, const QWidget* area) { return bar != nullptr && bar->isVisibleTo(area); }

}  // namespace

TDropTargetBase::TDropTargetBase(QObject* parent) : QObject(parent), scrollTimer_(new QTimer(this)) {
  scrollTimer_->setInterval(kScrollIntervalMs);
  connect(scrollTimer_, &QTimer::timeout, this, [this] { ScrollTick(); });
}

TDropTargetBase::~TDropTargetBase() { UnregisterTarget(); }

QWidget* TDropTargetBase::EventWidget() const {
  if (control_ == nullptr) return nullptr;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(control_.data())) return area->viewport();
  return control_;
}

void TDropTargetBase::RegisterTarget(QWidget* control) {
  UnregisterTarget();
  if (control == nullptr) return;
  control_ = control;
  QWidget* watched = EventWidget();
  controlAcceptedDrops_ = watched->acceptDrops();
  watched->setAcceptDrops(true);
  watched->installEventFilter(this);
}

void TDropTargetBase::UnregisterTarget() {
  StopDrag();
  if (QWidget* watched = EventWidget()) {
    watched->removeEventFilter(this);
    watched->setAcceptDrops(controlAcceptedDrops_);
  }
  control_ = nullptr;
}

bool TDropTargetBase::Scrolling() const { return scrollTimer_->isActive(); }

bool TDropTargetBase::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EventWidget()) {
    switch (event->type()) {
      case QEvent::DragEnter:
        DragEnter(static_cast<QDropEvent&>(*event));
        return true;
      case QEvent::DragMove:
        DragMove(static_cast<QDropEvent&>(*event));
        return true;
      case QEvent::DragLeave:
        DragLeave();
        return true;
      case QEvent::Drop:
        Drop(static_cast<QDropEvent&>(*event));
        return true;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

std::uint32_t TDropTargetBase::ComputeEffect(const QDropEvent& event, QPoint point) {
  const std::uint32_t offered = EffectsOf(event.possibleActions());
  const ShiftState keys = KeysOf(event.modifiers());
  if (OnGetDropEffect) {
    std::uint32_t effect = offered & Dragtypes;
    OnGetDropEffect(*this, keys, point, effect);
    return effect;
  }
  const std::uint32_t effect = ChooseDropEffect(offered, Dragtypes, keys);
  const QWidget* area = EventWidget();
  return WithScrollFlag(effect, EdgesNear(point.x(), point.y(), area->width(), area->height(), scrollMargin_, directions_));
}

void TDropTargetBase::DragEnter(QDropEvent& event) {
  StopDrag();
  lastPoint_ = event.position().toPoint();
  const QMimeData* data = event.mimeData();
  if (data == nullptr || !OffersAcceptedFormat(*data)) {
    Report(event, kEffectNone);
    return;
  }
  inDrag_ = true;
  directions_ = {};
  if (auto* area = qobject_cast<QAbstractScrollArea*>(control_.data())) {
    directions_.horizontal = Shown(area->horizontalScrollBar(), area);
    directions_.vertical = Shown(area->verticalScrollBar(), area);
  }
  // One text line of the control: the pixel height of its font.
  scrollMargin_ = QFontInfo(control_->font()).pixelSize();
  dataRead_ = GetDataOnEnter && ReadData(*data);
  std::uint32_t effect = ComputeEffect(event, lastPoint_);
  if (OnEnter) OnEnter(*this, KeysOf(event.modifiers()), lastPoint_, effect);
  Report(event, effect);
}

void TDropTargetBase::DragMove(QDropEvent& event) {
  if (!inDrag_) {
    Report(event, kEffectNone);
    return;
  }
  lastPoint_ = event.position().toPoint();
  std::uint32_t effect = ComputeEffect(event, lastPoint_);
  if (OnDragOver) OnDragOver(*this, KeysOf(event.modifiers()), lastPoint_, effect);
  // The handler may have ended the drag (a control that went away).
  if (!inDrag_) {
    Report(event, kEffectNone);
    return;
  }
  if (directions_.Any() && (effect & kEffectScroll) != 0) {
    if (!scrollTimer_->isActive()) scrollTimer_->start();
  } else {
    scrollTimer_->stop();
  }
  Report(event, effect);
}

void TDropTargetBase::DragLeave() {
  StopDrag();
  if (OnLeave) OnLeave(*this);
}

void TDropTargetBase::Drop(QDropEvent& event) {
  if (!inDrag_ || event.mimeData() == nullptr) {
    StopDrag();
    Report(event, kEffectNone);
    return;
  }
  scrollTimer_->stop();
  lastPoint_ = event.position().toPoint();
  std::uint32_t effect = ComputeEffect(event, lastPoint_);
  const bool read = GetDataOnEnter ? dataRead_ : ReadData(*event.mimeData());
  // A drop with nothing to deliver, or with no operation the keys allow, does nothing.
  if (read && (effect & kEffectOperations) != 0) {
    if (OnDrop) OnDrop(*this, KeysOf(event.modifiers()), lastPoint_, effect);
  } else {
    effect = kEffectNone;
  }
  StopDrag();
  Report(event, effect);
}

void TDropTargetBase::StopDrag() {
  scrollTimer_->stop();
  inDrag_ = false;
  dataRead_ = false;
}

void TDropTargetBase::ScrollTick() {
  auto* area = qobject_cast<QAbstractScrollArea*>(control_.data());
  if (!inDrag_ || area == nullptr) {
    scrollTimer_->stop();
    return;
  }
  const QWidget* viewport = area->viewport();
  const ScrollEdges edges =
      EdgesNear(lastPoint_.x(), lastPoint_.y(), viewport->width(), viewport->height(), scrollMargin_, directions_);
  if (edges.LineStep() != 0) {
    area->verticalScrollBar()->triggerAction(edges.LineStep() < 0 ? QAbstractSlider::SliderSingleStepSub
                                                                  : QAbstractSlider::SliderSingleStepAdd);
  }
  if (edges.ColumnStep() != 0) {
    area->horizontalScrollBar()->triggerAction(edges.ColumnStep() < 0 ? QAbstractSlider::SliderSingleStepSub
                                                                      : QAbstractSlider::SliderSingleStepAdd);
  }
}

bool TFileDropTarget::OffersAcceptedFormat(const QMimeData& data) const { return data.hasFormat(UriListMimeType()); }

bool TFileDropTarget::ReadData(const QMimeData& data) {
  const QByteArray text = data.data(UriListMimeType());
  Files = DecodeFileUriList(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  return !Files.empty();
}

}  // namespace velkoran::dnd
