#include "app/logic/tab_hover.h"

namespace velkoran::app {

int TabHoverSwitch::Step(int tabUnderPointer, int currentTab, std::uint32_t now, std::uint32_t restingTime,
                         bool pointerMoved) {
  if (tabUnderPointer < 0 || tabUnderPointer == currentTab) {
    start_ = now;
    return -1;
  }
  if (tabUnderPointer == hoverTab_) {
    // Unsigned subtraction keeps the elapsed time right across the counter's wrap-around.
    if (static_cast<std::uint32_t>(now - start_) > restingTime) {
      hoverTab_ = -1;
      return tabUnderPointer;
    }
    return -1;
  }
  start_ = now;
  hoverTab_ = pointerMoved ? tabUnderPointer : -1;
  return -1;
}

}  // namespace velkoran::app
