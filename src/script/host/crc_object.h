// TJCRCObject, the script class "CRC": CRC-16/MCRF4XX and CRC-32 of a text or of a file's
// bytes, computed together in one pass; the last results are its properties.
#pragma once

#include <cstdint>

#include "script/object.h"

namespace kestrin {

class TJCRCObject : public TJObject {
 public:
  TJCRCObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

 private:
  void CalcMethod(TJValueList& args, TJValue& result);
  void CalcFileMethod(TJValueList& args, TJValue& result);

  TJValue GetCRC16();
  TJValue GetCRC32();

  std::uint16_t crc16_ = 0xFFFF;
  std::uint32_t crc32_ = 0xFFFFFFFF;
};

}  // namespace kestrin
