#include "net/support/test_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace velkoran::net::testing {

namespace {

int ListenOnLoopback(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot listen on loopback");
  }
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

bool Accepts(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

PeerConnection::~PeerConnection() { Close(); }

void PeerConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void PeerConnection::Send(std::string_view bytes) {
  while (!bytes.empty() && fd_ >= 0) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string PeerConnection::ReceiveLine() {
  for (;;) {
    const std::size_t lf = pending_.find('\n');
    if (lf != std::string::npos) {
      std::string line = pending_.substr(0, lf + 1);
      pending_.erase(0, lf + 1);
      return line;
    }
    char buf[4096];
    const ssize_t n = fd_ >= 0 ? ::recv(fd_, buf, sizeof buf, 0) : 0;
    if (n <= 0) return std::exchange(pending_, {});
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

std::string PeerConnection::ReceiveHeader() {
  std::string header;
  for (;;) {
    const std::string line = ReceiveLine();
    header += line;
    if (line.empty() || line == "\r\n" || line == "\n") return header;
  }
}

std::string PeerConnection::ReceiveAll() {
  std::string all = std::exchange(pending_, {});
  char buf[65536];
  ssize_t n;
  while (fd_ >= 0 && (n = ::recv(fd_, buf, sizeof buf, 0)) > 0) all.append(buf, static_cast<std::size_t>(n));
  return all;
}

void PeerConnection::Pause(int milliseconds) { ::poll(nullptr, 0, milliseconds); }

ScriptedPeer::ScriptedPeer(std::function<void(PeerConnection&)> serve) {
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread([this, serve = std::move(serve)] {
    for (;;) {
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0 || stopping_) {
        if (fd >= 0) ::close(fd);
        return;
      }
      ++accepted_;
      PeerConnection connection(fd);
      serve(connection);
    }
  });
}

ScriptedPeer::~ScriptedPeer() {
  stopping_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  thread_.join();
  ::close(listener_);
}

std::uint16_t FreePort() {
  // The system may hand out a port again as soon as it is closed (about once in 800 runs
  // of five ports in a row): one program never gets the same port twice, so servers
  // started together never share one.
  static std::mutex mutex;
  static std::set<std::uint16_t> handedOut;
  const std::lock_guard lock(mutex);
  for (;;) {
    std::uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    if (handedOut.insert(port).second) return port;
  }
}

std::uint16_t ClosedPort() { return FreePort(); }

ServerProcess::ServerProcess(std::string name, std::vector<std::string> argv, std::string dir, std::uint16_t port)
    : logPath_(dir + "/" + name + ".log"), port_(port) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(log, 1);
    ::dup2(log, 2);
    ::setpgid(0, 0);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  // A server that fails exits at once (waitpid below); only a slow start waits long.
  constexpr int kStartSeconds = 120;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Accepts(port_)) {
      started_ = true;
      return;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    ::poll(nullptr, 0, 20);
  }
  std::ofstream(logPath_, std::ios::app) << "\n(not accepting on port " << port_ << " after " << kStartSeconds << " s)\n";
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  // The server and whatever it forked (its own group): a polite stop first.
  ::kill(-pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      ::kill(-pid_, SIGKILL);
      pid_ = -1;
      return;
    }
    ::poll(nullptr, 0, 20);
  }
  ::kill(-pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string ServerProcess::Log() const {
  std::ifstream in(logPath_);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string FindProgram(std::initializer_list<const char*> candidates) {
  for (const char* c : candidates) {
    if (::access(c, X_OK) == 0) return c;
  }
  return {};
}

std::string TestDataDir() { return NET_TEST_DATA; }

}  // namespace velkoran::net::testing
