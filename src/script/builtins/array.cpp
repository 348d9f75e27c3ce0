#include "script/builtins/array.h"

#include <string>

#include "script/engine.h"

namespace kestrin {

const TJClassInfo& TJArrayObject::Info() {
  static const TJClassInfo info = TJClassBuilder<TJArrayObject>("Array")
                                      .Method<&TJArrayObject::DeleteMethod>("delete")
                                      .Method<&TJArrayObject::ClearMethod>("clear")
                                      .Method<&TJArrayObject::AddMethod>("add")
                                      .Method<&TJArrayObject::SortMethod>("sort")
                                      .Method<&TJArrayObject::ConcatMethod>("concat")
                                      .Method<&TJArrayObject::JoinMethod>("join")
                                      .Method<&TJArrayObject::PopMethod>("pop")
                                      .Method<&TJArrayObject::PushMethod>("push")
                                      .Method<&TJArrayObject::ReverseMethod>("reverse")
                                      .Method<&TJArrayObject::ShiftMethod>("shift")
                                      .Method<&TJArrayObject::SliceMethod>("slice")
                                      .Method<&TJArrayObject::SpliceMethod>("splice")
                                      .Method<&TJArrayObject::ToStringMethod>("toString")
                                      .Method<&TJArrayObject::UnShiftMethod>("unShift")
                                      .Property<&TJArrayObject::GetLength>("length", TJPropertyType::Integer)
                                      .Build();
  return info;
}

TJArrayObject::TJArrayObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (args != nullptr) {
    elements_.Reserve(args->Count());
    for (const TJValue& v : *args) elements_.Add(v);
  }
}

TJValue TJArrayObject::GetLength() { return TJValue::Integer(static_cast<std::int32_t>(elements_.Count())); }

std::string TJArrayObject::Join(std::string_view separator) const {
  // An array that holds itself, or arrays nested without end, would join forever.
  if (const TJEngine* engine = Engine()) engine->CheckStack();
  std::string out;
  for (std::size_t i = 0; i < elements_.Count(); ++i) {
    if (i > 0) out += separator;
    const TJValue& v = elements_[i];
    if (v.Kind() != jkNull && v.Kind() != jkUndefined) out += ToText(v).view();
  }
  return out;
}

bool TJArrayObject::GetIndexed(std::int32_t index, TJValue& out) {
  if (index < 0 || static_cast<std::size_t>(index) >= elements_.Count()) {
    ThrowScriptError(errors::kIndex, std::to_string(index));
  }
  out = elements_[static_cast<std::size_t>(index)];
  return true;
}

bool TJArrayObject::SetIndexed(std::int32_t index, const TJValue& value) {
  if (index < 0 || static_cast<std::size_t>(index) >= elements_.Count()) {
    ThrowScriptError(errors::kIndex, std::to_string(index));
  }
  elements_.Set(static_cast<std::size_t>(index), value);
  return true;
}

void TJArrayObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  if (bracket) {
    if (auto index = ParseInteger(name.Text())) {
      if (*index < 0 || static_cast<std::size_t>(*index) >= elements_.Count()) {
        ThrowScriptError(errors::kIndex, name.Text());
      }
      out = elements_[static_cast<std::size_t>(*index)];
      return;
    }
  }
  TJObject::GetValue(name, bracket, out);
}

void TJArrayObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (bracket) {
    if (auto index = ParseInteger(name.Text())) {
      if (*index < 0 || static_cast<std::size_t>(*index) >= elements_.Count()) {
        ThrowScriptError(errors::kIndex, name.Text());
      }
      elements_.Set(static_cast<std::size_t>(*index), value);
      return;
    }
  }
  TJObject::SetValue(name, value, bracket);
}

std::vector<std::string> TJArrayObject::PropertyNames() {
  std::vector<std::string> names;
  names.reserve(elements_.Count());
  for (std::size_t i = 0; i < elements_.Count(); ++i) names.push_back(std::to_string(i));
  return names;
}

SharedString TJArrayObject::ToString(const TJValue* /*arg*/) { return SharedString(Join(",")); }

void TJArrayObject::EnumReferences(TJReferenceVisitor& visitor) {
  TJObject::EnumReferences(visitor);
  for (const TJValue& v : elements_) {
    if (v.Kind() == jkObject && v.ObjValue() != nullptr) visitor.Visit(*v.ObjValue());
  }
}

