#include "app/form_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <chrono>

#include "app/drag_start_view.h"
#include "app/file_list_model.h"
#include "app/qt_questions.h"
#include "app/qt_shell.h"
#include "app/qt_text.h"
#include "app/signal_bridge.h"
#include "app/tree_model.h"
#include "app/window_fonts.h"
#include "dnd/drag_paths.h"
#include "dnd/drop_target.h"
#include "dnd/file_drag_source.h"
#include "fileops/progress_scale.h"
#include "platform/dir_helpers.h"
#include "platform/folders.h"
#include "script/host/host_classes.h"
#include "script/kestrin.h"

namespace velkoran::app {
namespace {

constexpr int kFdColumnMaxWidth = 30;
// How long work a drop started waits before it looks again whether the window is free.
constexpr int kDropRetryMs = 100;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// Grid lines between the list's cells, as the report view draws them.
class GridDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }
};

// A monotonic millisecond counter that wraps like the system tick counter.
std::uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QKeySequence Key(QKeyCombination k) { return QKeySequence(k); }

// The key of an event as the action list compares it: the keypad's Enter is Enter.
QKeyCombination Normalised(QKeyCombination k) {
  Qt::Key key = k.key();
  if (key == Qt::Key_Enter) key = Qt::Key_Return;
  return QKeyCombination(k.keyboardModifiers() & ~Qt::KeypadModifier, key);
}

// What a person does to the window: while a script runs, none of it reaches the controls.
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

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
  controlKeyHeld_ = deps.controlKeyHeld ? std::move(deps.controlKeyHeld) : std::function<bool()>([] {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  });
  logic_ = std::make_unique<WindowLogic>(
      WindowServices{platform::HostPaths(), *deps.directories, *deps.volumes, *deps.network, *deps.questions, *deps.shell},
      *this);

  // The interpreter: host classes, dialogs through the window's questions, output to the
  // log, and the window's events handled while a script runs.
  Kestrin = std::make_unique<kestrin::TKestrin>(deps.questions, &kestrin::RegisterHostClasses);
  Kestrin->OnStdout = [this](kestrin::TKestrin&, std::string_view text) { KestrinStdout(text); };
  Kestrin->OnNewObject = [this](kestrin::TKestrin&, kestrin::TJObject& object) {
    if (auto* velko = dynamic_cast<TVelkoran*>(&object)) velko->Bind(this);
  };
  Kestrin->Engine().OnPoll = [](kestrin::TJEngine&) { QCoreApplication::processEvents(); };

  setObjectName(QStringLiteral("TForm_Main"));
  setWindowTitle(QStringLiteral("Velkoran"));
  setFont(ProportionalFont());
  setGeometry(267, 133, 633, 550);
  BuildLayout();
  BuildActions();
  for (const char* name : {"AC_OpenFile", "AC_DeleteFile", "AC_GoParent", "AC_RenameFile"}) {
    QAction* action = Action(QString::fromLatin1(name));
    singleKeyShortcuts_.emplace_back(action, action->shortcut());
  }
  BuildMenus();
  ConnectViews();
  FileDragSource1 = new dnd::TFileDragSource(this, deps.dragLoop);
  RegisterDropTargets();

  logic_->LoadState(saveDir_);
  ApplySettingsToWidgets();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  connect(Timer1, &QTimer::timeout, this, &TForm_Main::TimerTick);
  // An interval of 0 switches the timer off, as it does on the target system.
  if (logic_->Settings().timerInterval > 0) {
    Timer1->start(logic_->Settings().timerInterval);
  }

  qApp->installEventFilter(this);
  if (deps.handleTerminationSignals) {
    signals_ = new SignalBridge([this] { close(); }, this);
  }
}

TForm_Main::~TForm_Main() {
  qApp->removeEventFilter(this);
  UnregisterDropTargets();
  // The views go before the logic they show.
  delete LV_FileList;
  LV_FileList = nullptr;
  delete TV_Directorys;
  TV_Directorys = nullptr;
  delete treeModel_;
  treeModel_ = nullptr;
  delete listModel_;
  listModel_ = nullptr;
}

// ---- Layout -----------------------------------------------------------------------------

