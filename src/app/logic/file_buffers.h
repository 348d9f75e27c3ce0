// The twelve file buffers: numbered lists of paths collected for a later copy, move or
// delete. Adding a path that is already in the current buffer removes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/state_files.h"
#include "platform/paths.h"

namespace velkoran::app {

class FileBuffers {
 public:
  explicit FileBuffers(const platform::PathRules& rules) : rules_(rules) {}

  // Any change goes through these; Revision counts them (a non-const All counts as one).
  BufferSet& All() {
    ++revision_;
    return buffers_;
  }
  const BufferSet& All() const { return buffers_; }
  int Current() const { return current_; }
  // Values outside 0..11 are ignored.
  void SetCurrent(int index);
  const std::vector<std::string>& CurrentEntries() const { return buffers_[static_cast<std::size_t>(current_)]; }

  // Removes the path from the current buffer when it is there (exact comparison: names
  // are case-sensitive), appends it otherwise.
  void Toggle(std::string_view path);
  // Toggles each path in order, as many single toggles would, in time linear in the
  // number of paths and entries (a whole listing of a large directory at once).
  void ToggleAll(const std::vector<std::string>& paths);
  // Removes the entries shown on the given lines of the buffer list (line k shows entry
  // count - 1 - k); lines that show no entry are ignored.
  void RemoveDisplayedLines(const std::vector<int>& lines);
  void ClearCurrent() {
    ++revision_;
    buffers_[static_cast<std::size_t>(current_)].clear();
  }
  std::uint64_t Revision() const { return revision_; }

  // What the buffer list shows: newest entry first, or the placeholder line. Entries that
  // would show the same name show their folder beside it.
  std::vector<std::string> DisplayLines() const;
  // "N番バッファ" for the current buffer.
  std::string IndexCaption() const;
  // A directory entry shows its last component with a separator, a file its name.
  std::string DisplayName(std::string_view entry) const;

 private:
  const platform::PathRules& rules_;
  BufferSet buffers_;
  int current_ = 0;
  std::uint64_t revision_ = 0;
};

}  // namespace velkoran::app
