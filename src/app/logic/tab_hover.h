// Switching tabs by resting the pointer on one: the timer reports which tab is under the
// pointer on every tick; a tab other than the current one that stays there for longer than
// the configured time is the one to switch to. Times are the system tick counter's
// unsigned 32-bit milliseconds, so the count may wrap around while the pointer rests.
#pragma once

#include <cstdint>

namespace velkoran::app {

class TabHoverSwitch {
 public:
  // One timer step. tabUnderPointer is -1 when the pointer is over no tab; pointerMoved
  // tells whether the pointer moved since the last step. Returns the tab to switch to, or
  // -1. Only a tab the pointer moved onto is timed: when captions change width the row
  // reflows, and a tab that merely slid under a resting pointer was never pointed at.
  int Step(int tabUnderPointer, int currentTab, std::uint32_t now, std::uint32_t restingTime, bool pointerMoved = true);
  // Starts the timing afresh (the pointer may not switch anything now, e.g. behind a dialog).
  void Restart(std::uint32_t now) { start_ = now; }
  int HoverTab() const { return hoverTab_; }

 private:
  int hoverTab_ = -1;
  std::uint32_t start_ = 0;
};

}  // namespace velkoran::app
