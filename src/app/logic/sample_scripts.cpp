#include "app/logic/sample_scripts.h"

#include <fcntl.h>
#include <unistd.h>

#include "app/logic/script_launch.h"
#include "app/logic/ui_text.h"
#include "platform/codepage.h"
#include "platform/dir_helpers.h"
#include "platform/directory.h"
#include "platform/fileio.h"

namespace velkoran::app {
namespace {

bool IsEmptyFolder(std::string_view dir) {
  bool empty = true;
  platform::ForEachEntry(dir, platform::EnumDetail::TypeOnly, [&](const platform::DirEntry&) {
    empty = false;
    return false;
  });
  return empty;
}

// Creates path with text; fails (and leaves what is there) when anything exists at path.
bool WriteNewFile(const std::string& path, std::string_view text) {
  platform::File out(platform::OpenRetrying(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!out.IsOpen()) return false;
  if (out.WriteAll(text.data(), text.size()) && out.Close()) return true;
  out.Close();
  ::unlink(path.c_str());
  return false;
}

}  // namespace

bool IsFirstStart(std::string_view saveDir) {
  return !platform::FileExists(platform::HostPaths().AddTrailingSeparator(saveDir) + "setting.ini");
}

SampleCopy CopySampleScripts(std::string_view sampleDir, std::string_view scriptDir) {
  SampleCopy result;
  const platform::PathRules& paths = platform::HostPaths();
  const std::string from = paths.AddTrailingSeparator(sampleDir);
  const std::string to = paths.AddTrailingSeparator(scriptDir);
  const std::vector<std::string> samples = ListScriptFiles(from);
  if (samples.empty() || !platform::ForceDirectory(to) || !IsEmptyFolder(to)) return result;
  for (const std::string& name : samples) {
    const ScriptFileText sample = ReadScriptFile(from + name);
    const bool written = sample.ok && WriteNewFile(to + name, platform::FromUtf8(sample.text));
    (written ? result.copied : result.failed).push_back(name);
  }
  return result;
}

std::string SampleCopyMessage(const SampleCopy& copy, std::string_view scriptDir) {
  std::string line = UiText("サンプルスクリプトを置きました: ");
  line.append(scriptDir);
  line += " (";
  line += std::to_string(copy.copied.size());
  line += ')';
  return line;
}

}  // namespace velkoran::app
