// Which group of commands a key press reaches in the main window, decided from what the
// window knows at that moment (a running script or transfer, the pane with the focus, a
// name edited in place). Pure: the window's key filter gathers the facts, asks RouteKey and
// carries the answer out against its actions.
#pragma once

#include <cstdint>

namespace velkoran::app {

// The keys routing tells apart; every other key is Other.
enum class KeyName : std::uint8_t { Other, Return, Escape, Insert, Function };

enum KeyModifier : std::uint8_t { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4, kMeta = 8 };

struct KeyCombo {
  KeyName key = KeyName::Other;
  std::uint8_t modifiers = kNoModifier;  // KeyModifier bits
};

// Where the keyboard focus is.
enum class KeyFocus : std::uint8_t {
  OtherWindow,  // a dialog or another top-level window
  Elsewhere,    // no focus, or a control of the window that is no pane below
  Tree,
  List,
  Buffer,
  Log,
  LocationBar,
};

struct KeyContext {
  KeyFocus focus = KeyFocus::Elsewhere;
  bool scriptRunning = false;
  bool windowEnabled = true;        // false while a transfer runs
  bool editingName = false;         // an in-place editor of the tree or the list has the focus
  bool standardEditingKey = false;  // the platform's copy, cut, paste, select all, undo or redo
};

enum class KeyRoute : std::uint8_t {
  PassOn,                // the focused control gets the key as usual
  ScriptTimeCommands,    // only the break and repaint commands; the key goes no further
  BreakOnly,             // only the break command; any other key passes on
  ShortcutMenuThenPass,  // Insert: the shortcut menu opens, the key goes on
  ScriptMenuThenPass,    // Ctrl+Insert: the script menu opens, the key goes on
  PaneMenu,              // Alt+Enter: the focused pane's menu opens at the window's corner
  GoToLocation,          // Enter in the location bar
  Commands,              // the focused pane's menu first, then the action list
};

KeyRoute RouteKey(const KeyContext& context, KeyCombo key);

}  // namespace velkoran::app
