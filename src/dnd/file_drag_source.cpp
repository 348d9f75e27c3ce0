#include "dnd/file_drag_source.h"

#include <QMimeData>
#include <QPointer>
#include <QStringList>

#include "dnd/effect_rules.h"
#include "dnd/uri_list.h"

namespace velkoran::dnd {
namespace {

// The source's paths as file URLs, made when a target asks: what the source's owner does
// at the release (removing the directories' trailing separators) is what the target reads.
class FileListMimeData final : public QMimeData {
 public:
  explicit FileListMimeData(const TFileDragSource& source) : source_(&source) {}

  QStringList formats() const override { return {UriListMimeType()}; }
  bool hasFormat(const QString& mimeType) const override { return mimeType == UriListMimeType(); }

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType) const override {
    // Nothing to offer fails every request, as does an unknown format.
    if (mimeType != UriListMimeType() || source_ == nullptr || source_->Files.empty()) return {};
    const std::string text = EncodeFileUriList(source_->Files);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
  }

 private:
  QPointer<const TFileDragSource> source_;
};

}  // namespace

TDragSourceBase::TDragSourceBase(QObject* parent, TDragLoop* loop) : QObject(parent), loop_(loop) {
  if (loop_ == nullptr) {
    ownLoop_ = std::make_unique<QtDragLoop>();
    loop_ = ownLoop_.get();
  }
}

TDragSourceBase::~TDragSourceBase() = default;

TDragResult TDragSourceBase::StartDrag(QObject* origin) {
  if (dragging_) return TDragResult::drCancel;
  dragging_ = true;
  lastEffect_ = kEffectNone;
  TDragLoop::Hooks hooks;
  hooks.feedback = [this](std::uint32_t effect) { Feedback(effect); };
  hooks.released = [this] { return Released(); };
  const DragLoopOutcome outcome = loop_->Run(origin, CreateData(), Dragtypes & kEffectOperations, hooks);
  dragging_ = false;
  return MapDragResult(outcome.end, outcome.effect, Dragtypes);
}

void TDragSourceBase::Feedback(std::uint32_t effect) {
  lastEffect_ = effect;
  if (OnFeedback) OnFeedback(*this, effect);
}

bool TDragSourceBase::Released() {
  // The drop does what the target last answered; an answer the drag does not allow, or
  // none at all, cancels.
  const std::optional<TDragType> type = DragTypeOfEffect(lastEffect_);
  if (!type || (*type & Dragtypes) == 0) return false;
  bool continueDrop = true;
  if (OnDrop) OnDrop(*this, *type, continueDrop);
  return continueDrop;
}

std::unique_ptr<QMimeData> TFileDragSource::CreateData() { return std::make_unique<FileListMimeData>(*this); }

}  // namespace velkoran::dnd
