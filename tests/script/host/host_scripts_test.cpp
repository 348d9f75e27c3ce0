// End to end: the scripts in scripts/ run through the console runner with a scratch
// folder as their first argument; their output must equal NAME.out (line ends aside) and
// their exit status NAME.status (0 when there is none).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "host_test_support.h"

namespace kestrin::host_testing {
namespace {

std::string WithoutCarriageReturns(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

struct RunResult {
  std::string output;
  int status = -1;
};

RunResult RunRunner(const std::string& script, const std::string& scratch) {
  const std::string command = std::string("'") + KESTRIN_RUNNER + "' '" + script + "' '" + scratch + "' " +
                              std::to_string(::getpid()) + " </dev/null 2>&1";
  RunResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class HostScriptsTest : public ::testing::TestWithParam<const char*> {};

TEST_P(HostScriptsTest, OutputAndStatusAsExpected) {
  const std::string base = std::string(HOST_SCRIPTS_DIR) + "/" + GetParam();
  ScratchDir dir;
  const RunResult run = RunRunner(base + ".js", dir.Path().substr(0, dir.Path().size() - 1));
  EXPECT_EQ(WithoutCarriageReturns(run.output), ReadBytes(base + ".out"));
  const std::string status = ReadBytes(base + ".status");
  EXPECT_EQ(run.status, status.empty() ? 0 : std::stoi(status));
}

INSTANTIATE_TEST_SUITE_P(Scripts, HostScriptsTest, ::testing::Values("files", "lists", "utilities"));

}  // namespace
}  // namespace kestrin::host_testing
