#include "app/window_fonts.h"

namespace velkoran::app {
namespace {

QFont Gothic() {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(12);
  return font;
}

}  // namespace

QFont ProportionalFont() { return Gothic(); }
QFont FixedFont() { return Gothic(); }

}  // namespace velkoran::app
