// The file list as a flat Qt item model over FileList. Cell texts are made only for the
// rows the view paints; a refill is one model reset and a re-sort one layout change.
#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <vector>

#include "app/logic/file_list.h"

namespace velkoran::app {

class FileListModel final : public QAbstractItemModel {
 public:
  using RenameHandler = std::function<bool(int row, const QString&)>;

  explicit FileListModel(FileList& list, QObject* parent = nullptr);

  void SetRenameHandler(RenameHandler handler) { rename_ = std::move(handler); }

  // The rows were replaced.
  void Refilled();
  // The rows were re-sorted; newIndexOfOld maps every old row to its new place, so
  // selection and focus follow their rows.
  void Resorted(const std::vector<int>& newIndexOfOld);
  void RowChanged(int row);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  FileList& list_;
  RenameHandler rename_;
};

}  // namespace velkoran::app
