// The member table of a D-Bus object as the automation backend sees it: read from the
// object's introspection data, interfaces merged in the order scripts rely on, names
// looked up exactly first and then without regard to case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform::dbus {

struct Member {
  enum class Kind { Method, Property };
  Kind kind = Kind::Method;
  std::string interfaceName;
  std::string name;
  std::vector<std::string> inTypes;  // method: one complete type per in-argument
  std::string type;                  // property: its type
  bool readable = false;             // property
  bool writable = false;             // property
};

struct Interface {
  std::string name;
  std::vector<Member> members;
};

// The interfaces that the object itself declares, in document order (child nodes are not
// looked into); nothing when the text is not introspection data or a signature in it is
// malformed.
std::optional<std::vector<Interface>> ParseIntrospection(std::string_view xml);

// The members scripts see. With `only` set, that interface's members (nothing when the
// object lacks it). Otherwise every interface but the standard Introspectable, Properties
// and Peer: the one named like the bus name first, then the others in document order.
std::vector<Member> MemberTable(const std::vector<Interface>& interfaces, std::string_view busName,
                                std::string_view only);

// Position of a member name: "Interface.Name.Member" picks that interface's member; a plain
// name finds the first member with exactly that name, else the first one that differs only
// in the case of ASCII letters (interfaces of a qualified name match the same way).
std::optional<std::size_t> FindMember(const std::vector<Member>& table, std::string_view name);

// The single complete types of a signature ("sa{sv}i" → s, a{sv}, i); nothing when it is
// malformed.
std::optional<std::vector<std::string>> SplitSignature(std::string_view signature);

}  // namespace velkoran::platform::dbus
