#include "platform/automation_dbus_values.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QMap>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "platform/automation_collection.h"
#include "platform/automation_dbus_members.h"
#include "platform/automation_ids.h"
#include "platform/codepage.h"

namespace velkoran::platform::dbus {
namespace {

using Type = Variant::Type;
using StringMap = QMap<QString, QString>;

bool IsNothing(const Variant& v) { return v.type == Type::Empty || v.type == Type::Null; }

QString Utf8Text(std::string_view codePageText) { return QString::fromStdString(ToUtf8(codePageText)); }

Variant TextVariant(std::string text) {
  Variant v;
  v.type = Type::String;
  v.strValue = std::move(text);
  return v;
}

Variant IntegerVariant(Type type, std::int32_t n) {
  Variant v;
  v.type = type;
  v.intValue = n;
  return v;
}

Variant NumberVariant(double d) {
  Variant v;
  v.type = Type::Double;
  v.numValue = d;
  return v;
}

// 64-bit and unsigned 32-bit values: an integer when they fit, else a double.
template <typename T>
Variant WideInteger(T n) {
  if (n >= static_cast<T>(std::numeric_limits<std::int32_t>::min()) &&
      n <= static_cast<T>(std::numeric_limits<std::int32_t>::max()))
    return IntegerVariant(Type::Int32, static_cast<std::int32_t>(n));
  return NumberVariant(static_cast<double>(n));
}

std::string NumberText(double d) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

// A decimal number written alone (spaces around it allowed).
std::optional<double> ParseNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  double d = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), d);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return d;
}

std::optional<double> NumberOf(const Variant& v) {
  switch (v.type) {
    case Type::Empty:
    case Type::Null:
      return 0.0;
    case Type::Int16:
    case Type::Int32:
    case Type::Byte:
      return v.intValue;
    case Type::Single:
    case Type::Double:
      return v.numValue;
    case Type::Bool:
      return v.boolValue ? 1.0 : 0.0;
    case Type::String:
      return ParseNumber(v.strValue);
    default:
      return std::nullopt;
  }
}

// The value as a whole number of T: nothing when it has a fraction or lies outside T.
template <typename T>
std::optional<QVariant> Whole(const Variant& v) {
  const auto d = NumberOf(v);
  if (!d || !std::isfinite(*d) || std::trunc(*d) != *d) return std::nullopt;
  const double limit = std::ldexp(1.0, std::numeric_limits<T>::digits);  // exact, one past the top
  if (*d >= limit || *d < (std::is_signed_v<T> ? -limit : 0.0)) return std::nullopt;
  return QVariant::fromValue(static_cast<T>(*d));
}

// The text of a scalar in the code page; nothing for dispatch values and the like.
std::optional<std::string> ScalarText(const Variant& v) {
  switch (v.type) {
    case Type::Empty:
    case Type::Null:
      return std::string();
    case Type::Int16:
    case Type::Int32:
    case Type::Byte:
      return std::to_string(v.intValue);
    case Type::Single:
    case Type::Double:
      return NumberText(v.numValue);
    case Type::Bool:
      return std::string(v.boolValue ? "true" : "false");
    case Type::String:
      return v.strValue;
    default:
      return std::nullopt;
  }
}

std::optional<QVariant> ObjectPath(const Variant& v, const PathOfDispatch& pathOf) {
  std::optional<std::string> path;
  if (IsNothing(v)) path = "/";
  if (v.type == Type::String && IsValidObjectPath(v.strValue)) path = v.strValue;
  if (v.type == Type::Dispatch && v.dispValue != nullptr && pathOf) path = pathOf(v.dispValue);
  if (!path) return std::nullopt;
  return QVariant::fromValue(QDBusObjectPath(QString::fromStdString(*path)));
}

