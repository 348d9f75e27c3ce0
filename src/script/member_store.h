// An object's members: its shape (shape.h) and one value per slot of it.
//
// Layers are the object's class levels, counted here from the top (0 = the most derived
// class, as scripts see them). A name is found top-down: the first layer that holds it,
// or whose class shows a native method of that name, answers. Writes go into a given
// layer (the top one for ordinary members). Storing a value counts the object it holds and
// releases the one it replaces. A watched store (the global object's) moves the member
// epoch whenever a name appears or leaves (member_table.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/member_table.h"
#include "script/shape.h"
#include "script/value.h"

namespace kestrin {

class TJClassInfo;
class TJObject;

class TJMemberStore {
 public:
  TJMemberStore() noexcept : shape_(TJShape::Empty()) { shape_->AddRef(); }
  ~TJMemberStore();
  TJMemberStore(const TJMemberStore&) = delete;
  TJMemberStore& operator=(const TJMemberStore&) = delete;

  const TJShape* Shape() const noexcept { return shape_; }

  // --- layers
  void PushLayer(const TJClassInfo* cls);
  std::size_t LayerCount() const noexcept { return shape_->LayerCount(); }
  const TJClassInfo* LayerClass(std::size_t fromTop) const noexcept { return Layer(fromTop).cls; }
  bool MethodsVisible(std::size_t fromTop) const noexcept { return Layer(fromTop).methodsVisible; }

  // --- entries by slot (in the order they were added, per layer)
  std::size_t SlotCount() const noexcept { return shape_->SlotCount(); }
  std::string_view SlotName(std::size_t slot) const noexcept { return shape_->SlotAt(slot).name.view(); }
  // The layer of a slot, from the top.
  std::size_t SlotLayer(std::size_t slot) const noexcept { return shape_->LayerCount() - 1 - shape_->SlotAt(slot).layer; }
  // The value as stored: a method's stand-in stays one (function_record.h). Only for
  // looking at it; a value that leaves the object comes from Read.
  TJValue& Value(std::size_t slot) noexcept { return Data()[slot]; }
  const TJValue& Value(std::size_t slot) const noexcept { return Data()[slot]; }
  // The value as a script may hold it: a stand-in becomes owner's own record first.
  TJValue& Read(std::size_t slot, TJObject* owner) {
    TJValue& v = Data()[slot];
    if (v.Kind() == jkFunction && v.FuncValue() != nullptr && v.FuncValue()->StandIn != TJStandIn::None) {
      function_factory::OwnRecord(v, owner);
    }
    return v;
  }
  // Overwrites a slot's value, keeping object counts.
  void Assign(std::size_t slot, const TJValue& value) noexcept {
    TJValue& s = Data()[slot];
    RetainValue(value);
    ReleaseValue(s);
    s = value;
  }

  // --- by name
  // The first entry or visible native method from the top.
  TJShape::Found Resolve(const TJName& name) const noexcept { return shape_->Resolve(name.Text(), name.Hash()); }
  // The entry of one layer (not its methods), or null; as stored (see Value).
  TJValue* Find(std::size_t fromTop, const TJName& name) noexcept;
  // The slot of a layer's entry, or -1.
  std::int32_t SlotOf(std::size_t fromTop, const TJName& name) const noexcept {
    return shape_->FindInLayer(name.Text(), name.Hash(), shape_->LayerCount() - 1 - fromTop);
  }
  // Adds or replaces the entry of one layer.
  void Set(std::size_t fromTop, const TJName& name, const TJValue& value);
  // Moves on to `next`, a shared child of the current shape that a construction path
  // remembered (TJShapePath): its layer, or its last entry holding value, added as
  // PushLayer and Set would have added it.
  void FollowLayer(const TJShape* next) noexcept;
  void FollowSlot(const TJShape* next, const TJValue& value);
  // Removes the entry of one layer; false when there is none.
  bool Remove(std::size_t fromTop, const TJName& name);
  // Lets go of every value. The layers stay, their native methods hidden when hideMethods.
  void Clear(bool hideMethods);

