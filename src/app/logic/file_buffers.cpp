#include "app/logic/file_buffers.h"

#include <algorithm>

#include "app/logic/ui_text.h"

namespace velkoran::app {

void FileBuffers::SetCurrent(int index) {
  if (index >= 0 && index < kBufferCount) current_ = index;
}

void FileBuffers::Toggle(std::string_view path) {
  auto& buffer = buffers_[static_cast<std::size_t>(current_)];
  const auto it = std::find_if(buffer.begin(), buffer.end(), [&](const std::string& e) { return platform::SamePath(e, path); });
  if (it != buffer.end()) {
    buffer.erase(it);
  } else {
    buffer.emplace_back(path);
  }
}

std::vector<std::string> FileBuffers::DisplayLines() const {
  const auto& buffer = CurrentEntries();
  if (buffer.empty()) return {UiText("ファイルバッファ")};
  std::vector<std::string> lines;
  lines.reserve(buffer.size());
  for (auto it = buffer.rbegin(); it != buffer.rend(); ++it) lines.push_back(DisplayName(*it));
  return lines;
}

std::string FileBuffers::IndexCaption() const { return std::to_string(current_ + 1) + UiText("番バッファ"); }

std::string FileBuffers::DisplayName(std::string_view entry) const {
  if (rules_.HasTrailingSeparator(entry)) {
    const std::string rest = rules_.RemoveTrailingSeparator(entry);
    const std::vector<std::size_t> seps = rules_.SeparatorPositions(rest);
    if (!seps.empty()) return rest.substr(seps.back() + 1) + rules_.Separator();
    return rest + rules_.Separator();
  }
  std::size_t start = 0;
  for (std::size_t pos : rules_.SeparatorPositions(entry)) start = pos + 1;
  if (rules_.style() == platform::PathStyle::Windows) {
    const std::size_t colon = entry.rfind(':');
    if (colon != std::string_view::npos && colon + 1 > start) start = colon + 1;
  }
  return std::string(entry.substr(start));
}

}  // namespace velkoran::app
