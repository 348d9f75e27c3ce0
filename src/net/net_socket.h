// TNetSocket: the blocking TCP client (and listener) under every protocol client of the
// program and the script class TCPSocket.
//
// Blocking from the caller's view, but no system call ever blocks: the socket is
// non-blocking and every wait is a poll of at most one slice, with the endpoint's
// OnWaitSlice hook between slices, until Timeout seconds have passed (connect included).
// Receives go through one read-ahead buffer of BufferSize bytes that every read (line,
// block, to the end) drains first, so reading line by line costs one receive per buffer,
// not per byte. Sends loop until the whole block is out and never raise SIGPIPE.
//
// A receive that sees the peer close closes the socket at once (Socket becomes -1) but
// leaves Connected set until Disconnect. Reads and writes on a socket that is gone raise
// ESocketError 10057; the "to the end" reads simply end there.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_endpoint.h"

namespace velkoran::net {

// No limit on the length of a line (the scripts' own readln).
inline constexpr std::size_t kUnlimitedLine = static_cast<std::size_t>(-1);
// The longest reply line a protocol client takes from a server.
inline constexpr std::size_t kProtocolLineLimit = 64 * 1024;

class TNetSocket : public virtual TNetEndpoint {
 public:
  explicit TNetSocket(std::size_t bufferSize = 65536);
  // Wraps a connection handle returned by Accept of this process that nothing wraps yet
  // (ESocketError 10038 otherwise): Timeout 120, the peer read with getpeername, Connected.
  static std::unique_ptr<TNetSocket> FromAccepted(int handle, std::size_t bufferSize = 65536);
  ~TNetSocket() override;

  std::uint64_t BytesRecvd = 0;
  std::uint64_t BytesSent = 0;
  std::uint64_t BytesTotal = 0;
  int Socket = -1;
  // Resolved IPv4 address in network order; 0xFFFFFFFF when none.
  std::uint32_t RemoteAddress = 0xFFFFFFFFu;
  sockaddr_in SockAddr{};
  bool Listening = false;
  std::size_t BufferSize() const noexcept { return bufferSize_; }

  std::function<void(TNetSocket& sender)> OnHostResolved;
  std::function<void(TNetSocket& sender, bool& retry)> OnInvalidHost;
  std::function<void(TNetSocket& sender, std::size_t count)> OnPacketRecvd;
  std::function<void(TNetSocket& sender, std::size_t count)> OnPacketSent;
  std::function<void(TNetSocket& sender)> OnDataAvailable;
  std::function<void(TNetSocket& sender, int handle, const sockaddr_in& address)> OnAccept;

  // --- the overridable operations
  // At the end of the data: nothing buffered, and the last receive brought nothing or
  // the socket is not connected.
  virtual bool IsEnd();
  // WriteLine, then trace "cmd>" + line (secrets masked) when it is not blank.
  virtual void SendCommand(std::string_view line);
  // ReadLine (protocol line limit), kept in LastResponse and traced "res>".
  virtual std::string ReadResponse();
  virtual void SetEnd(bool atEnd) { atEnd_ = atEnd; }
  // Without waiting: 0 nothing; bit 1 readable, bit 2 writable, bit 4 error.
  virtual int Poll();
  // Binds to Port on all interfaces and listens (Port 0: the system picks one, and Port
  // reports it).
  virtual void Listen();
  // Waits (without a time limit, but through OnWaitSlice) for a connection: its handle,
  // or -1 on failure.
  virtual int Accept();
  void Connect() override;
  void Disconnect() override;
  virtual std::string PortAddressText();
  virtual std::string PortNumberText();
  // WriteLine, then lines with CR LF appended until an empty one or the end.
  virtual std::string SendCommandMulti(std::string_view line);

  // --- reading
  // One receive (or what the buffer holds) of at most size bytes; 0 at the end.
  std::size_t ReadBuffer(char* data, std::size_t size);
  // Bytes up to LF (dropped; every CR dropped too), or up to the end. A line longer than
  // limit raises EProtocolError.
  std::string ReadLine(std::size_t limit = kUnlimitedLine);
  // Fills data with size bytes (buffered ones first, the rest received straight into it);
  // the count it got, fewer when the data ends first.
  std::size_t ReadInto(char* data, std::size_t size);
  // Appends count bytes (-1: until the end) to out; fewer when the data ends first.
  void ReadToString(std::string& out, std::int64_t count = -1);
  // Hands the data to sink block by block, as ReadToString.
  void ReadToSink(const std::function<void(const char* data, std::size_t size)>& sink, std::int64_t count);
  // Creates or truncates the file and writes everything until the end into it.
  void ReadToFile(const std::string& path);

  // --- writing
  void WriteBuffer(const char* data, std::size_t size);
  void WriteString(std::string_view text) { WriteBuffer(text.data(), text.size()); }
  void WriteLine(std::string_view text);
  // Sends the whole file; nothing when it does not exist.
  void WriteFile(const std::string& path);

  // 0 no socket, 2 connected, 1 not connected, 3 other error.
  int SocketState() const;
  bool IsConnected() const { return Connected && SocketState() == 2; }
  std::size_t Buffered() const noexcept { return rend_ - rpos_; }

 protected:
  // Connects to Host and Port (the protocol clients call it before their greeting).
  void ConnectSocket();
  void CloseHandle();
  // Receives into the empty read-ahead buffer; false at the end of the data.
  bool FillBuffer();
  const char* BufferedData() const noexcept { return buffer_.data() + rpos_; }
  void ConsumeBuffered(std::size_t n) noexcept { rpos_ += n; }

 private:
  struct AcceptedTag {};
  TNetSocket(AcceptedTag, int handle, std::size_t bufferSize);
  // Waits until the socket is ready for events or Timeout passes (false); slices.
  bool WaitReady(short events, std::int32_t timeoutSeconds);
  void RequireSocket();
  int NewSocket();
  void NoteReceived(std::size_t count);

  std::size_t bufferSize_;
  std::vector<char> buffer_;
  std::size_t rpos_ = 0;
  std::size_t rend_ = 0;
  bool atEnd_ = false;
};

// The dotted form of an IPv4 address in network order.
std::string DottedAddress(std::uint32_t address);

}  // namespace velkoran::net
