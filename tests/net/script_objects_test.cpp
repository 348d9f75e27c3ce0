// The network script classes run by the host component against the test servers.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "net/support/test_servers.h"
#include "net/support/web_servers.h"
#include "script/host/host_test_support.h"
#include "support/files.h"

namespace kestrin {
namespace {

using host_testing::ScriptHost;
using host_testing::Uncaught;
using velkoran::net::testing::PeerConnection;
using velkoran::net::testing::ScriptedPeer;
using velkoran::net::testing::WebServers;

class NetScriptTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(web().Ok()) << web().Error(); }
  static WebServers& web() { return WebServers::Get(); }
  // Runs a script in which every "$P(path)" is the Python server's URL of path, "$N(path)"
  // nginx's, "$S(path)" nginx's HTTPS one and "$X(path)" the expired certificate's.
  std::string Run(std::string script) {
    const std::pair<const char*, std::string (WebServers::*)(const std::string&) const> kinds[] = {
        {"$P(", &WebServers::Python}, {"$N(", &WebServers::Nginx}, {"$S(", &WebServers::Good}, {"$X(", &WebServers::Expired}};
    for (const auto& [mark, url] : kinds) {
      for (std::size_t at; (at = script.find(mark)) != std::string::npos;) {
        const std::size_t close = script.find(')', at);
        script.replace(at, close + 1 - at, (web().*url)(script.substr(at + 3, close - at - 3)));
      }
    }
    return host.Run(script);
  }
  velkoran::testing::ScratchDir dir;
  ScriptHost host{dir.Path()};
};

TEST_F(NetScriptTest, GetFillsTheResponseAndAFailedGetLeavesIt) {
  EXPECT_EQ(Run("var h = new HTTP(); println(h.get('$P(/text?n=4)'));"
                "var r = h.responseHeader; println(r.code + ' ' + r.text + ' ' + r['content-type'] + ' ' + h.length);"
                "h.get('$P(/close-delimited)'); println(h.length + ' ' + h.get('$P(/text?n=300000)').length);"
                "h.get('$P(/text?n=4)');"
                "try { h.get('$P(/missing)'); } catch (e) { println(e + ' ' + r.code + ' ' + h.responseHeader.code); }"
                "h.get('$P(/missing)');"),
            "xxxx\n200 OK text/plain; charset=utf-8 4\n300000 300000\nESocketError 200 200\n" + Uncaught("ESocketError", "HTTP.get error"));
}

TEST_F(NetScriptTest, RawRequestAndResponseReadLikeGet) {
  EXPECT_EQ(Run("var a = new HTTP(); var whole = a.get('$P(/lines?n=3)');"
                "var b = new HTTP(); b.request('GET', '$P(/lines?n=3)'); b.response();"
                "println(b.responseHeader.code + ' ' + (b.read() == whole));"
                "b.request('GET', '$P(/lines?n=3)'); b.response(); var one = b.readln(); var two = b.read(6);"
                "println(one + '|' + two + '|' + b.read());"
                "b.close();"),
            "200 true\nline 0|line 1|\nline 2\n\n");
}

TEST_F(NetScriptTest, RawMethodsOfTheConnectionClasses) {
  velkoran::testing::WriteFile(dir / "send.txt", "12345");
  std::string got;
  ScriptedPeer peer([&](PeerConnection& p) {
    got = p.ReceiveLine();
    p.Send("reply bytes");
  });
  EXPECT_EQ(Run("var h = new HTTP(); h.get('$P(/text?n=1)'); h.connect();"
                "h.write('GET /text?n=2 HTTP/1.0'); h.writeln(); h.writeln(); h.response(); println(h.read());"
                "h.request('GET', '$P(/lines?n=2)'); h.response(); h.capture('$Dcap.txt'); h.close();"
                "var names = h.responseHeader.getProperties(); println(names.indexOf('content-length') >= 0);"
                "var s = new HTTPS(); s.request('GET', '$S(/hello.txt)'); s.response(); var first = s.read(5);"
                "println(first + '|' + s.readln() + '|' + s.responseHeader.code); s.disconnect();"
                "var t = new TCPSocket(); t.host = 'localhost'; t.port = " + std::to_string(peer.Port()) + "; t.open();"
                "t.sendFile('$Dsend.txt'); t.writeln(); t.capture('$Dtcp.txt'); println(t.isConnected()); t.close();"),
            "xx\ntrue\nhello| from nginx|200\nfalse\n");
  EXPECT_EQ(velkoran::testing::ReadFile(dir / "cap.txt"), "line 0\r\nline 1\r\n");
  EXPECT_EQ(velkoran::testing::ReadFile(dir / "tcp.txt"), "reply bytes");
  EXPECT_EQ(got, "12345\r\n");
}

TEST_F(NetScriptTest, OnlyStringRequestHeadersAreSent) {
  const std::string out = Run(
      "var h = new HTTP(); h.requestHeader['X-Text'] = 'yes'; h.requestHeader['X-Number'] = 42;"
      "print(h.get('$P(/echo)'));");
  EXPECT_NE(out.find("X-Text: yes"), std::string::npos) << out;
  EXPECT_EQ(out.find("X-Number"), std::string::npos) << out;
}

