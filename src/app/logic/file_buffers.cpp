#include "app/logic/file_buffers.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "app/logic/ui_text.h"
#include "platform/ui_language.h"

namespace velkoran::app {

void FileBuffers::SetCurrent(int index) {
  if (index >= 0 && index < kBufferCount) current_ = index;
}

void FileBuffers::Toggle(std::string_view path) {
  ++revision_;
  auto& buffer = buffers_[static_cast<std::size_t>(current_)];
  const auto it = std::find_if(buffer.begin(), buffer.end(), [&](const std::string& e) { return platform::SamePath(e, path); });
  if (it != buffer.end()) {
    buffer.erase(it);
  } else {
    buffer.emplace_back(path);
  }
}

void FileBuffers::ToggleAll(const std::vector<std::string>& paths) {
  ++revision_;
  auto& buffer = buffers_[static_cast<std::size_t>(current_)];
  if (paths.size() == 1) {
    Toggle(paths.front());
    return;
  }
  // Every entry, old or appended, keeps its slot; a removed one leaves an empty slot that
  // is squeezed out at the end. The map knows the slot of each entry present.
  std::vector<std::optional<std::string>> slots;
  slots.reserve(buffer.size() + paths.size());
  std::unordered_map<std::string_view, std::size_t> slotOf;
  slotOf.reserve(buffer.size() + paths.size());
  for (std::string& entry : buffer) slots.emplace_back(std::move(entry));
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (!slotOf.emplace(*slots[i], i).second) {
      // A buffer read with a path twice in it: only single toggles know which copy goes.
      buffer.clear();
      for (auto& slot : slots) buffer.push_back(std::move(*slot));
      for (const std::string& path : paths) Toggle(path);
      return;
    }
  }
  for (const std::string& path : paths) {
    const auto it = slotOf.find(path);
    if (it != slotOf.end()) {
      const std::size_t slot = it->second;
      slotOf.erase(it);  // before the string it views goes
      slots[slot].reset();
    } else {
      slots.emplace_back(path);
      slotOf.emplace(*slots.back(), slots.size() - 1);
    }
  }
  buffer.clear();
  for (auto& slot : slots) {
    if (slot) buffer.push_back(std::move(*slot));
  }
}

void FileBuffers::RemoveDisplayedLines(const std::vector<int>& lines) {
  ++revision_;
  auto& buffer = buffers_[static_cast<std::size_t>(current_)];
  const int count = static_cast<int>(buffer.size());
  std::vector<bool> doomed(buffer.size(), false);
  for (int k : lines) {
    if (k >= 0 && k < count) doomed[static_cast<std::size_t>(count - 1 - k)] = true;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (doomed[i]) continue;
    if (kept != i) buffer[kept] = std::move(buffer[i]);
    ++kept;
  }
  buffer.resize(kept);
}

std::vector<std::string> FileBuffers::DisplayLines() const {
  const auto& buffer = CurrentEntries();
  if (buffer.empty()) return {UiText("ファイルバッファ")};
  std::vector<std::string> lines;
  lines.reserve(buffer.size());
  std::unordered_map<std::string, int> uses;
  for (auto it = buffer.rbegin(); it != buffer.rend(); ++it) {
    lines.push_back(DisplayName(*it));
    ++uses[lines.back()];
  }
  // Two entries of one name (a.txt from two folders) are told apart by where they are.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (uses[lines[i]] < 2) continue;
    const std::string& entry = buffer[buffer.size() - 1 - i];
    lines[i] += "  (" + rules_.AddTrailingSeparator(rules_.ParentPath(rules_.RemoveTrailingSeparator(entry))) + ")";
  }
  return lines;
}

std::string FileBuffers::IndexCaption() const { return platform::FillPattern(UiText("%1番バッファ"), {std::to_string(current_ + 1)}); }

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
