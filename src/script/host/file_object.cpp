#include "script/host/file_object.h"

#include <algorithm>
#include <ctime>

#include "platform/codepage.h"
#include "script/host/host_errors.h"
#include "script/host/host_files.h"
#include "script/host/host_values.h"

namespace kestrin {
namespace {

constexpr std::size_t kChunk = 65535;

// The mode an open argument asks for: "r" read, "w" write, "d" lets others read; none
// at all reads and lets others read.
std::uint16_t ModeOf(const TJValueList& args) {
  if (!TJValueList::Has1(&args)) return file_mode::kRead | file_mode::kShareDenyWrite;
  const std::string text = velkoran::platform::LowerCase(ToText(args[0]).view());
  std::uint16_t mode = 0;
  if (text.find('r') != std::string::npos) mode = file_mode::kRead;
  if (text.find('w') != std::string::npos) mode |= file_mode::kWrite;
  if (text.find('d') != std::string::npos) mode |= file_mode::kShareDenyWrite;
  return mode;
}

void TrimRightBlanks(std::string& s) {
  std::size_t end = s.size();
  while (end > 0 && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  s.resize(end);
}

}  // namespace

const TJClassInfo& TJFileObject::Info() {
  using F = TJFileObject;
  static const TJClassInfo info = TJClassBuilder<F>("File")
                                      .Method<&F::ReadMethod>("read")
                                      .Method<&F::OpenMethod>("open")
                                      .Method<&F::CloseMethod>("close")
                                      .Method<&F::IsOpenedMethod>("isOpened")
                                      .Method<&F::WriteMethod>("write")
                                      .Method<&F::WritelnMethod>("writeln")
                                      .Method<&F::FlushMethod>("flush")
                                      .Method<&F::ReadlnMethod>("readln")
                                      .Method<&F::EofMethod>("eof")
                                      .Method<&F::ExistsMethod>("exists")
                                      .Method<&F::RemoveMethod>("remove")
                                      .Method<&F::RenameToMethod>("renameTo")
                                      .Method<&F::CopyToMethod>("copyTo")
                                      .Method<&F::CanReadMethod>("canRead")
                                      .Method<&F::CanWriteMethod>("canWrite")
                                      .Method<&F::ToStringMethod>("toString")
                                      .Method<&F::SeekMethod>("seek")
                                      .Property<&F::GetFilename, &F::SetFilename>("filename", TJPropertyType::String)
                                      .Property<&F::GetLength>("length", TJPropertyType::Integer)
                                      .Property<&F::GetLastModified>("lastModified", TJPropertyType::Object)
                                      .Build();
  return info;
}

TJFileObject::TJFileObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (TJValueList::Has1(args)) path_ = ToText((*args)[0]).str();
}

TJFileObject::~TJFileObject() = default;

void TJFileObject::Fail(std::string_view operation) const {
  host::ThrowOperationError(errors::kFile, operation, path_);
}

void TJFileObject::Close() {
  DropLineCache();
  stream_.Close();
}

// ---------------------------------------------------------------- opening and closing

void TJFileObject::OpenMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Boolean(true);
  const std::uint16_t mode = ModeOf(args);
  Close();
  try {
    stream_.Open(path_, mode);
  } catch (const EFOpenError&) {
    host::ThrowOperationError(errors::kFile, "can not open", path_);
  }
}

void TJFileObject::CloseMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(stream_.IsOpen());
  Close();
}

void TJFileObject::IsOpenedMethod(TJValueList&, TJValue& result) { result = TJValue::Boolean(stream_.IsOpen()); }

void TJFileObject::FlushMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(stream_.IsOpen());
  stream_.Flush();
}

// ---------------------------------------------------------------- reading

void TJFileObject::ReadMethod(TJValueList& args, TJValue& result) {
  if (!stream_.IsOpen()) Fail("read error");
  DropLineCache();
  std::string bytes;
  try {
    if (TJValueList::Has1(&args)) {
      const std::int64_t count = host::ToInt64(args[0]);
      if (count > 0) {
        // One read; the buffer need not exceed what is left of a regular file.
        const std::int64_t left = stream_.Size() - stream_.Position();
        const std::int64_t want = std::min<std::int64_t>(count, std::max<std::int64_t>(left, kChunk));
        bytes.resize(static_cast<std::size_t>(want));
        bytes.resize(stream_.Read(bytes.data(), bytes.size()));
      }
    } else {
      char chunk[kChunk];
      for (;;) {
        const std::size_t n = stream_.Read(chunk, kChunk);
        if (n == 0) break;
        bytes.append(chunk, n);
      }
    }
  } catch (const std::exception&) {
    Fail("read error");
  }
  result = TJValue::Text(bytes);
}

