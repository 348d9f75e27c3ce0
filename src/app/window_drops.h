// WindowDrops: drag and drop for the main window (see docs/platform-notes.md). It starts
// drags from the tree and the list, registers the drop targets on the tree, the list and
// the buffer list (and one refusing drops anywhere else on the window), and runs the work
// a drop starts once the drop event has returned and no transfer or script is running.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QPoint;
class QWidget;

namespace velkoran::dnd {
class TDragLoop;
class TFileDragSource;
class TFileDropTarget;
class TRefuseDropTarget;
}  // namespace velkoran::dnd

namespace velkoran::app {

class ScriptSession;
class WindowLogic;
struct WindowControls;

class WindowDrops final : public QObject {
 public:
  // The targets are registered at once and unregistered when this is destroyed. dragLoop:
  // the loop drags run in (null: Qt's). Everything passed must outlive this.
  WindowDrops(QWidget& window, const WindowControls& controls, WindowLogic& logic, const ScriptSession& scripts,
              dnd::TDragLoop* dragLoop);
  ~WindowDrops() override;

  // Drags from the tree (its selected directory) and from the list (its selected rows).
  void StartTreeDrag();  // TV_DirectorysStartDrag
  void StartListDrag();  // LV_FileListStartDrag

  // The window is closing: work still waiting for its turn is dropped.
  void WindowClosing() { closing_ = true; }

 private:
  void RegisterDropTargets(QWidget& window);
  void TreeDragOver(QPoint point);  // DFT_TreeDragOver
  // Work a drop starts runs after the drop event has returned, once no transfer or script
  // is running.
  void RunAfterDrop(std::function<void()> work);
  void RunDropWork(std::function<void()> work);

  const WindowControls& c_;
  WindowLogic& logic_;
  const ScriptSession& scripts_;
  dnd::TFileDragSource* FileDragSource1 = nullptr;
  dnd::TFileDropTarget* DFT_Tree = nullptr;
  dnd::TFileDropTarget* DFT_File = nullptr;
  dnd::TFileDropTarget* DFT_Buffer = nullptr;
  dnd::TRefuseDropTarget* RefuseDropTarget1 = nullptr;
  std::string treeDragOverPath_;  // the node the pointer was last over in this drag
  bool dropWorkRunning_ = false;
  bool closing_ = false;
};

}  // namespace velkoran::app
