#include "app/grid_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace velkoran::app {
namespace {

// Blank pixels above and below the text, so that no glyph touches the next row.
constexpr int kTextPadding = 1;

}  // namespace

RowDelegate::RowDelegate(bool gridLines, QObject* parent) : QStyledItemDelegate(parent), gridLines_(gridLines) {}

QRect RowDelegate::Inner(const QRect& cell) const { return gridLines_ ? cell.adjusted(0, 0, -1, -1) : cell; }

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  const int text = option.fontMetrics.height() + 2 * kTextPadding;
  size.setHeight(std::max(size.height(), text) + (gridLines_ ? 1 : 0));
  return size;
}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem inner(option);
  inner.rect = Inner(option.rect);
  QStyledItemDelegate::paint(painter, inner, index);
  if (!gridLines_) return;
  painter->save();
  painter->setPen(option.palette.color(QPalette::Mid));
  painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
  painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
  painter->restore();
}

QRect RowDelegate::TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  opt.rect = Inner(option.rect);
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  return style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
}

}  // namespace velkoran::app
