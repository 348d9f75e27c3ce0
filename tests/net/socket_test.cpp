// The socket core against scripted peers on loopback.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/net_errors.h"
#include "net/net_socket.h"
#include "net/support/test_servers.h"

namespace velkoran::net {
namespace {

using testing::PeerConnection;
using testing::ScriptedPeer;
using Clock = std::chrono::steady_clock;

std::unique_ptr<TNetSocket> ConnectedTo(std::uint16_t port, std::int32_t timeout = 5) {
  auto s = std::make_unique<TNetSocket>();
  s->Host = "127.0.0.1";
  s->Port = port;
  s->Timeout = timeout;
  s->Connect();
  return s;
}

TEST(SocketCore, LinesDropEveryCarriageReturnAndEndAtLineFeedOrTheEnd) {
  struct Case {
    const char* name;
    std::string sent;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"CR inside the line", "a\rb\n", {"ab"}},
      {"CR LF ends", "one\r\ntwo\r\n", {"one", "two"}},
      {"no LF before close", "abc", {"abc"}},
      {"empty lines", "\n\r\nx\n", {"", "", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer([&](PeerConnection& p) {
      for (char ch : c.sent) {  // byte by byte, so lines span receives
        p.Send(std::string(1, ch));
        p.Pause(1);
      }
    });
    auto s = ConnectedTo(peer.Port());
    for (const std::string& want : c.lines) EXPECT_EQ(s->ReadLine(), want);
  }
}

TEST(SocketCore, ReadToTheEndGetsEverythingAndMixesWithLines) {
  std::string body;
  for (int i = 0; i < 20000; ++i) body += "line " + std::to_string(i) + "\n";
  ScriptedPeer peer([&](PeerConnection& p) { p.Send("head\r\n" + body); });
  auto s = ConnectedTo(peer.Port());
  EXPECT_EQ(s->ReadLine(), "head");
  std::string rest;
  s->ReadToString(rest, 5);
  EXPECT_EQ(rest, "line ");
  s->ReadToString(rest, -1);
  EXPECT_EQ(rest, body);
  EXPECT_TRUE(s->IsEnd());
  EXPECT_EQ(s->Socket, -1) << "the peer's close closes our socket";
  EXPECT_TRUE(s->Connected) << "until Disconnect";
  std::string more;
  s->ReadToString(more, -1);
  EXPECT_EQ(more, "") << "reading to the end at the end is empty";
  try {
    s->ReadLine();
    FAIL() << "a line from a closed socket";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 10057);
  }
}

TEST(SocketCore, ReadingByLinesCostsOneReceivePerBufferNotPerByte) {
  std::string body;
  while (body.size() < 4'000'000) body += "a line of some forty bytes or so.......\n";
  ScriptedPeer peer([&](PeerConnection& p) { p.Send(body); });
  auto s = ConnectedTo(peer.Port());
  int receives = 0;
  s->OnPacketRecvd = [&](TNetSocket&, std::size_t) { ++receives; };
  std::size_t bytes = 0;
  while (!s->IsEnd()) bytes += s->ReadLine().size() + 1;
  EXPECT_EQ(bytes, body.size() + 1);  // the last read meets the end: an empty line
  EXPECT_LT(receives, static_cast<int>(body.size() / 1000));
}

TEST(SocketCore, SilentPeerTimesOutWithinTheTimeout) {
  ScriptedPeer peer([](PeerConnection& p) { p.ReceiveAll(); });
  auto s = ConnectedTo(peer.Port(), 1);
  const auto start = Clock::now();
  try {
    s->ReadLine();
    FAIL() << "no timeout";
  } catch (const ESocketTimeout& e) {
    EXPECT_STREQ(e.what(), "socket timeout");
  }
  EXPECT_TRUE(s->TimedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
  s->Disconnect();
}

TEST(SocketCore, EveryWaitRunsTheSliceHookWhichCanEndIt) {
  ScriptedPeer peer([](PeerConnection& p) { p.ReceiveAll(); });
  auto s = ConnectedTo(peer.Port(), 30);
  int slices = 0;
  struct Stop {};
  s->OnWaitSlice = [&] {
    if (++slices == 4) throw Stop{};
  };
  const auto start = Clock::now();
  EXPECT_THROW(s->ReadLine(), Stop);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
  s->Disconnect();
}

TEST(SocketCore, FailuresCarryWinSockCodesAndTraces) {
  std::vector<std::string> trace;
  TNetSocket s;
  s.OnStatus = [&](TNetEndpoint&, std::string_view t) { trace.emplace_back(t); };
  s.Host = "127.0.0.1";
  s.Port = testing::ClosedPort();
  try {
    s.Connect();
    FAIL();
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 10061);
    EXPECT_STREQ(e.what(), "socket error no.10061");
  }
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back(), "err>127.0.0.1(127.0.0.1):" + std::to_string(s.Port) + "にconnect失敗しました");
  EXPECT_EQ(s.Socket, -1);

  // A name whose label is too long fails inside the resolver, without asking any server.
  trace.clear();
  s.Host = std::string(70, 'x') + ".test";
  try {
    s.Connect();
    FAIL();
  } catch (const ETCPIPError& e) {
    EXPECT_EQ(std::string(e.what()), "not found " + s.Host);
  }
  EXPECT_EQ(trace.back(), "err>" + s.Host + "が見つかりません");
  EXPECT_EQ(s.LastError, 11001);

  try {
    s.WriteString("x");
    FAIL() << "a write without a connection";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 10057);
  }
}

