#include "script/engine.h"

#include <pthread.h>

#include <algorithm>

#include "script/builtins/builtins.h"
#include "script/builtins/global.h"

namespace kestrin {

namespace {

// Script calls nest at most this deep whatever the stack allows; deeper is runaway.
constexpr int kMaxCallDepth = 100000;

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

// Does the function body use `arguments` or eval (which could be given a text that reads
// it)? Only then is the arguments array worth making.
bool MentionsArguments(const TJExpr* e) {
  if (e == nullptr) return false;
  if (e->Code == ecIdentifier && (e->Name == "arguments" || e->Name == "eval")) return true;
  // A member name after "." is not a variable reference.
  if (e->Code == ecMember || e->Code == ecSuperMember) return MentionsArguments(e->Operand1);
  if (e->Code == ecProperty) return MentionsArguments(e->Operand2);
  if (e->Code == ecNew) return MentionsArguments(e->Operand2);
  return MentionsArguments(e->Operand1) || MentionsArguments(e->Operand2) || MentionsArguments(e->Operand3);
}

bool ChainMentionsArguments(const TJStatement* s) {
  for (; s != nullptr; s = s->Next) {
    if (MentionsArguments(s->Expr) || ChainMentionsArguments(s->Sub) || ChainMentionsArguments(s->Sub2)) return true;
  }
  return false;
}

// Holds an exception recorded by `try` until a catch takes it; counts its object value
// while it waits, so sweeps do not free it.
class PendingException {
 public:
  PendingException() = default;
  PendingException(const PendingException&) = delete;
  ~PendingException() { Drop(); }

  bool Active() const noexcept { return active_; }
  void Take(const EJThrow& e) {
    Drop();
    name_ = e.ErrorName;
    text_ = e.ErrorText;
    value_ = e.Value;
    RetainValue(value_);
    active_ = true;
  }
  // The value a catch variable receives: the thrown value for "EThrow", else the name.
  TJValue CatchValue() const {
    return name_ == errors::kThrow ? value_ : TJValue::Text(name_);
  }
  void Drop() noexcept {
    if (!active_) return;
    active_ = false;
    ReleaseValue(value_);
    value_ = TJValue();
  }
  [[noreturn]] void Rethrow() {
    EJThrow e(name_, value_, text_);
    Drop();
    throw e;
  }

