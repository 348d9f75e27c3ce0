// TNetHTTP: the HTTP client on our own socket. One request per connection ("Connection:
// close" unless the caller says otherwise); with Version "1.1" the get, getFile and post
// paths also skip interim (1xx) responses and decode chunked bodies. A body whose length
// is announced is read to that length exactly (a shorter one fails); otherwise until the
// server closes. An https URL (given or redirected to) is fetched by an HTTPS client
// that this client keeps for the purpose.
#pragma once

#include <memory>

#include "net/http_client.h"
#include "net/net_socket.h"

namespace velkoran::net {

class TNetHTTPS;

class TNetHTTP : public TNetSocket, public THttpClient {
 public:
  explicit TNetHTTP(std::size_t bufferSize = 65536);
  ~TNetHTTP() override;

  void Connect() override { TNetSocket::Connect(); }
  void Disconnect() override { TNetSocket::Disconnect(); }
  void SendRequest(std::string method, std::string url, const std::string& body) override;
  void ReadResponseHeader() override;
  std::string ReadLine() override { return TNetSocket::ReadLine(); }
  void ReadToString(std::string& out, std::int64_t count) override { TNetSocket::ReadToString(out, count); }
  void ReadToFile(const std::string& path) override { TNetSocket::ReadToFile(path); }

 protected:
  void ReadBody(const std::string& method, const Receiver& receiver) override;
  THttpClient& ClientFor(const std::string& protocol) override;

 private:
  std::unique_ptr<TNetHTTPS> secure_;
  std::string lastMethod_;
};

}  // namespace velkoran::net
