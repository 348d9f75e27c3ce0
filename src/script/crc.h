// CRC-32 (reflected 0xEDB88320, initial and final all ones) and CRC-16/MCRF4XX (reflected
// 0x8408, initial 0xFFFF, no final complement), updated together in one pass. The hash
// tables use the CRC-32 alone; the CRC script object streams files through both.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrin {

// Running state of both checksums; feed it chunks with Update, read the results with the
// accessors (which apply the CRC-32 final complement).
class TChecksums {
 public:
  void Update(std::string_view bytes) noexcept;
  std::uint16_t Crc16() const noexcept { return crc16_; }
  std::uint32_t Crc32() const noexcept { return ~crc32_; }

 private:
  std::uint16_t crc16_ = 0xFFFF;
  std::uint32_t crc32_ = 0xFFFFFFFF;
};

std::uint32_t Crc32(std::string_view bytes) noexcept;
std::uint16_t Crc16(std::string_view bytes) noexcept;

// Continues a CRC-32 whose register (before the final complement) is `state`.
std::uint32_t Crc32Update(std::uint32_t state, std::string_view bytes) noexcept;

// One byte of the same, for loops that transform the bytes on their way in.
namespace detail {
extern const std::array<std::uint32_t, 256> kCrc32Table;
}
inline std::uint32_t Crc32Step(std::uint32_t state, unsigned char byte) noexcept {
  return detail::kCrc32Table[(state ^ byte) & 0xFF] ^ (state >> 8);
}

}  // namespace kestrin
