#include "script/host/host_classes.h"

#include "script/host/activex_object.h"
#include "script/host/base64_object.h"
#include "script/host/crc_object.h"
#include "script/host/dialog_object.h"
#include "script/host/directory_object.h"
#include "script/host/file_object.h"
#include "script/host/http_object.h"
#include "script/host/ini_object.h"
#include "script/host/mail_objects.h"
#include "script/host/mutex_object.h"
#include "script/host/strings_object.h"
#include "script/host/tcpsocket_object.h"
#include "script/host/web_objects.h"
#include "script/host/win32_object.h"
#include "script/kestrin.h"

namespace kestrin {

void RegisterHostClasses(TKestrin& host) {
  // In the order of the class table: File, Directory, Strings, Win32, Ini, CRC, Base64,
  // Dialog, URL, Cookie, Response, HTTP, HTTPS, TCPSocket, Mail, POP3, SMTP, Mutex,
  // ActiveXObject. The network classes join at their places.
  host.RegisterClass("File", TJFileObject::Info());
  host.RegisterClass("Directory", TJDirectoryObject::Info());
  host.RegisterClass("Strings", TJStringsObject::Info());
  host.RegisterClass("Win32", TJWin32Object::Info());
  host.RegisterClass("Ini", TJIniObject::Info());
  host.RegisterClass("CRC", TJCRCObject::Info());
  host.RegisterClass("Base64", TJBase64Object::Info());
  host.RegisterClass("Dialog", TJDialogObject::Info());
  host.RegisterClass("URL", TJURLInfoObject::Info());
  host.RegisterClass("Cookie", TJCookieObject::Info());
  host.RegisterClass("Response", TJResponseObject::Info());
  host.RegisterClass("HTTP", TJHTTPObject::Info());
  host.RegisterClass("HTTPS", TJHTTPSObject::Info());
  host.RegisterClass("TCPSocket", TJTCPSocketObject::Info());
  host.RegisterClass("Mail", TJMailObject::Info());
  host.RegisterClass("POP3", TJPOP3Object::Info());
  host.RegisterClass("SMTP", TJSMTPObject::Info());
  host.RegisterClass("Mutex", TJMutexObject::Info());
  host.RegisterClass("ActiveXObject", TJActiveXObject::Info());
}

}  // namespace kestrin
