// Dates of mail and HTTP headers, Unix time, random letters and temporary files: the
// small helpers the network clients share. Dates are the runtime's date-times (days since
// 1899-12-30, local time unless said otherwise).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "script/builtins/date_time.h"

namespace velkoran::net {

using kestrin::date::DateTime;

// "Sun, 06 Nov 1994 08:49:37 GMT": the value's calendar fields written as they are,
// labelled GMT (callers pass UTC).
std::string FormatHeaderDate(DateTime value);
// "Sun, 06 Nov 1994 08:49:37 +0900": local time with its numeric zone at that date.
std::string FormatMailDate(DateTime local);
// A header date (RFC 1123 "Sun, 06 Nov 1994 08:49:37 GMT", the hyphenated cookie form
// "06-Nov-1994", RFC 850 "Sunday, 06-Nov-94" and asctime "Sun Nov  6 08:49:37 1994")
// read as GMT and turned into local time; nothing when it holds no date. A month name
// that matches none counts as January.
std::optional<DateTime> ParseHeaderDate(std::string_view text);

// Seconds since 1970 (UTC) and local date-times, by the system's zone at the date.
DateTime UnixToDateTime(std::int64_t seconds);
std::int64_t DateTimeToUnix(DateTime local);

// n letters drawn uniformly from a-z and A-Z.
std::string RandomLetters(std::size_t n);
// A new empty file in $TMPDIR (else /tmp) whose name begins with prefix; its path, or ""
// when none could be made.
std::string TempFileName(std::string_view prefix);

}  // namespace velkoran::net
