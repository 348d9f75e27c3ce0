// The order names are shown in wherever a user sees a listing (tree children, script
// menus, the launcher list, the file list's name sort): letter case ignored as the code
// page allows, bytes otherwise.
#pragma once

#include <string_view>

namespace velkoran::app {

// Compares names without regard to ASCII letter case, byte order otherwise; in CP932 the
// trail byte of a double-byte character is never folded.
int CompareNamesIgnoreCase(std::string_view a, std::string_view b);

// A strict order for listings: names equal but for letter case fall back to their bytes,
// so the order never depends on the order the names were read in.
bool NameSortsBefore(std::string_view a, std::string_view b);

}  // namespace velkoran::app
