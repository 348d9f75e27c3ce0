// The sample scripts that come with the program, put into the user's script folder on the
// first start so that the script menus are not empty for a new user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkoran::app {

// The first start: no settings have been saved yet in saveDir.
bool IsFirstStart(std::string_view saveDir);

struct SampleCopy {
  std::vector<std::string> copied;  // file names now in the script folder
  std::vector<std::string> failed;  // file names that could not be written
};

// Copies every "*.txt" of sampleDir into scriptDir (created when missing), but only when
// scriptDir holds no entry at all; an existing file is never replaced. The samples are
// written in UTF-8 and are converted to the active code page on the way.
SampleCopy CopySampleScripts(std::string_view sampleDir, std::string_view scriptDir);

// The log line that tells where the samples went.
std::string SampleCopyMessage(const SampleCopy& copy, std::string_view scriptDir);

}  // namespace velkoran::app
