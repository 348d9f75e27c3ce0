// Class descriptions: what a native class declares once for all its objects (its script
// name, native methods, published properties and how `new` creates an instance), and the
// builder that binds a C++ class's member functions into one. Script classes get a
// description with a name only. Descriptions are shared by every engine of the process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "script/function_record.h"
#include "script/shared_string.h"

namespace kestrin {

class TJObjectFactory;

// ---------------------------------------------------------------------------------------
// Class descriptions

enum class TJPropertyType : std::uint8_t { Integer, Boolean, Float, String, Object, Interface };

// A published property reads its native value as a TJValue of its type and is written
// with a value already converted to its type (see SetPublishedProperty).
using TJPropertyGetter = TJValue (*)(TJObject& self);
using TJPropertySetter = void (*)(TJObject& self, const TJValue& value);
using TJObjectCreator = std::unique_ptr<TJObject> (*)(TJObjectFactory* factory, const TJValueList* args);

struct TJMethodInfo {
  SharedString Name;
  std::uint32_t Hash;
  TJNativeMethod Method;
};

struct TJPropertyInfo {
  SharedString Name;
  std::uint32_t Hash;
  TJPropertyType Type;
  TJPropertyGetter Get;  // null: "set only"
  TJPropertySetter Set;  // null: "get only"
};

// What a class declares once: its script name, its native methods (registration order),
// its published properties (declaration order) and how to create an instance. Script
// classes get one with a name only.
class TJClassInfo {
 public:
  explicit TJClassInfo(std::string_view name, TJObjectCreator create = nullptr);
  TJClassInfo(const TJClassInfo&) = delete;
  TJClassInfo(TJClassInfo&&) = default;

  const SharedString& Name() const noexcept { return name_; }
  TJObjectCreator Creator() const noexcept { return create_; }
  const std::vector<TJMethodInfo>& Methods() const noexcept { return methods_; }
  const std::vector<TJPropertyInfo>& Properties() const noexcept { return properties_; }
  const TJMethodInfo* FindMethod(std::string_view name, std::uint32_t hash) const noexcept {
    return MayHave(methodFilter_, hash) ? LookupMethod(name, hash) : nullptr;
  }
  const TJPropertyInfo* FindProperty(std::string_view name, std::uint32_t hash) const noexcept {
    return MayHave(propertyFilter_, hash) ? LookupProperty(name, hash) : nullptr;
  }

  // Registering a name again replaces the earlier entry.
  void AddMethod(std::string_view name, TJNativeMethod method);
  void AddProperty(std::string_view name, TJPropertyType type, TJPropertyGetter get, TJPropertySetter set);

 private:
  SharedString name_;
  TJObjectCreator create_;
  std::vector<TJMethodInfo> methods_;
  std::vector<TJPropertyInfo> properties_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> methodIndex_;  // (hash, method), sorted
  // Two bits per name in 256 (a small Bloom filter): most misses stop at the filter.
  using Filter = std::uint64_t[4];
  static bool MayHave(const Filter& f, std::uint32_t hash) noexcept {
    const std::uint32_t a = hash & 255;
    const std::uint32_t b = (hash >> 8) & 255;
    return ((f[a >> 6] >> (a & 63)) & (f[b >> 6] >> (b & 63)) & 1) != 0;
  }
  static void Note(Filter& f, std::uint32_t hash) noexcept {
    const std::uint32_t a = hash & 255;
    const std::uint32_t b = (hash >> 8) & 255;
    f[a >> 6] |= std::uint64_t{1} << (a & 63);
    f[b >> 6] |= std::uint64_t{1} << (b & 63);
  }
  Filter methodFilter_ = {0, 0, 0, 0};
  Filter propertyFilter_ = {0, 0, 0, 0};

  const TJMethodInfo* LookupMethod(std::string_view name, std::uint32_t hash) const noexcept;
  const TJPropertyInfo* LookupProperty(std::string_view name, std::uint32_t hash) const noexcept;
};

// Builds a class description for the C++ class C, binding member functions:
//   static const TJClassInfo& Info() {
//     static const TJClassInfo info = TJClassBuilder<C>("Array")
//         .Method<&C::Push>("push")
//         .Property<&C::GetLength>("length", TJPropertyType::Integer)
//         .Build();
//     return info;
//   }
// Methods are `void C::M(TJValueList& args, TJValue& result)`; getters
// `TJValue C::G()`; setters `void C::S(const TJValue& v)`. C must be constructible from
// (TJObjectFactory*, const TJValueList*) for `new` to create it; Build(false) makes a
// description without a creator.
template <typename C>
class TJClassBuilder {
 public:
  explicit TJClassBuilder(std::string_view name) : name_(name) {}

  template <void (C::*M)(TJValueList&, TJValue&)>
  TJClassBuilder& Method(std::string_view name) {
    methods_.push_back({std::string(name), [](TJObject& self, TJValueList& args, TJValue& result) {
                          (static_cast<C&>(self).*M)(args, result);
                        }});
    return *this;
  }

  template <TJValue (C::*G)()>
  TJClassBuilder& Property(std::string_view name, TJPropertyType type) {
    properties_.push_back({std::string(name), type, [](TJObject& self) { return (static_cast<C&>(self).*G)(); }, nullptr});
    return *this;
  }

  template <TJValue (C::*G)(), void (C::*S)(const TJValue&)>
  TJClassBuilder& Property(std::string_view name, TJPropertyType type) {
    properties_.push_back({std::string(name), type, [](TJObject& self) { return (static_cast<C&>(self).*G)(); },
                           [](TJObject& self, const TJValue& v) { (static_cast<C&>(self).*S)(v); }});
    return *this;
  }

  // A property with no getter (reading it raises "set only").
  template <void (C::*S)(const TJValue&)>
  TJClassBuilder& SetOnlyProperty(std::string_view name, TJPropertyType type) {
    properties_.push_back({std::string(name), type, nullptr,
                           [](TJObject& self, const TJValue& v) { (static_cast<C&>(self).*S)(v); }});
    return *this;
  }

  TJClassInfo Build(bool creatable = true) const;

 private:
  struct PendingMethod {
    std::string name;
    TJNativeMethod method;
  };
  struct PendingProperty {
    std::string name;
    TJPropertyType type;
    TJPropertyGetter get;
    TJPropertySetter set;
  };
  std::string name_;
  std::vector<PendingMethod> methods_;
  std::vector<PendingProperty> properties_;
};

// ---------------------------------------------------------------------------------------

template <typename C>
TJClassInfo TJClassBuilder<C>::Build(bool creatable) const {
  TJObjectCreator create = nullptr;
  if constexpr (std::is_constructible_v<C, TJObjectFactory*, const TJValueList*>) {
    if (creatable) {
      create = [](TJObjectFactory* f, const TJValueList* a) -> std::unique_ptr<TJObject> {
        return std::make_unique<C>(f, a);
      };
    }
  }
  TJClassInfo info(name_, create);
  for (const auto& m : methods_) info.AddMethod(m.name, m.method);
  for (const auto& p : properties_) info.AddProperty(p.name, p.type, p.get, p.set);
  return info;
}

}  // namespace kestrin
