// Test data for bench/run-fileops:
//   fileops_bench make-tree <dir> <dirs> <files-per-dir> <min-bytes> <max-bytes>
// makes a deterministic tree: <dirs> directories of <files-per-dir> files whose sizes and
// contents come from a fixed pseudo-random sequence, with a few other permission bits
// (0600, 0755) and one symbolic link per directory, so that a copy's check sees content,
// modes, times and links.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Sequence {
 public:
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_ = 12345;
};

int MakeTree(const std::string& root, int dirs, int filesPerDir, int minBytes, int maxBytes) {
  Sequence sequence;
  std::vector<char> data(static_cast<std::size_t>(maxBytes) + 1);
  for (char& c : data) c = static_cast<char>('a' + sequence.Next() % 26);
  if (mkdir(root.c_str(), 0755) != 0) return 1;
  const std::uint32_t spread = static_cast<std::uint32_t>(maxBytes - minBytes + 1);
  for (int d = 0; d < dirs; ++d) {
    const std::string dir = root + "/d" + std::to_string(d);
    if (mkdir(dir.c_str(), 0755) != 0) return 1;
    for (int f = 0; f < filesPerDir; ++f) {
      const std::size_t size = static_cast<std::size_t>(minBytes) + sequence.Next() % spread;
      const std::size_t offset = sequence.Next() % (data.size() - size + 1);
      const mode_t mode = f % 7 == 0 ? 0600 : f % 11 == 0 ? 0755 : 0644;
      const std::string path = dir + "/f" + std::to_string(f) + ".txt";
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
      if (fd < 0 || write(fd, data.data() + offset, size) != static_cast<ssize_t>(size)) return 1;
      if (fchmod(fd, mode) != 0) return 1;
      close(fd);
    }
    if (symlink("f0.txt", (dir + "/link").c_str()) != 0) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 6 && args[0] == "make-tree") {
    const int minBytes = std::atoi(args[4].c_str());
    const int maxBytes = std::atoi(args[5].c_str());
    if (minBytes < 0 || maxBytes < minBytes) return 2;
    return MakeTree(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()), minBytes, maxBytes);
  }
  std::fprintf(stderr, "usage: fileops_bench make-tree <dir> <dirs> <files-per-dir> <min-bytes> <max-bytes>\n");
  return 2;
}
