// Script objects: TJObject, the base class of every object a script sees (built-in, host
// and plain objects), and the value lists that carry arguments and array elements.
//
// Reference counting: an object's count counts the member-table entries and counting-list
// slots that hold it. Objects whose count falls to zero go on the factory's zero list; the
// engine sweeps that list at the end of every script call and at statement boundaries,
// freeing only objects created since the sweeping frame began (anything older may still
// be held by a temporary of an enclosing expression). See docs/interpreter.md.
//
// This header brings the whole object model: member tables and stores (member_table.h,
// shape.h, member_store.h), function records (function_record.h), class descriptions
// (class_info.h) and the object factory (object_factory.h). Everything here is used by
// one thread at a time; the class descriptions and shapes are shared by every engine of
// the process, so engines must not run on two threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "script/class_info.h"
#include "script/function_record.h"
#include "script/member_store.h"
#include "script/member_table.h"
#include "script/signals.h"
#include "script/small_vector.h"
#include "script/value.h"

namespace kestrin {

class TJObjectFactory;
class TJEngine;

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
  // Replaces a value in place when neither it nor the new one is counted (no object).
  bool SetUncounted(std::size_t pos, const TJValue& v) noexcept {
    if (pos >= items_.size() || !Uncounted(items_[pos]) || !Uncounted(v)) return false;
    ::new (static_cast<void*>(&items_[pos])) TJValue(v);  // nothing to let go of
    return true;
  }
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
// Objects

class TJReferenceVisitor {
 public:
  virtual void Visit(TJObject& object) = 0;

 protected:
  ~TJReferenceVisitor() = default;
};


class TJObject {
 public:
  // Registers the class name "Object" and the five methods every object has. Objects are
  // made by the factory (CreateObject), or directly by the engine for its singletons.
  TJObject(TJObjectFactory* factory, const TJValueList* args);
  virtual ~TJObject();
  TJObject(const TJObject&) = delete;
  TJObject& operator=(const TJObject&) = delete;
  // An object may have been made with room for its members behind it (the factory's
  // CreatePlainObject): freed without a size.
  static void operator delete(void* p) noexcept { ::operator delete(p); }

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
  // ToString is the one above (the object is a plain object or of a script class).
  bool TextIsClassName() const noexcept { return typeid(*this) == typeid(TJObject); }
  // The dot form of member access is this class's: GetValue, SetValue and HasKey by name
  // are TJObject's own (published properties, then the member store), so the evaluator
  // may read and write the members directly.
  bool StandardMemberAccess() const noexcept {
    if (standardAccess_ == 0) standardAccess_ = KeepsStandardMemberAccess() ? 1 : 2;
    return standardAccess_ == 1;
  }
  // Bracket access with an integer key, for classes whose bracket form reads positions
  // (Array, String): true when handled. Must behave exactly as the text form would.
  virtual bool GetIndexed(std::int32_t index, TJValue& out);
  virtual bool SetIndexed(std::int32_t index, const TJValue& value);
  // A class whose GetValue, SetValue or HasKey answer a name in the dot form otherwise
  // than TJObject's own (published properties, then members) must answer false here.
  virtual bool KeepsStandardMemberAccess() const noexcept { return true; }
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
    } else if (listed_ && !dying_ && candidate_ == kNoCandidate) {
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

  // --- members (not published properties)
  // Some layer holds the name, or a visible class layer has a native method of it.
  bool HasMember(const TJName& name) const noexcept;
  // The member's value (a native method as a record bound to this object); false when
  // there is none.
  bool ReadMember(const TJName& name, TJValue& out);

  // --- published properties
  bool HasPublishedProperty(const TJName& name) const noexcept { return FindPropertyInfo(name) != nullptr; }
  // The published property of a name (the topmost class level's), or null.
  const TJPropertyInfo* FindPropertyInfo(const TJName& name) const noexcept;
  bool GetPublishedProperty(const TJName& name, TJValue& out);
  bool SetPublishedProperty(const TJName& name, const TJValue& value);
  // Published property names, base classes first, each class in declaration order.
  std::vector<std::string> PublishedPropertyNames() const;

  // The top layer (the most derived class's members).
  TJMemberLayer TopMembers() noexcept { return TJMemberLayer(members_, 0, this); }
  // Changes to this object's names change the member epoch (the global object).
  void WatchKeys();
  TJMemberStore& Members() noexcept { return members_; }
  const TJMemberStore& Members() const noexcept { return members_; }
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
  // A member (entry or native method of a visible class layer) of the layer below the top.
  bool FindSuper(const TJName& name, TJValue* out);
  void NoteZeroCount() noexcept;
  void NoteCandidate() noexcept;
  static constexpr std::uint32_t kNoCandidate = 0xFFFFFFFFu;

  // What counting and member access touch comes first, so that it shares the object's
  // first cache line (objects that are sorted or walked lie anywhere in memory).
  std::int32_t refs_ = 0;
  bool listed_ = false;  // in the factory's object list
  bool onZeroList_ = false;
  bool dying_ = false;
  mutable std::uint8_t standardAccess_ = 0;  // 0 not known yet, 1 yes, 2 no
  TJMemberStore members_;
  std::uint32_t candidate_ = kNoCandidate;  // position in the factory's cycle candidates
  std::uint8_t color_ = 0;  // cycle collection: 0 none, 1 gray, 2 black, 3 white
  std::uint32_t listIndex_ = 0;  // position in the factory's object list
  std::int32_t scratch_ = 0;     // working count of the cycle collection
  TJObjectFactory* factory_;
  TJObjectLink* link_ = nullptr;
  std::uint64_t serial_ = 0;
};

}  // namespace kestrin

#include "script/object_factory.h"
