// End to end, for what the shared script suite (tests/scripts) cannot set: the scripts in
// scripts/ run through the console runner in the Tokyo zone under the code page their
// name asks for (_cp932, else UTF-8); the output must equal NAME.out (line ends aside) and
// the runner must succeed.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "support/files.h"

namespace kestrin {
namespace {

using velkoran::testing::ReadFile;

struct RunResult {
  std::string output;
  int status = -1;
};

RunResult RunRunner(const std::string& script, const std::string& codepage) {
  const std::string command = "TZ=JST-9 '" + std::string(KESTRIN_RUNNER) + "' --codepage " + codepage + " '" +
                              script + "' </dev/null 2>&1";
  RunResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    for (std::size_t i = 0; i < n; ++i)
      if (buffer[i] != '\r') result.output += buffer[i];
  }
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class TextScriptFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(TextScriptFiles, PrintExactlyTheExpectedOutput) {
  const std::string name = GetParam();
  const std::string base = std::string(TEXT_SCRIPTS_DIR) + "/" + name;
  const bool cp932 = name.size() > 6 && name.substr(name.size() - 6) == "_cp932";
  const RunResult run = RunRunner(base + ".js", cp932 ? "cp932" : "utf-8");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, ReadFile(base + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, TextScriptFiles,
                         ::testing::Values("dates_tokyo", "codes_cp932"));

}  // namespace
}  // namespace kestrin
