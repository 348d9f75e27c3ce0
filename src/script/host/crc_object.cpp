#include "script/host/crc_object.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/fileio.h"
#include "script/crc.h"

namespace kestrin {
namespace {

constexpr std::size_t kChunk = 65535;

// Opens a regular file for reading as an exclusive open would: refused while one of the
// program's own handles has it open. Anything but a regular file is refused too: a
// device can be endless and a pipe can wait for ever.
velkoran::platform::File OpenExclusiveForReading(const std::string& path) {
  velkoran::platform::File file = velkoran::platform::OpenRegularFile(path, O_RDONLY);
  if (!file.IsOpen()) return {};
  if (::flock(file.Descriptor(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return {};
  return file;
}

}  // namespace

const TJClassInfo& TJCRCObject::Info() {
  using C = TJCRCObject;
  static const TJClassInfo info = TJClassBuilder<C>("CRC")
                                      .Method<&C::CalcMethod>("calc")
                                      .Method<&C::CalcFileMethod>("calcFile")
                                      .Property<&C::GetCRC16>("CRC16", TJPropertyType::Integer)
                                      .Property<&C::GetCRC32>("CRC32", TJPropertyType::Integer)
                                      .Build();
  return info;
}

TJCRCObject::TJCRCObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
}

void TJCRCObject::CalcMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) ThrowScriptError(errors::kCRC, "calc error");
  TChecksums sums;
  sums.Update(ToText(args[0]).view());
  crc16_ = sums.Crc16();
  crc32_ = sums.Crc32();
}

void TJCRCObject::CalcFileMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args)) ThrowScriptError(errors::kCRC, "calcFile error");
  velkoran::platform::File file = OpenExclusiveForReading(ToText(args[0]).str());
  if (!file.IsOpen()) {
    crc16_ = 0xFFFF;
    crc32_ = 0xFFFFFFFF;
    ThrowScriptError(errors::kCRC, "calcFile error");
  }
  // A read failure ends the sums where they are.
  TChecksums sums;
  char chunk[kChunk];
  for (;;) {
    const std::int64_t n = file.Read(chunk, kChunk);
    if (n <= 0) break;
    sums.Update(std::string_view(chunk, static_cast<std::size_t>(n)));
  }
  crc16_ = sums.Crc16();
  crc32_ = sums.Crc32();
}

TJValue TJCRCObject::GetCRC16() { return TJValue::Integer(crc16_); }
TJValue TJCRCObject::GetCRC32() { return TJValue::Integer(static_cast<std::int32_t>(crc32_)); }

}  // namespace kestrin
