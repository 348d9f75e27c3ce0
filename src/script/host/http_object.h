// The script classes HTTP and HTTPS: one class template over the two clients of the
// network library, which share every method except the raw write and writeln of HTTP.
// Each object keeps its requestHeader (a plain Object whose string members are sent
// with every request) and its responseHeader (a Response, refilled after each exchange).
#pragma once

#include <memory>

#include "net/http_client.h"
#include "script/host/socket_object.h"

namespace kestrin {

template <bool Secure>
class TJHttpObjectT : public TJBaseSocketObject {
 public:
  TJHttpObjectT(TJObjectFactory* factory, const TJValueList* args);
  ~TJHttpObjectT() override;
  static const TJClassInfo& Info();

  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  void GetMethod(TJValueList& args, TJValue& result);
  void GetFileMethod(TJValueList& args, TJValue& result);
  void PostMethod(TJValueList& args, TJValue& result);
  void HeadMethod(TJValueList& args, TJValue& result);
  void RequestMethod(TJValueList& args, TJValue& result);
  void ResponseMethod(TJValueList& args, TJValue& result);
  void CaptureMethod(TJValueList& args, TJValue& result);
  void ReadlnMethod(TJValueList& args, TJValue& result);
  void ReadMethod(TJValueList& args, TJValue& result);
  void WritelnMethod(TJValueList& args, TJValue& result);
  void WriteMethod(TJValueList& args, TJValue& result);
  void ConnectMethod(TJValueList& args, TJValue& result);
  void DisconnectMethod(TJValueList& args, TJValue& result);

  TJValue GetRequestHeader() { return requestHeader_.Value(); }
  TJValue GetResponseHeader() { return responseHeader_.Value(); }
  TJValue GetVersion() { return TJValue::Text(client_->Version); }
  void SetVersion(const TJValue& v) { client_->Version = ToText(v).str(); }
  TJValue GetLength();
  TJValue GetAutoRedirect() { return TJValue::Boolean(client_->AutoRedirect); }
  void SetAutoRedirect(const TJValue& v) { client_->AutoRedirect = ToBoolean(v); }
  TJValue GetProxy() { return TJValue::Text(client_->Proxy); }
  void SetProxy(const TJValue& v) { client_->Proxy = ToText(v).str(); }

  // "HTTP.get error" (or "HTTPS.").
  static std::string Message(std::string_view operation);
  // The client's request header afresh, with the string members of requestHeader.
  void PrepareHeaders();
  void CopyResponse();

  std::unique_ptr<velkoran::net::THttpClient> client_;
  THeldObject requestHeader_;
  THeldObject responseHeader_;
};

using TJHTTPObject = TJHttpObjectT<false>;
using TJHTTPSObject = TJHttpObjectT<true>;

extern template class TJHttpObjectT<false>;
extern template class TJHttpObjectT<true>;

}  // namespace kestrin
