#include "script/function_record.h"

#include "script/object.h"
#include "script/value.h"

namespace kestrin {

// Weak links and callable records

void TJWeakObject::Reset(TJObject* object) {
  if (link_ != nullptr && link_->Object == object && object != nullptr) return;
  if (link_ != nullptr && --link_->Refs == 0) delete link_;
  link_ = nullptr;
  if (object != nullptr) {
    link_ = object->Link();
    ++link_->Refs;
  }
}

TJFunction::~TJFunction() {
  if (Dispatch != nullptr) Dispatch->Release();
  if (BoundTwin != nullptr && --BoundTwin->Refs == 0) DestroyFunction(BoundTwin);
}

void DestroyFunction(TJFunction* f) noexcept { delete f; }

bool SameCallable(const TJFunction& a, const TJFunction& b) noexcept {
  if (a.FuncKind != b.FuncKind) return false;
  switch (a.FuncKind) {
    case TJFunctionKind::Script:
      return a.Definition == b.Definition;
    case TJFunctionKind::Native:
      return a.Method == b.Method && a.OwnerObject() == b.OwnerObject();
    case TJFunctionKind::Automation:
      return a.Dispatch == b.Dispatch && a.DispId == b.DispId;
    default:
      return false;
  }
}

namespace function_factory {

TJValue Native(TJNativeMethod method, TJObject* owner) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Native;
  f->Method = method;
  f->Owner.Reset(owner);
  return TJValue::Function(f);
}

TJValue Automation(IDispatchRef* dispatch, std::int32_t dispId) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Automation;
  f->Dispatch = dispatch;
  if (dispatch != nullptr) dispatch->AddRef();
  f->DispId = dispId;
  return TJValue::Function(f);
}

TJValue Script(const TJStatement* definition, const TJStatement* params, SharedString scopeName,
               std::uint32_t generation, const void* info) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Script;
  f->Definition = definition;
  f->Params = params;
  f->ScopeName = std::move(scopeName);
  f->Generation = generation;
  f->Info = info;
  return TJValue::Function(f);
}

TJValue Class(const TJStatement* definition, std::uint32_t generation) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Class;
  f->Definition = definition;
  f->Generation = generation;
  return TJValue::Function(f);
}

TJValue Module(TJSymbolTable* table, std::uint32_t generation) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Module;
  f->Definition = table;
  f->Generation = generation;
  return TJValue::Function(f);
}

namespace {

// A script function record with the same identity as `from` (not its `This`).
TJFunction* CopyScript(const TJFunction& from) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Script;
  f->Definition = from.Definition;
  f->Params = from.Params;
  f->ScopeName = from.ScopeName;
  f->Generation = from.Generation;
  f->Info = from.Info;
  return f;
}

}  // namespace

TJValue StandIn(const TJFunction& method) {
  TJFunction* unbound = CopyScript(method);
  unbound->StandIn = TJStandIn::Unbound;
  unbound->BoundTwin = CopyScript(method);
  unbound->BoundTwin->StandIn = TJStandIn::Bound;
  ++unbound->BoundTwin->Refs;
  return TJValue::Function(unbound);
}

void OwnRecord(TJValue& slot, TJObject* owner) {
  const TJFunction& standIn = *slot.FuncValue();
  TJFunction* own = CopyScript(standIn);
  if (standIn.StandIn == TJStandIn::Bound) own->This.Reset(owner);
  slot = TJValue::Function(own);
}

}  // namespace function_factory

}  // namespace kestrin
