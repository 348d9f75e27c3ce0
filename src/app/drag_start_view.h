// A tree view whose drags are started by its owner: when a pressed mouse has moved far
// enough over selected items, the view hands over instead of running Qt's item drag.
#pragma once

#include <QTreeView>
#include <functional>

namespace velkoran::app {

class DragStartTreeView final : public QTreeView {
 public:
  using QTreeView::QTreeView;

  void SetStartDragHandler(std::function<void()> handler) { startDrag_ = std::move(handler); }

 protected:
  void startDrag(Qt::DropActions) override {
    if (startDrag_) startDrag_();
  }

 private:
  std::function<void()> startDrag_;
};

}  // namespace velkoran::app
