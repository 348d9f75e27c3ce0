// Named mutexes within one process and between processes: existed, ownership by thread,
// tryLock's timeout, and release when the holder dies. The other process is
// host_mutex_peer, driven through its standard input and output.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform/mutex.h"

extern char** environ;

namespace kestrin::host_testing {
namespace {

namespace pf = velkoran::platform;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A unique name per test, so runs never meet each other's lock files.
std::string UniqueName(const char* what) {
  return std::string("velkoran-test-") + what + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(Clock::now().time_since_epoch().count());
}

class Peer {
 public:
  explicit Peer(const std::string& name) {
    int toChild[2];
    int fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    std::string program = HOST_MUTEX_PEER;
    char* argv[] = {program.data(), const_cast<char*>(name.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) throw std::runtime_error("spawn");
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = ::fdopen(toChild[1], "w");
    out_ = ::fdopen(fromChild[0], "r");
  }
  ~Peer() {
    if (in_ != nullptr) std::fclose(in_);
    if (out_ != nullptr) std::fclose(out_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // Sends a command and returns the peer's next line.
  std::string Ask(const std::string& command) {
    Send(command);
    return Line();
  }
  void Send(const std::string& command) {
    std::fprintf(in_, "%s\n", command.c_str());
    std::fflush(in_);
  }
  std::string Line() {
    char buffer[128] = {};
    if (std::fgets(buffer, sizeof buffer, out_) == nullptr) return "<eof>";
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }
  // Ends the peer at once, holding whatever it holds.
  void Die() {
    Send("exit");
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* in_ = nullptr;
  std::FILE* out_ = nullptr;
};

TEST(NamedMutexTest, ExistedTellsWhetherAnotherHandleIsOpen) {
  const std::string name = UniqueName("existed");
  {
    auto first = pf::NamedMutex::Open(name);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->Existed());
    auto second = pf::NamedMutex::Open(name);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->Existed());
    Peer peer(name);
    EXPECT_EQ(peer.Line(), "existed 1");
  }
  // Every handle is gone: the name is new again, here and elsewhere.
  Peer peer(name);
  EXPECT_EQ(peer.Line(), "existed 0");
  auto again = pf::NamedMutex::Open(name);
  EXPECT_TRUE(again->Existed());
}

TEST(NamedMutexTest, AnUnnamedMutexIsPrivate) {
  auto a = pf::NamedMutex::Open("");
  auto b = pf::NamedMutex::Open("");
  EXPECT_FALSE(a->Existed());
  EXPECT_FALSE(b->Existed());
  ASSERT_TRUE(a->Lock(0ms));
  std::atomic<bool> other{false};
  std::thread([&] { other = b->Lock(0ms); if (other) b->Unlock(); }).join();
  EXPECT_TRUE(other);
  EXPECT_TRUE(a->Unlock());
}

TEST(NamedMutexTest, TheOwningThreadMayLockAgainAndMustUnlockAsOften) {
  const std::string name = UniqueName("recursive");
  auto a = pf::NamedMutex::Open(name);
  auto b = pf::NamedMutex::Open(name);
  ASSERT_TRUE(a->Lock());
  EXPECT_TRUE(b->Lock(0ms));  // the same thread, through another handle
  EXPECT_TRUE(a->OwnedByCaller());
  auto tryFromThread = [&] {
    bool got = false;
    std::thread([&] {
      got = a->Lock(30ms);
      if (got) a->Unlock();
    }).join();
    return got;
  };
  EXPECT_FALSE(tryFromThread());
  EXPECT_TRUE(a->Unlock());
  EXPECT_FALSE(tryFromThread());
  EXPECT_TRUE(b->Unlock());
  EXPECT_FALSE(a->Unlock());  // no longer owned
  EXPECT_TRUE(tryFromThread());
}

TEST(NamedMutexTest, AnotherThreadCannotUnlock) {
  auto a = pf::NamedMutex::Open(UniqueName("owner"));
  ASSERT_TRUE(a->Lock());
  bool unlocked = true;
  std::thread([&] { unlocked = a->Unlock(); }).join();
  EXPECT_FALSE(unlocked);
  EXPECT_TRUE(a->Unlock());
}

TEST(NamedMutexTest, TryLockWaitsItsTimeoutWhileAnotherProcessHoldsIt) {
  const std::string name = UniqueName("timeout");
  Peer peer(name);
  EXPECT_EQ(peer.Line(), "existed 0");
  EXPECT_EQ(peer.Ask("lock"), "locked");
  auto mine = pf::NamedMutex::Open(name);
  EXPECT_TRUE(mine->Existed());
  const auto started = Clock::now();
  EXPECT_FALSE(mine->Lock(200ms));
  EXPECT_GE(Clock::now() - started, 200ms);
  EXPECT_EQ(peer.Ask("unlock"), "unlocked");
  EXPECT_TRUE(mine->Lock(2000ms));
  EXPECT_EQ(peer.Ask("try 100"), "try 0");
  EXPECT_TRUE(mine->Unlock());
  EXPECT_EQ(peer.Ask("try 1000"), "try 1");
}

TEST(NamedMutexTest, AHolderThatDiesReleasesTheMutex) {
  const std::string name = UniqueName("death");
  Peer peer(name);
  EXPECT_EQ(peer.Line(), "existed 0");
  EXPECT_EQ(peer.Ask("lock"), "locked");
  auto mine = pf::NamedMutex::Open(name);
  EXPECT_FALSE(mine->Lock(50ms));
  peer.Die();
  EXPECT_TRUE(mine->Lock(2000ms));
  EXPECT_TRUE(mine->Unlock());
}

TEST(NamedMutexTest, AWaitingLockGetsTheMutexWhenTheHolderLetsGo) {
  const std::string name = UniqueName("wait");
  Peer peer(name);
  EXPECT_EQ(peer.Line(), "existed 0");
  EXPECT_EQ(peer.Ask("lock"), "locked");
  auto mine = pf::NamedMutex::Open(name);
  std::thread release([&] {
    std::this_thread::sleep_for(100ms);
    peer.Send("unlock");
  });
  EXPECT_TRUE(mine->Lock());  // without limit
  release.join();
  EXPECT_EQ(peer.Line(), "unlocked");
  EXPECT_EQ(peer.Ask("try 50"), "try 0");
  EXPECT_TRUE(mine->Unlock());
}

TEST(NamedMutexTest, LockFileNamesAreSafeAndBounded) {
  EXPECT_EQ(pf::MutexFileName("plain-Name_1.x"), "velkoran-mutex-plain-Name_1.x");
  EXPECT_EQ(pf::MutexFileName("a/b c"), "velkoran-mutex-a%2fb%20c");
  EXPECT_EQ(pf::MutexFileName(".."), "velkoran-mutex-..");
  const std::string longA(300, 'a');
  std::string longB = longA;
  longB.back() = 'b';
  EXPECT_LT(pf::MutexFileName(longA).size(), 200u);
  EXPECT_NE(pf::MutexFileName(longA), pf::MutexFileName(longB));
}

TEST(MutexObjectTest, ScriptsSeeExistedTimeoutAndTryLock) {
  const std::string name = UniqueName("script");
  Peer peer(name);
  EXPECT_EQ(peer.Line(), "existed 0");
  EXPECT_EQ(peer.Ask("lock"), "locked");
  {
    ScriptHost host;
    const auto started = Clock::now();
    EXPECT_EQ(host.Run("var m = new Mutex('" + name + "'); println(m.existed); println(m.timeout);"
                       "m.timeout = 150; println(m.tryLock()); println(m.timeout);"),
              "true\n10000\nfalse\n150\n");
    EXPECT_GE(Clock::now() - started, 150ms);
  }
  peer.Die();
  EXPECT_EQ(ScriptHost().Run("var m = new Mutex('" + name + "'); println(m.existed); println(m.tryLock()); m.lock();"
                     "m.unlock(); m.unlock(); println(new Mutex().existed);"),
            "false\ntrue\nfalse\n");
}

TEST(MutexObjectTest, TwoObjectsOfOneNameInAScript) {
  const std::string name = UniqueName("pair");
  ScriptHost host;
  EXPECT_EQ(host.Run("var a = new Mutex('" + name + "'); var b = new Mutex('" + name + "');"
                     "println(a.existed + ' ' + b.existed); a.lock(); b.timeout = 0; println(b.tryLock());"),
            "false true\ntrue\n");
}

}  // namespace
}  // namespace kestrin::host_testing
