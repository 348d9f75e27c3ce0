#include "app/window_fonts.h"

namespace velkoran::app {
namespace {

QFont Gothic(const QString& family) {
  QFont font(family);
  font.setPixelSize(12);
  return font;
}

}  // namespace

// The Gothic face comes in a proportional and a fixed-pitch cut, as the window's design
// asks for one and the panes for the other.
QFont ProportionalFont() { return Gothic(QStringLiteral("IPAPGothic")); }
QFont FixedFont() { return Gothic(QStringLiteral("IPAGothic")); }

}  // namespace velkoran::app