void TForm_Main::BuildLayout() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("PN_Client"));
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  PN_LocateBar = new QWidget(central);
  PN_LocateBar->setObjectName(QStringLiteral("PN_LocateBar"));
  PN_LocateBar->setFixedHeight(20);
  auto* bar = new QHBoxLayout(PN_LocateBar);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(0);
  CB_LocateBar = new QComboBox(PN_LocateBar);
  CB_LocateBar->setObjectName(QStringLiteral("CB_LocateBar"));
  CB_LocateBar->setEditable(true);
  CB_LocateBar->setInsertPolicy(QComboBox::NoInsert);
  CB_LocateBar->setFixedHeight(20);
  // Only the tree, the list and the buffer list take drops; text dropped here would be
  // a drop on the window, which is refused.
  CB_LocateBar->lineEdit()->setAcceptDrops(false);
  SB_Go = new QPushButton(Utf8("行"), PN_LocateBar);
  SB_Go->setObjectName(QStringLiteral("SB_Go"));
  SB_Go->setFixedSize(23, 20);
  SB_Go->setFocusPolicy(Qt::NoFocus);
  SpeedButton2 = new QPushButton(Utf8("探"), PN_LocateBar);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setFixedSize(23, 20);
  SpeedButton2->setFocusPolicy(Qt::NoFocus);
  bar->addWidget(CB_LocateBar, 1);
  bar->addWidget(SB_Go);
  bar->addWidget(SpeedButton2);
  column->addWidget(PN_LocateBar);

  TC_Main = new QTabBar(central);
  TC_Main->setObjectName(QStringLiteral("TC_Main"));
  TC_Main->setFixedHeight(23);
  TC_Main->setExpanding(false);
  TC_Main->setDrawBase(false);
  TC_Main->setFocusPolicy(Qt::NoFocus);
  TC_Main->setContextMenuPolicy(Qt::CustomContextMenu);
  TC_Main->installEventFilter(this);
  column->addWidget(TC_Main);

  Splitter3 = new QSplitter(Qt::Vertical, central);
  Splitter3->setObjectName(QStringLiteral("Splitter3"));
  Splitter3->setHandleWidth(3);
  Splitter3->setChildrenCollapsible(false);

  Splitter1 = new QSplitter(Qt::Horizontal, Splitter3);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);

  auto* tree = new DragStartTreeView(Splitter1);
  tree->SetStartDragHandler([this] { TV_DirectorysStartDrag(); });
  TV_Directorys = tree;
  TV_Directorys->setObjectName(QStringLiteral("TV_Directorys"));
  TV_Directorys->setFont(FixedFont());
  TV_Directorys->setHeaderHidden(true);
  TV_Directorys->setIndentation(19);
  TV_Directorys->setUniformRowHeights(true);
  TV_Directorys->setSelectionMode(QAbstractItemView::SingleSelection);
  TV_Directorys->setSelectionBehavior(QAbstractItemView::SelectRows);
  TV_Directorys->setEditTriggers(QAbstractItemView::SelectedClicked);
  TV_Directorys->setMouseTracking(true);  // hot tracking
  TV_Directorys->setAttribute(Qt::WA_Hover);
  TV_Directorys->setContextMenuPolicy(Qt::CustomContextMenu);
  TV_Directorys->setAutoScroll(true);
  TV_Directorys->setDragEnabled(true);
  {
    // The selection stays visible when the tree loses the focus.
    QPalette p = TV_Directorys->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    TV_Directorys->setPalette(p);
  }

  auto* list = new DragStartTreeView(Splitter1);
  list->SetStartDragHandler([this] { LV_FileListStartDrag(); });
  LV_FileList = list;
  LV_FileList->setObjectName(QStringLiteral("LV_FileList"));
  LV_FileList->setFont(FixedFont());
  LV_FileList->setRootIsDecorated(false);
  LV_FileList->setItemsExpandable(false);
  LV_FileList->setUniformRowHeights(true);
  LV_FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV_FileList->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV_FileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV_FileList->setAllColumnsShowFocus(true);
  LV_FileList->setDragEnabled(true);
  LV_FileList->setContextMenuPolicy(Qt::CustomContextMenu);
  LV_FileList->setItemDelegate(new GridDelegate(LV_FileList));
  LV_FileList->header()->setStretchLastSection(false);
  LV_FileList->header()->setSectionsClickable(true);
  LV_FileList->header()->setSectionsMovable(false);
  LV_FileList->header()->setDefaultSectionSize(50);
  LV_FileList->header()->setMinimumSectionSize(0);

  Splitter1->addWidget(TV_Directorys);
  Splitter1->addWidget(LV_FileList);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);

  auto* bottom = new QWidget(Splitter3);
  bottom->setObjectName(QStringLiteral("PN_Bottom"));
  auto* bottomColumn = new QVBoxLayout(bottom);
  bottomColumn->setContentsMargins(0, 0, 0, 0);
  bottomColumn->setSpacing(0);

  PN_FileListInfo = new QWidget(bottom);
  PN_FileListInfo->setObjectName(QStringLiteral("PN_FileListInfo"));
  PN_FileListInfo->setFixedHeight(13);
  auto* info = new QHBoxLayout(PN_FileListInfo);
  info->setContentsMargins(2, 0, 2, 0);
  info->setSpacing(8);
  LB_BufferIndex = new QLabel(PN_FileListInfo);
  LB_BufferIndex->setObjectName(QStringLiteral("LB_BufferIndex"));
  LB_BufferIndex->setFont(FixedFont());
  LB_TotalSize = new QLabel(PN_FileListInfo);
  LB_TotalSize->setObjectName(QStringLiteral("LB_TotalSize"));
  LB_TotalSize->setFont(FixedFont());
  info->addWidget(LB_BufferIndex);
  info->addWidget(LB_TotalSize, 1);
  bottomColumn->addWidget(PN_FileListInfo);

  PN_Info = new QWidget(bottom);
  PN_Info->setObjectName(QStringLiteral("PN_Info"));
  auto* infoLayout = new QHBoxLayout(PN_Info);
  infoLayout->setContentsMargins(0, 0, 0, 0);
  Splitter2 = new QSplitter(Qt::Horizontal, PN_Info);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));
  Splitter2->setHandleWidth(3);
  Splitter2->setChildrenCollapsible(false);
  LB_Buffer = new QListWidget(Splitter2);
  LB_Buffer->setObjectName(QStringLiteral("LB_Buffer"));
  LB_Buffer->setFont(FixedFont());
  LB_Buffer->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LB_Buffer->setContextMenuPolicy(Qt::CustomContextMenu);
  LB_Buffer->addItem(Utf8("ファイルバッファ"));
  LB_Log = new QListWidget(Splitter2);
  LB_Log->setObjectName(QStringLiteral("LB_Log"));
  LB_Log->setFont(FixedFont());
  LB_Log->setContextMenuPolicy(Qt::CustomContextMenu);
  LB_Log->setUniformItemSizes(true);
  LB_Log->addItem(Utf8("処理ログ"));
  LB_Log->viewport()->installEventFilter(this);
  Splitter2->addWidget(LB_Buffer);
  Splitter2->addWidget(LB_Log);
  Splitter2->setStretchFactor(0, 0);
  Splitter2->setStretchFactor(1, 1);
  infoLayout->addWidget(Splitter2);
  bottomColumn->addWidget(PN_Info, 1);

  Splitter3->addWidget(Splitter1);
  Splitter3->addWidget(bottom);
  Splitter3->setStretchFactor(0, 1);
  Splitter3->setStretchFactor(1, 0);
  column->addWidget(Splitter3, 1);

  PN_Progress = new QWidget(central);
  PN_Progress->setObjectName(QStringLiteral("PN_Progress"));
  PN_Progress->setFixedHeight(9);
  auto* progress = new QHBoxLayout(PN_Progress);
  progress->setContentsMargins(0, 0, 0, 0);
  progress->setSpacing(0);
  PB_Main = new QProgressBar(PN_Progress);
  PB_Main->setObjectName(QStringLiteral("PB_Main"));
  PB_Sub = new QProgressBar(PN_Progress);
  PB_Sub->setObjectName(QStringLiteral("PB_Sub"));
  for (QProgressBar* pb : {PB_Main, PB_Sub}) {
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    pb->setFixedHeight(9);
  }
  progress->addWidget(PB_Main);
  progress->addWidget(PB_Sub, 1);
  PN_Progress->installEventFilter(this);  // PN_ProgressResize
  column->addWidget(PN_Progress);

  setCentralWidget(central);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

// ---- Actions and menus -----------------------------------------------------------------

