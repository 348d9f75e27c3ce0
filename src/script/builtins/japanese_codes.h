// Japanese text codes: detection of JIS (ISO-2022-JP), Shift_JIS, EUC-JP and UTF-8, the
// conversions between them, and the ISO-2022-JP encoded words of mail headers. Pure
// functions over byte strings; none keeps state or reads past the end of its input.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "script/builtins/base64.h"

namespace kestrin {

// Codes of DetectCode, and targets of ConvertCode (2, 4 and 5).
enum JapaneseCode : int {
  kCodeAscii = 0,       // no Japanese encoding found
  kCodeBinary = 1,
  kCodeJisB = 2,        // JIS, introduced by ESC $ B
  kCodeJisAt = 3,       // JIS, introduced by ESC $ @
  kCodeEuc = 4,
  kCodeSjis = 5,
  kCodeEucOrSjis = 6,   // undecided
  kCodeUtf8 = 7,        // valid UTF-8 with at least one multi-byte sequence
};

int DetectCode(std::string_view text);

// The text converted to target 2 (JIS), 4 (EUC-JP) or 5 (Shift_JIS) from whatever
// DetectCode finds; UTF-8 text goes through Shift_JIS (CP932) first. Undecided, binary
// and plain text, and other targets, come back unchanged.
std::string ConvertCode(std::string_view text, int target);

// The text converted to UTF-8 from whatever DetectCode finds (undecided text is taken as
// Shift_JIS).
std::string ConvertToUtf8(std::string_view text);

// Direct conversions that trust the stated source code.
std::string JISToEUC(std::string_view text);
std::string JISToSJIS(std::string_view text);
std::string EUCToJIS(std::string_view text);
std::string EUCToSJIS(std::string_view text);
std::string SJISToJIS(std::string_view text);
std::string SJISToEUC(std::string_view text);

// Each run of multi-byte characters (in the given code page) becomes one
// "=?ISO-2022-JP?B?...?=" word; single-byte characters are copied.
std::string EncodeMimeHeader(std::string_view text, velkoran::platform::CodePage cp);
inline std::string EncodeMimeHeader(std::string_view text) {
  return EncodeMimeHeader(text, velkoran::platform::ActiveCodePage());
}

// Every encoded word replaced by its decoded JIS bytes followed by ESC ( J.
std::string DecodeMimeHeader(std::string_view text);

}  // namespace kestrin
