#include "net/net_endpoint.h"

#include "net/net_errors.h"
#include "net/winsock_codes.h"
#include "platform/ascii.h"

namespace velkoran::net {

void TNetEndpoint::Status(std::string_view text, int level) {
  if (!Traces(level)) return;
  try {
    OnStatus(*this, text);
  } catch (...) {
    // A trace must never change the outcome of the operation it reports.
  }
}

void TNetEndpoint::Cancel() {
  Cancelled = true;
  Status("rtn>cancelします", kTraceStep);
  if (Connected) Disconnect();
  throw ESocketCancel();
}

void TNetEndpoint::Abort() {
  Cancel();
  throw ESocketCancel();  // an override of Cancel that returned still ends here
}

void TNetEndpoint::NoteError(std::int32_t code, std::string_view what) {
  LastError = code;
  if (!what.empty()) Status(std::string("err>") + std::string(what), kTraceResult);
  const std::string_view name = WinSockErrorName(code);
  if (Traces(kTraceDetail)) Status("dbg>" + std::string(name), kTraceDetail);
  if (OnError) OnError(*this, code, name);
}

std::string MaskSecrets(std::string_view line) {
  using platform::EqualsAsciiNoCase;
  auto startsNoCase = [&](std::string_view prefix) {
    return line.size() >= prefix.size() && EqualsAsciiNoCase(line.substr(0, prefix.size()), prefix);
  };
  for (std::string_view header : {std::string_view("Authorization:"), std::string_view("Proxy-Authorization:")}) {
    if (startsNoCase(header)) return std::string(line.substr(0, header.size())) + " ****";
  }
  if (startsNoCase("PASS ")) return std::string(line.substr(0, 5)) + "****";
  return std::string(line);
}

}  // namespace velkoran::net
