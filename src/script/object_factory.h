// The object factory: the class registry, every object a script run creates (listed with
// its serial number) and their reclamation: the frame sweeps of the zero list, the sweep
// of everything at count zero and the collection of unreachable cycles
// (cycle_collector.cpp). See docs/interpreter.md, "Object lifetime".
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "script/class_info.h"
#include "script/hash_table.h"

namespace kestrin {

class TJEngine;
class TJObject;
class TJValueList;

class TJObjectFactory {
 public:
  explicit TJObjectFactory(TJEngine* engine = nullptr);
  ~TJObjectFactory();
  TJObjectFactory(const TJObjectFactory&) = delete;

  TJEngine* Engine() const noexcept { return engine_; }

  // The class registry: script name → class description (replacing an earlier one).
  void RegisterClass(std::string_view name, const TJClassInfo& cls);
  bool HasClass(std::string_view name) const;
  // The same with the name's HashName computed by the caller.
  bool HasClass(std::string_view name, std::uint32_t hash) const;
  const TJClassInfo* FindClass(std::string_view name) const;
  // What "String" names (string values' members ask on every access).
  const TJClassInfo* StringClass() const noexcept { return stringClass_; }

  // Creates an instance of the class registered under name (a plain Object when none is),
  // lists it, reports it to OnNewObject and returns it with count 0. The factory owns it.
  TJObject* CreateObject(std::string_view name, const TJValueList* args = nullptr);
  // The same as CreateObject("Object") and CreateObject("Array", args) without asking the
  // registry by name (literals, a call's arguments).
  TJObject* CreatePlainObject();
  // A plain object with room for `room` member values right behind it (a script class
  // whose instances had that many members before), when "Object" is TJObject itself.
  TJObject* CreatePlainObject(std::size_t room);
  TJObject* CreateArray(const TJValueList* args);
  // Lists an object created by other means (a script class's base, say) the same way.
  TJObject* Adopt(std::unique_ptr<TJObject> object);
  // An instance that the caller owns, outside the list (the engine's singletons).
  std::unique_ptr<TJObject> CreateDetached(std::string_view name, const TJValueList* args = nullptr);

  // Frees every listed object whose count is 0 or less (repeating while freeing releases
  // more).
  void Sweep();
  // Frees every unreachable cycle of listed objects. Only objects whose count dropped
  // without reaching zero since the last collection can hold the last reference into such
  // a cycle, so only what they reach is examined.
  void CollectCycles();
  // Every listed object lets go of its references; only counts change, nothing is freed.
  // For the engine's end, when objects outside the list (the global object, the
  // singletons) must outlive every release aimed at them.
  void DropAllReferences();
  // Frees every listed object whatever its count.
  void FreeAll();

  // --- the frame sweeps (see engine.h)
  std::uint64_t NextSerial() const noexcept { return nextSerial_; }
  std::size_t ZeroListSize() const noexcept { return zeroList_.size(); }
  // Frees zero-list entries from position zeroMark on that were created at or after
  // serialMark, are still at count 0 or less and are not `keep`; older ones stay listed
  // for an enclosing frame.
  void SweepFrame(std::uint64_t serialMark, std::size_t zeroMark, const TJObject* keep = nullptr) {
    if (zeroList_.size() > zeroMark) SweepFrameEntries(serialMark, zeroMark, keep);
  }
  std::size_t ObjectCount() const noexcept { return objects_.size(); }

  // The description of a script class level (name only), made once per name.
  const TJClassInfo& ScriptClassInfo(std::string_view name) { return ScriptClassInfo(name, HashName(name)); }
  const TJClassInfo& ScriptClassInfo(std::string_view name, std::uint32_t hash);

  std::function<void(TJObjectFactory& factory, TJObject& object)> OnNewObject;

 private:
  friend class TJObject;
  // An instance of the class (a plain object when none or without a creator).
  std::unique_ptr<TJObject> Instantiate(const TJClassInfo* cls, const TJValueList* args);
  void NoteZero(TJObject* object);
  void NoteCandidate(TJObject* object);
  void ForgetCandidate(TJObject* object) noexcept;
  void SweepFrameEntries(std::uint64_t serialMark, std::size_t zeroMark, const TJObject* keep);
  // Out of the object list (and the cycle candidates), not yet destroyed.
  void Unlist(TJObject* object) noexcept;
  void Free(TJObject* object);
  static void DestroyTogether(const std::vector<TJObject*>& doomed);
  std::uint64_t TakeSerial() noexcept { return nextSerial_++; }
  const TJClassInfo* plainClass_ = nullptr;  // what "Object" names in the registry
  const TJClassInfo* arrayClass_ = nullptr;  // what "Array" names
  const TJClassInfo* stringClass_ = nullptr;  // what "String" names
  // A bit per registered name's hash (modulo the size): a clear bit answers HasClass
  // without a search (every `new` of a script class asks).
  std::bitset<1024> registeredHashes_;

  TJEngine* engine_;
  TPointerHashTable classes_{100, false};
  std::vector<TJObject*> objects_;
  std::vector<TJObject*> zeroList_;
  std::vector<TJObject*> candidates_;  // possible roots of garbage cycles (null: freed)
  std::uint64_t nextSerial_ = 1;
  std::vector<std::unique_ptr<TJClassInfo>> scriptClasses_;
  TStringHashTable scriptClassIndex_{100, false};
  bool freeingAll_ = false;
};

}  // namespace kestrin
