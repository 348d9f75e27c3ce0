#include "script/host/ini_object.h"

#include "script/host/host_errors.h"
#include "script/host/host_files.h"
#include "script/host/strings_object.h"

namespace kestrin {

const TJClassInfo& TJIniObject::Info() {
  using I = TJIniObject;
  static const TJClassInfo info = TJClassBuilder<I>("Ini")
                                      .Method<&I::DeleteKeyMethod>("deleteKey")
                                      .Method<&I::EraseSectionMethod>("eraseSection")
                                      .Method<&I::ReadSectionMethod>("readSection")
                                      .Method<&I::ReadSectionsMethod>("readSections")
                                      .Method<&I::SectionExistsMethod>("sectionExists")
                                      .Method<&I::WriteMethod>("write")
                                      .Method<&I::ReadMethod>("read")
                                      .Method<&I::SaveMethod>("save")
                                      .Property<&I::GetFilename>("filename", TJPropertyType::String)
                                      .Build();
  return info;
}

TJIniObject::TJIniObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (!TJValueList::Has1(args)) ThrowScriptError(errors::kIni, "ini create error");
  path_ = ToText((*args)[0]).str();
  if (!image_.Load(path_)) ThrowScriptError(errors::kIni, "ini create error");
}

void TJIniObject::Fail(std::string_view operation) const { host::ThrowOperationError(errors::kIni, operation, path_); }

TJValue TJIniObject::NewStrings(const std::vector<std::string>& lines) {
  TJObjectFactory* factory = Factory();
  if (factory == nullptr) return TJValue();
  return TJValue::Object(TJStringsObject::CreateWith(*factory, lines));
}

void TJIniObject::DeleteKeyMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has2(&args)) Fail("deleteKey error");
  image_.DeleteKey(ToText(args[0]).view(), ToText(args[1]).view());
}

void TJIniObject::EraseSectionMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) Fail("eraseSection error");
  image_.EraseSection(ToText(args[0]).view());
}

void TJIniObject::ReadSectionMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) Fail("readSection error");
  result = NewStrings(image_.SectionKeys(ToText(args[0]).view()));
}

void TJIniObject::ReadSectionsMethod(TJValueList&, TJValue& result) { result = NewStrings(image_.SectionNames()); }

void TJIniObject::SectionExistsMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Boolean(TJValueList::Has1(&args) && image_.SectionExists(ToText(args[0]).view()));
}

void TJIniObject::WriteMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has3(&args)) Fail("write error");
  image_.Write(ToText(args[0]).view(), ToText(args[1]).view(), ToText(args[2]).view());
}

void TJIniObject::ReadMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has3(&args)) Fail("read error");
  const auto value = image_.Read(ToText(args[0]).view(), ToText(args[1]).view());
  result = value ? TJValue::Text(*value) : TJValue::Text(ToText(args[2]));
}

void TJIniObject::SaveMethod(TJValueList&, TJValue& result) {
  if (!host::WriteFileAtomically(path_, image_.Render())) Fail("save error");
  result = TJValue::Boolean(true);
}

TJValue TJIniObject::GetFilename() { return TJValue::Text(path_); }

}  // namespace kestrin