QAction* TForm_Main::AddAction(const char* name, const char* caption, const QKeySequence& key, std::function<void()> run) {
  auto* action = new QAction(Utf8(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  // Keys are matched by the window's own dispatch (an item of the focused pane's menu
  // first, then the action list); Qt's shortcut map never sees them, so two panes may use
  // the same key.
  action->setShortcutContext(Qt::WidgetShortcut);
  // While a script runs only the break and the repaint commands act.
  const bool runsDuringScript = std::string_view(name) == "AC_Break" || std::string_view(name) == "AC_Repaint";
  connect(action, &QAction::triggered, this, [this, runsDuringScript, run = std::move(run)] {
    if (scriptRunning_ && !runsDuringScript) return;
    run();
  });
  actions_.push_back(action);
  actionByName_[action->objectName()] = action;
  return action;
}

QAction* TForm_Main::AddMenuItem(QMenu* menu, QAction* action, const char* caption) {
  if (caption == nullptr) {
    menu->addAction(action);
    return action;
  }
  // The menu shows the action under a caption of its own, with the action's key.
  auto* item = new QAction(Utf8(caption), menu);
  item->setShortcut(action->shortcut());
  item->setShortcutContext(Qt::WidgetShortcut);
  item->setEnabled(action->isEnabled());
  connect(item, &QAction::triggered, action, &QAction::trigger);
  connect(action, &QAction::changed, item, [item, action] {
    item->setEnabled(action->isEnabled());
    item->setShortcut(action->shortcut());
  });
  menu->addAction(item);
  return item;
}

QMenu* TForm_Main::AddMenu(const char* name, const char* caption, QMenu* parent) {
  auto* menu = new QMenu(Utf8(caption), parent != nullptr ? static_cast<QWidget*>(parent) : this);
  menu->setObjectName(QString::fromLatin1(name));
  menuByName_[menu->objectName()] = menu;
  if (parent != nullptr) parent->addMenu(menu);
  return menu;
}

QAction* TForm_Main::Action(const QString& name) const {
  const auto it = actionByName_.find(name);
  return it == actionByName_.end() ? nullptr : it->second;
}

QMenu* TForm_Main::Menu(const QString& name) const {
  const auto it = menuByName_.find(name);
  return it == menuByName_.end() ? nullptr : it->second;
}

void TForm_Main::BuildActions() {
  WindowLogic& L = *logic_;
  const auto fkey = [](int i) { return static_cast<Qt::Key>(Qt::Key_F1 + i); };

  // The file list's actions come first: where several panes share a key, the list's
  // action answers when the focus is in no pane that has the key in its menu.
  AddAction("AC_OpenFile", "開く", Key(Qt::Key_Return), [this] { logic_->OpenFile(SelectedFileRows()); });
  AddAction("AC_DeleteFile", "削除", Key(Qt::Key_Delete), [this] { logic_->DeleteFiles(SelectedFileRows()); });
  AddAction("AC_SelectAllFile", "全て選択", Key(Qt::CTRL | Qt::Key_A), [this] { LV_FileList->selectAll(); });
  AddAction("AC_RenameFile", "名前変更", Key(Qt::Key_Backslash), [this] {
    const std::vector<int> rows = SelectedFileRows();
    if (rows.empty()) return;
    const QModelIndex index = listModel_->index(rows.front(), 0);
    LV_FileList->setCurrentIndex(index);
    LV_FileList->edit(index);
  });
  AddAction("AC_CreateDirectoryInFileList", "ディレクトリ作成", Key(Qt::CTRL | Qt::Key_K), [&L] { L.CreateDirectory(); });
  AddAction("AC_MoveFromBufferInFileList", "バッファからファイル移動", Key(Qt::CTRL | Qt::Key_X), [&L] { L.MoveFromBuffer(); });
  AddAction("AC_CopyFromBufferInFileList", "バッファからコピー", Key(Qt::CTRL | Qt::Key_C), [&L] { L.CopyFromBuffer(); });
  AddAction("AC_AddBufferFile", "バッファに追加", Key(Qt::Key_Space), [this] {
    const int next = logic_->AddFocusedFileToBuffer(FocusedFileRow());
    if (next < 0) return;
    const int focused = FocusedFileRow();
    auto* sm = LV_FileList->selectionModel();
    sm->select(listModel_->index(focused, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    const QModelIndex target = listModel_->index(next, 0);
    sm->setCurrentIndex(target, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (next == 0) {
      LV_FileList->scrollToTop();
    } else {
      // The list moves up by one line, so that repeated Space marks rows one after another
      // under a cursor that stays in place.
      QScrollBar* bar = LV_FileList->verticalScrollBar();
      const int line = LV_FileList->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                           ? 1
                           : LV_FileList->sizeHintForRow(next);
      bar->setValue(bar->value() + line);
      LV_FileList->scrollTo(target);
    }
  });
  AddAction("AC_AddBufferSelectFile", "選択アイテムをバッファに追加", Key(Qt::CTRL | Qt::Key_B),
            [this] { logic_->AddSelectedFilesToBuffer(SelectedFileRows()); });
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_AddItemToBuffer" + std::to_string(i);
    const std::string caption = std::to_string(i + 1) + "番バッファに追加";
    AddAction(name.c_str(), caption.c_str(), Key(Qt::SHIFT | fkey(i)),
              [this, i] { logic_->AddSelectedFilesToBuffer(SelectedFileRows(), i); });
  }
  AddAction("AC_GoParent", "親ディレクトリに行く", Key(Qt::Key_Backspace), [&L] { L.GoParent(); });
  AddAction("AC_UpdateFileList", "ファイルリスト更新", Key(Qt::CTRL | Qt::Key_F), [&L] { L.ListDirectory(); });

  // The tree's actions.
  AddAction("AC_DeleteTreeItem", "削除", Key(Qt::Key_Delete), [&L] { L.DeleteTreeItem(); });
  AddAction("AC_AddBufferInTree", "バッファに追加", Key(Qt::Key_Space), [&L] { L.AddTreeDirectoryToBuffer(); });
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_AddDirToBuffer" + std::to_string(i);
    const std::string caption = std::to_string(i + 1) + "番バッファに追加";
    AddAction(name.c_str(), caption.c_str(), Key(Qt::SHIFT | fkey(i)), [&L, i] { L.AddTreeDirectoryToBuffer(i); });
  }
  AddAction("AC_AddShortcutInTree", "ショートカットに追加", Key(Qt::CTRL | Qt::Key_S), [this] {
    if (logic_->AddShortcutForSelection()) RebuildShortcutMenus();
  });
  AddAction("AC_UpdateTree", "ツリー更新", Key(Qt::CTRL | Qt::Key_T), [&L] { L.UpdateTree(); });
  AddAction("AC_FullCol", "ツリーを全て閉じる", QKeySequence(), [&L] { L.CollapseWholeTree(); });

  // The buffers.
  for (int i = 0; i < kBufferCount; ++i) {
    const std::string name = "AC_Buf" + std::to_string(i);
    const std::string caption = std::to_string(i + 1) + "番バッファ";
    AddAction(name.c_str(), caption.c_str(), Key(Qt::CTRL | fkey(i)), [&L, i] { L.SelectBuffer(i); });
  }
  AddAction("AC_ClearBufferList", "全削除", Key(Qt::CTRL | Qt::Key_L), [&L] { L.ClearBuffer(); });
  AddAction("AC_DeleteFilesInBuffer", "バッファのファイルを削除", Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete),
            [&L] { L.DeleteFilesInBuffer(); });

  // Tabs, focus, break and repaint.
  AddAction("AC_MakeNewTab", "新規タブ作成", Key(Qt::CTRL | Qt::Key_N), [&L] { L.NewTab(); });
  AddAction("AC_DeleteTab", "タブ削除", Key(Qt::CTRL | Qt::Key_Q), [&L] { L.DeleteCurrentTab(); });
  for (int i = 0; i < 12; ++i) {
    const std::string name = "AC_ChangeTab" + std::to_string(i);
    AddAction(name.c_str(), "タブ変更", Key(fkey(i)), [&L, i] { L.SelectTab(i); });
  }
  AddAction("AC_GoLocateBar", "ロケーションバーに移動", Key(Qt::CTRL | Qt::ALT | Qt::Key_Up), [this] { CB_LocateBar->setFocus(); });
  AddAction("AC_GoTree", "ツリーに移動", Key(Qt::CTRL | Qt::ALT | Qt::Key_Left), [this] { TV_Directorys->setFocus(); });
  AddAction("AC_GoFileList", "ファイルリストに移動", Key(Qt::CTRL | Qt::ALT | Qt::Key_Right), [this] { LV_FileList->setFocus(); });
  AddAction("AC_GoFileBuffer", "ファイルバッファに移動", Key(Qt::CTRL | Qt::ALT | Qt::Key_Down), [this] { LB_Buffer->setFocus(); });
  AddAction("AC_Break", "処理中止", Key(Qt::Key_Escape), [this] {
    if (scriptRunning_) {
      AbortScript();
    } else {
      logic_->RequestBreak();
    }
  });
  AddAction("AC_Repaint", "再描画", Key(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { update(); repaint(); });
}

void TForm_Main::BuildMenus() {
  WindowLogic& L = *logic_;

  // The tree's menu.
  PM_DirTree = AddMenu("PM_DirTree", "");
  AddMenuItem(PM_DirTree, Action("AC_DeleteTreeItem"));
  AddMenuItem(PM_DirTree, Action("AC_AddBufferInTree"), "選択ディレクトリをバッファに追加");
  QMenu* treeToBuffer = AddMenu("MI_AddDirToBuffer", "選択ディレクトリをバッファに追加", PM_DirTree);
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(treeToBuffer, Action(QStringLiteral("AC_AddDirToBuffer%1").arg(i)));
  PM_DirTree->addSeparator();
  MI_ShortcutRoot = AddMenu("MI_ShortcutRoot", "ショートカット", PM_DirTree);
  AddMenuItem(PM_DirTree, Action("AC_AddShortcutInTree"));
  PM_DirTree->addSeparator();
  MI_ScriptRoot_Tree = AddMenu("MI_ScriptRoot_Tree", "スクリプト", PM_DirTree);
  PM_DirTree->addSeparator();
  AddMenuItem(PM_DirTree, Action("AC_UpdateTree"));
  QAction* n21 = PM_DirTree->addAction(Utf8("ディレクトリサイズ調査"), this, WhenIdle([&L] { L.CheckTreeDirectorySize(); }));
  n21->setObjectName(QStringLiteral("N21"));
  AddMenuItem(PM_DirTree, Action("AC_FullCol"));

  // The file list's menu.
  PM_File = AddMenu("PM_File", "");
  for (const char* name : {"AC_OpenFile", "AC_DeleteFile", "AC_SelectAllFile", "AC_RenameFile", "AC_CreateDirectoryInFileList"}) {
    AddMenuItem(PM_File, Action(name));
  }
  QAction* toLauncher = PM_File->addAction(Utf8("ランチャーに追加"));
  toLauncher->setObjectName(QStringLiteral("MI_AddLauncher"));
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_MoveFromBufferInFileList"));
  AddMenuItem(PM_File, Action("AC_CopyFromBufferInFileList"));
  AddMenuItem(PM_File, Action("AC_AddBufferFile"), "選択アイテムをバッファに追加(単一)");
  AddMenuItem(PM_File, Action("AC_AddBufferSelectFile"));
  QMenu* listToBuffer = AddMenu("MI_AddItemToBuffer", "選択アイテムをバッファに追加", PM_File);
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(listToBuffer, Action(QStringLiteral("AC_AddItemToBuffer%1").arg(i)));
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_GoParent"));
  PM_File->addSeparator();
  MI_ScriptRoot_File = AddMenu("MI_ScriptRoot_File", "スクリプト", PM_File);
  PM_File->addSeparator();
  AddMenuItem(PM_File, Action("AC_UpdateTree"));
  AddMenuItem(PM_File, Action("AC_UpdateFileList"));
  MI_CheckDirSize = PM_File->addAction(Utf8("ディレクトリサイズ調査"), this,
                                       WhenIdle([this] { logic_->CheckListDirectorySize(SelectedFileRows()); }));
  MI_CheckDirSize->setObjectName(QStringLiteral("MI_CheckDirSize"));
  connect(PM_File, &QMenu::aboutToShow, this, [this] {  // PM_FilePopup
    MI_CheckDirSize->setEnabled(logic_->CanCheckDirectorySize(SelectedFileRows()));
  });

  // The buffer list's menu.
  PM_Buffer = AddMenu("PM_Buffer", "");
  QAction* delete3 = PM_Buffer->addAction(Utf8("ファイルバッファから削除"), this, WhenIdle([this] {
    std::vector<int> lines;
    for (const QModelIndex& i : LB_Buffer->selectionModel()->selectedRows()) lines.push_back(i.row());
    logic_->RemoveBufferLines(lines);
  }));
  delete3->setObjectName(QStringLiteral("Delete3"));
  delete3->setShortcut(Key(Qt::Key_Delete));
  delete3->setShortcutContext(Qt::WidgetShortcut);
  AddMenuItem(PM_Buffer, Action("AC_ClearBufferList"), "ファイルバッファから全削除");
  PM_Buffer->addSeparator();
  AddMenuItem(PM_Buffer, Action("AC_DeleteFilesInBuffer"));
  PM_Buffer->addSeparator();
  for (int i = 0; i < kBufferCount; ++i) AddMenuItem(PM_Buffer, Action(QStringLiteral("AC_Buf%1").arg(i)));

  // The shortcut menu (also the log's menu) with its hidden template item.
  PM_Shortcut = AddMenu("PM_Shortcut", "");
  MI_ShortcutDummy = PM_Shortcut->addAction(Utf8("イベント用ダミー"));
  MI_ShortcutDummy->setObjectName(QStringLiteral("MI_ShortcutDummy"));
  MI_ShortcutDummy->setVisible(false);

  for (QMenu* menu : {PM_Shortcut, PM_DirTree}) {
    connect(menu, &QMenu::aboutToShow, this, [this] { listFocusedBeforeMenu_ = LV_FileList->hasFocus(); });
  }

  PM_Script = AddMenu("PM_Script", "");

  // The window's menu.
  PM_Main = AddMenu("PM_Main", "");
  AddMenuItem(PM_Main, Action("AC_MakeNewTab"));
  AddMenuItem(PM_Main, Action("AC_DeleteTab"));
  PM_Main->addSeparator();
  AddMenuItem(PM_Main, Action("AC_GoFileBuffer"));
  AddMenuItem(PM_Main, Action("AC_GoFileList"));
  AddMenuItem(PM_Main, Action("AC_GoLocateBar"));
  AddMenuItem(PM_Main, Action("AC_GoTree"));
  PM_Main->addSeparator();
  QMenu* settings = AddMenu("MI_Setting", "設定", PM_Main);
  MI_TreeVisible = settings->addAction(Utf8("ツリー表示"), this, WhenIdle([&L] { L.ToggleTreeVisible(); }));
  MI_TreeVisible->setObjectName(QStringLiteral("MI_TreeVisible"));
  MI_ShowDirInFileList =
      settings->addAction(Utf8("ファイルリストにディレクトリを表示"), this, WhenIdle([&L] { L.ToggleShowDirectory(); }));
  MI_ShowDirInFileList->setObjectName(QStringLiteral("MI_ShowDirInFileList"));
  MI_AutoUwagaki = settings->addAction(Utf8("上書き確認をしない"), this, WhenIdle([&L] { L.Engine().ToggleAutoOverwrite(); }));
  MI_AutoUwagaki->setObjectName(QStringLiteral("MI_AutoUwagaki"));
  MI_AutoExpand = settings->addAction(Utf8("自動でツリーを開く"), this, WhenIdle([&L] { L.ToggleAutoExpand(); }));
  MI_AutoExpand->setObjectName(QStringLiteral("MI_AutoExpand"));
  for (QAction* a : {MI_TreeVisible, MI_ShowDirInFileList, MI_AutoUwagaki, MI_AutoExpand}) a->setCheckable(true);
  QAction* updateScripts = settings->addAction(Utf8("スクリプトメニュー更新"), this, [this] { MI_UpdateScriptListClick(); });
  updateScripts->setObjectName(QStringLiteral("MI_UpdateScriptList"));
  // The hidden template of the script items: they share its click handler.
  MI_ScriptDummy = settings->addAction(Utf8("スクリプトダミー"));
  MI_ScriptDummy->setObjectName(QStringLiteral("MI_ScriptDummy"));
  MI_ScriptDummy->setVisible(false);
  PM_Main->addSeparator();
  QMenu* tabKeys = AddMenu("MI_TabShortcut", "タブショートカット", PM_Main);
  for (int i = 0; i < 12; ++i) AddMenuItem(tabKeys, Action(QStringLiteral("AC_ChangeTab%1").arg(i)));
  AddMenuItem(PM_Main, Action("AC_Break"));
  AddMenuItem(PM_Main, Action("AC_Repaint"));
  AddMenuItem(PM_Main, Action("AC_FullCol"));
  connect(PM_Main, &QMenu::aboutToShow, this, [this] {
    const WindowSettings& s = logic_->Settings();
    MI_TreeVisible->setChecked(s.treeVisible);
    MI_ShowDirInFileList->setChecked(s.showDirectory);
    MI_AutoUwagaki->setChecked(logic_->Engine().Flags().AutoOverwrite);
    MI_AutoExpand->setChecked(s.autoExpand);
    MI_AutoExpand->setEnabled(s.treeVisible);
  });

  connect(toLauncher, &QAction::triggered, this, WhenIdle([this] {
    if (logic_->AddSelectedFileToLauncher(SelectedFileRows())) FillLauncherList();
  }));
}

// ---- Views -----------------------------------------------------------------------------

void TForm_Main::ConnectViews() {
  treeModel_ = new DirTreeModel(logic_->Tree(), this);
  treeModel_->SetRenameHandler([this](DirNode* node, const QString& text) { return logic_->RenameTreeNode(node, FromQ(text)); });
  treeModel_->SetResetHandler([this] { SyncTreeView(); });
  treeModel_->SetExpansionHandler([this](const DirNode* node) {
    ++syncingTree_;
    TV_Directorys->setExpanded(treeModel_->IndexOf(node), node->expanded);
    --syncingTree_;
  });
  TV_Directorys->setModel(treeModel_);
  connect(TV_Directorys, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (syncingTree_ == 0) logic_->TreeNodeExpanded(DirTreeModel::NodeOf(index));
  });
  connect(TV_Directorys, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (syncingTree_ == 0) logic_->TreeNodeCollapsed(DirTreeModel::NodeOf(index));
  });
  connect(TV_Directorys->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (syncingTree_ == 0) logic_->SelectTreeNode(DirTreeModel::NodeOf(current));
          });
  connect(TV_Directorys, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OpenContextMenu(TV_Directorys, TV_Directorys->viewport()->mapToGlobal(pos)); });

  listModel_ = new FileListModel(logic_->List(), this);
  listModel_->SetRenameHandler([this](int row, const QString& text) { return logic_->RenameFile(row, FromQ(text)); });
  LV_FileList->setModel(listModel_);
  connect(LV_FileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { logic_->UpdateInfoLine(SelectedFileRows()); });
  connect(LV_FileList, &QAbstractItemView::doubleClicked, this, [this] { logic_->OpenFile(SelectedFileRows()); });
  connect(LV_FileList->header(), &QHeaderView::sectionClicked, this, [this](int column) { logic_->SortByColumn(column); });
  connect(LV_FileList->header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    const auto& columns = logic_->List().Columns();
    if (column >= 0 && column < static_cast<int>(columns.size()) && columns[static_cast<std::size_t>(column)] == ColumnKind::FileDirectory &&
        size > kFdColumnMaxWidth) {
      LV_FileList->header()->resizeSection(column, kFdColumnMaxWidth);
    }
  });
  connect(LV_FileList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OpenContextMenu(LV_FileList, LV_FileList->viewport()->mapToGlobal(pos)); });

  connect(LB_Buffer, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OpenContextMenu(LB_Buffer, LB_Buffer->mapToGlobal(pos)); });
  connect(LB_Log, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { OpenContextMenu(LB_Log, LB_Log->mapToGlobal(pos)); });
  connect(TC_Main, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { PM_Main->popup(TC_Main->mapToGlobal(pos)); });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { PM_Main->popup(mapToGlobal(pos)); });
  connect(TC_Main, &QTabBar::currentChanged, this, [this](int index) {
    if (scriptRunning_) {
      TabsChanged();  // the tabs stay as the script leaves them
      return;
    }
    if (index >= 0 && index != logic_->CurrentTab()) {
      logic_->SelectTab(index);
      TabsChanged();  // a refused change returns the bar to the current tab
    }
  });

  connect(SB_Go, &QPushButton::clicked, this, [this] { GoToLocationBarText(); });
  connect(SpeedButton2, &QPushButton::clicked, this, [this] { logic_->UpdateInfoLine(SelectedFileRows()); });
}

