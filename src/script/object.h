// The object model of the interpreter: member tables, script objects, callable records,
// value lists, class descriptions and the object factory.
//
// Member tables (TJHash) are compact: a small array of {name, hash, value} searched by
// hash first, with an index only once a table grows past a few entries. An object's
// members are a stack of such layers, one per class level (TJHashMembers). A class's
// native methods and published properties are described once per class (TJClassInfo),
// not copied into every object: a layer opened by a native class sees that class's
// methods as if they were entries of the layer. A method's callable record is made the
// first time a script reads it from an object and is then kept in the layer.
//
// Reference counting: an object's count counts the member-table entries and counting-list
// slots that hold it. Objects whose count falls to zero go on the factory's zero list; the
// engine sweeps that list at the end of every script call and at statement boundaries,
// freeing only objects created since the sweeping frame began (anything older may still
// be held by a temporary of an enclosing expression). See docs/interpreter.md.
//
// Everything here is used by one thread at a time; the class descriptions are shared by
// every engine of the process, so engines must not run on two threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "script/hash_table.h"
#include "script/shared_string.h"
#include "script/signals.h"
#include "script/small_vector.h"
#include "script/value.h"

namespace kestrin {

class TJObject;
class TJObjectFactory;
class TJEngine;
class TJValueList;
class TJClassInfo;
class TJSymbolTable;
struct TJStatement;

// ---------------------------------------------------------------------------------------
// Names

// A member name with its HashName, computed on first use unless the caller supplies it
// (the evaluator passes the hash the parser stored in the identifier node). When the
// caller already holds the name as a SharedString it may pass that too, so storing a new
// member shares the bytes instead of copying them.
class TJName {
 public:
  TJName(std::string_view text) noexcept : text_(text) {}  // NOLINT: names convert freely
  TJName(const char* text) noexcept : text_(text) {}       // NOLINT
  TJName(const std::string& text) noexcept : text_(text) {}  // NOLINT
  TJName(const SharedString& text) noexcept : text_(text.view()), shared_(&text) {}  // NOLINT
  TJName(std::string_view text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const std::string& text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const char* text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const SharedString& text, std::uint32_t hash) noexcept
      : text_(text.view()), shared_(&text), hash_(hash), hashed_(true) {}

  std::string_view Text() const noexcept { return text_; }
  std::uint32_t Hash() const noexcept {
    if (!hashed_) {
      hash_ = HashName(text_);
      hashed_ = true;
    }
    return hash_;
  }
  // The name as a shared string (shares the caller's when it gave one).
  SharedString Shared() const { return shared_ != nullptr ? *shared_ : SharedString(text_); }

 private:
  std::string_view text_;
  const SharedString* shared_ = nullptr;
  mutable std::uint32_t hash_ = 0;
  mutable bool hashed_ = false;
};

// ---------------------------------------------------------------------------------------
// Weak object links: callable records remember the object they are bound to without
// keeping it alive; when the object is freed the link reads as null.

struct TJObjectLink {
  TJObject* Object = nullptr;
  std::uint32_t Refs = 0;
};

class TJWeakObject {
 public:
  TJWeakObject() noexcept = default;
  TJWeakObject(const TJWeakObject&) = delete;
  TJWeakObject& operator=(const TJWeakObject&) = delete;
  ~TJWeakObject() { Reset(nullptr); }
  TJObject* Get() const noexcept { return link_ != nullptr ? link_->Object : nullptr; }
  void Reset(TJObject* object);

 private:
  TJObjectLink* link_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Callable records

// A native method: the object it was fetched from (its owner), the arguments, the result
// (undefined unless the method sets it).
using TJNativeMethod = void (*)(TJObject& self, TJValueList& args, TJValue& result);

enum class TJFunctionKind : std::uint8_t { Script = 0, Native = 1, Automation = 2, Class = 3, Module = 4 };

// The record behind every jkFunction value. Records are counted by the values that name
// them (value.h) and freed with the last one, so a function value never outlives its
// record. Objects are held weakly: a method whose owner is gone can no longer be called.
struct TJFunction : TJFunctionCount {
  TJFunction() = default;
  TJFunction(const TJFunction&) = delete;
  TJFunction& operator=(const TJFunction&) = delete;
  ~TJFunction();

