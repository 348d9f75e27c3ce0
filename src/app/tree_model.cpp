#include "app/tree_model.h"

#include "app/qt_text.h"

namespace velkoran::app {

DirTreeModel::DirTreeModel(DirTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  tree_.SetObserver(this);
}

DirTreeModel::~DirTreeModel() { tree_.SetObserver(nullptr); }

DirNode* DirTreeModel::NodeOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<DirNode*>(index.internalPointer()) : nullptr;
}

QModelIndex DirTreeModel::IndexOf(const DirNode* node) const {
  if (node == nullptr) return {};
  return createIndex(node->row, 0, const_cast<DirNode*>(node));
}

QModelIndex DirTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const auto& children = tree_.ChildrenOf(NodeOf(parent));
  if (row >= static_cast<int>(children.size())) return {};
  return createIndex(row, 0, children[static_cast<std::size_t>(row)].get());
}

QModelIndex DirTreeModel::parent(const QModelIndex& child) const {
  const DirNode* node = NodeOf(child);
  if (node == nullptr || node->parent == nullptr) return {};
  return IndexOf(node->parent);
}

int DirTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(tree_.ChildrenOf(NodeOf(parent)).size());
}

int DirTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool DirTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant DirTreeModel::data(const QModelIndex& index, int role) const {
  const DirNode* node = NodeOf(index);
  if (node == nullptr) return {};
  if (role == Qt::DisplayRole) return ToQ(tree_.Caption(*node));
  if (role == Qt::EditRole) return ToQ(node->nodeName);
  return {};
}

bool DirTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  DirNode* node = NodeOf(index);
  if (node == nullptr || role != Qt::EditRole || !rename_) return false;
  return rename_(node, value.toString());
}

Qt::ItemFlags DirTreeModel::flags(const QModelIndex& index) const {
  const DirNode* node = NodeOf(index);
  if (node == nullptr) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
  if (node->renamable) f |= Qt::ItemIsEditable;
  return f;
}

void DirTreeModel::TreeAboutToReset() { beginResetModel(); }

void DirTreeModel::TreeReset() {
  endResetModel();
  if (reset_) reset_();
}

void DirTreeModel::ChildrenAboutToBeAdded(const DirNode* parent, int first, int last) {
  beginInsertRows(IndexOf(parent), first, last);
}

void DirTreeModel::ChildrenAdded(const DirNode*) { endInsertRows(); }

void DirTreeModel::NodeChanged(const DirNode* node) {
  const QModelIndex i = IndexOf(node);
  emit dataChanged(i, i);
}

void DirTreeModel::ExpansionChanged(const DirNode* node) {
  if (expansion_) expansion_(node);
}

}  // namespace velkoran::app
