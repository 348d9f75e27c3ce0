#include "fileops/progress_scale.h"

#include <algorithm>
#include <limits>

namespace velkoran::fileops {

IntProgress ScaleProgress(std::uint64_t maximum, std::uint64_t position) {
  constexpr auto kIntMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  int shift = 0;
  while ((maximum >> shift) > kIntMax) ++shift;
  position = std::min(position, maximum);
  return {static_cast<int>(maximum >> shift), static_cast<int>(position >> shift)};
}

}  // namespace velkoran::fileops
