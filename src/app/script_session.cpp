#include "app/script_session.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <optional>

#include "app/logic/window_logic.h"
#include "platform/paths.h"
#include "script/host/host_classes.h"
#include "script/kestrin.h"
#include "script/parser.h"

namespace velkoran::app {
namespace {

constexpr std::int32_t ClampToInt32(std::uint64_t v) {
  return v > static_cast<std::uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(v);
}

fileops::ProgressBar BarOf(ScriptProgressBar bar) {
  return bar == ScriptProgressBar::Main ? fileops::ProgressBar::Main : fileops::ProgressBar::Sub;
}

}  // namespace

ScriptSession::ScriptSession(WindowLogic& logic, platform::UserQuestions* questions, std::function<void(bool)> onRunning)
    : logic_(logic), onRunning_(std::move(onRunning)) {
  // The interpreter: host classes, dialogs through the window's questions, output to the
  // log, and the window's events handled while a script runs.
  kestrin_ = std::make_unique<kestrin::TKestrin>(questions, &kestrin::RegisterHostClasses);
  kestrin_->OnStdout = [this](kestrin::TKestrin&, std::string_view text) { Stdout(text); };
  kestrin_->OnNewObject = [this](kestrin::TKestrin&, kestrin::TJObject& object) {
    if (auto* velko = dynamic_cast<TVelkoran*>(&object)) velko->Bind(this);
  };
  kestrin_->ReportValueTemporaries = false;  // only Velkoran objects are of interest
  kestrin_->Engine().OnPoll = [](kestrin::TJEngine&) { QCoreApplication::processEvents(); };
}

ScriptSession::~ScriptSession() = default;

void ScriptSession::RegisterApplicationClass() { kestrin_->RegisterClass("Velkoran", TVelkoran::Info()); }

void ScriptSession::RunScriptFile(const std::string& path, ScriptTarget target, const std::vector<int>& selectedRows) {
  if (running_) return;  // one script at a time
  const ScriptFileText file = ReadScriptFile(path);
  if (!file.ok) {
    logic_.AppendLog(ScriptOpenFailureMessage(path, file.error));
    return;
  }
  const platform::PathRules& rules = platform::HostPaths();
  std::string program;
  if (target == ScriptTarget::Tree) {
    const DirNode* node = logic_.SelectedNode();
    program = TreeScriptPrefix(rules, node != nullptr ? std::optional<std::string>(node->Path()) : std::nullopt);
  } else {
    std::vector<ScriptSelectionEntry> selection;
    const FileList& list = logic_.List();
    for (const int row : selectedRows) selection.push_back({list.FullPath(row), list.Row(row).isDirectory});
    program = ListScriptPrefix(rules, selection);
  }
  // Compile errors name the script file and its own line, not the line in the whole text.
  const kestrin::TJSourceOrigin origin{platform::HostPaths().LastComponent(path), ScriptHeadLines(program), ScriptHeadLabel()};
  AppendScriptLines(program, file.text);
  RunProgram(program, origin);
}

void ScriptSession::RunProgram(std::string_view program, const kestrin::TJSourceOrigin& origin) {
  running_ = true;
  if (onRunning_) onRunning_(true);
  struct Done {
    ScriptSession& session;
    ~Done() {
      session.ReleaseScriptObjects();
      session.running_ = false;
      // The bars a script drove would go on showing its last values.
      session.logic_.ResetProgress();
      if (session.onRunning_) session.onRunning_(false);
    }
  } done{*this};
  try {
    // A syntax error arrives without a line end; it is a line of its own all the same.
    if (!kestrin_->Compile(program, origin) && kestrin_->CompileFailed()) Stdout("\r\n");
    kestrin_->Run();
  } catch (const std::exception& e) {
    // A failure of the system that no script error stands for ends the run.
    logic_.AppendLog(e.what());
  }
}

void ScriptSession::ReleaseScriptObjects() {
  // Nothing of a finished script stays alive: its variables are dropped and its objects
  // freed, so files it left open are closed and their locks released now, not at the
  // next run.
  kestrin_->Clear();
  kestrin::TJObjectFactory& objects = kestrin_->Engine().ObjectFactory();
  objects.Sweep();
  objects.CollectCycles();
}

void ScriptSession::Abort() { kestrin_->Engine().AbortRequested = true; }

void ScriptSession::Stdout(std::string_view text) {
  if (std::optional<std::string> line = output_.Add(text)) logic_.AppendLog(*line);
}

// ---- The application object's window ------------------------------------------------

int ScriptSession::ScriptTabIndex() const { return logic_.CurrentTab(); }

int ScriptSession::ScriptTabCount() const { return static_cast<int>(logic_.Tabs().size()); }

std::int32_t ScriptSession::ScriptProgressPosition(ScriptProgressBar bar) const {
  return ClampToInt32(logic_.Progress(BarOf(bar)).position);
}

std::int32_t ScriptSession::ScriptProgressMaximum(ScriptProgressBar bar) const {
  return ClampToInt32(logic_.Progress(BarOf(bar)).maximum);
}

void ScriptSession::SetScriptProgressPosition(ScriptProgressBar bar, std::int32_t position) {
  const std::uint64_t maximum = logic_.Progress(BarOf(bar)).maximum;
  const std::uint64_t clamped = position < 0 ? 0 : std::min<std::uint64_t>(static_cast<std::uint64_t>(position), maximum);
  logic_.SetProgressPosition(BarOf(bar), clamped);
}

void ScriptSession::SetScriptProgressMaximum(ScriptProgressBar bar, std::int32_t maximum) {
  const std::uint64_t m = maximum < 0 ? 0 : static_cast<std::uint64_t>(maximum);
  // A position beyond the new range moves to its end.
  if (logic_.Progress(BarOf(bar)).position > m) logic_.SetProgressPosition(BarOf(bar), m);
  logic_.SetProgressMaximum(BarOf(bar), m);
}

int ScriptSession::ScriptFileBufferIndex() const { return logic_.Buffers().Current(); }

void ScriptSession::SetScriptFileBufferIndex(int index) { logic_.Buffers().SetCurrent(index); }

void ScriptSession::ScriptUpdateTree() { logic_.RefreshTree(); }

void ScriptSession::ScriptUpdateFileList() { logic_.ListDirectory(); }

void ScriptSession::ScriptLog(std::string_view text) { logic_.AppendLog(text); }

void ScriptSession::ScriptChangeTab(int index) { logic_.SelectTab(index); }

void ScriptSession::ScriptToggleBufferEntry(std::string_view path) { logic_.Buffers().Toggle(path); }

void ScriptSession::ScriptShowFileBuffer() { logic_.ShowFileBuffer(); }

}  // namespace velkoran::app
