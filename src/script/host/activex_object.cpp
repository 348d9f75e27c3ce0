#include "script/host/activex_object.h"

#include "platform/automation.h"
#include "script/engine.h"

namespace kestrin {
namespace {

using velkoran::platform::AutomationAbortHook;
using velkoran::platform::InvokeKind;
using velkoran::platform::Variant;

// While an automation call waits on its service the engine's host keeps running its
// events, so Esc still ends the script.
class EngineWait {
 public:
  explicit EngineWait(TJEngine* engine)
      : engine_(engine), hook_([engine] { return engine != nullptr && engine->PollHost(); }) {}
  // After a failed call: an abort the host asked for ends the run rather than an error.
  void ThrowIfAborted() const {
    if (engine_ != nullptr && engine_->AbortRequested) throw EJAbort();
  }

 private:
  TJEngine* engine_;
  AutomationAbortHook hook_;
};

}  // namespace

const TJClassInfo& TJActiveXObject::Info() {
  using A = TJActiveXObject;
  static const TJClassInfo info = TJClassBuilder<A>("ActiveXObject")
                                      .Property<&A::GetDisp, &A::SetDisp>("disp", TJPropertyType::Interface)
                                      .Build();
  return info;
}

TJActiveXObject::TJActiveXObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (!TJValueList::Has1(args)) return;
  const TJValue& arg = (*args)[0];
  if (arg.Kind() == jkDispatch) {
    disp_ = arg;
    return;
  }
  const SharedString id = ToText(arg);
  EngineWait wait(Engine());
  const Variant created = velkoran::platform::CreateAutomationObject(id.view());
  if (created.type != Variant::Type::Dispatch) {
    wait.ThrowIfAborted();
    ThrowScriptError(errors::kActiveX, "create error " + id.str());
  }
  disp_ = VariantToValue(created);
}

std::int32_t TJActiveXObject::DispIdOf(const TJName& name) {
  if (const THashItem* item = dispIds_.Find(name.Text())) return item->IntValue;
  IDispatchRef* disp = ToDispatch(disp_);
  const auto id = disp != nullptr ? disp->IdOfName(name.Text()) : std::nullopt;
  if (!id) ThrowScriptError(errors::kActiveX, name.Text());
  dispIds_.AddInteger(name.Text(), *id);
  return *id;
}

void TJActiveXObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  if (HasKey(name)) {
    TJObject::GetValue(name, bracket, out);
    return;
  }
  const std::int32_t id = DispIdOf(name);
  IDispatchRef* disp = ToDispatch(disp_);
  EngineWait wait(Engine());
  Variant result;
  if (disp->Invoke(id, InvokeKind::PropertyGet, {}, result)) {
    out = VariantToValue(result);
    return;
  }
  wait.ThrowIfAborted();
  // Not readable as a property: a method, kept so that later reads find it at once.
  out = function_factory::Automation(disp, id);
  SetMember(name, out);
}

void TJActiveXObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (HasKey(name)) {
    TJObject::SetValue(name, value, bracket);
    return;
  }
  const std::int32_t id = DispIdOf(name);
  EngineWait wait(Engine());
  Variant ignored;
  if (!ToDispatch(disp_)->Invoke(id, InvokeKind::PropertyPut, {ValueToVariant(value)}, ignored)) {
    wait.ThrowIfAborted();
    ThrowScriptError(errors::kActiveX, name.Text());
  }
}

std::vector<std::string> TJActiveXObject::PropertyNames() {
  IDispatchRef* disp = ToDispatch(disp_);
  if (disp == nullptr) return {};
  EngineWait wait(Engine());
  std::vector<std::string> names = disp->PropertyNames();
  wait.ThrowIfAborted();
  return names;
}

}  // namespace kestrin
