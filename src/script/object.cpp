#include "script/object.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "script/name_text.h"

namespace kestrin {

namespace {

constexpr std::uint32_t kIndexThreshold = 4;  // capacity past which a table keeps an index
constexpr std::uint32_t kKeyBuckets = 100;    // the bucket count whose order Keys() shows



std::string JoinLines(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += "\r\n";
    out += n;
  }
  return out;
}


// Orders names as the hash table of the member store would list them: by bucket, then
// by bytes within the bucket.
void SortInBucketOrder(std::vector<std::pair<std::uint32_t, std::string>>& names) {
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    const std::uint32_t ba = a.first % kKeyBuckets;
    const std::uint32_t bb = b.first % kKeyBuckets;
    if (ba != bb) return ba < bb;
    return a.second < b.second;
  });
}

// Merges name lists (in the order given) into one list sorted without regard to case,
// keeping the first of names that differ only in case.
std::vector<std::string> MergeSortedNoCase(std::vector<std::string> names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return CompareAsciiNoCase(a, b) < 0; });
  std::vector<std::string> out;
  out.reserve(names.size());
  for (std::string& n : names) {
    if (!out.empty() && CompareAsciiNoCase(out.back(), n) == 0) continue;
    out.push_back(std::move(n));
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Weak links and callable records

void TJWeakObject::Reset(TJObject* object) {
  if (link_ != nullptr && link_->Object == object && object != nullptr) return;
  if (link_ != nullptr && --link_->Refs == 0) delete link_;
  link_ = nullptr;
  if (object != nullptr) {
    link_ = object->Link();
    ++link_->Refs;
  }
}

TJFunction::~TJFunction() {
  if (Dispatch != nullptr) Dispatch->Release();
}

void DestroyFunction(TJFunction* f) noexcept { delete f; }

bool SameCallable(const TJFunction& a, const TJFunction& b) noexcept {
  if (a.FuncKind != b.FuncKind) return false;
  switch (a.FuncKind) {
    case TJFunctionKind::Script:
      return a.Definition == b.Definition;
    case TJFunctionKind::Native:
      return a.Method == b.Method && a.OwnerObject() == b.OwnerObject();
    case TJFunctionKind::Automation:
      return a.Dispatch == b.Dispatch && a.DispId == b.DispId;
    default:
      return false;
  }
}

namespace function_factory {

TJValue Native(TJNativeMethod method, TJObject* owner) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Native;
  f->Method = method;
  f->Owner.Reset(owner);
  return TJValue::Function(f);
}

TJValue Automation(IDispatchRef* dispatch, std::int32_t dispId) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Automation;
  f->Dispatch = dispatch;
  if (dispatch != nullptr) dispatch->AddRef();
  f->DispId = dispId;
  return TJValue::Function(f);
}

TJValue Script(const TJStatement* definition, const TJStatement* params, SharedString scopeName,
               std::uint32_t generation, const void* info) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Script;
  f->Definition = definition;
  f->Params = params;
  f->ScopeName = std::move(scopeName);
  f->Generation = generation;
  f->Info = info;
  return TJValue::Function(f);
}

TJValue Class(const TJStatement* definition, std::uint32_t generation) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Class;
  f->Definition = definition;
  f->Generation = generation;
  return TJValue::Function(f);
}

TJValue Module(TJSymbolTable* table, std::uint32_t generation) {
  auto* f = new TJFunction();
  f->FuncKind = TJFunctionKind::Module;
  f->Definition = table;
  f->Generation = generation;
  return TJValue::Function(f);
}

}  // namespace function_factory

// ---------------------------------------------------------------------------------------
// Value lists

void RetainValue(const TJValue& v) noexcept {
  if (v.Kind() == jkObject && v.ObjValue() != nullptr) v.ObjValue()->AddRef();
}

void ReleaseValue(const TJValue& v) noexcept {
  if (v.Kind() == jkObject && v.ObjValue() != nullptr) v.ObjValue()->Release();
}

void TJValueList::CheckIndex(std::size_t pos) const {
  if (pos >= items_.size()) throw std::out_of_range("List index out of bounds (" + std::to_string(pos) + ")");
}


