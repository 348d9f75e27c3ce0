#include "script/host/mail_objects.h"

#include "platform/codepage.h"
#include "script/host/base64_object.h"
#include "script/host/host_values.h"
#include "script/host/strings_object.h"

namespace kestrin {

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace

// --- Mail

const TJClassInfo& TJMailObject::Info() {
  using M = TJMailObject;
  static const TJClassInfo info = TJClassBuilder<M>("Mail")
                                      .Method<&M::ClearMethod>("clear")
                                      .Property<&M::GetNumber>("number", TJPropertyType::Integer)
                                      .Property<&M::GetLength>("length", TJPropertyType::Integer)
                                      .Property<&M::GetAttachments>("attachments", TJPropertyType::Object)
                                      .Property<&M::GetHeader>("header", TJPropertyType::String)
                                      .Property<&M::GetBody>("body", TJPropertyType::String)
                                      .Property<&M::GetMessageText, &M::SetMessageText>("message", TJPropertyType::String)
                                      .Build();
  return info;
}

TJMailObject::TJMailObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (factory != nullptr) attachments_.Reset(factory->CreateObject("Strings"));
}

void TJMailObject::ClearMethod(TJValueList&, TJValue&) {
  message_.Clear();
  ShowAttachments();
}

void TJMailObject::Fill(velkoran::net::TMailMessage& message) {
  message_.Take(message);
  ShowAttachments();
}

const velkoran::net::TMailMessage& TJMailObject::ToSend() {
  if (auto* list = dynamic_cast<TJStringsObject*>(attachments_.Get())) {
    message_.Attachments.clear();
    for (std::size_t i = 0; i < list->List().Count(); ++i) message_.Attachments.push_back(list->List().Get(i));
  }
  return message_;
}

TJValue TJMailObject::GetLength() { return host::Int64Value(message_.Size); }

void TJMailObject::ShowAttachments() {
  if (auto* list = dynamic_cast<TJStringsObject*>(attachments_.Get())) {
    list->List().Clear();
    for (const std::string& path : message_.Attachments) list->List().Add(path);
  }
}

TJValue TJMailObject::GetHeader() { return TJValue::Text(Joined(message_.HeaderLines)); }
TJValue TJMailObject::GetBody() { return TJValue::Text(message_.Body()); }

bool TJMailObject::HasKey(const TJName& name) { return TJObject::HasKey(name) || message_.Headers.HasKey(name.Text()); }

void TJMailObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  if (TJObject::HasKey(name)) {
    TJObject::GetValue(name, bracket, out);
    return;
  }
  if (!message_.Headers.HasKey(name.Text())) ThrowScriptError(bracket ? errors::kKey : errors::kName, name.Text());
  out = TJValue::Text(message_.HeaderValue(name.Text()));
}

void TJMailObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (TJObject::HasKey(name)) {
    TJObject::SetValue(name, value, bracket);
    return;
  }
  message_.Headers.AddString(name.Text(), ToText(value).view());
}

std::vector<std::string> TJMailObject::PropertyNames() { return message_.Headers.Keys(); }

void TJMailObject::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  attachments_.Visit(visitor);
}

void TJMailObject::DropReferences() {
  TJObject::DropReferences();
  attachments_.Reset(nullptr);
}

// --- POP3

const TJClassInfo& TJPOP3Object::Info() {
  using P = TJPOP3Object;
  static const TJClassInfo info = TJClassBuilder<P>("POP3")
                                      .Method<&P::ConnectMethod>("connect")
                                      .Method<&P::ConnectMethod>("open")
                                      .Method<&P::DisconnectMethod>("disconnect")
                                      .Method<&P::DisconnectMethod>("close")
                                      .Method<&P::GetMailMethod>("getMail")
                                      .Method<&P::GetSummaryMethod>("getSummary")
                                      .Method<&P::DeleteMethod>("delete")
                                      .Property<&P::GetAttachPath, &P::SetAttachPath>("attachPath", TJPropertyType::String)
                                      .Property<&P::GetDeleteOnRead, &P::SetDeleteOnRead>("deleteOnRead", TJPropertyType::Boolean)
                                      .Property<&P::GetMailCount>("mailCount", TJPropertyType::Integer)
                                      .Property<&P::GetMailCount>("length", TJPropertyType::Integer)
                                      .Property<&P::GetPassword, &P::SetPassword>("password", TJPropertyType::String)
                                      .Property<&P::GetUserId, &P::SetUserId>("userid", TJPropertyType::String)
                                      .Property<&P::GetHost, &P::SetHost>("host", TJPropertyType::String)
                                      .Property<&P::GetPort, &P::SetPort>("port", TJPropertyType::Integer)
                                      .Property<&P::GetMail>("mail", TJPropertyType::Object)
                                      .Build();
  return info;
}

