#include "script/member_store.h"

#include <bit>
#include <new>
#include <stdexcept>
#include <utility>

#include "script/class_info.h"

namespace kestrin {

TJMemberStore::~TJMemberStore() {
  DestroyValues();
  shape_->Release();
}

namespace {

// The heap capacity for count values past the inline ones: the next power of two.
std::size_t HeapCapacity(std::size_t count) noexcept { return std::bit_ceil(count); }

void MoveValues(TJValue* from, TJValue* to, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    ::new (static_cast<void*>(to + i)) TJValue(std::move(from[i]));
    std::destroy_at(from + i);
  }
}

}  // namespace

void TJMemberStore::DestroyValues() noexcept {
  if (count_ == 0) return;
  TJValue* values = Data();
  const std::size_t count = count_;
  const bool onHeap = onHeap_ && room_ == 0;
  count_ = 0;
  onHeap_ = false;
  room_ = 0;
  // Releasing only moves counts (nothing is freed here), so one pass does both.
  for (std::size_t i = 0; i < count; ++i) {
    ReleaseValue(values[i]);
    std::destroy_at(values + i);
  }
  if (onHeap) ::operator delete(values);
}

void TJMemberStore::MoveTo(const TJShape* shape) noexcept {
  shape_->Release();
  shape_ = shape;
}

void TJMemberStore::MakeRoom() {
  const std::size_t count = count_;
  if (room_ != 0) {
    if (count < room_) return;
    // Outgrown: to the heap, with the capacity the heap would have at this count.
    auto* values = static_cast<TJValue*>(::operator new(sizeof(TJValue) * HeapCapacity(count + 1)));
    MoveValues(heap_, values, count);
    heap_ = values;
    room_ = 0;
    return;
  }
  if (count < kInline) return;
  // On the heap, full exactly when count_ is a power of two (from kInline on).
  if (onHeap_ && HeapCapacity(count) != count) return;
  if (count >= (1u << 30)) throw std::length_error("too many members");
  auto* values = static_cast<TJValue*>(::operator new(sizeof(TJValue) * HeapCapacity(count + 1)));
  TJValue* old = Data();
  MoveValues(old, values, count);
  if (onHeap_) ::operator delete(old);
  heap_ = values;
  onHeap_ = true;
}

void TJMemberStore::DropSlot(std::size_t slot) noexcept {
  TJValue* values = Data();
  const std::size_t last = count_ - 1;
  if (slot != last) values[slot] = std::move(values[last]);
  std::destroy_at(values + last);
  if (count_ == kInline + 1 && room_ == 0) {
    MoveValues(values, reinterpret_cast<TJValue*>(inline_), kInline);
    ::operator delete(values);
    onHeap_ = false;
  }
  --count_;
}

void TJMemberStore::PushLayer(const TJClassInfo* cls) {
  if (shape_->Dictionary()) {
    shape_->AppendLayer(cls, true);
  } else {
    MoveTo(shape_->WithLayer(cls, true));
  }
  if (watched_) BumpMemberEpoch();
}

TJValue* TJMemberStore::Find(std::size_t fromTop, const TJName& name) noexcept {
  const std::int32_t slot = SlotOf(fromTop, name);
  return slot >= 0 ? &Data()[slot] : nullptr;
}

void TJMemberStore::Set(std::size_t fromTop, const TJName& name, const TJValue& value) {
  const std::size_t layer = shape_->LayerCount() - 1 - fromTop;
  const std::int32_t slot = shape_->FindInLayer(name.Text(), name.Hash(), layer);
  if (slot >= 0) {
    Assign(static_cast<std::size_t>(slot), value);
    return;
  }
  const std::size_t count = count_;
  MakeRoom();
  const TJShape* shared = nullptr;
  if (!shape_->Dictionary() && count < TJShape::kMaxSharedSlots) {
    shared = shape_->WithSlot(name, static_cast<std::uint32_t>(layer));
  }
  if (shared != nullptr) {
    MoveTo(shared);
  } else {
    // Objects used as tables of many (or ever new) names get a shape of their own.
    if (!shape_->Dictionary()) MoveTo(shape_->PrivateCopy());
    shape_->AppendSlot(name, static_cast<std::uint32_t>(layer));
  }
  ::new (static_cast<void*>(Data() + count)) TJValue(value);
  ++count_;
  RetainValue(value);
  if (watched_) BumpMemberEpoch();
}

void TJMemberStore::FollowLayer(const TJShape* next) noexcept {
  next->AddRef();
  MoveTo(next);
  if (watched_) BumpMemberEpoch();
}

void TJMemberStore::FollowSlot(const TJShape* next, const TJValue& value) {
  const std::size_t count = count_;
  MakeRoom();
  next->AddRef();
  MoveTo(next);
  ::new (static_cast<void*>(Data() + count)) TJValue(value);
  ++count_;
  RetainValue(value);
  if (watched_) BumpMemberEpoch();
}

bool TJMemberStore::Remove(std::size_t fromTop, const TJName& name) {
  const std::int32_t slot = shape_->FindInLayer(name.Text(), name.Hash(), shape_->LayerCount() - 1 - fromTop);
  if (slot < 0) return false;
  if (watched_) BumpMemberEpoch();
  if (!shape_->Dictionary()) MoveTo(shape_->PrivateCopy());
  TJValue old = std::move(Data()[slot]);
  DropSlot(static_cast<std::size_t>(slot));
  shape_->RemoveSlot(static_cast<std::size_t>(slot));
  ReleaseValue(old);
  return true;
}

void TJMemberStore::Clear(bool hideMethods) {
  const TJShape* layers = shape_->LayersOnly(hideMethods);
  DestroyValues();
  MoveTo(layers);
  if (watched_) BumpMemberEpoch();
}

std::vector<std::string> TJMemberStore::KeyNames() const {
  std::vector<std::string> all;
  for (std::size_t layer = shape_->LayerCount(); layer-- > 0;) {
    std::vector<std::pair<std::uint32_t, std::string>> names;
    for (std::size_t i = 0; i < shape_->SlotCount(); ++i) {
      const TJShape::Slot& s = shape_->SlotAt(i);
      if (s.layer == layer) names.emplace_back(s.hash, s.name.str());
    }
    const TJShape::Layer& l = shape_->LayerAt(layer);
    if (l.methodsVisible && l.cls != nullptr) {
      for (const TJMethodInfo& m : l.cls->Methods()) {
        if (shape_->FindInLayer(m.Name.view(), m.Hash, layer) < 0) names.emplace_back(m.Hash, m.Name.str());
      }
    }
    SortInBucketOrder(names);
    for (auto& n : names) all.push_back(std::move(n.second));
  }
  return MergeSortedNoCase(std::move(all));
}

// ---------------------------------------------------------------------------------------
// TJShapePath

void TJShapePath::Clear() noexcept {
  for (const TJShape* s : steps_) s->Release();
  steps_.clear();
  start_ = nullptr;
}

void TJShapePath::Record(std::size_t step, const TJShape* from, const TJShape* to) {
  if (step == 0) {
    Clear();
    start_ = from;
  } else if (step > steps_.size() || steps_[step - 1] != from) {
    return;
  }
  while (steps_.size() > step) {
    steps_.back()->Release();
    steps_.pop_back();
  }
  if (to == from || to->Dictionary()) return;
  to->AddRef();
  steps_.push_back(to);
}

}  // namespace kestrin
