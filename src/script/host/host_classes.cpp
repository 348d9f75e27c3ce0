#include "script/host/host_classes.h"

#include "script/kestrin.h"

namespace kestrin {

void RegisterHostClasses(TKestrin& host) {
  // Each host class adds one line here as it arrives, in the order of the class table:
  // File, Directory, Strings, Win32, Ini, CRC, Base64, Dialog, URL, Cookie, Response,
  // HTTP, HTTPS, TCPSocket, Mail, POP3, SMTP, Mutex, ActiveXObject.
  static_cast<void>(host);
}

}  // namespace kestrin
