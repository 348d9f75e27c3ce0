#include "app/logic/key_routing.h"

namespace velkoran::app {

KeyRoute RouteKey(const KeyContext& context, KeyCombo key) {
  // A running script holds the window: its keys reach nothing but the break and repaint
  // commands. Dialogs the script shows are other windows and work as usual.
  if (context.focus == KeyFocus::OtherWindow) return KeyRoute::PassOn;
  if (context.scriptRunning) return KeyRoute::ScriptTimeCommands;
  if (!context.windowEnabled) return KeyRoute::BreakOnly;
  // A name being edited gets every key.
  if (context.editingName) return KeyRoute::PassOn;

  const std::uint8_t mods = key.modifiers;
  if (key.key == KeyName::Insert && mods == kNoModifier) return KeyRoute::ShortcutMenuThenPass;
  if (key.key == KeyName::Insert && mods == kControl) return KeyRoute::ScriptMenuThenPass;
  if (key.key == KeyName::Return && mods == kAlt) {
    // The panes open their own menu (the location bar has none, but takes the key); the
    // log and the rest of the window let it go on.
    const bool pane = context.focus == KeyFocus::Tree || context.focus == KeyFocus::List ||
                      context.focus == KeyFocus::Buffer || context.focus == KeyFocus::LocationBar;
    return pane ? KeyRoute::PaneMenu : KeyRoute::PassOn;
  }
  if (context.focus == KeyFocus::LocationBar) {
    if (key.key == KeyName::Return && mods == kNoModifier) return KeyRoute::GoToLocation;
    // Typing in the location bar never triggers a single-key command, and the usual
    // editing keys edit the text: Ctrl+C there must not copy the buffer's files, nor
    // Ctrl+X move them.
    const bool chord = (mods & (kControl | kAlt | kMeta)) != 0;
    if (!chord && key.key != KeyName::Function && key.key != KeyName::Escape) return KeyRoute::PassOn;
    if (context.standardEditingKey) return KeyRoute::PassOn;
  }
  return KeyRoute::Commands;
}

}  // namespace velkoran::app