void TJFileObject::ReadlnMethod(TJValueList&, TJValue& result) {
  if (!stream_.IsOpen()) Fail("read error");
  std::string line;
  try {
    const std::int64_t start = stream_.Position();
    if (start < 0) Fail("read error");
    const std::int64_t cacheEnd = cacheStart_ + static_cast<std::int64_t>(cacheData_.size());
    if (cacheData_.empty() || start < cacheStart_ || start >= cacheEnd) {
      cacheData_.clear();
      cacheStart_ = start;
    }
    std::size_t offset = static_cast<std::size_t>(start - cacheStart_);
    bool stopped = false;
    while (!stopped) {
      if (offset >= cacheData_.size()) {
        // Refill from the end of what was cached; earlier bytes are no longer needed.
        cacheStart_ += static_cast<std::int64_t>(cacheData_.size());
        cacheData_.clear();
        offset = 0;
        if (stream_.Seek(cacheStart_, SeekOrigin::Begin) < 0) break;
        cacheData_.resize(kChunk);
        cacheData_.resize(stream_.Read(cacheData_.data(), kChunk));
        if (cacheData_.empty()) break;
      }
      const std::size_t lf = cacheData_.find('\n', offset);
      if (lf != std::string::npos) {
        line.append(cacheData_, offset, lf + 1 - offset);
        offset = lf + 1;
        TrimRightBlanks(line);
        stopped = true;
      } else {
        line.append(cacheData_, offset, std::string::npos);
        offset = cacheData_.size();
      }
    }
    stream_.Seek(cacheStart_ + static_cast<std::int64_t>(offset), SeekOrigin::Begin);
  } catch (const EJThrow&) {
    throw;
  } catch (const std::exception&) {
    DropLineCache();
    Fail("read error");
  }
  result = TJValue::Text(line);
}

void TJFileObject::EofMethod(TJValueList&, TJValue& result) {
  if (!stream_.IsOpen()) Fail("eof error");
  try {
    result = TJValue::Boolean(stream_.Position() == stream_.Size());
  } catch (const std::exception&) {
    Fail("eof error");
  }
}

// ---------------------------------------------------------------- writing and seeking

void TJFileObject::WriteMethod(TJValueList& args, TJValue& result) {
  if (!stream_.IsOpen() || !TJValueList::Has1(&args)) Fail("write error");
  DropLineCache();
  const SharedString text = ToText(args[0]);
  std::size_t written = 0;
  try {
    while (written < text.size()) {
      const std::size_t n = stream_.Write(text.data() + written, text.size() - written);
      if (n == 0) break;
      written += n;
    }
  } catch (const std::exception&) {
    Fail("write error");
  }
  result = host::Int64Value(static_cast<std::int64_t>(written));
}

void TJFileObject::WritelnMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    WriteMethod(args, result);
    return;
  }
  std::string line(ToText(args[0]).view());
  line += "\r\n";
  TJValueList replaced;
  replaced.Add(TJValue::Text(line));
  WriteMethod(replaced, result);
}

void TJFileObject::SeekMethod(TJValueList& args, TJValue& result) {
  if (!stream_.IsOpen() || !TJValueList::Has1(&args)) Fail("seek error");
  DropLineCache();
  try {
    std::int64_t offset = host::ToInt64(args[0]);
    if (offset < 0) offset += stream_.Size();
    result = host::Int64Value(stream_.Seek(offset, SeekOrigin::Begin));
  } catch (const std::exception&) {
    Fail("seek error");
  }
}

// ---------------------------------------------------------------- the file as a whole

void TJFileObject::ExistsMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(host::IsExistingFile(path_));
}

void TJFileObject::RemoveMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(true);
  Close();
  if (!host::DeleteFile(path_)) Fail("remove error");
}

void TJFileObject::RenameToMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Boolean(true);
  Close();
  if (!TJValueList::Has1(&args)) Fail("rename error");
  const std::string target = ToText(args[0]).str();
  if (!host::MoveFileNoReplace(path_, target)) Fail("rename error");
  path_ = target;
}

void TJFileObject::CopyToMethod(TJValueList& args, TJValue& result) {
  result = TJValue::Boolean(true);
  Close();
  if (!TJValueList::Has1(&args)) Fail("copy error");
  if (!host::CopyFileReplacing(path_, ToText(args[0]).view())) Fail("copy error");
}

void TJFileObject::CanReadMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(stream_.IsOpen() && (stream_.Mode() & file_mode::kAccessMask) == file_mode::kRead);
}

void TJFileObject::CanWriteMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(stream_.IsOpen() && (stream_.Mode() & file_mode::kWrite) != 0);
}

void TJFileObject::ToStringMethod(TJValueList&, TJValue& result) { result = TJValue::Text(path_); }

// ---------------------------------------------------------------- properties

TJValue TJFileObject::GetFilename() { return TJValue::Text(path_); }

void TJFileObject::SetFilename(const TJValue& value) { path_ = ToText(value).str(); }

TJValue TJFileObject::GetLength() {
  if (!stream_.IsOpen()) Fail("length error");
  try {
    return host::Int64Value(stream_.Size());
  } catch (const std::exception&) {
    Fail("length error");
  }
}

TJValue TJFileObject::GetLastModified() {
  TJObjectFactory* factory = Factory();
  if (factory == nullptr) return TJValue();
  TJObject* date = factory->CreateObject("Date");
  if (const auto modified = host::FileModifiedTime(path_)) {
    TJValueList args;
    args.Add(host::Int64Value(*modified));
    TJValue ignored;
    host::CallNativeMember(*date, "setTime", args, ignored);
  }
  return TJValue::Object(date);
}

}  // namespace kestrin