void TForm_Main::ApplyColumns() {
  QHeaderView* header = LV_FileList->header();
  listModel_->Refilled();
  const auto& columns = logic_->List().Columns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    header->resizeSection(static_cast<int>(i), columns[i] == ColumnKind::FileDirectory ? kFdColumnMaxWidth : 50);
  }
  const std::vector<int>& widths = logic_->Settings().gridWidths;
  for (std::size_t i = 0; i < columns.size() && i < widths.size(); ++i) {
    const int w = widths[i];
    const int section = static_cast<int>(i);
    if (w >= 0) {
      header->resizeSection(section, w);
    } else if (w == -1) {
      LV_FileList->resizeColumnToContents(section);
    } else if (w == -2) {
      header->resizeSection(section, header->sectionSizeHint(section));
    }
    // Widths below -2 cannot be applied and are ignored.
  }
}

void TForm_Main::ApplySettingsToWidgets() {
  const WindowSettings& s = logic_->Settings();
  move(s.window.left, s.window.top);
  resize(std::max(1, s.window.width), std::max(1, s.window.height));
  TV_Directorys->setVisible(s.treeVisible);
  Splitter1->setSizes({std::max(0, s.treeWidth), std::max(1, width() - s.treeWidth - 3)});
  const int infoHeight = std::max(0, s.infoHeight);
  Splitter3->setSizes({std::max(1, height() - infoHeight - 13 - 3), infoHeight + 13});
  Splitter2->setSizes({std::max(1, width() - s.logWidth - 3), std::max(0, s.logWidth)});
  ApplyColumns();
  RebuildShortcutMenus();
}

