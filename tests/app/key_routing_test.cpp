// Which commands a key reaches in the main window, decided without a window.
#include <gtest/gtest.h>

#include "app/logic/key_routing.h"

namespace velkoran::app {
namespace {

KeyContext Focus(KeyFocus focus) {
  KeyContext context;
  context.focus = focus;
  return context;
}

struct Case {
  const char* name;
  KeyContext context;
  KeyCombo key;
  KeyRoute route;
};

TEST(KeyRouting, RoutesByStateFocusAndKey) {
  KeyContext script = Focus(KeyFocus::List);
  script.scriptRunning = true;
  KeyContext transfer = Focus(KeyFocus::List);
  transfer.windowEnabled = false;
  KeyContext renaming = Focus(KeyFocus::List);
  renaming.editingName = true;
  KeyContext copyInBar = Focus(KeyFocus::LocationBar);
  copyInBar.standardEditingKey = true;
  KeyContext dialogDuringScript = Focus(KeyFocus::OtherWindow);
  dialogDuringScript.scriptRunning = true;

  const KeyCombo esc{KeyName::Escape};
  const KeyCombo enter{KeyName::Return};
  const KeyCombo letter{KeyName::Other};
  const KeyCombo ctrlLetter{KeyName::Other, kControl};
  const Case cases[] = {
      {"a dialog gets its keys", Focus(KeyFocus::OtherWindow), enter, KeyRoute::PassOn},
      {"a dialog of a script gets its keys", dialogDuringScript, esc, KeyRoute::PassOn},
      {"a script holds every key", script, letter, KeyRoute::ScriptTimeCommands},
      {"a script holds Insert too", script, KeyCombo{KeyName::Insert}, KeyRoute::ScriptTimeCommands},
      {"a transfer lets only break through", transfer, esc, KeyRoute::BreakOnly},
      {"a transfer takes no other command", transfer, enter, KeyRoute::BreakOnly},
      {"a name editor gets Enter", renaming, enter, KeyRoute::PassOn},
      {"a name editor gets Ctrl keys", renaming, ctrlLetter, KeyRoute::PassOn},
      {"Insert opens shortcuts", Focus(KeyFocus::Tree), KeyCombo{KeyName::Insert}, KeyRoute::ShortcutMenuThenPass},
      {"Ctrl+Insert opens scripts", Focus(KeyFocus::List), KeyCombo{KeyName::Insert, kControl},
       KeyRoute::ScriptMenuThenPass},
      {"Shift+Insert is a command key", Focus(KeyFocus::List), KeyCombo{KeyName::Insert, kShift}, KeyRoute::Commands},
      {"Insert in the location bar opens shortcuts", Focus(KeyFocus::LocationBar), KeyCombo{KeyName::Insert},
       KeyRoute::ShortcutMenuThenPass},
      {"Alt+Enter on the tree", Focus(KeyFocus::Tree), KeyCombo{KeyName::Return, kAlt}, KeyRoute::PaneMenu},
      {"Alt+Enter on the buffer list", Focus(KeyFocus::Buffer), KeyCombo{KeyName::Return, kAlt}, KeyRoute::PaneMenu},
      {"Alt+Enter in the location bar", Focus(KeyFocus::LocationBar), KeyCombo{KeyName::Return, kAlt},
       KeyRoute::PaneMenu},
      {"Alt+Enter on the log", Focus(KeyFocus::Log), KeyCombo{KeyName::Return, kAlt}, KeyRoute::PassOn},
      {"Alt+Enter elsewhere", Focus(KeyFocus::Elsewhere), KeyCombo{KeyName::Return, kAlt}, KeyRoute::PassOn},
      {"Enter in the location bar goes", Focus(KeyFocus::LocationBar), enter, KeyRoute::GoToLocation},
      {"typing in the location bar", Focus(KeyFocus::LocationBar), letter, KeyRoute::PassOn},
      {"Shift+letter in the location bar", Focus(KeyFocus::LocationBar), KeyCombo{KeyName::Other, kShift},
       KeyRoute::PassOn},
      {"Esc in the location bar breaks", Focus(KeyFocus::LocationBar), esc, KeyRoute::Commands},
      {"F3 in the location bar changes tab", Focus(KeyFocus::LocationBar), KeyCombo{KeyName::Function},
       KeyRoute::Commands},
      {"Ctrl+C in the location bar edits", copyInBar, ctrlLetter, KeyRoute::PassOn},
      {"Ctrl+N in the location bar", Focus(KeyFocus::LocationBar), ctrlLetter, KeyRoute::Commands},
      {"Enter on the list", Focus(KeyFocus::List), enter, KeyRoute::Commands},
      {"Ctrl+C on the list copies", Focus(KeyFocus::List), ctrlLetter, KeyRoute::Commands},
      {"a key with no focus", Focus(KeyFocus::Elsewhere), letter, KeyRoute::Commands},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RouteKey(c.context, c.key), c.route);
  }
}

}  // namespace
}  // namespace velkoran::app