// The value with a D-Bus type of its own, for a variant.
std::optional<QVariant> OwnType(const Variant& v, const PathOfDispatch& pathOf) {
  switch (v.type) {
    case Type::Int16:
    case Type::Int32:
      return QVariant::fromValue(static_cast<int>(v.intValue));
    case Type::Byte:
      return QVariant::fromValue(static_cast<uchar>(v.intValue));
    case Type::Single:
    case Type::Double:
      return QVariant::fromValue(v.numValue);
    case Type::Bool:
      return QVariant::fromValue(v.boolValue);
    case Type::Empty:
    case Type::Null:
    case Type::String:
      return QVariant::fromValue(Utf8Text(v.strValue));
    case Type::Dispatch:
      break;
    case Type::Other:
      return std::nullopt;
  }
  const AutomationCollection* c = AutomationCollection::Of(v);
  if (c == nullptr) return ObjectPath(v, pathOf);
  if (c->IsDictionary()) {
    QVariantMap map;
    for (const auto& e : c->Entries()) {
      auto item = OwnType(e.value, pathOf);
      if (!item) return std::nullopt;
      map.insert(Utf8Text(e.key), *item);
    }
    return QVariant::fromValue(map);
  }
  QVariantList list;
  for (const auto& e : c->Entries()) {
    auto item = OwnType(e.value, pathOf);
    if (!item) return std::nullopt;
    list.push_back(*item);
  }
  return QVariant::fromValue(list);
}

constexpr std::string_view kIntegerCodes = "ynqiuxt";

// Calls f with a value of the C++ type that Qt sends as the integer type `code`.
template <typename F>
std::optional<QVariant> WithIntegerType(char code, F&& f) {
  switch (code) {
    case 'y': return f(uchar{});
    case 'n': return f(short{});
    case 'q': return f(ushort{});
    case 'i': return f(int{});
    case 'u': return f(uint{});
    case 'x': return f(qlonglong{});
    case 't': return f(qulonglong{});
    default: return std::nullopt;
  }
}

template <typename T>
QVariant ListOf(const QVariantList& items) {
  QList<T> out;
  out.reserve(items.size());
  for (const QVariant& q : items) out.push_back(q.value<T>());
  return QVariant::fromValue(out);
}

// Converted elements as the container Qt sends for an array of `element`.
std::optional<QVariant> PackArray(const QVariantList& items, std::string_view element) {
  if (element == "v") return QVariant::fromValue(items);
  if (element == "s") {
    QStringList out;
    for (const QVariant& q : items) out.push_back(q.toString());
    return QVariant::fromValue(out);
  }
  if (element == "y") {
    QByteArray out;
    for (const QVariant& q : items) out.push_back(static_cast<char>(q.value<uchar>()));
    return QVariant::fromValue(out);
  }
  if (element.size() != 1) return std::nullopt;
  if (kIntegerCodes.find(element[0]) != std::string_view::npos) {
    return WithIntegerType(element[0], [&items](auto type) { return ListOf<decltype(type)>(items); });
  }
  switch (element[0]) {
    case 'b': return ListOf<bool>(items);
    case 'd': return ListOf<double>(items);
    case 'o': return ListOf<QDBusObjectPath>(items);
    case 'g': return ListOf<QDBusSignature>(items);
    default: return std::nullopt;
  }
}

// An array from a list collection (its items), empty or null (no items), a text for bytes
// (its raw bytes, so names that are not UTF-8 survive), or any other value (one item).
std::optional<QVariant> ToArray(const Variant& v, std::string_view element, const PathOfDispatch& pathOf) {
  if (element == "y" && v.type == Type::String) {
    return QVariant::fromValue(QByteArray(v.strValue.data(), static_cast<qsizetype>(v.strValue.size())));
  }
  std::vector<const Variant*> items;
  if (const AutomationCollection* c = AutomationCollection::Of(v)) {
    if (c->IsDictionary()) return std::nullopt;
    for (const auto& e : c->Entries()) items.push_back(&e.value);
  } else if (!IsNothing(v)) {
    items.push_back(&v);
  }
  QVariantList converted;
  for (const Variant* item : items) {
    auto q = element == "v" ? OwnType(*item, pathOf) : ToDBus(*item, element, pathOf);
    if (!q) return std::nullopt;
    converted.push_back(*q);
  }
  return PackArray(converted, element);
}

