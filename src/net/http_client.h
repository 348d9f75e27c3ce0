// THttpClient: what the HTTP client (our socket) and the HTTPS client (libcurl) share:
// the request and response state, the preparation of a request, the interpretation of
// a response header, and the get, post and head operations with their redirect rules.
// Each client supplies the transport: sending a request, reading the header and the body.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_headers.h"
#include "net/net_endpoint.h"
#include "net/url.h"

namespace velkoran::net {

// The command codes of OnSuccess and OnFailure.
enum class THttpCommand { Get = 0, Head = 2, Post = 5 };

inline constexpr int kRedirectLimit = 20;

class THttpClient : public virtual TNetEndpoint {
 public:
  using Sink = std::function<void(const char* data, std::size_t size)>;
  // Where a body goes: Write takes it piece by piece; Place, when set, may instead give
  // room for a whole body of announced length that the client fills in place (null:
  // piece by piece after all).
  struct Receiver {
    Sink Write;
    std::function<char*(std::size_t length)> Place;
  };

  TRequestHeader RequestHeader;
  TResponseHeader ResponseHeader;
  // Protocol version written in the request line: "1.0" or "1.1".
  std::string Version = "1.0";
  // The response header lines as received, each followed by CR LF.
  std::string RawHeader;
  // Absolute redirect target of the last response; empty when none.
  std::string Location;
  bool EncodeUrl = false;
  std::string RequestUrl;
  // The body length the last response announced (Content-Length, else Content-Range);
  // -1 when none.
  std::int64_t ContentLength = -1;
  bool AutoRedirect = false;
  std::string ContentFileName;
  // The version of the last response ("1.1").
  std::string ResponseVersion;

  std::function<void(THttpClient& sender, std::string& url)> OnBeforeRequest;
  std::function<void(THttpClient& sender)> OnAuthenticate;
  std::function<void(THttpClient& sender, THttpCommand command)> OnFailure;
  std::function<void(THttpClient& sender, bool& handled, const std::string& destination)> OnRedirect;
  std::function<void(THttpClient& sender, THttpCommand command)> OnSuccess;
  std::function<void(THttpClient& sender, const std::string& url)> OnResponse;

  // GET, following redirects; the body as text (or written to a file, created or
  // truncated). Statuses of 400 and above fail.
  std::string Get(const std::string& url);
  void GetFile(const std::string& url, const std::string& path);
  std::string Post(const std::string& url, const std::string& data);
  // Get and Post handing the body to a receiver as it arrives.
  void Get(const std::string& url, const Receiver& receiver);
  void Post(const std::string& url, const std::string& data, const Receiver& receiver);
  // HEAD: no body; redirects only when OnRedirect asks for them.
  void Head(const std::string& url);

  // Connects and sends one request; the response is left for the caller.
  virtual void SendRequest(std::string method, std::string url, const std::string& body) = 0;
  // Reads and interprets the response header (EProtocolError for 400 and above).
  virtual void ReadResponseHeader() = 0;
  // The script's raw reads after a request: a line (unbounded), a count of bytes or all
  // (-1), everything into a file.
  virtual std::string ReadLine() = 0;
  virtual void ReadToString(std::string& out, std::int64_t count) = 0;
  virtual void ReadToFile(const std::string& path) = 0;

 protected:
  // Steps every request takes first: RequestUrl, Host, Authorization from the URL, the
  // body's Content-Type and Content-Length, OnBeforeRequest. Returns the (possibly
  // replaced) URL's parts.
  TUrlParts PrepareRequest(std::string& method, std::string& url, const std::string& body);
  // Fails when the method, the request target or a header would break the request's lines.
  void CheckRequestText(std::string_view method, std::string_view target) const;
  // Traces the request line and headers as "cmd>" lines (secrets masked); the request
  // text itself when wanted.
  std::string RequestText(std::string_view method, std::string_view target, bool traceOnly);
  void ClearResponse();
  // Interprets a header block (status line first): status, headers, cookie, Location,
  // ContentLength, ContentFileName; OnResponse, OnAuthenticate; EProtocolError for 400
  // and above, or when there is no status line.
  void InterpretHeader(const std::vector<std::string>& lines);
  // The body of the response just read, framed as its headers say.
  virtual void ReadBody(const std::string& method, const Receiver& receiver) = 0;
  // The client that speaks protocol (this one, or a helper for https); EProtocolError for
  // protocols it cannot.
  virtual THttpClient& ClientFor(const std::string& protocol) = 0;
  // Copies the settings of a request (limits, trace, proxy, version, headers) to a
  // helper client, and its response back.
  void CopySettingsTo(THttpClient& helper);
  void CopyResponseFrom(const THttpClient& helper);

 private:
  void Exchange(THttpCommand command, std::string method, std::string url, std::string body, const Receiver* receiver);
};

// A status that sends the client elsewhere when the response names a Location.
bool IsRedirectStatus(int status);

}  // namespace velkoran::net
