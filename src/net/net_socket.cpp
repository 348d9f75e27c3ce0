#include "net/net_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "net/net_errors.h"
#include "net/winsock_codes.h"

namespace velkoran::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

// Handles that Accept produced and nothing wraps yet: only these may become sockets of
// their own, so a script cannot take over (or close twice) a descriptor it guessed.
class AcceptedHandles {
 public:
  static AcceptedHandles& Instance() {
    static AcceptedHandles instance;
    return instance;
  }
  void Add(int handle) {
    std::lock_guard lock(mutex_);
    handles_.insert(handle);
  }
  bool Claim(int handle) {
    std::lock_guard lock(mutex_);
    return handles_.erase(handle) == 1;
  }

 private:
  std::mutex mutex_;
  std::unordered_set<int> handles_;
};

// The first IPv4 address of a name. The lookup runs on a helper thread so that the wait
// is sliced like every other; a caller that gives up leaves the thread to finish alone.
std::optional<std::uint32_t> ResolveIPv4(const std::string& host, const std::function<void()>& slice) {
  in_addr numeric{};
  if (inet_pton(AF_INET, host.c_str(), &numeric) == 1) return numeric.s_addr;
  struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<std::uint32_t> address;
  };
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host] {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::optional<std::uint32_t> address;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found != nullptr) {
      address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    }
    if (found != nullptr) freeaddrinfo(found);
    std::lock_guard lock(lookup->mutex);
    lookup->address = address;
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();
  for (;;) {
    {
      std::unique_lock lock(lookup->mutex);
      if (lookup->done.wait_for(lock, kWaitSlice, [&] { return lookup->finished; })) return lookup->address;
    }
    if (slice) slice();
  }
}

std::string Decimal(std::uint64_t n) { return std::to_string(n); }

}  // namespace

std::string DottedAddress(std::uint32_t address) {
  in_addr a{};
  a.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

TNetSocket::TNetSocket(std::size_t bufferSize) : bufferSize_(bufferSize == 0 ? 65536 : bufferSize) {
  Timeout = 30;
  TraceLevel = 2;
  buffer_.resize(bufferSize_);
}

TNetSocket::TNetSocket(AcceptedTag, int handle, std::size_t bufferSize) : TNetSocket(bufferSize) {
  Timeout = 120;
  Socket = handle;
  socklen_t len = sizeof SockAddr;
  if (getpeername(handle, reinterpret_cast<sockaddr*>(&SockAddr), &len) == 0) {
    RemoteAddress = SockAddr.sin_addr.s_addr;
    Host = DottedAddress(RemoteAddress);
    Port = ntohs(SockAddr.sin_port);
  }
  Connected = true;
}

std::unique_ptr<TNetSocket> TNetSocket::FromAccepted(int handle, std::size_t bufferSize) {
  if (handle < 0 || !AcceptedHandles::Instance().Claim(handle)) throw ESocketError(WinSockCodeOf(ENOTSOCK));
  return std::unique_ptr<TNetSocket>(new TNetSocket(AcceptedTag{}, handle, bufferSize));
}

TNetSocket::~TNetSocket() {
  Status("nfo>終了します", kTraceStep);
  try {
    if (Connected) TNetSocket::Disconnect();
  } catch (...) {
    // Closing never fails in a way the owner could act on.
  }
  CloseHandle();
}

void TNetSocket::CloseHandle() {
  if (Socket >= 0) ::close(Socket);
  Socket = -1;
  rpos_ = rend_ = 0;
}

int TNetSocket::NewSocket() {
  CloseHandle();
  Status("rtn>socketを作成します", kTraceStep);
  const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (handle < 0) {
    const std::int32_t code = WinSockCodeOf(errno);
    NoteError(code, "socketの作成に失敗しました");
    throw ESocketError(code);
  }
  if (Traces(kTraceDetail)) Status("dbg>socket(" + Decimal(handle) + ")を作成しました", kTraceDetail);
  Socket = handle;
  atEnd_ = false;
  return handle;
}

void TNetSocket::Connect() { ConnectSocket(); }

void TNetSocket::ConnectSocket() {
  if (Connected) Disconnect();
  std::optional<std::uint32_t> address;
  for (int attempt = 0; attempt < 3 && !address; ++attempt) {
    Status("rtn>" + Host + "を探しています", kTraceStep);
    if (!Host.empty()) address = ResolveIPv4(Host, OnWaitSlice);
    if (address) break;
    RemoteAddress = kNoAddress;
    LastError = kWsaHostNotFound;
    Status("err>" + Host + "が見つかりません", kTraceResult);
    bool retry = false;
    if (OnInvalidHost) OnInvalidHost(*this, retry);
    if (OnError) OnError(*this, kWsaHostNotFound, WinSockErrorName(kWsaHostNotFound));
    if (!retry) throw ETCPIPError("not found " + Host, kNoAddress);
  }
  if (!address) throw ETCPIPError("not found " + Host, kNoAddress);
  RemoteAddress = *address;
  Status("suc>" + Host + "が見つかりました", kTraceResult);
  if (OnHostResolved) OnHostResolved(*this);

  const int handle = NewSocket();
  SockAddr = sockaddr_in{};
  SockAddr.sin_family = AF_INET;
  SockAddr.sin_port = htons(Port);
  SockAddr.sin_addr.s_addr = RemoteAddress;
  const std::string where = Host + "(" + DottedAddress(RemoteAddress) + "):" + Decimal(Port);
  Status("rtn>" + Host + "にconnectします", kTraceStep);

  int error = 0;
  try {
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&SockAddr), sizeof SockAddr) != 0) {
      error = errno;
      if (error == EINPROGRESS || error == EINTR) {
        if (!WaitReady(POLLOUT, Timeout)) {
          error = ETIMEDOUT;
        } else {
          socklen_t len = sizeof error;
          if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        }
      }
    }
  } catch (...) {
    CloseHandle();
    throw;
  }
  if (error != 0) {
    CloseHandle();
    const std::int32_t code = WinSockCodeOf(error);
    LastError = code;
    Status("err>" + where + "にconnect失敗しました", kTraceResult);
    if (OnConnectionFailed) OnConnectionFailed(*this);
    NoteError(code, {});
    throw ESocketError(code);
  }
  Status("suc>" + where + "にconnect成功しました", kTraceResult);
  Connected = true;
  if (OnConnect) OnConnect(*this);
}

