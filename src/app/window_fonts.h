// The window's fonts: the Japanese Gothic face at 12 pixels, proportional for the window
// itself and the script dialogs, fixed-pitch for the tree, list, buffer list, log and labels.
#pragma once

#include <QFont>

namespace velkoran::app {

QFont ProportionalFont();  // the window's own font
QFont FixedFont();         // tree, list, buffer list, log and labels

}  // namespace velkoran::app
