// Directory helpers of the file manager: creating a directory chain and renaming an entry.
#pragma once

#include <string_view>

#include "platform/paths.h"

namespace velkoran::platform {

// Creates the directory and any missing parents; true when a directory exists at path
// afterwards (also through a link). Under the Windows rules a colon from the fourth
// character on fails at once, as such a name cannot be created there.
bool ForceDirectory(std::string_view path, const PathRules& rules);
inline bool ForceDirectory(std::string_view path) { return ForceDirectory(path, HostPaths()); }

enum class RenameMode {
  Replace,    // an existing file at the target is replaced (after the user agreed)
  NoReplace,  // fails when anything exists at the target
};
// 0 on success, else the error number.
int RenameEntry(std::string_view from, std::string_view to, RenameMode mode);

}  // namespace velkoran::platform
