// TJFileObject, the script class "File": one file that a script can open, read as bytes
// or lines, write, seek, copy, rename and delete. The path is kept as the script gave it.
#pragma once

#include <cstdint>
#include <string>

#include "script/host/safe_file_stream.h"
#include "script/object.h"

namespace kestrin {

class TJFileObject : public TJObject {
 public:
  TJFileObject(TJObjectFactory* factory, const TJValueList* args);
  ~TJFileObject() override;
  static const TJClassInfo& Info();

  const std::string& Path() const noexcept { return path_; }
  TSafeFileStream& Stream() noexcept { return stream_; }

 private:
  void ReadMethod(TJValueList& args, TJValue& result);
  void OpenMethod(TJValueList& args, TJValue& result);
  void CloseMethod(TJValueList& args, TJValue& result);
  void IsOpenedMethod(TJValueList& args, TJValue& result);
  void WriteMethod(TJValueList& args, TJValue& result);
  void WritelnMethod(TJValueList& args, TJValue& result);
  void FlushMethod(TJValueList& args, TJValue& result);
  void ReadlnMethod(TJValueList& args, TJValue& result);
  void EofMethod(TJValueList& args, TJValue& result);
  void ExistsMethod(TJValueList& args, TJValue& result);
  void RemoveMethod(TJValueList& args, TJValue& result);
  void RenameToMethod(TJValueList& args, TJValue& result);
  void CopyToMethod(TJValueList& args, TJValue& result);
  void CanReadMethod(TJValueList& args, TJValue& result);
  void CanWriteMethod(TJValueList& args, TJValue& result);
  void ToStringMethod(TJValueList& args, TJValue& result);
  void SeekMethod(TJValueList& args, TJValue& result);

  TJValue GetFilename();
  void SetFilename(const TJValue& value);
  TJValue GetLength();
  TJValue GetLastModified();

  [[noreturn]] void Fail(std::string_view operation) const;
  void Close();
  void DropLineCache() noexcept { cacheData_.clear(); }

  TSafeFileStream stream_;
  std::string path_;
  // Bytes read ahead by readln, starting at file position cacheStart_, so reading a file
  // line by line reads each byte once. Any other use of the stream drops them.
  std::string cacheData_;
  std::int64_t cacheStart_ = 0;
};

}  // namespace kestrin
