// Window tests on the offscreen platform: the fakes and scratch folders a window is made
// with, and a fixture that opens one window over them with helpers to reach its widgets.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "app/form_main.h"
#include "app/qt_text.h"
#include "app_fakes.h"
#include "support/qt_app.h"

namespace velkoran::app::testing {

using velkoran::testing::App;
using velkoran::testing::Settle;

// The widget of this object name below parent; fails the test when there is none.
template <typename T>
T* ChildOf(QWidget& parent, const char* name) {
  T* w = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// A program folder (home, with save/) and a data folder that is the only volume root.
class WindowRig : public ::testing::Test {
 protected:
  WindowRig() {
    App();
    MakeDirs(home / "save");
    volumes.roots = {NoSlash(data.Path())};
  }

  // What a window is made with: the fakes and the program folder, no signal handling.
  virtual FormDependencies Dependencies() {
    FormDependencies deps;
    deps.volumes = &volumes;
    deps.network = &network;
    deps.questions = &questions;
    deps.shell = &shell;
    deps.programDir = home.Path();
    deps.firstStartDirectory = NoSlash(data.Path());
    deps.handleTerminationSignals = false;
    return deps;
  }

  ScratchDir home;
  ScratchDir data;
  FakeVolumes volumes;
  FakeNetwork network;
  ScriptedQuestions questions;
  FakeShell shell;
};

// One window, opened by the test and closed at its end.
class WindowFixture : public WindowRig {
 protected:
  ~WindowFixture() override { CloseWindow(); }

  // Closes and destroys the window. A fixture whose own members the window uses calls it in
  // its destructor, so that the window goes before them.
  void CloseWindow() {
    if (!form) return;
    questions.onAsk = nullptr;
    form->close();
    form.reset();
  }

  // Writes setting.ini, then makes the window with Dependencies() and shows it.
  TForm_Main& Open(const std::string& settings = "TreeVisible : 1\r\n") {
    WriteFile(home / "save/setting.ini", settings);
    form = std::make_unique<TForm_Main>(Dependencies());
    form->show();
    form->activateWindow();
    Settle();
    return *form;
  }

  // Goes to path through the location bar.
  void Go(const std::string& path) {
    Child<QComboBox>("CB_LocateBar")->setEditText(ToQ(path));
    Child<QPushButton>("SB_Go")->click();
    Settle();
  }

  template <typename T>
  T* Child(const char* name) {
    return ChildOf<T>(*form, name);
  }
  QTreeView* Tree() { return Child<QTreeView>("TV_Directorys"); }
  QTreeView* List() { return Child<QTreeView>("LV_FileList"); }

  // The path of the tree's selected node, or "(none)".
  std::string Selected() {
    const DirNode* node = form->Logic().SelectedNode();
    return node != nullptr ? node->Path() : std::string("(none)");
  }

  // Row index of the list entry with this name, or -1.
  int RowOf(const std::string& name) {
    const FileList& list = form->Logic().List();
    for (int i = 0; i < list.RowCount(); ++i) {
      if (list.Row(i).name == name) return i;
    }
    return -1;
  }

  std::size_t LogCount() { return static_cast<std::size_t>(Child<QListWidget>("LB_Log")->count()); }
  // The log's lines from index mark on.
  std::vector<std::string> LogSince(std::size_t mark) {
    auto* log = Child<QListWidget>("LB_Log");
    std::vector<std::string> lines;
    for (int i = static_cast<int>(mark); i < log->count(); ++i) lines.push_back(FromQ(log->item(i)->text()));
    return lines;
  }
  // The log's last line, or the one before it (back = 1): a transfer ends with its summary.
  std::string LastLog(int back = 0) {
    auto* log = Child<QListWidget>("LB_Log");
    return log->count() > back ? FromQ(log->item(log->count() - 1 - back)->text()) : std::string();
  }

  std::unique_ptr<TForm_Main> form;
};

}  // namespace velkoran::app::testing