// a{sv} and a{ss} from a dictionary collection, or empty from empty or null.
std::optional<QVariant> ToDictionary(const Variant& v, std::string_view valueType, const PathOfDispatch& pathOf) {
  if (valueType != "v" && valueType != "s") return std::nullopt;
  const AutomationCollection* c = AutomationCollection::Of(v);
  if (c == nullptr ? !IsNothing(v) : !c->IsDictionary()) return std::nullopt;
  QVariantMap variants;
  StringMap strings;
  if (c != nullptr) {
    for (const auto& e : c->Entries()) {
      if (valueType == "v") {
        auto item = OwnType(e.value, pathOf);
        if (!item) return std::nullopt;
        variants.insert(Utf8Text(e.key), *item);
      } else {
        auto text = ScalarText(e.value);
        if (!text) return std::nullopt;
        strings.insert(Utf8Text(e.key), Utf8Text(*text));
      }
    }
  }
  return valueType == "v" ? QVariant::fromValue(variants) : QVariant::fromValue(strings);
}

// --- from the bus

Variant BytesText(const QByteArray& bytes) {
  std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (!text.empty() && text.back() == '\0') text.pop_back();  // the usual terminator of a file name
  return TextVariant(std::move(text));
}

Variant FromArgument(const QDBusArgument& arg, const DispatchForPath& objectFor);

std::string KeyText(const QVariant& key) {
  if (key.metaType() == QMetaType::fromType<QDBusObjectPath>()) return key.value<QDBusObjectPath>().path().toStdString();
  return ScalarText(FromDBus(key, nullptr)).value_or(std::string());
}

Variant FromArgument(const QDBusArgument& arg, const DispatchForPath& objectFor) {
  switch (arg.currentType()) {
    case QDBusArgument::BasicType:
    case QDBusArgument::VariantType:
      return FromDBus(arg.asVariant(), objectFor);
    case QDBusArgument::ArrayType: {
      if (arg.currentSignature() == QLatin1String("ay")) {
        QByteArray bytes;
        arg >> bytes;
        return BytesText(bytes);
      }
      std::vector<Variant> items;
      arg.beginArray();
      while (!arg.atEnd()) items.push_back(FromArgument(arg, objectFor));
      arg.endArray();
      return AutomationCollection::List(std::move(items));
    }
    case QDBusArgument::StructureType: {
      std::vector<Variant> items;
      arg.beginStructure();
      while (!arg.atEnd()) items.push_back(FromArgument(arg, objectFor));
      arg.endStructure();
      return AutomationCollection::List(std::move(items));
    }
    case QDBusArgument::MapType: {
      std::vector<AutomationCollection::Entry> entries;
      arg.beginMap();
      while (!arg.atEnd()) {
        arg.beginMapEntry();
        std::string key = KeyText(arg.asVariant());
        Variant value = FromArgument(arg, objectFor);
        arg.endMapEntry();
        entries.push_back({std::move(key), std::move(value)});
      }
      arg.endMap();
      return AutomationCollection::Dictionary(std::move(entries));
    }
    default:
      return Variant();
  }
}

}  // namespace

