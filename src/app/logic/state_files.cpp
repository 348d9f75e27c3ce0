#include "app/logic/state_files.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <limits>

#include "app/logic/ui_text.h"
#include "platform/ascii.h"
#include "platform/fileio.h"
#include "platform/state_file.h"

namespace velkoran::app {
namespace {

constexpr std::string_view kEnd = "_END_";
constexpr std::string_view kCrLf = "\r\n";

// Keys are matched without regard to the case of ASCII letters.
bool SameKey(std::string_view a, std::string_view b) { return platform::EqualsAsciiNoCase(a, b); }

void AddLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key).append(" : ").append(value).append(kCrLf);
}

void AddLine(std::string& out, std::string_view key, long long value) { AddLine(out, key, std::to_string(value)); }

void AddFlag(std::string& out, std::string_view key, bool value) { AddLine(out, key, value ? "1" : "0"); }

// Integer with a fallback for text that does not parse.
int IntOr(std::string_view value, int fallback) { return ParseInteger(value).value_or(fallback); }

// A non-negative integer, or the fallback.
int NonNegativeOr(std::string_view value, int fallback) {
  const auto v = ParseInteger(value);
  return v && *v >= 0 ? *v : fallback;
}

// A positive integer, or the fallback. A window written as 0 wide or high (one that was
// never shown in the normal state) would otherwise come back as a speck nobody can grab.
int PositiveOr(std::string_view value, int fallback) {
  const auto v = ParseInteger(value);
  return v && *v > 0 ? *v : fallback;
}

bool FlagOr(std::string_view value, bool fallback) {
  const auto v = ParseInteger(value);
  return v ? *v != 0 : fallback;
}

}  // namespace

std::string_view ColumnKindName(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::FileDirectory: return "FileDirectory";
    case ColumnKind::SizeWhole: return "OSizeInt";
    case ColumnKind::SizeBytes: return "FileSize";
    case ColumnKind::DirPath: return "FilePath";
    case ColumnKind::SizeDecimal: return "OSizeFloat";
    default: return {};
  }
}

std::optional<ColumnKind> ColumnKindFromName(std::string_view name) {
  for (int k = 1; k <= 5; ++k) {
    const auto kind = static_cast<ColumnKind>(k);
    if (SameKey(name, ColumnKindName(kind))) return kind;
  }
  return std::nullopt;
}

