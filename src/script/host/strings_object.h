// TJStringsObject, the script class "Strings" (class name "StringList"): a string list with
// line and comma text forms and indexed access to its lines. Other host objects hand
// lists back to scripts in it (INI sections, the multi-file dialog).
#pragma once

#include "script/host/string_list.h"
#include "script/object.h"

namespace kestrin {

class TJStringsObject : public TJObject {
 public:
  TJStringsObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  TStringList& List() noexcept { return list_; }

  // A new Strings object made through the factory (by its script name) holding lines.
  static TJObject* CreateWith(TJObjectFactory& factory, const std::vector<std::string>& lines);

  std::vector<std::string> PropertyNames() override;
  void GetValue(const TJName& name, bool bracket, TJValue& out) override;
  void SetValue(const TJName& name, const TJValue& value, bool bracket) override;
  bool GetIndexed(std::int32_t index, TJValue& out) override;
  bool SetIndexed(std::int32_t index, const TJValue& value) override;

 private:
  void AddMethod(TJValueList& args, TJValue& result);
  void InsertMethod(TJValueList& args, TJValue& result);
  void DeleteMethod(TJValueList& args, TJValue& result);
  void ClearMethod(TJValueList& args, TJValue& result);
  void IndexOfMethod(TJValueList& args, TJValue& result);
  void SortMethod(TJValueList& args, TJValue& result);
  void SaveToFileMethod(TJValueList& args, TJValue& result);
  void LoadFromFileMethod(TJValueList& args, TJValue& result);
  void AssignMethod(TJValueList& args, TJValue& result);
  void AddStringsMethod(TJValueList& args, TJValue& result);

  TJValue GetText();
  void SetText(const TJValue& value);
  TJValue GetCommaText();
  void SetCommaText(const TJValue& value);
  TJValue GetCount();
  TJValue GetSorted();
  void SetSorted(const TJValue& value);

  // The lines addStrings would append for a source value (raises its errors).
  std::vector<std::string> LinesOf(const TJValueList& args);
  void ReadLine(std::int32_t index, std::string_view key, TJValue& out);
  void WriteLine(std::int32_t index, std::string_view key, const TJValue& value);

  TStringList list_;
};

}  // namespace kestrin