TJPOP3Object::TJPOP3Object(TJObjectFactory* factory, const TJValueList* args) : TJBaseSocketObject(factory, args) {
  RegisterName(Info());
  client_ = std::make_unique<velkoran::net::TNetPOP3>(65536);
  // Attachment names in encoded words become file names of the system code page.
  client_->Message.DecodeName = [](std::string_view name) {
    return DecodeHeaderText(name, velkoran::platform::ActiveCodePage());
  };
  Attach(*client_);
  if (factory != nullptr) mail_.Reset(factory->CreateObject("Mail"));
}

TJPOP3Object::~TJPOP3Object() { Detach(); }

void TJPOP3Object::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  mail_.Visit(visitor);
}

void TJPOP3Object::DropReferences() {
  TJObject::DropReferences();
  mail_.Reset(nullptr);
}

TJValue TJPOP3Object::FilledMail() {
  if (auto* mail = dynamic_cast<TJMailObject*>(mail_.Get())) mail->Fill(client_->Message);
  return mail_.Value();
}

void TJPOP3Object::ConnectMethod(TJValueList&, TJValue&) {
  Guarded("POP3.connect", [&] { client_->Connect(); });
}

void TJPOP3Object::DisconnectMethod(TJValueList&, TJValue&) {
  Guarded("POP3.disconnect", [&] { client_->Disconnect(); });
}

void TJPOP3Object::GetMailMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const std::int32_t number = ToInteger(args[0]);
  Guarded("POP3.getMail", [&] { client_->Retrieve(number); });
  result = FilledMail();
}

void TJPOP3Object::GetSummaryMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  const std::int32_t number = ToInteger(args[0]);
  Guarded("POP3.getSummary", [&] { client_->RetrieveTop(number); });
  result = FilledMail();
}

void TJPOP3Object::DeleteMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) return;
  const std::int32_t number = ToInteger(args[0]);
  Guarded("POP3.delete", [&] { client_->Delete(number); });
}

// --- SMTP

const TJClassInfo& TJSMTPObject::Info() {
  using S = TJSMTPObject;
  static const TJClassInfo info = TJClassBuilder<S>("SMTP")
                                      .Method<&S::ConnectMethod>("connect")
                                      .Method<&S::ConnectMethod>("open")
                                      .Method<&S::DisconnectMethod>("disconnect")
                                      .Method<&S::DisconnectMethod>("close")
                                      .Method<&S::SendMailMethod>("sendMail")
                                      .Property<&S::GetMail>("mail", TJPropertyType::Object)
                                      .Property<&S::GetHost, &S::SetHost>("host", TJPropertyType::String)
                                      .Property<&S::GetPort, &S::SetPort>("port", TJPropertyType::Integer)
                                      .Build();
  return info;
}

TJSMTPObject::TJSMTPObject(TJObjectFactory* factory, const TJValueList* args) : TJBaseSocketObject(factory, args) {
  RegisterName(Info());
  client_ = std::make_unique<velkoran::net::TNetSMTP>(65536);
  Attach(*client_);
  if (factory != nullptr) mail_.Reset(factory->CreateObject("Mail"));
}

TJSMTPObject::~TJSMTPObject() { Detach(); }

void TJSMTPObject::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  mail_.Visit(visitor);
}

void TJSMTPObject::DropReferences() {
  TJObject::DropReferences();
  mail_.Reset(nullptr);
}

void TJSMTPObject::ConnectMethod(TJValueList&, TJValue&) {
  Guarded("SMTP.connect", [&] { client_->Connect(); });
}

void TJSMTPObject::DisconnectMethod(TJValueList&, TJValue&) {
  Guarded("SMTP.disconnect", [&] { client_->Disconnect(); });
}

void TJSMTPObject::SendMailMethod(TJValueList&, TJValue&) {
  Guarded("SMTP.sendMail", [&] {
    if (auto* mail = dynamic_cast<TJMailObject*>(mail_.Get())) client_->Message.Assign(mail->ToSend());
    client_->SendMail();
  });
}

}  // namespace kestrin
