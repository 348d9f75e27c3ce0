// TJDirectoryObject, the script class "Directory": one directory that a script can create,
// remove, rename, make current and walk entry by entry.
#pragma once

#include <dirent.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/paths.h"
#include "script/object.h"

namespace kestrin {

// The stored form of a directory path: with a trailing separator unless empty. Under the
// Windows rules a path holding "/" gets "/", any other one "\" (a CP932 trail byte 0x5C
// is never taken for a backslash).
std::string NormaliseDirName(std::string_view path, velkoran::platform::PathStyle style,
                             velkoran::platform::CodePage cp);
std::string NormaliseDirName(std::string_view path);

// Entry attributes as the search masks see them.
namespace dir_attr {
inline constexpr unsigned kReadOnly = 0x01;
inline constexpr unsigned kHidden = 0x02;
inline constexpr unsigned kSystem = 0x04;
inline constexpr unsigned kVolume = 0x08;
inline constexpr unsigned kDirectory = 0x10;
inline constexpr unsigned kArchive = 0x20;
inline constexpr unsigned kAll = 0x3F;
inline constexpr unsigned kFileMask = 0x27;
}  // namespace dir_attr

// One held search over a directory's entries in the order the file system returns them,
// "." and ".." included. The mask works by exclusion: an entry is skipped when it has one
// of hidden, system, volume or directory that the mask lacks.
class TDirectorySearch {
 public:
  struct Entry {
    std::string name;
    unsigned attributes = 0;
  };

  // Starts a search of dir ("" = the current directory); false when it cannot be read.
  bool Start(std::string_view dir, unsigned mask);
  // The next entry the mask lets through; nothing at the end.
  std::optional<Entry> Next();
  void Close() noexcept { dir_.reset(); }

 private:
  struct DirCloser {
    void operator()(DIR* d) const noexcept { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> dir_;
  unsigned excluded_ = 0;
};

class TJDirectoryObject : public TJObject {
 public:
  TJDirectoryObject(TJObjectFactory* factory, const TJValueList* args);
  ~TJDirectoryObject() override;
  static const TJClassInfo& Info();

  const std::string& DirName() const noexcept { return dirName_; }
  bool Searching() const noexcept { return searching_; }

 private:
  void MakeMethod(TJValueList& args, TJValue& result);
  void RemoveMethod(TJValueList& args, TJValue& result);
  void RenameToMethod(TJValueList& args, TJValue& result);
  void FindFirstFileMethod(TJValueList& args, TJValue& result);
  void FindNextMethod(TJValueList& args, TJValue& result);
  void FindNextFileMethod(TJValueList& args, TJValue& result);
  void FindNextDirMethod(TJValueList& args, TJValue& result);
  void FindFirstDirMethod(TJValueList& args, TJValue& result);
  void FindFirstMethod(TJValueList& args, TJValue& result);
  void FindCloseMethod(TJValueList& args, TJValue& result);
  void ExistsMethod(TJValueList& args, TJValue& result);
  void ChangeToMethod(TJValueList& args, TJValue& result);

  TJValue GetDirname();
  void SetDirname(const TJValue& value);

  [[noreturn]] void Fail(std::string_view operation) const;
  void StartSearch(unsigned mask, TJValue& result);
  // Next entries until one has (wantDirectory) or lacks (files) the directory attribute.
  void NextOfKind(bool wantDirectory, std::string_view operation, TJValue& result);

  std::string dirName_;
  bool searching_ = false;
  TDirectorySearch search_;
};

}  // namespace kestrin
