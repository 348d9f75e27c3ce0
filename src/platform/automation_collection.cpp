#include "platform/automation_collection.h"

#include <charconv>
#include <cmath>

#include "platform/ascii.h"

namespace velkoran::platform {
namespace {

// Dispatch ids: the fixed members first, then one per entry.
enum : std::int32_t { kCountId = 1, kLengthId = 2, kItemId = 3, kFirstEntryId = 4 };
constexpr std::string_view kFixedNames[] = {"Count", "length", "Item"};

Variant Int32Variant(std::int32_t n) {
  Variant v;
  v.type = Variant::Type::Int32;
  v.intValue = n;
  return v;
}

// A position given as a whole number (or its decimal text); nothing otherwise.
std::optional<std::size_t> PositionOf(const Variant& v) {
  switch (v.type) {
    case Variant::Type::Int16:
    case Variant::Type::Int32:
    case Variant::Type::Byte:
      if (v.intValue >= 0) return static_cast<std::size_t>(v.intValue);
      return std::nullopt;
    case Variant::Type::Single:
    case Variant::Type::Double:
      if (v.numValue >= 0 && v.numValue < 4294967296.0 && std::trunc(v.numValue) == v.numValue)
        return static_cast<std::size_t>(v.numValue);
      return std::nullopt;
    case Variant::Type::String: {
      std::size_t n = 0;
      const char* end = v.strValue.data() + v.strValue.size();
      const auto r = std::from_chars(v.strValue.data(), end, n);
      if (r.ec == std::errc() && r.ptr == end && !v.strValue.empty()) return n;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::size_t> FindName(const std::vector<std::string_view>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return i;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (EqualsAsciiNoCase(names[i], name)) return i;
  }
  return std::nullopt;
}

Variant AutomationCollection::List(std::vector<Variant> items) {
  std::vector<Entry> entries;
  entries.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) entries.push_back({std::to_string(i), std::move(items[i])});
  return Variant::FromDispatch(new AutomationCollection(std::move(entries), false));
}

Variant AutomationCollection::Dictionary(std::vector<Entry> entries) {
  return Variant::FromDispatch(new AutomationCollection(std::move(entries), true));
}

const AutomationCollection* AutomationCollection::Of(const Variant& v) {
  return v.type == Variant::Type::Dispatch ? dynamic_cast<const AutomationCollection*>(v.dispValue) : nullptr;
}

std::optional<std::int32_t> AutomationCollection::IdOfName(std::string_view name) {
  std::vector<std::string_view> names(std::begin(kFixedNames), std::end(kFixedNames));
  for (const Entry& e : entries_) names.push_back(e.key);
  const auto index = FindName(names, name);
  if (!index) return std::nullopt;
  return static_cast<std::int32_t>(*index) + kCountId;
}

const AutomationCollection::Entry* AutomationCollection::EntryForItem(const Variant& which) const {
  if (dictionary_ && which.type == Variant::Type::String) {
    std::vector<std::string_view> keys;
    for (const Entry& e : entries_) keys.push_back(e.key);
    const auto index = FindName(keys, which.strValue);
    return index ? &entries_[*index] : nullptr;
  }
  const auto position = PositionOf(which);
  return position && *position < entries_.size() ? &entries_[*position] : nullptr;
}

bool AutomationCollection::Invoke(std::int32_t dispId, InvokeKind kind, const std::vector<Variant>& reversedArgs,
                                  Variant& result) {
  if (dispId == kItemId) {
    // Item is a method: reading it as a property fails, so scripts get a method value.
    if (kind != InvokeKind::Method || reversedArgs.size() != 1) return false;
    const Entry* e = EntryForItem(reversedArgs[0]);
    if (e == nullptr) return false;
    result = e->value;
    return true;
  }
  if (kind != InvokeKind::PropertyGet || !reversedArgs.empty()) return false;
  if (dispId == kCountId || dispId == kLengthId) {
    result = Int32Variant(static_cast<std::int32_t>(entries_.size()));
    return true;
  }
  const std::int64_t index = static_cast<std::int64_t>(dispId) - kFirstEntryId;
  if (index < 0 || index >= static_cast<std::int64_t>(entries_.size())) return false;
  result = entries_[static_cast<std::size_t>(index)].value;
  return true;
}

std::vector<std::string> AutomationCollection::PropertyNames() {
  std::vector<std::string> names;
  names.reserve(entries_.size());
  for (const Entry& e : entries_) names.push_back(e.key);
  return names;
}

}  // namespace velkoran::platform
