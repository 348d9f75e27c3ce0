// The directory tree as a Qt item model over DirTree: one column, lazy children, the
// root captions with their separator, in-place rename where a node allows it.
#pragma once

#include <QAbstractItemModel>
#include <functional>

#include "app/logic/dir_tree.h"

namespace velkoran::app {

class DirTreeModel final : public QAbstractItemModel, public TreeObserver {
 public:
  using RenameHandler = std::function<bool(DirNode*, const QString&)>;
  using NodeHandler = std::function<void(const DirNode*)>;
  using ResetHandler = std::function<void()>;

  explicit DirTreeModel(DirTree& tree, QObject* parent = nullptr);
  ~DirTreeModel() override;

  void SetRenameHandler(RenameHandler handler) { rename_ = std::move(handler); }
  // Called after a bulk update ended and after the tree changed a node's expansion itself.
  void SetResetHandler(ResetHandler handler) { reset_ = std::move(handler); }
  void SetExpansionHandler(NodeHandler handler) { expansion_ = std::move(handler); }

  QModelIndex IndexOf(const DirNode* node) const;
  static DirNode* NodeOf(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // TreeObserver
  void TreeAboutToReset() override;
  void TreeReset() override;
  void ChildrenAboutToBeAdded(const DirNode* parent, int first, int last) override;
  void ChildrenAdded(const DirNode* parent) override;
  void NodeChanged(const DirNode* node) override;
  void ExpansionChanged(const DirNode* node) override;

 private:
  DirTree& tree_;
  RenameHandler rename_;
  ResetHandler reset_;
  NodeHandler expansion_;
};

}  // namespace velkoran::app
