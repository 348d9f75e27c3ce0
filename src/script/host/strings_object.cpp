#include "script/host/strings_object.h"

#include "script/host/host_files.h"
#include "script/host/host_values.h"

namespace kestrin {
namespace {

[[noreturn]] void StringsError(std::string_view text) { ThrowScriptError(errors::kStrings, text); }

// The list's own errors (an index out of range, a change a sorted list forbids) reach
// scripts as Strings errors that a try statement can catch.
template <typename Step>
void Guarded(Step&& step) {
  try {
    step();
  } catch (const EStringListError& e) {
    StringsError(e.what());
  }
}

std::size_t IndexArgument(const TJValue& v) {
  const std::int32_t i = ToInteger(v);
  // A negative index is out of range like any other.
  return i < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(i);
}

}  // namespace

const TJClassInfo& TJStringsObject::Info() {
  using S = TJStringsObject;
  static const TJClassInfo info = TJClassBuilder<S>("StringList")
                                      .Method<&S::AddMethod>("add")
                                      .Method<&S::InsertMethod>("insert")
                                      .Method<&S::DeleteMethod>("delete")
                                      .Method<&S::ClearMethod>("clear")
                                      .Method<&S::IndexOfMethod>("indexOf")
                                      .Method<&S::SortMethod>("sort")
                                      .Method<&S::SaveToFileMethod>("saveToFile")
                                      .Method<&S::LoadFromFileMethod>("loadFromFile")
                                      .Method<&S::AssignMethod>("assign")
                                      .Method<&S::AddStringsMethod>("addStrings")
                                      .Property<&S::GetText, &S::SetText>("text", TJPropertyType::String)
                                      .Property<&S::GetCommaText, &S::SetCommaText>("commaText", TJPropertyType::String)
                                      .Property<&S::GetCount>("length", TJPropertyType::Integer)
                                      .Property<&S::GetCount>("count", TJPropertyType::Integer)
                                      .Property<&S::GetSorted, &S::SetSorted>("sorted", TJPropertyType::Boolean)
                                      .Build();
  return info;
}

TJStringsObject::TJStringsObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

TJObject* TJStringsObject::CreateWith(TJObjectFactory& factory, const std::vector<std::string>& lines) {
  TJObject* object = factory.CreateObject("Strings");
  if (auto* strings = dynamic_cast<TJStringsObject*>(object)) {
    for (const std::string& line : lines) strings->list_.Add(line);
  }
  return object;
}

// ---------------------------------------------------------------- indexed access

std::vector<std::string> TJStringsObject::PropertyNames() {
  std::vector<std::string> names;
  names.reserve(list_.Count());
  for (std::size_t i = 0; i < list_.Count(); ++i) names.push_back(std::to_string(i));
  return names;
}

void TJStringsObject::ReadLine(std::int32_t index, std::string_view key, TJValue& out) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.Count()) ThrowScriptError(errors::kIndex, key);
  out = TJValue::Text(list_.Get(static_cast<std::size_t>(index)));
}

void TJStringsObject::WriteLine(std::int32_t index, std::string_view key, const TJValue& value) {
  if (index < 0 || static_cast<std::size_t>(index) >= list_.Count()) ThrowScriptError(errors::kIndex, key);
  const SharedString text = ToText(value);
  Guarded([&] { list_.Put(static_cast<std::size_t>(index), text.view()); });
}

void TJStringsObject::GetValue(const TJName& name, bool bracket, TJValue& out) {
  if (bracket) {
    if (const auto index = ParseInteger(name.Text())) {
      ReadLine(*index, name.Text(), out);
      return;
    }
  }
  TJObject::GetValue(name, bracket, out);
}

void TJStringsObject::SetValue(const TJName& name, const TJValue& value, bool bracket) {
  if (bracket) {
    if (const auto index = ParseInteger(name.Text())) {
      WriteLine(*index, name.Text(), value);
      return;
    }
  }
  TJObject::SetValue(name, value, bracket);
}

bool TJStringsObject::GetIndexed(std::int32_t index, TJValue& out) {
  ReadLine(index, std::to_string(index), out);
  return true;
}