void TJValueList::Insert(std::size_t pos, const TJValue& v) {
  if (pos > items_.size()) CheckIndex(pos);
  if (counting_) RetainValue(v);
  items_.emplace_at(pos, v);
}

TJValue TJValueList::Get(std::size_t pos) const {
  CheckIndex(pos);
  return items_[pos];
}

void TJValueList::Set(std::size_t pos, const TJValue& v) {
  CheckIndex(pos);
  if (counting_) {
    RetainValue(v);
    ReleaseValue(items_[pos]);
  }
  items_[pos] = v;
}

void TJValueList::Delete(std::size_t pos) {
  CheckIndex(pos);
  if (counting_) ReleaseValue(items_[pos]);
  items_.erase_at(pos);
}

void TJValueList::ClearItems() {
  while (!items_.empty()) {
    if (counting_) ReleaseValue(items_.back());
    items_.pop_back();
  }
}

// ---------------------------------------------------------------------------------------
// TJHash

TJHash::TJHash(TJHash&& o) noexcept
    : cls_(o.cls_),
      items_(o.items_),
      index_(o.index_),
      count_(o.count_),
      cap_(o.cap_),
      classMethods_(o.classMethods_),
      watched_(o.watched_) {
  o.items_ = nullptr;
  o.index_ = nullptr;
  o.count_ = 0;
  o.cap_ = 0;
}

TJHash& TJHash::operator=(TJHash&& o) noexcept {
  if (this != &o) {
    Clear();
    cls_ = o.cls_;
    items_ = o.items_;
    index_ = o.index_;
    count_ = o.count_;
    cap_ = o.cap_;
    classMethods_ = o.classMethods_;
    watched_ = o.watched_;
    o.items_ = nullptr;
    o.index_ = nullptr;
    o.count_ = 0;
    o.cap_ = 0;
  }
  return *this;
}

TJValue* TJHash::FindIndexed(std::string_view name, std::uint32_t hash) noexcept {
  const std::uint32_t mask = cap_ * 2 - 1;
  for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t e = index_[slot];
    if (e == 0) return nullptr;
    TJMember& m = items_[e - 1];
    if (m.Is(name, hash)) return &m.Value();
  }
}

bool TJHash::Get(const TJName& name, TJValue& out) const {
  const TJValue* v = Find(name);
  if (v == nullptr) return false;
  out = *v;
  return true;
}

void TJHash::IndexInsert(std::uint32_t entry) noexcept {
  const std::uint32_t mask = cap_ * 2 - 1;
  std::uint32_t slot = items_[entry].Hash() & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = entry + 1;
}

void TJHash::BuildIndex() {
  std::free(index_);
  index_ = nullptr;
  if (cap_ <= kIndexThreshold) return;
  // cap_ is a power of two once past the threshold, so twice it makes a load factor ≤ ½.
  index_ = static_cast<std::uint32_t*>(std::calloc(static_cast<std::size_t>(cap_) * 2, sizeof(std::uint32_t)));
  if (index_ == nullptr) throw std::bad_alloc();
  for (std::uint32_t i = 0; i < count_; ++i) IndexInsert(i);
}

void TJHash::Grow() {
  const std::uint32_t fresh = cap_ == 0 ? 2 : cap_ * 2;
  if (fresh > (1u << 30)) throw std::length_error("member table too large");
  auto* items = static_cast<TJMember*>(::operator new(sizeof(TJMember) * fresh));
  for (std::uint32_t i = 0; i < count_; ++i) {
    ::new (static_cast<void*>(items + i)) TJMember(std::move(items_[i]));
    std::destroy_at(items_ + i);
  }
  ::operator delete(items_);
  items_ = items;
  cap_ = fresh;
  if (cap_ > kIndexThreshold) BuildIndex();
}

void TJHash::Set(const TJName& name, const TJValue& value) {
  const std::uint32_t hash = name.Hash();
  if (TJValue* slot = FindHashed(name.Text(), hash)) {
    RetainValue(value);
    ReleaseValue(*slot);
    *slot = value;
    return;
  }
  Append(name.Shared(), hash, value);
}