void TForm_Main::CollectWidgetSettings() {
  WindowSettings& s = logic_->Settings();
  if (TV_Directorys->isVisible()) s.treeWidth = TV_Directorys->width();
  s.infoHeight = PN_Info->height();
  s.logWidth = LB_Log->width();
  s.gridWidths.clear();
  for (int i = 0; i < listModel_->columnCount(); ++i) s.gridWidths.push_back(LV_FileList->header()->sectionSize(i));
}

void TForm_Main::RebuildShortcutMenus() {
  for (QAction* a : PM_Shortcut->actions()) {
    if (a != MI_ShortcutDummy) {
      PM_Shortcut->removeAction(a);
      a->deleteLater();
    }
  }
  MI_ShortcutRoot->clear();
  const auto& shortcuts = logic_->Shortcuts();
  for (std::size_t i = 0; i < shortcuts.size(); ++i) {
    const int tag = static_cast<int>(i);
    for (QMenu* menu : {PM_Shortcut, MI_ShortcutRoot}) {
      QAction* item = menu->addAction(ToQ(shortcuts[i].name));
      item->setData(tag);
      connect(item, &QAction::triggered, this, WhenIdle([this, tag] { ShortcutItemClicked(tag); }));
    }
  }
}

void TForm_Main::ShortcutItemClicked(int tag) {
  if (controlKeyHeld_()) {
    logic_->RemoveShortcut(tag);
    // The item being triggered is one of those the rebuild removes.
    QTimer::singleShot(0, this, [this] { RebuildShortcutMenus(); });
    return;
  }
  // The menu held the focus while it was open; where it was before decides.
  const bool listHadFocus = LV_FileList->hasFocus() || listFocusedBeforeMenu_;
  logic_->GoToShortcut(tag);
  if (listHadFocus) LV_FileList->setFocus();
}