  TJFunctionKind FuncKind = TJFunctionKind::Script;
  std::int32_t DispId = 0;                  // automation method: the member's dispatch id
  const TJStatement* Params = nullptr;      // script function: first parameter node
  IDispatchRef* Dispatch = nullptr;         // automation method: the object (counted)
  TJWeakObject This;                        // the object it was last fetched from as a member
  SharedString ScopeName;                   // script function: its module table's name
  const void* Definition = nullptr;         // declaration node, class node or module table
  TJNativeMethod Method = nullptr;          // native method: the routine
  TJWeakObject Owner;                       // native method: the object that registered it
  std::uint32_t Generation = 0;             // script function or class: the engine's run
  const void* Info = nullptr;               // the engine's prepared view of Definition

  TJObject* OwnerObject() const noexcept { return Owner.Get(); }
};

// Same callable: same kind and same identifying references.
bool SameCallable(const TJFunction& a, const TJFunction& b) noexcept;

// The function factory: each call makes a record and returns the value that names it.
namespace function_factory {
TJValue Native(TJNativeMethod method, TJObject* owner);
TJValue Automation(IDispatchRef* dispatch, std::int32_t dispId);
TJValue Script(const TJStatement* definition, const TJStatement* params, SharedString scopeName,
               std::uint32_t generation, const void* info);
TJValue Class(const TJStatement* definition, std::uint32_t generation);
TJValue Module(TJSymbolTable* table, std::uint32_t generation);
}  // namespace function_factory

// ---------------------------------------------------------------------------------------
// Value lists (arguments and array elements)

// Counts the object a value holds, if any (member tables and counting lists use these).
void RetainValue(const TJValue& v) noexcept;
void ReleaseValue(const TJValue& v) noexcept;

// An ordered list of values. A counting list (the elements of an Array) holds a count on
// every object it contains. Small lists live inside the list itself.
class TJValueList {
 public:
  explicit TJValueList(bool counting = false) noexcept : counting_(counting) {}
  TJValueList(const TJValueList&) = delete;
  TJValueList& operator=(const TJValueList&) = delete;
  ~TJValueList() { Clear(); }

  bool Counting() const noexcept { return counting_; }
  std::size_t Count() const noexcept { return items_.size(); }

  void Add(const TJValue& v) {
    if (counting_) RetainValue(v);
    items_.push_back(v);
  }
  void Add(TJValue&& v) {
    if (counting_) RetainValue(v);
    items_.push_back(std::move(v));
  }
  void Insert(std::size_t pos, const TJValue& v);
  // A copy of the value at pos; std::out_of_range outside the list.
  TJValue Get(std::size_t pos) const;
  const TJValue& operator[](std::size_t pos) const noexcept { return items_[pos]; }
  void Set(std::size_t pos, const TJValue& v);
  void Delete(std::size_t pos);
  void Clear() {
    if (!items_.empty()) ClearItems();
  }
  void Reserve(std::size_t n) { items_.reserve(n); }
  void Exchange(std::size_t a, std::size_t b) noexcept { items_[a].Swap(items_[b]); }

  // The argument checks of the built-in methods: the list exists and holds more than
  // 0, 1 or 2 values.
  static bool Has1(const TJValueList* l) noexcept { return l != nullptr && l->Count() > 0; }
  static bool Has2(const TJValueList* l) noexcept { return l != nullptr && l->Count() > 1; }
  static bool Has3(const TJValueList* l) noexcept { return l != nullptr && l->Count() > 2; }

  const TJValue* begin() const noexcept { return items_.begin(); }
  const TJValue* end() const noexcept { return items_.end(); }

 private:
  void CheckIndex(std::size_t pos) const;
  void ClearItems();
  SmallVector<TJValue, 4> items_;
  bool counting_;
};


// ---------------------------------------------------------------------------------------
// Member tables

// The member epoch changes whenever a name appears in or leaves a watched member table:
// the variables of a module and the layers of the global object. The evaluator's caches of
// where a bare name resolves stay valid only while it is unchanged. (Per thread: an
// engine and its objects belong to one thread.)
namespace detail {
inline thread_local std::uint32_t tMemberEpoch = 1;
}
inline std::uint32_t MemberEpoch() noexcept { return detail::tMemberEpoch; }
inline void BumpMemberEpoch() noexcept {
  if (++detail::tMemberEpoch == 0) detail::tMemberEpoch = 1;  // 0 means "never cached"
}

// One entry: the name (shared bytes), its hash and the value.
class TJMember {
 public:
  TJMember(const SharedString& name, std::uint32_t hash, const TJValue& value)
      : nameBuf_(name.buffer()), nameLen_(static_cast<std::uint32_t>(name.size())), hash_(hash), value_(value) {
    SharedString::AddRef(nameBuf_);
  }
  TJMember(TJMember&& o) noexcept : nameBuf_(o.nameBuf_), nameLen_(o.nameLen_), hash_(o.hash_), value_(std::move(o.value_)) {
    o.nameBuf_ = nullptr;
    o.nameLen_ = 0;
  }
  TJMember& operator=(TJMember&& o) noexcept {
    if (this != &o) {
      SharedString::Release(nameBuf_);
      nameBuf_ = o.nameBuf_;
      nameLen_ = o.nameLen_;
      hash_ = o.hash_;
      value_ = std::move(o.value_);
      o.nameBuf_ = nullptr;
      o.nameLen_ = 0;
    }
    return *this;
  }
  TJMember(const TJMember&) = delete;
  ~TJMember() { SharedString::Release(nameBuf_); }

