#include "script/object_factory.h"

#include <algorithm>

#include "script/object.h"

namespace kestrin {

TJObjectFactory::TJObjectFactory(TJEngine* engine) : engine_(engine) {
  classes_.OwnsObjects = false;
  RegisterClass("Object", TJObject::Info());
}

TJObjectFactory::~TJObjectFactory() { FreeAll(); }

void TJObjectFactory::RegisterClass(std::string_view name, const TJClassInfo& cls) {
  classes_.AddPointer(name, const_cast<TJClassInfo*>(&cls));
  registeredHashes_.set(HashName(name) % registeredHashes_.size());
  plainClass_ = FindClass("Object");
  arrayClass_ = FindClass("Array");
  stringClass_ = FindClass("String");
}

bool TJObjectFactory::HasClass(std::string_view name) const { return classes_.Find(name) != nullptr; }

bool TJObjectFactory::HasClass(std::string_view name, std::uint32_t hash) const {
  return registeredHashes_.test(hash % registeredHashes_.size()) && classes_.Find(name, hash) != nullptr;
}

const TJClassInfo* TJObjectFactory::FindClass(std::string_view name) const {
  return static_cast<const TJClassInfo*>(classes_.GetPointer(name));
}

TJObject* TJObjectFactory::CreateObject(std::string_view name, const TJValueList* args) {
  return Adopt(CreateDetached(name, args));
}

TJObject* TJObjectFactory::CreatePlainObject() { return Adopt(Instantiate(plainClass_, nullptr)); }

TJObject* TJObjectFactory::CreatePlainObject(std::size_t room) {
  if (room == 0 || room > 255 || plainClass_ != &TJObject::Info()) return CreatePlainObject();
  void* block = ::operator new(sizeof(TJObject) + room * sizeof(TJValue));
  TJObject* o = nullptr;
  try {
    o = ::new (block) TJObject(this, nullptr);
  } catch (...) {
    ::operator delete(block);
    throw;
  }
  o->members_.UseRoom(reinterpret_cast<TJValue*>(static_cast<char*>(block) + sizeof(TJObject)),
                      static_cast<std::uint8_t>(room));
  return Adopt(std::unique_ptr<TJObject>(o));
}

TJObject* TJObjectFactory::CreateArray(const TJValueList* args) { return Adopt(Instantiate(arrayClass_, args)); }

std::unique_ptr<TJObject> TJObjectFactory::CreateDetached(std::string_view name, const TJValueList* args) {
  return Instantiate(FindClass(name), args);
}

std::unique_ptr<TJObject> TJObjectFactory::Instantiate(const TJClassInfo* cls, const TJValueList* args) {
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

void TJObjectFactory::Unlist(TJObject* object) noexcept {
  ForgetCandidate(object);
  // The list's own order does not matter: the last entry takes the freed place.
  const std::uint32_t at = object->listIndex_;
  TJObject* last = objects_.back();
  objects_[at] = last;
  last->listIndex_ = at;
  objects_.pop_back();
  object->listed_ = false;
}

void TJObjectFactory::Free(TJObject* object) {
  Unlist(object);
  delete object;
}

// Destroys a set of objects that may point at each other: all of them let go of their
// references first (releases between them only touch counts), then each is destroyed.
void TJObjectFactory::DestroyTogether(const std::vector<TJObject*>& doomed) {
  for (TJObject* o : doomed) o->DropReferences();
  for (TJObject* o : doomed) delete o;
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

void TJObjectFactory::DropAllReferences() {
  freeingAll_ = true;  // counts reaching zero need no note: everything goes soon
  for (std::size_t i = 0; i < objects_.size(); ++i) objects_[i]->DropReferences();
  freeingAll_ = false;
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

const TJClassInfo& TJObjectFactory::ScriptClassInfo(std::string_view name, std::uint32_t hash) {
  const THashItem* item = scriptClassIndex_.Find(name, hash);
  if (item != nullptr && item->ItemKind == THashItemKind::Pointer && item->Pointer != nullptr) {
    return *static_cast<const TJClassInfo*>(item->Pointer);
  }
  scriptClasses_.push_back(std::make_unique<TJClassInfo>(name));
  scriptClassIndex_.AddPointer(name, scriptClasses_.back().get());
  return *scriptClasses_.back();
}

}  // namespace kestrin