void TForm_Main::FillLauncherList() {
  const QSignalBlocker block(CB_LocateBar);
  const QString text = CB_LocateBar->currentText();
  CB_LocateBar->clear();
  QStringList names;
  for (const LauncherEntry& e : logic_->Launcher()) names << ToQ(e.name);
  // The list is sorted as a sorted combo box sorts: without regard to letter case.
  std::stable_sort(names.begin(), names.end(),
                   [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
  CB_LocateBar->addItems(names);
  CB_LocateBar->setEditText(text);
}

void TForm_Main::GoToLocationBarText() {
  logic_->GoToLocation(FromQ(CB_LocateBar->currentText()));
  CB_LocateBar->lineEdit()->end(false);
}

void TForm_Main::SyncTreeView() {
  ++syncingTree_;
  const std::function<void(const DirNode&)> expand = [&](const DirNode& n) {
    if (!n.expanded) return;
    TV_Directorys->setExpanded(treeModel_->IndexOf(&n), true);
    for (const auto& c : n.children) expand(*c);
  };
  for (const auto& root : logic_->Tree().Roots()) expand(*root);
  ApplyTreeSelection(logic_->SelectedNode());
  if (hasPendingTop_) {
    hasPendingTop_ = false;
    if (pendingTop_ != nullptr) TV_Directorys->scrollTo(treeModel_->IndexOf(pendingTop_), QAbstractItemView::PositionAtTop);
    pendingTop_ = nullptr;
  }
  --syncingTree_;
}

void TForm_Main::ApplyTreeSelection(const DirNode* node) {
  ++syncingTree_;
  auto* sm = TV_Directorys->selectionModel();
  if (node == nullptr) {
    sm->clear();
  } else {
    const QModelIndex index = treeModel_->IndexOf(node);
    // Scrolling to a node inside a collapsed branch would open that branch in the view
    // alone; only a node the tree shows is scrolled to.
    bool shown = true;
    for (const DirNode* p = node->parent; p != nullptr; p = p->parent) shown = shown && p->expanded;
    const bool autoScroll = TV_Directorys->hasAutoScroll();
    TV_Directorys->setAutoScroll(false);
    sm->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    TV_Directorys->setAutoScroll(autoScroll);
    if (shown) TV_Directorys->scrollTo(index);
  }
  --syncingTree_;
}

// ---- WindowView ------------------------------------------------------------------------

void TForm_Main::AppendLog(std::string_view line) {
  LB_Log->addItem(ToQ(line));
  LB_Log->setCurrentRow(LB_Log->count() - 1);
}

void TForm_Main::SetProgressMaximum(fileops::ProgressBar bar, std::uint64_t maximum) {
  ProgressState& state = bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_;
  state.maximum = maximum;
  ShowProgress(bar);
}

void TForm_Main::SetProgressPosition(fileops::ProgressBar bar, std::uint64_t position) {
  ProgressState& state = bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_;
  state.position = position;
  ShowProgress(bar);
}

void TForm_Main::ShowProgress(fileops::ProgressBar bar) {
  const ProgressState& state = bar == fileops::ProgressBar::Main ? mainProgress_ : subProgress_;
  QProgressBar* pb = bar == fileops::ProgressBar::Main ? PB_Main : PB_Sub;
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
  centralWidget()->setEnabled(enabled);
  if (enabled && focusBeforeDisable_ != nullptr) {
    if (focusBeforeDisable_->isVisible() && focusBeforeDisable_->isEnabled()) focusBeforeDisable_->setFocus();
    focusBeforeDisable_ = nullptr;
  }
  if (enabled && closePending_) {
    closePending_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

void TForm_Main::SetMainWindowCaption(std::string_view caption) { setWindowTitle(ToQ(caption)); }

void TForm_Main::SetLocationText(std::string_view text) {
  CB_LocateBar->setEditText(ToQ(text));
  CB_LocateBar->lineEdit()->end(false);
}

void TForm_Main::ShowTreeSelection(const DirNode* node) {
  // During a bulk update the model is being reset; the selection is applied afterwards.
  if (logic_->Tree().InUpdate()) return;
  ApplyTreeSelection(node);
}

const DirNode* TForm_Main::TopTreeNode() const {
  if (logic_->Tree().InUpdate() && hasPendingTop_) return pendingTop_;
  return DirTreeModel::NodeOf(TV_Directorys->indexAt(QPoint(1, 1)));
}

void TForm_Main::SetTopTreeNode(const DirNode* node) {
  if (logic_->Tree().InUpdate()) {
    pendingTop_ = node;
    hasPendingTop_ = true;
    return;
  }
  if (node != nullptr) TV_Directorys->scrollTo(treeModel_->IndexOf(node), QAbstractItemView::PositionAtTop);
}

void TForm_Main::FocusTreeIfVisible() {
  if (TV_Directorys->isVisible()) TV_Directorys->setFocus();
}

void TForm_Main::TabsChanged() {
  const QSignalBlocker block(TC_Main);
  const auto& tabs = logic_->Tabs();
  while (TC_Main->count() > static_cast<int>(tabs.size())) TC_Main->removeTab(TC_Main->count() - 1);
  while (TC_Main->count() < static_cast<int>(tabs.size())) TC_Main->addTab(QString());
  // A directory name's "&" is shown as it is, not taken for a mnemonic.
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    TC_Main->setTabText(static_cast<int>(i), ToQ(tabs[i].caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
  }
  TC_Main->setCurrentIndex(logic_->CurrentTab());
}

void TForm_Main::FileListRefilled() {
  listModel_->Refilled();
  LV_FileList->scrollToTop();
  auto* sm = LV_FileList->selectionModel();
  sm->clearSelection();
  if (listModel_->rowCount() > 0) sm->setCurrentIndex(listModel_->index(0, 0), QItemSelectionModel::NoUpdate);
}

void TForm_Main::FileListSorted(const std::vector<int>& newIndexOfOld) { listModel_->Resorted(newIndexOfOld); }

void TForm_Main::FileRowChanged(int row) { listModel_->RowChanged(row); }

void TForm_Main::ShowInfoLine(std::string_view text) { LB_TotalSize->setText(ToQ(text)); }

void TForm_Main::ShowBuffer(const std::vector<std::string>& lines, std::string_view indexCaption) {
  LB_Buffer->clear();
  for (const std::string& line : lines) LB_Buffer->addItem(ToQ(line));
  LB_BufferIndex->setText(ToQ(indexCaption));
}

void TForm_Main::TreeVisibilityChanged(bool visible) { TV_Directorys->setVisible(visible); }

std::vector<int> TForm_Main::SelectedFileRows() const {
  std::vector<int> rows;
  const QModelIndexList selected = LV_FileList->selectionModel()->selectedRows(0);
  rows.reserve(static_cast<std::size_t>(selected.size()));
  for (const QModelIndex& i : selected) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int TForm_Main::FocusedFileRow() const {
  const QModelIndex current = LV_FileList->selectionModel()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

// ---- Drag and drop ---------------------------------------------------------------------

void TForm_Main::RegisterDropTargets() {
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
    DFT_TreeDragOver(point);
  };
  DFT_Tree->OnDragOver = [this](TDropTargetBase&, ShiftState, QPoint point, std::uint32_t&) { DFT_TreeDragOver(point); };
  DFT_Tree->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint, std::uint32_t& effect) {  // DFT_TreeDrop
    RunAfterDrop([this, files = DFT_Tree->Files, operation = effect] { logic_->DropOnTree(files, operation); });
    effect = kEffectNone;  // what DropOnTree reports: the source never deletes anything itself
  };
  DFT_Tree->RegisterTarget(TV_Directorys);

  DFT_File = new TFileDropTarget(this);
  DFT_File->setObjectName(QStringLiteral("DFT_File"));
  DFT_File->Dragtypes = dtCopy | dtMove | dtLink;
  DFT_File->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint point, std::uint32_t& effect) {  // DFT_FileDrop
    const bool onRow = LV_FileList->indexAt(point).isValid();
    RunAfterDrop([this, files = DFT_File->Files, operation = effect, onRow] { logic_->DropOnList(files, operation, onRow); });
    // The window transfers by itself (or, onto a row, not at all): a source told "moved"
    // could delete what it still holds.
    effect = kEffectNone;
  };
  DFT_File->RegisterTarget(LV_FileList);

  DFT_Buffer = new TFileDropTarget(this);
  DFT_Buffer->setObjectName(QStringLiteral("DFT_Buffer"));
  DFT_Buffer->Dragtypes = dtMove;
  DFT_Buffer->OnDrop = [this](TDropTargetBase&, ShiftState, QPoint, std::uint32_t& effect) {  // DFT_BufferDrop
    logic_->DropOnBuffer(DFT_Buffer->Files);
    // The buffer only notes the paths; nothing was moved.
    effect = kEffectNone;
  };
  DFT_Buffer->RegisterTarget(LB_Buffer);

  RefuseDropTarget1 = new TRefuseDropTarget(this);
  RefuseDropTarget1->setObjectName(QStringLiteral("RefuseDropTarget1"));
  RefuseDropTarget1->RegisterTarget(this);
}

void TForm_Main::UnregisterDropTargets() {
  for (dnd::TDropTargetBase* target : std::initializer_list<dnd::TDropTargetBase*>{DFT_Tree, DFT_File, DFT_Buffer, RefuseDropTarget1}) {
    if (target != nullptr) target->UnregisterTarget();
  }
}

void TForm_Main::TV_DirectorysStartDrag() {
  std::vector<std::string> paths = logic_->TreeDragPaths();
  if (paths.empty()) return;
  FileDragSource1->Files = std::move(paths);
  FileDragSource1->StartDrag(TV_Directorys);
}

void TForm_Main::LV_FileListStartDrag() {
  std::vector<std::string> paths = logic_->ListDragPaths(SelectedFileRows());
  if (paths.empty()) return;
  FileDragSource1->Files = std::move(paths);
  FileDragSource1->StartDrag(LV_FileList);
}

void TForm_Main::DFT_TreeDragOver(QPoint point) {
  DirNode* node = DirTreeModel::NodeOf(TV_Directorys->indexAt(point));
  if (node == nullptr) return;
  // Nodes are told apart by path: a refresh may have replaced the one seen last.
  std::string path = node->Path();
  if (path == treeDragOverPath_) return;
  treeDragOverPath_ = std::move(path);
  // Selecting lists the node and shows its path in the location bar.
  logic_->SelectTreeNode(node);
}

void TForm_Main::RunAfterDrop(std::function<void()> work) {
  // Not inside the drop event: the program the files came from hears at once that the
  // drop is over instead of waiting for the whole copy, and the transfer's questions and
  // event processing do not run inside the drag machinery.
  QTimer::singleShot(0, this, [this, work = std::move(work)] { RunDropWork(work); });
}

void TForm_Main::RunDropWork(std::function<void()> work) {
  if (closing_) return;
  if (scriptRunning_ || !logic_->WindowEnabled() || dropWorkRunning_) {
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

// ---- Timer -----------------------------------------------------------------------------

void TForm_Main::TimerTick() {
  if (isVisible() && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    logic_->Settings().savedGeometry = Geometry{x(), y(), width(), height()};
  }
  UpdateShortcutSuspension();
  // Resting the pointer on another tab switches to it; never behind an open dialog or menu.
  const std::uint32_t now = tickCount_();
  if (scriptRunning_ || QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) {
    hover_.Restart(now);
    return;
  }
  // Only a pointer that is really over the tab row counts: not one over another window
  // that covers it, nor the place where the row of a minimised window would be.
  const QPoint pointer = QCursor::pos();
  QWidget* under = QApplication::widgetAt(pointer);
  const bool overTabs = !isMinimized() && isVisible() && under != nullptr && (under == TC_Main || TC_Main->isAncestorOf(under));
  const int tab = overTabs ? TC_Main->tabAt(TC_Main->mapFromGlobal(pointer)) : -1;
  const int chosen = hover_.Step(tab, logic_->CurrentTab(), now,
                                 static_cast<std::uint32_t>(std::max(0, logic_->Settings().mouseTabChangingTime)));
  if (chosen >= 0) logic_->SelectTab(chosen);
}

void TForm_Main::UpdateShortcutSuspension() {
  const bool editing = IsEditingOrTyping();
  if (editing == shortcutsSuspended_) return;
  // Typing in the location bar or in a name editor must never open, delete, rename or go
  // to the parent: those four keys are taken from their actions meanwhile.
  for (const auto& [action, key] : singleKeyShortcuts_) action->setShortcut(editing ? QKeySequence() : key);
  shortcutsSuspended_ = editing;
}

// ---- Keys and events -------------------------------------------------------------------

bool TForm_Main::IsEditingOrTyping() const {
  if (IsEditingText()) return true;
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && (focus == CB_LocateBar || CB_LocateBar->isAncestorOf(focus));
}

bool TForm_Main::IsEditingText() const {
  // An in-place editor is a line edit inside the tree's or the list's viewport.
  QWidget* focus = QApplication::focusWidget();
  if (qobject_cast<QLineEdit*>(focus) == nullptr) return false;
  return TV_Directorys->viewport()->isAncestorOf(focus) || LV_FileList->viewport()->isAncestorOf(focus);
}

QMenu* TForm_Main::ContextMenuOf(QWidget* focus, QWidget** control) const {
  for (QWidget* w = focus; w != nullptr && w != this; w = w->parentWidget()) {
    QMenu* menu = nullptr;
    if (w == TV_Directorys) menu = PM_DirTree;
    else if (w == LV_FileList) menu = PM_File;
    else if (w == LB_Buffer) menu = PM_Buffer;
    else if (w == LB_Log) menu = PM_Shortcut;
    else if (w == CB_LocateBar) menu = nullptr;
    else continue;
    if (control != nullptr) *control = w;
    return menu;
  }
  if (control != nullptr) *control = nullptr;
  return nullptr;
}

bool TForm_Main::TriggerFromMenu(QMenu* menu, const QKeySequence& key) {
  if (menu == nullptr) return false;
  for (QAction* a : menu->actions()) {
    if (QMenu* sub = a->menu()) {
      if (TriggerFromMenu(sub, key)) return true;
      continue;
    }
    if (a->isVisible() && a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == key) {
      a->trigger();
      return true;
    }
  }
  return false;
}

void TForm_Main::OpenContextMenu(QWidget* control, const QPoint& globalPos) {
  QMenu* menu = ContextMenuOf(control, nullptr);
  if (menu != nullptr) menu->popup(globalPos);
}

bool TForm_Main::DispatchKey(const QKeyCombination& rawKey) {
  const QKeyCombination key = Normalised(rawKey);
  const QKeySequence seq(key);
  const Qt::KeyboardModifiers mods = key.keyboardModifiers();
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && focus->window() != this) return false;

  // While a transfer keeps the window disabled only the break command gets through.
  if (!logic_->WindowEnabled()) {
    QAction* stop = Action(QStringLiteral("AC_Break"));
    if (stop->shortcut() == seq) {
      stop->trigger();
      return true;
    }
    return false;
  }
  // The suspension follows the focus at once, not only on the next timer step, so a key
  // pressed right after leaving the location bar finds its command.
  UpdateShortcutSuspension();
  // A name being edited gets every key.
  if (IsEditingText()) return false;

  const bool inLocationBar = focus != nullptr && (focus == CB_LocateBar || CB_LocateBar->isAncestorOf(focus));
  if (key.key() == Qt::Key_Insert && (mods == Qt::NoModifier || mods == Qt::ControlModifier)) {
    if (mods == Qt::ControlModifier) {
      PM_Script->popup(TV_Directorys->mapToGlobal(QPoint(0, 0)));
    } else {
      PM_Shortcut->popup(LV_FileList->mapToGlobal(QPoint(0, 0)));
    }
    return false;  // the key goes on to the focused control
  }
  if (key.key() == Qt::Key_Return && mods == Qt::AltModifier) {
    // The location bar, the tree, the list and the buffer list open their own menu at the
    // window's corner; the location bar has none. Elsewhere the key goes on as usual.
    QWidget* control = nullptr;
    QMenu* menu = ContextMenuOf(focus, &control);
    if (control == nullptr || control == LB_Log) return false;
    if (menu != nullptr) menu->popup(frameGeometry().topLeft());
    return true;
  }
  if (inLocationBar) {
    if (key.key() == Qt::Key_Return && mods == Qt::NoModifier) {
      GoToLocationBarText();
      return true;
    }
    // Typing in the location bar never triggers a single-key command, and the usual
    // editing keys (copy, cut, paste, select all, undo) edit the text: Ctrl+C there must
    // not copy the buffer's files, nor Ctrl+X move them.
    const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35;
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !functionKey && key.key() != Qt::Key_Escape) {
      return false;
    }
    for (const auto standard : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
                                QKeySequence::Undo, QKeySequence::Redo}) {
      if (QKeySequence::keyBindings(standard).contains(seq)) return false;
    }
  }
  if (TriggerFromMenu(ContextMenuOf(focus, nullptr), seq)) return true;
  for (QAction* a : actions_) {
    if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == seq) {
      a->trigger();
      return true;
    }
  }
  return false;
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
  if (scriptRunning_ && IsUserInput(event->type())) {
    // A running script holds the window: input to its controls is dropped, except the
    // keys of the break and repaint commands. Dialogs the script shows are other windows
    // and work as usual.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) {
      if (event->type() == QEvent::KeyPress) {
        const QKeySequence seq(Normalised(static_cast<QKeyEvent*>(event)->keyCombination()));
        for (const char* name : {"AC_Break", "AC_Repaint"}) {
          QAction* action = Action(QString::fromLatin1(name));
          if (action->shortcut() == seq) action->trigger();
        }
      }
      return true;
    }
  }
  switch (event->type()) {
    case QEvent::KeyPress: {
      if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) break;
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr || widget->window() != this) break;
      // The application sees a key once per widget it travels through; act on the first.
      QWidget* focus = QApplication::focusWidget();
      if (focus != nullptr ? widget != focus : widget != this) break;
      auto* keyEvent = static_cast<QKeyEvent*>(event);
      if (DispatchKey(keyEvent->keyCombination())) return true;
      break;
    }
    case QEvent::Resize:
      if (watched == PN_Progress) PB_Main->setFixedWidth(PN_Progress->width() / 2);  // PN_ProgressResize
      break;
    case QEvent::MouseButtonPress:
      if (watched == LB_Log->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        LB_Log->clear();  // LB_LogMouseDown
      }
      break;
    case QEvent::MouseButtonDblClick:
      if (watched == TC_Main && TC_Main->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint()) < 0) {
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
  FillLauncherList();
  MI_UpdateScriptListClick();
  Kestrin->RegisterClass("Velkoran", TVelkoran::Info());
}

