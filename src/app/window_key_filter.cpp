#include "app/window_key_filter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTreeView>

#include "app/logic/window_logic.h"
#include "app/script_session.h"
#include "app/window_actions.h"
#include "app/window_controls.h"

namespace velkoran::app {
namespace {

// The key of an event as the action list compares it: the keypad's Enter is Enter.
QKeyCombination Normalised(QKeyCombination k) {
  Qt::Key key = k.key();
  if (key == Qt::Key_Enter) key = Qt::Key_Return;
  return QKeyCombination(k.keyboardModifiers() & ~Qt::KeypadModifier, key);
}

KeyCombo ComboOf(QKeyCombination k) {
  KeyCombo combo;
  switch (k.key()) {
    case Qt::Key_Return: combo.key = KeyName::Return; break;
    case Qt::Key_Escape: combo.key = KeyName::Escape; break;
    case Qt::Key_Insert: combo.key = KeyName::Insert; break;
    default:
      if (k.key() >= Qt::Key_F1 && k.key() <= Qt::Key_F35) combo.key = KeyName::Function;
      break;
  }
  const Qt::KeyboardModifiers mods = k.keyboardModifiers();
  if (mods & Qt::ShiftModifier) combo.modifiers |= kShift;
  if (mods & Qt::ControlModifier) combo.modifiers |= kControl;
  if (mods & Qt::AltModifier) combo.modifiers |= kAlt;
  if (mods & Qt::MetaModifier) combo.modifiers |= kMeta;
  return combo;
}

bool IsStandardEditingKey(const QKeySequence& seq) {
  for (const auto standard : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
                              QKeySequence::Undo, QKeySequence::Redo}) {
    if (QKeySequence::keyBindings(standard).contains(seq)) return true;
  }
  return false;
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

}  // namespace

WindowKeyFilter::WindowKeyFilter(QWidget& window, const WindowControls& controls, WindowActions& actions,
                                 WindowLogic& logic, const ScriptSession& scripts)
    : window_(window), c_(controls), actions_(actions), logic_(logic), scripts_(scripts) {
  for (const char* name : {"AC_OpenFile", "AC_DeleteFile", "AC_GoParent", "AC_RenameFile"}) {
    QAction* action = actions_.Action(name);
    singleKeyShortcuts_.emplace_back(action, action->shortcut());
  }
  qApp->installEventFilter(this);
}

WindowKeyFilter::~WindowKeyFilter() { qApp->removeEventFilter(this); }

// ---- Editing and shortcut suspension ----------------------------------------------------

bool WindowKeyFilter::IsEditingText() const {
  // An in-place editor is a line edit inside the tree's or the list's viewport.
  QWidget* focus = QApplication::focusWidget();
  if (qobject_cast<QLineEdit*>(focus) == nullptr) return false;
  return c_.TV_Directorys->viewport()->isAncestorOf(focus) || c_.LV_FileList->viewport()->isAncestorOf(focus);
}

void WindowKeyFilter::UpdateShortcutSuspension() {
  const bool editing = IsEditingText() || c_.LocationBarFocused();
  if (editing == shortcutsSuspended_) return;
  // Typing in the location bar or in a name editor must never open, delete, rename or go
  // to the parent: those four keys are taken from their actions meanwhile.
  for (const auto& [action, key] : singleKeyShortcuts_) action->setShortcut(editing ? QKeySequence() : key);
  shortcutsSuspended_ = editing;
}

// ---- Routing ----------------------------------------------------------------------------

KeyFocus WindowKeyFilter::FocusOf(QWidget* focus) const {
  if (focus != nullptr && focus->window() != &window_) return KeyFocus::OtherWindow;
  for (QWidget* w = focus; w != nullptr && w != &window_; w = w->parentWidget()) {
    if (w == c_.TV_Directorys) return KeyFocus::Tree;
    if (w == c_.LV_FileList) return KeyFocus::List;
    if (w == c_.LB_Buffer) return KeyFocus::Buffer;
    if (w == c_.LB_Log) return KeyFocus::Log;
    if (w == c_.CB_LocateBar) return KeyFocus::LocationBar;
  }
  return KeyFocus::Elsewhere;
}

bool WindowKeyFilter::TriggerFromMenu(QMenu* menu, const QKeySequence& key) {
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

bool WindowKeyFilter::TriggerFromActions(const QKeySequence& key) {
  for (QAction* a : actions_.Actions()) {
    if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == key) {
      a->trigger();
      return true;
    }
  }
  return false;
}

bool WindowKeyFilter::TriggerNamed(const char* name, const QKeySequence& key) {
  QAction* action = actions_.Action(name);
  if (action->shortcut() != key) return false;
  action->trigger();
  return true;
}

bool WindowKeyFilter::Dispatch(const QKeyCombination& rawKey) {
  const QKeyCombination key = Normalised(rawKey);
  const QKeySequence seq(key);
  KeyContext context;
  context.focus = FocusOf(QApplication::focusWidget());
  context.scriptRunning = scripts_.Running();
  context.windowEnabled = logic_.WindowEnabled();
  if (context.focus != KeyFocus::OtherWindow && !context.scriptRunning && context.windowEnabled) {
    // The suspension follows the focus at once, not only on the next timer step, so a key
    // pressed right after leaving the location bar finds its command.
    UpdateShortcutSuspension();
    context.editingName = IsEditingText();
    context.standardEditingKey = IsStandardEditingKey(seq);
  }

  switch (RouteKey(context, ComboOf(key))) {
    case KeyRoute::PassOn:
      return false;
    case KeyRoute::ScriptTimeCommands:
      if (!TriggerNamed("AC_Break", seq)) TriggerNamed("AC_Repaint", seq);
      return true;
    case KeyRoute::BreakOnly:
      return TriggerNamed("AC_Break", seq);
    case KeyRoute::ShortcutMenuThenPass:
      actions_.ShortcutMenu()->popup(c_.LV_FileList->mapToGlobal(QPoint(0, 0)));
      return false;
    case KeyRoute::ScriptMenuThenPass:
      actions_.ScriptMenu()->popup(c_.TV_Directorys->mapToGlobal(QPoint(0, 0)));
      return false;
    case KeyRoute::PaneMenu:
      if (QMenu* menu = actions_.PaneMenu(context.focus)) menu->popup(window_.frameGeometry().topLeft());
      return true;
    case KeyRoute::GoToLocation:
      actions_.GoToLocationBarText();
      return true;
    case KeyRoute::Commands:
      return TriggerFromMenu(actions_.PaneMenu(context.focus), seq) || TriggerFromActions(seq);
  }
  return false;
}

bool WindowKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != &window_) return false;
  if (scripts_.Running() && IsUserInput(event->type())) {
    // A running script holds the window: input to its controls is dropped, except the
    // keys of the break and repaint commands.
    if (event->type() == QEvent::KeyPress) Dispatch(static_cast<QKeyEvent*>(event)->keyCombination());
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) return false;
  // The application sees a key once per widget it travels through; act on the first.
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr ? widget != focus : widget != &window_) return false;
  return Dispatch(static_cast<QKeyEvent*>(event)->keyCombination());
}

}  // namespace velkoran::app