  std::string_view Name() const noexcept {
    return nameBuf_ != nullptr ? std::string_view(nameBuf_->data, nameLen_) : std::string_view();
  }
  SharedString SharedName() const noexcept { return SharedString::FromBuffer(nameBuf_, nameLen_); }
  std::uint32_t Hash() const noexcept { return hash_; }
  // Same name as `name` whose hash is `hash` (hash first, then length, then bytes).
  bool Is(std::string_view name, std::uint32_t hash) const noexcept {
    if (hash_ != hash || nameLen_ != name.size()) return false;
    const char* a = nameBuf_ != nullptr ? nameBuf_->data : "";
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (a[i] != name[i]) return false;
    }
    return true;
  }
  TJValue& Value() noexcept { return value_; }
  const TJValue& Value() const noexcept { return value_; }

 private:
  SharedString::Buffer* nameBuf_;
  std::uint32_t nameLen_;
  std::uint32_t hash_;
  TJValue value_;
};
static_assert(sizeof(TJMember) == 32, "a member entry stays four words");

// TJHash: one member table. Names are case-sensitive; storing a value counts the object
// it holds and releases the one it replaces. A layer opened by a native class also shows
// that class's methods (see TJHashMembers).
class TJHash {
 public:
  TJHash() noexcept : classMethods_(0), watched_(0) {}
  explicit TJHash(const TJClassInfo* cls) noexcept : cls_(cls), classMethods_(cls != nullptr ? 1 : 0), watched_(0) {}
  // Names appearing in or leaving this table change the member epoch from now on.
  void Watch() noexcept { watched_ = 1; }
  bool Watched() const noexcept { return watched_ != 0; }
  TJHash(TJHash&& o) noexcept;
  TJHash& operator=(TJHash&& o) noexcept;
  TJHash(const TJHash&) = delete;
  ~TJHash() { Clear(); }

  // The stored value, or null.
  TJValue* Find(const TJName& name) noexcept { return FindHashed(name.Text(), name.Hash()); }
  const TJValue* Find(const TJName& name) const noexcept {
    return const_cast<TJHash*>(this)->FindHashed(name.Text(), name.Hash());
  }
  TJValue* FindHashed(std::string_view name, std::uint32_t hash) noexcept {
    if (index_ != nullptr) return FindIndexed(name, hash);
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (items_[i].Is(name, hash)) return &items_[i].Value();
    }
    return nullptr;
  }
  bool Has(const TJName& name) const noexcept { return Find(name) != nullptr; }
  // Reads a copy; a missing name leaves out unchanged and answers false.
  bool Get(const TJName& name, TJValue& out) const;
  // Stores (adds or replaces), keeping object counts.
  void Set(const TJName& name, const TJValue& value);
  // Adds an entry the caller knows is not there yet.
  void Append(const SharedString& name, std::uint32_t hash, const TJValue& value);
  // Removes the entry; false when there is none.
  bool Remove(const TJName& name);
  // Position of the entry, or -1.
  std::int64_t IndexOf(std::string_view name, std::uint32_t hash) const noexcept;
  // Overwrites the value of entry i, keeping object counts.
  void Assign(std::size_t i, const TJValue& value) {
    TJValue& slot = items_[i].Value();
    RetainValue(value);
    ReleaseValue(slot);
    slot = value;
  }
  void Clear() noexcept;
  // Empties the table but keeps its storage for the next use (local scopes).
  void Reset() noexcept {
    if (count_ != 0) ResetEntries();
  }

