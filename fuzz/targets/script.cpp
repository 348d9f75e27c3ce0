// Compiling and running any text with the built-in objects only (no host class reads or
// writes the disk, imports find nothing) within a budget of about 100 000 statements:
// the run ends normally, with a script error, or with the budget's abort, never faults.
#include <chrono>
#include <string>

#include "fuzz_check.h"
#include "platform/codepage.h"
#include "script/kestrin.h"

using namespace velkoran;

namespace {

// The engine polls every 256 statements when the interval is zero.
constexpr int kPollBudget = 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::SetActiveCodePage(size % 2 == 0 ? platform::CodePage::Utf8 : platform::CodePage::Cp932);
  kestrin::TKestrin host;
  host.LibraryPath().clear();
  host.OnStdout = [](kestrin::TKestrin&, std::string_view) {};
  int polls = 0;
  host.Engine().PollInterval = std::chrono::milliseconds(0);
  host.Engine().OnPoll = [&polls](kestrin::TJEngine& engine) {
    if (++polls >= kPollBudget) engine.AbortRequested = true;
  };
  if (host.Compile(fuzzing::Bytes(data, size))) host.Run();
  return 0;
}
