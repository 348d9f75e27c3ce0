#include "script/engine.h"

#include <pthread.h>

#include <algorithm>

#include "script/builtins/builtins.h"
#include "script/builtins/global.h"

namespace kestrin {

namespace {

// Bytes of stack kept free below the deepest script call or expression, so the error
// raised there and its handlers have room. Big enough for the sanitizer's larger frames.
std::size_t StackMargin(std::size_t stackSize) {
  return std::clamp<std::size_t>(stackSize / 8, 128 * 1024, 1024 * 1024);
}

// The lowest address the running thread may use before the margin.
std::uintptr_t ComputeStackLimit() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* addr = nullptr;
  std::size_t size = 0;
  const bool ok = pthread_attr_getstack(&attr, &addr, &size) == 0;
  pthread_attr_destroy(&attr);
  if (!ok || addr == nullptr) return 0;
  // An unlimited main-thread stack is reported as huge; count on no more than 64 MiB
  // below the current position.
  const char* here = static_cast<const char*>(__builtin_frame_address(0));
  const char* low = static_cast<const char*>(addr);
  constexpr std::size_t kAssumedMax = 64u << 20;
  if (static_cast<std::size_t>(here - low) > kAssumedMax) low = here - kAssumedMax;
  return reinterpret_cast<std::uintptr_t>(low + StackMargin(static_cast<std::size_t>(here - low)));
}


}  // namespace

// ---------------------------------------------------------------------------------------
// Construction and runs

TJEngine::TJEngine(velkoran::platform::UserQuestions* questions) : questions_(questions), factory_(this) {
  factory_.OnNewObject = [this](TJObjectFactory&, TJObject& object) { ConnectNewObject(object); };
  for (const TJBuiltinClass& b : BuiltinClasses()) factory_.RegisterClass(b.Name, b.Info());
  global_ = std::make_unique<TJGlobalObject>(&factory_, nullptr);
  global_->OnOutput = [this](std::string_view text) { Print(text); };
  global_->WatchKeys();
  for (const TJBuiltinClass& b : BuiltinClasses()) {
    if (b.Singleton) singletons_.emplace_back(std::string(b.Name), factory_.CreateDetached(b.Name));
  }
  tables_.SetCurrent(SharedString("__Global__"));
  tables_.AddTable("__Global__", NewModuleTable());
}

// Listed objects, the global object and the singletons may hold counts on each other in
// any direction (an array holding `this` at the top level holds the global object), so all
// of them let go of their references first, while all are alive. Then the members go in
// reverse order: the tables (their releases only change counts), the singletons, the
// global object, and last the factory with every object still listed.
TJEngine::~TJEngine() {
  factory_.DropAllReferences();
  for (auto& singleton : singletons_) singleton.second->DropReferences();
  global_->DropReferences();
}

void TJEngine::RegisterClass(std::string_view name, const TJClassInfo& cls) { factory_.RegisterClass(name, cls); }

TJObject* TJEngine::Singleton(std::string_view name) const noexcept {
  for (const auto& s : singletons_) {
    if (s.first == name) return s.second.get();
  }
  return nullptr;
}

std::unique_ptr<TJSymbolTable> TJEngine::NewModuleTable() {
  auto table = std::make_unique<TJSymbolTable>(global_.get());
  table->OnClear = [this](TJSymbolTable& t) {
    t.Vars().Set(TJName("Global"), TJValue::Object(global_.get()));
    for (const auto& s : singletons_) t.Vars().Set(TJName(s.first), TJValue::Object(s.second.get()));
  };
  table->OnClear(*table);
  return table;
}

void TJEngine::ConnectNewObject(TJObject& object) {
  for (TJNewObjectHook hook : NewObjectHooks()) hook(*this, object);
  if (OnNewObject) OnNewObject(*this, object);
}

void TJEngine::Print(std::string_view text) {
  if (OnStdout) OnStdout(text);
}

void TJEngine::PrintLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  Print(line);
}

void TJEngine::Reset() {
  tables_.ClearAll();
  functionInfo_.clear();
  classPlans_.clear();
  retiredStandIns_.clear();
  // Function records of earlier runs may name nodes of trees that are gone, and module
  // values tables that an import replaced; both are refused from now on.
  ++generation_;
  tables_.DropRetired();
  Ran = false;
}

std::int32_t TJEngine::Run(const TJStatement* root) {
  AbortRequested = false;
  Reset();
  LastOutcome = TJRunOutcome::Normal;
  tables_.SetVar(TJName("__Global__"), function_factory::Module(&tables_.FindTable("__Global__"), generation_));

  const std::uintptr_t savedLimit = stackLimit_;
  if (runDepth_ == 0) stackLimit_ = ComputeStackLimit();
  Frame frame;
  frame.serialMark = factory_.NextSerial();
  frame.scanFrom = factory_.ZeroListSize();
  Frame* outer = frame_;
  frame_ = &frame;
  ++runDepth_;
  struct Restore {
    TJEngine& e;
    Frame* outer;
    std::uintptr_t limit;
    ~Restore() {
      e.frame_ = outer;
      --e.runDepth_;
      e.stackLimit_ = limit;
    }
  } restore{*this, outer, savedLimit};

  pollCountdown_ = 1;
  lastPoll_ = std::chrono::steady_clock::now();
  std::int32_t result = 0;
  try {
    const Completion c = ExecChain(root, false);
    if (c == Completion::Return) {
      result = ToInteger(frame.result);
      LastOutcome = TJRunOutcome::Returned;
    } else {
      Ran = true;
    }
  } catch (const EJThrow& e) {
    PrintLine("Exception: " + e.ErrorName + " => " + e.ErrorText);
    LastOutcome = TJRunOutcome::ScriptError;
  } catch (const EJAbort&) {
    PrintLine("Abort Script");
    LastOutcome = TJRunOutcome::Aborted;
  } catch (const EJExit& e) {
    result = e.ExitCode;
    LastOutcome = TJRunOutcome::Exited;
  }
  frame.result = TJValue();
  factory_.Sweep();
  factory_.CollectCycles();
  return result;
}

// ---------------------------------------------------------------------------------------
// Frames and the host's poll

void TJEngine::StackExhausted() { ThrowScriptError(errors::kTooDeep); }

void TJEngine::SweepAtBoundary() {
  factory_.SweepFrame(frame_->serialMark, frame_->scanFrom, nullptr);
  // What is left past the mark is older than the frame: it waits for an enclosing one.
  frame_->scanFrom = factory_.ZeroListSize();
}

void TJEngine::SlowTick() {
  pollCountdown_ = 64;
  if (OnPoll && ++pollChecks_ >= 4) {
    pollChecks_ = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ >= PollInterval) {
      lastPoll_ = now;
      OnPoll(*this);
      if (AbortRequested) throw EJAbort();
    }
  }
}

}  // namespace kestrin
