#include "net/net_http.h"

#include <charconv>

#include "net/net_errors.h"
#include "net/net_https.h"

namespace velkoran::net {

TNetHTTP::TNetHTTP(std::size_t bufferSize) : TNetSocket(bufferSize) { Port = 80; }

TNetHTTP::~TNetHTTP() = default;

THttpClient& TNetHTTP::ClientFor(const std::string& protocol) {
  if (protocol.empty() || protocol == "http") return *this;
  if (protocol == "https") {
    if (!secure_) secure_ = std::make_unique<TNetHTTPS>();
    return *secure_;
  }
  throw EProtocolError("http", 0, "unsupported protocol " + protocol);
}

void TNetHTTP::SendRequest(std::string method, std::string url, const std::string& body) {
  TUrlParts parts = PrepareRequest(method, url, body);
  lastMethod_ = method;
  std::string path = EncodeUrl ? UrlEncode(parts.Path, "/:?=&%;+,~", false) : parts.Path;
  std::string host = parts.HostName;
  std::string port;
  if (!Proxy.empty()) {
    // A proxy gets the absolute URL, behind any gateway chain.
    const std::string absolute = (parts.Protocol.empty() ? "http" : parts.Protocol) + "://" + parts.HostName +
                                 (parts.PortText.empty() ? "" : ":" + parts.PortText) + path;
    const TProxySetting proxy = ParseProxy(Proxy);
    host = proxy.Host;
    port = proxy.Port.empty() ? "8080" : proxy.Port;
    path = proxy.PathPrefix + absolute;
  } else {
    port = parts.PortText.empty() ? "80" : parts.PortText;
  }
  if (path.empty()) path.push_back('/');
  CheckRequestText(method, path);
  Host = host;
  unsigned number = 80;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
  Port = static_cast<std::uint16_t>(error == std::errc() && end == port.data() + port.size() && number <= 65535 ? number : 80);
  Connect();
  Status("rtn>サーバへリクエスト送信", kTraceResult);
  std::string request = RequestText(method, path, false);
  if ((method == "POST" || method == "PUT" || method == "TRACE") && !body.empty()) request += body;
  WriteString(request);
}

void TNetHTTP::ReadResponseHeader() {
  Status("rtn>サーバからのレスポンス", kTraceResult);
  for (;;) {
    ClearResponse();
    THeaderBlockReader reader;
    std::size_t traced = 0;
    while (!reader.Finished()) {
      if (Buffered() == 0 && !FillBuffer()) {
        reader.Finish();  // the server closed
      } else {
        ConsumeBuffered(reader.Feed(BufferedData(), Buffered()));
      }
      for (; traced < reader.Lines().size(); ++traced) Status("res>" + reader.Lines()[traced], kTraceResult);
    }
    for (const std::string& line : reader.Lines()) RawHeader.append(line).append("\r\n");
    LastResponse = RawHeader;
    InterpretHeader(reader.Lines());
    // Interim responses (100 Continue, 103 Early Hints) precede the real one.
    if (Version == "1.1" && ReplyNumber >= 100 && ReplyNumber < 200 && ReplyNumber != 101) continue;
    return;
  }
}

void TNetHTTP::ReadBody(const std::string& method, const Receiver& receiver) {
  const Sink& sink = receiver.Write;
  if (method == "HEAD" || ReplyNumber == 204 || ReplyNumber == 304 || (ReplyNumber >= 100 && ReplyNumber < 200)) return;
  const std::string coding = ResponseHeader.Get("transfer-encoding");
  if (Version == "1.1" && coding.find("chunked") != std::string::npos) {
    TChunkedDecoder decoder;
    while (!decoder.Finished()) {
      if (Buffered() == 0 && !FillBuffer()) throw EProtocolError("http", ReplyNumber, "chunked body ends short");
      ConsumeBuffered(decoder.Feed(BufferedData(), Buffered(), sink));
    }
    return;
  }
  if (ResponseHeader.Has("content-length")) {
    const std::int64_t length = ContentLength < 0 ? 0 : ContentLength;
    if (receiver.Place && length > 0) {
      if (char* room = receiver.Place(static_cast<std::size_t>(length))) {
        // Straight from the socket into the receiver's memory.
        if (ReadInto(room, static_cast<std::size_t>(length)) < static_cast<std::size_t>(length)) {
          throw EProtocolError("http", ReplyNumber, "body ends short");
        }
        return;
      }
    }
    std::int64_t got = 0;
    TNetSocket::ReadToSink(
        [&](const char* data, std::size_t size) {
          got += static_cast<std::int64_t>(size);
          sink(data, size);
        },
        length);
    if (got < length) throw EProtocolError("http", ReplyNumber, "body ends short");
    return;
  }
  TNetSocket::ReadToSink(sink, -1);
}

}  // namespace velkoran::net
