#include "script/crc.h"

#include <array>

namespace kestrin {

namespace {

template <typename T, T kPolynomial>
constexpr std::array<T, 256> ReflectedTable() {
  std::array<T, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    T c = static_cast<T>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? static_cast<T>((c >> 1) ^ kPolynomial) : static_cast<T>(c >> 1);
    table[i] = c;
  }
  return table;
}

constexpr auto kCrc16Table = ReflectedTable<std::uint16_t, static_cast<std::uint16_t>(0x8408)>();

}  // namespace

constexpr std::array<std::uint32_t, 256> detail::kCrc32Table = ReflectedTable<std::uint32_t, 0xEDB88320u>();

std::uint32_t Crc32Update(std::uint32_t state, std::string_view bytes) noexcept {
  for (const char ch : bytes) state = Crc32Step(state, static_cast<unsigned char>(ch));
  return state;
}

void TChecksums::Update(std::string_view bytes) noexcept {
  std::uint16_t c16 = crc16_;
  for (const char ch : bytes) {
    c16 = static_cast<std::uint16_t>(kCrc16Table[(c16 ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c16 >> 8));
  }
  crc16_ = c16;
  crc32_ = Crc32Update(crc32_, bytes);
}

std::uint32_t Crc32(std::string_view bytes) noexcept { return ~Crc32Update(0xFFFFFFFFu, bytes); }

std::uint16_t Crc16(std::string_view bytes) noexcept {
  TChecksums c;
  c.Update(bytes);
  return c.Crc16();
}

}  // namespace kestrin
