#include "net/net_https.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "net/net_errors.h"
#include "net/winsock_codes.h"

namespace velkoran::net {

namespace {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The platform error a failed transfer reports, in the internet library's numbering.
std::int32_t InternetErrorOf(CURLcode code) {
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT: return 12002;
    case CURLE_UNSUPPORTED_PROTOCOL: return 12006;
    case CURLE_URL_MALFORMAT: return 12005;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return 12007;
    case CURLE_COULDNT_CONNECT: return 12029;
    case CURLE_PEER_FAILED_VERIFICATION: return 12045;
    case CURLE_SSL_CONNECT_ERROR: return 12157;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return 12030;
    case CURLE_PARTIAL_FILE: return 12152;
    default: return 12004;
  }
}

}  // namespace

struct TNetHTTPS::Transfer {
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  bool added = false;
  bool done = false;
  CURLcode result = CURLE_OK;
  char error[CURL_ERROR_SIZE] = {};
  // The header block of the current response: restarted at every status line, complete
  // at the blank line that ends a final (not interim) response.
  std::string header;
  bool headerStarted = false;
  bool headerComplete = false;
  std::string body;
  std::size_t bodyPos = 0;

  ~Transfer() {
    if (added) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    if (headers != nullptr) curl_slist_free_all(headers);
  }
  std::size_t Buffered() const { return body.size() - bodyPos; }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& t = *static_cast<Transfer*>(self);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    if (line.compare(0, 5, "HTTP/") == 0) {
      t.header.clear();
      t.headerStarted = true;
      t.headerComplete = false;
    }
    if (t.header.size() + n > kHeaderBlockLimit) return 0;  // refuse an endless header
    t.header.append(line);
    if (t.headerStarted && (line == "\r\n" || line == "\n")) {
      const bool interim = t.header.size() > 12 && t.header[9] == '1' && t.header.compare(9, 3, "101") != 0;
      if (!interim) t.headerComplete = true;
    }
    return n;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& t = *static_cast<Transfer*>(self);
    if (t.bodyPos == t.body.size()) {
      t.body.clear();
      t.bodyPos = 0;
    }
    t.body.append(data, size * count);
    return size * count;
  }
};

TNetHTTPS::TNetHTTPS(std::size_t bufferSize) : bufferSize_(bufferSize) {
  InitCurlOnce();
  Timeout = 120;
  TraceLevel = 2;
  Port = 443;
}

TNetHTTPS::~TNetHTTPS() {
  Status("nfo>終了します", kTraceOperation);
  Disconnect();
}

THttpClient& TNetHTTPS::ClientFor(const std::string& protocol) {
  if (protocol.empty() || protocol == "http" || protocol == "https") return *this;
  throw EProtocolError("http", 0, "unsupported protocol " + protocol);
}

void TNetHTTPS::Connect() {
  if (Connected) Disconnect();
  Status("rtn>" + Host + "にconnectします", kTraceStep);
  auto transfer = std::make_unique<Transfer>();
  transfer->multi = curl_multi_init();
  transfer->easy = curl_easy_init();
  if (transfer->multi == nullptr || transfer->easy == nullptr) {
    LastError = 12004;
    Status("err>" + Host + ":" + std::to_string(Port) + "にconnect失敗しました", kTraceResult);
    if (OnConnectionFailed) OnConnectionFailed(*this);
    if (OnError) OnError(*this, LastError, "connect error");
    throw ESocketError(LastError);
  }
  transfer_ = transfer.release();
  atEnd_ = false;
  Status("suc>" + Host + ":" + std::to_string(Port) + "にconnect成功しました", kTraceResult);
  Connected = true;
  if (OnConnect) OnConnect(*this);
}

void TNetHTTPS::Disconnect() {
  if (Connected) Status("nfo>" + Host + "から切断します", kTraceResult);
  const bool was = Connected;
  delete transfer_;
  transfer_ = nullptr;
  Connected = false;
  if (was && OnDisconnect) OnDisconnect(*this);
}

void TNetHTTPS::SendRequest(std::string method, std::string url, const std::string& body) {
  TUrlParts parts = PrepareRequest(method, url, body);
  const std::string protocol = parts.Protocol.empty() ? "http" : parts.Protocol;
  if (protocol != "http" && protocol != "https") throw EProtocolError("http", 0, "unsupported protocol " + protocol);
  std::string path = EncodeUrl ? UrlEncode(parts.Path, "/:?=&%;+,~", false) : parts.Path;
  if (path.empty()) path.push_back('/');
  CheckRequestText(method, path);
  Host = parts.HostName;
  const bool numeric = !parts.PortText.empty();
  Port = static_cast<std::uint16_t>(numeric ? std::stoi(parts.PortText) : protocol == "https" ? 443 : 80);
  Connect();
  Status("rtn>サーバへリクエスト送信", kTraceResult);
  RequestText(method, path, true);

  Transfer& t = *transfer_;
  CURL* e = t.easy;
  const std::string target = protocol + "://" + parts.HostName + ":" + std::to_string(Port) + path;
  curl_easy_setopt(e, CURLOPT_URL, target.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  if (const char* ca = std::getenv("VELKORAN_CA_FILE"); ca != nullptr && *ca != '\0') curl_easy_setopt(e, CURLOPT_CAINFO, ca);
  if (Proxy.empty()) {
    curl_easy_setopt(e, CURLOPT_PROXY, "");  // direct, whatever http_proxy says
  } else {
    const TProxySetting proxy = ParseProxy(Proxy);
    const std::string address = "http://" + proxy.Host + ":" + (proxy.Port.empty() ? "8080" : proxy.Port);
    curl_easy_setopt(e, CURLOPT_PROXY, address.c_str());
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  }
  const long seconds = Timeout > 0 ? Timeout : 1;
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, seconds);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, seconds);
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, Version == "1.1" ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0);
  // Bigger receive blocks than the script-visible buffer: fewer trips through the multi loop.
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, static_cast<long>(std::max<std::size_t>(bufferSize_, 256 * 1024)));
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
  for (const auto& [name, value] : RequestHeader.Lines()) t.headers = curl_slist_append(t.headers, (name + ": " + value).c_str());
  t.headers = curl_slist_append(t.headers, "Expect:");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers);
  const bool sendsBody = (method == "POST" || method == "PUT" || method == "TRACE") && !body.empty();
  if (method == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (method != "GET") {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
  }
  if (sendsBody) {
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(e, CURLOPT_COPYPOSTFIELDS, body.data());
  }
  curl_multi_add_handle(t.multi, e);
  t.added = true;
  // The request is out once the server has begun to answer (or the transfer has failed).
  DriveUntil([&t] { return t.headerStarted; });
}

