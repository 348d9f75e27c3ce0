#include "script/host/web_objects.h"

#include "net/http_client.h"
#include "net/net_misc.h"
#include "script/host/host_values.h"

namespace kestrin {

using velkoran::net::ParseUrl;

// --- URL

const TJClassInfo& TJURLInfoObject::Info() {
  using U = TJURLInfoObject;
  constexpr auto S = TJPropertyType::String;
  static const TJClassInfo info = TJClassBuilder<U>("URL")
                                      .Property<&U::GetUrl, &U::SetUrl>("url", S)
                                      .Property<&U::GetUrl, &U::SetUrl>("uri", S)
                                      .Property<&U::GetUrl, &U::SetUrl>("href", S)
                                      .Property<&U::GetProtocol, &U::SetProtocol>("protocol", S)
                                      .Property<&U::GetProtocol, &U::SetProtocol>("scheme", S)
                                      .Property<&U::GetUserName, &U::SetUserName>("username", S)
                                      .Property<&U::GetUserName, &U::SetUserName>("user", S)
                                      .Property<&U::GetUserName, &U::SetUserName>("userid", S)
                                      .Property<&U::GetPassword, &U::SetPassword>("password", S)
                                      .Property<&U::GetPassword, &U::SetPassword>("pass", S)
                                      .Property<&U::GetHost, &U::SetHost>("host", S)
                                      .Property<&U::GetHostName, &U::SetHostName>("hostname", S)
                                      .Property<&U::GetPortText, &U::SetPortText>("port", S)
                                      .Property<&U::GetPath, &U::SetPath>("path", S)
                                      .Property<&U::GetDirectory, &U::SetDirectory>("directory", S)
                                      .Property<&U::GetDirectory, &U::SetDirectory>("dir", S)
                                      .Property<&U::GetFileName, &U::SetFileName>("filename", S)
                                      .Property<&U::GetQuery, &U::SetQuery>("query", S)
                                      .Property<&U::GetQuery, &U::SetQuery>("search", S)
                                      .Build();
  return info;
}

TJURLInfoObject::TJURLInfoObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (TJValueList::Has1(args)) parts_ = ParseUrl(ToText((*args)[0]).view());
}

TJValue TJURLInfoObject::GetUrl() { return TJValue::Text(velkoran::net::BuildUrl(parts_)); }
void TJURLInfoObject::SetUrl(const TJValue& v) { parts_ = ParseUrl(ToText(v).view()); }

TJValue TJURLInfoObject::GetHost() {
  return TJValue::Text(parts_.PortText.empty() ? parts_.HostName : parts_.HostName + ":" + parts_.PortText);
}

void TJURLInfoObject::SetHost(const TJValue& v) {
  const std::string text = ToText(v).str();
  const std::size_t colon = text.find(':');
  parts_.HostName = text.substr(0, colon);
  if (colon != std::string::npos) parts_.PortText = text.substr(colon + 1);
}

// --- Cookie

const TJClassInfo& TJCookieObject::Info() {
  using C = TJCookieObject;
  static const TJClassInfo info = TJClassBuilder<C>("Cookie")
                                      .Property<&C::GetDomain, &C::SetDomain>("domain", TJPropertyType::String)
                                      .Property<&C::GetPath, &C::SetPath>("path", TJPropertyType::String)
                                      .Property<&C::GetExpires>("expires", TJPropertyType::Object)
                                      .Build();
  return info;
}

TJCookieObject::TJCookieObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (factory != nullptr) date_.Reset(factory->CreateObject("Date"));
}

TJValue TJCookieObject::GetExpires() {
  if (TJObject* date = date_.Get()) {
    TJValueList args;
    args.Add(host::Int64Value(velkoran::net::DateTimeToUnix(cookie_.Expires)));
    TJValue ignored;
    host::CallNativeMember(*date, "setTime", args, ignored);
  }
  return date_.Value();
}

void TJCookieObject::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  date_.Visit(visitor);
}

void TJCookieObject::DropReferences() {
  TJObject::DropReferences();
  date_.Reset(nullptr);
}

// --- Response

const TJClassInfo& TJResponseObject::Info() {
  using R = TJResponseObject;
  static const TJClassInfo info = TJClassBuilder<R>("Response")
                                      .Property<&R::GetCookie>("cookie", TJPropertyType::Object)
                                      .Property<&R::GetCode>("code", TJPropertyType::Integer)
                                      .Property<&R::GetText>("text", TJPropertyType::String)
                                      .Build();
  return info;
}

TJResponseObject::TJResponseObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (factory != nullptr) cookie_.Reset(factory->CreateObject("Cookie"));
}

void TJResponseObject::Fill(const velkoran::net::THttpClient& client) {
  // Every data member goes; the methods every object has stay.
  const TJMemberStore& members = Members();
  std::vector<std::string> old;
  for (std::size_t i = 0; i < members.SlotCount(); ++i) {
    if (members.SlotLayer(i) == 0 && members.Value(i).Kind() != jkFunction) old.emplace_back(members.SlotName(i));
  }
  for (const std::string& name : old) TopMembers().Remove(TJName(name));
  code_ = client.ReplyNumber;
  text_ = client.ReplyText;
  if (auto* cookie = dynamic_cast<TJCookieObject*>(cookie_.Get())) cookie->Cookie().Assign(client.ResponseHeader.Cookie);
  const auto& values = client.ResponseHeader.Values;
  for (const std::string& name : values.Keys()) SetMember(TJName(name), TJValue::Text(values.GetText(name)));
}

std::vector<std::string> TJResponseObject::PropertyNames() {
  std::vector<std::string> names;
  const TJMemberStore& members = Members();
  for (std::size_t i = 0; i < members.SlotCount(); ++i) {
    if (members.SlotLayer(i) == 0 && members.Value(i).Kind() == jkString) names.emplace_back(members.SlotName(i));
  }
  return names;
}

void TJResponseObject::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  cookie_.Visit(visitor);
}

void TJResponseObject::DropReferences() {
  TJObject::DropReferences();
  cookie_.Reset(nullptr);
}

}  // namespace kestrin
