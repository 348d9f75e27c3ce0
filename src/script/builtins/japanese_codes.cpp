#include "script/builtins/japanese_codes.h"

#include <array>
#include <cstdint>

namespace kestrin {
namespace {

using velkoran::platform::CodePage;

constexpr unsigned char kEsc = 0x1B;
constexpr std::string_view kEnterDoubleByte = "\x1b$B";
constexpr std::string_view kLeaveDoubleByte = "\x1b(J";
constexpr std::string_view kMimePrefix = "=?ISO-2022-JP?B?";
constexpr std::string_view kMimeSuffix = "?=";

bool In(unsigned c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

// ---------------------------------------------------------------- pair arithmetic

struct Pair {
  unsigned char first, second;
};

Pair JisToSjisPair(unsigned j1, unsigned j2) {
  const unsigned s1 = j1 <= 0x5E ? (j1 + 1) / 2 + 0x70 : (j1 + 1) / 2 + 0xB0;
  unsigned s2;
  if (j1 % 2 == 0) {
    s2 = j2 + 0x7E;
  } else {
    s2 = j2 < 0x60 ? j2 + 0x1F : j2 + 0x20;
  }
  return {static_cast<unsigned char>(s1), static_cast<unsigned char>(s2)};
}

Pair SjisToJisPair(unsigned s1, unsigned s2) {
  unsigned j1 = (s1 < 0xA0 ? 2 * (s1 - 0x70) : 2 * (s1 - 0xB0)) & 0xFF;
  unsigned j2;
  if (s2 > 0x9E) {
    j2 = s2 - 0x7E;
  } else {
    j1 = (j1 - 1) & 0xFF;
    j2 = s2 < 0x80 ? s2 - 0x1F : s2 - 0x20;
  }
  return {static_cast<unsigned char>(j1), static_cast<unsigned char>(j2 & 0xFF)};
}

void Append(std::string& out, Pair p) {
  out += static_cast<char>(p.first);
  out += static_cast<char>(p.second);
}

// ---------------------------------------------------------------- half-width katakana

// JIS X 0208 codes of the JIS X 0201 katakana 0xA1..0xDF.
constexpr std::array<std::uint16_t, 63> kFullWidth = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523, 0x2525, 0x2527, 0x2529,
    0x2563, 0x2565, 0x2567, 0x2543, 0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B,
    0x252D, 0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F, 0x2541,
    0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D, 0x254E, 0x254F, 0x2552, 0x2555,
    0x2558, 0x255B, 0x255E, 0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569,
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C};

constexpr unsigned kVoicedMark = 0xDE;
constexpr unsigned kSemiVoicedMark = 0xDF;

// The full-width JIS code of a half-width kana, merged with a following (semi-)voiced
// mark when the combination exists; `merged` tells whether the mark was used.
std::uint16_t FullWidthKana(unsigned kana, int next_byte, bool& merged) {
  merged = false;
  std::uint16_t code = kFullWidth[kana - 0xA1];
  if (next_byte == static_cast<int>(kVoicedMark)) {
    if (kana == 0xB3) {  // u
      merged = true;
      return 0x2574;
    }
    if (In(kana, 0xB6, 0xC4) || In(kana, 0xCA, 0xCE)) {
      merged = true;
      return static_cast<std::uint16_t>(code + 1);
    }
  } else if (next_byte == static_cast<int>(kSemiVoicedMark) && In(kana, 0xCA, 0xCE)) {
    merged = true;
    return static_cast<std::uint16_t>(code + 2);
  }
  return code;
}

void AppendJis(std::string& out, std::uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

// ---------------------------------------------------------------- to JIS

// Shared walk of EUCToJIS and SJISToJIS: `high` handles a byte with the high bit set in
// double-byte mode and returns how many bytes it consumed.
template <typename HighByte>
std::string ToJis(std::string_view text, HighByte high) {
  std::string out;
  out.reserve(text.size() + text.size() / 2 + 8);
  bool double_byte = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (double_byte) {
        out += kLeaveDoubleByte;
        double_byte = false;
      }
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (!double_byte) {
      out += kEnterDoubleByte;
      double_byte = true;
    }
    i += high(out, i);
  }
  return out;
}

int ByteAt(std::string_view text, std::size_t i) {
  return i < text.size() ? static_cast<unsigned char>(text[i]) : -1;
}

// ---------------------------------------------------------------- from JIS

template <typename DoubleByte>
std::string FromJis(std::string_view text, DoubleByte convert) {
  std::string out;
  out.reserve(text.size());
  bool double_byte = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == kEsc) {
      const int next = ByteAt(text, i + 1);
      if (next == '$') double_byte = true;
      if (next == '(') double_byte = false;
      i += 3;  // ESC and the two bytes after it (fewer at the end of the text)
      continue;
    }
    if (!double_byte) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    i += convert(out, text, i);
  }
  return out;
}

