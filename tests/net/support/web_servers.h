// The web servers of the HTTP and HTTPS tests, started once per test program (on first
// use) in a scratch folder and stopped at its end:
// - our Python handler (servers/http_test_server.py) with full control of the wire;
// - nginx serving www/ over HTTP and, with certificates of a test CA made by openssl at
//   start-up, over HTTPS with a good certificate, one for another name, and an expired one;
// - tinyproxy for the proxy path.
// The CA bundle is named by VELKORAN_CA_FILE for the clients under test.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/support/test_servers.h"
#include "support/scratch_dir.h"

namespace velkoran::net::testing {

class WebServers {
 public:
  // The running servers; a test that cannot have them fails with the reason.
  static WebServers& Get() { return OncePerProgram<WebServers>(); }
  // Starts the servers; tests use Get(), which starts them once.
  WebServers();

  std::string Python(const std::string& path) const { return Url("http", python_->Port(), path); }
  std::string Nginx(const std::string& path) const { return Url("http", nginx_, path); }
  std::string Good(const std::string& path) const { return Url("https", good_, path); }
  std::string OtherName(const std::string& path) const { return Url("https", other_, path); }
  std::string Expired(const std::string& path) const { return Url("https", expired_, path); }
  std::uint16_t ProxyPort() const { return proxy_->Port(); }
  // nginx's document folder (with "/"): tests put files there.
  std::string WwwDir() const { return dir_.Path() + "www/"; }
  std::string CaFile() const { return dir_.Path() + "ca.crt"; }
  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

 private:
  static std::string Url(const char* scheme, std::uint16_t port, const std::string& path) {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
  }
  velkoran::testing::ScratchDir dir_;
  std::unique_ptr<ServerProcess> python_, nginxProcess_, proxy_;
  std::uint16_t nginx_ = 0, good_ = 0, other_ = 0, expired_ = 0;
  std::string error_;
};

}  // namespace velkoran::net::testing