void TNetSocket::Disconnect() {
  if (Connected) Status("nfo>" + Host + "から切断します", kTraceResult);
  const bool was = Connected;
  CloseHandle();
  RemoteAddress = kNoAddress;
  Connected = false;
  Listening = false;
  if (was && OnDisconnect) OnDisconnect(*this);
}

bool TNetSocket::WaitReady(short events, std::int32_t timeoutSeconds) {
  const auto deadline = Clock::now() + std::chrono::seconds(std::max(timeoutSeconds, 0));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const auto wait = std::clamp(left, std::chrono::milliseconds(0), kWaitSlice);
    pollfd p{Socket, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(wait.count()));
    if (n > 0) return true;  // errors and hang-ups are ready too: the call that follows reports them
    if (n < 0 && errno != EINTR) {
      const std::int32_t code = WinSockCodeOf(errno);
      NoteError(code, "socket error");
      throw ESocketError(code);
    }
    if (Clock::now() >= deadline) return false;
    WaitSlice();
  }
}

void TNetSocket::RequireSocket() {
  if (Socket >= 0) return;
  NoteError(kWsaNotConnected, "socket error");
  throw ESocketError(kWsaNotConnected);
}

void TNetSocket::NoteReceived(std::size_t count) {
  atEnd_ = false;
  if (Traces(kTraceDetail)) Status("dbg>socketから " + Decimal(count) + " bytes読み込みました", kTraceDetail);
  BytesRecvd += count;
  BytesTotal += count;
  if (OnPacketRecvd) OnPacketRecvd(*this, count);
}

