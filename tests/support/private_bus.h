// Private D-Bus daemons for the automation tests, never the user's bus. Each one activates
// the stand-in services of dbus_standin.py on demand, which log the calls a test checks.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace velkoran::testing {

class PrivateBus {
 public:
  // Starts a daemon listening below /tmp whose service folder activates the stand-in for
  // each of names.
  explicit PrivateBus(const std::vector<std::string>& names);
  // Stops the daemon; the stand-ins leave with their bus.
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const std::string& Address() const { return address_; }
  // The calls the stand-in of `name` logged so far, one line each.
  std::string Log(const std::string& name) const;
  void ClearLog(const std::string& name) const;

 private:
  ScratchDir dir_;
  std::string address_;
  pid_t pid_ = 0;
};

// The test binary's session bus (activating org.velkoran.Probe,
// org.freedesktop.Notifications and org.freedesktop.FileManager1) and system bus
// (org.velkoran.SystemProbe), started on first use with DBUS_SESSION_BUS_ADDRESS and
// DBUS_SYSTEM_BUS_ADDRESS pointing at them, and stopped when the process ends.
PrivateBus& TestSessionBus();
PrivateBus& TestSystemBus();

}  // namespace velkoran::testing
