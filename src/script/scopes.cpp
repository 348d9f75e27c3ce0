#include "script/scopes.h"

#include <algorithm>

#include "script/name_text.h"

namespace kestrin {

// ---------------------------------------------------------------------------------------
// TJLocalScope

void TJLocalScope::CloseSlot(std::size_t slot) noexcept {
  // Releasing only moves counts (nothing is freed here).
  if (slot >= kBorrowable || (borrowed_ >> slot & 1u) == 0) ReleaseValue(slots_[slot]);
  slots_[slot] = TJValue();
}

TJValue* TJLocalScope::Find(const TJName& name) noexcept {
  if (layout_ != nullptr) {
    const std::int32_t slot = layout_->Find(name.Text(), name.Hash());
    if (slot >= 0) return slots_[static_cast<std::size_t>(slot)].IsUnbound() ? nullptr : &slots_[static_cast<std::size_t>(slot)];
  }
  return others_.Count() != 0 ? others_.Find(name) : nullptr;
}

void TJLocalScope::Set(const TJName& name, const TJValue& value) {
  if (layout_ != nullptr) {
    const std::int32_t slot = layout_->Find(name.Text(), name.Hash());
    if (slot >= 0) {
      Assign(static_cast<std::size_t>(slot), value);
      return;
    }
  }
  others_.Set(name, value);
}

void TJLocalScope::EnumReferences(TJReferenceVisitor& visitor) const {
  for (std::size_t i = 0; i < used_; ++i) {
    const TJValue& v = slots_[i];
    if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
  }
  for (std::size_t i = 0; i < others_.Count(); ++i) {
    const TJValue& v = others_.Entry(i).Value();
    if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
  }
}

// ---------------------------------------------------------------------------------------
// TJSymbolTable

TJSymbolTable::TJSymbolTable(TJObject* globalObject) : globalObject_(globalObject) {
  vars_.Watch();
  ClearTable();
}

TJSymbolTable::~TJSymbolTable() {
  while (localDepth_ > 0) PopLocal();
  while (!thisStack_.empty()) PopThis();
}

void TJSymbolTable::ClearTable() {
  while (localDepth_ > 0) PopLocal();
  while (!thisStack_.empty()) PopThis();
  vars_.Clear();
  if (globalObject_ != nullptr) PushThis(globalObject_);
  if (OnClear) OnClear(*this);
}

TJSymbolTable::Found TJSymbolTable::LookupWhere(const TJName& name, TJValue& out, bool withLocals) {
  if (withLocals && localDepth_ > 0) {
    if (const TJValue* v = locals_[localDepth_ - 1]->Find(name)) {
      out = *v;
      return Found::Local;
    }
  }
  TJObject* self = thisStack_.empty() ? nullptr : Untagged(thisStack_.back());
  if (self != nullptr && self->HasKey(name)) {
    self->GetValue(name, false, out);
    return self == globalObject_ ? Found::Global : Found::This;
  }
  if (const TJValue* v = vars_.Find(name)) {
    out = *v;
    return Found::Vars;
  }
  // Inside methods and `with` bodies the global functions (print, parseInt, ...) stay
  // reachable, after everything that would have answered without them.
  if (self != nullptr && self != globalObject_ && globalObject_ != nullptr && globalObject_->HasKey(name)) {
    globalObject_->GetValue(name, false, out);
    return Found::Global;
  }
  return Found::Nowhere;
}

bool TJSymbolTable::LookupMember(const TJName& name, TJValue& out) {
  const std::size_t depth = localDepth_;
  localDepth_ = 0;
  struct Restore {
    std::size_t& depth;
    std::size_t saved;
    ~Restore() { depth = saved; }
  } restore{localDepth_, depth};
  return Lookup(name, out);
}

bool TJSymbolTable::HasName(const TJName& name) {
  TJValue ignored;
  return Lookup(name, ignored);
}

TJValue TJSymbolTable::GetVar(const TJName& name) {
  TJValue v;
  Lookup(name, v);
  return v;
}

void TJSymbolTable::SetVar(const TJName& name, const TJValue& value) {
  if (localDepth_ > 0) {
    locals_[localDepth_ - 1]->Set(name, value);
  } else {
    vars_.Set(name, value);
  }
}


void TJSymbolTable::EnumReferences(TJReferenceVisitor& visitor) const {
  const auto visitTable = [&](const TJHash& t) {
    for (std::size_t i = 0; i < t.Count(); ++i) {
      const TJValue& v = t.Entry(i).Value();
      if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
    }
  };
  visitTable(vars_);
  for (std::size_t i = 0; i < localDepth_; ++i) locals_[i]->EnumReferences(visitor);
  for (TJObject* o : thisStack_) {
    if (o != nullptr && o == Untagged(o)) visitor.Visit(*o);  // borrowed entries hold no count
  }
}

// ---------------------------------------------------------------------------------------
// TJSymbolTablesList

TJSymbolTablesList::TJSymbolTablesList() : currentName_("__Global__") {}

TJSymbolTablesList::~TJSymbolTablesList() = default;

std::vector<TJSymbolTablesList::Entry>::iterator TJSymbolTablesList::Position(std::string_view name) {
  return std::lower_bound(tables_.begin(), tables_.end(), name,
                          [](const Entry& e, std::string_view n) { return CompareAsciiNoCase(e.name.view(), n) < 0; });
}

std::vector<TJSymbolTablesList::Entry>::const_iterator TJSymbolTablesList::Position(std::string_view name) const {
  return std::lower_bound(tables_.begin(), tables_.end(), name,
                          [](const Entry& e, std::string_view n) { return CompareAsciiNoCase(e.name.view(), n) < 0; });
}

void TJSymbolTablesList::AddTable(std::string_view name, std::unique_ptr<TJSymbolTable> table) {
  SharedString key(name);
  table->SetTableName(key);
  // The list is sorted without regard to case but names are told apart exactly.
  auto it = Position(name);
  for (auto scan = it; scan != tables_.end() && CompareAsciiNoCase(scan->name.view(), name) == 0; ++scan) {
    if (scan->name.view() == name) {
      if (current_ == scan->table.get()) current_ = nullptr;
      scan->table->ClearTable();
      retired_.push_back(std::move(scan->table));
      tables_.erase(scan);
      it = Position(name);
      break;
    }
  }
  while (it != tables_.end() && CompareAsciiNoCase(it->name.view(), name) == 0) ++it;
  tables_.insert(it, Entry{std::move(key), std::move(table)});
}

TJSymbolTable& TJSymbolTablesList::FindTable(std::string_view name) {
  for (auto it = Position(name); it != tables_.end() && CompareAsciiNoCase(it->name.view(), name) == 0; ++it) {
    if (it->name.view() == name) return *it->table;
  }
  ThrowScriptError(errors::kName, name);
}

bool TJSymbolTablesList::TableExists(std::string_view name) const {
  for (auto it = Position(name); it != tables_.end() && CompareAsciiNoCase(it->name.view(), name) == 0; ++it) {
    if (it->name.view() == name) return true;
  }
  return false;
}

void TJSymbolTablesList::SetCurrent(const SharedString& name) {
  if (current_ != nullptr && name.view() == currentName_.view()) return;
  currentName_ = name;
  current_ = TableExists(name.view()) ? &FindTable(name.view()) : nullptr;
}


bool TJSymbolTablesList::Lookup(const TJName& name, TJValue& out) {
  if (Current().Lookup(name, out)) return true;
  return LookupElsewhere(name, out);
}

bool TJSymbolTablesList::LookupElsewhere(const TJName& name, TJValue& out) {
  TJSymbolTable& current = Current();
  if (tables_.size() < 2) return false;
  // Other modules lend their variables only: never the locals of a call in progress there.
  for (Entry& e : tables_) {
    if (e.table.get() == &current) continue;
    if (const TJValue* v = e.table->Vars().Find(name)) {
      out = *v;
      return true;
    }
  }
  return false;
}

bool TJSymbolTablesList::HasName(const TJName& name) {
  TJValue ignored;
  return Lookup(name, ignored);
}

TJValue TJSymbolTablesList::GetVar(const TJName& name) {
  TJValue v;
  Lookup(name, v);
  return v;
}

void TJSymbolTablesList::ClearAll() {
  for (Entry& e : tables_) e.table->ClearTable();
  for (auto& t : retired_) t->ClearTable();
}

void TJSymbolTablesList::EnumReferences(TJReferenceVisitor& visitor) const {
  for (const Entry& e : tables_) e.table->EnumReferences(visitor);
  for (const auto& t : retired_) t->EnumReferences(visitor);
}

}  // namespace kestrin
