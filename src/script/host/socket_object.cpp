#include "script/host/socket_object.h"

#include "script/builtins/global.h"
#include "script/engine.h"

namespace kestrin {

const TJClassInfo& TJBaseSocketObject::Info() {
  using B = TJBaseSocketObject;
  static const TJClassInfo info = TJClassBuilder<B>("SocketObject")
                                      .Property<&B::GetTimeout, &B::SetTimeout>("timeout", TJPropertyType::Integer)
                                      .Property<&B::GetDebug, &B::SetDebug>("debug", TJPropertyType::Boolean)
                                      .Build(false);
  return info;
}

TJBaseSocketObject::TJBaseSocketObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

void TJBaseSocketObject::Attach(velkoran::net::TNetEndpoint& client) {
  client_ = &client;
  client.OnStatus = [this](velkoran::net::TNetEndpoint&, std::string_view text) { Trace(text); };
  client.OnWaitSlice = [this] {
    TJEngine* engine = Engine();
    if (engine == nullptr) return;
    if (engine->OnPoll) engine->OnPoll(*engine);
    if (engine->AbortRequested) throw EJAbort();
  };
}

void TJBaseSocketObject::Detach() {
  if (client_ == nullptr) return;
  client_->OnStatus = nullptr;
  client_->OnWaitSlice = nullptr;
}

void TJBaseSocketObject::Trace(std::string_view text) {
  if (!debug_) return;
  TJEngine* engine = Engine();
  if (engine == nullptr || !engine->Global().OnOutput) return;
  std::string line(text);
  line += "\r\n";
  engine->Global().OnOutput(line);
}

TJValue TJBaseSocketObject::GetTimeout() { return TJValue::Integer(client_ != nullptr ? client_->Timeout : 0); }
void TJBaseSocketObject::SetTimeout(const TJValue& value) {
  if (client_ != nullptr) client_->Timeout = ToInteger(value);
}
TJValue TJBaseSocketObject::GetDebug() { return TJValue::Boolean(debug_); }
void TJBaseSocketObject::SetDebug(const TJValue& value) { debug_ = ToBoolean(value); }

}  // namespace kestrin
