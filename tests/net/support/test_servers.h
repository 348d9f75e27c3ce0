// Servers for the network tests, all on loopback and all stopped by their destructors:
// - ScriptedPeer: a TCP peer on a thread of the test, for byte-level cases (a server that
//   sends a line in pieces, stays silent, or closes mid-body);
// - ServerProcess: a real server program started on a free port in a folder of its own,
//   waited for until it accepts connections, and killed at the end.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velkoran::net::testing {

// One accepted connection of a ScriptedPeer (blocking calls; a closed peer ends them).
class PeerConnection {
 public:
  explicit PeerConnection(int fd) : fd_(fd) {}
  ~PeerConnection();
  PeerConnection(const PeerConnection&) = delete;
  PeerConnection& operator=(const PeerConnection&) = delete;

  void Send(std::string_view bytes);
  // Bytes up to and including LF; what came before the end when the client closes.
  std::string ReceiveLine();
  // Bytes until the request's blank line (headers included).
  std::string ReceiveHeader();
  // Everything until the client closes.
  std::string ReceiveAll();
  // Sleeps, but wakes early when the peer is being stopped.
  void Pause(int milliseconds);
  void Close();

 private:
  int fd_;
  std::string pending_;
};

class ScriptedPeer {
 public:
  // Accepts connections one after another on 127.0.0.1 (a free port) and serves each with
  // `serve` on the peer's thread.
  explicit ScriptedPeer(std::function<void(PeerConnection&)> serve);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::uint16_t Port() const { return port_; }
  // Connections accepted so far.
  int Accepted() const { return accepted_.load(); }

 private:
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<int> accepted_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// A port on 127.0.0.1 that nothing listened on a moment ago, never the same twice in a program.
std::uint16_t FreePort();
// A port on 127.0.0.1 where nothing listens (connections are refused).
std::uint16_t ClosedPort();

class ServerProcess {
 public:
  // Starts argv[0] (searched on PATH) in `dir` with its output in dir/<name>.log, and
  // waits until 127.0.0.1:port accepts (up to 120 s: a starved machine can take 10-20 s to
  // start a Python server). Started() is false when it exited or did not come up in time
  // (Log() tells why).
  ServerProcess(std::string name, std::vector<std::string> argv, std::string dir, std::uint16_t port);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Started() const { return started_; }
  std::uint16_t Port() const { return port_; }
  std::string Log() const;
  void Stop();

 private:
  std::string logPath_;
  pid_t pid_ = -1;
  std::uint16_t port_;
  bool started_ = false;
};

// The one T of the test program, made on first use and destroyed (its servers stopped)
// when the program exits.
template <typename T>
T& OncePerProgram() {
  static std::unique_ptr<T> instance;
  if (!instance) {
    instance = std::make_unique<T>();
    std::atexit([] { instance.reset(); });
  }
  return *instance;
}

// The first of these programs that exists ("" when none): the tests look for servers in
// the system folders, not only on PATH.
std::string FindProgram(std::initializer_list<const char*> candidates);

// The test files' folder in the source tree (tests/net/), from NET_TEST_DATA.
std::string TestDataDir();

}  // namespace velkoran::net::testing
