#include "app/form_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/drag_start_view.h"
#include "app/file_list_model.h"
#include "app/grid_delegate.h"
#include "app/qt_questions.h"
#include "app/qt_shell.h"
#include "app/qt_text.h"
#include "app/script_session.h"
#include "app/signal_bridge.h"
#include "app/tree_model.h"
#include "app/window_actions.h"
#include "app/window_drops.h"
#include "app/window_fonts.h"
#include "app/window_key_filter.h"
#include "app/logic/ui_text.h"
#include "fileops/progress_scale.h"
#include "platform/dir_helpers.h"
#include "platform/folders.h"

namespace velkoran::app {
namespace {

constexpr int kFdColumnMaxWidth = 30;
// The smallest window a saved size may give.
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;
// How often the state files are brought up to date while the window runs.
constexpr int kSaveIntervalMs = 2000;



// A monotonic millisecond counter that wraps like the system tick counter.
std::uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

TForm_Main::TForm_Main(FormDependencies deps, QWidget* parent) : QMainWindow(parent) {
  // FormCreate: the folders beside the program, created when missing.
  programDir_ = deps.programDir.empty() ? platform::ProgramDir() : platform::HostPaths().AddTrailingSeparator(deps.programDir);
  saveDir_ = programDir_ + "save/";
  scriptDir_ = programDir_ + "Script/";
  platform::ForceDirectory(saveDir_);
  platform::ForceDirectory(scriptDir_);

  if (deps.volumes == nullptr) {
    ownVolumes_ = std::make_unique<platform::HostVolumeList>();
    deps.volumes = ownVolumes_.get();
  }
  if (deps.network == nullptr) {
    ownNetwork_ = platform::CreateHostNetworkEnumeration();
    deps.network = ownNetwork_.get();
  }
  if (deps.directories == nullptr) {
    ownDirectories_ = std::make_unique<HostSubdirectorySource>();
    deps.directories = ownDirectories_.get();
  }
  if (deps.questions == nullptr) {
    ownQuestions_ = std::make_unique<QtUserQuestions>(this);
    deps.questions = ownQuestions_.get();
  }
  if (deps.shell == nullptr) {
    ownShell_ = std::make_unique<QtShell>();
    deps.shell = ownShell_.get();
  }
  tickCount_ = deps.tickCount ? std::move(deps.tickCount) : std::function<std::uint32_t()>(TickCount);
  std::function<bool()> controlKeyHeld = deps.controlKeyHeld ? std::move(deps.controlKeyHeld) : std::function<bool()>([] {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  });
  logic_ = std::make_unique<WindowLogic>(
      WindowServices{platform::HostPaths(), *deps.directories, *deps.volumes, *deps.network, *deps.questions, *deps.shell},
      *this);
  if (deps.firstStartDirectory.empty()) {
    const char* home = std::getenv("HOME");
    if (home != nullptr) deps.firstStartDirectory = home;
  }
  logic_->SetFirstStartDirectory(deps.firstStartDirectory);
  scripts_ = std::make_unique<ScriptSession>(*logic_, deps.questions, [this](bool running) {
    // A running script holds the window: the pointer says so.
    if (running) {
      centralWidget()->setCursor(Qt::BusyCursor);
      return;
    }
    centralWidget()->unsetCursor();
    if (closePending_) CloseWhenIdle();
  });

  setObjectName(QStringLiteral("TForm_Main"));
  setWindowTitle(QStringLiteral("Velkoran"));
  setFont(ProportionalFont());
  setGeometry(267, 133, 633, 550);
  BuildLayout();
  actions_ = std::make_unique<WindowActions>(*this, controls_, *logic_, *scripts_, scriptDir_, std::move(controlKeyHeld));
  ConnectViews();
  drops_ = std::make_unique<WindowDrops>(*this, controls_, *logic_, *scripts_, deps.dragLoop);

  // SIGTERM and SIGINT close the window normally from here on, also while damaged or
  // huge state files are being read (their default would end the process unsaved).
  if (deps.handleTerminationSignals) {
    signals_ = new SignalBridge([this] { close(); }, this);
  }
  logic_->LoadState(saveDir_);
  ApplySettingsToWidgets();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  connect(Timer1, &QTimer::timeout, this, &TForm_Main::TimerTick);
  // An interval of 0 switches the timer off, as it does on the target system.
  if (logic_->Settings().timerInterval > 0) {
    Timer1->start(logic_->Settings().timerInterval);
  }

  saveTimer_ = new QTimer(this);
  saveTimer_->setObjectName(QStringLiteral("saveTimer"));
  connect(saveTimer_, &QTimer::timeout, this, &TForm_Main::SaveChangedState);

  keys_ = std::make_unique<WindowKeyFilter>(*this, controls_, *actions_, *logic_, *scripts_);
}

TForm_Main::~TForm_Main() {
  keys_.reset();
  drops_.reset();
  // The views go before the logic they show.
  delete controls_.LV_FileList;
  controls_.LV_FileList = nullptr;
  delete controls_.TV_Directorys;
  controls_.TV_Directorys = nullptr;
  delete controls_.treeModel;
  controls_.treeModel = nullptr;
  delete controls_.listModel;
  controls_.listModel = nullptr;
}

QAction* TForm_Main::Action(const QString& name) const { return actions_->Action(name); }

const std::vector<QAction*>& TForm_Main::Actions() const { return actions_->Actions(); }

QMenu* TForm_Main::Menu(const QString& name) const { return actions_->Menu(name); }

bool TForm_Main::DispatchKey(const QKeyCombination& key) { return keys_->Dispatch(key); }

bool TForm_Main::ShortcutsSuspended() const { return keys_->ShortcutsSuspended(); }

bool TForm_Main::ScriptRunning() const { return scripts_->Running(); }

kestrin::TKestrin& TForm_Main::ScriptHost() { return scripts_->Interpreter(); }

void TForm_Main::TV_DirectorysStartDrag() { drops_->StartTreeDrag(); }

void TForm_Main::LV_FileListStartDrag() { drops_->StartListDrag(); }

void TForm_Main::SaveChangedState() {
  if (closing_) return;
  CollectWidgetSettings();
  std::vector<std::string> failures = logic_->SaveChangedState(saveDir_);
  if (failures != lastSaveFailures_) {
    for (const std::string& failure : failures) fprintf(stderr, "velkoran: could not save %s\n", failure.c_str());
  }
  lastSaveFailures_ = std::move(failures);
}

void TForm_Main::CloseWhenIdle() {
  closePending_ = false;
  QTimer::singleShot(0, this, [this] { close(); });
}

// ---- Layout -----------------------------------------------------------------------------

void TForm_Main::BuildLayout() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("PN_Client"));
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  controls_.PN_LocateBar = new QWidget(central);
  controls_.PN_LocateBar->setObjectName(QStringLiteral("PN_LocateBar"));
  controls_.PN_LocateBar->setFixedHeight(20);
  auto* bar = new QHBoxLayout(controls_.PN_LocateBar);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(0);
  controls_.CB_LocateBar = new QComboBox(controls_.PN_LocateBar);
  controls_.CB_LocateBar->setObjectName(QStringLiteral("CB_LocateBar"));
  controls_.CB_LocateBar->setEditable(true);
  controls_.CB_LocateBar->setInsertPolicy(QComboBox::NoInsert);
  controls_.CB_LocateBar->setFixedHeight(20);
  // Only the tree, the list and the buffer list take drops; text dropped here would be
  // a drop on the window, which is refused.
  controls_.CB_LocateBar->lineEdit()->setAcceptDrops(false);
  controls_.SB_Go = new QPushButton(Tr("行"), controls_.PN_LocateBar);
  controls_.SB_Go->setObjectName(QStringLiteral("SB_Go"));
  controls_.SB_Go->setFixedSize(23, 20);
  controls_.SB_Go->setFocusPolicy(Qt::NoFocus);
  controls_.SpeedButton2 = new QPushButton(Tr("探"), controls_.PN_LocateBar);
  controls_.SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  controls_.SpeedButton2->setFixedSize(23, 20);
  controls_.SpeedButton2->setFocusPolicy(Qt::NoFocus);
  bar->addWidget(controls_.CB_LocateBar, 1);
  bar->addWidget(controls_.SB_Go);
  bar->addWidget(controls_.SpeedButton2);
  column->addWidget(controls_.PN_LocateBar);