void TJArrayObject::DropReferences() {
  TJObject::DropReferences();
  elements_.Clear();
  comparator_ = TJValue();
}

TJArrayObject& TJArrayObject::NewArray() {
  TJObjectFactory* f = Factory();
  TJObject* o = f != nullptr ? f->CreateObject("Array") : nullptr;
  auto* array = dynamic_cast<TJArrayObject*>(o);
  if (array == nullptr) throw std::logic_error("the Array class is not registered");
  return *array;
}

void TJArrayObject::DeleteMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    result = TJValue::Boolean(false);
    return;
  }
  const std::int32_t index = ToInteger(args[0]);
  if (index < 0 || static_cast<std::size_t>(index) >= elements_.Count()) ThrowScriptError(errors::kIndex);
  elements_.Delete(static_cast<std::size_t>(index));
  result = TJValue::Boolean(true);
}

void TJArrayObject::ClearMethod(TJValueList& /*args*/, TJValue& /*result*/) { elements_.Clear(); }

void TJArrayObject::AddMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  elements_.Add(args[0]);
  result = TJValue::Integer(static_cast<std::int32_t>(elements_.Count() - 1));
}

std::int32_t TJArrayObject::Compare(const TJValue& a, const TJValue& b) {
  if (comparator_.Kind() != jkFunction) {
    // Wraps around in 32 bits like the language's own subtraction.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ToInteger(a)) - static_cast<std::uint32_t>(ToInteger(b)));
  }
  TJEngine* engine = Engine();
  if (engine == nullptr) return 0;
  // Copies: the comparison may change the array (and its storage) under a and b.
  const TJValue pair[2] = {a, b};
  const TJValue comparator = comparator_;  // the comparison may sort again and replace it
  return ToInteger(engine->Call(comparator, pair, 2));
}

// The scans walk the elements in order but their objects lie anywhere in memory: asking
// for an object a few comparisons ahead hides most of the wait for it.
void TJArrayObject::PrefetchElement(std::int32_t index) const noexcept {
  if (index < 0 || static_cast<std::size_t>(index) >= elements_.Count()) return;
  const TJValue& v = elements_[static_cast<std::size_t>(index)];
  if (v.Kind() == jkObject && v.ObjValue() != nullptr) {
    // An object's header and its first members span two cache lines.
    __builtin_prefetch(v.ObjValue());
    __builtin_prefetch(reinterpret_cast<const char*>(v.ObjValue()) + 64);
  }
}

// Hoare partitioning around the middle element; recursion on the left part, a loop on the
// right. A comparison that changes the array's length cannot make it read outside.
void TJArrayObject::QuickSort(std::int32_t low, std::int32_t high) {
  if (const TJEngine* engine = Engine()) engine->CheckStack();
  while (low < high) {
    std::int32_t i = low;
    std::int32_t j = high;
    const TJValue pivot = elements_[static_cast<std::size_t>((low + high) / 2)];
    while (i <= j) {
      while (static_cast<std::size_t>(i) < elements_.Count() && Compare(elements_[static_cast<std::size_t>(i)], pivot) < 0) {
        ++i;
        PrefetchElement(i + kPrefetchAhead);
      }
      while (j >= 0 && static_cast<std::size_t>(j) < elements_.Count() && Compare(elements_[static_cast<std::size_t>(j)], pivot) > 0) {
        --j;
        PrefetchElement(j - kPrefetchAhead);
      }
      if (static_cast<std::size_t>(i) >= elements_.Count() || j < 0 || static_cast<std::size_t>(j) >= elements_.Count()) return;
      if (i <= j) {
        elements_.Exchange(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
        ++i;
        --j;
      }
    }
    // A consistent comparison always moves both ends. One that never answers 0, not even
    // for the pivot and itself, can leave a pass without progress; the end elements then
    // count as placed, so the sort ends whatever the comparison answers.
    if (j >= high) j = high - 1;
    if (i <= low) i = low + 1;
    if (low < j) QuickSort(low, j);
    low = i;
  }
}

void TJArrayObject::SortMethod(TJValueList& args, TJValue& /*result*/) {
  if (TJValueList::Has1(&args)) {
    if (args[0].Kind() != jkFunction) return;
    comparator_ = args[0];
  } else {
    comparator_ = TJValue();
  }
  if (elements_.Count() > 1) QuickSort(0, static_cast<std::int32_t>(elements_.Count() - 1));
}

void TJArrayObject::ConcatMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) return;
  TJArrayObject& out = NewArray();
  for (const TJValue& v : elements_) out.Append(v);
  for (const TJValue& a : args) {
    auto* other = a.Kind() == jkObject ? dynamic_cast<TJArrayObject*>(a.ObjValue()) : nullptr;
    if (other != nullptr) {
      for (std::size_t i = 0; i < other->Length(); ++i) out.Append(other->At(i));
    } else {
      out.Append(a);
    }
  }
  result = TJValue::Object(&out);
}

