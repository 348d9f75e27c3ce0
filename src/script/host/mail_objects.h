// The script classes Mail (a mail message: its fields, and its headers as members),
// POP3 and SMTP (the mail clients, each with one Mail object that every retrieval refills
// and that sendMail sends).
#pragma once

#include <memory>

#include "net/net_mail.h"
#include "script/host/socket_object.h"

namespace kestrin {

class TJMailObject : public TJObject {
 public:
  TJMailObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  // The message after a retrieval (taken over from the client, which needs it no more),
  // its attachment paths shown in the list.
  void Fill(velkoran::net::TMailMessage& message);
  // The message to send: the attachments are the paths the list holds now (a script
  // attaches files by adding their paths to `attachments`).
  const velkoran::net::TMailMessage& ToSend();

  // Registered members and properties first; any other name is a header of the message
  // (ENameError or EKeyError when it has none).
  bool HasKey(const TJName& name) override;
  void GetValue(const TJName& name, bool bracket, TJValue& out) override;
  void SetValue(const TJName& name, const TJValue& value, bool bracket) override;
  bool KeepsStandardMemberAccess() const noexcept override { return false; }
  std::vector<std::string> PropertyNames() override;
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  void ClearMethod(TJValueList& args, TJValue& result);
  TJValue GetNumber() { return TJValue::Integer(message_.Number); }
  TJValue GetLength();
  TJValue GetAttachments() { return attachments_.Value(); }
  void ShowAttachments();
  TJValue GetHeader();
  TJValue GetBody();
  TJValue GetMessageText() { return TJValue::Text(message_.Message); }
  void SetMessageText(const TJValue& v) { message_.Message = ToText(v).str(); }

  velkoran::net::TMailMessage message_;
  THeldObject attachments_;
};

class TJPOP3Object : public TJBaseSocketObject {
 public:
  TJPOP3Object(TJObjectFactory* factory, const TJValueList* args);
  ~TJPOP3Object() override;
  static const TJClassInfo& Info();
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  void ConnectMethod(TJValueList& args, TJValue& result);
  void DisconnectMethod(TJValueList& args, TJValue& result);
  void GetMailMethod(TJValueList& args, TJValue& result);
  void GetSummaryMethod(TJValueList& args, TJValue& result);
  void DeleteMethod(TJValueList& args, TJValue& result);
  // Copies the client's message into the one Mail object and returns it.
  TJValue FilledMail();

  TJValue GetAttachPath() { return TJValue::Text(client_->AttachPath); }
  void SetAttachPath(const TJValue& v) { client_->AttachPath = ToText(v).str(); }
  TJValue GetDeleteOnRead() { return TJValue::Boolean(client_->DeleteOnRead); }
  void SetDeleteOnRead(const TJValue& v) { client_->DeleteOnRead = ToBoolean(v); }
  TJValue GetMailCount() { return TJValue::Integer(client_->MailCount); }
  TJValue GetPassword() { return TJValue::Text(client_->Password); }
  void SetPassword(const TJValue& v) { client_->Password = ToText(v).str(); }
  TJValue GetUserId() { return TJValue::Text(client_->UserId); }
  void SetUserId(const TJValue& v) { client_->UserId = ToText(v).str(); }
  TJValue GetHost() { return TJValue::Text(client_->Host); }
  void SetHost(const TJValue& v) { client_->Host = ToText(v).str(); }
  TJValue GetPort() { return TJValue::Integer(client_->Port); }
  void SetPort(const TJValue& v) { client_->Port = static_cast<std::uint16_t>(ToInteger(v)); }
  TJValue GetMail() { return mail_.Value(); }

  std::unique_ptr<velkoran::net::TNetPOP3> client_;
  THeldObject mail_;
};

class TJSMTPObject : public TJBaseSocketObject {
 public:
  TJSMTPObject(TJObjectFactory* factory, const TJValueList* args);
  ~TJSMTPObject() override;
  static const TJClassInfo& Info();
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  void ConnectMethod(TJValueList& args, TJValue& result);
  void DisconnectMethod(TJValueList& args, TJValue& result);
  void SendMailMethod(TJValueList& args, TJValue& result);

  TJValue GetHost() { return TJValue::Text(client_->Host); }
  void SetHost(const TJValue& v) { client_->Host = ToText(v).str(); }
  TJValue GetPort() { return TJValue::Integer(client_->Port); }
  void SetPort(const TJValue& v) { client_->Port = static_cast<std::uint16_t>(ToInteger(v)); }
  TJValue GetMail() { return mail_.Value(); }

  std::unique_ptr<velkoran::net::TNetSMTP> client_;
  THeldObject mail_;
};

}  // namespace kestrin