  controls_.TC_Main = new QTabBar(central);
  controls_.TC_Main->setObjectName(QStringLiteral("TC_Main"));
  controls_.TC_Main->setFixedHeight(23);
  controls_.TC_Main->setExpanding(false);
  controls_.TC_Main->setDrawBase(false);
  controls_.TC_Main->setFocusPolicy(Qt::NoFocus);
  controls_.TC_Main->setContextMenuPolicy(Qt::CustomContextMenu);
  controls_.TC_Main->installEventFilter(this);
  column->addWidget(controls_.TC_Main);

  controls_.Splitter3 = new QSplitter(Qt::Vertical, central);
  controls_.Splitter3->setObjectName(QStringLiteral("Splitter3"));
  controls_.Splitter3->setHandleWidth(3);
  controls_.Splitter3->setChildrenCollapsible(false);

  controls_.Splitter1 = new QSplitter(Qt::Horizontal, controls_.Splitter3);
  controls_.Splitter1->setObjectName(QStringLiteral("Splitter1"));
  controls_.Splitter1->setHandleWidth(3);
  controls_.Splitter1->setChildrenCollapsible(false);

  auto* tree = new DragStartTreeView(controls_.Splitter1);
  tree->SetStartDragHandler([this] { TV_DirectorysStartDrag(); });
  controls_.TV_Directorys = tree;
  controls_.TV_Directorys->setObjectName(QStringLiteral("TV_Directorys"));
  controls_.TV_Directorys->setFont(FixedFont());
  controls_.TV_Directorys->setHeaderHidden(true);
  controls_.TV_Directorys->setIndentation(19);
  controls_.TV_Directorys->setUniformRowHeights(true);
  controls_.TV_Directorys->setSelectionMode(QAbstractItemView::SingleSelection);
  controls_.TV_Directorys->setSelectionBehavior(QAbstractItemView::SelectRows);
  controls_.TV_Directorys->setEditTriggers(QAbstractItemView::SelectedClicked);
  controls_.TV_Directorys->setMouseTracking(true);  // hot tracking
  controls_.TV_Directorys->setAttribute(Qt::WA_Hover);
  controls_.TV_Directorys->setContextMenuPolicy(Qt::CustomContextMenu);
  controls_.TV_Directorys->setAutoScroll(true);
  controls_.TV_Directorys->setDragEnabled(true);
  {
    // The selection stays visible when the tree loses the focus.
    QPalette p = controls_.TV_Directorys->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    controls_.TV_Directorys->setPalette(p);
  }