  std::size_t Count() const noexcept { return count_; }
  const TJMember& Entry(std::size_t i) const noexcept { return items_[i]; }
  TJMember& Entry(std::size_t i) noexcept { return items_[i]; }
  // Own entry names in the order of the hash table's buckets (CRC-32 mod 100, then by
  // bytes within a bucket).
  std::vector<std::string> Keys() const;
  std::string KeysText() const;

  const TJClassInfo* Class() const noexcept { return cls_; }
  bool ClassMethodsVisible() const noexcept { return classMethods_ != 0; }
  void HideClassMethods() noexcept {
    classMethods_ = 0;
    if (watched_ != 0) BumpMemberEpoch();
  }
  // Stores an entry that adds no name scripts could not already see (the record of a
  // class method read for the first time): the member epoch stays.
  void SetSameKeys(const TJName& name, const TJValue& value);

 private:
  TJValue* FindIndexed(std::string_view name, std::uint32_t hash) noexcept;
  void ResetEntries() noexcept;
  void Grow();
  void BuildIndex();
  void IndexInsert(std::uint32_t entry) noexcept;

  const TJClassInfo* cls_ = nullptr;
  TJMember* items_ = nullptr;
  std::uint32_t* index_ = nullptr;  // open addressing over entry numbers + 1, once large
  std::uint32_t count_ = 0;
  std::uint32_t cap_ : 30 = 0;
  std::uint32_t classMethods_ : 1;
  std::uint32_t watched_ : 1;
};

// TJHashStack: layers of member tables, position 0 at the top. Scopes use it as it is;
// objects use TJHashMembers, which adds the native methods of class layers.
class TJHashStack {
 public:
  TJHashStack() { Push(); }
  explicit TJHashStack(std::size_t initialLayers) {
    for (std::size_t i = 0; i < initialLayers; ++i) Push();
  }
  TJHashStack(const TJHashStack&) = delete;

  void Push(const TJClassInfo* cls = nullptr) { layers_.emplace_back(cls); }
  void Pop() noexcept {
    if (!layers_.empty()) layers_.pop_back();
  }
  void Clear() noexcept { layers_.clear(); }
  std::size_t LayerCount() const noexcept { return layers_.size(); }
  // Layer by position from the top (0 = top).
  TJHash& Layer(std::size_t pos) noexcept { return layers_[layers_.size() - 1 - pos]; }
  const TJHash& Layer(std::size_t pos) const noexcept { return layers_[layers_.size() - 1 - pos]; }
  TJHash& Top() noexcept { return layers_.back(); }

  // The value from the first layer (top down) that holds the name, or null.
  TJValue* Find(const TJName& name) noexcept;
  bool Get(const TJName& name, TJValue& out) const;
  // Always into the top layer.
  void Set(const TJName& name, const TJValue& value) { Top().Set(name, value); }
  // Layer 1 only; nothing with fewer than two layers; EKeyError "super." + name when
  // that layer lacks the name.
  void GetSuper(const TJName& name, TJValue& out) const;
  void SetSuper(const TJName& name, const TJValue& value);
  // All names, merged, sorted without regard to case, case-variants once.
  std::vector<std::string> KeyNames() const;
  // The same joined by CR LF, trimmed (the text scripts see).
  std::string KeyList() const;

 protected:
  SmallVector<TJHash, 2> layers_;
};

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
// Objects

class TJReferenceVisitor {
 public:
  virtual void Visit(TJObject& object) = 0;

 protected:
  ~TJReferenceVisitor() = default;
};

// An object's member store: one layer per class level, the most derived at the top. A
// layer opened by a native class shows that class's methods; reading one makes its
// callable record (bound to the owner) and keeps it in the layer.
class TJHashMembers : public TJHashStack {
 public:
  TJHashMembers() : TJHashStack(0) {}
  // The value of name from the first layer that has it, or null.
  TJValue* Find(const TJName& name, TJObject& owner);
  bool Has(const TJName& name) const noexcept;
  void GetSuper(const TJName& name, TJValue& out, TJObject& owner);
  void SetSuper(const TJName& name, const TJValue& value, TJObject& owner);
  // As TJHashStack's, with the class methods of class layers.
  std::vector<std::string> KeyNames() const;
  std::string KeyList() const;

 private:
  TJValue* FindInLayer(TJHash& layer, const TJName& name, TJObject& owner);
};

