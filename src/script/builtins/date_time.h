// Date arithmetic behind the script Date object: a local date-time counted in days since
// 1899-12-30 00:00 (time of day as the fraction), its calendar parts, its text forms, and
// conversion to and from the seconds-since-1970 time value and UTC through the system's
// time zone (TZ) at the date in question.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin::date {

// Local (or, for the UTC forms, UTC) date-time in days since 1899-12-30 00:00.
using DateTime = double;

struct Parts {
  int year = 1899, month = 12, day = 30;  // month 1..12
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int weekday = 6;  // 0 = Sunday
};

enum class Field { kYear, kMonth, kDay, kHour, kMinute, kSecond, kMillisecond };

// Nothing for an invalid calendar date (year 1..9999) or time of day.
std::optional<DateTime> EncodeDate(int year, int month, int day);
std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond);
Parts Decode(DateTime dt);

// Whole-second time value of a local date-time (milliseconds rounded, ties to even), and
// the local date-time of a time value, both by the system's zone at that date.
std::int64_t ToTimeValue(DateTime local);
DateTime FromTimeValue(std::int64_t seconds);
DateTime LocalToUtc(DateTime local);
DateTime UtcToLocal(DateTime utc);
// Minutes to add to local time to get UTC at that date (-540 nine hours ahead of UTC).
int TimezoneOffsetMinutes(DateTime local);

// The current local date-time, whole seconds.
DateTime Now();

// "yyyy/mm/dd h:nn:ss"; the time is left out at exactly midnight.
std::string Format(DateTime dt);

// Parts with one field replaced, rebuilt; nothing when the result is not a valid date and
// time (values never carry into the next field).
std::optional<DateTime> WithField(DateTime dt, Field field, int value);
// The local date-time with one field of its UTC form replaced; nothing when the UTC or the
// resulting local date-time is not a valid date and time.
std::optional<DateTime> WithUtcField(DateTime local, Field field, int value);

// The date-time of up to seven components (year, month, day, hours, minutes, seconds,
// milliseconds); the ones not given keep `now`'s. An invalid date keeps `now`; a valid
// date with an invalid time is that date at midnight.
DateTime FromComponents(const int* values, int count, DateTime now);

// A date text: "yyyy/mm/dd" optionally followed by "h:nn[:ss]", else an English form such
// as "Dec 25, 1995 13:30:00" read piece by piece over `now`.
DateTime ParseText(std::string_view text, DateTime now);

}  // namespace kestrin::date