  auto* list = new DragStartTreeView(controls_.Splitter1);
  list->SetStartDragHandler([this] { LV_FileListStartDrag(); });
  controls_.LV_FileList = list;
  controls_.LV_FileList->setObjectName(QStringLiteral("LV_FileList"));
  controls_.LV_FileList->setFont(FixedFont());
  controls_.LV_FileList->setRootIsDecorated(false);
  controls_.LV_FileList->setItemsExpandable(false);
  controls_.LV_FileList->setUniformRowHeights(true);
  controls_.LV_FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  controls_.LV_FileList->setSelectionBehavior(QAbstractItemView::SelectRows);
  controls_.LV_FileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  controls_.LV_FileList->setAllColumnsShowFocus(true);
  controls_.LV_FileList->setDragEnabled(true);
  controls_.LV_FileList->setContextMenuPolicy(Qt::CustomContextMenu);
  controls_.LV_FileList->setItemDelegate(new RowDelegate(true, controls_.LV_FileList));
  controls_.LV_FileList->header()->setStretchLastSection(false);
  controls_.LV_FileList->header()->setSectionsClickable(true);
  controls_.LV_FileList->header()->setSectionsMovable(false);
  controls_.LV_FileList->header()->setDefaultSectionSize(50);
  controls_.LV_FileList->header()->setMinimumSectionSize(0);
  controls_.LV_FileList->header()->setSortIndicatorShown(true);

  controls_.Splitter1->addWidget(controls_.TV_Directorys);
  controls_.Splitter1->addWidget(controls_.LV_FileList);
  controls_.Splitter1->setStretchFactor(0, 0);
  controls_.Splitter1->setStretchFactor(1, 1);

  auto* bottom = new QWidget(controls_.Splitter3);
  bottom->setObjectName(QStringLiteral("PN_Bottom"));
  auto* bottomColumn = new QVBoxLayout(bottom);
  bottomColumn->setContentsMargins(0, 0, 0, 0);
  bottomColumn->setSpacing(0);

  controls_.PN_FileListInfo = new QWidget(bottom);
  controls_.PN_FileListInfo->setObjectName(QStringLiteral("PN_FileListInfo"));
  controls_.PN_FileListInfo->setFixedHeight(13);
  auto* info = new QHBoxLayout(controls_.PN_FileListInfo);
  info->setContentsMargins(2, 0, 2, 0);
  info->setSpacing(8);
  controls_.LB_BufferIndex = new QLabel(controls_.PN_FileListInfo);
  controls_.LB_BufferIndex->setObjectName(QStringLiteral("LB_BufferIndex"));
  controls_.LB_BufferIndex->setFont(FixedFont());
  controls_.LB_TotalSize = new QLabel(controls_.PN_FileListInfo);
  controls_.LB_TotalSize->setObjectName(QStringLiteral("LB_TotalSize"));
  controls_.LB_TotalSize->setFont(FixedFont());
  info->addWidget(controls_.LB_BufferIndex);
  info->addWidget(controls_.LB_TotalSize, 1);
  bottomColumn->addWidget(controls_.PN_FileListInfo);