void TJHash::Append(const SharedString& name, std::uint32_t hash, const TJValue& value) {
  if (count_ == cap_) Grow();
  ::new (static_cast<void*>(items_ + count_)) TJMember(name, hash, value);
  if (watched_ != 0) BumpMemberEpoch();
  RetainValue(value);
  if (index_ != nullptr) IndexInsert(count_);
  ++count_;
}

std::int64_t TJHash::IndexOf(std::string_view name, std::uint32_t hash) const noexcept {
  const TJValue* v = const_cast<TJHash*>(this)->FindHashed(name, hash);
  if (v == nullptr) return -1;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (&items_[i].Value() == v) return i;
  }
  return -1;
}

void TJHash::SetSameKeys(const TJName& name, const TJValue& value) {
  const std::uint32_t watched = watched_;
  watched_ = 0;
  Set(name, value);
  watched_ = watched;
}

bool TJHash::Remove(const TJName& name) {
  const std::uint32_t hash = name.Hash();
  std::uint32_t at = 0;
  while (at < count_ && !(items_[at].Is(name.Text(), hash))) ++at;
  if (at == count_) return false;
  if (watched_ != 0) BumpMemberEpoch();
  TJValue old = std::move(items_[at].Value());
  if (at + 1 != count_) items_[at] = std::move(items_[count_ - 1]);
  std::destroy_at(items_ + count_ - 1);
  --count_;
  if (index_ != nullptr) BuildIndex();
  ReleaseValue(old);
  return true;
}

void TJHash::Clear() noexcept {
  if (items_ == nullptr) return;
  if (watched_ != 0) BumpMemberEpoch();
  TJMember* items = items_;
  const std::uint32_t count = count_;
  items_ = nullptr;
  count_ = 0;
  cap_ = 0;
  std::free(index_);
  index_ = nullptr;
  for (std::uint32_t i = 0; i < count; ++i) {
    ReleaseValue(items[i].Value());
    std::destroy_at(items + i);
  }
  ::operator delete(items);
}

void TJHash::ResetEntries() noexcept {
  // Releasing only moves counts (nothing is freed here), so one pass does both.
  for (std::uint32_t i = 0; i < count_; ++i) {
    ReleaseValue(items_[i].Value());
    std::destroy_at(items_ + i);
  }
  count_ = 0;
  if (index_ != nullptr) std::memset(index_, 0, sizeof(std::uint32_t) * cap_ * 2);
}

std::vector<std::string> TJHash::Keys() const {
  std::vector<std::pair<std::uint32_t, std::string>> names;
  names.reserve(count_);
  for (std::uint32_t i = 0; i < count_; ++i) names.emplace_back(items_[i].Hash(), std::string(items_[i].Name()));
  SortInBucketOrder(names);
  std::vector<std::string> out;
  out.reserve(names.size());
  for (auto& n : names) out.push_back(std::move(n.second));
  return out;
}

std::string TJHash::KeysText() const { return TrimBlanks(JoinLines(Keys())); }

// ---------------------------------------------------------------------------------------
// TJHashStack

TJValue* TJHashStack::Find(const TJName& name) noexcept {
  for (std::size_t i = layers_.size(); i-- > 0;) {
    if (TJValue* v = layers_[i].Find(name)) return v;
  }
  return nullptr;
}

bool TJHashStack::Get(const TJName& name, TJValue& out) const {
  for (std::size_t i = layers_.size(); i-- > 0;) {
    if (layers_[i].Get(name, out)) return true;
  }
  return false;
}

void TJHashStack::GetSuper(const TJName& name, TJValue& out) const {
  if (layers_.size() < 2) return;
  if (!Layer(1).Get(name, out)) ThrowScriptError(errors::kKey, "super." + std::string(name.Text()));
}

void TJHashStack::SetSuper(const TJName& name, const TJValue& value) {
  if (layers_.size() < 2) return;
  TJValue* slot = Layer(1).Find(name);
  if (slot == nullptr) ThrowScriptError(errors::kKey, "super." + std::string(name.Text()));
  Layer(1).Set(name, value);
}

std::vector<std::string> TJHashStack::KeyNames() const {
  std::vector<std::string> all;
  for (std::size_t i = layers_.size(); i-- > 0;) {
    for (std::string& k : layers_[i].Keys()) all.push_back(std::move(k));
  }
  return MergeSortedNoCase(std::move(all));
}

