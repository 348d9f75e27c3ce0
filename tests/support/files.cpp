#include "support/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace velkoran::testing {

namespace fs = std::filesystem;

void MakeDirs(const std::string& path) { fs::create_directories(path); }

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlink(path.c_str());
    return;
  }
  ::chmod(path.c_str(), 0700);
  std::error_code ec;
  std::vector<std::string> children;
  for (const auto& entry : fs::directory_iterator(path, ec)) children.push_back(entry.path().string());
  for (const std::string& child : children) RemoveTree(child);
  ::rmdir(path.c_str());
}

}  // namespace velkoran::testing
