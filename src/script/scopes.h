// Symbol tables: where the variables of a running script live.
//
// One table per module (the main program "__Global__" and one per `import name;`). Inside a
// table a bare name resolves against the innermost local scope of the running function
// call, then the current "this" object (the global object, where print and the other
// global functions live, at the bottom of the "this" stack), then the module's variables,
// and inside methods and `with` bodies last the global object. Names that the current
// table does not know are looked up in the other modules' variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/function_layout.h"
#include "script/object.h"

namespace kestrin {

// The local scope of one script call: a slot per name of the function's layout (unbound
// until assigned), and a table for any other name bound by name (none in practice: only
// names of the layout are ever bound while the function runs). Scopes are reused from
// call to call, so a call allocates nothing once its depth has been reached before.
class TJLocalScope {
 public:
  TJLocalScope() = default;
  TJLocalScope(const TJLocalScope&) = delete;
  TJLocalScope& operator=(const TJLocalScope&) = delete;
  ~TJLocalScope() { Close(); }

  // Starts a call of a function with this layout (none: a scope of names only).
  void Open(const TJLocalLayout* layout) {
    layout_ = layout;
    const std::size_t n = layout != nullptr ? layout->SlotCount() : 0;
    if (slots_.size() < n) slots_.resize(n);
    used_ = n;
    // Slots past the last call's end hold nothing counted (Close saw to it).
    TJValue* values = slots_.data();
    for (std::size_t i = 0; i < n; ++i) ::new (static_cast<void*>(values + i)) TJValue(TJValue::Unbound());
  }
  // Ends the call: lets go of every value. Slots holding nothing counted (numbers,
  // booleans, unbound, an object argument borrowed) are left as they are: the next Open
  // overwrites them.
  void Close() noexcept {
    TJValue* values = slots_.data();
    for (std::size_t i = 0; i < used_; ++i) {
      const TJValueKind kind = values[i].Kind();
      if (kind < jkString || values[i].IsUnbound()) continue;
      if (kind == jkObject && i < kBorrowable && (borrowed_ >> i & 1u) != 0) continue;
      CloseSlot(i);
    }
    borrowed_ = 0;
    used_ = 0;
    layout_ = nullptr;
    others_.Reset();
  }

  const TJLocalLayout* Layout() const noexcept { return layout_; }
  // Names bound by name beside the layout's (none in practice).
  bool HasOtherNames() const noexcept { return others_.Count() != 0; }
  TJValue* Slots() noexcept { return slots_.data(); }
  // A bound name, or null.
  TJValue* Find(const TJName& name) noexcept;
  // Binds a name, keeping object counts.
  void Set(const TJName& name, const TJValue& value);
  // Binds a slot, keeping object counts.
  void Assign(std::size_t slot, const TJValue& value) noexcept {
    if (borrowed_ != 0 && slot < kBorrowable && (borrowed_ >> slot & 1u) != 0) {
      borrowed_ &= ~(std::uint64_t{1} << slot);
      RetainValue(value);
      slots_[slot] = value;
      return;
    }
    AssignCounted(slots_[slot], value);
  }
  // Binds a parameter to its argument without counting it: an argument is evaluated before
  // the call's frame begins, so no sweep of the call can free it, and what holds it when
  // the call begins is the caller's affair. Assigning the slot later counts as usual.
  void Borrow(std::size_t slot, const TJValue& value) noexcept {
    TJValue& target = slots_[slot];
    if (slot >= kBorrowable) {
      AssignCounted(target, value);
      return;
    }
    if (target.IsUnbound()) {
      ::new (static_cast<void*>(&target)) TJValue(value);  // an unbound slot owns nothing
    } else {
      target = value;  // a parameter name given twice
    }
    borrowed_ |= std::uint64_t{1} << slot;
  }
  static void AssignCounted(TJValue& slot, const TJValue& value) noexcept {
    RetainValue(value);
    ReleaseValue(slot);
    slot = value;
  }
  void EnumReferences(TJReferenceVisitor& visitor) const;

 private:
  static constexpr std::size_t kBorrowable = 64;
  void CloseSlot(std::size_t slot) noexcept;
  const TJLocalLayout* layout_ = nullptr;
  std::uint64_t borrowed_ = 0;  // slots holding an uncounted argument
  std::vector<TJValue> slots_;
  std::size_t used_ = 0;
  TJHash others_;
};

class TJSymbolTable {
 public:
  explicit TJSymbolTable(TJObject* globalObject);
  ~TJSymbolTable();
  TJSymbolTable(const TJSymbolTable&) = delete;
  TJSymbolTable& operator=(const TJSymbolTable&) = delete;

  // Pops every local scope, empties the "this" stack, the variables, pushes the global
  // object and calls OnClear.
  void ClearTable();

  TJObject* CurrentThis() const noexcept { return thisStack_.empty() ? globalObject_ : Untagged(thisStack_.back()); }
  TJObject* GlobalObject() const noexcept { return globalObject_; }

  // Where Lookup found a name.
  enum class Found : std::uint8_t { Nowhere, Local, This, Global, Vars };
  // Resolves a bare name (locals, "this", variables, global object); false when absent.
  bool Lookup(const TJName& name, TJValue& out) { return LookupWhere(name, out) != Found::Nowhere; }
  // withLocals false: the caller knows the local scope lacks the name.
  Found LookupWhere(const TJName& name, TJValue& out, bool withLocals = true);
  bool HasName(const TJName& name);
  TJValue GetVar(const TJName& name);
  // A member read on the module's value (Lib.x): as Lookup without the locals of a call
  // in progress, which belong to that call alone.
  bool LookupMember(const TJName& name, TJValue& out);
  // Into the innermost local scope when a function is running, else the variables.
  void SetVar(const TJName& name, const TJValue& value);
  // The module's variables alone (a member write on a module value goes here).
  TJHash& Vars() noexcept { return vars_; }

