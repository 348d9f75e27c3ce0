// Calls and object creation: calling a function value (script, native, automation),
// what a function declaration needs at each call, and creating objects of registered and
// script classes.
#include <algorithm>
#include <vector>

#include "script/engine.h"

namespace kestrin {

namespace {

// Script calls nest at most this deep whatever the stack allows; deeper is runaway.
constexpr int kMaxCallDepth = 100000;

}  // namespace

const TJEngine::FunctionInfo& TJEngine::InfoOf(const TJStatement* definition) {
  auto& slot = functionInfo_[definition];
  if (slot) return *slot;
  slot = std::make_unique<FunctionInfo>(*definition);
  const FunctionParts parts = PartsOfFunction(*definition);
  // The usual body: a block followed by the implicit return of nothing. Its contents can
  // run as the call's chain; falling off the end yields undefined all the same.
  slot->body = parts.block != nullptr ? parts.block->Sub : parts.body;
  return *slot;
}

TJValue TJEngine::ScriptFunctionValue(const TJStatement& declaration) {
  return function_factory::Script(&declaration, PartsOfFunction(declaration).firstParameter, tables_.CurrentName(),
                                  generation_, &InfoOf(&declaration));
}


TJValue TJEngine::Call(const TJValue& function, TJValueList& args) {
  if (function.Kind() != jkFunction || function.FuncValue() == nullptr) ThrowScriptError(errors::kCallFailed);
  TJFunction& f = *function.FuncValue();
  switch (f.FuncKind) {
    case TJFunctionKind::Script:
      return CallScript(f, args);
    case TJFunctionKind::Native: {
      TJObject* owner = f.OwnerObject();
      // The object that registered the method is gone: nothing left to call.
      if (owner == nullptr) ThrowScriptError(errors::kCallFailed);
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

TJValue TJEngine::Call(const TJValue& function, const TJValue* args, std::size_t count) {
  if (function.Kind() == jkFunction && function.FuncValue() != nullptr &&
      function.FuncValue()->FuncKind == TJFunctionKind::Script) {
    return CallScript(*function.FuncValue(), args, count);
  }
  TJValueList list;
  list.Reserve(count);
  for (std::size_t i = 0; i < count; ++i) list.Add(args[i]);
  return Call(function, list);
}

TJValue TJEngine::CallAutomation(TJFunction& f, TJValueList& args) {
  if (f.Dispatch == nullptr) ThrowScriptError(errors::kMethodFailed);
  std::vector<velkoran::platform::Variant> reversed;
  reversed.reserve(args.Count());
  for (std::size_t i = args.Count(); i-- > 0;) reversed.push_back(ValueToVariant(args[i]));
  velkoran::platform::Variant result;
  // The call may wait on a service: the host keeps running its events meanwhile.
  const velkoran::platform::AutomationAbortHook hook([this] { return PollHost(); });
  if (!f.Dispatch->Invoke(f.DispId, velkoran::platform::InvokeKind::Method, reversed, result)) {
    if (AbortRequested) throw EJAbort();
    ThrowScriptError(errors::kMethodFailed);
  }
  return VariantToValue(result);
}

TJValue TJEngine::CallScript(TJFunction& f, TJValueList& args) { return CallScriptOn(f, nullptr, args.begin(), args.Count()); }

// A function of another module runs with that module's table current (rare: kept out of
// the usual call's frame).
TJValue TJEngine::CallScriptInModule(TJFunction& f, TJObject* self, const TJValue* args, std::size_t count) {
  const TJCurrentTableScope inModule(tables_, f.ScopeName);
  return CallScriptOn(f, self, args, count);
}

// The `arguments` array of a call whose body can read it (rare: kept out of the usual
// call's frame).
void TJEngine::BindArgumentsArray(TJLocalScope& locals, std::size_t slot, const TJValue* args, std::size_t count) {
  TJValueList list;
  list.Reserve(count);
  for (std::size_t i = 0; i < count; ++i) list.Add(args[i]);
  locals.Assign(slot, TJValue::Object(factory_.CreateArray(&list)));
}

TJValue TJEngine::CallWithArgumentList(TJFunction& f, TJObject* self, const TJExpr* lastCell) {
  TJValueList args;
  EvalArguments(lastCell, args);
  return CallScriptOn(f, self, args.begin(), args.Count());
}

TJValue TJEngine::CallScriptOn(TJFunction& f, TJObject* self, const TJValue* args, std::size_t count) {
  // A function of an earlier run may belong to a tree that no longer exists.
  if (f.Generation != generation_ || f.Info == nullptr) ThrowScriptError(errors::kCallFailed);
  // Functions usually run in the module that is current already (the same name buffer).
  if (!f.ScopeName.empty() && f.ScopeName.buffer() != tables_.CurrentName().buffer() &&
      f.ScopeName.view() != tables_.CurrentName().view()) {
    return CallScriptInModule(f, self, args, count);
  }
  CheckStack();
  if (runDepth_ > kMaxCallDepth) ThrowScriptError(errors::kTooDeep);
  const auto& info = *static_cast<const FunctionInfo*>(f.Info);
  TJSymbolTable& table = tables_.Current();

  Frame frame;
  frame.serialMark = factory_.NextSerial();
  frame.scanFrom = factory_.ZeroListSize();

  // Restored on every way out; an exception skips the sweep below, so what this call
  // made waits for the enclosing frame.
  struct Scope {
    TJEngine& e;
    TJSymbolTable& table;
    Frame* outer;
    const TJLocalLayout* outerLayout;
    TJValue* outerSlots;
    TJLocalScope* outerScope;
    bool pushedThis = false;
    ~Scope() {
      if (pushedThis) table.PopThis();
      table.PopLocal();
      e.frame_ = outer;
      e.frameLayout_ = outerLayout;
      e.frameSlots_ = outerSlots;
      e.frameScope_ = outerScope;
      --e.runDepth_;
    }
  };
  TJValue result;
  {
    Scope scope{*this, table, frame_, frameLayout_, frameSlots_, frameScope_};
    TJLocalScope& locals = table.PushLocal(&info.layout);
    // A plain function's "this" is the global object; when that is on top already (a call
    // from module level or from another plain function) nothing needs pushing.
    if (self == nullptr) self = f.This.Get();
    if (self == nullptr) self = table.GlobalObject();
    if (self != table.CurrentThis()) {
      table.PushBorrowedThis(self);
      scope.pushedThis = true;
    }
    frame_ = &frame;
    frameLayout_ = &info.layout;
    frameSlots_ = locals.Slots();
    frameScope_ = &locals;
    ++runDepth_;

    if (info.layout.ArgumentsSlot() >= 0) {
      BindArgumentsArray(locals, static_cast<std::size_t>(info.layout.ArgumentsSlot()), args, count);
    }
    // Parameters without an argument stay unbound.
    const std::vector<std::int32_t>& params = info.layout.ParameterSlots();
    const std::size_t bound = std::min(params.size(), count);
    for (std::size_t i = 0; i < bound; ++i) {
      if (params[i] >= 0) locals.Borrow(static_cast<std::size_t>(params[i]), args[i]);
    }
    if (ExecChain(info.body, false) == Completion::Return) result = std::move(frame.result);
  }
  factory_.SweepFrame(frame.serialMark, frame.scanFrom, result.Kind() == jkObject ? result.ObjValue() : nullptr);
  return result;
}

TJEngine::ClassPlan& TJEngine::PlanOf(TJFunction& cls, const TJName& className) {
  // The class value remembers its plan (both end with the run).
  auto* plan = static_cast<ClassPlan*>(const_cast<void*>(cls.Info));
  if (plan == nullptr) {
    plan = &classPlans_[static_cast<const TJStatement*>(cls.Definition)];
    cls.Info = plan;
  }
  // The level is described by the name `new` used (a class value may go by another name).
  const std::string_view name = className.Text();
  if (plan->info == nullptr || plan->info->Name().view() != name) {
    plan->info = &factory_.ScriptClassInfo(name, className.Hash());
    plan->constructorShape = 0;
    plan->path.Clear();
  }
  // The records of a class's methods belong to the module current at `new`.
  const SharedString& scope = tables_.CurrentName();
  if (plan->ready && (plan->scope.buffer() == scope.buffer() || plan->scope.view() == scope.view())) return *plan;
  // A `new` of this class in progress (an initialiser's call made one elsewhere) still
  // reads the stand-ins it began with.
  if (plan->ready) retiredStandIns_.push_back(std::move(plan->standIns));
  plan->ready = true;
  plan->scope = scope;
  plan->standIns.clear();
  for (const TJStatement* m = PartsOfClass(*static_cast<const TJStatement*>(cls.Definition)).firstMember; m != nullptr;
       m = m->Next) {
    if (m->Kind != skFunction) continue;
    const TJValue record = ScriptFunctionValue(*m);
    plan->standIns.push_back(function_factory::StandIn(*record.FuncValue()));
  }
  return *plan;
}

TJObject* TJEngine::CreateObject(std::string_view className, const TJValueList* args) {
  return CreateScriptObject(TJName(className), args, 0);
}

bool TJEngine::LookupClassName(const TJExpr* node, const TJName& name, TJValue& out) {
  TJSymbolTable& t = tables_.Current();
  if (node == nullptr) return tables_.Lookup(name, out);
  TJObject* self = t.CurrentThis();
  const bool method = self != t.GlobalObject();
  // A local scope lacks the name for good when its layout has no slot of it.
  const TJLocalLayout* layout = t.HasLocal() ? t.TopLocal().Layout() : nullptr;
  const bool localsLack = !t.HasLocal() || (layout != nullptr && !t.TopLocal().HasOtherNames());
  if (localsLack && node->LocalLayout == layout && node->CacheEpoch == MemberEpoch() && node->CacheTable == &t &&
      (!method || ThisLacks(node, *self))) {
    if (const TJValue* v = RememberedVariable(node, t)) {
      out = *v;
      return true;
    }
  }
  switch (t.LookupWhere(name, out)) {
    case TJSymbolTable::Found::Nowhere:
      return tables_.LookupElsewhere(name, out);
    case TJSymbolTable::Found::Vars:
      if (localsLack && (layout == nullptr || layout->Find(name.Text(), name.Hash()) < 0) &&
          RememberVariable(node, t, name)) {
        node->LocalLayout = layout;
      }
      return true;
    default:
      return true;
  }
}

TJObject* TJEngine::CreateScriptObject(const TJName& name, const TJValueList* args, int depth, std::size_t room,
                                       const TJExpr* nameNode) {
  CheckStack();
  TJObject* object = nullptr;
  ClassPlan* plan = nullptr;
  const std::string_view className = name.Text();
  if (factory_.HasClass(className, name.Hash())) {
    object = factory_.CreateObject(className, args);
  } else {
    TJValue cls;
    if (!LookupClassName(nameNode, name, cls) || cls.Kind() != jkFunction || cls.FuncValue() == nullptr ||
        cls.FuncValue()->FuncKind != TJFunctionKind::Class || cls.FuncValue()->Generation != generation_) {
      ThrowScriptError(errors::kName, className);
    }
    // A class that derives from itself, directly or through others, never ends.
    if (depth > 1000) ThrowScriptError(errors::kTooDeep);
    const ClassParts parts = PartsOfClass(*static_cast<const TJStatement*>(cls.FuncValue()->Definition));
    plan = &PlanOf(*cls.FuncValue(), name);
    // Members beyond the two an object holds itself go right behind it, in one allocation.
    if (depth == 0 && plan->members > 2) room = plan->members;
    object = parts.base != nullptr
                 ? CreateScriptObject(TJName(parts.base->Name, parts.base->Hash), args, depth + 1, room, parts.base)
                 : factory_.CreatePlainObject(room);
    // The level and its members move the object along the shapes the class's last
    // instance went through, where it is at the same shape; else by name, remembered.
    TJMemberStore& store = object->Members();
    TJShapePath& path = plan->path;
    if (const TJShape* next = path.Next(0, store.Shape())) {
      store.FollowLayer(next);
    } else {
      const TJShape* from = store.Shape();
      object->RegisterName(*plan->info);
      path.Record(0, from, store.Shape());
    }
    const TJValue* standIn = plan->standIns.data();
    std::size_t step = 1;
    const auto add = [&](const TJExpr* name, const TJValue& value) {
      if (const TJShape* next = path.Next(step, store.Shape())) {
        store.FollowSlot(next, value);
      } else {
        const TJShape* from = store.Shape();
        store.Set(0, TJName(name->Name, name->Hash), value);
        path.Record(step, from, store.Shape());
      }
      ++step;
    };
    for (const TJStatement* m = parts.firstMember; m != nullptr; m = m->Next) {
      if (m->Kind == skFunction) {
        add(PartsOfFunction(*m).name, *standIn++);
      } else if (m->Kind == skDeclarator) {
        const DeclaratorParts member = PartsOfDeclarator(*m);
        const TJValue init = member.initialiser != nullptr ? Eval(member.initialiser) : TJValue::Null();
        add(member.name, init);
      }
    }
  }
  // The constructor: a script function of the class's own name in the top layer, bound to
  // the object (a stand-in becomes the Bound one and runs with the object). Where it lies
  // follows from the shape; a script class remembers it for the last shape it met.
  TJMemberStore& members = object->Members();
  std::int32_t slot = -1;
  if (plan != nullptr && plan->constructorShape == members.Shape()->Id()) {
    slot = plan->constructorSlot;
  } else {
    slot = members.SlotOf(0, name);
    if (plan != nullptr && !members.Shape()->Dictionary()) {  // a dictionary shape changes in place
      plan->constructorShape = members.Shape()->Id();
      plan->constructorSlot = slot;
    }
  }
  if (slot >= 0) {
    TJValue* ctor = &members.Value(static_cast<std::size_t>(slot));
    if (ctor->Kind() == jkFunction && ctor->FuncValue() != nullptr && ctor->FuncValue()->FuncKind == TJFunctionKind::Script) {
      if (ctor->FuncValue()->StandIn == TJStandIn::Unbound) *ctor = TJValue::Function(ctor->FuncValue()->BoundTwin);
      const TJValue function = *ctor;
      TJFunction& f = *function.FuncValue();
      if (f.StandIn == TJStandIn::None) f.This.Reset(object);
      if (args == nullptr) {
        CallScriptOn(f, object, nullptr, 0);
      } else {
        CallScriptOn(f, object, args->begin(), args->Count());
      }
    }
  }
  if (plan != nullptr) plan->members = static_cast<std::uint32_t>(members.SlotCount());
  return object;
}

}  // namespace kestrin
