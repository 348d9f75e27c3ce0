#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ascii.h"

namespace velkoran::platform {
namespace {

std::optional<CodePage>& ChosenCodePage() {
  static std::optional<CodePage> chosen;  // the one process-wide choice
  return chosen;
}

std::string AsciiLower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = FoldAscii(c);
  return r;
}

bool InRange(unsigned char c, unsigned char lo, unsigned char hi) { return c >= lo && c <= hi; }

std::size_t Utf8Step(std::string_view s, std::size_t pos) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = at(pos);
  const std::size_t left = s.size() - pos;
  if (c < 0x80) return 1;
  if (InRange(c, 0xC2, 0xDF)) {
    return (left >= 2 && InRange(at(pos + 1), 0x80, 0xBF)) ? 2 : 1;
  }
  if (InRange(c, 0xE0, 0xEF)) {
    if (left < 3) return 1;
    const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = c == 0xED ? 0x9F : 0xBF;
    return (InRange(at(pos + 1), lo, hi) && InRange(at(pos + 2), 0x80, 0xBF)) ? 3 : 1;
  }
  if (InRange(c, 0xF0, 0xF4)) {
    if (left < 4) return 1;
    const unsigned char lo = c == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = c == 0xF4 ? 0x8F : 0xBF;
    return (InRange(at(pos + 1), lo, hi) && InRange(at(pos + 2), 0x80, 0xBF) &&
            InRange(at(pos + 3), 0x80, 0xBF))
               ? 4
               : 1;
  }
  return 1;
}

bool IsCp932Trail(unsigned char c) { return InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xFC); }

std::size_t Cp932Step(std::string_view s, std::size_t pos) {
  const auto c = static_cast<unsigned char>(s[pos]);
  if (!IsLeadByte(c, CodePage::Cp932)) return 1;
  if (pos + 1 >= s.size()) return 1;
  return IsCp932Trail(static_cast<unsigned char>(s[pos + 1])) ? 2 : 1;
}

template <typename Map>
std::string MapSingleByteLetters(std::string_view s, CodePage cp, Map map) {
  std::string r(s);
  for (std::size_t i = 0; i < r.size();) {
    const std::size_t step = CharStep(r, i, cp);
    if (step == 1) r[i] = map(r[i]);
    i += step;
  }
  return r;
}

// An iconv descriptor that closes itself.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts in; on an unconvertible input sequence calls onBad(in, pos) which appends a
  // replacement to out and returns how many input bytes to skip, or 0 to give up.
  template <typename OnBad>
  bool Run(std::string_view in, std::string& out, OnBad onBad) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    out.reserve(in.size() * 2 + 8);
    std::size_t pos = 0;
    char buffer[4096];
    while (pos < in.size()) {
      char* src = const_cast<char*>(in.data() + pos);
      std::size_t srcLeft = in.size() - pos;
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      pos = in.size() - srcLeft;
      if (rc == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        const std::size_t skip = onBad(in, pos, out);
        if (skip == 0) return false;
        pos += skip;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& Cp932ToUtf8Converter() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& Utf8ToCp932Converter() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

std::string SanitiseUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t step = Utf8Step(s, i);
    if (step == 1 && static_cast<unsigned char>(s[i]) >= 0x80) {
      out += kReplacementUtf8;
    } else {
      out.append(s.substr(i, step));
    }
    i += step;
  }
  return out;
}

}  // namespace

std::optional<CodePage> CodePageFromName(std::string_view name) {
  const std::string n = AsciiLower(name);
  if (n == "utf-8" || n == "utf8") return CodePage::Utf8;
  if (n == "cp932" || n == "sjis" || n == "shift_jis" || n == "shift-jis" || n == "ms932") {
    return CodePage::Cp932;
  }
  return std::nullopt;
}

std::string_view CodePageName(CodePage cp) { return cp == CodePage::Cp932 ? "cp932" : "utf-8"; }

