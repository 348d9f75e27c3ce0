// A window on the offscreen platform with a script folder of its own, and helpers to
// write scripts, run them from a script menu, select list rows and read the log.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form_main.h"
#include "app/qt_text.h"
#include "app_fakes.h"
#include "qt_test_support.h"
#include "script/engine.h"
#include "script/kestrin.h"

namespace velkoran::app::testing {

class ScriptWindowFixture : public ::testing::Test {
 protected:
  ScriptWindowFixture() {
    App();
    MakeDirs(home / "save");
    MakeDirs(home / "Script");
    volumes.roots = {data.Path().substr(0, data.Path().size() - 1)};
  }
  ~ScriptWindowFixture() override {
    if (form) form->close();
  }

  // Writes a script file into the program's script folder.
  void Script(const std::string& name, const std::string& text) { WriteFile(home / ("Script/" + name), text); }

  TForm_Main& Open(const std::string& settings = "TreeVisible : 1\r\n") {
    WriteFile(home / "save/setting.ini", settings);
    FormDependencies deps;
    deps.volumes = &volumes;
    deps.network = &network;
    deps.questions = &questions;
    deps.shell = &shell;
    deps.programDir = home.Path();
    deps.handleTerminationSignals = false;
    form = std::make_unique<TForm_Main>(deps);
    form->show();
    form->activateWindow();
    Settle();
    return *form;
  }

  void Go(const std::string& path) {
    Child<QComboBox>("CB_LocateBar")->setEditText(ToQ(path));
    Child<QPushButton>("SB_Go")->click();
    Settle();
  }

  template <typename T>
  T* Child(const char* name) {
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

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
    auto* list = Child<QTreeView>("LV_FileList");
    auto* sm = list->selectionModel();
    sm->clearSelection();
    for (const std::string& name : names) {
      const int row = RowOf(name);
      ASSERT_GE(row, 0) << name;
      sm->select(list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    Settle();
  }

  int RowOf(const std::string& name) {
    const FileList& list = form->Logic().List();
    for (int i = 0; i < list.RowCount(); ++i) {
      if (list.Row(i).name == name) return i;
    }
    return -1;
  }

  std::size_t LogCount() { return static_cast<std::size_t>(Child<QListWidget>("LB_Log")->count()); }
  std::vector<std::string> LogSince(std::size_t mark) {
    auto* log = Child<QListWidget>("LB_Log");
    std::vector<std::string> lines;
    for (int i = static_cast<int>(mark); i < log->count(); ++i) lines.push_back(FromQ(log->item(i)->text()));
    return lines;
  }
  std::string LastLog() {
    auto* log = Child<QListWidget>("LB_Log");
    return log->count() > 0 ? FromQ(log->item(log->count() - 1)->text()) : std::string();
  }

  ScratchDir home;
  ScratchDir data;
  FakeVolumes volumes;
  FakeNetwork network;
  ScriptedQuestions questions;
  FakeShell shell;
  std::unique_ptr<TForm_Main> form;
  bool fallbackUsed = false;
};

}  // namespace velkoran::app::testing