  controls_.PN_Info = new QWidget(bottom);
  controls_.PN_Info->setObjectName(QStringLiteral("PN_Info"));
  auto* infoLayout = new QHBoxLayout(controls_.PN_Info);
  infoLayout->setContentsMargins(0, 0, 0, 0);
  controls_.Splitter2 = new QSplitter(Qt::Horizontal, controls_.PN_Info);
  controls_.Splitter2->setObjectName(QStringLiteral("Splitter2"));
  controls_.Splitter2->setHandleWidth(3);
  controls_.Splitter2->setChildrenCollapsible(false);
  controls_.LB_Buffer = new QListWidget(controls_.Splitter2);
  controls_.LB_Buffer->setObjectName(QStringLiteral("LB_Buffer"));
  controls_.LB_Buffer->setFont(FixedFont());
  controls_.LB_Buffer->setSelectionMode(QAbstractItemView::ExtendedSelection);
  controls_.LB_Buffer->setContextMenuPolicy(Qt::CustomContextMenu);
  controls_.LB_Buffer->addItem(Tr("ファイルバッファ"));
  controls_.LB_Log = new QListWidget(controls_.Splitter2);
  controls_.LB_Log->setObjectName(QStringLiteral("LB_Log"));
  controls_.LB_Log->setFont(FixedFont());
  controls_.LB_Log->setContextMenuPolicy(Qt::CustomContextMenu);
  controls_.LB_Log->setUniformItemSizes(true);
  controls_.LB_Log->setItemDelegate(new RowDelegate(false, controls_.LB_Log));
  controls_.TV_Directorys->setItemDelegate(new RowDelegate(false, controls_.TV_Directorys));
  controls_.LB_Buffer->setItemDelegate(new RowDelegate(false, controls_.LB_Buffer));
  controls_.LB_Log->addItem(Tr("処理ログ"));
  controls_.LB_Log->viewport()->installEventFilter(this);
  controls_.Splitter2->addWidget(controls_.LB_Buffer);
  controls_.Splitter2->addWidget(controls_.LB_Log);
  controls_.Splitter2->setStretchFactor(0, 0);
  controls_.Splitter2->setStretchFactor(1, 1);
  infoLayout->addWidget(controls_.Splitter2);
  bottomColumn->addWidget(controls_.PN_Info, 1);

  controls_.Splitter3->addWidget(controls_.Splitter1);
  controls_.Splitter3->addWidget(bottom);
  controls_.Splitter3->setStretchFactor(0, 1);
  controls_.Splitter3->setStretchFactor(1, 0);
  column->addWidget(controls_.Splitter3, 1);

  controls_.PN_Progress = new QWidget(central);
  controls_.PN_Progress->setObjectName(QStringLiteral("PN_Progress"));
  controls_.PN_Progress->setFixedHeight(9);
  auto* progress = new QHBoxLayout(controls_.PN_Progress);
  progress->setContentsMargins(0, 0, 0, 0);
  progress->setSpacing(0);
  controls_.PB_Main = new QProgressBar(controls_.PN_Progress);
  controls_.PB_Main->setObjectName(QStringLiteral("PB_Main"));
  controls_.PB_Sub = new QProgressBar(controls_.PN_Progress);
  controls_.PB_Sub->setObjectName(QStringLiteral("PB_Sub"));
  for (QProgressBar* pb : {controls_.PB_Main, controls_.PB_Sub}) {
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    pb->setFixedHeight(9);
  }
  progress->addWidget(controls_.PB_Main);
  progress->addWidget(controls_.PB_Sub, 1);
  controls_.PN_Progress->installEventFilter(this);  // PN_ProgressResize
  column->addWidget(controls_.PN_Progress);