TEST_F(NetScriptTest, RedirectsCookiesAndTheUrlObject) {
  EXPECT_EQ(Run("var h = new HTTP(); h.autoRedirect = true; println(h.get('$P(/redirect/2)'));"
                "var created = h.post('$P(/created)', 'a=1'); println(created + ' ' + h.responseHeader.code);"
                "h.get('$P(/cookies)'); var c = h.responseHeader.cookie; // the Domain of another host is refused\n"
                "println(c.domain + ' ' + c.path + ' ' + c.expires.getUTCFullYear());"
                "var u = new URL('http://Ann:pw@a:81/x/y.cgi?q=1');"
                "println(u.host + ' ' + u.hostname + ' ' + u.port + ' ' + u.dir + ' ' + u.filename + ' ' + u.search);"
                "u.host = 'b:82'; println(u.url + ' ' + new URL('http://h/p').host);"
                "h.get('$P(/loop)');"),
            "arrived\ncreated 201\n127.0.0.1 /app 2032\na:81 a 81 /x/ y.cgi ?q=1\nhttp://Ann:pw@b:82/x/y.cgi?q=1 h\n" +
                Uncaught("ESocketError", "HTTP.get error"));
}

TEST_F(NetScriptTest, HttpsChecksCertificates) {
  EXPECT_EQ(Run("var s = new HTTPS(); var got = s.get('$S(/hello.txt)'); println(s.timeout + ' ' + got + s.responseHeader.code);"
                "s.getFile('$S(/hello.txt)', '$Dcopy.txt'); var f = new File('$Dcopy.txt'); f.open(); println(f.length); f.close();"
                "s.get('$X(/hello.txt)');"),
            "120 hello from nginx\n200\n17\n" + Uncaught("ESocketError", "HTTPS.get error"));
}

TEST_F(NetScriptTest, DebugPrintsTheConnectTrace) {
  ScriptedPeer peer([](PeerConnection& p) { p.Send("hi\r\n"); });
  const std::string out = Run("var t = new TCPSocket(); t.host = '127.0.0.1'; t.port = " + std::to_string(peer.Port()) +
                              "; t.debug = true; t.connect(); t.debug = false; println(t.readln()); t.close();");
  EXPECT_EQ(out, "suc>127.0.0.1が見つかりました\nsuc>127.0.0.1(127.0.0.1):" + std::to_string(peer.Port()) +
                     "にconnect成功しました\nhi\n");
}

TEST_F(NetScriptTest, TcpSocketServesAndFails) {
  const std::uint16_t port = velkoran::net::testing::FreePort();
  std::string reply;
  std::thread client([&] {
    for (int attempt = 0; attempt < 100 && reply.empty(); ++attempt) {
      const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(port);
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        ::send(fd, "ping\r\n", 6, MSG_NOSIGNAL);
        char buf[64];
        ssize_t n;
        while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) reply.append(buf, static_cast<std::size_t>(n));
      } else {
        ::usleep(50'000);
      }
      ::close(fd);
    }
  });
  const std::string out = Run("var s = new TCPSocket(); s.port = " + std::to_string(port) +
                              "; s.bind(); var c = s.accept(); println(c.timeout + ' ' + c.isConnected());"
                              "c.writeln('echo ' + c.readln()); c.close(); s.close(); println(c.isConnected());"
                              "try { new TCPSocket(0); } catch (e) { println(e); }"
                              "try { c.readln(); } catch (e) { println(e); }"
                              "new TCPSocket().abort();");
  client.join();
  EXPECT_EQ(reply, "echo ping\r\n");
  EXPECT_EQ(out, "120 true\nfalse\nESocketError\nESocketError\n" + Uncaught("ESocketError", "TCPSocket.abort error"));
  EXPECT_EQ(Run("new TCPSocket(1);"), Uncaught("ESocketError", "TCPSocket.create error"));
}

TEST_F(NetScriptTest, AbortEndsAScriptWaitingForASlowServer) {
  host.Host().Engine().OnPoll = [start = std::chrono::steady_clock::now()](TJEngine& engine) {
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300)) engine.AbortRequested = true;
  };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("var h = new HTTP(); h.timeout = 30; println(h.get('$P(/slow?s=10)'));"), "Abort Script\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(host.Host().Engine().LastOutcome, TJRunOutcome::Aborted);
}

}  // namespace
}  // namespace kestrin

namespace kestrin {
namespace {

// kestrin runs the network classes too, and Ctrl+C ends a script that waits for a server
// as Esc does in the window.
TEST_F(NetScriptTest, KestrinEndsAWaitOnCtrlC) {
  const std::string script = dir / "slow.js";
  velkoran::testing::WriteFile(script, "println('start'); h = new HTTP(); println(h.get('" + web().Python("/slow?s=8") + "'));");
  const std::string out = dir / "out.txt";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen(out.c_str(), "w", stdout);
    ::execl(KESTRIN_RUNNER, KESTRIN_RUNNER, script.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::usleep(400'000);
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(velkoran::testing::ReadFile(out), "start\r\nAbort Script\r\n");
}

}  // namespace
}  // namespace kestrin