bool TJStringsObject::SetIndexed(std::int32_t index, const TJValue& value) {
  WriteLine(index, std::to_string(index), value);
  return true;
}

// ---------------------------------------------------------------- methods

void TJStringsObject::AddMethod(TJValueList& args, TJValue& result) {
  const SharedString text = TJValueList::Has1(&args) ? ToText(args[0]) : SharedString();
  result = host::Int64Value(static_cast<std::int64_t>(list_.Add(text.view())));
}

void TJStringsObject::InsertMethod(TJValueList& args, TJValue& result) {
  (void)result;
  if (!TJValueList::Has2(&args)) StringsError("insert error");
  const std::size_t index = IndexArgument(args[0]);
  const SharedString text = ToText(args[1]);
  Guarded([&] { list_.Insert(index, text.view()); });
}

void TJStringsObject::DeleteMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) StringsError("delete error");
  const std::size_t index = IndexArgument(args[0]);
  Guarded([&] { list_.Delete(index); });
}

void TJStringsObject::ClearMethod(TJValueList&, TJValue& result) {
  list_.Clear();
  result = TJValue::Boolean(true);
}

void TJStringsObject::IndexOfMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    result = TJValue::Integer(-1);
    return;
  }
  result = host::Int64Value(list_.IndexOf(ToText(args[0]).view()));
}

void TJStringsObject::SortMethod(TJValueList&, TJValue&) { list_.Sort(); }

void TJStringsObject::SaveToFileMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args) || !host::WriteFileAtomically(ToText(args[0]).view(), list_.Text()))
    StringsError("saveToFile error");
  result = TJValue::Boolean(true);
}

void TJStringsObject::LoadFromFileMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) StringsError("loadFromFile error");
  const auto bytes = host::ReadWholeFile(ToText(args[0]).view());
  if (!bytes) StringsError("loadFromFile error");
  list_.SetText(*bytes);
  result = TJValue::Boolean(true);
}

std::vector<std::string> TJStringsObject::LinesOf(const TJValueList& args) {
  // The stored message of both methods reads "assStrings".
  if (!TJValueList::Has1(&args)) StringsError("assStrings error");
  const TJValue& source = args[0];
  if (source.Kind() != jkObject || source.ObjValue() == nullptr) return {ToText(source).str()};
  TJObject& object = *source.ObjValue();
  if (auto* strings = dynamic_cast<TJStringsObject*>(&object)) return strings->list_.Lines();
  if (!object.IsClass("Array")) StringsError("addStrings error");
  TJValue length;
  object.GetValue(TJName("length"), false, length);
  const std::int32_t count = ToInteger(length);
  std::vector<std::string> lines;
  for (std::int32_t i = 0; i < count; ++i) {
    TJValue element;
    object.GetValue(TJName(std::to_string(i)), true, element);
    lines.push_back(ToText(element).str());
  }
  return lines;
}

void TJStringsObject::AddStringsMethod(TJValueList& args, TJValue&) {
  for (const std::string& line : LinesOf(args)) list_.Add(line);
}

void TJStringsObject::AssignMethod(TJValueList& args, TJValue&) {
  // Collected before the clear, so a failing source leaves the list as it was and a list
  // assigned to itself keeps its lines.
  const std::vector<std::string> lines = LinesOf(args);
  list_.Clear();
  for (const std::string& line : lines) list_.Add(line);
}

// ---------------------------------------------------------------- properties

TJValue TJStringsObject::GetText() { return TJValue::Text(list_.Text()); }
void TJStringsObject::SetText(const TJValue& value) { list_.SetText(ToText(value).view()); }
TJValue TJStringsObject::GetCommaText() { return TJValue::Text(list_.CommaText()); }
void TJStringsObject::SetCommaText(const TJValue& value) { list_.SetCommaText(ToText(value).view()); }
TJValue TJStringsObject::GetCount() { return host::Int64Value(static_cast<std::int64_t>(list_.Count())); }
TJValue TJStringsObject::GetSorted() { return TJValue::Boolean(list_.Sorted()); }
void TJStringsObject::SetSorted(const TJValue& value) { list_.SetSorted(value.BoolValue()); }

}  // namespace kestrin