  setCentralWidget(central);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

// ---- Views -----------------------------------------------------------------------------

void TForm_Main::ConnectViews() {
  controls_.treeModel = new DirTreeModel(logic_->Tree(), this);
  controls_.treeModel->SetRenameHandler([this](DirNode* node, const QString& text) { return logic_->RenameTreeNode(node, FromQ(text)); });
  controls_.treeModel->SetResetHandler([this] { SyncTreeView(); });
  controls_.treeModel->SetExpansionHandler([this](const DirNode* node) {
    ++syncingTree_;
    controls_.TV_Directorys->setExpanded(controls_.treeModel->IndexOf(node), node->expanded);
    --syncingTree_;
  });
  controls_.TV_Directorys->setModel(controls_.treeModel);
  connect(controls_.TV_Directorys, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (syncingTree_ == 0) logic_->TreeNodeExpanded(DirTreeModel::NodeOf(index));
  });
  connect(controls_.TV_Directorys, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (syncingTree_ == 0) logic_->TreeNodeCollapsed(DirTreeModel::NodeOf(index));
  });
  connect(controls_.TV_Directorys->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (syncingTree_ == 0) logic_->SelectTreeNode(DirTreeModel::NodeOf(current));
          });
  connect(controls_.TV_Directorys, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupPaneMenu(KeyFocus::Tree, controls_.TV_Directorys->viewport()->mapToGlobal(pos)); });

  controls_.listModel = new FileListModel(logic_->List(), this);
  controls_.listModel->SetRenameHandler([this](int row, const QString& text) { return logic_->RenameFile(row, FromQ(text)); });
  controls_.LV_FileList->setModel(controls_.listModel);
  connect(controls_.LV_FileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { logic_->UpdateInfoLine(SelectedFileRows()); });
  connect(controls_.LV_FileList, &QAbstractItemView::doubleClicked, this, [this] { logic_->OpenFile(SelectedFileRows()); });
  connect(controls_.LV_FileList->header(), &QHeaderView::sectionClicked, this, [this](int column) { logic_->SortByColumn(column); });
  connect(controls_.LV_FileList->header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    const auto& columns = logic_->List().Columns();
    if (column >= 0 && column < static_cast<int>(columns.size()) && columns[static_cast<std::size_t>(column)] == ColumnKind::FileDirectory &&
        size > kFdColumnMaxWidth) {
      controls_.LV_FileList->header()->resizeSection(column, kFdColumnMaxWidth);
    }
  });
  connect(controls_.LV_FileList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupPaneMenu(KeyFocus::List, controls_.LV_FileList->viewport()->mapToGlobal(pos)); });

  connect(controls_.LB_Buffer, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupPaneMenu(KeyFocus::Buffer, controls_.LB_Buffer->mapToGlobal(pos)); });
  connect(controls_.LB_Log, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupPaneMenu(KeyFocus::Log, controls_.LB_Log->mapToGlobal(pos)); });
  connect(controls_.TC_Main, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { actions_->MainMenu()->popup(controls_.TC_Main->mapToGlobal(pos)); });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { actions_->MainMenu()->popup(mapToGlobal(pos)); });
  connect(controls_.TC_Main, &QTabBar::currentChanged, this, [this](int index) {
    if (scripts_->Running()) {
      TabsChanged();  // the tabs stay as the script leaves them
      return;
    }
    if (index >= 0 && index != logic_->CurrentTab()) {
      logic_->SelectTab(index);
      TabsChanged();  // a refused change returns the bar to the current tab
    }
  });

  connect(controls_.SB_Go, &QPushButton::clicked, this, [this] { actions_->GoToLocationBarText(); });
  connect(controls_.SpeedButton2, &QPushButton::clicked, this, [this] { logic_->UpdateInfoLine(SelectedFileRows()); });
}

void TForm_Main::PopupPaneMenu(KeyFocus pane, const QPoint& globalPos) {
  if (QMenu* menu = actions_->PaneMenu(pane)) menu->popup(globalPos);
}

void TForm_Main::ApplyColumns() {
  QHeaderView* header = controls_.LV_FileList->header();
  controls_.listModel->Refilled();
  const auto& columns = logic_->List().Columns();
  for (std::size_t i = 0; i < columns.size(); ++i) header->resizeSection(static_cast<int>(i), DefaultColumnWidth(columns[i]));
  const std::vector<int>& widths = logic_->Settings().gridWidths;
  for (std::size_t i = 0; i < columns.size() && i < widths.size(); ++i) {
    const int w = widths[i];
    const int section = static_cast<int>(i);
    if (w >= 0) {
      header->resizeSection(section, w);
    } else if (w == -1) {
      controls_.LV_FileList->resizeColumnToContents(section);
    } else if (w == -2) {
      header->resizeSection(section, header->sectionSizeHint(section));
    }
    // Widths below -2 cannot be applied and are ignored.
  }
  ShowSortIndicator();
}

int TForm_Main::DefaultColumnWidth(ColumnKind kind) const {
  // Wide enough for what the column shows: names, twelve-digit byte counts, sizes with
  // their unit, paths.
  const QFontMetrics metrics(controls_.LV_FileList->font());
  const int padding = 2 * metrics.averageCharWidth() + 2;
  switch (kind) {
    case ColumnKind::FileDirectory: return kFdColumnMaxWidth;
    case ColumnKind::SizeBytes: return metrics.horizontalAdvance(QStringLiteral("999999999999")) + padding;
    case ColumnKind::SizeWhole:
    case ColumnKind::SizeDecimal: return metrics.horizontalAdvance(QStringLiteral("1023.99M")) + padding;
    case ColumnKind::Name:
    case ColumnKind::DirPath:
    default: return metrics.averageCharWidth() * 32 + padding;
  }
}