bool CaseInsensitiveAt(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    const auto a = static_cast<unsigned char>(text[at + k]);
    const auto b = static_cast<unsigned char>(word[k]);
    const auto lower = [](unsigned char x) { return (x >= 'A' && x <= 'Z') ? x + 32 : x; };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

std::size_t FindCaseInsensitive(std::string_view text, std::string_view word, std::size_t from) {
  for (std::size_t i = from; i + word.size() <= text.size(); ++i)
    if (CaseInsensitiveAt(text, i, word)) return i;
  return std::string_view::npos;
}

bool HasHighByte(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------- detection

int DetectCode(std::string_view text) {
  const std::size_t n = text.size();
  const auto at = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(text[i])); };
  if (n == 0) return kCodeAscii;
  const std::size_t binary_end = std::min<std::size_t>(512, n - 1);
  for (std::size_t i = 0; i < binary_end; ++i)
    if (at(i) < 8 || at(i) == 255) return kCodeBinary;
  if (HasHighByte(text) && velkoran::platform::IsValidUtf8(text)) return kCodeUtf8;

  int result = kCodeAscii;
  for (std::size_t i = 0; (result == kCodeAscii || result == kCodeEucOrSjis) && i + 1 < n; ++i) {
    const unsigned a = at(i);
    const unsigned b = at(i + 1);
    if (a < 8 || a == 255) {
      result = kCodeBinary;
    } else if (a == kEsc) {
      if (b == '$' && i + 2 < n && (at(i + 2) == 'B' || at(i + 2) == '@')) {
        result = at(i + 2) == 'B' ? kCodeJisB : kCodeJisAt;
        i += 2;
      } else {
        ++i;
      }
    } else if (a < 0x80) {
      // plain text
    } else if (In(a, 0x81, 0x8D) || In(a, 0x8F, 0x9F)) {
      result = kCodeSjis;
    } else if (a == 0x8E) {
      if (In(b, 0x40, 0x7E) || In(b, 0x80, 0xA0) || In(b, 0xE0, 0xFC)) {
        result = kCodeSjis;
      } else if (In(b, 0xA1, 0xDF)) {
        result = kCodeEucOrSjis;
      }
      ++i;
    } else if (In(a, 0xF0, 0xFE)) {
      result = kCodeEuc;
    } else if (In(a, 0xE0, 0xEF)) {
      if (In(b, 0x40, 0x7E) || In(b, 0x80, 0xA0)) {
        result = kCodeSjis;
      } else if (b == 0xFD || b == 0xFE) {
        result = kCodeEuc;
      } else if (In(b, 0xA1, 0xFC)) {
        result = kCodeEucOrSjis;
      }
      ++i;
    } else if (In(a, 0xA1, 0xDF)) {
      if (In(b, 0xF0, 0xFE)) {
        result = kCodeEuc;
      } else if (In(b, 0xA1, 0xDF)) {
        result = kCodeEucOrSjis;
      } else if (b < 0xA0) {
        result = kCodeSjis;
      } else if (In(b, 0xE0, 0xEF)) {
        result = kCodeEucOrSjis;
        for (std::size_t j = i + 2; j < n && at(j) > 0x3F && result == kCodeEucOrSjis; ++j) {
          if (In(at(j), 0x81, 0x8D) || In(at(j), 0x8F, 0x9C)) result = kCodeSjis;
          else if (at(j) == 0xFD || at(j) == 0xFE) result = kCodeEuc;
        }
      }
      ++i;  // b = 0xA0 or 0xFF is skipped as well
    }
  }
  return result;
}

std::string ConvertCode(std::string_view text, int target) {
  const int detected = DetectCode(text);
  if (detected == kCodeUtf8) {
    if (target != kCodeJisB && target != kCodeEuc && target != kCodeSjis) return std::string(text);
    const std::string sjis = velkoran::platform::FromUtf8(text, CodePage::Cp932);
    if (target == kCodeJisB) return SJISToJIS(sjis);
    if (target == kCodeEuc) return SJISToEUC(sjis);
    return sjis;
  }
  if (detected == kCodeAscii || detected == kCodeBinary || detected == target ||
      detected == kCodeEucOrSjis) {
    return std::string(text);
  }
  const bool from_jis = detected == kCodeJisB || detected == kCodeJisAt;
  switch (target) {
    case kCodeJisB:
      if (from_jis) return std::string(text);
      if (detected == kCodeEuc) return EUCToJIS(text);
      return SJISToJIS(text);
    case kCodeEuc:
      if (from_jis) return JISToEUC(text);
      return SJISToEUC(text);
    case kCodeSjis:
      if (from_jis) return JISToSJIS(text);
      return EUCToSJIS(text);
    default: return std::string(text);
  }
}

std::string ConvertToUtf8(std::string_view text) {
  switch (DetectCode(text)) {
    case kCodeJisB:
    case kCodeJisAt: return velkoran::platform::ToUtf8(JISToSJIS(text), CodePage::Cp932);
    case kCodeEuc: return velkoran::platform::ToUtf8(EUCToSJIS(text), CodePage::Cp932);
    case kCodeSjis:
    case kCodeEucOrSjis: return velkoran::platform::ToUtf8(text, CodePage::Cp932);
    default: return std::string(text);
  }
}

// ---------------------------------------------------------------- direct conversions

