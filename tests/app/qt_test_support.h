// What the window tests share: the one application object of the test process and a
// short turn of its event loop.
#pragma once

#include <QApplication>

namespace velkoran::app::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test_window";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace velkoran::app::testing
