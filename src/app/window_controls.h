// The main window's controls, named as the window's design names them. TForm_Main creates
// them (and owns them through Qt's parent chain); the helpers that handle one concern of
// the window (actions, keys, drops) reach them here.
#pragma once

#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabBar;
class QTreeView;
class QWidget;

namespace velkoran::app {

class DirTreeModel;
class FileListModel;

struct WindowControls {
  QWidget* PN_LocateBar = nullptr;
  QComboBox* CB_LocateBar = nullptr;
  QPushButton* SB_Go = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QTabBar* TC_Main = nullptr;
  QSplitter* Splitter3 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTreeView* TV_Directorys = nullptr;
  QTreeView* LV_FileList = nullptr;
  QWidget* PN_FileListInfo = nullptr;
  QLabel* LB_BufferIndex = nullptr;
  QLabel* LB_TotalSize = nullptr;
  QWidget* PN_Info = nullptr;
  QSplitter* Splitter2 = nullptr;
  QListWidget* LB_Buffer = nullptr;
  QListWidget* LB_Log = nullptr;
  QWidget* PN_Progress = nullptr;
  QProgressBar* PB_Main = nullptr;
  QProgressBar* PB_Sub = nullptr;

  DirTreeModel* treeModel = nullptr;
  FileListModel* listModel = nullptr;

  // The selected rows of the file list in list order, and the focused row (-1 for none).
  std::vector<int> SelectedFileRows() const;
  int FocusedFileRow() const;
  // The location bar or a control inside it has the focus.
  bool LocationBarFocused() const;
};

}  // namespace velkoran::app
