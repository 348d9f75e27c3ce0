// Rows of the file list and of the log: tall enough for the font's full height (the tails
// of p, g, j and the underscore) plus, in the list, the grid line drawn below each row,
// which the text never shares.
#pragma once

#include <QStyledItemDelegate>

namespace velkoran::app {

class RowDelegate final : public QStyledItemDelegate {
 public:
  // gridLines: the report view's lines between cells, right and below.
  explicit RowDelegate(bool gridLines, QObject* parent = nullptr);

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Where the cell's text is painted in a cell with this option.
  QRect TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

 private:
  // The part of the cell that is no grid line.
  QRect Inner(const QRect& cell) const;

  bool gridLines_;
};

}  // namespace velkoran::app