template <typename Ready>
void TNetHTTPS::DriveUntil(Ready ready) {
  if (transfer_ == nullptr) {
    LastError = kWsaNotConnected;
    throw ESocketError(kWsaNotConnected);
  }
  Transfer& t = *transfer_;
  while (!ready() && !t.done) {
    int running = 0;
    curl_multi_perform(t.multi, &running);
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(t.multi, &left)) {
      if (m->msg == CURLMSG_DONE) {
        t.done = true;
        t.result = m->data.result;
      }
    }
    if (ready() || t.done) break;
    curl_multi_poll(t.multi, nullptr, 0, static_cast<int>(kWaitSlice.count()), nullptr);
    WaitSlice();
  }
  if (t.done && t.result != CURLE_OK && !ready()) RaiseTransferError();
}

void TNetHTTPS::RaiseTransferError() {
  Transfer& t = *transfer_;
  const CURLcode code = t.result;
  const std::int32_t error = InternetErrorOf(code);
  const std::string detail = t.error[0] != '\0' ? t.error : curl_easy_strerror(code);
  if (code == CURLE_OPERATION_TIMEDOUT) {
    TimedOut = true;
    NoteError(error, "recv timeout: " + detail);
    throw ESocketTimeout("socket timeout");
  }
  NoteError(error, "socket error: " + detail);
  if (code == CURLE_COULDNT_RESOLVE_HOST) throw ETCPIPError("not found " + Host, 0xFFFFFFFFu);
  throw ESocketError(error);
}

void TNetHTTPS::ReadResponseHeader() {
  Status("rtn>サーバからのレスポンス", kTraceResult);
  ClearResponse();
  DriveUntil([this] { return transfer_->headerComplete; });
  Transfer& t = *transfer_;
  RawHeader = t.header;
  LastResponse = RawHeader;
  THeaderBlockReader reader;
  reader.Feed(RawHeader.data(), RawHeader.size());
  reader.Finish();
  for (const std::string& line : reader.Lines()) Status("res>" + line, kTraceResult);
  InterpretHeader(reader.Lines());
}

void TNetHTTPS::Drain(const Sink& sink, std::int64_t count) {
  std::uint64_t left = count < 0 ? UINT64_MAX : static_cast<std::uint64_t>(count);
  while (left > 0) {
    Transfer& t = *transfer_;
    if (t.Buffered() == 0) {
      atEnd_ = true;
      DriveUntil([&t] { return t.Buffered() > 0; });
      if (t.Buffered() == 0) {
        if (t.result != CURLE_OK) RaiseTransferError();
        break;
      }
    }
    atEnd_ = false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(t.Buffered(), left));
    if (Traces(kTraceDetail)) Status("dbg>socketから " + std::to_string(n) + " bytes読み込みました", kTraceDetail);
    sink(t.body.data() + t.bodyPos, n);
    t.bodyPos += n;
    left -= n;
  }
}

void TNetHTTPS::ReadBody(const std::string&, const Receiver& receiver) { Drain(receiver.Write, -1); }

std::string TNetHTTPS::ReadLine() {
  std::string line;
  bool more = true;
  while (more) {
    if (transfer_ == nullptr) break;
    Transfer& t = *transfer_;
    if (t.Buffered() == 0) {
      DriveUntil([&t] { return t.Buffered() > 0; });
      if (t.Buffered() == 0) break;
    }
    const char* begin = t.body.data() + t.bodyPos;
    const char* end = t.body.data() + t.body.size();
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
    const char* stop = lf != nullptr ? lf : end;
    for (const char* s = begin; s < stop; ++s) {
      if (*s != '\r') line += *s;
    }
    t.bodyPos = static_cast<std::size_t>((lf != nullptr ? lf + 1 : end) - t.body.data());
    more = lf == nullptr;
  }
  return line;
}

void TNetHTTPS::ReadToString(std::string& out, std::int64_t count) {
  Drain([&out](const char* data, std::size_t size) { out.append(data, size); }, count);
}

void TNetHTTPS::ReadToFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) throw ENetSocket("cannot write " + path);
  Drain(
      [&](const char* data, std::size_t size) {
        if (std::fwrite(data, 1, size, file.get()) != size) throw ENetSocket("cannot write " + path);
      },
      -1);
}

}  // namespace velkoran::net
