#include "dnd/drag_paths.h"

namespace velkoran::dnd {

void RemoveTrailingSeparators(std::vector<std::string>& paths, const platform::PathRules& rules) {
  for (std::string& path : paths) {
    if (!rules.IsRoot(path)) path = rules.RemoveTrailingSeparator(path);
  }
}

}  // namespace velkoran::dnd
