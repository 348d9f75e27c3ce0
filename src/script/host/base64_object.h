// TJBase64Object, the script class "Base64": Base64 of bytes, and the ISO-2022-JP encoded
// words of mail headers.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "script/object.h"

namespace kestrin {

// A mail header with its ISO-2022-JP encoded words decoded into text of the code page:
// Shift_JIS under cp932; under UTF-8 each decoded word becomes UTF-8 and the bytes
// around the words stay as they are.
std::string DecodeHeaderText(std::string_view header, velkoran::platform::CodePage cp);

class TJBase64Object : public TJObject {
 public:
  TJBase64Object(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  void EncodeMethod(TJValueList& args, TJValue& result);
  void DecodeMethod(TJValueList& args, TJValue& result);
  void EncodeHeaderMethod(TJValueList& args, TJValue& result);
  void DecodeHeaderMethod(TJValueList& args, TJValue& result);
};

}  // namespace kestrin