void TForm_Main::closeEvent(QCloseEvent* event) {
  if (scriptRunning_) {
    // The script ends at its next statement; the window closes once it has.
    AbortScript();
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
    // FormDestroy: the current tab's state, then the four files.
    logic_->Close();
    CollectWidgetSettings();
    for (const std::string& failure : logic_->SaveState(saveDir_)) {
      fprintf(stderr, "velkoran: could not save %s\n", failure.c_str());
    }
  }
  event->accept();
}

// ---- Scripts ---------------------------------------------------------------------------

void TForm_Main::MI_UpdateScriptListClick() {
  if (scriptRunning_) return;
  for (QMenu* menu : {MI_ScriptRoot_Tree, MI_ScriptRoot_File, PM_Script}) {
    for (QAction* item : menu->actions()) {
      menu->removeAction(item);
      item->deleteLater();  // the item may be the one being triggered
    }
  }
  for (const std::string& fileName : ListScriptFiles(scriptDir_)) {
    // "&" is shown as it is: the script menus assign no accelerators.
    const QString caption = ToQ(ScriptCaption(fileName)).replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (QMenu* menu : {MI_ScriptRoot_Tree, MI_ScriptRoot_File, PM_Script}) {
      auto* item = new QAction(caption, menu);
      // The file's own name, whatever the case of its extension.
      item->setData(Bytes(fileName));
      connect(item, &QAction::triggered, this, [this, item] { MI_ScriptDummyClick(item); });
      menu->addAction(item);
    }
  }
}

