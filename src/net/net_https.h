// TNetHTTPS: the HTTP client over libcurl, which supplies TLS for https URLs (plain http
// URLs go through it too). One easy handle per request, driven through a multi handle in
// slices, so that reading is pulled by the caller like a socket's: the body arrives in a
// buffer that the reads drain, and every wait runs OnWaitSlice.
//
// Certificates are verified in full (peer, host name, dates); only http and https are
// spoken, also after redirects; an empty Proxy means a direct connection whatever the
// environment says. VELKORAN_CA_FILE, when set, names the CA bundle (tests); else the
// system's. Timeout bounds the connect and any stretch without a byte moving (never the
// whole transfer, which may be a big download).
#pragma once

#include <cstdint>
#include <string>

#include "net/http_client.h"

namespace velkoran::net {

class TNetHTTPS : public THttpClient {
 public:
  explicit TNetHTTPS(std::size_t bufferSize = 65536);
  ~TNetHTTPS() override;

  // Prepares a session to Host and Port (the connection itself is made by the request).
  void Connect() override;
  void Disconnect() override;
  void SendRequest(std::string method, std::string url, const std::string& body) override;
  void ReadResponseHeader() override;
  std::string ReadLine() override;
  void ReadToString(std::string& out, std::int64_t count) override;
  void ReadToFile(const std::string& path) override;

  bool AtEnd() const noexcept { return atEnd_; }

 protected:
  void ReadBody(const std::string& method, const Receiver& receiver) override;
  THttpClient& ClientFor(const std::string& protocol) override;

 private:
  struct Transfer;
  // Drives the transfer until ready() holds or it is over; raises its failure.
  template <typename Ready>
  void DriveUntil(Ready ready);
  // Hands buffered body bytes to sink (count -1: all there will be).
  void Drain(const Sink& sink, std::int64_t count);
  void RaiseTransferError();

  std::size_t bufferSize_;
  Transfer* transfer_ = nullptr;
  bool atEnd_ = false;
};

}  // namespace velkoran::net
