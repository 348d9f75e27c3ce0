// The automation backend on the D-Bus: a program id names a bus, a service and an object;
// the object's introspection data gives the members; properties go through
// org.freedesktop.DBus.Properties. Calls block the script's thread (as every script call
// does) with a time limit, running the thread's abort hook between waits.
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/automation.h"
#include "platform/automation_collection.h"
#include "platform/automation_dbus_members.h"
#include "platform/automation_dbus_values.h"
#include "platform/automation_ids.h"

namespace velkoran::platform {
namespace {

using namespace std::chrono_literals;
using dbus::Member;

constexpr int kCallTimeoutMs = 25000;
constexpr auto kPollEvery = 50ms;
constexpr auto kLongestPause = 5ms;
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

void DebugOutput(const std::string& text) { std::fprintf(stderr, "automation: %s\n", text.c_str()); }

// The connection to a bus, shared by every object on it (one per address in the process).
std::optional<QDBusConnection> Connect(BusKind bus) {
  const char* busWord = bus == BusKind::System ? "system" : "session";
  const auto address = BusAddress(bus);
  if (!address) {
    DebugOutput(std::string("no ") + busWord + " bus");
    return std::nullopt;
  }
  const QString name = QStringLiteral("velkoran-automation ") + QString::fromStdString(*address);
  QDBusConnection connection = QDBusConnection::connectToBus(QString::fromStdString(*address), name);
  if (!connection.isConnected()) {
    DebugOutput(std::string("cannot reach the ") + busWord + " bus at " + *address + ": " +
                connection.lastError().message().toStdString());
    QDBusConnection::disconnectFromBus(name);  // so that a later try connects afresh
    return std::nullopt;
  }
  return connection;
}

// Sends a call and waits for its answer; nothing when it failed (the D-Bus error goes to
// the debug output), timed out or was abandoned through the abort hook.
std::optional<QDBusMessage> CallAndWait(const QDBusConnection& connection, const QDBusMessage& call) {
  QDBusPendingCall pending = connection.asyncCall(call, kCallTimeoutMs);
  auto pause = std::chrono::microseconds(20);
  auto lastPoll = std::chrono::steady_clock::now();
  while (!pending.isFinished()) {
    // Short pauses first: most answers come within a millisecond.
    std::this_thread::sleep_for(pause);
    pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll >= kPollEvery) {
      lastPoll = now;
      if (AutomationAbortHook::AbortRequested()) {
        DebugOutput(call.member().toStdString() + " on " + call.path().toStdString() + ": abandoned");
        return std::nullopt;
      }
    }
  }
  QDBusMessage reply = pending.reply();
  if (reply.type() == QDBusMessage::ErrorMessage) {
    DebugOutput(call.interface().toStdString() + "." + call.member().toStdString() + " on " + call.service().toStdString() +
                " " + call.path().toStdString() + ": " + reply.errorName().toStdString() + ": " +
                reply.errorMessage().toStdString());
    return std::nullopt;
  }
  return reply;
}

// One D-Bus object as a dispatch object. Objects made from object paths in replies learn
// their members when first asked.
class DBusObject final : public CountedAutomation {
 public:
  DBusObject(QDBusConnection connection, std::string busName, std::string path, std::string onlyInterface)
      : connection_(std::move(connection)), busName_(std::move(busName)), path_(std::move(path)),
        onlyInterface_(std::move(onlyInterface)) {}

  const std::string& Path() const noexcept { return path_; }

  // Reads the members; false when the object cannot be introspected or offers none.
  bool Introspect() {
    introspected_ = true;
    QDBusMessage call = Message("org.freedesktop.DBus.Introspectable", "Introspect");
    const auto reply = CallAndWait(connection_, call);
    if (!reply) return false;
    const auto interfaces = dbus::ParseIntrospection(reply->arguments().value(0).toString().toStdString());
    if (!interfaces) {
      DebugOutput(busName_ + " " + path_ + ": unreadable introspection data");
      return false;
    }
    members_ = dbus::MemberTable(*interfaces, busName_, onlyInterface_);
    if (members_.empty()) {
      DebugOutput(busName_ + " " + path_ + (onlyInterface_.empty() ? ": no interface" : ": no interface " + onlyInterface_));
      return false;
    }
    return true;
  }

  std::optional<std::int32_t> IdOfName(std::string_view name) override {
    if (!introspected_) Introspect();
    const auto index = dbus::FindMember(members_, name);
    if (!index) return std::nullopt;
    return static_cast<std::int32_t>(*index) + 1;
  }