void TForm_Main::MI_ScriptDummyClick(QAction* item) {
  if (scriptRunning_ || item == nullptr) return;  // one script at a time
  const QByteArray fileName = item->data().toByteArray();
  if (fileName.isEmpty()) return;
  const std::string path = scriptDir_ + fileName.toStdString();
  const ScriptFileText file = ReadScriptFile(path);
  if (!file.ok) {
    AppendLog(ScriptOpenFailureMessage(path, file.error));
    return;
  }
  const platform::PathRules& rules = platform::HostPaths();
  std::string program;
  if (MI_ScriptRoot_Tree->actions().contains(item)) {
    const DirNode* node = logic_->SelectedNode();
    program = TreeScriptPrefix(rules, node != nullptr ? std::optional<std::string>(node->Path()) : std::nullopt);
  } else {
    std::vector<ScriptSelectionEntry> selection;
    const FileList& list = logic_->List();
    for (const int row : SelectedFileRows()) selection.push_back({list.FullPath(row), list.Row(row).isDirectory});
    program = ListScriptPrefix(rules, selection);
  }
  AppendScriptLines(program, file.text);
  RunScriptProgram(program);
}

void TForm_Main::RunScriptProgram(std::string_view program) {
  scriptRunning_ = true;
  struct Done {
    TForm_Main& form;
    ~Done() {
      form.ReleaseScriptObjects();
      form.scriptRunning_ = false;
      if (form.closePending_) {
        form.closePending_ = false;
        QTimer::singleShot(0, &form, [f = &form] { f->close(); });
      }
    }
  } done{*this};
  try {
    // A syntax error arrives without a line end; it is a line of its own all the same.
    if (!Kestrin->Compile(program) && Kestrin->CompileFailed()) KestrinStdout("\r\n");
    Kestrin->Run();
  } catch (const std::exception& e) {
    // A failure of the system that no script error stands for ends the run.
    AppendLog(e.what());
  }
}

void TForm_Main::ReleaseScriptObjects() {
  // Nothing of a finished script stays alive: its variables are dropped and its objects
  // freed, so files it left open are closed and their locks released now, not at the
  // next run.
  Kestrin->Clear();
  kestrin::TJObjectFactory& objects = Kestrin->Engine().ObjectFactory();
  objects.Sweep();
  objects.CollectCycles();
}

void TForm_Main::AbortScript() { Kestrin->Engine().AbortRequested = true; }

void TForm_Main::KestrinStdout(std::string_view text) {
  if (std::optional<std::string> line = scriptOutput_.Add(text)) AppendLog(*line);
}

// ---- The application object's window ------------------------------------------------

namespace {

constexpr std::int32_t ClampToInt32(std::uint64_t v) {
  return v > static_cast<std::uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(v);
}

}  // namespace

int TForm_Main::ScriptTabIndex() const { return logic_->CurrentTab(); }

int TForm_Main::ScriptTabCount() const { return static_cast<int>(logic_->Tabs().size()); }

std::int32_t TForm_Main::ScriptProgressPosition(ScriptProgressBar bar) const {
  return ClampToInt32((bar == ScriptProgressBar::Main ? mainProgress_ : subProgress_).position);
}

std::int32_t TForm_Main::ScriptProgressMaximum(ScriptProgressBar bar) const {
  return ClampToInt32((bar == ScriptProgressBar::Main ? mainProgress_ : subProgress_).maximum);
}

void TForm_Main::SetScriptProgressPosition(ScriptProgressBar bar, std::int32_t position) {
  const std::uint64_t maximum = (bar == ScriptProgressBar::Main ? mainProgress_ : subProgress_).maximum;
  const std::uint64_t clamped = position < 0 ? 0 : std::min<std::uint64_t>(static_cast<std::uint64_t>(position), maximum);
  SetProgressPosition(bar == ScriptProgressBar::Main ? fileops::ProgressBar::Main : fileops::ProgressBar::Sub, clamped);
}

void TForm_Main::SetScriptProgressMaximum(ScriptProgressBar bar, std::int32_t maximum) {
  const ProgressState& state = bar == ScriptProgressBar::Main ? mainProgress_ : subProgress_;
  const fileops::ProgressBar which = bar == ScriptProgressBar::Main ? fileops::ProgressBar::Main : fileops::ProgressBar::Sub;
  const std::uint64_t m = maximum < 0 ? 0 : static_cast<std::uint64_t>(maximum);
  // A position beyond the new range moves to its end.
  if (state.position > m) SetProgressPosition(which, m);
  SetProgressMaximum(which, m);
}

int TForm_Main::ScriptFileBufferIndex() const { return logic_->Buffers().Current(); }

void TForm_Main::SetScriptFileBufferIndex(int index) { logic_->Buffers().SetCurrent(index); }

void TForm_Main::ScriptUpdateTree() { logic_->RefreshTree(); }

void TForm_Main::ScriptUpdateFileList() { logic_->ListDirectory(); }

void TForm_Main::ScriptLog(std::string_view text) { AppendLog(text); }

void TForm_Main::ScriptChangeTab(int index) { logic_->SelectTab(index); }

void TForm_Main::ScriptToggleBufferEntry(std::string_view path) { logic_->Buffers().Toggle(path); }

void TForm_Main::ScriptShowFileBuffer() { logic_->ShowFileBuffer(); }

}  // namespace velkoran::app
