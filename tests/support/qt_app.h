// The one application object of a Qt test process, and a short turn of its event loop.
#pragma once

#include <errno.h>

#include <QApplication>

namespace velkoran::testing {

inline QApplication& App() {
  static int argc = 1;
  static char* argv[] = {program_invocation_short_name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace velkoran::testing