std::size_t TNetSocket::ReadBuffer(char* data, std::size_t size) {
  if (Buffered() > 0) {
    const std::size_t n = std::min(size, Buffered());
    std::memcpy(data, buffer_.data() + rpos_, n);
    rpos_ += n;
    atEnd_ = false;
    return n;
  }
  RequireSocket();
  atEnd_ = true;
  TimedOut = false;
  const auto started = Clock::now();
  for (;;) {
    const auto spent = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
    if (!WaitReady(POLLIN, Timeout - static_cast<std::int32_t>(spent))) {
      TimedOut = true;
      NoteError(kWsaTimedOut, "recv timeout");
      throw ESocketTimeout("socket timeout");
    }
    const ssize_t n = ::recv(Socket, data, size, MSG_DONTWAIT);
    if (n > 0) {
      NoteReceived(static_cast<std::size_t>(n));
      return static_cast<std::size_t>(n);
    }
    if (n == 0) {
      if (Traces(kTraceStep)) Status("rtn>socket(" + Decimal(Socket) + ")をcloseします", kTraceStep);
      CloseHandle();
      return 0;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
    const std::int32_t code = WinSockCodeOf(errno);
    NoteError(code, "socket error");
    throw ESocketError(code);
  }
}

std::size_t TNetSocket::ReadInto(char* data, std::size_t size) {
  std::size_t got = 0;
  while (got < size && (Buffered() > 0 || Socket >= 0)) {
    const std::size_t n = ReadBuffer(data + got, size - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

bool TNetSocket::FillBuffer() {
  rpos_ = rend_ = 0;
  if (Socket < 0) return false;
  const std::size_t n = ReadBuffer(buffer_.data(), bufferSize_);
  rend_ = n;
  return n > 0;
}

std::string TNetSocket::ReadLine(std::size_t limit) {
  if (Buffered() == 0) RequireSocket();
  std::string line;
  for (;;) {
    if (Buffered() == 0 && !FillBuffer()) break;
    const char* begin = buffer_.data() + rpos_;
    const char* end = buffer_.data() + rend_;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
    const char* stop = lf != nullptr ? lf : end;
    for (const char* s = begin; s < stop;) {
      const char* cr = static_cast<const char*>(std::memchr(s, '\r', static_cast<std::size_t>(stop - s)));
      const char* segmentEnd = cr != nullptr ? cr : stop;
      line.append(s, segmentEnd);
      s = cr != nullptr ? cr + 1 : stop;
    }
    rpos_ = static_cast<std::size_t>((lf != nullptr ? lf + 1 : end) - buffer_.data());
    if (line.size() > limit) throw EProtocolError("", 0, "line too long");
    if (lf != nullptr) break;
  }
  atEnd_ = atEnd_ && Buffered() == 0;
  return line;
}

void TNetSocket::ReadToSink(const std::function<void(const char*, std::size_t)>& sink, std::int64_t count) {
  if (!Connected && Socket < 0 && Buffered() == 0) RequireSocket();
  std::uint64_t left = count < 0 ? UINT64_MAX : static_cast<std::uint64_t>(count);
  while (left > 0) {
    if (Buffered() == 0) {
      if (Socket < 0) break;
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize_, left));
      rpos_ = rend_ = 0;
      rend_ = ReadBuffer(buffer_.data(), want);
      if (rend_ == 0) break;
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(Buffered(), left));
    sink(buffer_.data() + rpos_, n);
    rpos_ += n;
    left -= n;
  }
}

void TNetSocket::ReadToString(std::string& out, std::int64_t count) {
  ReadToSink([&out](const char* data, std::size_t size) { out.append(data, size); }, count);
}

void TNetSocket::ReadToFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw ENetSocket("cannot write " + path);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  ReadToSink(
      [&](const char* data, std::size_t size) {
        while (size > 0) {
          const ssize_t n = ::write(fd, data, size);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) throw ENetSocket("cannot write " + path);
          data += n;
          size -= static_cast<std::size_t>(n);
        }
      },
      -1);
}

void TNetSocket::WriteBuffer(const char* data, std::size_t size) {
  RequireSocket();
  while (size > 0) {
    TimedOut = false;
    const ssize_t n = ::send(Socket, data, std::min(size, bufferSize_), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      if (Traces(kTraceDetail)) Status("dbg>socketに " + Decimal(static_cast<std::uint64_t>(n)) + " bytes書き込みました", kTraceDetail);
      BytesSent += static_cast<std::uint64_t>(n);
      BytesTotal += static_cast<std::uint64_t>(n);
      if (OnPacketSent) OnPacketSent(*this, static_cast<std::size_t>(n));
      data += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      const std::int32_t code = WinSockCodeOf(errno);
      NoteError(code, "socket error");
      throw ESocketError(code);
    }
    if (!WaitReady(POLLOUT, Timeout)) {
      TimedOut = true;
      NoteError(kWsaTimedOut, "send timeout");
      throw ESocketTimeout("Send Timeout");
    }
  }
}

void TNetSocket::WriteLine(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line += "\r\n";
  WriteBuffer(line.data(), line.size());
}

void TNetSocket::WriteFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  std::vector<char> block(bufferSize_);
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw ENetSocket("cannot read " + path);
    if (n == 0) break;
    WriteBuffer(block.data(), static_cast<std::size_t>(n));
  }
}

bool TNetSocket::IsEnd() {
  if (Buffered() > 0) return false;
  return atEnd_ || SocketState() != 2;
}

