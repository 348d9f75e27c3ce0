// Short size texts with the 1024-based units K, M and G, shared by the file list, the
// size survey and the transfer engine.
#pragma once

#include <cstdint>
#include <string>

namespace velkoran::fileops {

enum class SizeFormat {
  Whole,    // at least two digits before switching unit: 5000 -> "5000", 20000 -> "19K"
  Decimal,  // switches at one unit, cut after two decimals: 5000 -> "4.88K"
};

std::string FormatSize(std::uint64_t bytes, SizeFormat mode);

}  // namespace velkoran::fileops
