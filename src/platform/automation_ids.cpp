#include "platform/automation_ids.h"

#include <sys/stat.h>

#include <cstdlib>

namespace velkoran::platform {
namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::string_view kSessionPrefix = "session:";
constexpr std::string_view kSystemPrefix = "system:";
constexpr const char* kSystemBusSocket = "/var/run/dbus/system_bus_socket";

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; }

// Dot-separated elements, at least two, none empty; each made of name characters (and "-"
// when allowed) and starting with a digit only when allowed.
bool IsDottedName(std::string_view name, bool dashes, bool leadingDigits) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  std::size_t elements = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('.', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view element = name.substr(start, end - start);
    if (element.empty()) return false;
    if (!leadingDigits && IsDigit(element[0])) return false;
    for (const char c : element) {
      if (!IsNameChar(c) && !(dashes && c == '-')) return false;
    }
    ++elements;
    start = end + 1;
  }
  return elements >= 2;
}

}  // namespace

bool IsValidBusName(std::string_view name) {
  if (!name.empty() && name[0] == ':') return name.size() <= kMaxNameLength && IsDottedName(name.substr(1), true, true);
  return IsDottedName(name, true, false);
}

bool IsValidInterfaceName(std::string_view name) { return IsDottedName(name, false, false); }

bool IsValidMemberName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || IsDigit(name[0])) return false;
  for (const char c : name) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

bool IsValidObjectPath(std::string_view path) {
  if (path.empty() || path[0] != '/') return false;
  if (path.size() == 1) return true;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end == start) return false;  // an empty element or a trailing "/"
    for (std::size_t i = start; i < end; ++i) {
      if (!IsNameChar(path[i])) return false;
    }
    start = end + 1;
  }
  return true;
}

std::string DefaultObjectPath(std::string_view busName) {
  if (busName.empty() || busName[0] == ':') return "/";
  std::string path = "/";
  for (const char c : busName) path += c == '.' ? '/' : c == '-' ? '_' : c;
  return path;
}

std::optional<ProgramId> ParseProgramId(std::string_view id) {
  ProgramId out;
  if (id.substr(0, kSystemPrefix.size()) == kSystemPrefix) {
    out.bus = BusKind::System;
    id.remove_prefix(kSystemPrefix.size());
  } else if (id.substr(0, kSessionPrefix.size()) == kSessionPrefix) {
    id.remove_prefix(kSessionPrefix.size());
  }
  if (const std::size_t hash = id.find('#'); hash != std::string_view::npos) {
    out.interfaceName = std::string(id.substr(hash + 1));
    if (!IsValidInterfaceName(out.interfaceName)) return std::nullopt;
    id = id.substr(0, hash);
  }
  if (const std::size_t slash = id.find('/'); slash != std::string_view::npos) {
    out.objectPath = std::string(id.substr(slash));
    if (!IsValidObjectPath(out.objectPath)) return std::nullopt;
    id = id.substr(0, slash);
  }
  out.busName = std::string(id);
  if (!IsValidBusName(out.busName)) return std::nullopt;
  if (out.objectPath.empty()) out.objectPath = DefaultObjectPath(out.busName);
  return out;
}

std::optional<std::string> BusAddress(BusKind bus, const EnvironmentLookup& getenv, const PathExists& exists) {
  std::optional<std::string> address;
  if (bus == BusKind::System) {
    address = getenv("DBUS_SYSTEM_BUS_ADDRESS");
    if ((!address || address->empty()) && exists(kSystemBusSocket)) address = std::string("unix:path=") + kSystemBusSocket;
  } else {
    address = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || address->empty()) {
      address.reset();
      if (const auto runtime = getenv("XDG_RUNTIME_DIR"); runtime && !runtime->empty()) {
        const std::string socket = *runtime + "/bus";
        if (exists(socket)) address = "unix:path=" + socket;
      }
    }
  }
  if (!address || address->empty()) return std::nullopt;
  // An address is a list of alternatives separated by ";"; one that starts a bus of its
  // own is refused whole.
  for (std::size_t start = 0; start < address->size();) {
    std::size_t end = address->find(';', start);
    if (end == std::string::npos) end = address->size();
    if (std::string_view(*address).substr(start, end - start).rfind("autolaunch:", 0) == 0) return std::nullopt;
    start = end + 1;
  }
  return address;
}

std::optional<std::string> BusAddress(BusKind bus) {
  return BusAddress(
      bus,
      [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr) return std::nullopt;
        return std::string(value);
      },
      [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
      });
}

}  // namespace velkoran::platform
