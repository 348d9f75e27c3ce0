// The desktop's application entries (".desktop" files): reading one, and the command lines
// that open files with it or start a terminal. The desktop's key-file format is read here
// too, for the entries and for the lists of associations (mime_apps.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkoran::app {

// ---- Key files --------------------------------------------------------------------------

// One "[Group]" of a key file with its "Key=Value" lines in file order (values raw).
struct KeyFileGroup {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
  // The value of key (the last one when repeated), raw.
  const std::string* Find(std::string_view key) const;
};

// Blank lines and "#" comments skipped; spaces around "=" dropped; lines before the first
// group and lines that are no "Key=Value" ignored.
std::vector<KeyFileGroup> ParseKeyFile(std::string_view text);

// A string value with its escapes resolved (\s \n \t \r \\).
std::string KeyFileString(std::string_view raw);
// A list value: split at ";" (not at "\;"), each item unescaped, empty items dropped.
std::vector<std::string> KeyFileList(std::string_view raw);

// The locale names a localized key is looked up under, most specific first: for
// "ja_JP.UTF-8@x" they are ja_JP@x, ja_JP, ja@x, ja; none for "C", "POSIX" or "".
std::vector<std::string> LocaleLookupNames(std::string_view locale);

// ---- Application entries ---------------------------------------------------------------

// What entries are read against: the user's languages, desktops and program path.
struct DesktopContext {
  std::vector<std::string> locales;   // LocaleLookupNames of the message locale
  std::vector<std::string> desktops;  // $XDG_CURRENT_DESKTOP split at ":"
  std::string path;                   // $PATH, where TryExec is looked for
};

struct DesktopEntry {
  std::string id;    // "org.example.Editor.desktop"
  std::string name;  // in the user's language when the entry has it (UTF-8)
  std::string icon;
  std::string exec;  // unescaped, field codes still in it
  std::string workingDir;  // Path=
  std::string file;        // where the entry was read from (empty: not from a file)
  bool terminal = false;
  std::vector<std::string> mimeTypes;
};

// An application entry that can be started here, or nothing: no "[Desktop Entry]" group,
// Type other than Application, Hidden, no Exec, a TryExec that is not found, or an
// OnlyShowIn/NotShowIn that excludes every current desktop.
std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text, std::string id, const DesktopContext& context);

// An executable file: the name itself when it holds "/", else searched in path (":"-separated).
bool FindsExecutable(std::string_view name, std::string_view path);

// ---- Command lines ---------------------------------------------------------------------

// The commands that open files with entry: Exec split into words (double quotes and their
// escapes as the entry format has them), %F and %U replaced by all files as words of their
// own, %f and %u by one file (one command per file), %% by "%", %c by the name, %k by the
// entry's file, a word %i by "--icon" and the icon (nothing without one), every other code
// dropped. An Exec without any file code gets the file appended, one command per file. An
// entry run in a terminal is started as terminal + "-e" + its command. Nothing when Exec
// cannot be split (an open quote).
std::vector<std::vector<std::string>> OpenCommands(const DesktopEntry& entry, const std::vector<std::string>& files,
                                                   const std::vector<std::string>& terminal);

// The terminal command: $TERMINAL split into words when set and not empty, else
// x-terminal-emulator.
std::vector<std::string> TerminalCommand(const char* terminalVariable);

}  // namespace velkoran::app
