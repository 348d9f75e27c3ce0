#include "platform/automation_ids.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/automation_collection.h"

namespace velkoran::platform {
namespace {

TEST(ProgramIds, PartsAndDefaults) {
  struct Case {
    const char* id;
    BusKind bus;
    const char* name;
    const char* path;
    const char* iface;
  };
  const Case cases[] = {
      {"org.freedesktop.Notifications", BusKind::Session, "org.freedesktop.Notifications",
       "/org/freedesktop/Notifications", ""},
      {"session:org.example.App", BusKind::Session, "org.example.App", "/org/example/App", ""},
      {"system:org.freedesktop.UDisks2/org/freedesktop/UDisks2/block_devices/sda1#org.freedesktop.UDisks2.Filesystem",
       BusKind::System, "org.freedesktop.UDisks2", "/org/freedesktop/UDisks2/block_devices/sda1",
       "org.freedesktop.UDisks2.Filesystem"},
      {"org.my-app.Tool2#org.my_app.Tool", BusKind::Session, "org.my-app.Tool2", "/org/my_app/Tool2", "org.my_app.Tool"},
      {"org.example.App/", BusKind::Session, "org.example.App", "/", ""},
      {":1.42", BusKind::Session, ":1.42", "/", ""},
      {"system::1.7/x", BusKind::System, ":1.7", "/x", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const auto id = ParseProgramId(c.id);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->bus, c.bus);
    EXPECT_EQ(id->busName, c.name);
    EXPECT_EQ(id->objectPath, c.path);
    EXPECT_EQ(id->interfaceName, c.iface);
  }
}

TEST(ProgramIds, MalformedIdsAreRefused) {
  for (const char* id : {"", "Notifications", "org..example", ".org.example", "org.example.", "org.1example.App",
                         "org.example.App/path/", "org.example.App//x", "org.example.App/a-b", "org.example.App#",
                         "org.example.App#Iface", "org.example.App#org.my-app.Tool", "other:org.example.App",
                         "session:", "system:/x", "org.ex ample.App", ":", ":1"}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(ParseProgramId(id).has_value());
  }
  EXPECT_FALSE(ParseProgramId(std::string(256, 'a') + ".b").has_value());
}

TEST(BusAddresses, FromTheEnvironmentNeverStartingABus) {
  struct Case {
    const char* name;
    BusKind bus;
    std::map<std::string, std::string> env;
    bool socketExists;
    std::optional<std::string> address;
  };
  const Case cases[] = {
      {"session variable", BusKind::Session, {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/s"}}, false, "unix:path=/s"},
      {"runtime socket", BusKind::Session, {{"XDG_RUNTIME_DIR", "/run/user/7"}}, true, "unix:path=/run/user/7/bus"},
      {"no socket", BusKind::Session, {{"XDG_RUNTIME_DIR", "/run/user/7"}}, false, std::nullopt},
      {"nothing at all", BusKind::Session, {}, true, std::nullopt},
      {"autolaunch", BusKind::Session, {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/gone;autolaunch:"}}, true, std::nullopt},
      {"system variable", BusKind::System, {{"DBUS_SYSTEM_BUS_ADDRESS", "tcp:host=127.0.0.1,port=5"}}, false,
       "tcp:host=127.0.0.1,port=5"},
      {"system socket", BusKind::System, {}, true, "unix:path=/var/run/dbus/system_bus_socket"},
      {"no system bus", BusKind::System, {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/s"}}, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto address = BusAddress(
        c.bus,
        [&c](const char* name) -> std::optional<std::string> {
          const auto it = c.env.find(name);
          if (it == c.env.end()) return std::nullopt;
          return it->second;
        },
        [&c](const std::string&) { return c.socketExists; });
    EXPECT_EQ(address, c.address);
  }
}

Variant Text(const char* s) {
  Variant v;
  v.type = Variant::Type::String;
  v.strValue = s;
  return v;
}

TEST(AutomationCollections, MembersEntriesAndItems) {
  Variant dict = AutomationCollection::Dictionary({{"Name", Text("a")}, {"name", Text("b")}, {"Count", Text("c")}});
  Automation& d = *dict.dispValue;
  EXPECT_EQ(d.PropertyNames(), (std::vector<std::string>{"Name", "name", "Count"}));
  // The fixed members come first; entry names match exactly first, then without case.
  EXPECT_EQ(d.IdOfName("Count"), 1);
  EXPECT_EQ(d.IdOfName("LENGTH"), 2);
  EXPECT_EQ(d.IdOfName("name"), 5);
  EXPECT_EQ(d.IdOfName("NAME"), 4);
  EXPECT_FALSE(d.IdOfName("missing").has_value());

  Variant out;
  ASSERT_TRUE(d.Invoke(2, InvokeKind::PropertyGet, {}, out));
  EXPECT_EQ(out.intValue, 3);
  ASSERT_TRUE(d.Invoke(5, InvokeKind::PropertyGet, {}, out));
  EXPECT_EQ(out.strValue, "b");
  ASSERT_TRUE(d.Invoke(3, InvokeKind::Method, {Text("name")}, out));
  EXPECT_EQ(out.strValue, "b");
  Variant two;
  two.type = Variant::Type::Double;
  two.numValue = 2;
  ASSERT_TRUE(d.Invoke(3, InvokeKind::Method, {two}, out));
  EXPECT_EQ(out.strValue, "c");
  // Item is a method and nothing can be written.
  EXPECT_FALSE(d.Invoke(3, InvokeKind::PropertyGet, {}, out));
  EXPECT_FALSE(d.Invoke(4, InvokeKind::PropertyPut, {Text("x")}, out));
  two.numValue = 3;
  EXPECT_FALSE(d.Invoke(3, InvokeKind::Method, {two}, out));
  two.numValue = 0.5;
  EXPECT_FALSE(d.Invoke(3, InvokeKind::Method, {two}, out));

  Variant list = AutomationCollection::List({Text("x"), Text("y")});
  EXPECT_EQ(list.dispValue->PropertyNames(), (std::vector<std::string>{"0", "1"}));
  ASSERT_TRUE(list.dispValue->Invoke(3, InvokeKind::Method, {Text("1")}, out));
  EXPECT_EQ(out.strValue, "y");
  EXPECT_FALSE(AutomationCollection::Of(list)->IsDictionary());
}

}  // namespace
}  // namespace velkoran::platform