CodePage CodePageFromEnvironment() {
  if (const char* env = std::getenv("VELKORAN_CODEPAGE"); env != nullptr && *env != '\0') {
    if (auto cp = CodePageFromName(env)) return *cp;
  }
  // The locale's character set: LC_ALL, LC_CTYPE, then LANG, as setlocale would pick it.
  std::string charset;
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v == nullptr || *v == '\0') continue;
    std::string_view value(v);
    if (auto dot = value.find('.'); dot != std::string_view::npos) {
      charset = std::string(value.substr(dot + 1));
      if (auto at = charset.find('@'); at != std::string::npos) charset.resize(at);
    }
    break;
  }
  const std::string lower = AsciiLower(charset);
  if (lower == "shift_jis" || lower == "sjis" || lower == "cp932" || lower == "shift-jis") {
    return CodePage::Cp932;
  }
  return CodePage::Utf8;
}

CodePage ActiveCodePage() {
  auto& chosen = ChosenCodePage();
  if (!chosen) chosen = CodePageFromEnvironment();
  return *chosen;
}

void SetActiveCodePage(CodePage cp) { ChosenCodePage() = cp; }

bool IsLeadByte(unsigned char c, CodePage cp) {
  if (cp == CodePage::Cp932) return InRange(c, 0x81, 0x9F) || InRange(c, 0xE0, 0xFC);
  return InRange(c, 0xC2, 0xF4);
}

std::size_t CharStep(std::string_view s, std::size_t pos, CodePage cp) {
  if (pos >= s.size()) return 1;
  return cp == CodePage::Cp932 ? Cp932Step(s, pos) : Utf8Step(s, pos);
}

bool IsCharBoundary(std::string_view s, std::size_t pos, CodePage cp) {
  std::size_t i = 0;
  while (i < pos) i += CharStep(s, i, cp);
  return i == pos;
}

std::string UpperCase(std::string_view s, CodePage cp) {
  return MapSingleByteLetters(s, cp, [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
}

std::string LowerCase(std::string_view s, CodePage cp) {
  return MapSingleByteLetters(s, cp, [](char c) { return FoldAscii(c); });
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t step = Utf8Step(s, i);
    if (step == 1 && static_cast<unsigned char>(s[i]) >= 0x80) return false;
    i += step;
  }
  return true;
}

std::string ToUtf8(std::string_view s, CodePage cp) {
  if (cp == CodePage::Utf8) return SanitiseUtf8(s);
  std::string out;
  Cp932ToUtf8Converter().Run(s, out, [](std::string_view in, std::size_t pos, std::string& o) {
    o += kReplacementUtf8;
    return Cp932Step(in, pos);
  });
  return out;
}

std::string FromUtf8(std::string_view utf8, CodePage cp) {
  if (cp == CodePage::Utf8) return std::string(utf8);
  std::string out;
  Utf8ToCp932Converter().Run(utf8, out, [](std::string_view in, std::size_t pos, std::string& o) {
    o += '?';
    return Utf8Step(in, pos);
  });
  return out;
}

std::u16string ToUtf16(std::string_view s, CodePage cp) {
  const std::string utf8 = ToUtf8(s, cp);
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t step = Utf8Step(utf8, i);
    char32_t cpv = c;
    if (step == 2) cpv = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
    if (step == 3) cpv = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
    if (step == 4) {
      cpv = ((c & 0x07) << 18) | ((utf8[i + 1] & 0x3F) << 12) | ((utf8[i + 2] & 0x3F) << 6) |
            (utf8[i + 3] & 0x3F);
    }
    if (cpv >= 0x10000) {
      cpv -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cpv >> 10));
      out += static_cast<char16_t>(0xDC00 + (cpv & 0x3FF));
    } else {
      out += static_cast<char16_t>(cpv);
    }
    i += step;
  }
  return out;
}

std::string FromUtf16(std::u16string_view s, CodePage cp) {
  std::string utf8;
  utf8.reserve(s.size() * 3);
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      utf8 += static_cast<char>(0xE0 | (c >> 12));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      utf8 += static_cast<char>(0xF0 | (c >> 18));
      utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return FromUtf8(utf8, cp);
}

std::optional<std::string> Cp932ToUtf8Strict(std::string_view cp932) {
  std::string out;
  if (!Cp932ToUtf8Converter().Run(cp932, out, [](auto, auto, auto&) { return std::size_t{0}; })) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> Utf8ToCp932Strict(std::string_view utf8) {
  std::string out;
  if (!Utf8ToCp932Converter().Run(utf8, out, [](auto, auto, auto&) { return std::size_t{0}; })) {
    return std::nullopt;
  }
  return out;
}

}  // namespace velkoran::platform