  // Every name (entries and visible native methods), top layer first, each layer in the
  // order of the hash table's buckets, merged without regard to case (first of
  // case-variants kept).
  std::vector<std::string> KeyNames() const;

  void Watch() noexcept { watched_ = true; }

  // Room for `capacity` values that the caller keeps alive as long as the store (memory
  // right behind the object, made with it): the values live there from the first one on,
  // and move to the heap only when they outgrow it. Only for an empty store.
  void UseRoom(TJValue* room, std::uint8_t capacity) noexcept {
    heap_ = room;
    onHeap_ = true;
    room_ = capacity;
  }

 private:
  // Objects of one or two members (the usual small records) keep them in the store itself.
  static constexpr std::uint32_t kInline = 2;
  TJValue* Data() noexcept { return onHeap_ ? heap_ : reinterpret_cast<TJValue*>(inline_); }
  const TJValue* Data() const noexcept { return const_cast<TJMemberStore*>(this)->Data(); }
  const TJShape::Layer& Layer(std::size_t fromTop) const noexcept {
    return shape_->LayerAt(shape_->LayerCount() - 1 - fromTop);
  }
  void MoveTo(const TJShape* shape) noexcept;
  // Room for one value more than count_ has (moving them to the heap past kInline).
  void MakeRoom();
  // Drops one value's place: the last one moves into `slot` (back inline at kInline).
  void DropSlot(std::size_t slot) noexcept;
  void DestroyValues() noexcept;

  const TJShape* shape_;
  std::uint32_t count_ = 0;  // values held: the shape's slot count
  bool watched_ = false;
  bool onHeap_ = false;   // the values are at heap_ (owned unless room_ says otherwise)
  std::uint8_t room_ = 0;  // heap_ is the caller's room for this many values
  union {
    TJValue* heap_;  // past kInline: room for the next power of two of count_
    alignas(TJValue) unsigned char inline_[kInline * sizeof(TJValue)];
  };
};

// The shapes one class level's construction leads through (its layer, then its members
// in declaration order), remembered from an instance so that the next one moves along
// them without a search by name. Step 0 is the layer. A step is followed only from the
// very shape it was recorded from, so an instance that went elsewhere (an initialiser
// that changed the object, a name declared twice) takes the general way from there.
// Each step holds a count on its shape, and through it on the shapes before it.
class TJShapePath {
 public:
  TJShapePath() = default;
  TJShapePath(const TJShapePath&) = delete;
  TJShapePath& operator=(const TJShapePath&) = delete;
  ~TJShapePath() { Clear(); }

  void Clear() noexcept;
  // The shape of step `step` when the store is at the shape it was recorded from, else null.
  const TJShape* Next(std::size_t step, const TJShape* at) const noexcept {
    if (step >= steps_.size()) return nullptr;
    return (step == 0 ? start_ : steps_[step - 1]) == at ? steps_[step] : nullptr;
  }
  // An instance went from `from` to `to` at `step` the general way: remembered when it
  // continues the steps before it (the later ones are forgotten) and leads to a new
  // shared shape.
  void Record(std::size_t step, const TJShape* from, const TJShape* to);

 private:
  const TJShape* start_ = nullptr;  // what step 0 leads from (held through steps_[0])
  std::vector<const TJShape*> steps_;
};

// One layer of an object's store, seen as a table (values read as Read gives them).
class TJMemberLayer {
 public:
  TJMemberLayer(TJMemberStore& store, std::size_t fromTop, TJObject* owner) noexcept
      : store_(store), fromTop_(fromTop), owner_(owner) {}
  TJValue* Find(const TJName& name) {
    const std::int32_t slot = store_.SlotOf(fromTop_, name);
    return slot >= 0 ? &store_.Read(static_cast<std::size_t>(slot), owner_) : nullptr;
  }
  void Set(const TJName& name, const TJValue& value) { store_.Set(fromTop_, name, value); }
  bool Remove(const TJName& name) { return store_.Remove(fromTop_, name); }

 private:
  TJMemberStore& store_;
  std::size_t fromTop_;
  TJObject* owner_;
};

}  // namespace kestrin
