#include "script/shape.h"

#include <algorithm>
#include <new>

#include "script/class_info.h"
#include "script/member_table.h"

namespace kestrin {

namespace {

// Shapes with more slots than this look names up through an index.
constexpr std::size_t kIndexFrom = 8;

// Ids start at 1: 0 is what a cache holds before it remembers anything.
std::uint64_t gNextShapeId = 1;

// A slot's name against a name of the same hash. Member names are short: compared here
// byte by byte rather than by a call to the library's memcmp.
inline bool SameText(std::string_view mine, std::string_view name) noexcept {
  if (mine.size() != name.size()) return false;
  if (mine.size() > 24) return mine == name;
  for (std::size_t i = 0; i < mine.size(); ++i) {
    if (mine[i] != name[i]) return false;
  }
  return true;
}

inline bool SameName(const SharedString& slotName, std::string_view name) noexcept {
  return SameText(slotName.view(), name);
}

bool Publishes(const TJClassInfo* cls) noexcept { return cls != nullptr && !cls->Properties().empty(); }

}  // namespace

TJShape::TJShape() : id_(gNextShapeId++) {}

const TJShape* TJShape::Empty() noexcept {
  static const TJShape* const empty = [] {
    auto* shape = new TJShape();
    shape->refs_ = 1;  // held for the life of the process
    return shape;
  }();
  return empty;
}

void TJShape::Destroy() const noexcept {
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), this));
    parent_->Release();
  }
  delete this;
}

const TJShape* TJShape::Child(bool isLayer, const TJClassInfo* cls, bool visible, std::string_view name,
                              std::uint32_t hash, std::uint32_t layer) const noexcept {
  for (const TJShape* c : children_) {
    if (c->isLayerStep_ != isLayer) continue;
    if (isLayer) {
      const Layer& top = c->layers_.back();
      if (top.cls == cls && top.methodsVisible == visible) return c;
    } else {
      const Slot& last = c->slots_.back();
      if (last.hash == hash && last.layer == layer && SameName(last.name, name)) return c;
    }
  }
  return nullptr;
}

const TJShape* TJShape::WithLayer(const TJClassInfo* cls, bool methodsVisible) const {
  const TJShape* child = Child(true, cls, methodsVisible, {}, 0, 0);
  if (child == nullptr) {
    auto* made = new TJShape();
    made->isLayerStep_ = true;
    made->parent_ = this;
    AddRef();
    made->slots_ = slots_;
    made->layers_ = layers_;
    made->layers_.push_back({cls, methodsVisible});
    made->publishes_ = publishes_ || Publishes(cls);
    children_.push_back(made);
    child = made;
  }
  child->AddRef();
  return child;
}

const TJShape* TJShape::WithSlot(const TJName& name, std::uint32_t layer) const {
  const TJShape* child = Child(false, nullptr, false, name.Text(), name.Hash(), layer);
  if (child == nullptr && children_.size() >= kMaxChildren) return nullptr;
  if (child == nullptr) {
    auto* made = new TJShape();
    made->parent_ = this;
    AddRef();
    made->slots_.reserve(slots_.size() + 1);
    made->slots_ = slots_;
    made->slots_.push_back({name.Shared(), name.Hash(), layer});
    made->layers_ = layers_;
    made->publishes_ = publishes_;
    children_.push_back(made);
    child = made;
  }
  child->AddRef();
  return child;
}

const TJShape* TJShape::PrivateCopy() const {
  auto* made = new TJShape();
  made->dictionary_ = true;
  made->slots_ = slots_;
  made->layers_ = layers_;
  made->publishes_ = publishes_;
  made->refs_ = 1;
  if (made->slots_.size() > kIndexFrom) made->BuildIndex();
  return made;
}

const TJShape* TJShape::LayersOnly(bool hideMethods) const {
  const TJShape* shape = Empty();
  shape->AddRef();
  for (const Layer& l : layers_) {
    const TJShape* next = shape->WithLayer(l.cls, hideMethods ? false : l.methodsVisible);
    shape->Release();
    shape = next;
  }
  return shape;
}

void TJShape::AppendLayer(const TJClassInfo* cls, bool methodsVisible) const {
  layers_.push_back({cls, methodsVisible});
  publishes_ = publishes_ || Publishes(cls);
}