void TNetSocket::SendCommand(std::string_view line) {
  WriteLine(line);
  if (line.find_first_not_of(" \t\r\n") != std::string_view::npos) Status("cmd>" + MaskSecrets(line), kTraceResult);
}

std::string TNetSocket::ReadResponse() {
  std::string line = ReadLine(kProtocolLineLimit);
  LastResponse = line;
  if (!line.empty()) Status("res>" + line, kTraceResult);
  return line;
}

std::string TNetSocket::SendCommandMulti(std::string_view line) {
  WriteLine(line);
  std::string text;
  for (;;) {
    const std::string reply = ReadLine(kProtocolLineLimit);
    if (reply.empty()) break;
    text += reply;
    text += "\r\n";
    if (IsEnd()) break;
  }
  LastResponse = text;
  return text;
}

int TNetSocket::SocketState() const {
  if (Socket < 0) return 0;
  sockaddr_in peer{};
  socklen_t len = sizeof peer;
  if (getpeername(Socket, reinterpret_cast<sockaddr*>(&peer), &len) == 0) return 2;
  return errno == ENOTCONN ? 1 : 3;
}

int TNetSocket::Poll() {
  if (Socket < 0) return 0;
  pollfd p{Socket, POLLIN | POLLOUT, 0};
  if (::poll(&p, 1, 10) <= 0) return 0;
  int bits = 0;
  if ((p.revents & (POLLIN | POLLHUP)) != 0 || Buffered() > 0) {
    bits |= 1;
    if (OnDataAvailable) OnDataAvailable(*this);
  }
  if ((p.revents & POLLOUT) != 0) bits |= 2;
  if ((p.revents & (POLLERR | POLLNVAL)) != 0) bits |= 4;
  return bits;
}

void TNetSocket::Listen() {
  const int handle = NewSocket();
  const int on = 1;
  setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(Port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const std::int32_t code = WinSockCodeOf(errno);
    CloseHandle();
    NoteError(code, "port " + Decimal(Port) + "でbind失敗しました");
    throw EBindError(std::string(WinSockErrorName(code)));
  }
  socklen_t len = sizeof address;
  if (getsockname(handle, reinterpret_cast<sockaddr*>(&address), &len) == 0) Port = ntohs(address.sin_port);
  Status("suc>port " + Decimal(Port) + "でbind成功しました", kTraceStep);
  Status("rtn>listenを開始します", kTraceStep);
  if (::listen(handle, 5) != 0) {
    const std::int32_t code = WinSockCodeOf(errno);
    CloseHandle();
    NoteError(code, "listen失敗しました");
    throw EBindError(std::string(WinSockErrorName(code)));
  }
  Status("suc>listen成功しました", kTraceStep);
  Listening = true;
}

int TNetSocket::Accept() {
  Status("rtn>acceptを開始します", kTraceStep);
  int handle = -1;
  while (Socket >= 0 && Listening) {
    socklen_t len = sizeof SockAddr;
    handle = ::accept4(Socket, reinterpret_cast<sockaddr*>(&SockAddr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (handle >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) break;
    pollfd p{Socket, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(kWaitSlice.count())) == 0) WaitSlice();
  }
  if (handle < 0) {
    LastError = WinSockCodeOf(Socket < 0 ? ENOTSOCK : errno);
    Status("err>acceptに失敗しました", kTraceResult);
    return -1;
  }
  Status("suc>acceptに成功しました", kTraceStep);
  if (Traces(kTraceDetail)) Status("dbg>socket(" + Decimal(handle) + ")を受け取りました", kTraceDetail);
  AcceptedHandles::Instance().Add(handle);
  if (OnAccept) OnAccept(*this, handle, SockAddr);
  return handle;
}

std::string TNetSocket::PortAddressText() {
  std::uint32_t address = kNoAddress;
  sockaddr_in local{};
  socklen_t len = sizeof local;
  if (Connected && Socket >= 0 && getsockname(Socket, reinterpret_cast<sockaddr*>(&local), &len) == 0) {
    address = local.sin_addr.s_addr;
  } else {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) address = ResolveIPv4(name, OnWaitSlice).value_or(kNoAddress);
  }
  std::string text = DottedAddress(address);
  std::replace(text.begin(), text.end(), '.', ',');
  return text + ",";
}

std::string TNetSocket::PortNumberText() { return Decimal(Port / 256u) + "," + Decimal(Port % 256u); }

}  // namespace velkoran::net