std::string_view TrimText(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::optional<int> ParseInteger(std::string_view text) {
  text = TrimText(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  }
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(v);
}

void ApplySettingLines(const std::vector<std::string>& lines, WindowSettings& s) {
  for (const std::string& line : lines) {
    const std::size_t colon = line.find(':');
    const std::string_view whole(line);
    const std::string_view key = colon == std::string::npos ? std::string_view{} : TrimText(whole.substr(0, colon));
    const std::string_view value = colon == std::string::npos ? TrimText(whole) : TrimText(whole.substr(colon + 1));
    const auto is = [&](std::string_view name) { return SameKey(key, name); };

    if (is("Top")) s.window.top = IntOr(value, 10);
    else if (is("Left")) s.window.left = IntOr(value, 10);
    else if (is("Width")) s.window.width = PositiveOr(value, s.window.width);
    else if (is("Height")) s.window.height = PositiveOr(value, s.window.height);
    else if (is("MouseTabChangingTime")) s.mouseTabChangingTime = NonNegativeOr(value, s.mouseTabChangingTime);
    else if (is("TimerInterval")) s.timerInterval = NonNegativeOr(value, s.timerInterval);
    else if (is("TreeWidth")) s.treeWidth = IntOr(value, s.treeWidth);
    else if (is("InfoHeight")) s.infoHeight = IntOr(value, s.infoHeight);
    else if (is("LogWidth")) s.logWidth = IntOr(value, s.logWidth);
    else if (is("IgnoreDrive")) s.ignoreDrive.emplace_back(value);
    else if (is("AcceptDrive")) s.acceptDrive.emplace_back(value);
    else if (is("IgnoreShare")) s.ignoreShare = FlagOr(value, false);
    else if (is("ShowFileInfo")) {
      if (const auto kind = ColumnKindFromName(value)) s.columns.push_back(*kind);
    } else if (is("GridWidth")) s.gridWidths.push_back(IntOr(value, 50));
    else if (is("ShowDirectory")) s.showDirectory = FlagOr(value, false);
    else if (is("Uwagaki")) s.autoOverwrite = FlagOr(value, false);
    else if (is("Shortcut")) {
      const std::size_t comma = value.find(',');
      ShortcutEntry entry;
      if (comma == std::string_view::npos) {
        entry.path = std::string(value);  // no name: the whole value is the path
      } else {
        entry.name = std::string(TrimText(value.substr(0, comma)));
        entry.path = std::string(TrimText(value.substr(comma + 1)));
      }
      s.shortcuts.push_back(std::move(entry));
    } else if (is("SortType")) {
      const auto v = ParseInteger(value);
      s.sortType = v && *v >= 0 && *v <= 255 ? static_cast<std::uint8_t>(*v) : 0;
    } else if (is("SortTypeDirection")) s.sortDescending = FlagOr(value, false);
    else if (is("TreeVisible")) s.treeVisible = FlagOr(value, false);
    else if (is("AutoExpand")) s.autoExpand = FlagOr(value, false);
    else if (is("UseTrash")) s.useTrash = FlagOr(value, true);
  }
}

WindowSettings LoadSettingsFrom(const std::optional<std::vector<std::string>>& lines) {
  WindowSettings s;
  s.ignoreDrive.clear();
  s.columns = {ColumnKind::Name};
  s.gridWidths.clear();
  if (lines) {
    ApplySettingLines(*lines, s);
  } else {
    s.columns = {ColumnKind::Name,     ColumnKind::FileDirectory, ColumnKind::SizeWhole,
                 ColumnKind::SizeBytes, ColumnKind::DirPath,      ColumnKind::SizeDecimal};
  }
  if (!s.treeVisible) s.autoExpand = true;
  return s;
}

bool FitsOnOneLine(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

std::string SerializeSettings(const WindowSettings& s) {
  std::string out;
  AddLine(out, "Top", s.savedGeometry.top);
  AddLine(out, "Left", s.savedGeometry.left);
  AddLine(out, "Width", s.savedGeometry.width);
  AddLine(out, "Height", s.savedGeometry.height);
  AddLine(out, "MouseTabChangingTime", s.mouseTabChangingTime);
  AddLine(out, "TimerInterval", s.timerInterval);
  AddLine(out, "TreeWidth", s.treeWidth);
  AddLine(out, "InfoHeight", s.infoHeight);
  AddLine(out, "LogWidth", s.logWidth);
  for (const std::string& m : s.ignoreDrive) AddLine(out, "IgnoreDrive", m);
  for (const std::string& m : s.acceptDrive) AddLine(out, "AcceptDrive", m);
  AddFlag(out, "IgnoreShare", s.ignoreShare);
  for (std::size_t i = 1; i < s.columns.size(); ++i) {
    const std::string_view name = ColumnKindName(s.columns[i]);
    if (!name.empty()) AddLine(out, "ShowFileInfo", name);
  }
  for (int w : s.gridWidths) AddLine(out, "GridWidth", w);
  AddFlag(out, "ShowDirectory", s.showDirectory);
  AddFlag(out, "Uwagaki", s.autoOverwrite);
  for (const ShortcutEntry& e : s.shortcuts) {
    // A directory name with a line end in it cannot be stored on one line; dropping the
    // shortcut keeps every other setting readable.
    if (!FitsOnOneLine(e.name) || !FitsOnOneLine(e.path)) continue;
    AddLine(out, "Shortcut", e.name + "," + e.path);
  }
  AddLine(out, "SortType", s.sortType);
  AddFlag(out, "SortTypeDirection", s.sortDescending);
  AddFlag(out, "TreeVisible", s.treeVisible);
  AddFlag(out, "AutoExpand", s.autoExpand);
  AddFlag(out, "UseTrash", s.useTrash);
  return out;
}

BufferSet ParseBuffers(const std::vector<std::string>& lines) {
  BufferSet buffers;
  std::size_t current = 0;
  for (const std::string& line : lines) {
    if (line == kEnd) {
      if (++current == buffers.size()) break;
      continue;
    }
    buffers[current].push_back(line);
  }
  return buffers;
}

std::string SerializeBuffers(const BufferSet& buffers) {
  std::string out;
  for (const auto& buffer : buffers) {
    for (const std::string& entry : buffer) {
      // An entry with a line end, or one reading "_END_", would split or end its block and
      // shift every later buffer; such an entry is left out instead.
      if (!FitsOnOneLine(entry) || entry == kEnd) continue;
      out.append(entry).append(kCrLf);
    }
    out.append(kEnd).append(kCrLf);
  }
  return out;
}

std::vector<TabState> ParseTabs(const std::optional<std::vector<std::string>>& lines) {
  std::vector<TabState> tabs;
  if (lines) {
    std::size_t inBlock = 0;  // lines of the current block read so far
    std::string first;
    for (const std::string& line : *lines) {
      if (line == kEnd) {
        inBlock = 0;
        continue;
      }
      ++inBlock;
      if (inBlock == 1) {
        first = line;
      } else if (inBlock == 2) {
        TabState tab;
        tab.selectedPath = first;
        tab.topPath = line;
        tab.caption = first;
        tabs.push_back(std::move(tab));
      } else {
        tabs.back().expandedPaths.push_back(line);
      }
    }
  }
  if (tabs.empty()) tabs.emplace_back();
  return tabs;
}

std::string SerializeTabs(const std::vector<TabState>& tabs) {
  std::string out;
  const auto line = [&](std::string_view text) {
    out.append(FitsOnOneLine(text) && text != kEnd ? text : std::string_view{}).append(kCrLf);
  };
  for (const TabState& tab : tabs) {
    line(tab.selectedPath);
    line(tab.topPath);
    for (const std::string& p : tab.expandedPaths) {
      if (FitsOnOneLine(p) && p != kEnd) line(p);
    }
    out.append(kEnd).append(kCrLf);
  }
  return out;
}

std::vector<LauncherEntry> ParseLauncher(const std::vector<std::string>& lines) {
  std::vector<LauncherEntry> entries;
  for (const std::string& line : lines) {
    const std::size_t colon = line.find(':');
    const std::string_view whole(line);
    if (colon == std::string::npos) {
      entries.push_back({std::string{}, std::string(TrimText(whole))});
    } else {
      entries.push_back({std::string(TrimText(whole.substr(0, colon))), std::string(TrimText(whole.substr(colon + 1)))});
    }
  }
  return entries;
}

std::string SerializeLauncher(const std::vector<LauncherEntry>& entries) {
  std::string out;
  for (const LauncherEntry& e : entries) out.append(e.name).append(":").append(e.target).append(kCrLf);
  return out;
}

std::optional<std::vector<std::string>> ReadStateFile(const std::string& path, std::string& note) {
  int error = 0;
  auto lines = platform::ReadTextLines(path, &error);
  if (!lines && error != ENOENT) note = UiText("読み込みを省略: ") + path + " (" + platform::ErrorText(error) + ")";
  return lines;
}

}  // namespace velkoran::app
