#include "net/support/web_servers.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>

#include "support/files.h"

namespace velkoran::net::testing {

namespace {

std::string NginxConfig(const std::string& dir, std::uint16_t http, std::uint16_t good, std::uint16_t other,
                        std::uint16_t expired) {
  auto tls = [&](std::uint16_t port, const char* cert) {
    return "  server { listen 127.0.0.1:" + std::to_string(port) + " ssl; ssl_certificate " + dir + cert +
           ".crt; ssl_certificate_key " + dir + cert + ".key; root " + dir + "www; }\n";
  };
  return "daemon off;\nmaster_process off;\nerror_log " + dir + "nginx-error.log;\npid " + dir +
         "nginx.pid;\nevents { worker_connections 128; }\nhttp {\n  access_log off;\n"
         "  default_type application/octet-stream;\n  types { text/plain txt; text/html html; }\n"
         "  client_body_temp_path " + dir + "tmp/body;\n  proxy_temp_path " + dir + "tmp/proxy;\n"
         "  fastcgi_temp_path " + dir + "tmp/fastcgi;\n  uwsgi_temp_path " + dir + "tmp/uwsgi;\n"
         "  scgi_temp_path " + dir + "tmp/scgi;\n"
         "  server { listen 127.0.0.1:" + std::to_string(http) + "; root " + dir + "www; }\n" +
         tls(good, "good") + tls(other, "other") + tls(expired, "expired") + "}\n";
}

}  // namespace

WebServers::WebServers() {
  using velkoran::testing::MakeDirs;
  using velkoran::testing::WriteFile;
  const std::string dir = dir_.Path();
  const std::string data = TestDataDir();
  MakeDirs(dir + "www");
  MakeDirs(dir + "tmp");
  WriteFile(dir + "www/hello.txt", "hello from nginx\n");

  const std::uint16_t port = FreePort();
  python_ = std::make_unique<ServerProcess>(
      "python", std::vector<std::string>{"/usr/bin/python3", data + "servers/http_test_server.py", std::to_string(port)},
      dir, port);
  if (!python_->Started()) error_ += "python server: " + python_->Log();

  if (std::system(("sh " + data + "servers/make_test_ca.sh " + dir + " >/dev/null 2>&1").c_str()) != 0) {
    error_ += "openssl could not make the test CA; ";
  }
  ::setenv("VELKORAN_CA_FILE", CaFile().c_str(), 1);
  nginx_ = FreePort();
  good_ = FreePort();
  other_ = FreePort();
  expired_ = FreePort();
  WriteFile(dir + "nginx.conf", NginxConfig(dir, nginx_, good_, other_, expired_));
  const std::string nginx = FindProgram({"/usr/sbin/nginx", "/usr/bin/nginx"});
  nginxProcess_ = std::make_unique<ServerProcess>(
      "nginx", std::vector<std::string>{nginx, "-p", dir, "-c", dir + "nginx.conf", "-e", dir + "nginx-error.log"}, dir,
      nginx_);
  if (!nginxProcess_->Started()) error_ += "nginx: " + nginxProcess_->Log() + velkoran::testing::ReadFile(dir + "nginx-error.log");

  const std::uint16_t proxyPort = FreePort();
  WriteFile(dir + "tinyproxy.conf", "Port " + std::to_string(proxyPort) +
                                        "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nLogLevel Info\nLogFile \"" + dir +
                                        "tinyproxy.log\"\nPidFile \"" + dir + "tinyproxy.pid\"\nMaxClients 20\n");
  proxy_ = std::make_unique<ServerProcess>(
      "tinyproxy", std::vector<std::string>{FindProgram({"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"}), "-d", "-c", dir + "tinyproxy.conf"},
      dir, proxyPort);
  if (!proxy_->Started()) error_ += "tinyproxy: " + proxy_->Log();
}

}  // namespace velkoran::net::testing