std::string TJHashStack::KeyList() const { return TrimBlanks(JoinLines(KeyNames())); }

// ---------------------------------------------------------------------------------------
// TJHashMembers

TJValue* TJHashMembers::FindInLayer(TJHash& layer, const TJName& name, TJObject& owner) {
  const std::uint32_t hash = name.Hash();
  if (TJValue* v = layer.FindHashed(name.Text(), hash)) return v;
  if (!layer.ClassMethodsVisible() || layer.Class() == nullptr) return nullptr;
  const TJMethodInfo* m = layer.Class()->FindMethod(name.Text(), hash);
  if (m == nullptr) return nullptr;
  // First read of this method on this object: make its record and keep it in the layer.
  layer.SetSameKeys(TJName(m->Name, m->Hash), function_factory::Native(m->Method, &owner));
  return layer.FindHashed(name.Text(), hash);
}

TJValue* TJHashMembers::Find(const TJName& name, TJObject& owner) {
  for (std::size_t i = layers_.size(); i-- > 0;) {
    if (TJValue* v = FindInLayer(layers_[i], name, owner)) return v;
  }
  return nullptr;
}

bool TJHashMembers::Has(const TJName& name) const noexcept {
  const std::uint32_t hash = name.Hash();
  for (std::size_t i = layers_.size(); i-- > 0;) {
    const TJHash& layer = layers_[i];
    if (layer.Find(name) != nullptr) return true;
    if (layer.ClassMethodsVisible() && layer.Class() != nullptr && layer.Class()->FindMethod(name.Text(), hash) != nullptr) {
      return true;
    }
  }
  return false;
}

// An object always has a parent layer as far as scripts can tell: a plain object's is
// the empty layer below "Object", so super access on it fails for every name.
void TJHashMembers::GetSuper(const TJName& name, TJValue& out, TJObject& owner) {
  TJValue* v = layers_.size() >= 2 ? FindInLayer(Layer(1), name, owner) : nullptr;
  if (v == nullptr) ThrowScriptError(errors::kKey, "super." + std::string(name.Text()));
  out = *v;
}

void TJHashMembers::SetSuper(const TJName& name, const TJValue& value, TJObject& owner) {
  TJValue* v = layers_.size() >= 2 ? FindInLayer(Layer(1), name, owner) : nullptr;
  if (v == nullptr) ThrowScriptError(errors::kKey, "super." + std::string(name.Text()));
  Layer(1).Set(name, value);
}

std::string TJHashMembers::KeyList() const { return TrimBlanks(JoinLines(KeyNames())); }

std::vector<std::string> TJHashMembers::KeyNames() const {
  std::vector<std::string> all;
  for (std::size_t i = layers_.size(); i-- > 0;) {
    const TJHash& layer = layers_[i];
    std::vector<std::pair<std::uint32_t, std::string>> names;
    for (std::size_t k = 0; k < layer.Count(); ++k) {
      names.emplace_back(layer.Entry(k).Hash(), std::string(layer.Entry(k).Name()));
    }
    if (layer.ClassMethodsVisible() && layer.Class() != nullptr) {
      for (const TJMethodInfo& m : layer.Class()->Methods()) {
        if (layer.Find(TJName(m.Name, m.Hash)) == nullptr) names.emplace_back(m.Hash, m.Name.str());
      }
    }
    SortInBucketOrder(names);
    for (auto& n : names) all.push_back(std::move(n.second));
  }
  return MergeSortedNoCase(std::move(all));
}

// ---------------------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------------------
// TJObject

const TJClassInfo& TJObject::Info() {
  static const TJClassInfo info = TJClassBuilder<TJObject>("Object")
                                      .Method<&TJObject::HasKeyMethod>("hasKey")
                                      .Method<&TJObject::ToStringMethod>("toString")
                                      .Method<&TJObject::GetKeysMethod>("getKeys")
                                      .Method<&TJObject::GetPropertiesMethod>("getProperties")
                                      .Method<&TJObject::GetMethodsMethod>("getMethods")
                                      .Build();
  return info;
}

