// A window with a script folder of its own, and helpers to write scripts, run them from a
// script menu and select list rows.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "script/engine.h"
#include "script/kestrin.h"
#include "window_fixture.h"

namespace velkoran::app::testing {

class ScriptWindowFixture : public WindowFixture {
 protected:
  ScriptWindowFixture() { MakeDirs(home / "Script"); }

  // Writes a script file into the program's script folder.
  void Script(const std::string& name, const std::string& text) { WriteFile(home / ("Script/" + name), text); }

  // The visible captions of a script menu, as the menu shows them.
  std::vector<std::string> Captions(const char* menu) {
    std::vector<std::string> out;
    for (const QAction* a : form->Menu(QString::fromLatin1(menu))->actions()) {
      if (a->isVisible() && !a->isSeparator()) out.push_back(FromQ(a->text()));
    }
    return out;
  }

  QAction* Item(const char* menu, const std::string& caption) {
    for (QAction* a : form->Menu(QString::fromLatin1(menu))->actions()) {
      if (FromQ(a->text()) == caption) return a;
    }
    ADD_FAILURE() << "no item " << caption << " in " << menu;
    return nullptr;
  }

  // Chooses a script item, as a click would; returns when the script has ended.
  void RunFrom(const char* menu, const std::string& caption) {
    QAction* item = Item(menu, caption);
    if (item == nullptr) return;
    item->trigger();
    Settle();
  }

  // Runs action once the next script has run for `ms` milliseconds (from inside the
  // window's event handling during the run). A script still running ten seconds later is
  // stopped and fallbackUsed set, so a failing test ends.
  void WhileRunning(int ms, std::function<void()> action) {
    QTimer::singleShot(ms, form.get(), std::move(action));
    QTimer::singleShot(10000, form.get(), [this] {
      if (form->ScriptRunning()) {
        fallbackUsed = true;
        form->ScriptHost().Engine().AbortRequested = true;
      }
    });
  }

  // Selects exactly the list rows of these names.
  void SelectRows(const std::vector<std::string>& names) {
    QTreeView* list = List();
    auto* sm = list->selectionModel();
    sm->clearSelection();
    for (const std::string& name : names) {
      const int row = RowOf(name);
      ASSERT_GE(row, 0) << name;
      sm->select(list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    Settle();
  }

  bool fallbackUsed = false;
};

}  // namespace velkoran::app::testing
