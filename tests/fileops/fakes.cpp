#include "fakes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fileops/messages.h"

namespace velkoran::fileops::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  const char* base = std::getenv("VELKORAN_TEST_TMP");
  std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  fs::create_directories(root);
  std::string pattern = root + "/fileops-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

ScratchDir::~ScratchDir() { RemoveTree(path_.substr(0, path_.size() - 1)); }

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    chmod(path.c_str(), 0700);
    std::error_code ec;
    std::vector<std::string> children;
    for (const auto& e : fs::directory_iterator(path, ec)) children.push_back(e.path().string());
    for (const auto& c : children) RemoveTree(c);
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

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

void WritePatternFile(const std::string& path, std::uint64_t size) {
  std::string data(static_cast<std::size_t>(size), '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7 + i / 4093) & 0xFF);
  WriteFile(path, data);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void MakeReadOnly(const std::string& path) { chmod(path.c_str(), 0444); }

void MakeSparseFile(const std::string& path, std::uint64_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) throw std::runtime_error("sparse file");
  close(fd);
}

std::string L(std::string_view utf8) { return messages::Local(utf8); }

}  // namespace velkoran::fileops::testing
