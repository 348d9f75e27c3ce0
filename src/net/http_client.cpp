#include "net/http_client.h"

#include <cstdio>
#include <memory>

#include "net/net_errors.h"
#include "net/text.h"
#include "script/builtins/base64.h"

namespace velkoran::net {

namespace {

bool BodyMethod(std::string_view method) { return method == "POST" || method == "PUT" || method == "TRACE"; }

// Scheme, host and port: where an Authorization may go.
std::string Origin(const TUrlParts& p) {
  const std::string protocol = p.Protocol.empty() ? "http" : p.Protocol;
  const std::string port = !p.PortText.empty() ? p.PortText : protocol == "https" ? "443" : "80";
  return protocol + "://" + p.HostName + ":" + port;
}

}  // namespace

bool IsRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

TUrlParts THttpClient::PrepareRequest(std::string& method, std::string& url, const std::string& body) {
  RequestUrl = url;
  if (method.empty()) method = "GET";
  Cancelled = false;
  TimedOut = false;
  TUrlParts parts = ParseUrl(url);
  RequestHeader.SetHost(HostAndPort(url));
  if (!parts.UserName.empty() || !parts.Password.empty()) {
    RequestHeader.SetAuthorization("Basic " + kestrin::Base64Encode(parts.UserName + ":" + parts.Password));
  }
  if (BodyMethod(method) && !body.empty()) {
    // A type the caller chose is kept; the form type is only the default.
    if (RequestHeader.Get("Content-Type").empty()) RequestHeader.SetContentType("application/x-www-form-urlencoded");
    RequestHeader.SetContentLength(std::to_string(body.size()));
  }
  if (OnBeforeRequest) {
    const std::string before = url;
    OnBeforeRequest(*this, url);
    if (url != before) {
      RequestUrl = url;
      parts = ParseUrl(url);
    }
  }
  return parts;
}

void THttpClient::CheckRequestText(std::string_view method, std::string_view target) const {
  bool bad = HasLineBreakOrNul(method) || HasLineBreakOrNul(target) || method.find(' ') != std::string_view::npos;
  for (const auto& [name, value] : RequestHeader.Lines()) bad = bad || HasLineBreakOrNul(name) || HasLineBreakOrNul(value);
  if (bad) throw EProtocolError("http", 0, "line break in the request");
}

std::string THttpClient::RequestText(std::string_view method, std::string_view target, bool traceOnly) {
  std::string text;
  auto line = [&](const std::string& l) {
    if (Traces(kTraceResult)) Status("cmd>" + MaskSecrets(l), kTraceResult);
    if (!traceOnly) {
      text += l;
      text += "\r\n";
    }
  };
  line(std::string(method) + " " + std::string(target) + " HTTP/" + Version);
  for (const auto& [name, value] : RequestHeader.Lines()) line(name + ": " + value);
  if (!traceOnly) text += "\r\n";
  return text;
}

void THttpClient::ClearResponse() {
  ResponseHeader.Clear();
  Location.clear();
  RawHeader.clear();
  ContentFileName.clear();
  ResponseVersion.clear();
  ReplyNumber = 0;
  ReplyText.clear();
  ContentLength = -1;
}

void THttpClient::InterpretHeader(const std::vector<std::string>& lines) {
  TStatusLine status;
  ReadStatusAndFields(lines, RequestUrl, status, ResponseHeader);
  ReplyNumber = status.Number;
  ReplyText = std::move(status.Text);
  ResponseVersion = std::move(status.Version);
  if (OnResponse) OnResponse(*this, RequestUrl);
  TResponseFacts facts = ReadResponseFacts(ResponseHeader, RequestUrl);
  Location = std::move(facts.Location);
  ContentLength = facts.ContentLength;
  ContentFileName = std::move(facts.ContentFileName);
  if (ReplyNumber == 401 && OnAuthenticate) OnAuthenticate(*this);
  if (ReplyNumber >= 400) throw EProtocolError("http", ReplyNumber, ReplyText);
}

void THttpClient::CopySettingsTo(THttpClient& helper) {
  helper.Timeout = Timeout;
  helper.TraceLevel = TraceLevel;
  helper.Proxy = Proxy;
  helper.Version = Version;
  helper.EncodeUrl = EncodeUrl;
  // The helper's traces are this client's: they pass the helper's copy of the level.
  helper.OnStatus = [this](TNetEndpoint&, std::string_view text) { Status(text, 0); };
  helper.OnWaitSlice = OnWaitSlice;
  helper.RequestHeader.Reset();
  for (const auto& [name, value] : RequestHeader.Lines()) helper.RequestHeader.Set(name, value);
}

void THttpClient::CopyResponseFrom(const THttpClient& helper) {
  ClearResponse();
  ResponseHeader.Cookie.Assign(helper.ResponseHeader.Cookie);
  CopyTable(helper.ResponseHeader.Values, ResponseHeader.Values);
  RawHeader = helper.RawHeader;
  LastResponse = helper.LastResponse;
  Location = helper.Location;
  ContentLength = helper.ContentLength;
  ContentFileName = helper.ContentFileName;
  ResponseVersion = helper.ResponseVersion;
  ReplyNumber = helper.ReplyNumber;
  ReplyText = helper.ReplyText;
  RequestUrl = helper.RequestUrl;
}

void THttpClient::Exchange(THttpCommand command, std::string method, std::string url, std::string body,
                           const Receiver* receiver) {
  const char* verb = command == THttpCommand::Post ? "post" : command == THttpCommand::Head ? "head" : "get";
  Status("nfo>" + UrlForTrace(url) + "を" + verb + "します", kTraceOperation);
  THttpClient* client = this;
  try {
    std::string origin = Origin(ParseUrl(url));
    for (int redirects = 0;; ++redirects) {
      THttpClient& next = ClientFor(ParseUrl(url).Protocol);
      if (&next != client) {
        if (client != this) client->Disconnect();
        client = &next;
      }
      if (client != this) CopySettingsTo(*client);
      client->SendRequest(method, url, body);
      client->ReadResponseHeader();
      if (client != this) CopyResponseFrom(*client);
      bool taken = false;
      if (IsRedirectStatus(ReplyNumber) && ResponseHeader.Has("location")) {
        taken = AutoRedirect && command != THttpCommand::Head;
        if (!taken && OnRedirect) {
          bool handled = true;
          OnRedirect(*this, handled, Location);
          taken = !handled;
        }
      }
      if (!taken) {
        if (command != THttpCommand::Head && receiver != nullptr) client->ReadBody(method, *receiver);
        client->Disconnect();
        break;
      }
      if (redirects >= kRedirectLimit) throw EProtocolError("http", ReplyNumber, "too many redirects");
      url = Location;
      Status("nfo>" + UrlForTrace(url) + "にredirectします", kTraceOperation);
      client->Disconnect();
      // See Other asks for the target with GET; the other redirects repeat the request.
      if (ReplyNumber == 303 && method != "HEAD") {
        method = "GET";
        body.clear();
        RequestHeader.SetContentType("");
        RequestHeader.SetContentLength("");
      }
      const std::string target = Origin(ParseUrl(url));
      if (target != origin) RequestHeader.SetAuthorization("");  // never sent to another origin
      origin = target;
    }
    if (client != this) CopyResponseFrom(*client);
  } catch (...) {
    Status("nfo>" + UrlForTrace(url) + "の" + verb + "異常終了", kTraceOperation);
    if (OnFailure) OnFailure(*this, command);
    try {
      if (client != this) client->Disconnect();
      Disconnect();
    } catch (...) {
    }
    throw;
  }
  if (OnSuccess) OnSuccess(*this, command);
  Status("nfo>" + UrlForTrace(url) + "の" + verb + "正常終了", kTraceOperation);
}

namespace {

// Appends to body, room for the announced length made at the first bytes (at most 256
// MiB ahead of time: the announcement is the server's word, not yet the data).
THttpClient::Sink BodyCollector(std::string& body, const THttpClient& client) {
  return [&body, &client](const char* data, std::size_t size) {
    if (body.empty() && client.ContentLength > 0) {
      body.reserve(static_cast<std::size_t>(std::min<std::int64_t>(client.ContentLength, std::int64_t{256} << 20)));
    }
    body.append(data, size);
  };
}

}  // namespace

std::string THttpClient::Get(const std::string& url) {
  std::string body;
  const Receiver receiver{BodyCollector(body, *this), nullptr};
  Exchange(THttpCommand::Get, "GET", url, {}, &receiver);
  return body;
}

void THttpClient::GetFile(const std::string& url, const std::string& path) {
  // The file is opened when the body begins, so a failed request leaves it untouched.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
  auto open = [&] {
    if (!file) file.reset(std::fopen(path.c_str(), "wb"));
    if (!file) throw ENetSocket("cannot write " + path);
  };
  const Receiver receiver{[&](const char* data, std::size_t size) {
                            open();
                            if (std::fwrite(data, 1, size, file.get()) != size) throw ENetSocket("cannot write " + path);
                          },
                          nullptr};
  Exchange(THttpCommand::Get, "GET", url, {}, &receiver);
  open();
  if (std::fflush(file.get()) != 0) throw ENetSocket("cannot write " + path);
}

std::string THttpClient::Post(const std::string& url, const std::string& data) {
  std::string body;
  const Receiver receiver{BodyCollector(body, *this), nullptr};
  Exchange(THttpCommand::Post, "POST", url, data, &receiver);
  return body;
}

void THttpClient::Get(const std::string& url, const Receiver& receiver) {
  Exchange(THttpCommand::Get, "GET", url, {}, &receiver);
}

void THttpClient::Post(const std::string& url, const std::string& data, const Receiver& receiver) {
  Exchange(THttpCommand::Post, "POST", url, data, &receiver);
}

void THttpClient::Head(const std::string& url) { Exchange(THttpCommand::Head, "HEAD", url, {}, nullptr); }

}  // namespace velkoran::net
