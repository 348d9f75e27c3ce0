#include "platform/volumes.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace velkoran::platform {
namespace {

// The kernel writes blanks, tabs, line feeds and backslashes in mount points as \ooo.
std::string DecodeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  const auto isOct = [](char c) { return c >= '0' && c <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOct(field[i + 1]) &&
        isOct(field[i + 2]) && isOct(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

std::string WithoutTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

bool StrictlyBelow(std::string_view path, std::string_view base) {
  return path.size() > base.size() + 1 && path.substr(0, base.size()) == base && path[base.size()] == '/';
}

}  // namespace

std::vector<std::string> RemovableMountPoints(std::string_view mountsText) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < mountsText.size()) {
    std::size_t end = mountsText.find('\n', pos);
    if (end == std::string_view::npos) end = mountsText.size();
    const std::string_view line = mountsText.substr(pos, end - pos);
    pos = end + 1;
    // Fields: device, mount point, type, options, ...
    const std::size_t a = line.find(' ');
    if (a == std::string_view::npos) continue;
    const std::size_t b = line.find(' ', a + 1);
    const std::string_view field = line.substr(a + 1, b == std::string_view::npos ? std::string_view::npos : b - a - 1);
    const std::string mountPoint = WithoutTrailingSlash(DecodeMountField(field));
    if (StrictlyBelow(mountPoint, "/media") || StrictlyBelow(mountPoint, "/mnt") ||
        StrictlyBelow(mountPoint, "/run/media")) {
      out.push_back(mountPoint);
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::vector<std::string> VolumeRootsFrom(std::string_view mountsText, std::string_view home) {
  std::vector<std::string> roots{"/"};
  const std::string homeDir = WithoutTrailingSlash(std::string(home));
  if (!homeDir.empty() && homeDir != "/" && homeDir.front() == '/') roots.push_back(homeDir);
  for (std::string& m : RemovableMountPoints(mountsText)) {
    if (std::find(roots.begin(), roots.end(), m) == roots.end()) roots.push_back(std::move(m));
  }
  return roots;
}

std::vector<std::string> HostVolumeList::Roots() {
  std::string text;
  if (std::ifstream in("/proc/self/mounts", std::ios::binary); in) {
    std::ostringstream buf;
    buf << in.rdbuf();
    text = buf.str();
  }
  const char* home = std::getenv("HOME");
  return VolumeRootsFrom(text, home != nullptr ? home : "");
}

}  // namespace velkoran::platform
