#include "script/builtins/base64.h"

#include <array>
#include <cstdint>

namespace kestrin {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::int8_t kSkip = -1;
constexpr std::int8_t kPad = -2;

constexpr std::array<std::int8_t, 256> MakeDecodeTable() {
  std::array<std::int8_t, 256> t{};
  for (auto& v : t) v = kSkip;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  t['='] = kPad;
  return t;
}
constexpr auto kDecode = MakeDecodeTable();

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])); };
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += kAlphabet[v & 63];
  }
  const std::size_t left = bytes.size() - i;
  if (left == 1) {
    const std::uint32_t v = at(i) << 16;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += "==";
  } else if (left == 2) {
    const std::uint32_t v = at(i) << 16 | at(i + 1) << 8;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  std::uint32_t acc = 0;
  int filled = 0;  // characters of the current group
  const auto flush = [&] {
    if (filled >= 2) out += static_cast<char>(acc >> 16 & 0xFF);
    if (filled >= 3) out += static_cast<char>(acc >> 8 & 0xFF);
    if (filled >= 4) out += static_cast<char>(acc & 0xFF);
    acc = 0;
    filled = 0;
  };
  for (const char ch : text) {
    const std::int8_t v = kDecode[static_cast<unsigned char>(ch)];
    if (v == kSkip) continue;
    if (v == kPad) {
      // Padding ends the group with the bytes its characters so far carry.
      if (filled > 0) flush();
      continue;
    }
    acc |= static_cast<std::uint32_t>(v) << (18 - 6 * filled);
    if (++filled == 4) flush();
  }
  flush();
  return out;
}

}  // namespace kestrin