class TJObject {
 public:
  // Registers the class name "Object" and the five methods every object has. Objects are
  // made by the factory (CreateObject), or directly by the engine for its singletons.
  TJObject(TJObjectFactory* factory, const TJValueList* args);
  virtual ~TJObject();
  TJObject(const TJObject&) = delete;
  TJObject& operator=(const TJObject&) = delete;

  static const TJClassInfo& Info();

  // --- the virtual operations
  // Data member names, then published property names.
  virtual std::vector<std::string> PropertyNames();
  // Names of members holding functions.
  virtual std::vector<std::string> MethodNames();
  // A published property or any member layer has the name.
  virtual bool HasKey(const TJName& name);
  // Published property, else member; ENameError (dot) or EKeyError (bracket) when missing.
  virtual void GetValue(const TJName& name, bool bracket, TJValue& out);
  // Published property, else member: bracket access (and object literals) or an existing
  // member store into the top layer; otherwise ENameError.
  virtual void SetValue(const TJName& name, const TJValue& value, bool bracket);
  virtual void GetSuperValue(const TJName& name, TJValue& out);
  virtual void SetSuperValue(const TJName& name, const TJValue& value);
  // "[" + script class name + "]".
  virtual SharedString ToString(const TJValue* arg);
  // Bracket access with an integer key, for classes whose bracket form reads positions
  // (Array, String): true when handled. Must behave exactly as the text form would.
  virtual bool GetIndexed(std::int32_t index, TJValue& out);
  virtual bool SetIndexed(std::int32_t index, const TJValue& value);
  // Every object this one holds a counted reference to (members, counting lists). A class
  // that keeps counted references elsewhere must report them here; unreported ones only
  // make the end-of-run cycle collection keep more than it could.
  virtual void EnumReferences(TJReferenceVisitor& visitor);
  // Lets go of every counted reference (members, counting lists). Objects freed together
  // (an unreachable cycle, or all of them when the engine goes) are all emptied this way
  // before any destructor runs, so no destructor touches an object already destroyed. A
  // class that keeps counted references elsewhere must drop them here as well.
  virtual void DropReferences();

  // The same lists as scripts see them: joined by CR LF, trimmed.
  std::string GetPropertyNames();
  std::string GetMethodNames();

  // --- identity and lifetime
  std::string_view ScriptClassName() const noexcept;
  // Class names, most derived first.
  std::vector<std::string> ClassNames() const;
  bool IsClass(std::string_view name) const noexcept;
  std::int32_t AddRef() noexcept { return ++refs_; }
  std::int32_t Release() noexcept {
    const std::int32_t left = --refs_;
    if (left <= 0) {
      if (listed_ && !onZeroList_ && !dying_) NoteZeroCount();
    } else if (candidate_ == kNoCandidate && listed_ && !dying_) {
      // A count that drops but stays above zero may have left a cycle unreachable.
      NoteCandidate();
    }
    return left;
  }
  std::int32_t RefCount() const noexcept { return refs_; }
  std::uint64_t Serial() const noexcept { return serial_; }
  TJObjectFactory* Factory() const noexcept { return factory_; }
  TJEngine* Engine() const noexcept;
  TJObjectLink* Link();

  // --- declaring a class (in the constructor)
  // Records the class name and opens a new member layer showing the class's methods.
  void RegisterName(const TJClassInfo& cls);
  // A script class level (name only).
  void RegisterName(std::string_view scriptClassName);
  // A method of this object alone, stored in the top layer.
  void RegisterMethod(std::string_view name, TJNativeMethod method);
  // Stores a data member in the top layer without any property check.
  void SetMember(const TJName& name, const TJValue& value);

  // --- published properties
  bool HasPublishedProperty(const TJName& name) const noexcept;
  bool GetPublishedProperty(const TJName& name, TJValue& out);
  bool SetPublishedProperty(const TJName& name, const TJValue& value);
  // Published property names, base classes first, each class in declaration order.
  std::vector<std::string> PublishedPropertyNames() const;

  TJHash& TopMembers() noexcept { return members_.Top(); }
  // Changes to this object's names change the member epoch (the global object).
  void WatchKeys();
  TJHashMembers& Members() noexcept { return members_; }
  // Clears every layer and opens one empty layer per class level again.
  void ClearMembers();

 protected:
  // The member names (merged key list order) whose value is, or is not, a function.
  std::vector<std::string> MemberNamesOfKind(bool functions);

