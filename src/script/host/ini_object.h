// TJIniObject, the script class "Ini": an INI file read into memory at construction.
// write, deleteKey and eraseSection change only the image; save writes it back.
#pragma once

#include <string>

#include "script/host/ini_image.h"
#include "script/object.h"

namespace kestrin {

class TJIniObject : public TJObject {
 public:
  TJIniObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  const TIniImage& Image() const noexcept { return image_; }

 private:
  void DeleteKeyMethod(TJValueList& args, TJValue& result);
  void EraseSectionMethod(TJValueList& args, TJValue& result);
  void ReadSectionMethod(TJValueList& args, TJValue& result);
  void ReadSectionsMethod(TJValueList& args, TJValue& result);
  void SectionExistsMethod(TJValueList& args, TJValue& result);
  void WriteMethod(TJValueList& args, TJValue& result);
  void ReadMethod(TJValueList& args, TJValue& result);
  void SaveMethod(TJValueList& args, TJValue& result);

  TJValue GetFilename();
  [[noreturn]] void Fail(std::string_view operation) const;
  TJValue NewStrings(const std::vector<std::string>& lines);

  std::string path_;
  TIniImage image_;
};

}  // namespace kestrin
