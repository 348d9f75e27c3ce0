// Scripts launched through the window on the offscreen platform: the cost of a launch
// (read, prefix, compile, run, release), a launch over a large selection, the price of
// the window's event polling in a busy loop, and how soon Esc ends a looping script.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/form_main.h"
#include "app/qt_text.h"
#include "script/host/host_classes.h"
#include "script/kestrin.h"
#include "support/files.h"
#include "support/scratch_dir.h"

using namespace velkoran;

namespace {

// One window over a scratch program folder, shown offscreen.
struct Rig {
  testing::ScratchDir home;
  testing::ScratchDir data;
  std::unique_ptr<app::TForm_Main> form;

  Rig() {
    testing::MakeDirs(home / "save");
    testing::MakeDirs(home / "Script");
  }
  ~Rig() {
    if (form) form->close();
  }
  void Script(const std::string& name, const std::string& text) { testing::WriteFile(home / ("Script/" + name), text); }
  void Open() {
    app::FormDependencies deps;
    deps.programDir = home.Path();
    deps.handleTerminationSignals = false;
    form = std::make_unique<app::TForm_Main>(deps);
    form->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  void Go(const std::string& path) {
    form->findChild<QComboBox*>("CB_LocateBar")->setEditText(app::ToQ(path));
    form->findChild<QPushButton*>("SB_Go")->click();
    QApplication::processEvents();
  }
  QAction* Item(const char* caption) {
    for (QAction* a : form->Menu(QStringLiteral("PM_Script"))->actions()) {
      if (a->text() == QString::fromLatin1(caption)) return a;
    }
    return nullptr;
  }
};

void BM_LaunchTrivialScript(benchmark::State& state) {
  Rig rig;
  rig.Script("one.txt", "i = 1;");
  rig.Open();
  QAction* item = rig.Item("one");
  for (auto _ : state) item->trigger();
}
BENCHMARK(BM_LaunchTrivialScript)->Unit(benchmark::kMicrosecond);

// Every row of a listing of n files selected: n File objects made by the prefix.
void BM_LaunchOverSelection(benchmark::State& state) {
  Rig rig;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) testing::WriteFile(rig.data / ("file" + std::to_string(i) + ".txt"), "");
  rig.Script("count.txt", "n = Files.length;");
  rig.Open();
  rig.Go(rig.data.Path());
  rig.form->findChild<QTreeView*>("LV_FileList")->selectAll();
  if (static_cast<int>(rig.form->SelectedFileRows().size()) != n) state.SkipWithError("selection incomplete");
  QAction* item = rig.Item("count");
  for (auto _ : state) item->trigger();
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LaunchOverSelection)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

constexpr const char* kLoop = "s = 0; for (i = 0; i < 2000000; i++) { s = s + i; }";

// The same busy loop through the window (events polled every 50 ms) ...
void BM_LoopThroughWindow(benchmark::State& state) {
  Rig rig;
  rig.Script("loop.txt", kLoop);
  rig.Open();
  QAction* item = rig.Item("loop");
  for (auto _ : state) item->trigger();
}
BENCHMARK(BM_LoopThroughWindow)->Unit(benchmark::kMillisecond);

// ... and through a bare host component without a poll hook.
void BM_LoopBareComponent(benchmark::State& state) {
  kestrin::TKestrin k(nullptr, &kestrin::RegisterHostClasses);
  const std::string program = std::string("x = 0;\r\n") + kLoop;
  for (auto _ : state) {
    k.Compile(program);
    k.Run();
    k.Clear();
  }
}
BENCHMARK(BM_LoopBareComponent)->Unit(benchmark::kMillisecond);

// Time from an Esc key press queued by another thread, as the window system would queue
// it, to the end of a looping script: the wait for the next poll of the window's events
// (at most the poll interval of 50 ms, 25 ms on average).
void BM_EscToAbort(benchmark::State& state) {
  Rig rig;
  rig.Script("spin.txt", "while (true) { i = 1; }");
  rig.Open();
  QAction* item = rig.Item("spin");
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : rig.form.get();
  int round = 0;
  for (auto _ : state) {
    // The press falls anywhere between two polls: 60 to 159 ms into the run.
    const auto delay = std::chrono::milliseconds(60 + (round++ * 37) % 100);
    std::chrono::steady_clock::time_point pressed;
    std::unique_ptr<QThread> presser(QThread::create([&] {
      std::this_thread::sleep_for(delay);
      pressed = std::chrono::steady_clock::now();
      QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }));
    presser->start();
    item->trigger();
    const auto ended = std::chrono::steady_clock::now();
    presser->wait();
    state.SetIterationTime(std::chrono::duration<double>(ended - pressed).count());
  }
}
BENCHMARK(BM_EscToAbort)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
