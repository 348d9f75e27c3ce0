// Qt's drag events as a drag from this or another program brings them to a widget, with
// a list of files as their data.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDropEvent>
#include <QMimeData>
#include <QPoint>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "dnd/uri_list.h"

namespace velkoran::testing {

inline const QString kUriList = QStringLiteral("text/uri-list");
inline constexpr Qt::DropActions kAllActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// Drag data holding these files.
inline std::unique_ptr<QMimeData> FileData(const std::vector<std::string>& paths) {
  auto data = std::make_unique<QMimeData>();
  const std::string text = dnd::EncodeFileUriList(paths);
  data->setData(kUriList, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  return data;
}

// What the widget told Qt about one event.
struct DragAnswer {
  bool accepted = false;
  Qt::DropAction action = Qt::IgnoreAction;
};

inline DragAnswer Enter(QWidget* target, QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                        Qt::DropActions offered = kAllActions) {
  QDragEnterEvent e(p, offered, data, Qt::LeftButton, keys);
  QApplication::sendEvent(target, &e);
  return {e.isAccepted(), e.dropAction()};
}

inline DragAnswer Move(QWidget* target, QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                       Qt::DropActions offered = kAllActions) {
  QDragMoveEvent e(p, offered, data, Qt::LeftButton, keys);
  QApplication::sendEvent(target, &e);
  return {e.isAccepted(), e.dropAction()};
}

inline DragAnswer Drop(QWidget* target, QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                       Qt::DropActions offered = kAllActions) {
  QDropEvent e(QPointF(p), offered, data, Qt::NoButton, keys);
  QApplication::sendEvent(target, &e);
  return {e.isAccepted(), e.dropAction()};
}

inline void Leave(QWidget* target) {
  QDragLeaveEvent e;
  QApplication::sendEvent(target, &e);
}

// A whole drag over one place: enter, a move, the drop.
inline DragAnswer DragAndDrop(QWidget* target, QPoint p, const QMimeData* data, Qt::KeyboardModifiers keys = {},
                              Qt::DropActions offered = kAllActions) {
  Enter(target, p, data, keys, offered);
  Move(target, p, data, keys, offered);
  return Drop(target, p, data, keys, offered);
}

}  // namespace velkoran::testing
