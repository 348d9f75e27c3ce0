// The window's script launch without widgets: which files the script menus list, the
// generated text that hands a script its selection, reading a script file, and assembling
// a script's output into log lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace velkoran::app {

// ---- Script menus -----------------------------------------------------------------------

// The script files of dir: the names of entries matching "*.txt" (letter case ignored)
// that are not directories (a link counts as what it points to), in name order
// (NameSortsBefore), as the menus show them. A folder that cannot be read has none.
std::vector<std::string> ListScriptFiles(std::string_view dir);

// A script's menu caption: the file name without its last extension ("a.b.txt" → "a.b").
std::string ScriptCaption(std::string_view fileName);

// ---- The generated prefix -----------------------------------------------------------------

// One selected entry of the file list, in list order.
struct ScriptSelectionEntry {
  std::string path;  // the directory's path plus the entry's name
  bool isDirectory = false;
};

// The three declarations every script starts with, each ending in CR LF.
std::string ScriptPrologue();

// A path as the script sees it: a directory without trailing separator, the root as itself.
std::string ScriptDirectoryPath(const platform::PathRules& rules, std::string_view path);

// A script expression whose value is exactly text: a single-quoted literal (backslashes are
// ordinary there); a single quote, which such a literal cannot hold, is joined in from a
// double-quoted one.
std::string ScriptStringExpression(std::string_view text);

// For a tree menu: the prologue, then, when a node is selected, its directory object added
// to Directorys (no line end of its own).
std::string TreeScriptPrefix(const platform::PathRules& rules, const std::optional<std::string>& selectedNodePath);

// For the file list's menus: the prologue, then one line per selected entry adding a
// Directory to Directorys or a File to Files.
std::string ListScriptPrefix(const platform::PathRules& rules, const std::vector<ScriptSelectionEntry>& selection);

// How many lines of the program come before the script file's first line once its lines
// are appended to prefix: the prefix's own and the empty line that AppendScriptLines starts.
std::int32_t ScriptHeadLines(std::string_view prefix);

// How an error inside the prefix is pointed out (the script file itself is not at fault).
std::string ScriptHeadLabel();

// Appends every line of a script file, each preceded by CR LF. Lines end in LF or CR LF;
// a last line without a line end counts, an empty text has no line.
void AppendScriptLines(std::string& program, std::string_view fileText);

// ---- Script files -------------------------------------------------------------------------

struct ScriptFileText {
  bool ok = false;
  std::string text;   // the file's bytes
  std::string error;  // why it could not be read (the system's words)
};

// Reads a whole script file (links followed).
ScriptFileText ReadScriptFile(std::string_view path);

// The log line for a script file that cannot be opened.
std::string ScriptOpenFailureMessage(std::string_view path, std::string_view error);

// ---- Output -------------------------------------------------------------------------------

// Collects script output into log lines. A text whose last two bytes are CR LF completes a
// line (without them); other texts wait for it. Line ends inside a text do not split it.
// What waits is kept across runs.
class ScriptOutputLines {
 public:
  // The completed line, if this text completed one.
  std::optional<std::string> Add(std::string_view text);
  const std::string& Pending() const { return lineBuffer_; }

 private:
  std::string lineBuffer_;  // LineBuffer
};

}  // namespace velkoran::app