TJObject::TJObject(TJObjectFactory* factory, const TJValueList* /*args*/) : factory_(factory) {
  if (factory_ != nullptr) serial_ = factory_->TakeSerial();
  RegisterName(Info());
}

TJObject::~TJObject() {
  if (link_ != nullptr) {
    link_->Object = nullptr;
    if (--link_->Refs == 0) delete link_;
  }
}

TJObjectLink* TJObject::Link() {
  if (link_ == nullptr) link_ = new TJObjectLink{this, 1};
  return link_;
}

TJEngine* TJObject::Engine() const noexcept { return factory_ != nullptr ? factory_->Engine() : nullptr; }

void TJObject::NoteZeroCount() noexcept { factory_->NoteZero(this); }

void TJObject::NoteCandidate() noexcept { factory_->NoteCandidate(this); }

void TJObject::RegisterName(const TJClassInfo& cls) {
  members_.Push(&cls);
  if (watched_) {
    members_.Top().Watch();
    BumpMemberEpoch();
  }
}

void TJObject::WatchKeys() {
  watched_ = true;
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) members_.Layer(i).Watch();
  BumpMemberEpoch();
}

void TJObject::RegisterName(std::string_view scriptClassName) {
  if (factory_ == nullptr) throw std::logic_error("a script class level needs the object factory");
  RegisterName(factory_->ScriptClassInfo(scriptClassName));
}

void TJObject::RegisterMethod(std::string_view name, TJNativeMethod method) {
  members_.Top().Set(TJName(name), function_factory::Native(method, this));
}

void TJObject::SetMember(const TJName& name, const TJValue& value) { members_.Top().Set(name, value); }

std::string_view TJObject::ScriptClassName() const noexcept {
  if (members_.LayerCount() == 0 || members_.Layer(0).Class() == nullptr) return "Object";
  return members_.Layer(0).Class()->Name().view();
}

std::vector<std::string> TJObject::ClassNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    if (const TJClassInfo* cls = members_.Layer(i).Class()) names.push_back(cls->Name().str());
  }
  return names;
}

bool TJObject::IsClass(std::string_view name) const noexcept {
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    const TJClassInfo* cls = members_.Layer(i).Class();
    if (cls != nullptr && cls->Name().view() == name) return true;
  }
  return false;
}

const TJPropertyInfo* TJObject::FindPropertyInfo(const TJName& name) const noexcept {
  const std::uint32_t hash = name.Hash();
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    const TJClassInfo* cls = members_.Layer(i).Class();
    if (cls == nullptr || cls->Properties().empty()) continue;
    if (const TJPropertyInfo* p = cls->FindProperty(name.Text(), hash)) return p;
  }
  return nullptr;
}

bool TJObject::HasPublishedProperty(const TJName& name) const noexcept { return FindPropertyInfo(name) != nullptr; }

bool TJObject::GetPublishedProperty(const TJName& name, TJValue& out) {
  const TJPropertyInfo* p = FindPropertyInfo(name);
  if (p == nullptr) return false;
  if (p->Get == nullptr) ThrowScriptError(errors::kProperty, "set only");
  TJValue v = p->Get(*this);
  if (p->Type == TJPropertyType::Object && (v.Kind() != jkObject || v.ObjValue() == nullptr)) return false;
  out = std::move(v);
  return true;
}

bool TJObject::SetPublishedProperty(const TJName& name, const TJValue& value) {
  const TJPropertyInfo* p = FindPropertyInfo(name);
  if (p == nullptr) return false;
  if (p->Set == nullptr) ThrowScriptError(errors::kProperty, "get only");
  switch (p->Type) {
    case TJPropertyType::Integer:
      p->Set(*this, TJValue::Integer(ToInteger(value)));
      return true;
    case TJPropertyType::Boolean:
      p->Set(*this, TJValue::Boolean(ToInteger(value) != 0));
      return true;
    case TJPropertyType::Float:
      p->Set(*this, TJValue::Number(ToNumber(value)));
      return true;
    case TJPropertyType::String:
      p->Set(*this, TJValue::Text(ToText(value)));
      return true;
    case TJPropertyType::Object:
      if (value.Kind() != jkObject) return false;
      p->Set(*this, value);
      return true;
    case TJPropertyType::Interface:
      if (value.Kind() != jkDispatch) return false;
      p->Set(*this, value);
      return true;
  }
  return false;
}

