// The script classes over the network helpers: URL (the parts of a URL), Cookie (a
// response's cookie; its expiry as a Date) and Response (status, headers and cookie of
// the last HTTP exchange, headers as string members named in lower case).
#pragma once

#include "net/cookie.h"
#include "net/url.h"
#include "script/host/socket_object.h"

namespace velkoran::net {
class THttpClient;
}

namespace kestrin {

class TJURLInfoObject : public TJObject {
 public:
  TJURLInfoObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  TJValue GetUrl();
  void SetUrl(const TJValue& v);
  TJValue GetHost();
  void SetHost(const TJValue& v);
#define KESTRIN_URL_FIELD(Field)                                        \
  TJValue Get##Field() { return TJValue::Text(parts_.Field); }         \
  void Set##Field(const TJValue& v) { parts_.Field = ToText(v).str(); }
  KESTRIN_URL_FIELD(Protocol)
  KESTRIN_URL_FIELD(UserName)
  KESTRIN_URL_FIELD(Password)
  KESTRIN_URL_FIELD(HostName)
  KESTRIN_URL_FIELD(PortText)
  KESTRIN_URL_FIELD(Path)
  KESTRIN_URL_FIELD(Directory)
  KESTRIN_URL_FIELD(FileName)
  KESTRIN_URL_FIELD(Query)
#undef KESTRIN_URL_FIELD

  velkoran::net::TUrlParts parts_;
};

class TJCookieObject : public TJObject {
 public:
  TJCookieObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  velkoran::net::TCookie& Cookie() noexcept { return cookie_; }
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  TJValue GetDomain() { return TJValue::Text(cookie_.Domain); }
  void SetDomain(const TJValue& v) { cookie_.Domain = ToText(v).str(); }
  TJValue GetPath() { return TJValue::Text(cookie_.Path); }
  void SetPath(const TJValue& v) { cookie_.Path = ToText(v).str(); }
  TJValue GetExpires();

  velkoran::net::TCookie cookie_;
  THeldObject date_;
};

class TJResponseObject : public TJObject {
 public:
  TJResponseObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  // Resets and fills from the client's last response.
  void Fill(const velkoran::net::THttpClient& client);
  // Header names only.
  std::vector<std::string> PropertyNames() override;
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  TJValue GetCookie() { return cookie_.Value(); }
  TJValue GetCode() { return TJValue::Integer(code_); }
  TJValue GetText() { return TJValue::Text(text_); }

  THeldObject cookie_;
  std::int32_t code_ = 0;
  std::string text_;
};

}  // namespace kestrin