void TForm_Main::ShowSortIndicator() {
  // The first column of the sort key's kind carries the arrow.
  const FileList& list = logic_->List();
  const auto& columns = list.Columns();
  int section = -1;
  for (std::size_t i = 0; i < columns.size() && section < 0; ++i) {
    if (static_cast<std::uint8_t>(columns[i]) == list.SortType()) section = static_cast<int>(i);
  }
  controls_.LV_FileList->header()->setSortIndicator(section, list.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TForm_Main::ApplySettingsToWidgets() {
  const WindowSettings& s = logic_->Settings();  // numbers already within their ranges
  // Saved bounds may come from another screen or a damaged file: the window always
  // shows whole on a screen that is there now.
  std::vector<Geometry> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    screens.push_back(Geometry{r.x(), r.y(), r.width(), r.height()});
  }
  const Geometry bounds = FitOnScreens(s.window, screens, kMinimumWidth, kMinimumHeight);
  move(bounds.left, bounds.top);
  resize(std::max(1, bounds.width), std::max(1, bounds.height));
  controls_.TV_Directorys->setVisible(s.treeVisible);
  const int treeWidth = std::min(s.treeWidth, width());
  controls_.Splitter1->setSizes({treeWidth, std::max(1, width() - treeWidth - 3)});
  const int infoHeight = std::min(s.infoHeight, height());
  controls_.Splitter3->setSizes({std::max(1, height() - infoHeight - 13 - 3), infoHeight + 13});
  const int logWidth = std::min(s.logWidth, width());
  controls_.Splitter2->setSizes({std::max(1, width() - logWidth - 3), logWidth});
  ApplyColumns();
  actions_->RebuildShortcutMenus();
}

void TForm_Main::CollectWidgetSettings() {
  WindowSettings& s = logic_->Settings();
  if (controls_.TV_Directorys->isVisible()) s.treeWidth = controls_.TV_Directorys->width();
  s.infoHeight = controls_.PN_Info->height();
  s.logWidth = controls_.LB_Log->width();
  s.gridWidths.clear();
  for (int i = 0; i < controls_.listModel->columnCount(); ++i) s.gridWidths.push_back(controls_.LV_FileList->header()->sectionSize(i));
}

void TForm_Main::SyncTreeView() {
  ++syncingTree_;
  const std::function<void(const DirNode&)> expand = [&](const DirNode& n) {
    if (!n.expanded) return;
    controls_.TV_Directorys->setExpanded(controls_.treeModel->IndexOf(&n), true);
    for (const auto& c : n.children) expand(*c);
  };
  for (const auto& root : logic_->Tree().Roots()) expand(*root);
  ApplyTreeSelection(logic_->SelectedNode());
  if (hasPendingTop_) {
    hasPendingTop_ = false;
    if (pendingTop_ != nullptr) controls_.TV_Directorys->scrollTo(controls_.treeModel->IndexOf(pendingTop_), QAbstractItemView::PositionAtTop);
    pendingTop_ = nullptr;
  }
  --syncingTree_;
}

void TForm_Main::ApplyTreeSelection(const DirNode* node) {
  ++syncingTree_;
  auto* sm = controls_.TV_Directorys->selectionModel();
  if (node == nullptr) {
    sm->clear();
  } else {
    const QModelIndex index = controls_.treeModel->IndexOf(node);
    // Scrolling to a node inside a collapsed branch would open that branch in the view
    // alone; only a node the tree shows is scrolled to.
    bool shown = true;
    for (const DirNode* p = node->parent; p != nullptr; p = p->parent) shown = shown && p->expanded;
    const bool autoScroll = controls_.TV_Directorys->hasAutoScroll();
    controls_.TV_Directorys->setAutoScroll(false);
    sm->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    controls_.TV_Directorys->setAutoScroll(autoScroll);
    if (shown) controls_.TV_Directorys->scrollTo(index);
  }
  --syncingTree_;
}

// ---- WindowView ------------------------------------------------------------------------

void TForm_Main::AppendLog(std::string_view line) {
  const QString text = ToQ(ShownText(line));
  auto* item = new QListWidgetItem(text);
  // A line wider than the log can be read whole in its tooltip.
  if (controls_.LB_Log->fontMetrics().horizontalAdvance(text) > controls_.LB_Log->viewport()->width()) item->setToolTip(text);
  controls_.LB_Log->addItem(item);
  controls_.LB_Log->setCurrentRow(controls_.LB_Log->count() - 1);
}

// The logic keeps the values; the bars show them.
void TForm_Main::SetProgressMaximum(fileops::ProgressBar bar, std::uint64_t) { ShowProgress(bar); }

void TForm_Main::SetProgressPosition(fileops::ProgressBar bar, std::uint64_t) { ShowProgress(bar); }

void TForm_Main::ShowProgress(fileops::ProgressBar bar) {
  const WindowLogic::ProgressValues& state = logic_->Progress(bar);
  QProgressBar* pb = bar == fileops::ProgressBar::Main ? controls_.PB_Main : controls_.PB_Sub;
  const fileops::IntProgress scaled = fileops::ScaleProgress(state.maximum, state.position);
  // An empty range (an empty file, a script's maximum of 0) has nothing to show; the bar
  // stays empty rather than turning into the animated busy indicator.
  pb->setMaximum(std::max(1, scaled.maximum));
  pb->setValue(scaled.position);
}

void TForm_Main::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void TForm_Main::SetMainWindowEnabled(bool enabled) {
  // Disabling takes the focus from the controls; it goes back where it was, so that the
  // keyboard works on after a transfer without a click.
  if (!enabled) {
    QWidget* focus = QApplication::focusWidget();
    focusBeforeDisable_ = focus != nullptr && centralWidget()->isAncestorOf(focus) ? focus : nullptr;
  }
  // The progress strip stays enabled: its bars matter exactly while the rest is disabled.
  for (QWidget* part : centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (part != controls_.PN_Progress) part->setEnabled(enabled);
  }
  if (enabled && focusBeforeDisable_ != nullptr) {
    if (focusBeforeDisable_->isVisible() && focusBeforeDisable_->isEnabled()) focusBeforeDisable_->setFocus();
    focusBeforeDisable_ = nullptr;
  }
  if (enabled && closePending_) CloseWhenIdle();
}

void TForm_Main::SetMainWindowCaption(std::string_view caption) { setWindowTitle(ToQ(caption)); }

void TForm_Main::SetLocationText(std::string_view text) {
  controls_.CB_LocateBar->setEditText(ToQ(text));
  controls_.CB_LocateBar->lineEdit()->end(false);
}

void TForm_Main::ShowTreeSelection(const DirNode* node) {
  // During a bulk update the model is being reset; the selection is applied afterwards.
  if (logic_->Tree().InUpdate()) return;
  ApplyTreeSelection(node);
}

const DirNode* TForm_Main::TopTreeNode() const {
  if (logic_->Tree().InUpdate() && hasPendingTop_) return pendingTop_;
  return DirTreeModel::NodeOf(controls_.TV_Directorys->indexAt(QPoint(1, 1)));
}

void TForm_Main::SetTopTreeNode(const DirNode* node) {
  if (logic_->Tree().InUpdate()) {
    pendingTop_ = node;
    hasPendingTop_ = true;
    return;
  }
  if (node != nullptr) controls_.TV_Directorys->scrollTo(controls_.treeModel->IndexOf(node), QAbstractItemView::PositionAtTop);
}

void TForm_Main::FocusTreeIfVisible() {
  if (controls_.TV_Directorys->isVisible()) controls_.TV_Directorys->setFocus();
}

void TForm_Main::TabsChanged() {
  const QSignalBlocker block(controls_.TC_Main);
  const auto& tabs = logic_->Tabs();
  while (controls_.TC_Main->count() > static_cast<int>(tabs.size())) controls_.TC_Main->removeTab(controls_.TC_Main->count() - 1);
  while (controls_.TC_Main->count() < static_cast<int>(tabs.size())) controls_.TC_Main->addTab(QString());
  // A directory name's "&" is shown as it is, not taken for a mnemonic.
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    controls_.TC_Main->setTabText(static_cast<int>(i),
                                  ToQ(ShownText(tabs[i].caption)).replace(QLatin1Char('&'), QStringLiteral("&&")));
    controls_.TC_Main->setTabToolTip(static_cast<int>(i), ToQ(ShownText(logic_->TabPath(static_cast<int>(i)))));
  }
  controls_.TC_Main->setCurrentIndex(logic_->CurrentTab());
}

