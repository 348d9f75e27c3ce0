#include "app/window_controls.h"

#include <QApplication>
#include <QComboBox>
#include <QTreeView>
#include <algorithm>

namespace velkoran::app {

std::vector<int> WindowControls::SelectedFileRows() const {
  std::vector<int> rows;
  const QModelIndexList selected = LV_FileList->selectionModel()->selectedRows(0);
  rows.reserve(static_cast<std::size_t>(selected.size()));
  for (const QModelIndex& i : selected) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int WindowControls::FocusedFileRow() const {
  const QModelIndex current = LV_FileList->selectionModel()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

bool WindowControls::LocationBarFocused() const {
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && (focus == CB_LocateBar || CB_LocateBar->isAncestorOf(focus));
}

}  // namespace velkoran::app