std::optional<QVariant> ToDBus(const Variant& value, std::string_view type, const PathOfDispatch& pathOf) {
  static const bool registered = [] {
    qDBusRegisterMetaType<StringMap>();
    return true;
  }();
  (void)registered;
  if (type.size() > 1) {
    if (type[0] != 'a') return std::nullopt;  // structures are not sent
    if (type[1] == '{') {
      if (type.size() < 5 || type[2] != 's' || type.back() != '}') return std::nullopt;
      return ToDictionary(value, type.substr(3, type.size() - 4), pathOf);
    }
    return ToArray(value, type.substr(1), pathOf);
  }
  if (type.empty()) return std::nullopt;
  if (kIntegerCodes.find(type[0]) != std::string_view::npos) {
    return WithIntegerType(type[0], [&value](auto t) { return Whole<decltype(t)>(value); });
  }
  switch (type[0]) {
    case 'd': {
      const auto d = NumberOf(value);
      if (!d) return std::nullopt;
      return QVariant::fromValue(*d);
    }
    case 'b':
      if (value.type == Type::Bool) return QVariant::fromValue(value.boolValue);
      if (value.type == Type::String || value.type == Type::Dispatch || value.type == Type::Other) return std::nullopt;
      return QVariant::fromValue(NumberOf(value).value_or(0) != 0);
    case 's': {
      const auto text = ScalarText(value);
      if (!text) return std::nullopt;
      return QVariant::fromValue(Utf8Text(*text));
    }
    case 'o':
      return ObjectPath(value, pathOf);
    case 'g': {
      const auto text = ScalarText(value);
      if (!text || !SplitSignature(*text)) return std::nullopt;
      return QVariant::fromValue(QDBusSignature(QString::fromStdString(*text)));
    }
    case 'v': {
      auto inner = OwnType(value, pathOf);
      if (!inner) return std::nullopt;
      return QVariant::fromValue(QDBusVariant(*inner));
    }
    default:
      return std::nullopt;  // file descriptors and malformed types
  }
}

Variant FromDBus(const QVariant& value, const DispatchForPath& objectFor) {
  const QMetaType type = value.metaType();
  if (type == QMetaType::fromType<QDBusVariant>()) return FromDBus(value.value<QDBusVariant>().variant(), objectFor);
  if (type == QMetaType::fromType<QDBusArgument>()) return FromArgument(value.value<QDBusArgument>(), objectFor);
  if (type == QMetaType::fromType<QDBusObjectPath>()) {
    const std::string path = value.value<QDBusObjectPath>().path().toStdString();
    return objectFor ? objectFor(path) : TextVariant(path);
  }
  if (type == QMetaType::fromType<QDBusSignature>()) return TextVariant(value.value<QDBusSignature>().signature().toStdString());
  switch (type.id()) {
    case QMetaType::UChar:
      return IntegerVariant(Type::Byte, value.value<uchar>());
    case QMetaType::Short:
      return IntegerVariant(Type::Int16, value.value<short>());
    case QMetaType::UShort:
      return IntegerVariant(Type::Int32, value.value<ushort>());
    case QMetaType::Int:
      return IntegerVariant(Type::Int32, value.value<int>());
    case QMetaType::UInt:
      return WideInteger(value.value<uint>());
    case QMetaType::LongLong:
      return WideInteger(value.value<qlonglong>());
    case QMetaType::ULongLong:
      return WideInteger(value.value<qulonglong>());
    case QMetaType::Double:
      return NumberVariant(value.value<double>());
    case QMetaType::Bool: {
      Variant v;
      v.type = Type::Bool;
      v.boolValue = value.value<bool>();
      return v;
    }
    case QMetaType::QString:
      return TextVariant(FromUtf8(value.value<QString>().toStdString()));
    case QMetaType::QByteArray:
      return BytesText(value.value<QByteArray>());
    case QMetaType::QStringList: {
      std::vector<Variant> items;
      for (const QString& s : value.value<QStringList>()) items.push_back(TextVariant(FromUtf8(s.toStdString())));
      return AutomationCollection::List(std::move(items));
    }
    case QMetaType::QVariantList: {
      std::vector<Variant> items;
      for (const QVariant& q : value.value<QVariantList>()) items.push_back(FromDBus(q, objectFor));
      return AutomationCollection::List(std::move(items));
    }
    case QMetaType::QVariantMap: {
      std::vector<AutomationCollection::Entry> entries;
      const QVariantMap map = value.value<QVariantMap>();
      for (auto it = map.begin(); it != map.end(); ++it)
        entries.push_back({FromUtf8(it.key().toStdString()), FromDBus(it.value(), objectFor)});
      return AutomationCollection::Dictionary(std::move(entries));
    }
    default: {
      Variant other;
      other.type = Type::Other;  // file descriptors
      return other;
    }
  }
}

}  // namespace velkoran::platform::dbus
