// The four state files' readers over any bytes, as the window reads them at start (lines
// split at LF or CR LF): each reads without fault, and writing what was read and reading
// it again is stable, so a damaged file settles into a sound one after one save.
#include <string>
#include <vector>

#include "app/logic/state_files.h"
#include "fuzz_check.h"
#include "platform/state_file.h"

using namespace velkoran;

namespace {

std::vector<std::string> Lines(std::string_view text) { return platform::SplitLines(text); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> lines = Lines(fuzzing::Bytes(data, size));

  const std::string settings = app::SerializeSettings(app::LoadSettingsFrom(lines));
  FUZZ_CHECK(app::SerializeSettings(app::LoadSettingsFrom(Lines(settings))) == settings);

  const std::string buffers = app::SerializeBuffers(app::ParseBuffers(lines));
  FUZZ_CHECK(app::SerializeBuffers(app::ParseBuffers(Lines(buffers))) == buffers);

  const std::string tabs = app::SerializeTabs(app::ParseTabs(lines));
  FUZZ_CHECK(app::SerializeTabs(app::ParseTabs(Lines(tabs))) == tabs);

  const std::string launcher = app::SerializeLauncher(app::ParseLauncher(lines));
  FUZZ_CHECK(app::SerializeLauncher(app::ParseLauncher(Lines(launcher))) == launcher);
  return 0;
}