std::string JISToEUC(std::string_view text) {
  return FromJis(text, [](std::string& out, std::string_view t, std::size_t i) -> std::size_t {
    const auto c = static_cast<unsigned char>(t[i]);
    out += static_cast<char>(In(c, 0x21, 0x7E) ? (c | 0x80) : c);
    return 1;
  });
}

std::string JISToSJIS(std::string_view text) {
  return FromJis(text, [](std::string& out, std::string_view t, std::size_t i) -> std::size_t {
    const auto c = static_cast<unsigned char>(t[i]);
    // A control byte (a line break in a text that never left double-byte mode) or a lone
    // last byte cannot start a pair: keep it as it is.
    if (c < 0x21 || i + 1 >= t.size() || static_cast<unsigned char>(t[i + 1]) == kEsc) {
      out += static_cast<char>(c);
      return 1;
    }
    Append(out, JisToSjisPair(c, static_cast<unsigned char>(t[i + 1])));
    return 2;
  });
}

std::string EUCToSJIS(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto a = static_cast<unsigned char>(text[i]);
    if (a <= 0x80 || a == 0xFF || i + 1 >= text.size()) {
      out += static_cast<char>(a);
      ++i;
      continue;
    }
    const auto b = static_cast<unsigned char>(text[i + 1]);
    if (a == 0x8E) {
      out += static_cast<char>(b);
    } else {
      Append(out, JisToSjisPair(a & 0x7F, b & 0x7F));
    }
    i += 2;
  }
  return out;
}

std::string SJISToEUC(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t i = 0; i < text.size();) {
    const auto a = static_cast<unsigned char>(text[i]);
    if (In(a, 0xA1, 0xDF)) {
      out += '\x8E';
      out += static_cast<char>(a);
      ++i;
      continue;
    }
    if (a < 0x80 || i + 1 >= text.size()) {
      out += static_cast<char>(a);
      ++i;
      continue;
    }
    const Pair j = SjisToJisPair(a, static_cast<unsigned char>(text[i + 1]));
    Append(out, {static_cast<unsigned char>(j.first | 0x80), static_cast<unsigned char>(j.second | 0x80)});
    i += 2;
  }
  return out;
}

std::string EUCToJIS(std::string_view text) {
  return ToJis(text, [text](std::string& out, std::size_t i) -> std::size_t {
    const auto a = static_cast<unsigned char>(text[i]);
    const int b = ByteAt(text, i + 1);
    if (b < 0) return 1;  // a lead byte at the very end has no partner
    if (a == 0x8E) {
      if (In(static_cast<unsigned>(b), 0xA1, 0xDF)) {
        bool merged = false;
        const int mark = ByteAt(text, i + 2) == 0x8E ? ByteAt(text, i + 3) : -1;
        AppendJis(out, FullWidthKana(static_cast<unsigned>(b), mark, merged));
        return merged ? 4 : 2;
      }
    }
    out += static_cast<char>(a & 0x7F);
    out += static_cast<char>(b & 0x7F);
    return 2;
  });
}

std::string SJISToJIS(std::string_view text) {
  return ToJis(text, [text](std::string& out, std::size_t i) -> std::size_t {
    const auto a = static_cast<unsigned char>(text[i]);
    if (In(a, 0xA1, 0xDF)) {
      bool merged = false;
      AppendJis(out, FullWidthKana(a, ByteAt(text, i + 1), merged));
      return merged ? 2 : 1;
    }
    const int b = ByteAt(text, i + 1);
    if (b < 0) return 1;  // a lead byte at the very end has no partner
    Append(out, SjisToJisPair(a, static_cast<unsigned>(b)));
    return 2;
  });
}

// ---------------------------------------------------------------- MIME encoded words

std::string EncodeMimeHeader(std::string_view text, CodePage cp) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t step = velkoran::platform::CharStep(text, i, cp);
    if (step == 1) {
      out += text[i++];
      continue;
    }
    const std::size_t run_start = i;
    while (i < text.size() && step > 1) {
      i += step;
      if (i < text.size()) step = velkoran::platform::CharStep(text, i, cp);
    }
    std::string_view run = text.substr(run_start, i - run_start);
    const std::string sjis =
        cp == CodePage::Utf8 ? velkoran::platform::FromUtf8(run, CodePage::Cp932) : std::string(run);
    out += kMimePrefix;
    out += Base64Encode(SJISToJIS(sjis));
    out += kMimeSuffix;
  }
  return out;
}

std::string DecodeMimeHeader(std::string_view text) {
  std::string out(text);
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = FindCaseInsensitive(out, kMimePrefix, from);
    if (at == std::string::npos) break;
    out.erase(at, kMimePrefix.size());
    const std::size_t end = out.find(kMimeSuffix, at);
    if (end == std::string::npos) {
      from = at;
      continue;
    }
    std::string decoded = Base64Decode(std::string_view(out).substr(at, end - at));
    decoded += kLeaveDoubleByte;
    out.replace(at, end + kMimeSuffix.size() - at, decoded);
    from = at + decoded.size();  // decoded bytes are never read as another word
  }
  return out;
}

}  // namespace kestrin