TEST(SocketCore, TraceLevelFiltersMessages) {
  ScriptedPeer peer([](PeerConnection& p) { p.Send("x\n"); });
  for (int level : {2, 8}) {
    SCOPED_TRACE(level);
    std::vector<std::string> trace;
    TNetSocket s;
    s.TraceLevel = level;
    s.OnStatus = [&](TNetEndpoint&, std::string_view t) { trace.emplace_back(t); };
    s.Host = "localhost";
    s.Port = peer.Port();
    s.Connect();
    s.ReadLine();
    s.Disconnect();
    const std::string where = "localhost(127.0.0.1):" + std::to_string(peer.Port());
    std::vector<std::string> expected = {"suc>localhostが見つかりました", "suc>" + where + "にconnect成功しました",
                                         "nfo>localhostから切断します"};
    if (level == 8) {
      expected = {"rtn>localhostを探しています", "suc>localhostが見つかりました", "rtn>socketを作成します",
                  "dbg>socket(" + std::to_string(-1) + ")",  // replaced below
                  "rtn>localhostにconnectします", "suc>" + where + "にconnect成功しました",
                  "dbg>socketから 2 bytes読み込みました", "nfo>localhostから切断します"};
      ASSERT_EQ(trace.size(), expected.size());
      EXPECT_EQ(trace[3].rfind("dbg>socket(", 0), 0u);
      EXPECT_NE(trace[3].find(")を作成しました"), std::string::npos);
      trace[3] = expected[3];
    }
    EXPECT_EQ(trace, expected);
  }
}

TEST(SocketCore, SendsCompleteLongBlocksAndSurviveAClosedPeer) {
  const std::string block(8 << 20, 'z');
  std::string received;
  {
    ScriptedPeer peer([&](PeerConnection& p) {
      p.Pause(200);  // let the client's send fill the socket buffers first
      received = p.ReceiveAll();
    });
    auto s = ConnectedTo(peer.Port());
    s->WriteBuffer(block.data(), block.size());
    EXPECT_EQ(s->BytesSent, block.size());
    s->Disconnect();
  }
  EXPECT_EQ(received.size(), block.size());

  ScriptedPeer closer([](PeerConnection& p) { p.Close(); });
  auto s = ConnectedTo(closer.Port());
  ::usleep(100'000);
  try {
    for (int i = 0; i < 100; ++i) s->WriteString(std::string(65536, 'q'));
    FAIL() << "writes to a closed peer kept succeeding";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 10054) << "EPIPE and ECONNRESET are both 10054; no SIGPIPE ended the test";
  }
}

TEST(SocketCore, ConnectHonoursTheTimeout) {
  // A listener whose queue is full drops further connection attempts, as an unroutable
  // address would: connect must give up after Timeout, not after the system's minutes.
  std::uint16_t port = 0;
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  socklen_t len = sizeof a;
  getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  std::vector<std::unique_ptr<TNetSocket>> fillers;
  bool timedOut = false;
  const auto start = Clock::now();
  for (int i = 0; i < 8 && !timedOut; ++i) {
    auto s = std::make_unique<TNetSocket>();
    s->Host = "127.0.0.1";
    s->Port = port;
    s->Timeout = 1;
    try {
      s->Connect();
      fillers.push_back(std::move(s));
    } catch (const ESocketError& e) {
      EXPECT_EQ(e.ErrorCode, 10060);
      timedOut = true;
    }
  }
  ::close(listener);
  EXPECT_TRUE(timedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

TEST(SocketCore, ListenAcceptAndWrapOnlyOurOwnAcceptedHandles) {
  TNetSocket server;
  server.Port = 0;
  server.Listen();
  ASSERT_NE(server.Port, 0) << "the system's choice is reported";
  auto client = std::make_unique<TNetSocket>();
  client->Host = "127.0.0.1";
  client->Port = server.Port;
  client->Connect();
  const int handle = server.Accept();
  ASSERT_GE(handle, 0);
  auto accepted = TNetSocket::FromAccepted(handle);
  EXPECT_EQ(accepted->Timeout, 120);
  EXPECT_TRUE(accepted->IsConnected());
  EXPECT_THROW(TNetSocket::FromAccepted(handle), ESocketError) << "wrapped twice";
  EXPECT_THROW(TNetSocket::FromAccepted(0), ESocketError) << "standard input is no accepted socket";
  client->WriteLine("ping");
  EXPECT_EQ(accepted->ReadLine(), "ping");
  accepted->WriteLine("pong");
  EXPECT_EQ(client->ReadLine(), "pong");
  EXPECT_EQ(server.PortNumberText(), std::to_string(server.Port / 256) + "," + std::to_string(server.Port % 256));
  EXPECT_EQ(client->PortAddressText(), "127,0,0,1,");

  // The connection we closed first waits in TIME_WAIT; the port can be bound again at once.
  accepted->Disconnect();
  client->Disconnect();
  const std::uint16_t port = server.Port;
  server.Disconnect();
  TNetSocket again;
  again.Port = port;
  EXPECT_NO_THROW(again.Listen());
}

TEST(SocketCore, ProtocolLinesHaveALimit) {
  ScriptedPeer peer([](PeerConnection& p) { p.Send(std::string(70000, 'h') + "\r\n"); });
  auto s = ConnectedTo(peer.Port());
  EXPECT_THROW(s->ReadResponse(), EProtocolError);
  TNetSocket n;
  n.Port = 1025;
  EXPECT_EQ(n.PortNumberText(), "4,1");
}

}  // namespace
}  // namespace velkoran::net
