// A fresh folder for one test under the build's test area ($VELKORAN_TEST_TMP, else /tmp),
// removed with everything in it at the end, read-only entries included.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::testing {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder, with a trailing "/".
  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(std::string_view relative) const { return path_ + std::string(relative); }

 private:
  std::string path_;
};

// The path without its last character: a folder path without its trailing "/".
inline std::string NoSlash(std::string_view path) { return std::string(path.substr(0, path.size() - 1)); }

}  // namespace velkoran::testing
