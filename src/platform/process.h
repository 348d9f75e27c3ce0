// Starting other programs and pausing the calling thread, without the window toolkit, so
// the interpreter can use them in the console runner too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkoran::platform {

// Splits a command line into words as a shell would, without expansions: blanks (space,
// tab, CR, LF) separate words; '...' takes its bytes literally; "..." groups and lets a
// backslash escape ", \, $ and `; outside quotes a backslash takes the next byte literally.
// Nothing when a quote is left open or a backslash ends the text.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

// Starts argv[0] (searched in PATH when it holds no "/") with the given arguments in a
// session of its own, standard input from /dev/null, and returns without waiting; the
// child is reaped in the background when it ends. It starts in workingDir when that is
// given. 0 on success, else the error number (ENOENT, EACCES, ... or EINVAL for an empty
// argv).
int StartDetached(const std::vector<std::string>& argv, std::string_view workingDir = {});

// Blocks the calling thread for ms milliseconds; nothing for 0 or less.
void SleepMilliseconds(std::int64_t ms);

}  // namespace velkoran::platform
