// The window-wide settings that setting.ini restores and saves, with their defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkoran::app {

// What a column of the file list shows. Kind 0 (the name) is always the first column.
enum class ColumnKind : std::uint8_t {
  Name = 0,
  FileDirectory = 1,
  SizeWhole = 2,    // "OSizeInt"
  SizeBytes = 3,    // "FileSize"
  DirPath = 4,      // "FilePath"
  SizeDecimal = 5,  // "OSizeFloat"
};

struct ShortcutEntry {
  std::string path;  // a directory, ending in the separator
  std::string name;  // what the menus show
  bool operator==(const ShortcutEntry&) const = default;
};

struct LauncherEntry {
  std::string name;
  std::string target;
  bool operator==(const LauncherEntry&) const = default;
};

struct Geometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Geometry&) const = default;
};

struct WindowSettings {
  // The window's bounds as read; the window applies them at start.
  Geometry window{267, 133, 633, 550};
  // The bounds last seen while the window was in the normal state; these are written.
  // They stay zero until the timer first sees the window.
  Geometry savedGeometry;
  int mouseTabChangingTime = 1000;
  int timerInterval = 100;
  int treeWidth = 201;
  int infoHeight = 112;
  int logWidth = 349;
  std::vector<std::string> ignoreDrive;
  std::vector<std::string> acceptDrive;
  bool ignoreShare = false;
  std::vector<ColumnKind> columns{ColumnKind::Name};
  std::vector<int> gridWidths;
  bool showDirectory = false;
  bool autoOverwrite = false;
  std::vector<ShortcutEntry> shortcuts;
  std::uint8_t sortType = 0;
  bool sortDescending = false;
  bool treeVisible = false;
  bool autoExpand = true;
  bool useTrash = true;  // deletes go to the desktop's trash ("UseTrash")

  bool operator==(const WindowSettings&) const = default;
};

// Brings every number read from setting.ini into its range (sizes and positions within
// 100 000 pixels, times within ten minutes), so that no value a damaged or hand-edited
// file holds can overflow the window's arithmetic.
void ClampSettings(WindowSettings& settings);

// The window's bounds on the screens it may show on (available areas): on the screen that
// holds its centre (else the first), no larger than that screen, no smaller than the
// minimum, and wholly on it.
Geometry FitOnScreens(const Geometry& wanted, const std::vector<Geometry>& screens, int minimumWidth, int minimumHeight);

}  // namespace velkoran::app