void TJArrayObject::JoinMethod(TJValueList& args, TJValue& result) {
  const SharedString sep = TJValueList::Has1(&args) ? ToText(args[0]) : SharedString(",");
  result = TJValue::Text(Join(sep.view()));
}

void TJArrayObject::PopMethod(TJValueList& /*args*/, TJValue& result) {
  if (elements_.Count() == 0) return;
  result = elements_[elements_.Count() - 1];
  elements_.Delete(elements_.Count() - 1);
}

void TJArrayObject::PushMethod(TJValueList& args, TJValue& result) {
  for (const TJValue& v : args) elements_.Add(v);
  result = TJValue::Integer(static_cast<std::int32_t>(elements_.Count()));
}

void TJArrayObject::ReverseMethod(TJValueList& /*args*/, TJValue& result) {
  const std::size_t n = elements_.Count();
  for (std::size_t i = 0; i < n / 2; ++i) elements_.Exchange(i, n - 1 - i);
  result = TJValue::Object(this);
}

void TJArrayObject::ShiftMethod(TJValueList& /*args*/, TJValue& result) {
  if (elements_.Count() == 0) return;
  result = elements_[0];
  elements_.Delete(0);
}

void TJArrayObject::SliceMethod(TJValueList& args, TJValue& result) {
  const auto length = static_cast<std::int64_t>(elements_.Count());
  std::int64_t start = TJValueList::Has1(&args) ? ToInteger(args[0]) : 0;
  if (start < 0) start += length;
  std::int64_t end = TJValueList::Has2(&args) ? ToInteger(args[1]) : 2147483647;
  if (end < 0) end += length;
  TJArrayObject& out = NewArray();
  if (end - 1 >= start) {
    for (std::int64_t p = start; p < end; ++p) {
      if (p < 0 || p >= length) break;
      out.Append(elements_[static_cast<std::size_t>(p)]);
    }
  }
  result = TJValue::Object(&out);
}

void TJArrayObject::SpliceMethod(TJValueList& args, TJValue& result) {
  TJArrayObject& out = NewArray();
  result = TJValue::Object(&out);
  std::int64_t start = TJValueList::Has1(&args) ? ToInteger(args[0]) : 0;
  if (start < 0) start += static_cast<std::int64_t>(elements_.Count());
  const std::int64_t count = TJValueList::Has2(&args) ? ToInteger(args[1]) : 0;
  if (count > 0) {
    // From the highest position down, so a range past the end removes nothing.
    for (std::int64_t p = start + count - 1; p >= start; --p) {
      if (p < 0 || p >= static_cast<std::int64_t>(elements_.Count())) break;
      out.elements_.Insert(0, elements_[static_cast<std::size_t>(p)]);
      elements_.Delete(static_cast<std::size_t>(p));
    }
  }
  const auto length = static_cast<std::int64_t>(elements_.Count());
  if (start < 0 || start >= length) start = length;
  for (std::size_t i = 2; i < args.Count(); ++i) {
    elements_.Insert(static_cast<std::size_t>(start) + (i - 2), args[i]);
  }
}

void TJArrayObject::ToStringMethod(TJValueList& /*args*/, TJValue& result) { result = TJValue::Text(Join(",")); }

void TJArrayObject::UnShiftMethod(TJValueList& args, TJValue& result) {
  for (std::size_t i = args.Count(); i-- > 0;) elements_.Insert(0, args[i]);
  result = TJValue::Object(this);
}

}  // namespace kestrin
