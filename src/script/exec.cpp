// Statements: a chain of statements with the pairing of try, catch and finally, and one
// Exec* per statement kind. ExecStatement only dispatches.
#include <memory>
#include <string>

#include "script/engine.h"

namespace kestrin {

namespace {

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

// Statement kinds that run while an exception waits for its catch.
bool RunsWhilePending(std::uint8_t kind) {
  switch (kind) {
    case skFunction:
    case skClass:
    case skDeclarator:
    case skVar:
    case skFinally:
    case skImport:
      return true;
    default:
      return false;
  }
}

TJName NameOf(const TJExpr* ident) { return TJName(ident->Name, ident->Hash); }

}  // namespace

// A chain: every statement in turn. A failing try leaves its exception pending; the
// statements after it are skipped (except declarations and finally) until a catch takes
// it, and an exception still pending at the end of the chain is raised again.
TJEngine::Completion TJEngine::ExecChainLoop(const TJStatement* s, bool inLoop) {
  // Made only when a try in this chain fails, so ordinary chains pay nothing for it.
  std::unique_ptr<PendingException> pendingSlot;
  for (; s != nullptr; s = s->Next) {
    Tick();
    if (pendingSlot && pendingSlot->Active()) {
      if (s->Kind == skCatch) {
        const CatchParts parts = PartsOfCatch(*s);
        const TJValue caught = pendingSlot->CatchValue();
        if (parts.variable != nullptr) tables_.SetVar(NameOf(parts.variable), caught);
        pendingSlot->Drop();
        const Completion c = ExecChain(parts.handler, inLoop);
        if (c != Completion::Normal) return c;
        continue;
      }
      if (!RunsWhilePending(s->Kind)) continue;
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
    if (s->Kind == skExpression) {
      ExecExpression(s->Expr);
      continue;
    }
    const Completion c = ExecStatement(s, inLoop);
    if (c != Completion::Normal) return c;
  }
  if (pendingSlot && pendingSlot->Active()) pendingSlot->Rethrow();
  return Completion::Normal;
}

// One statement. A try statement alone (the whole of its chain) lets its exception pass,
// exactly as a chain with no catch after the try would raise it again at its end; a catch
// with nothing pending does nothing.
TJEngine::Completion TJEngine::ExecStatement(const TJStatement* s, bool inLoop) {
  switch (s->Kind) {
    case skBlock:
    case skVar:
    case skTry:
    case skFinally:
      return ExecChain(s->Sub, inLoop);
    case skExpression:
      ExecExpression(s->Expr);
      return Completion::Normal;
    case skIf:
      return ExecIf(*s, inLoop);
    case skWhile:
      return ExecWhile(*s);
    case skFor:
      return ExecFor(*s);
    case skForIn:
      return ExecForIn(*s);
    case skDoWhile:
      return ExecDoWhile(*s);
    case skFunction:
      ExecFunction(*s);
      return Completion::Normal;
    case skClass:
      ExecClass(*s);
      return Completion::Normal;
    case skDeclarator:
      ExecDeclarator(*s);
      return Completion::Normal;
    case skBreak:
      return inLoop ? Completion::Break : Completion::Normal;
    case skContinue:
      return inLoop ? Completion::Continue : Completion::Normal;
    case skReturn:
      return ExecReturn(*s);
    case skThrow:
      ExecThrow(*s);
    case skWith:
      return ExecWith(*s, inLoop);
    case skImport:
      return ExecImport(*s);
    default:  // empty, parameter, catch with nothing pending
      return Completion::Normal;
  }
}

TJEngine::Completion TJEngine::ExecIf(const TJStatement& s, bool inLoop) {
  const IfParts parts = PartsOfIf(s);
  const TJStatement* branch = EvalCondition(parts.condition) ? parts.then : parts.otherwise;
  return branch != nullptr ? ExecChain(branch, inLoop) : Completion::Normal;
}

// The loops: a body that breaks ends the loop, one that returns ends it with the return.
TJEngine::Completion TJEngine::ExecWhile(const TJStatement& s) {
  const LoopParts parts = PartsOfLoop(s);
  const TJLoopPlan* plan = parts.condition != nullptr ? LoopPlanFor(s, parts.body, nullptr) : nullptr;
  if (plan != nullptr) return RunPlanned(*plan, parts.condition, true);
  while (EvalCondition(parts.condition)) {
    const Completion c = ExecChain(parts.body, true);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
  }
  return Completion::Normal;
}

TJEngine::Completion TJEngine::ExecDoWhile(const TJStatement& s) {
  const LoopParts parts = PartsOfLoop(s);
  const TJLoopPlan* plan = parts.condition != nullptr ? LoopPlanFor(s, parts.body, nullptr) : nullptr;
  if (plan != nullptr) return RunPlanned(*plan, parts.condition, false);
  for (;;) {
    const Completion c = ExecChain(parts.body, true);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
    if (!EvalCondition(parts.condition)) break;
  }
  return Completion::Normal;
}

TJEngine::Completion TJEngine::ExecFor(const TJStatement& s) {
  const ForParts parts = PartsOfFor(s);
  ExecExpression(parts.init);
  if (const TJLoopPlan* plan = LoopPlanFor(s, parts.body, parts.update)) return RunPlanned(*plan, parts.condition, true);
  for (;;) {
    if (parts.condition != nullptr && !EvalCondition(parts.condition)) break;
    const Completion c = ExecChain(parts.body, true);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
    ExecExpression(parts.update);
  }
  return Completion::Normal;
}

// The names are those of the object when the loop starts (data members and published
// properties, no methods); the loop variable must be a bare name.
TJEngine::Completion TJEngine::ExecForIn(const TJStatement& s) {
  const ForInParts parts = PartsOfForIn(s);
  const TJValue object = Eval(parts.object);
  if (object.Kind() != jkObject || object.ObjValue() == nullptr) ThrowScriptError(errors::kType);
  for (const std::string& name : object.ObjValue()->PropertyNames()) {
    if (name.empty()) continue;
    if (parts.variable == nullptr || parts.variable->Code != ecIdentifier) ThrowScriptError(errors::kType);
    tables_.SetVar(NameOf(parts.variable), TJValue::Text(name));
    const Completion c = ExecChain(parts.body, true);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
  }
  return Completion::Normal;
}

// A declaration binds its name when its statement runs.
void TJEngine::ExecFunction(const TJStatement& s) {
  tables_.SetVar(NameOf(PartsOfFunction(s).name), ScriptFunctionValue(s));
}

void TJEngine::ExecClass(const TJStatement& s) {
  tables_.SetVar(NameOf(PartsOfClass(s).name), function_factory::Class(&s, generation_));
}

void TJEngine::ExecDeclarator(const TJStatement& s) {
  const DeclaratorParts parts = PartsOfDeclarator(s);
  tables_.SetVar(NameOf(parts.name), Eval(parts.initialiser));
}

TJEngine::Completion TJEngine::ExecReturn(const TJStatement& s) {
  frame_->result = Eval(s.Expr);
  return Completion::Return;
}

void TJEngine::ExecThrow(const TJStatement& s) { throw EJThrow(std::string(errors::kThrow), Eval(s.Expr)); }

TJEngine::Completion TJEngine::ExecWith(const TJStatement& s, bool inLoop) {
  const TJValue object = Eval(s.Expr);
  if (object.Kind() != jkObject || object.ObjValue() == nullptr) ThrowScriptError(errors::kType);
  TJSymbolTable& table = tables_.Current();
  table.PushThis(object.ObjValue());
  struct PopThis {
    TJSymbolTable& t;
    ~PopThis() { t.PopThis(); }
  } pop{table};
  return ExecChain(s.Sub, inLoop);
}

// A module runs in a fresh table of its own name, bound in the current table as a module
// value.
TJEngine::Completion TJEngine::ExecImport(const TJStatement& s) {
  const ImportParts parts = PartsOfImport(s);
  auto table = NewModuleTable();
  TJSymbolTable* module = table.get();
  tables_.SetVar(NameOf(parts.name), function_factory::Module(module, generation_));
  tables_.AddTable(parts.name->Name, std::move(table));
  const TJCurrentTableScope inModule(tables_, module->TableName());
  // A return at the top level of a module ends the program as a return there would.
  return ExecChain(parts.program, false) == Completion::Return ? Completion::Return : Completion::Normal;
}

}  // namespace kestrin
