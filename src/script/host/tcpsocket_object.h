// TJTCPSocketObject, the script class TCPSocket: a raw TCP client, or a listener whose
// accepted connections become TCPSocket objects of their own.
#pragma once

#include <memory>

#include "net/net_socket.h"
#include "script/host/socket_object.h"

namespace kestrin {

class TJTCPSocketObject : public TJBaseSocketObject {
 public:
  // No argument: an unconnected client. One argument: the handle of a connection that an
  // accept of this process produced and nothing wraps yet ("TCPSocket.create error"
  // for anything else).
  TJTCPSocketObject(TJObjectFactory* factory, const TJValueList* args);
  ~TJTCPSocketObject() override;
  static const TJClassInfo& Info();

 private:
  void ConnectMethod(TJValueList& args, TJValue& result);
  void DisconnectMethod(TJValueList& args, TJValue& result);
  void AbortMethod(TJValueList& args, TJValue& result);
  void ReadMethod(TJValueList& args, TJValue& result);
  void ReadlnMethod(TJValueList& args, TJValue& result);
  void WriteMethod(TJValueList& args, TJValue& result);
  void WritelnMethod(TJValueList& args, TJValue& result);
  void CaptureMethod(TJValueList& args, TJValue& result);
  void SendFileMethod(TJValueList& args, TJValue& result);
  void BindMethod(TJValueList& args, TJValue& result);
  void AcceptMethod(TJValueList& args, TJValue& result);
  void IsConnectedMethod(TJValueList& args, TJValue& result);

  TJValue GetHost() { return TJValue::Text(socket_->Host); }
  void SetHost(const TJValue& v) { socket_->Host = ToText(v).str(); }
  TJValue GetPort() { return TJValue::Integer(socket_->Port); }
  void SetPort(const TJValue& v) { socket_->Port = static_cast<std::uint16_t>(ToInteger(v)); }

  std::unique_ptr<velkoran::net::TNetSocket> socket_;
};

}  // namespace kestrin