void TForm_Main::FileListRefilled() {
  controls_.listModel->Refilled();
  controls_.LV_FileList->scrollToTop();
  auto* sm = controls_.LV_FileList->selectionModel();
  sm->clearSelection();
  if (controls_.listModel->rowCount() > 0) sm->setCurrentIndex(controls_.listModel->index(0, 0), QItemSelectionModel::NoUpdate);
}

void TForm_Main::FileListSorted(const std::vector<int>& newIndexOfOld) {
  controls_.listModel->Resorted(newIndexOfOld);
  ShowSortIndicator();
}

void TForm_Main::FileRowChanged(int row) { controls_.listModel->RowChanged(row); }

void TForm_Main::FocusFileRow(int row) {
  const QModelIndex index = controls_.listModel->index(row, 0);
  controls_.LV_FileList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  controls_.LV_FileList->scrollTo(index);
}

void TForm_Main::ShowInfoLine(std::string_view text) {
  infoLine_ = ToQ(text);
  controls_.LB_TotalSize->setText(infoLine_);
}

// The transfer's status takes the info line's place while the transfer runs.
void TForm_Main::ShowTransferStatus(std::string_view text) {
  controls_.LB_TotalSize->setText(text.empty() ? infoLine_ : ToQ(text));
}

void TForm_Main::ShowBuffer(const std::vector<std::string>& lines, std::string_view indexCaption) {
  controls_.LB_Buffer->clear();
  for (const std::string& line : lines) controls_.LB_Buffer->addItem(ToQ(ShownText(line)));
  controls_.LB_BufferIndex->setText(ToQ(indexCaption));
}