std::vector<std::string> TJObject::PublishedPropertyNames() const {
  std::vector<std::string> names;
  for (std::size_t i = members_.LayerCount(); i-- > 0;) {
    const TJClassInfo* cls = members_.Layer(i).Class();
    if (cls == nullptr) continue;
    for (const TJPropertyInfo& p : cls->Properties()) {
      if (std::find(names.begin(), names.end(), p.Name.view()) == names.end()) names.push_back(p.Name.str());
    }
  }
  return names;
}

std::vector<std::string> TJObject::MemberNamesOfKind(bool functions) {
  std::vector<std::string> picked;
  for (std::string& name : members_.KeyNames()) {
    const TJName key(name);
    bool isFunction = false;
    for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
      const TJHash& layer = members_.Layer(i);
      if (const TJValue* v = layer.Find(key)) {
        isFunction = v->Kind() == jkFunction;
        break;
      }
      if (layer.ClassMethodsVisible() && layer.Class() != nullptr && layer.Class()->FindMethod(key.Text(), key.Hash())) {
        isFunction = true;
        break;
      }
    }
    if (isFunction == functions) picked.push_back(std::move(name));
  }
  return picked;
}

std::vector<std::string> TJObject::PropertyNames() {
  std::vector<std::string> names = MemberNamesOfKind(false);
  for (std::string& p : PublishedPropertyNames()) names.push_back(std::move(p));
  return names;
}

std::vector<std::string> TJObject::MethodNames() { return MemberNamesOfKind(true); }

std::string TJObject::GetPropertyNames() { return TrimBlanks(JoinLines(PropertyNames())); }

std::string TJObject::GetMethodNames() { return TrimBlanks(JoinLines(MethodNames())); }

bool TJObject::HasKey(const TJName& name) { return HasPublishedProperty(name) || members_.Has(name); }

void TJObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  out = TJValue();
  if (GetPublishedProperty(name, out)) return;
  const TJValue* v = members_.Find(name, *this);
  if (v == nullptr) ThrowScriptError(bracket ? errors::kKey : errors::kName, name.Text());
  out = *v;
}

void TJObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (SetPublishedProperty(name, value)) return;
  if (bracket || members_.Has(name)) {
    members_.Set(name, value);
    return;
  }
  ThrowScriptError(errors::kName, name.Text());
}

void TJObject::GetSuperValue(const TJName& name, TJValue& out) { members_.GetSuper(name, out, *this); }

void TJObject::SetSuperValue(const TJName& name, const TJValue& value) { members_.SetSuper(name, value, *this); }

SharedString TJObject::ToString(const TJValue* /*arg*/) {
  std::string text = "[";
  text += ScriptClassName();
  text += ']';
  return SharedString(text);
}

bool TJObject::GetIndexed(std::int32_t /*index*/, TJValue& /*out*/) { return false; }
bool TJObject::SetIndexed(std::int32_t /*index*/, const TJValue& /*value*/) { return false; }

void TJObject::EnumReferences(TJReferenceVisitor& visitor) {
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    const TJHash& layer = members_.Layer(i);
    for (std::size_t k = 0; k < layer.Count(); ++k) {
      const TJValue& v = layer.Entry(k).Value();
      if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
    }
  }
}


void TJObject::DropReferences() {
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) members_.Layer(i).Clear();
}

void TJObject::ClearMembers() {
  std::vector<const TJClassInfo*> levels;
  for (std::size_t i = members_.LayerCount(); i-- > 0;) levels.push_back(members_.Layer(i).Class());
  members_.Clear();
  for (const TJClassInfo* cls : levels) {
    members_.Push(cls);
    members_.Top().HideClassMethods();
    if (watched_) members_.Top().Watch();
  }
  BumpMemberEpoch();
}

void TJObject::HasKeyMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Boolean(TJValueList::Has1(&args) && HasKey(TJName(ToText(args[0]))));
}

void TJObject::ToStringMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Text(ToString(TJValueList::Has1(&args) ? &args[0] : nullptr));
}

