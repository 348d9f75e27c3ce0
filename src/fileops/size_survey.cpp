// The directory size survey: counts files and directories and sums sizes in one pass,
// servicing the window once per directory and stopping on the break command. Links are
// counted as files and never followed.
#include "fileops/engine.h"
#include "fileops/format_size.h"
#include "fileops/messages.h"
#include "platform/directory.h"

namespace velkoran::fileops {

SurveyTotals FileOperationEngine::CheckDirectorySize(std::string_view path) {
  flags_.BreakRequested = false;
  SurveyTotals totals;
  host_.AppendLog(messages::Local(messages::kSurveyStart));
  host_.AppendLog(path);

  std::string dir(path);
  SurveyWalk(dir, totals);
  if (flags_.BreakRequested) {
    totals.stopped = true;
    host_.AppendLog(messages::Local(messages::kSurveyStopped));
    return totals;
  }
  std::string line = messages::Local(messages::kSurveyFiles);
  line += std::to_string(totals.files);
  line += messages::Local(messages::kSurveyDirectories);
  line += std::to_string(totals.directories);
  line += messages::Local(messages::kSurveySize);
  line += FormatSize(totals.bytes, SizeFormat::Whole);
  line += "B / ";
  line += FormatSize(totals.bytes, SizeFormat::Decimal);
  line += "B";
  host_.AppendLog(line);
  return totals;
}

void FileOperationEngine::SurveyWalk(std::string& dir, SurveyTotals& totals) {
  host_.ProcessPendingEvents();
  if (flags_.BreakRequested) return;
  const std::size_t length = dir.size();
  if (dir.empty() || dir.back() != '/') dir += '/';
  const std::size_t base = dir.size();
  // Subdirectories are walked after the enumeration closes, so a deep tree holds one
  // directory open at a time; the names are the only allocation, one per directory.
  std::vector<std::string> subdirectories;
  platform::ForEachEntry(dir, platform::EnumDetail::Full, [&](const platform::DirEntry& e) {
    if (flags_.BreakRequested) return false;
    if (e.isDirectory) {
      subdirectories.emplace_back(e.name);
    } else {
      totals.bytes += e.size;
      ++totals.files;
    }
    return true;
  });
  for (const std::string& name : subdirectories) {
    if (flags_.BreakRequested) break;
    dir.resize(base);
    dir += name;
    SurveyWalk(dir, totals);
    ++totals.directories;
  }
  dir.resize(length);
}

}  // namespace velkoran::fileops
