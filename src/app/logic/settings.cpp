#include "app/logic/settings.h"

#include <algorithm>
#include <cstdint>

namespace velkoran::app {
namespace {

// Larger than any screen or pane; small enough that sums of a few never overflow.
constexpr int kMaxPixels = 100000;
constexpr int kMaxMilliseconds = 600000;

int Clamp(int value, int low, int high) { return std::clamp(value, low, high); }

}  // namespace

void ClampSettings(WindowSettings& s) {
  s.window.left = Clamp(s.window.left, -kMaxPixels, kMaxPixels);
  s.window.top = Clamp(s.window.top, -kMaxPixels, kMaxPixels);
  s.window.width = Clamp(s.window.width, 0, kMaxPixels);
  s.window.height = Clamp(s.window.height, 0, kMaxPixels);
  s.mouseTabChangingTime = Clamp(s.mouseTabChangingTime, 0, kMaxMilliseconds);
  s.timerInterval = Clamp(s.timerInterval, 0, kMaxMilliseconds);
  s.treeWidth = Clamp(s.treeWidth, 0, kMaxPixels);
  s.infoHeight = Clamp(s.infoHeight, 0, kMaxPixels);
  s.logWidth = Clamp(s.logWidth, 0, kMaxPixels);
  // -1 and -2 size a column to its text or its header; anything below stays ignored.
  for (int& width : s.gridWidths) width = std::min(width, kMaxPixels);
}

Geometry FitOnScreens(const Geometry& wanted, const std::vector<Geometry>& screens, int minimumWidth, int minimumHeight) {
  if (screens.empty()) return wanted;
  // The screen that holds the window's centre; else the first (the primary).
  const std::int64_t cx = std::int64_t{wanted.left} + wanted.width / 2;
  const std::int64_t cy = std::int64_t{wanted.top} + wanted.height / 2;
  const Geometry* screen = &screens.front();
  for (const Geometry& s : screens) {
    if (cx >= s.left && cx < std::int64_t{s.left} + s.width && cy >= s.top && cy < std::int64_t{s.top} + s.height) {
      screen = &s;
      break;
    }
  }
  Geometry fit;
  fit.width = std::clamp(wanted.width, std::min(minimumWidth, screen->width), screen->width);
  fit.height = std::clamp(wanted.height, std::min(minimumHeight, screen->height), screen->height);
  fit.left = std::clamp(wanted.left, screen->left, screen->left + screen->width - fit.width);
  fit.top = std::clamp(wanted.top, screen->top, screen->top + screen->height - fit.height);
  return fit;
}

}  // namespace velkoran::app
