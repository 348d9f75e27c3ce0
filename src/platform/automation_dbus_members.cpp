#include "platform/automation_dbus_members.h"

#include <QXmlStreamReader>
#include <algorithm>

#include "platform/ascii.h"
#include "platform/automation_collection.h"

namespace velkoran::platform::dbus {
namespace {

constexpr std::string_view kBasicTypes = "ybnqiuxtdsogh";
constexpr std::string_view kHiddenInterfaces[] = {
    "org.freedesktop.DBus.Introspectable", "org.freedesktop.DBus.Properties", "org.freedesktop.DBus.Peer"};
// Arrays and structures may nest 32 deep each on the wire.
constexpr int kMaxNesting = 64;

// End of the complete type that starts at pos, or npos.
std::size_t EndOfType(std::string_view sig, std::size_t pos, int depth) {
  if (pos >= sig.size() || depth > kMaxNesting) return std::string_view::npos;
  const char c = sig[pos];
  if (kBasicTypes.find(c) != std::string_view::npos || c == 'v') return pos + 1;
  if (c == 'a') {
    if (pos + 1 < sig.size() && sig[pos + 1] == '{') {
      if (pos + 2 >= sig.size() || kBasicTypes.find(sig[pos + 2]) == std::string_view::npos) return std::string_view::npos;
      const std::size_t end = EndOfType(sig, pos + 3, depth + 1);
      if (end == std::string_view::npos || end >= sig.size() || sig[end] != '}') return std::string_view::npos;
      return end + 1;
    }
    return EndOfType(sig, pos + 1, depth + 1);
  }
  if (c == '(') {
    std::size_t p = pos + 1;
    if (p < sig.size() && sig[p] == ')') return std::string_view::npos;  // no empty structures
    while (p < sig.size() && sig[p] != ')') {
      p = EndOfType(sig, p, depth + 1);
      if (p == std::string_view::npos) return p;
    }
    return p < sig.size() ? p + 1 : std::string_view::npos;
  }
  return std::string_view::npos;
}

std::string Attribute(const QXmlStreamReader& xml, const char* name) {
  return xml.attributes().value(QLatin1String(name)).toString().toStdString();
}

// Reads one <method> or <property> element (the reader is on its start).
std::optional<Member> ReadMember(QXmlStreamReader& xml, const std::string& interfaceName) {
  Member m;
  m.interfaceName = interfaceName;
  m.name = Attribute(xml, "name");
  if (xml.name() == QLatin1String("property")) {
    m.kind = Member::Kind::Property;
    m.type = Attribute(xml, "type");
    const std::string access = Attribute(xml, "access");
    m.readable = access == "read" || access == "readwrite";
    m.writable = access == "write" || access == "readwrite";
    xml.skipCurrentElement();
    const auto types = SplitSignature(m.type);
    if (!types || types->size() != 1) return std::nullopt;
    return m;
  }
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("arg") && Attribute(xml, "direction") != "out") {
      const auto types = SplitSignature(Attribute(xml, "type"));
      if (!types || types->size() != 1) return std::nullopt;
      m.inTypes.push_back(types->front());
    }
    xml.skipCurrentElement();
  }
  return m;
}

}  // namespace

std::optional<std::vector<std::string>> SplitSignature(std::string_view signature) {
  std::vector<std::string> types;
  std::size_t pos = 0;
  while (pos < signature.size()) {
    const std::size_t end = EndOfType(signature, pos, 0);
    if (end == std::string_view::npos) return std::nullopt;
    types.emplace_back(signature.substr(pos, end - pos));
    pos = end;
  }
  return types;
}

std::optional<std::vector<Interface>> ParseIntrospection(std::string_view text) {
  QXmlStreamReader xml(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("node")) return std::nullopt;
  std::vector<Interface> interfaces;
  while (xml.readNextStartElement()) {
    if (xml.name() != QLatin1String("interface")) {
      xml.skipCurrentElement();  // child nodes, annotations
      continue;
    }
    Interface iface;
    iface.name = Attribute(xml, "name");
    while (xml.readNextStartElement()) {
      if (xml.name() == QLatin1String("method") || xml.name() == QLatin1String("property")) {
        auto m = ReadMember(xml, iface.name);
        if (!m) return std::nullopt;
        iface.members.push_back(std::move(*m));
      } else {
        xml.skipCurrentElement();  // signals, annotations
      }
    }
    interfaces.push_back(std::move(iface));
  }
  if (xml.hasError()) return std::nullopt;
  return interfaces;
}

std::vector<Member> MemberTable(const std::vector<Interface>& interfaces, std::string_view busName,
                                std::string_view only) {
  std::vector<Member> table;
  auto append = [&table](const Interface& iface) { table.insert(table.end(), iface.members.begin(), iface.members.end()); };
  if (!only.empty()) {
    for (const Interface& iface : interfaces) {
      if (iface.name == only) {
        append(iface);
        break;
      }
    }
    return table;
  }
  for (const Interface& iface : interfaces) {
    if (iface.name == busName) append(iface);
  }
  for (const Interface& iface : interfaces) {
    const bool hidden = std::find(std::begin(kHiddenInterfaces), std::end(kHiddenInterfaces), iface.name) !=
                        std::end(kHiddenInterfaces);
    if (!hidden && iface.name != busName) append(iface);
  }
  return table;
}

std::optional<std::size_t> FindMember(const std::vector<Member>& table, std::string_view name) {
  const std::size_t dot = name.rfind('.');
  std::vector<std::string_view> names;
  std::vector<std::size_t> positions;
  if (dot == std::string_view::npos) {
    for (std::size_t i = 0; i < table.size(); ++i) {
      names.push_back(table[i].name);
      positions.push_back(i);
    }
  } else {
    const std::string_view iface = name.substr(0, dot);
    // The interface by its exact name when the object has it, else without regard to case.
    bool exact = false;
    for (const Member& m : table) exact = exact || m.interfaceName == iface;
    for (std::size_t i = 0; i < table.size(); ++i) {
      const bool match = exact ? table[i].interfaceName == iface : EqualsAsciiNoCase(table[i].interfaceName, iface);
      if (!match) continue;
      names.push_back(table[i].name);
      positions.push_back(i);
    }
    name = name.substr(dot + 1);
  }
  const auto found = FindName(names, name);
  if (!found) return std::nullopt;
  return positions[*found];
}

}  // namespace velkoran::platform::dbus
