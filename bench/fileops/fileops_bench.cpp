// Drives the file operation engine without a window, for bench/run-fileops:
//   fileops_bench copy <destination-dir> <source>...   copy the sources into the directory
//   fileops_bench survey <dir>                          size survey of the directory
//   fileops_bench make-tree <dir> <dirs> <files-per-dir> <max-file-bytes>
//                                                       a deterministic tree of small files
// Prints the engine's log to stderr and the elapsed seconds of the operation to stdout.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/engine.h"
#include "support/scripted_questions.h"

namespace {

using velkoran::fileops::FileOperationEngine;
using velkoran::fileops::OperationHost;
using velkoran::fileops::ProgressBar;

class ConsoleHost : public OperationHost {
 public:
  void AppendLog(std::string_view line) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  }
  void SetProgressMaximum(ProgressBar, std::uint64_t) override {}
  void SetProgressPosition(ProgressBar, std::uint64_t) override {}
  void ProcessPendingEvents() override {}
  void SetMainWindowEnabled(bool) override {}
  void SetMainWindowCaption(std::string_view) override {}
};

int MakeTree(const std::string& root, int dirs, int filesPerDir, int maxBytes) {
  std::vector<char> data(static_cast<std::size_t>(maxBytes) + 1, 'v');
  std::uint32_t seed = 12345;
  if (mkdir(root.c_str(), 0755) != 0) return 1;
  for (int d = 0; d < dirs; ++d) {
    const std::string dir = root + "/d" + std::to_string(d);
    if (mkdir(dir.c_str(), 0755) != 0) return 1;
    for (int f = 0; f < filesPerDir; ++f) {
      seed = seed * 1664525u + 1013904223u;
      const std::size_t size = maxBytes > 0 ? (seed >> 8) % static_cast<std::uint32_t>(maxBytes + 1) : 0;
      const std::string path = dir + "/f" + std::to_string(f) + ".txt";
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || write(fd, data.data(), size) != static_cast<ssize_t>(size)) return 1;
      close(fd);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 5 && args[0] == "make-tree") {
    return MakeTree(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()), std::atoi(args[4].c_str()));
  }
  ConsoleHost host;
  velkoran::testing::ScriptedQuestions questions;  // never asked: overwriting needs no question here
  FileOperationEngine engine(host, questions);
  engine.Flags().AutoOverwrite = true;
  const auto start = std::chrono::steady_clock::now();
  bool ok = false;
  if (args.size() >= 3 && args[0] == "copy") {
    ok = engine.TransferFiles({args.begin() + 2, args.end()}, args[1], velkoran::fileops::kOperationCopy);
  } else if (args.size() == 2 && args[0] == "survey") {
    ok = !engine.CheckDirectorySize(args[1]).stopped;
  } else {
    std::fprintf(stderr, "usage: fileops_bench copy <dest> <source>... | survey <dir> | make-tree <dir> <dirs> <files> <max-bytes>\n");
    return 2;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", elapsed.count());
  return ok ? 0 : 1;
}
