#include "app/window_drops.h"

#include <QListWidget>
#include <QTimer>
#include <QTreeView>
#include <initializer_list>

#include "app/logic/window_logic.h"
#include "app/script_session.h"
#include "app/tree_model.h"
#include "app/window_controls.h"
#include "dnd/drag_paths.h"
#include "dnd/drop_target.h"
#include "dnd/file_drag_source.h"

namespace velkoran::app {
namespace {

// How long work a drop started waits before it looks again whether the window is free.
constexpr int kDropRetryMs = 100;

}  // namespace

WindowDrops::WindowDrops(QWidget& window, const WindowControls& controls, WindowLogic& logic, const ScriptSession& scripts,
                         dnd::TDragLoop* dragLoop)
    : c_(controls), logic_(logic), scripts_(scripts) {
  FileDragSource1 = new dnd::TFileDragSource(this, dragLoop);
  RegisterDropTargets(window);
}

WindowDrops::~WindowDrops() {
  for (dnd::TDropTargetBase* target : std::initializer_list<dnd::TDropTargetBase*>{DFT_Tree, DFT_File, DFT_Buffer, RefuseDropTarget1}) {
    target->UnregisterTarget();
  }
}

void WindowDrops::RegisterDropTargets(QWidget& window) {
  using namespace dnd;
  // FileDragSource1Drop: the targets receive every path without a trailing separator.
  FileDragSource1->Dragtypes = dtCopy | dtMove | dtLink;
  FileDragSource1->OnDrop = [](TDragSourceBase& source, TDragType, bool&) {
    RemoveTrailingSeparators(static_cast<TFileDragSource&>(source).Files, platform::HostPaths());
  };

  DFT_Tree = new TFileDropTarget(this);
  DFT_Tree->setObjectName(QStringLiteral("DFT_Tree"));
  DFT_Tree->Dragtypes = dtCopy | dtMove | dtLink;
  // Every drag starts afresh, so the node under the pointer is selected even when it was
  // the last one of an earlier drag.
  DFT_Tree->OnEnter = [this](TDropTargetBase&, ShiftState, QPoint point, std::uint32_t&) {
    treeDragOverPath_.clear();
    TreeDragOver(point);
  };
  DFT_Tree->OnDragOver = [this](TDropTargetBase&, ShiftState, QPoint point, std::uint32_t&) { TreeDragOver(point); };
  DFT_Tree->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint, std::uint32_t& effect) {  // DFT_TreeDrop
    // The destination is the node dropped on now, even if the work waits for a running
    // transfer while the selection moves on.
    RunAfterDrop([this, files = DFT_Tree->Files, operation = effect, destination = logic_.DropDestination()] {
      logic_.DropOnTree(files, operation, destination);
    });
    effect = kEffectNone;  // what DropOnTree reports: the source never deletes anything itself
  };
  DFT_Tree->RegisterTarget(c_.TV_Directorys);

  DFT_File = new TFileDropTarget(this);
  DFT_File->setObjectName(QStringLiteral("DFT_File"));
  DFT_File->Dragtypes = dtCopy | dtMove | dtLink;
  DFT_File->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint point, std::uint32_t& effect) {  // DFT_FileDrop
    const bool onRow = c_.LV_FileList->indexAt(point).isValid();
    RunAfterDrop([this, files = DFT_File->Files, operation = effect, onRow, destination = logic_.DropDestination()] {
      logic_.DropOnList(files, operation, onRow, destination);
    });
    // The window transfers by itself (or, onto a row, not at all): a source told "moved"
    // could delete what it still holds.
    effect = kEffectNone;
  };
  DFT_File->RegisterTarget(c_.LV_FileList);

  DFT_Buffer = new TFileDropTarget(this);
  DFT_Buffer->setObjectName(QStringLiteral("DFT_Buffer"));
  DFT_Buffer->Dragtypes = dtMove;
  DFT_Buffer->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint, std::uint32_t& effect) {  // DFT_BufferDrop
    logic_.DropOnBuffer(DFT_Buffer->Files);
    // The buffer only notes the paths; nothing was moved.
    effect = kEffectNone;
  };
  DFT_Buffer->RegisterTarget(c_.LB_Buffer);

  RefuseDropTarget1 = new TRefuseDropTarget(this);
  RefuseDropTarget1->setObjectName(QStringLiteral("RefuseDropTarget1"));
  RefuseDropTarget1->RegisterTarget(&window);
}

void WindowDrops::StartTreeDrag() {
  std::vector<std::string> paths = logic_.TreeDragPaths();
  if (paths.empty()) return;
  FileDragSource1->Files = std::move(paths);
  FileDragSource1->StartDrag(c_.TV_Directorys);
}

void WindowDrops::StartListDrag() {
  std::vector<std::string> paths = logic_.ListDragPaths(c_.SelectedFileRows());
  if (paths.empty()) return;
  FileDragSource1->Files = std::move(paths);
  FileDragSource1->StartDrag(c_.LV_FileList);
}

void WindowDrops::TreeDragOver(QPoint point) {
  DirNode* node = DirTreeModel::NodeOf(c_.TV_Directorys->indexAt(point));
  if (node == nullptr) return;
  // Nodes are told apart by path: a refresh may have replaced the one seen last.
  std::string path = node->Path();
  if (path == treeDragOverPath_) return;
  treeDragOverPath_ = std::move(path);
  // Selecting lists the node and shows its path in the location bar.
  logic_.SelectTreeNode(node);
}

void WindowDrops::RunAfterDrop(std::function<void()> work) {
  // Not inside the drop event: the program the files came from hears at once that the
  // drop is over instead of waiting for the whole copy, and the transfer's questions and
  // event processing do not run inside the drag machinery.
  QTimer::singleShot(0, this, [this, work = std::move(work)] { RunDropWork(work); });
}

void WindowDrops::RunDropWork(std::function<void()> work) {
  if (closing_) return;
  if (scripts_.Running() || !logic_.WindowEnabled() || dropWorkRunning_) {
    // One operation at a time: the drop waits for the running transfer or script.
    QTimer::singleShot(kDropRetryMs, this, [this, work = std::move(work)] { RunDropWork(work); });
    return;
  }
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } running{dropWorkRunning_};
  work();
}

}  // namespace velkoran::app
