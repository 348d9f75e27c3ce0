// The system code page: every string of the interpreter and of the file manager's logic is
// a byte string in it. Two code pages are supported, UTF-8 and CP932 (Shift_JIS). The
// choice is made once per process; tests and the console runner may set it explicitly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velkoran::platform {

enum class CodePage { Utf8, Cp932 };

// The process-wide code page. On first use it is taken from VELKORAN_CODEPAGE ("utf-8"
// or "cp932") when set, else from the locale's character set.
CodePage ActiveCodePage();
void SetActiveCodePage(CodePage cp);

// "utf-8"/"utf8" and "cp932"/"sjis"/"shift_jis" (any case); nothing for other names.
std::optional<CodePage> CodePageFromName(std::string_view name);
std::string_view CodePageName(CodePage cp);

// The code page that the environment asks for (VELKORAN_CODEPAGE, then the locale).
CodePage CodePageFromEnvironment();

// True when c can start a multi-byte character in cp.
bool IsLeadByte(unsigned char c, CodePage cp);

// Length in bytes of the character that starts at s[pos]: 1 for a single byte, for an
// invalid or truncated sequence and at the end of the text, else the sequence length.
// Never steps past the end of s.
std::size_t CharStep(std::string_view s, std::size_t pos, CodePage cp);
inline std::size_t CharStep(std::string_view s, std::size_t pos) {
  return CharStep(s, pos, ActiveCodePage());
}

// True when pos falls on the first byte of a character (scanning from the start).
bool IsCharBoundary(std::string_view s, std::size_t pos, CodePage cp);

// Case mapping that changes only single-byte ASCII letters and never touches a byte
// inside a multi-byte character (a CP932 trail byte may be a letter).
std::string UpperCase(std::string_view s, CodePage cp);
std::string LowerCase(std::string_view s, CodePage cp);
inline std::string UpperCase(std::string_view s) { return UpperCase(s, ActiveCodePage()); }
inline std::string LowerCase(std::string_view s) { return LowerCase(s, ActiveCodePage()); }

// Conversions for the window and for code conversions that go through UTF-8. Bytes that
// cannot be converted become U+FFFD (towards UTF-8/UTF-16) or "?" (towards CP932).
std::string ToUtf8(std::string_view s, CodePage cp);
std::string FromUtf8(std::string_view utf8, CodePage cp);
std::u16string ToUtf16(std::string_view s, CodePage cp);
std::string FromUtf16(std::u16string_view s, CodePage cp);
inline std::string ToUtf8(std::string_view s) { return ToUtf8(s, ActiveCodePage()); }
inline std::string FromUtf8(std::string_view s) { return FromUtf8(s, ActiveCodePage()); }

// Strict conversion between CP932 and UTF-8 through iconv: nothing when the input holds a
// sequence that does not convert.
std::optional<std::string> Cp932ToUtf8Strict(std::string_view cp932);
std::optional<std::string> Utf8ToCp932Strict(std::string_view utf8);

// True when s is valid UTF-8 (every sequence complete, no overlong forms or surrogates).
bool IsValidUtf8(std::string_view s);

}  // namespace velkoran::platform
