#include "script/object.h"

#include <algorithm>
#include <stdexcept>

#include "script/name_text.h"

namespace kestrin {

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
// TJObject

// A plain object of two members is one allocation of 112 bytes with the allocator's
// header (a million of them are part of the memory benchmark).
static_assert(sizeof(TJObject) <= 104, "a small object stays within 104 bytes");

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

void TJObject::RegisterName(const TJClassInfo& cls) { members_.PushLayer(&cls); }

void TJObject::WatchKeys() {
  members_.Watch();
  BumpMemberEpoch();
}

void TJObject::RegisterName(std::string_view scriptClassName) {
  if (factory_ == nullptr) throw std::logic_error("a script class level needs the object factory");
  RegisterName(factory_->ScriptClassInfo(scriptClassName));
}

void TJObject::RegisterMethod(std::string_view name, TJNativeMethod method) {
  members_.Set(0, TJName(name), function_factory::Native(method, this));
}

void TJObject::SetMember(const TJName& name, const TJValue& value) { members_.Set(0, name, value); }

std::string_view TJObject::ScriptClassName() const noexcept {
  if (members_.LayerCount() == 0 || members_.LayerClass(0) == nullptr) return "Object";
  return members_.LayerClass(0)->Name().view();
}

std::vector<std::string> TJObject::ClassNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    if (const TJClassInfo* cls = members_.LayerClass(i)) names.push_back(cls->Name().str());
  }
  return names;
}

bool TJObject::IsClass(std::string_view name) const noexcept {
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    const TJClassInfo* cls = members_.LayerClass(i);
    if (cls != nullptr && cls->Name().view() == name) return true;
  }
  return false;
}

const TJPropertyInfo* TJObject::FindPropertyInfo(const TJName& name) const noexcept {
  if (!members_.Shape()->PublishesProperties()) return nullptr;
  const std::uint32_t hash = name.Hash();
  for (std::size_t i = 0; i < members_.LayerCount(); ++i) {
    const TJClassInfo* cls = members_.LayerClass(i);
    if (cls == nullptr || cls->Properties().empty()) continue;
    if (const TJPropertyInfo* p = cls->FindProperty(name.Text(), hash)) return p;
  }
  return nullptr;
}


bool TJObject::GetPublishedProperty(const TJName& name, TJValue& out) {
  const TJPropertyInfo* p = FindPropertyInfo(name);
  if (p == nullptr) return false;
  if (p->Get == nullptr) ThrowScriptError(errors::kSetOnly);
  TJValue v = p->Get(*this);
  if (p->Type == TJPropertyType::Object && (v.Kind() != jkObject || v.ObjValue() == nullptr)) return false;
  out = std::move(v);
  return true;
}

bool TJObject::SetPublishedProperty(const TJName& name, const TJValue& value) {
  const TJPropertyInfo* p = FindPropertyInfo(name);
  if (p == nullptr) return false;
  if (p->Set == nullptr) ThrowScriptError(errors::kGetOnly);
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
    const TJClassInfo* cls = members_.LayerClass(i);
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
    const TJShape::Found found = members_.Resolve(TJName(name));
    const bool isFunction = found.method != nullptr ||
                            (found.slot >= 0 && members_.Value(static_cast<std::size_t>(found.slot)).Kind() == jkFunction);
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

std::string TJObject::GetPropertyNames() { return NameListText(PropertyNames()); }

std::string TJObject::GetMethodNames() { return NameListText(MethodNames()); }

bool TJObject::HasKey(const TJName& name) { return HasPublishedProperty(name) || HasMember(name); }

bool TJObject::HasMember(const TJName& name) const noexcept {
  const TJShape::Found found = members_.Resolve(name);
  return found.slot >= 0 || found.method != nullptr;
}

bool TJObject::ReadMember(const TJName& name, TJValue& out) {
  const TJShape::Found found = members_.Resolve(name);
  if (found.slot >= 0) {
    out = members_.Read(static_cast<std::size_t>(found.slot), this);
    return true;
  }
  if (found.method == nullptr) return false;
  // A native method of the class: a record bound to this object, made for this read.
  out = function_factory::Native(found.method->Method, this);
  return true;
}

void TJObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  out = TJValue();
  if (GetPublishedProperty(name, out)) return;
  if (!ReadMember(name, out)) ThrowScriptError(bracket ? errors::kKey : errors::kName, name.Text());
}

void TJObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (SetPublishedProperty(name, value)) return;
  if (bracket || HasMember(name)) {
    members_.Set(0, name, value);
    return;
  }
  ThrowScriptError(errors::kName, name.Text());
}

// An object always has a parent layer as far as scripts can tell: a plain object's is
// the empty layer below "Object", so super access on it fails for every name.
bool TJObject::FindSuper(const TJName& name, TJValue* out) {
  if (members_.LayerCount() < 2) return false;
  if (const std::int32_t slot = members_.SlotOf(1, name); slot >= 0) {
    if (out != nullptr) *out = members_.Read(static_cast<std::size_t>(slot), this);
    return true;
  }
  const TJClassInfo* cls = members_.LayerClass(1);
  const TJMethodInfo* m = members_.MethodsVisible(1) && cls != nullptr ? cls->FindMethod(name.Text(), name.Hash()) : nullptr;
  if (m == nullptr) return false;
  if (out != nullptr) *out = function_factory::Native(m->Method, this);
  return true;
}

void TJObject::GetSuperValue(const TJName& name, TJValue& out) {
  if (!FindSuper(name, &out)) ThrowScriptError(errors::kNoSuper, name.Text());
}

void TJObject::SetSuperValue(const TJName& name, const TJValue& value) {
  if (!FindSuper(name, nullptr)) ThrowScriptError(errors::kNoSuper, name.Text());
  members_.Set(1, name, value);
}

SharedString TJObject::ToString(const TJValue* /*arg*/) {
  std::string text = "[";
  text += ScriptClassName();
  text += ']';
  return SharedString(text);
}

bool TJObject::GetIndexed(std::int32_t /*index*/, TJValue& /*out*/) { return false; }
bool TJObject::SetIndexed(std::int32_t /*index*/, const TJValue& /*value*/) { return false; }

void TJObject::EnumReferences(TJReferenceVisitor& visitor) {
  for (std::size_t i = 0; i < members_.SlotCount(); ++i) {
    const TJValue& v = members_.Value(i);
    if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
  }
}

void TJObject::DropReferences() { members_.Clear(false); }

void TJObject::ClearMembers() {
  members_.Clear(true);
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

}  // namespace kestrin