  // Local scopes are reused between calls, so a call does not allocate its scope.
  TJLocalScope& PushLocal(const TJLocalLayout* layout = nullptr) {
    if (localDepth_ == locals_.size()) locals_.push_back(std::make_unique<TJLocalScope>());
    TJLocalScope& scope = *locals_[localDepth_++];
    scope.Open(layout);
    return scope;
  }
  void PopLocal() noexcept {
    if (localDepth_ > 0) locals_[--localDepth_]->Close();
  }
  bool HasLocal() const noexcept { return localDepth_ > 0; }
  TJLocalScope& TopLocal() noexcept { return *locals_[localDepth_ - 1]; }
  // The "this" stack counts the objects on it (but see PushBorrowedThis).
  void PushThis(TJObject* object) {
    thisStack_.push_back(object);
    if (object != nullptr) object->AddRef();
  }
  // Pops a counted or a borrowed entry alike.
  void PopThis() noexcept {
    if (thisStack_.empty()) return;
    TJObject* o = thisStack_.back();
    thisStack_.pop_back();
    if (o != nullptr && o == Untagged(o)) o->Release();
  }
  // A script call's object, uncounted as its arguments are (TJLocalScope::Borrow): it is
  // older than the call's frame, so no sweep of the call can free it. Marked in the
  // pointer's lowest bit, so that clearing the table lets go of counted entries only.
  void PushBorrowedThis(TJObject* object) {
    thisStack_.push_back(reinterpret_cast<TJObject*>(reinterpret_cast<std::uintptr_t>(object) | 1u));
  }
  std::size_t ThisDepth() const noexcept { return thisStack_.size(); }

  const SharedString& TableName() const noexcept { return tableName_; }
  void SetTableName(const SharedString& name) { tableName_ = name; }

  std::function<void(TJSymbolTable& table)> OnClear;

  // Objects held by the variables, locals and "this" stack (for the cycle collection).
  void EnumReferences(TJReferenceVisitor& visitor) const;

 private:
  static TJObject* Untagged(TJObject* entry) noexcept {
    return reinterpret_cast<TJObject*>(reinterpret_cast<std::uintptr_t>(entry) & ~std::uintptr_t{1});
  }

  TJHash vars_;
  std::vector<std::unique_ptr<TJLocalScope>> locals_;
  std::size_t localDepth_ = 0;
  std::vector<TJObject*> thisStack_;
  TJObject* globalObject_;
  SharedString tableName_;
};

class TJSymbolTablesList {
 public:
  TJSymbolTablesList();
  ~TJSymbolTablesList();
  TJSymbolTablesList(const TJSymbolTablesList&) = delete;

  // Registers the table under name; a table of the same name is taken out (it stays
  // allocated, emptied, until DropRetired, so module values of this run never dangle).
  void AddTable(std::string_view name, std::unique_ptr<TJSymbolTable> table);
  // The table of that name; ENameError with the name when there is none.
  TJSymbolTable& FindTable(std::string_view name);
  bool TableExists(std::string_view name) const;
  void SetCurrent(const SharedString& name);
  const SharedString& CurrentName() const noexcept { return currentName_; }
  TJSymbolTable& Current() {
    if (current_ == nullptr) current_ = &FindTable(currentName_.view());
    return *current_;
  }

  // Current table first; then the other tables in name order.
  bool Lookup(const TJName& name, TJValue& out);
  bool HasName(const TJName& name);
  TJValue GetVar(const TJName& name);
  // The fallback of Lookup: the variables of the tables other than the current one.
  bool LookupElsewhere(const TJName& name, TJValue& out);
  void SetVar(const TJName& name, const TJValue& value) { Current().SetVar(name, value); }
  TJObject* CurrentThis() { return Current().CurrentThis(); }
  void PushLocal() { Current().PushLocal(); }
  void PopLocal() { Current().PopLocal(); }
  void PushThis(TJObject* o) { Current().PushThis(o); }
  void PopThis() { Current().PopThis(); }

  void ClearAll();
  // Frees the tables that AddTable replaced (once no module value can reach them).
  void DropRetired() noexcept { retired_.clear(); }
  std::size_t Count() const noexcept { return tables_.size(); }
  void EnumReferences(TJReferenceVisitor& visitor) const;

 private:
  struct Entry {
    SharedString name;
    std::unique_ptr<TJSymbolTable> table;
  };
  std::vector<Entry>::iterator Position(std::string_view name);
  std::vector<Entry>::const_iterator Position(std::string_view name) const;

  SharedString currentName_;
  TJSymbolTable* current_ = nullptr;
  std::vector<Entry> tables_;  // ascending by name without regard to case
  std::vector<std::unique_ptr<TJSymbolTable>> retired_;
};

// Makes the table of name current for a scope, and the one current before current again
// on every way out.
class TJCurrentTableScope {
 public:
  TJCurrentTableScope(TJSymbolTablesList& tables, const SharedString& name)
      : tables_(tables), saved_(tables.CurrentName()) {
    tables.SetCurrent(name);
  }
  ~TJCurrentTableScope() { tables_.SetCurrent(saved_); }
  TJCurrentTableScope(const TJCurrentTableScope&) = delete;
  TJCurrentTableScope& operator=(const TJCurrentTableScope&) = delete;

 private:
  TJSymbolTablesList& tables_;
  SharedString saved_;
};

}  // namespace kestrin
