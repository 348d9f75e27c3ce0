#include "app/file_list_model.h"

#include "app/qt_text.h"

namespace velkoran::app {

FileListModel::FileListModel(FileList& list, QObject* parent) : QAbstractItemModel(parent), list_(list) {}

void FileListModel::Refilled() {
  beginResetModel();
  endResetModel();
}

void FileListModel::Resorted(const std::vector<int>& newIndexOfOld) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& i : from) {
    const int r = i.row();
    if (r >= 0 && r < static_cast<int>(newIndexOfOld.size())) {
      to.append(index(newIndexOfOld[static_cast<std::size_t>(r)], i.column()));
    } else {
      to.append(QModelIndex());
    }
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::RowChanged(int row) {
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QModelIndex FileListModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || row >= list_.RowCount() || column >= columnCount()) return {};
  return createIndex(row, column);
}

QModelIndex FileListModel::parent(const QModelIndex&) const { return {}; }

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : list_.RowCount(); }

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.Columns().size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || (role == Qt::EditRole && index.column() == 0)) {
    return ToQ(list_.CellText(index.row(), index.column()));
  }
  return {};
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != 0 || role != Qt::EditRole || !rename_) return false;
  return rename_(index.row(), value.toString());
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  return ToQ(FileList::Caption(list_.Columns()[static_cast<std::size_t>(section)]));
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
  if (index.column() == 0) f |= Qt::ItemIsEditable;
  return f;
}

}  // namespace velkoran::app