 private:
  friend class TJObjectFactory;
  void HasKeyMethod(TJValueList& args, TJValue& result);
  void ToStringMethod(TJValueList& args, TJValue& result);
  void GetKeysMethod(TJValueList& args, TJValue& result);
  void GetPropertiesMethod(TJValueList& args, TJValue& result);
  void GetMethodsMethod(TJValueList& args, TJValue& result);
  const TJPropertyInfo* FindPropertyInfo(const TJName& name) const noexcept;
  void NoteZeroCount() noexcept;
  void NoteCandidate() noexcept;
  static constexpr std::uint32_t kNoCandidate = 0xFFFFFFFFu;

  TJHashMembers members_;
  TJObjectFactory* factory_;
  TJObjectLink* link_ = nullptr;
  std::uint64_t serial_ = 0;
  std::int32_t refs_ = 0;
  std::uint32_t listIndex_ = 0;  // position in the factory's object list
  bool listed_ = false;          // in the factory's object list
  bool onZeroList_ = false;
  bool dying_ = false;
  bool watched_ = false;
  std::int32_t scratch_ = 0;     // working count of the cycle collection
  std::uint32_t candidate_ = kNoCandidate;  // position in the factory's cycle candidates
  std::uint8_t color_ = 0;       // cycle collection: 0 none, 1 gray, 2 black, 3 white
};

// ---------------------------------------------------------------------------------------
// The object factory

class TJObjectFactory {
 public:
  explicit TJObjectFactory(TJEngine* engine = nullptr);
  ~TJObjectFactory();
  TJObjectFactory(const TJObjectFactory&) = delete;

  TJEngine* Engine() const noexcept { return engine_; }

  // The class registry: script name → class description (replacing an earlier one).
  void RegisterClass(std::string_view name, const TJClassInfo& cls);
  bool HasClass(std::string_view name) const;
  const TJClassInfo* FindClass(std::string_view name) const;

  // Creates an instance of the class registered under name (a plain Object when none is),
  // lists it, reports it to OnNewObject and returns it with count 0. The factory owns it.
  TJObject* CreateObject(std::string_view name, const TJValueList* args = nullptr);
  // Lists an object created by other means (a script class's base, say) the same way.
  TJObject* Adopt(std::unique_ptr<TJObject> object);
  // An instance that the caller owns, outside the list (the engine's singletons).
  std::unique_ptr<TJObject> CreateDetached(std::string_view name, const TJValueList* args = nullptr);

  // Frees every listed object whose count is 0 or less (repeating while freeing releases
  // more).
  void Sweep();
  // Frees every unreachable cycle of listed objects. Only objects whose count dropped
  // without reaching zero since the last collection can hold the last reference into such
  // a cycle, so only what they reach is examined.
  void CollectCycles();
  // Frees every listed object whatever its count.
  void FreeAll();

  // --- the frame sweeps (see the note at the top)
  std::uint64_t NextSerial() const noexcept { return nextSerial_; }
  std::size_t ZeroListSize() const noexcept { return zeroList_.size(); }
  // Frees zero-list entries from position zeroMark on that were created at or after
  // serialMark, are still at count 0 or less and are not `keep`; older ones stay listed
  // for an enclosing frame.
  void SweepFrame(std::uint64_t serialMark, std::size_t zeroMark, const TJObject* keep = nullptr) {
    if (zeroList_.size() > zeroMark) SweepFrameEntries(serialMark, zeroMark, keep);
  }
  std::size_t ObjectCount() const noexcept { return objects_.size(); }

  // The description of a script class level (name only), made once per name.
  const TJClassInfo& ScriptClassInfo(std::string_view name);

  std::function<void(TJObjectFactory& factory, TJObject& object)> OnNewObject;

 private:
  friend class TJObject;
  void NoteZero(TJObject* object);
  void NoteCandidate(TJObject* object);
  void ForgetCandidate(TJObject* object) noexcept;
  void SweepFrameEntries(std::uint64_t serialMark, std::size_t zeroMark, const TJObject* keep);
  void Free(TJObject* object);
  std::uint64_t TakeSerial() noexcept { return nextSerial_++; }

  TJEngine* engine_;
  TPointerHashTable classes_{100, false};
  std::vector<TJObject*> objects_;
  std::vector<TJObject*> zeroList_;
  std::vector<TJObject*> candidates_;  // possible roots of garbage cycles (null: freed)
  std::uint64_t nextSerial_ = 1;
  std::vector<std::unique_ptr<TJClassInfo>> scriptClasses_;
  TStringHashTable scriptClassIndex_{100, false};
  bool freeingAll_ = false;
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
