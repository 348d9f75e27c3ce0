#include "support/private_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "support/files.h"

namespace velkoran::testing {
namespace {

const char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <servicedir>SERVICES</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

std::string Trimmed(const char* line) {
  std::string s(line);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace

PrivateBus::PrivateBus(const std::vector<std::string>& names) {
  const std::string services = dir_ / "services";
  MakeDirs(services);
  std::string config = kConfig;
  config.replace(config.find("SERVICES"), 8, services);
  WriteFile(dir_ / "test-bus.conf", config);
  for (const std::string& name : names) {
    WriteFile(services + "/" + name + ".service", "[D-BUS Service]\nName=" + name + "\nExec=/usr/bin/python3 " +
                                                      VELKORAN_DBUS_STANDIN + " " + name + " " + dir_ / (name + ".log") +
                                                      "\n");
  }
  // The daemon is our child and dies with us (a crashed test leaves no bus behind); it
  // writes its address into a pipe.
  const std::string configArg = "--config-file=" + dir_ / "test-bus.conf";
  const std::string errPath = dir_ / "daemon.err";
  const char* argv[] = {"dbus-daemon", configArg.c_str(), "--nofork", "--print-address=1", nullptr};
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(pipeFds[1], 1);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) ::dup2(err, 2);
    ::close(pipeFds[0]);
    ::execvp(argv[0], const_cast<char* const*>(argv));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  std::unique_ptr<FILE, int (*)(FILE*)> out(::fdopen(pipeFds[0], "r"), ::fclose);
  char address[1024] = {0};
  if (pid_ < 0 || !out || std::fgets(address, sizeof address, out.get()) == nullptr) {
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
    throw std::runtime_error("dbus-daemon did not start: " + ReadFile(errPath));
  }
  address_ = Trimmed(address);
}

PrivateBus::~PrivateBus() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

std::string PrivateBus::Log(const std::string& name) const { return ReadFile(dir_ / (name + ".log")); }

void PrivateBus::ClearLog(const std::string& name) const { WriteFile(dir_ / (name + ".log"), ""); }

PrivateBus& TestSessionBus() {
  static PrivateBus bus({"org.velkoran.Probe", "org.freedesktop.Notifications", "org.freedesktop.FileManager1"});
  ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
  return bus;
}

PrivateBus& TestSystemBus() {
  static PrivateBus bus({"org.velkoran.SystemProbe"});
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
  return bus;
}

}  // namespace velkoran::testing
