// Paths offered by a drag: a directory may be listed with a trailing separator (as the
// buffers and transfer lists mark one), but a drop target receives every path without it.
#pragma once

#include <string>
#include <vector>

#include "platform/paths.h"

namespace velkoran::dnd {

// Removes one trailing separator from every path; a root keeps its separator, since
// without it nothing would be left to name.
void RemoveTrailingSeparators(std::vector<std::string>& paths, const platform::PathRules& rules);

}  // namespace velkoran::dnd
