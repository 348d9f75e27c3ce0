#include "fakes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "fileops/messages.h"

namespace velkoran::fileops::testing {

namespace fs = std::filesystem;

void WritePatternFile(const std::string& path, std::uint64_t size) {
  std::string data(static_cast<std::size_t>(size), '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7 + i / 4093) & 0xFF);
  WriteFile(path, data);
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
