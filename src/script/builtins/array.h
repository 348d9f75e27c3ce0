// TJArrayObject: the script's dense, zero-based array. Its elements are a counting list,
// so every object it holds is counted.
#pragma once

#include <cstdint>
#include <typeinfo>

#include "script/object.h"

namespace kestrin {

class TJArrayObject : public TJObject {
 public:
  TJArrayObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  // The array behind an object value, when it is exactly an array.
  static TJArrayObject* Exactly(TJObject* object) noexcept {
    return object != nullptr && typeid(*object) == typeid(TJArrayObject) ? static_cast<TJArrayObject*>(object) : nullptr;
  }
  // An element, or null outside the array (where GetIndexed raises the index error).
  const TJValue* Element(std::int32_t index) const noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < elements_.Count() ? &elements_[static_cast<std::size_t>(index)]
                                                                            : nullptr;
  }
  // SetIndexed for an uncounted value over an uncounted element; false outside the array
  // or for counted values (then SetIndexed does it).
  bool SetUncounted(std::int32_t index, const TJValue& value) noexcept {
    return index >= 0 && elements_.SetUncounted(static_cast<std::size_t>(index), value);
  }

  // For other parts: append, clear, read.
  void Append(const TJValue& v) { elements_.Add(v); }
  void ClearElements() { elements_.Clear(); }
  std::size_t Length() const noexcept { return elements_.Count(); }
  const TJValue& At(std::size_t i) const noexcept { return elements_[i]; }
  TJValueList& Elements() noexcept { return elements_; }
  // join with a separator (null and undefined elements write nothing).
  std::string Join(std::string_view separator) const;

  void GetValue(const TJName& name, bool bracket, TJValue& out) override;
  void SetValue(const TJName& name, const TJValue& value, bool bracket) override;
  bool GetIndexed(std::int32_t index, TJValue& out) override;
  bool SetIndexed(std::int32_t index, const TJValue& value) override;
  std::vector<std::string> PropertyNames() override;
  SharedString ToString(const TJValue* arg) override;
  void EnumReferences(TJReferenceVisitor& visitor) override;
  void DropReferences() override;

 private:
  TJValue GetLength();
  void DeleteMethod(TJValueList& args, TJValue& result);
  void ClearMethod(TJValueList& args, TJValue& result);
  void AddMethod(TJValueList& args, TJValue& result);
  void SortMethod(TJValueList& args, TJValue& result);
  void ConcatMethod(TJValueList& args, TJValue& result);
  void JoinMethod(TJValueList& args, TJValue& result);
  void PopMethod(TJValueList& args, TJValue& result);
  void PushMethod(TJValueList& args, TJValue& result);
  void ReverseMethod(TJValueList& args, TJValue& result);
  void ShiftMethod(TJValueList& args, TJValue& result);
  void SliceMethod(TJValueList& args, TJValue& result);
  void SpliceMethod(TJValueList& args, TJValue& result);
  void ToStringMethod(TJValueList& args, TJValue& result);
  void UnShiftMethod(TJValueList& args, TJValue& result);

  std::int32_t Compare(const TJValue& a, const TJValue& b);
  void QuickSort(std::int32_t low, std::int32_t high);
  static constexpr std::int32_t kPrefetchAhead = 4;
  void PrefetchElement(std::int32_t index) const noexcept;
  TJArrayObject& NewArray();

  TJValue comparator_;  // the function given to the latest sort
  TJValueList elements_{true};
};

}  // namespace kestrin