void TForm_Main::TreeVisibilityChanged(bool visible) { controls_.TV_Directorys->setVisible(visible); }

// ---- Timer -----------------------------------------------------------------------------

void TForm_Main::TimerTick() {
  if (isVisible() && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    logic_->Settings().savedGeometry = Geometry{x(), y(), width(), height()};
  }
  keys_->UpdateShortcutSuspension();
  // Resting the pointer on another tab switches to it; never behind an open dialog or menu.
  const std::uint32_t now = tickCount_();
  if (scripts_->Running() || QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) {
    hover_.Restart(now);
    return;
  }
  // Only a pointer that is really over the tab row counts: not one over another window
  // that covers it, nor the place where the row of a minimised window would be.
  const QPoint pointer = QCursor::pos();
  QWidget* under = QApplication::widgetAt(pointer);
  const bool overTabs = !isMinimized() && isVisible() && under != nullptr && (under == controls_.TC_Main || controls_.TC_Main->isAncestorOf(under));
  const int tab = overTabs ? controls_.TC_Main->tabAt(controls_.TC_Main->mapFromGlobal(pointer)) : -1;
  const bool pointerMoved = pointer != hoverPointer_;
  hoverPointer_ = pointer;
  const int chosen = hover_.Step(tab, logic_->CurrentTab(), now,
                                 static_cast<std::uint32_t>(std::max(0, logic_->Settings().mouseTabChangingTime)),
                                 pointerMoved);
  if (chosen >= 0) logic_->SelectTab(chosen);
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Resize:
      if (watched == controls_.PN_Progress) {
        controls_.PB_Main->setFixedWidth(controls_.PN_Progress->width() / 2);  // PN_ProgressResize
      }
      break;
    case QEvent::MouseButtonPress:
      if (watched == controls_.LB_Log->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        controls_.LB_Log->clear();  // LB_LogMouseDown
      }
      break;
    case QEvent::MouseButtonDblClick:
      if (watched == controls_.TC_Main && controls_.TC_Main->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint()) < 0) {
        logic_->NewTab();
        return true;
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::mouseDoubleClickEvent(QMouseEvent* event) {
  logic_->NewTab();
  QMainWindow::mouseDoubleClickEvent(event);
}

void TForm_Main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // FormShow.
  logic_->Show();
  actions_->FillLauncherList();
  actions_->RebuildScriptMenus();
  scripts_->RegisterApplicationClass();
  // Only a shown window has sizes worth keeping.
  saveTimer_->start(kSaveIntervalMs);
}

void TForm_Main::closeEvent(QCloseEvent* event) {
  if (scripts_->Running()) {
    // The script ends at its next statement; the window closes once it has.
    scripts_->Abort();
    closePending_ = true;
    event->ignore();
    return;
  }
  logic_->RequestBreak();  // a survey or copy in progress stops at its next step
  if (!logic_->WindowEnabled()) {
    // A transfer is running; the window closes as soon as it has ended.
    closePending_ = true;
    event->ignore();
    return;
  }
  if (!closing_) {
    closing_ = true;
    saveTimer_->stop();
    drops_->WindowClosing();
    // FormDestroy: the current tab's state, then the four files.
    logic_->Close();
    CollectWidgetSettings();
    for (const std::string& failure : logic_->SaveState(saveDir_)) {
      fprintf(stderr, "velkoran: could not save %s\n", failure.c_str());
    }
  }
  event->accept();
}
}  // namespace velkoran::app
