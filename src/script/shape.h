// Shapes: the layout of an object's members, shared by every object whose class levels
// and member names came in the same order.
//
// A shape lists the object's class levels (layers, bottom first: the class description of
// each and whether its native methods are visible) and its members in slot order (name,
// hash, layer). An object keeps its shape and one value per slot (member_store.h). Adding
// a layer or a member moves the object to a child shape, made once and shared; so the
// shape of an object tells where each name lives, and the evaluator can remember, per
// expression node, a shape and the slot it found there (an inline cache). Shapes are
// never changed once shared; an object that grows past kMaxSharedSlots members, or loses
// one, gets a shape of its own (a dictionary shape), which it changes in place and no cache
// ever remembers.
//
// Shapes are counted by the objects and child shapes that use them and live as long as
// those. One thread at a time (as the class descriptions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "script/shared_string.h"

namespace kestrin {

class TJClassInfo;
class TJName;
struct TJMethodInfo;

class TJShape {
 public:
  struct Slot {
    SharedString name;
    std::uint32_t hash;
    std::uint32_t layer;  // from the bottom
  };
  struct Layer {
    const TJClassInfo* cls;  // none: a level without description
    bool methodsVisible;
  };
  // Where a name resolves: the slot of the topmost layer's entry, or the native method of a
  // layer above any entry (method non-null), or nothing (slot -1, method null).
  struct Found {
    std::int32_t slot = -1;
    const TJMethodInfo* method = nullptr;
  };

  static constexpr std::size_t kMaxSharedSlots = 32;
  // A shape with this many children makes no more: objects that go on from it get a shape
  // of their own (objects used as tables with ever new names would otherwise make the
  // search among the children long).
  static constexpr std::size_t kMaxChildren = 64;

  // The shape without layers and members (every object starts here). Never freed.
  static const TJShape* Empty() noexcept;

  TJShape(const TJShape&) = delete;
  TJShape& operator=(const TJShape&) = delete;

  void AddRef() const noexcept { ++refs_; }
  void Release() const noexcept {
    if (--refs_ == 0) Destroy();
  }

  // The shape with one more layer on top, or one more member; counted for the caller.
  // WithSlot answers null when this shape may make no more children (kMaxChildren).
  const TJShape* WithLayer(const TJClassInfo* cls, bool methodsVisible) const;
  const TJShape* WithSlot(const TJName& name, std::uint32_t layer) const;
  // A dictionary shape with the same layers and members, counted for the caller.
  const TJShape* PrivateCopy() const;
  // The layers alone (no member), with their methods visible as now or all hidden.
  const TJShape* LayersOnly(bool hideMethods) const;

  bool Dictionary() const noexcept { return dictionary_; }
  // Some class level publishes properties (objects of other shapes have none to look at).
  bool PublishesProperties() const noexcept { return publishes_; }
  // Never the same for two shapes of the process, even after one is freed: what caches
  // remember (an address could come back for another shape).
  std::uint64_t Id() const noexcept { return id_; }
  // A dictionary shape changes in place (its only user is its object).
  void AppendSlot(const TJName& name, std::uint32_t layer) const;
  void AppendLayer(const TJClassInfo* cls, bool methodsVisible) const;
  void RemoveSlot(std::size_t slot) const;  // the last slot takes its place

  std::size_t SlotCount() const noexcept { return slots_.size(); }
  std::size_t LayerCount() const noexcept { return layers_.size(); }
  const Slot& SlotAt(std::size_t i) const noexcept { return slots_[i]; }
  const Layer& LayerAt(std::size_t i) const noexcept { return layers_[i]; }

  // The slot of a name in one layer (from the bottom), or -1.
  std::int32_t FindInLayer(std::string_view name, std::uint32_t hash, std::size_t layer) const noexcept;
  // The topmost entry or visible native method of a name (remembered per shared shape: a
  // dot expression that meets objects of several shapes asks again at every change).
  Found Resolve(std::string_view name, std::uint32_t hash) const noexcept;

 private:
  TJShape();
  void Destroy() const noexcept;
  const TJShape* Child(bool isLayer, const TJClassInfo* cls, bool visible, std::string_view name, std::uint32_t hash,
                       std::uint32_t layer) const noexcept;
  void BuildIndex() const;
  Found ResolveNow(std::string_view name, std::uint32_t hash) const noexcept;

  // Names resolved in this shape, by hash; names longer than kRememberedText are not kept.
  static constexpr std::size_t kRememberedText = 23;
  struct Remembered {
    std::uint32_t hash = 0;
    std::uint8_t size = 0;
    bool used = false;
    char text[kRememberedText];
    Found found;
  };
  static constexpr std::size_t kRemembered = 16;

  // What this shape added to its parent (for finding it again among the parent's children).
  bool isLayerStep_ = false;
  bool dictionary_ = false;
  mutable bool publishes_ = false;
  std::uint64_t id_;
  mutable std::uint32_t refs_ = 0;
  const TJShape* parent_ = nullptr;

  mutable std::vector<Slot> slots_;
  mutable std::vector<Layer> layers_;
  mutable std::vector<const TJShape*> children_;
  // Open addressing over slot numbers + 1 by hash, once a shape has many slots.
  mutable std::vector<std::uint32_t> index_;
  mutable std::unique_ptr<Remembered[]> remembered_;
};

}  // namespace kestrin
