// What every fuzz target shares: an invariant check that stops the run with a message
// (libFuzzer keeps the input that broke it), and the input as bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string_view>

namespace velkoran::fuzzing {

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut in two at its first NUL byte (the second part empty without one).
struct Halves {
  std::string_view first, second;
};
inline Halves SplitAtNul(std::string_view input) {
  const std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {input, {}};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

// Feeds bytes to a reader in pieces of at most `piece` bytes until they run out or the
// reader is finished: feed(data, size) returns the count it took, which may fall short
// only where the reader finished. `used` counts what was taken, also when feed throws.
template <typename Feed, typename Finished>
void FeedInPieces(std::string_view bytes, std::size_t piece, std::size_t& used, Feed&& feed, Finished&& finished) {
  while (used < bytes.size() && !finished()) {
    const std::size_t n = std::min(piece, bytes.size() - used);
    const std::size_t took = feed(bytes.data() + used, n);
    FUZZ_CHECK(took <= n);
    used += took;
    if (took < n) FUZZ_CHECK(finished());
  }
}

}  // namespace velkoran::fuzzing