  bool Invoke(std::int32_t dispId, InvokeKind kind, const std::vector<Variant>& reversedArgs, Variant& result) override {
    if (dispId < 1 || static_cast<std::size_t>(dispId) > members_.size()) return false;
    const Member& m = members_[static_cast<std::size_t>(dispId) - 1];
    switch (kind) {
      case InvokeKind::PropertyGet:
        return m.kind == Member::Kind::Property && m.readable && reversedArgs.empty() && GetProperty(m, result);
      case InvokeKind::PropertyPut:
        return m.kind == Member::Kind::Property && m.writable && reversedArgs.size() == 1 &&
               SetProperty(m, reversedArgs[0]);
      case InvokeKind::Method:
        return m.kind == Member::Kind::Method && CallMethod(m, reversedArgs, result);
    }
    return false;
  }

  std::vector<std::string> PropertyNames() override {
    if (!introspected_) Introspect();
    std::vector<std::string> names;
    for (const Member& m : members_) {
      if (m.kind != Member::Kind::Property || !m.readable) continue;
      if (std::find(names.begin(), names.end(), m.name) == names.end()) names.push_back(m.name);
    }
    return names;
  }

 private:
  QDBusMessage Message(const std::string& interfaceName, const std::string& member) const {
    return QDBusMessage::createMethodCall(QString::fromStdString(busName_), QString::fromStdString(path_),
                                          QString::fromStdString(interfaceName), QString::fromStdString(member));
  }

  std::optional<QVariant> Convert(const Variant& value, const std::string& type, const Member& m) const {
    auto converted = dbus::ToDBus(value, type, [](Automation* object) -> std::optional<std::string> {
      if (const auto* d = dynamic_cast<const DBusObject*>(object)) return d->Path();
      return std::nullopt;
    });
    if (!converted) DebugOutput(m.interfaceName + "." + m.name + ": a value does not convert to " + type);
    return converted;
  }

  Variant FromReply(const QVariant& value) const {
    return dbus::FromDBus(value, [this](const std::string& path) {
      return Variant::FromDispatch(new DBusObject(connection_, busName_, path, std::string()));
    });
  }

  bool GetProperty(const Member& m, Variant& result) {
    QDBusMessage call = Message(kPropertiesInterface.toStdString(), "Get");
    call << QString::fromStdString(m.interfaceName) << QString::fromStdString(m.name);
    const auto reply = CallAndWait(connection_, call);
    if (!reply || reply->arguments().isEmpty()) return false;
    result = FromReply(reply->arguments().front());
    return true;
  }

  bool SetProperty(const Member& m, const Variant& value) {
    const auto converted = Convert(value, m.type, m);
    if (!converted) return false;
    QDBusMessage call = Message(kPropertiesInterface.toStdString(), "Set");
    call << QString::fromStdString(m.interfaceName) << QString::fromStdString(m.name)
         << QVariant::fromValue(QDBusVariant(*converted));
    return CallAndWait(connection_, call).has_value();
  }

  bool CallMethod(const Member& m, const std::vector<Variant>& reversedArgs, Variant& result) {
    const std::size_t given = reversedArgs.size();
    if (given > m.inTypes.size()) {
      DebugOutput(m.interfaceName + "." + m.name + ": too many arguments");
      return false;
    }
    QList<QVariant> args;
    const Variant missing;  // missing trailing arguments take their type's zero value
    for (std::size_t i = 0; i < m.inTypes.size(); ++i) {
      const auto converted = Convert(i < given ? reversedArgs[given - 1 - i] : missing, m.inTypes[i], m);
      if (!converted) return false;
      args.push_back(*converted);
    }
    QDBusMessage call = Message(m.interfaceName, m.name);
    call.setArguments(args);
    const auto reply = CallAndWait(connection_, call);
    if (!reply) return false;
    const QList<QVariant> out = reply->arguments();
    if (out.isEmpty()) {
      result = Variant();
    } else if (out.size() == 1) {
      result = FromReply(out.front());
    } else {
      std::vector<Variant> items;
      for (const QVariant& q : out) items.push_back(FromReply(q));
      result = AutomationCollection::List(std::move(items));
    }
    return true;
  }

  QDBusConnection connection_;
  std::string busName_;
  std::string path_;
  std::string onlyInterface_;
  bool introspected_ = false;
  std::vector<Member> members_;
};

}  // namespace

Variant CreateAutomationObject(std::string_view programId) {
  const auto id = ParseProgramId(programId);
  if (!id) {
    DebugOutput("malformed program id: " + std::string(programId));
    return Variant();
  }
  auto connection = Connect(id->bus);
  if (!connection) return Variant();
  auto* object = new DBusObject(std::move(*connection), id->busName, id->objectPath, id->interfaceName);
  Variant held = Variant::FromDispatch(object);
  if (!object->Introspect()) return Variant();
  return held;
}

}  // namespace velkoran::platform
