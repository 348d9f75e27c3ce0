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
  // Room for the most the text can give; cut to what it gave at the end.
  std::string out(text.size() / 4 * 3 + 3, '\0');
  char* o = out.data();
  std::uint32_t acc = 0;
  int filled = 0;  // characters of the current group
  const auto flush = [&] {
    if (filled >= 2) *o++ = static_cast<char>(acc >> 16 & 0xFF);
    if (filled >= 3) *o++ = static_cast<char>(acc >> 8 & 0xFF);
    if (filled >= 4) *o++ = static_cast<char>(acc & 0xFF);
    acc = 0;
    filled = 0;
  };
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    // Between groups, whole groups of four alphabet characters go in one step.
    if (filled == 0) {
      while (end - p >= 4) {
        const std::int32_t a = kDecode[p[0]], b = kDecode[p[1]], c = kDecode[p[2]], d = kDecode[p[3]];
        if ((a | b | c | d) < 0) break;
        const auto v = static_cast<std::uint32_t>(a << 18 | b << 12 | c << 6 | d);
        o[0] = static_cast<char>(v >> 16 & 0xFF);
        o[1] = static_cast<char>(v >> 8 & 0xFF);
        o[2] = static_cast<char>(v & 0xFF);
        o += 3;
        p += 4;
      }
      if (p == end) break;
    }
    const std::int8_t v = kDecode[*p++];
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
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

}  // namespace kestrin
