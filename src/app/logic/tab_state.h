// What a tab remembers of the tree.
#pragma once

#include <string>
#include <vector>

namespace velkoran::app {

struct TabState {
  std::vector<std::string> expandedPaths;  // nodes expanded when the tab was left
  std::string selectedPath;                // selected node when the tab was left, or empty
  std::string topPath;                     // top visible node when the tab was left, or empty
  std::string caption;                     // the tab's caption
  bool operator==(const TabState&) const = default;
};

}  // namespace velkoran::app