void TJObject::GetKeysMethod(TJValueList& /*args*/, TJValue& result) {
  result = TJValue::Text(GetPropertyNames() + "\r\n" + GetMethodNames());
}

void TJObject::GetPropertiesMethod(TJValueList& /*args*/, TJValue& result) { result = TJValue::Text(GetPropertyNames()); }

void TJObject::GetMethodsMethod(TJValueList& /*args*/, TJValue& result) { result = TJValue::Text(GetMethodNames()); }

// ---------------------------------------------------------------------------------------
// TJObjectFactory

TJObjectFactory::TJObjectFactory(TJEngine* engine) : engine_(engine) {
  classes_.OwnsObjects = false;
  RegisterClass("Object", TJObject::Info());
}

TJObjectFactory::~TJObjectFactory() { FreeAll(); }

void TJObjectFactory::RegisterClass(std::string_view name, const TJClassInfo& cls) {
  classes_.AddPointer(name, const_cast<TJClassInfo*>(&cls));
}

bool TJObjectFactory::HasClass(std::string_view name) const { return classes_.Find(name) != nullptr; }

const TJClassInfo* TJObjectFactory::FindClass(std::string_view name) const {
  return static_cast<const TJClassInfo*>(classes_.GetPointer(name));
}

TJObject* TJObjectFactory::CreateObject(std::string_view name, const TJValueList* args) {
  return Adopt(CreateDetached(name, args));
}

std::unique_ptr<TJObject> TJObjectFactory::CreateDetached(std::string_view name, const TJValueList* args) {
  const TJClassInfo* cls = FindClass(name);
  if (cls != nullptr && cls->Creator() != nullptr) return cls->Creator()(this, args);
  return std::make_unique<TJObject>(this, args);
}

TJObject* TJObjectFactory::Adopt(std::unique_ptr<TJObject> object) {
  TJObject* o = object.release();
  o->factory_ = this;
  o->listIndex_ = static_cast<std::uint32_t>(objects_.size());
  objects_.push_back(o);
  o->listed_ = true;
  if (o->refs_ <= 0) NoteZero(o);
  if (OnNewObject) OnNewObject(*this, *o);
  return o;
}

void TJObjectFactory::NoteZero(TJObject* object) {
  if (freeingAll_) return;
  object->onZeroList_ = true;
  zeroList_.push_back(object);
}

void TJObjectFactory::NoteCandidate(TJObject* object) {
  if (freeingAll_) return;
  object->candidate_ = static_cast<std::uint32_t>(candidates_.size());
  candidates_.push_back(object);
}

void TJObjectFactory::ForgetCandidate(TJObject* object) noexcept {
  if (object->candidate_ == TJObject::kNoCandidate) return;
  candidates_[object->candidate_] = nullptr;
  object->candidate_ = TJObject::kNoCandidate;
}

void TJObjectFactory::Free(TJObject* object) {
  ForgetCandidate(object);
  const std::uint32_t at = object->listIndex_;
  TJObject* last = objects_.back();
  objects_[at] = last;
  last->listIndex_ = at;
  objects_.pop_back();
  object->listed_ = false;
  delete object;
}

void TJObjectFactory::SweepFrameEntries(std::uint64_t serialMark, std::size_t zeroMark, const TJObject* keep) {
  std::size_t kept = std::min(zeroMark, zeroList_.size());
  // Freeing releases members, which may append further entries; the loop reaches them.
  for (std::size_t i = kept; i < zeroList_.size(); ++i) {
    TJObject* o = zeroList_[i];
    if (o->refs_ > 0) {
      o->onZeroList_ = false;
      continue;
    }
    if (o->serial_ >= serialMark && o != keep) {
      o->onZeroList_ = false;
      Free(o);
      continue;
    }
    zeroList_[kept++] = o;
  }
  zeroList_.resize(kept);
}

void TJObjectFactory::Sweep() {
  for (TJObject* o : objects_) {
    if (o->refs_ <= 0 && !o->onZeroList_) NoteZero(o);
  }
  SweepFrame(0, 0, nullptr);
}

