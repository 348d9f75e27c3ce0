// WindowKeyFilter: the main window's keys. Installed on the application, it takes every
// key press meant for the window's focused control, asks RouteKey (app/logic/key_routing.h)
// which commands the key may reach there, and triggers the matching action. While a script
// runs it holds back all user input to the window but the break and repaint keys. It also
// takes the four single-key shortcuts from their actions while a text is edited.
#pragma once

#include <QKeyCombination>
#include <QKeySequence>
#include <QObject>
#include <utility>
#include <vector>

#include "app/logic/key_routing.h"

class QAction;
class QMenu;
class QWidget;

namespace velkoran::app {

class ScriptSession;
class WindowActions;
class WindowLogic;
struct WindowControls;

class WindowKeyFilter final : public QObject {
 public:
  // Everything passed must outlive the filter.
  WindowKeyFilter(QWidget& window, const WindowControls& controls, WindowActions& actions, WindowLogic& logic,
                  const ScriptSession& scripts);
  ~WindowKeyFilter() override;

  // Runs a key through the routing as a key press on the focused control would; true when
  // the key was taken (an action ran, or a running script swallowed it).
  bool Dispatch(const QKeyCombination& key);

  // Suspends the single-key shortcuts while a name is edited or the location bar has the
  // focus, and gives them back afterwards.
  void UpdateShortcutSuspension();
  bool ShortcutsSuspended() const { return shortcutsSuspended_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyFocus FocusOf(QWidget* focus) const;
  bool IsEditingText() const;
  bool TriggerFromMenu(QMenu* menu, const QKeySequence& key);
  bool TriggerFromActions(const QKeySequence& key);
  bool TriggerNamed(const char* name, const QKeySequence& key);

  QWidget& window_;
  const WindowControls& c_;
  WindowActions& actions_;
  WindowLogic& logic_;
  const ScriptSession& scripts_;
  bool shortcutsSuspended_ = false;
  // The four single-key shortcuts, given back when no text is edited any more.
  std::vector<std::pair<QAction*, QKeySequence>> singleKeyShortcuts_;
};

}  // namespace velkoran::app
