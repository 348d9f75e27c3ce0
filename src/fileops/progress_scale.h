// Maps 64-bit progress values onto an int-ranged progress bar: maximum and position are
// shifted right by the same number of bits, so the bar's proportions stay exact enough
// and a position never passes the maximum.
#pragma once

#include <cstdint>

namespace velkoran::fileops {

struct IntProgress {
  int maximum = 0;
  int position = 0;
};

IntProgress ScaleProgress(std::uint64_t maximum, std::uint64_t position);

}  // namespace velkoran::fileops
