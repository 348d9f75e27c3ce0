// The file operation engine as a process of its own, for comparing it with whole-process
// peers (cp, du) in bench/run-fileops:
//   vk-fileops copy <destination-dir> <source>...   copies the sources into the directory
//   vk-fileops survey <dir>                         size survey; prints the totals
// The host answers no question (existing targets are replaced, as with cp) and prints the
// engine's log to stderr; Ctrl-C reaches the engine as the break command does from the
// window, between blocks and entries. Exit status 0 when the operation succeeded.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "fileops/engine.h"
#include "support/scripted_questions.h"

namespace {

using velkoran::fileops::FileOperationEngine;
using velkoran::fileops::OperationHost;
using velkoran::fileops::ProgressBar;

volatile std::sig_atomic_t interrupted = 0;

class ConsoleHost : public OperationHost {
 public:
  FileOperationEngine* engine = nullptr;

  void AppendLog(std::string_view line) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  }
  void SetProgressMaximum(ProgressBar, std::uint64_t) override {}
  void SetProgressPosition(ProgressBar, std::uint64_t) override {}
  void ProcessPendingEvents() override {
    if (interrupted != 0 && engine != nullptr) engine->RequestBreak();
  }
  void SetMainWindowEnabled(bool) override {}
  void SetMainWindowCaption(std::string_view) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::signal(SIGINT, [](int) { interrupted = 1; });
  ConsoleHost host;
  velkoran::testing::ScriptedQuestions questions;  // never asked: overwriting is switched on
  FileOperationEngine engine(host, questions);
  host.engine = &engine;
  engine.Flags().AutoOverwrite = true;
  if (args.size() >= 3 && args[0] == "copy") {
    return engine.TransferFiles({args.begin() + 2, args.end()}, args[1], velkoran::fileops::kOperationCopy) ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == "survey") {
    const velkoran::fileops::SurveyTotals totals = engine.CheckDirectorySize(args[1]);
    std::printf("files %llu\ndirectories %llu\nbytes %llu\n", static_cast<unsigned long long>(totals.files),
                static_cast<unsigned long long>(totals.directories), static_cast<unsigned long long>(totals.bytes));
    return totals.stopped ? 1 : 0;
  }
  std::fprintf(stderr, "usage: vk-fileops copy <destination-dir> <source>... | vk-fileops survey <dir>\n");
  return 2;
}
