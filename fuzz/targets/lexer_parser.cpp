// The lexer (with its token trace) and the parser, with constant folding, over any bytes
// in both code pages: a compile either succeeds or reports a syntax error, never faults.
#include <string>

#include "fuzz_check.h"
#include "platform/codepage.h"
#include "script/kestrin.h"

using namespace velkoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzzing::Bytes(data, size);
  for (const platform::CodePage cp : {platform::CodePage::Utf8, platform::CodePage::Cp932}) {
    platform::SetActiveCodePage(cp);
    kestrin::TKestrin host;
    host.LibraryPath().clear();  // an import reads nothing from the disk
    std::string output;
    std::size_t tokens = 0;
    host.OnStdout = [&](kestrin::TKestrin&, std::string_view s) { output.append(s); };
    host.OnDebugout = [&](kestrin::TKestrin&, std::string_view) { ++tokens; };
    const bool compiled = host.Compile(text);
    // A failed compile says why; an empty one is no failure.
    FUZZ_CHECK(compiled || !host.CompileFailed() || !output.empty());
    FUZZ_CHECK(!compiled || host.Program() != nullptr);
  }
  return 0;
}