void TJShape::AppendSlot(const TJName& name, std::uint32_t layer) const {
  const std::uint32_t hash = name.Hash();
  slots_.push_back({name.Shared(), hash, layer});
  if (slots_.size() <= kIndexFrom) {
    index_.clear();  // small: found by a scan (a later index is built afresh)
    return;
  }
  if (index_.size() < slots_.size() * 2) {
    BuildIndex();
    return;
  }
  const std::uint32_t mask = static_cast<std::uint32_t>(index_.size() - 1);
  std::uint32_t at = hash & mask;
  while (index_[at] != 0) at = (at + 1) & mask;
  index_[at] = static_cast<std::uint32_t>(slots_.size());
}

void TJShape::RemoveSlot(std::size_t slot) const {
  if (slot + 1 != slots_.size()) slots_[slot] = std::move(slots_.back());
  slots_.pop_back();
  if (!index_.empty()) BuildIndex();
}

void TJShape::BuildIndex() const {
  std::size_t capacity = 16;
  while (capacity < slots_.size() * 4) capacity *= 2;  // load factor at most 1/4, room to grow
  index_.assign(capacity, 0);
  const std::uint32_t mask = static_cast<std::uint32_t>(capacity - 1);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    std::uint32_t at = slots_[i].hash & mask;
    while (index_[at] != 0) at = (at + 1) & mask;
    index_[at] = static_cast<std::uint32_t>(i + 1);
  }
}

std::int32_t TJShape::FindInLayer(std::string_view name, std::uint32_t hash, std::size_t layer) const noexcept {
  if (slots_.size() > kIndexFrom) {
    if (index_.empty()) BuildIndex();
    const std::uint32_t mask = static_cast<std::uint32_t>(index_.size() - 1);
    for (std::uint32_t at = hash & mask; index_[at] != 0; at = (at + 1) & mask) {
      const Slot& s = slots_[index_[at] - 1];
      if (s.hash == hash && s.layer == layer && SameName(s.name, name)) return static_cast<std::int32_t>(index_[at] - 1);
    }
    return -1;
  }
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const Slot& s = slots_[i];
    if (s.hash == hash && s.layer == layer && SameName(s.name, name)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

TJShape::Found TJShape::Resolve(std::string_view name, std::uint32_t hash) const noexcept {
  // A dictionary shape changes; a shared one never does (nor its classes' methods).
  if (dictionary_ || name.size() > kRememberedText) return ResolveNow(name, hash);
  if (remembered_) {
    const Remembered& r = remembered_[hash % kRemembered];
    if (r.used && r.hash == hash && SameText(std::string_view(r.text, r.size), name)) return r.found;
  } else {
    remembered_.reset(new (std::nothrow) Remembered[kRemembered]);
    if (!remembered_) return ResolveNow(name, hash);
  }
  const Found found = ResolveNow(name, hash);
  // Names a shape lacks (bare names inside methods that are variables, say) are many and
  // cheap to miss again: kept are only those a dot expression can remember.
  if (found.slot < 0 && found.method == nullptr) return found;
  Remembered& r = remembered_[hash % kRemembered];
  r.hash = hash;
  r.size = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), r.text);
  r.found = found;
  r.used = true;
  return found;
}

TJShape::Found TJShape::ResolveNow(std::string_view name, std::uint32_t hash) const noexcept {
  std::int32_t best = -1;
  const auto consider = [&](std::size_t i) {
    const Slot& s = slots_[i];
    if (s.hash == hash && SameName(s.name, name) && (best < 0 || s.layer > slots_[best].layer)) {
      best = static_cast<std::int32_t>(i);
    }
  };
  if (slots_.size() > kIndexFrom) {
    if (index_.empty()) BuildIndex();
    const std::uint32_t mask = static_cast<std::uint32_t>(index_.size() - 1);
    for (std::uint32_t at = hash & mask; index_[at] != 0; at = (at + 1) & mask) consider(index_[at] - 1);
  } else {
    for (std::size_t i = 0; i < slots_.size(); ++i) consider(i);
  }
  // A native method of a layer above the entry (a layer's own entry comes before its
  // methods) wins.
  const std::size_t lowest = best >= 0 ? slots_[best].layer + 1 : 0;
  for (std::size_t l = layers_.size(); l-- > lowest;) {
    const Layer& layer = layers_[l];
    if (!layer.methodsVisible || layer.cls == nullptr) continue;
    if (const TJMethodInfo* m = layer.cls->FindMethod(name, hash)) return {-1, m};
  }
  return {best, nullptr};
}

}  // namespace kestrin
