// Conversions between the automation seam's variants and the values Qt puts on and takes
// off the D-Bus, driven by the D-Bus type on the way out and by the value on the way back.
// Strings cross between the system code page and UTF-8; byte arrays carry raw bytes.
// docs/automation.md holds the table.
#pragma once

#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation.h"

namespace velkoran::platform::dbus {

// The object path of a dispatch object that stands for a D-Bus object, or nothing.
using PathOfDispatch = std::function<std::optional<std::string>(Automation* object)>;
// A dispatch value for an object path that a reply holds.
using DispatchForPath = std::function<Variant(const std::string& path)>;

// The value as the single complete type `type`, or nothing when it does not convert (a
// number out of range or not whole, a text where a number belongs, a type the backend
// cannot send). Empty and null give the type's zero value.
std::optional<QVariant> ToDBus(const Variant& value, std::string_view type, const PathOfDispatch& pathOf);

// A value from a reply (or a property): numbers by size, texts in the code page, byte
// arrays as texts of their bytes, object paths as dispatch values, variants unwrapped,
// arrays, structures and dictionaries as collections.
Variant FromDBus(const QVariant& value, const DispatchForPath& objectFor);

}  // namespace velkoran::platform::dbus