namespace {

// Destroys a set of objects that may point at each other: all of them let go of their
// references first (releases between them only touch counts), then each is destroyed.
void DestroyTogether(const std::vector<TJObject*>& doomed) {
  for (TJObject* o : doomed) o->DropReferences();
  for (TJObject* o : doomed) delete o;
}

}  // namespace

// Trial deletion from the candidates: in the part of the graph they reach, take away the
// counts that come from inside that part (gray). What keeps a count is held from outside
// and lives, with everything it reaches (black); the rest is garbage (white).
void TJObjectFactory::CollectCycles() {
  enum : std::uint8_t { kNone = 0, kGray = 1, kBlack = 2, kWhite = 3 };
  std::vector<TJObject*> roots;
  for (TJObject* o : candidates_) {
    if (o == nullptr) continue;
    o->candidate_ = TJObject::kNoCandidate;
    if (o->listed_ && o->refs_ > 0) roots.push_back(o);
  }
  candidates_.clear();
  if (roots.empty()) return;

  std::vector<TJObject*> gray;
  struct Graying final : TJReferenceVisitor {
    std::vector<TJObject*>& gray;
    std::vector<TJObject*> work;
    explicit Graying(std::vector<TJObject*>& g) : gray(g) {}
    void Reach(TJObject& o) {
      if (o.color_ != kNone) return;
      o.color_ = kGray;
      o.scratch_ = o.refs_;
      gray.push_back(&o);
      work.push_back(&o);
    }
    void Visit(TJObject& o) override {
      if (!o.listed_) return;
      Reach(o);
      --o.scratch_;
    }
  } graying(gray);
  for (TJObject* r : roots) {
    if (r->color_ != kNone) continue;
    graying.Reach(*r);
    while (!graying.work.empty()) {
      TJObject* o = graying.work.back();
      graying.work.pop_back();
      o->EnumReferences(graying);
    }
  }

  struct Blackening final : TJReferenceVisitor {
    std::vector<TJObject*> work;
    void Visit(TJObject& o) override {
      if (o.color_ == kGray || o.color_ == kWhite) {
        o.color_ = kBlack;
        work.push_back(&o);
      }
    }
  } blackening;
  for (TJObject* o : gray) {
    if (o->color_ == kGray && o->scratch_ > 0) {
      o->color_ = kBlack;
      blackening.work.push_back(o);
      while (!blackening.work.empty()) {
        TJObject* b = blackening.work.back();
        blackening.work.pop_back();
        b->EnumReferences(blackening);
      }
    }
  }

  std::vector<TJObject*> garbage;
  for (TJObject* o : gray) {
    if (o->color_ == kGray || o->color_ == kWhite) {
      garbage.push_back(o);
    }
    o->color_ = kNone;
  }
  if (garbage.empty()) return;
  for (TJObject* o : garbage) {
    o->dying_ = true;
    ForgetCandidate(o);
    if (o->onZeroList_) {
      zeroList_.erase(std::remove(zeroList_.begin(), zeroList_.end(), o), zeroList_.end());
      o->onZeroList_ = false;
    }
    // Out of the list first; the list's own order does not matter.
    const std::uint32_t at = o->listIndex_;
    TJObject* last = objects_.back();
    objects_[at] = last;
    last->listIndex_ = at;
    objects_.pop_back();
    o->listed_ = false;
  }
  DestroyTogether(garbage);
}

void TJObjectFactory::FreeAll() {
  freeingAll_ = true;
  std::vector<TJObject*> all;
  all.swap(objects_);
  zeroList_.clear();
  candidates_.clear();
  for (TJObject* o : all) {
    o->dying_ = true;
    o->listed_ = false;
    o->candidate_ = TJObject::kNoCandidate;
  }
  DestroyTogether(all);
  freeingAll_ = false;
}

const TJClassInfo& TJObjectFactory::ScriptClassInfo(std::string_view name) {
  if (auto* existing = static_cast<TJClassInfo*>(scriptClassIndex_.GetPointer(name))) return *existing;
  scriptClasses_.push_back(std::make_unique<TJClassInfo>(name));
  scriptClassIndex_.AddPointer(name, scriptClasses_.back().get());
  return *scriptClasses_.back();
}

}  // namespace kestrin
