#include "script/host/directory_object.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"
#include "platform/dir_helpers.h"
#include "script/host/host_errors.h"
#include "script/host/host_files.h"

namespace kestrin {
namespace pf = velkoran::platform;

namespace {

// The start of the last character of a non-empty text.
std::size_t LastCharStart(std::string_view s, pf::CodePage cp) {
  std::size_t pos = 0;
  std::size_t last = 0;
  while (pos < s.size()) {
    last = pos;
    pos += pf::CharStep(s, pos, cp);
  }
  return last;
}

std::string WithoutTrailingSlash(std::string_view path) {
  std::string p(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

std::string NormaliseDirName(std::string_view path, pf::PathStyle style, pf::CodePage cp) {
  std::string out(path);
  if (out.empty()) return out;
  const std::string_view last = std::string_view(out).substr(LastCharStart(out, cp));
  if (style == pf::PathStyle::Posix) {
    if (last != "/") out += '/';
    return out;
  }
  if (out.find('/') == std::string::npos) {
    if (last != "\\") out += '\\';
  } else if (last != "/") {
    out += '/';
  }
  return out;
}

std::string NormaliseDirName(std::string_view path) {
  return NormaliseDirName(path, pf::HostPaths().style(), pf::ActiveCodePage());
}

// ---------------------------------------------------------------- TDirectorySearch

bool TDirectorySearch::Start(std::string_view dir, unsigned mask) {
  const std::string path = dir.empty() ? std::string(".") : std::string(dir);
  dir_.reset(::opendir(path.c_str()));
  excluded_ = (dir_attr::kHidden | dir_attr::kSystem | dir_attr::kVolume | dir_attr::kDirectory) & ~mask;
  return dir_ != nullptr;
}

std::optional<TDirectorySearch::Entry> TDirectorySearch::Next() {
  if (!dir_) return std::nullopt;
  while (const dirent* d = ::readdir(dir_.get())) {
    const std::string_view name(d->d_name);
    const bool selfOrParent = name == "." || name == "..";
    bool directory = d->d_type == DT_DIR || selfOrParent;
    if (!selfOrParent && (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN)) {
      // A link counts as what it points to, as the scripts' platform reports it.
      struct stat st {};
      directory = ::fstatat(::dirfd(dir_.get()), d->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    unsigned attributes = directory ? dir_attr::kDirectory : dir_attr::kArchive;
    if (!selfOrParent && name.front() == '.') attributes |= dir_attr::kHidden;
    if ((attributes & excluded_) != 0) continue;
    return Entry{std::string(name), attributes};
  }
  return std::nullopt;
}

// ---------------------------------------------------------------- TJDirectoryObject

const TJClassInfo& TJDirectoryObject::Info() {
  using D = TJDirectoryObject;
  static const TJClassInfo info = TJClassBuilder<D>("Directory")
                                      .Method<&D::MakeMethod>("make")
                                      .Method<&D::RemoveMethod>("remove")
                                      .Method<&D::RenameToMethod>("renameTo")
                                      .Method<&D::FindFirstFileMethod>("findFirstFile")
                                      .Method<&D::FindNextMethod>("findNext")
                                      .Method<&D::FindNextFileMethod>("findNextFile")
                                      .Method<&D::FindNextDirMethod>("findNextDir")
                                      .Method<&D::FindFirstDirMethod>("findFirstDir")
                                      .Method<&D::FindFirstMethod>("findFirst")
                                      .Method<&D::FindCloseMethod>("findClose")
                                      .Method<&D::ExistsMethod>("exists")
                                      .Method<&D::ChangeToMethod>("changeTo")
                                      .Property<&D::GetDirname, &D::SetDirname>("dirname", TJPropertyType::String)
                                      .Build();
  return info;
}

TJDirectoryObject::TJDirectoryObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  if (TJValueList::Has1(args)) dirName_ = NormaliseDirName(ToText((*args)[0]).view());
}

TJDirectoryObject::~TJDirectoryObject() = default;

void TJDirectoryObject::Fail(std::string_view operation) const {
  host::ThrowOperationError(errors::kDirectory, operation, dirName_);
}

void TJDirectoryObject::MakeMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(true);
  if (!pf::ForceDirectory(dirName_)) Fail("make error");
}

void TJDirectoryObject::RemoveMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(true);
  if (dirName_.empty() || ::rmdir(dirName_.c_str()) != 0) Fail("remove error");
}

// Renames the directory; the result stays undefined, as scripts written for it expect.
void TJDirectoryObject::RenameToMethod(TJValueList& args, TJValue&) {
  if (!TJValueList::Has1(&args) || dirName_.empty()) Fail("rename error");
  const std::string target = ToText(args[0]).str();
  if (target.empty() || !host::IsExistingDirectory(dirName_)) Fail("rename error");
  if (pf::RenameEntry(WithoutTrailingSlash(dirName_), WithoutTrailingSlash(target), pf::RenameMode::NoReplace) != 0)
    Fail("rename error");
  dirName_ = NormaliseDirName(target);
}

void TJDirectoryObject::StartSearch(unsigned mask, TJValue& result) {
  search_.Close();
  searching_ = true;
  result = TJValue::Null();
  if (!search_.Start(dirName_, mask)) return;
  if (const auto entry = search_.Next()) result = TJValue::Text(entry->name);
}

void TJDirectoryObject::FindFirstFileMethod(TJValueList&, TJValue& result) { StartSearch(dir_attr::kFileMask, result); }
void TJDirectoryObject::FindFirstDirMethod(TJValueList&, TJValue& result) { StartSearch(dir_attr::kDirectory, result); }
void TJDirectoryObject::FindFirstMethod(TJValueList&, TJValue& result) { StartSearch(dir_attr::kAll, result); }

void TJDirectoryObject::FindNextMethod(TJValueList&, TJValue& result) {
  if (!searching_) Fail("findNext error");
  const auto entry = search_.Next();
  result = entry ? TJValue::Text(entry->name) : TJValue::Null();
}

void TJDirectoryObject::NextOfKind(bool wantDirectory, std::string_view operation, TJValue& result) {
  if (!searching_) Fail(operation);
  result = TJValue::Null();
  while (const auto entry = search_.Next()) {
    const bool isDirectory = (entry->attributes & dir_attr::kDirectory) != 0;
    const bool isVolume = (entry->attributes & dir_attr::kVolume) != 0;
    if (wantDirectory ? isDirectory : (!isDirectory && !isVolume)) {
      result = TJValue::Text(entry->name);
      return;
    }
  }
}

void TJDirectoryObject::FindNextFileMethod(TJValueList&, TJValue& result) {
  NextOfKind(false, "findNextFile error", result);
}

void TJDirectoryObject::FindNextDirMethod(TJValueList&, TJValue& result) { NextOfKind(true, "findNextDir error", result); }

void TJDirectoryObject::FindCloseMethod(TJValueList&, TJValue&) {
  search_.Close();
  searching_ = false;
}

void TJDirectoryObject::ExistsMethod(TJValueList&, TJValue& result) {
  result = TJValue::Boolean(host::IsExistingDirectory(dirName_));
}

void TJDirectoryObject::ChangeToMethod(TJValueList&, TJValue&) {
  if (dirName_.empty() || ::chdir(dirName_.c_str()) != 0) Fail("changeTo error");
}

TJValue TJDirectoryObject::GetDirname() { return TJValue::Text(dirName_); }

void TJDirectoryObject::SetDirname(const TJValue& value) { dirName_ = NormaliseDirName(ToText(value).view()); }

}  // namespace kestrin
