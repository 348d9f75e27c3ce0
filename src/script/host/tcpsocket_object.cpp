#include "script/host/tcpsocket_object.h"

#include "script/host/host_values.h"

namespace kestrin {

const TJClassInfo& TJTCPSocketObject::Info() {
  using T = TJTCPSocketObject;
  static const TJClassInfo info = TJClassBuilder<T>("TCPSocket")
                                      .Method<&T::ConnectMethod>("connect")
                                      .Method<&T::ConnectMethod>("open")
                                      .Method<&T::DisconnectMethod>("disconnect")
                                      .Method<&T::DisconnectMethod>("close")
                                      .Method<&T::AbortMethod>("abort")
                                      .Method<&T::ReadMethod>("read")
                                      .Method<&T::ReadlnMethod>("readln")
                                      .Method<&T::WriteMethod>("write")
                                      .Method<&T::WritelnMethod>("writeln")
                                      .Method<&T::CaptureMethod>("capture")
                                      .Method<&T::SendFileMethod>("sendFile")
                                      .Method<&T::BindMethod>("bind")
                                      .Method<&T::AcceptMethod>("accept")
                                      .Method<&T::IsConnectedMethod>("isConnected")
                                      .Property<&T::GetHost, &T::SetHost>("host", TJPropertyType::String)
                                      .Property<&T::GetPort, &T::SetPort>("port", TJPropertyType::Integer)
                                      .Build();
  return info;
}

TJTCPSocketObject::TJTCPSocketObject(TJObjectFactory* factory, const TJValueList* args)
    : TJBaseSocketObject(factory, args) {
  RegisterName(Info());
  if (TJValueList::Has1(args)) {
    const std::int32_t handle = ToInteger((*args)[0]);
    Guarded("TCPSocket.create error", [&] { socket_ = velkoran::net::TNetSocket::FromAccepted(handle); });
  } else {
    socket_ = std::make_unique<velkoran::net::TNetSocket>(65536);
  }
  Attach(*socket_);
}

TJTCPSocketObject::~TJTCPSocketObject() { Detach(); }

void TJTCPSocketObject::ConnectMethod(TJValueList&, TJValue&) {
  Guarded("TCPSocket.connect error", [&] { socket_->Connect(); });
}

void TJTCPSocketObject::DisconnectMethod(TJValueList&, TJValue&) {
  Guarded("TCPSocket.disconnect error", [&] { socket_->Disconnect(); });
}

void TJTCPSocketObject::AbortMethod(TJValueList&, TJValue&) {
  Guarded("TCPSocket.abort error", [&] { socket_->Abort(); });
}

void TJTCPSocketObject::ReadMethod(TJValueList& args, TJValue& result) {
  const std::int64_t count = TJValueList::Has1(&args) ? host::ToInt64(args[0]) : -1;
  std::string text;
  Guarded("TCPSocket.read error", [&] { socket_->ReadToString(text, count); });
  result = TJValue::Text(text);
}

void TJTCPSocketObject::ReadlnMethod(TJValueList&, TJValue& result) {
  std::string line;
  Guarded("TCPSocket.readln error", [&] { line = socket_->ReadLine(); });
  result = TJValue::Text(line);
}

void TJTCPSocketObject::WriteMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::string text = ToText(args[0]).str();
  Guarded("TCPSocket.write error", [&] { socket_->WriteString(text); });
}

void TJTCPSocketObject::WritelnMethod(TJValueList& args, TJValue&) {
  const std::string text = TJValueList::Has1(&args) ? ToText(args[0]).str() : std::string();
  Guarded("TCPSocket.writeln error", [&] { socket_->WriteLine(text); });
}

void TJTCPSocketObject::CaptureMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::string path = ToText(args[0]).str();
  Guarded("TCPSocket.capture error", [&] { socket_->ReadToFile(path); });
}

void TJTCPSocketObject::SendFileMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::string path = ToText(args[0]).str();
  Guarded("TCPSocket.sendFile error", [&] { socket_->WriteFile(path); });
}

void TJTCPSocketObject::BindMethod(TJValueList&, TJValue&) {
  Guarded("TCPSocket.bind error", [&] { socket_->Listen(); });
}

void TJTCPSocketObject::AcceptMethod(TJValueList&, TJValue& result) {
  int handle = -1;
  Guarded("TCPSocket.accept error", [&] { handle = socket_->Accept(); });
  if (handle < 0 || Factory() == nullptr) ThrowScriptError(errors::kSocket, "TCPSocket.accept error");
  TJValueList args;
  args.Add(TJValue::Integer(handle));
  result = TJValue::Object(Factory()->CreateObject("TCPSocket", &args));
}

void TJTCPSocketObject::IsConnectedMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(socket_->IsConnected());
}

}  // namespace kestrin
