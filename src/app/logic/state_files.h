// The four state files in their exact line formats: setting.ini, fbuf.txt, tab.txt and
// Launch.txt. Parsing takes the file's lines (line ends already removed); serialising
// gives the whole file text with CR LF line ends.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/settings.h"
#include "app/logic/tab_state.h"

namespace velkoran::app {

inline constexpr int kBufferCount = 12;
using BufferSet = std::array<std::vector<std::string>, kBufferCount>;

inline constexpr std::string_view kSettingsFile = "setting.ini";
inline constexpr std::string_view kBuffersFile = "fbuf.txt";
inline constexpr std::string_view kTabsFile = "tab.txt";
inline constexpr std::string_view kLauncherFile = "Launch.txt";

// The name of a column kind in setting.ini; empty for the name column and unknown kinds.
std::string_view ColumnKindName(ColumnKind kind);
std::optional<ColumnKind> ColumnKindFromName(std::string_view name);

// Signed decimal within 32 bits after trimming; nothing otherwise.
std::optional<int> ParseInteger(std::string_view text);
// Removes leading and trailing blanks and control characters.
std::string_view TrimText(std::string_view text);

// Reads setting.ini's lines on top of the current values in settings (each key applies as
// it is read, with the fallbacks for values that do not parse). Call it on settings that
// LoadSettings has prepared.
void ApplySettingLines(const std::vector<std::string>& lines, WindowSettings& settings);

// The whole load step: defaults, then the file when it exists, then the rules that follow
// (all six columns without a file; a hidden tree always expands automatically).
WindowSettings LoadSettingsFrom(const std::optional<std::vector<std::string>>& lines);

std::string SerializeSettings(const WindowSettings& settings);

// fbuf.txt: twelve blocks, each ended by "_END_".
BufferSet ParseBuffers(const std::vector<std::string>& lines);
std::string SerializeBuffers(const BufferSet& buffers);

// tab.txt: one block per tab. A file that yields no tab gives one empty tab.
std::vector<TabState> ParseTabs(const std::optional<std::vector<std::string>>& lines);
std::string SerializeTabs(const std::vector<TabState>& tabs);

// Launch.txt: name, colon, target per line.
std::vector<LauncherEntry> ParseLauncher(const std::vector<std::string>& lines);
std::string SerializeLauncher(const std::vector<LauncherEntry>& entries);

// The lines of a state file. A missing file gives nothing quietly; one that is there but
// is no regular file (a pipe or a device is never waited on) or cannot be read gives
// nothing and a log line in note.
std::optional<std::vector<std::string>> ReadStateFile(const std::string& path, std::string& note);

// True when text can stand on a line of its own in a state file (no line end inside).
bool FitsOnOneLine(std::string_view text);

}  // namespace velkoran::app