 private:
  bool active_ = false;
  std::string name_;
  std::string text_;
  TJValue value_;
};

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

// The members go in reverse order: the tables (holding counts on objects and on the
// global object), the singletons, the global object, and last the factory with every
// object still listed.
TJEngine::~TJEngine() = default;

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
// Statements

void TJEngine::StackExhausted() { ThrowScriptError(kRecursionErrorName, kRecursionErrorText); }

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

const TJEngine::FunctionInfo& TJEngine::InfoOf(const TJStatement* definition) {
  auto& slot = functionInfo_[definition];
  if (!slot) {
    slot = std::make_unique<FunctionInfo>();
    for (const TJStatement* p = definition->Sub; p != nullptr; p = p->Next) {
      if (p->Expr != nullptr && p->Expr->Code == ecIdentifier) {
        slot->params.push_back({SharedString(p->Expr->Name), p->Expr->Hash});
      } else {
        slot->params.push_back({SharedString(), 0});
      }
    }
    slot->distinctParams = true;
    for (std::size_t i = 0; i < slot->params.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (!slot->params[i].name.empty() && slot->params[i].name.view() == slot->params[j].name.view()) {
          slot->distinctParams = false;
        }
      }
      if (slot->params[i].name.view() == "arguments") slot->distinctParams = false;
    }
    slot->body = definition->Sub2;
    // The usual body: a block followed by the implicit return of nothing. Its contents
    // can run as the call's chain; falling off the end yields undefined all the same.
    const TJStatement* block = definition->Sub2;
    if (block != nullptr && block->Kind == skBlock && block->Next != nullptr && block->Next->Kind == skReturn &&
        block->Next->Next == nullptr && (block->Next->Expr == nullptr || block->Next->Expr->Code == ecEmpty) &&
        (block->Next->Expr == nullptr || (block->Next->Expr->Operand1 == nullptr && block->Next->Expr->Operand2 == nullptr))) {
      slot->body = block->Sub;
    }
    slot->needsArguments = ChainMentionsArguments(definition->Sub2);
  }
  return *slot;
}

void TJEngine::DeclareFunction(const TJStatement* s) {
  const TJExpr* name = s->Expr;
  tables_.SetVar(TJName(name->Name, name->Hash),
                 function_factory::Script(s, s->Sub, tables_.CurrentName(), generation_, &InfoOf(s)));
}

TJEngine::Completion TJEngine::ExecImport(const TJStatement* s) {
  const TJExpr* name = s->Expr;
  auto table = NewModuleTable();
  TJSymbolTable* module = table.get();
  tables_.SetVar(TJName(name->Name, name->Hash), function_factory::Module(module, generation_));
  tables_.AddTable(name->Name, std::move(table));
  const TJCurrentTableScope inModule(tables_, module->TableName());
  // A return at the top level of a module ends the program as a return there would.
  return ExecChain(s->Sub, false) == Completion::Return ? Completion::Return : Completion::Normal;
}

TJEngine::Completion TJEngine::ExecForIn(const TJStatement* s) {
  const TJValue object = Eval(s->Sub2 != nullptr ? s->Sub2->Expr : nullptr);
  if (object.Kind() != jkObject || object.ObjValue() == nullptr) ThrowScriptError(errors::kType);
  const std::string names = object.ObjValue()->GetPropertyNames();
  std::size_t pos = 0;
  while (pos < names.size()) {
    std::size_t end = names.find("\r\n", pos);
    if (end == std::string::npos) end = names.size();
    const std::string_view name(names.data() + pos, end - pos);
    pos = end + 2;
    if (name.empty()) continue;
    const TJExpr* var = s->Expr;
    if (var == nullptr || var->Code != ecIdentifier) ThrowScriptError(errors::kType);
    tables_.SetVar(TJName(var->Name, var->Hash), TJValue::Text(name));
    const Completion c = ExecChain(s->Sub, true);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
  }
  return Completion::Normal;
}

TJEngine::Completion TJEngine::ExecChainLoop(const TJStatement* s, bool inLoop) {
  // Made only when a try in this chain fails, so ordinary chains pay nothing for it.
  std::unique_ptr<PendingException> pendingSlot;
  for (; s != nullptr; s = s->Next) {
    Tick();
    if (pendingSlot && pendingSlot->Active()) {
      PendingException& pending = *pendingSlot;
      switch (s->Kind) {
        case skFunction:
        case skClass:
        case skDeclarator:
        case skVar:
        case skFinally:
        case skImport:
          break;  // these run while an exception waits
        case skCatch: {
          const TJValue caught = pending.CatchValue();
          if (s->Expr != nullptr) tables_.SetVar(TJName(s->Expr->Name, s->Expr->Hash), caught);
          pending.Drop();
          const Completion c = ExecChain(s->Sub, inLoop);
          if (c != Completion::Normal) return c;
          continue;
        }
        default:
          continue;
      }
    }
    if (s->Kind == skTry) {
      Completion c;
      try {
        c = ExecChain(s->Sub, inLoop);
      } catch (const EJThrow& e) {
        if (!pendingSlot) pendingSlot = std::make_unique<PendingException>();
        pendingSlot->Take(e);
        continue;
      }
      if (c != Completion::Normal) return c;
      continue;
    }
    const Completion c = ExecStatement(s, inLoop);
    if (c != Completion::Normal) return c;
  }
  if (pendingSlot && pendingSlot->Active()) pendingSlot->Rethrow();
  return Completion::Normal;
}

// One statement. A try statement alone (the whole of its chain) lets its exception pass,
// exactly as a chain with no catch after the try would raise it again at its end.
TJEngine::Completion TJEngine::ExecStatement(const TJStatement* s, bool inLoop) {
  switch (s->Kind) {
    case skEmpty:
    case skParameter:
    case skCatch:
      break;
    case skBlock:
      return ExecChain(s->Sub, inLoop);
    case skExpression:
      Eval(s->Expr);
      break;
    case skIf: {
      const TJStatement* branch = ToBoolean(Eval(s->Expr)) ? s->Sub : s->Sub2;
      if (branch != nullptr) return ExecChain(branch, inLoop);
      break;
    }
    case skWhile:
      for (;;) {
        if (!ToBoolean(Eval(s->Expr))) break;
        const Completion c = ExecChain(s->Sub, true);
        if (c == Completion::Break) break;
        if (c == Completion::Return) return c;
      }
      break;
    case skFor: {
      const TJExpr* condition = s->Sub2 != nullptr ? s->Sub2->Expr : nullptr;
      const TJExpr* update = s->Sub2 != nullptr && s->Sub2->Next != nullptr ? s->Sub2->Next->Expr : nullptr;
      Eval(s->Expr);
      for (;;) {
        if (condition != nullptr && !ToBoolean(Eval(condition))) break;
        const Completion c = ExecChain(s->Sub, true);
        if (c == Completion::Break) break;
        if (c == Completion::Return) return c;
        Eval(update);
      }
      break;
    }
    case skForIn: {
      const Completion c = ExecForIn(s);
      if (c == Completion::Return) return c;
      break;
    }
    case skDoWhile:
      for (;;) {
        const Completion c = ExecChain(s->Sub, true);
        if (c == Completion::Break) break;
        if (c == Completion::Return) return c;
        if (!ToBoolean(Eval(s->Expr))) break;
      }
      break;
    case skFunction:
      DeclareFunction(s);
      break;
    case skClass:
      tables_.SetVar(TJName(s->Expr->Name, s->Expr->Hash), function_factory::Class(s, generation_));
      break;
    case skDeclarator: {
      const TJExpr* ident = s->Expr;
      tables_.SetVar(TJName(ident->Name, ident->Hash), Eval(ident->Operand1));
      break;
    }
    case skVar:
      return ExecChain(s->Sub, inLoop);
    case skBreak:
      if (inLoop) return Completion::Break;
      break;
    case skContinue:
      if (inLoop) return Completion::Continue;
      break;
    case skReturn:
      frame_->result = Eval(s->Expr);
      return Completion::Return;
    case skTry:
      return ExecChain(s->Sub, inLoop);
    case skFinally:
      return ExecChain(s->Sub, inLoop);
    case skThrow:
      throw EJThrow(std::string(errors::kThrow), Eval(s->Expr));
    case skWith: {
      const TJValue object = Eval(s->Expr);
      if (object.Kind() != jkObject || object.ObjValue() == nullptr) ThrowScriptError(errors::kType);
      TJSymbolTable& table = tables_.Current();
      table.PushThis(object.ObjValue());
      struct PopThis {
        TJSymbolTable& t;
        ~PopThis() { t.PopThis(); }
      } pop{table};
      return ExecChain(s->Sub, inLoop);
    }
    case skImport:
      return ExecImport(s);
    default:
      break;
  }
  return Completion::Normal;
}

// ---------------------------------------------------------------------------------------
// Calls and object creation

TJValue TJEngine::Call(const TJValue& function, TJValueList& args) {
  if (function.Kind() != jkFunction || function.FuncValue() == nullptr) ThrowScriptError(errors::kCall, "call error");
  TJFunction& f = *function.FuncValue();
  switch (f.FuncKind) {
    case TJFunctionKind::Script:
      return CallScript(f, args);
    case TJFunctionKind::Native: {
      TJObject* owner = f.OwnerObject();
      // The object that registered the method is gone: nothing left to call.
      if (owner == nullptr) ThrowScriptError(errors::kCall, "call error");
      TJValue result;
      f.Method(*owner, args, result);
      return result;
    }
    case TJFunctionKind::Automation:
      return CallAutomation(f, args);
    default:
      ThrowScriptError(errors::kCall);
  }
}

TJValue TJEngine::CallAutomation(TJFunction& f, TJValueList& args) {
  if (f.Dispatch == nullptr) ThrowScriptError(errors::kActiveX, "method error");
  std::vector<velkoran::platform::Variant> reversed;
  reversed.reserve(args.Count());
  for (std::size_t i = args.Count(); i-- > 0;) reversed.push_back(ValueToVariant(args[i]));
  velkoran::platform::Variant result;
  if (!f.Dispatch->Invoke(f.DispId, velkoran::platform::InvokeKind::Method, reversed, result)) {
    ThrowScriptError(errors::kActiveX, "method error");
  }
  return VariantToValue(result);
}

TJValue TJEngine::CallScript(TJFunction& f, TJValueList& args) { return CallScript(f, args.begin(), args.Count()); }

TJValue TJEngine::CallScript(TJFunction& f, const TJValue* args, std::size_t count) {
  // A function of an earlier run may belong to a tree that no longer exists.
  if (f.Generation != generation_ || f.Info == nullptr) ThrowScriptError(errors::kCall, "call error");
  CheckStack();
  if (runDepth_ > kMaxCallDepth) ThrowScriptError(kRecursionErrorName, kRecursionErrorText);
  const auto& info = *static_cast<const FunctionInfo*>(f.Info);

  // Functions usually run in the module that is current already (the same name buffer).
  const bool switchTable = !f.ScopeName.empty() && f.ScopeName.buffer() != tables_.CurrentName().buffer() &&
                           f.ScopeName.view() != tables_.CurrentName().view();
  const SharedString saved = switchTable ? tables_.CurrentName() : SharedString();
  if (switchTable) tables_.SetCurrent(f.ScopeName);
  TJSymbolTable& table = tables_.Current();

  Frame frame;
  frame.serialMark = factory_.NextSerial();
  frame.scanFrom = factory_.ZeroListSize();

  struct Scope {
    TJEngine& e;
    TJSymbolTable& table;
    Frame* outer;
    const SharedString& saved;
    bool switched;
    bool pushedThis = false;
    ~Scope() {
      if (pushedThis) table.PopThis();
      table.PopLocal();
      e.frame_ = outer;
      --e.runDepth_;
      if (switched) e.tables_.SetCurrent(saved);
    }
  };
  TJValue result;
  {
    // Restored on every way out; an exception skips the sweep below, so what this call
    // made waits for the enclosing frame.
    Scope scope{*this, table, frame_, saved, switchTable};
    table.PushLocal();
    // A plain function's "this" is the global object; when that is on top already (a call
    // from module level or from another plain function) nothing needs pushing.
    TJObject* self = f.This.Get();
    if (self == nullptr) self = table.GlobalObject();
    if (self != table.CurrentThis()) {
      table.PushThis(self);
      scope.pushedThis = true;
    }
    frame_ = &frame;
    ++runDepth_;

    TJHash& locals = table.TopLocal();
    if (info.needsArguments) {
      TJValueList list;
      list.Reserve(count);
      for (std::size_t i = 0; i < count; ++i) list.Add(args[i]);
      TJObject* arguments = factory_.CreateObject("Array", &list);
      locals.Set(TJName("arguments"), TJValue::Object(arguments));
    }
    const std::size_t bound = std::min(info.params.size(), count);
    for (std::size_t i = 0; i < bound; ++i) {
      const Param& p = info.params[i];
      if (p.name.empty()) continue;
      if (info.distinctParams) {
        locals.Append(p.name, p.hash, args[i]);
      } else {
        locals.Set(TJName(p.name, p.hash), args[i]);
      }
    }
    if (ExecChain(info.body, false) == Completion::Return) result = std::move(frame.result);
  }
  factory_.SweepFrame(frame.serialMark, frame.scanFrom, result.Kind() == jkObject ? result.ObjValue() : nullptr);
  return result;
}

TJObject* TJEngine::CreateObject(std::string_view className, const TJValueList* args) {
  return CreateScriptObject(className, args, 0);
}

TJObject* TJEngine::CreateScriptObject(std::string_view className, const TJValueList* args, int depth) {
  CheckStack();
  TJObject* object = nullptr;
  const TJName name(className);
  if (factory_.HasClass(className)) {
    object = factory_.CreateObject(className, args);
  } else {
    TJValue cls;
    if (!tables_.Lookup(name, cls) || cls.Kind() != jkFunction || cls.FuncValue() == nullptr ||
        cls.FuncValue()->FuncKind != TJFunctionKind::Class || cls.FuncValue()->Generation != generation_) {
      ThrowScriptError(errors::kName, className);
    }
    // A class that derives from itself, directly or through others, never ends.
    if (depth > 1000) ThrowScriptError(kRecursionErrorName, kRecursionErrorText);
    const auto* declaration = static_cast<const TJStatement*>(cls.FuncValue()->Definition);
    const TJExpr* base = declaration->Expr->Operand1;
    object = base != nullptr ? CreateScriptObject(base->Name, args, depth + 1) : factory_.CreateObject("Object");
    object->RegisterName(className);
    for (const TJStatement* m = declaration->Sub; m != nullptr; m = m->Next) {
      if (m->Kind == skFunction) {
        object->TopMembers().Set(TJName(m->Expr->Name, m->Expr->Hash),
                                 function_factory::Script(m, m->Sub, tables_.CurrentName(), generation_, &InfoOf(m)));
      } else if (m->Kind == skDeclarator) {
        const TJExpr* ident = m->Expr;
        const TJValue init = ident->Operand1 != nullptr ? Eval(ident->Operand1) : TJValue::Null();
        object->TopMembers().Set(TJName(ident->Name, ident->Hash), init);
      }
    }
  }
  // The constructor: a script function of the class's own name in the top layer.
  if (const TJValue* ctor = object->TopMembers().Find(name)) {
    if (ctor->Kind() == jkFunction && ctor->FuncValue() != nullptr && ctor->FuncValue()->FuncKind == TJFunctionKind::Script) {
      const TJValue function = *ctor;
      function.FuncValue()->This.Reset(object);
      TJValueList copy;
      if (args != nullptr) {
        for (const TJValue& v : *args) copy.Add(v);
      }
      Call(function, copy);
    }
  }
  return object;
}

}  // namespace kestrin
