#include "script/class_info.h"

#include <algorithm>

#include "script/hash_table.h"

namespace kestrin {

// Class descriptions

TJClassInfo::TJClassInfo(std::string_view name, TJObjectCreator create) : name_(name), create_(create) {}

const TJMethodInfo* TJClassInfo::LookupMethod(std::string_view name, std::uint32_t hash) const noexcept {
  auto it = std::lower_bound(methodIndex_.begin(), methodIndex_.end(), hash,
                             [](const auto& e, std::uint32_t h) { return e.first < h; });
  for (; it != methodIndex_.end() && it->first == hash; ++it) {
    const TJMethodInfo& m = methods_[it->second];
    if (m.Name.view() == name) return &m;
  }
  return nullptr;
}

const TJPropertyInfo* TJClassInfo::LookupProperty(std::string_view name, std::uint32_t hash) const noexcept {
  for (const TJPropertyInfo& p : properties_) {
    if (p.Hash == hash && p.Name.view() == name) return &p;
  }
  return nullptr;
}

void TJClassInfo::AddMethod(std::string_view name, TJNativeMethod method) {
  const std::uint32_t hash = HashName(name);
  for (TJMethodInfo& m : methods_) {
    if (m.Hash == hash && m.Name.view() == name) {
      m.Method = method;
      return;
    }
  }
  methods_.push_back({SharedString(name), hash, method});
  Note(methodFilter_, hash);
  methodIndex_.emplace_back(hash, static_cast<std::uint32_t>(methods_.size() - 1));
  std::sort(methodIndex_.begin(), methodIndex_.end());
}

void TJClassInfo::AddProperty(std::string_view name, TJPropertyType type, TJPropertyGetter get, TJPropertySetter set) {
  // The component's own "Name" and "Tag" are never shown to scripts.
  if (name == "Name" || name == "Tag") return;
  const std::uint32_t hash = HashName(name);
  for (TJPropertyInfo& p : properties_) {
    if (p.Hash == hash && p.Name.view() == name) {
      p = {SharedString(name), hash, type, get, set};
      return;
    }
  }
  properties_.push_back({SharedString(name), hash, type, get, set});
  Note(propertyFilter_, hash);
}

}  // namespace kestrin
