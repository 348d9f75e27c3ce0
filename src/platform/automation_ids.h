// Program ids of the D-Bus automation backend and the names inside them, and where the
// buses are. Pure text rules, kept apart from the backend so they are checked without a
// bus:
//   [session:|system:]BUSNAME[/OBJECT/PATH][#INTERFACE]
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velkoran::platform {

enum class BusKind { Session, System };

struct ProgramId {
  BusKind bus = BusKind::Session;
  std::string busName;        // a well-known name or a unique name (":1.42")
  std::string objectPath;     // given, or derived from the bus name
  std::string interfaceName;  // empty: every interface of the object
};

// Nothing when the id is malformed: an unknown prefix, a bad bus name, object path or
// interface name, or an empty part after "/" or "#".
std::optional<ProgramId> ParseProgramId(std::string_view id);

// "/" + the bus name with "." as "/" and "-" as "_" (org.freedesktop.Notifications →
// /org/freedesktop/Notifications); "/" for a unique name, which names a connection
// rather than a service.
std::string DefaultObjectPath(std::string_view busName);

// The name rules of the D-Bus protocol.
bool IsValidBusName(std::string_view name);
bool IsValidObjectPath(std::string_view path);
bool IsValidInterfaceName(std::string_view name);
bool IsValidMemberName(std::string_view name);

// The address to connect to, or nothing when the bus is not there. Never one that would
// start a bus: the session bus is DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when
// that socket exists; the system bus is DBUS_SYSTEM_BUS_ADDRESS, else the standard socket
// when it exists. An "autolaunch:" address is refused. `getenv` and `exists` are the
// environment and the file system (tests pass their own).
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
using PathExists = std::function<bool(const std::string& path)>;
std::optional<std::string> BusAddress(BusKind bus, const EnvironmentLookup& getenv, const PathExists& exists);
std::optional<std::string> BusAddress(BusKind bus);

}  // namespace velkoran::platform
