#include "script/builtins/date_time.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/ascii.h"
#include "regex/regex_engine.h"

namespace kestrin::date {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kEpochOffsetDays = -DaysFromCivil(1899, 12, 30);  // 25569

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
  static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

std::tm ToTm(const Parts& p) {
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_isdst = -1;
  return t;
}

// Unchecked: a zone conversion near either end of the calendar may step outside the
// years a script can set (UTC of 9999-12-31 23:00 in New York is in the year 10000), and
// that is still an exact date-time.
DateTime FromTm(const std::tm& t, int millisecond) {
  const std::int64_t days = DaysFromCivil(std::int64_t{t.tm_year} + 1900, static_cast<unsigned>(t.tm_mon + 1),
                                          static_cast<unsigned>(t.tm_mday)) +
                            kEpochOffsetDays;
  const std::int64_t ms = ((std::int64_t{t.tm_hour} * 60 + t.tm_min) * 60 + t.tm_sec) * 1000 + millisecond;
  return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

// Local seconds of the whole-second part by the system's zone at that date.
std::time_t LocalSeconds(const Parts& p) {
  std::tm t = ToTm(p);
  return std::mktime(&t);
}

std::optional<int> ParseInt(std::string_view s) {
  if (s.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483647) return std::nullopt;
  }
  return static_cast<int>(negative ? -v : v);
}

int MonthFromName(std::string_view name) {
  static constexpr std::array<std::string_view, 12> names = {
      "january", "february", "march", "april", "may", "june", "july", "august", "september",
      "october", "november", "december"};
  std::string lower(name);
  for (char& c : lower) c = velkoran::platform::FoldAscii(c);
  for (std::size_t m = 0; m < names.size(); ++m) {
    if (lower == names[m] || lower == names[m].substr(0, 3)) return static_cast<int>(m) + 1;
  }
  return 1;  // an unknown name counts as January
}

std::string_view Trim(std::string_view s) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

// Reads digits from s at i; nothing when there are none.
std::optional<int> Digits(std::string_view s, std::size_t& i, std::size_t most) {
  const std::size_t start = i;
  int v = 0;
  while (i < s.size() && i - start < most && s[i] >= '0' && s[i] <= '9') v = v * 10 + (s[i++] - '0');
  if (i == start) return std::nullopt;
  return v;
}

// "yyyy/mm/dd" with an optional "h:nn[:ss]" after white space.
std::optional<DateTime> ParseSystemFormat(std::string_view s) {
  std::size_t i = 0;
  const auto year = Digits(s, i, 4);
  if (!year || i >= s.size() || s[i++] != '/') return std::nullopt;
  const auto month = Digits(s, i, 2);
  if (!month || i >= s.size() || s[i++] != '/') return std::nullopt;
  const auto day = Digits(s, i, 2);
  if (!day) return std::nullopt;
  const auto date = EncodeDate(*year, *month, *day);
  if (!date) return std::nullopt;
  if (i == s.size()) return *date;
  if (s[i] != ' ' && s[i] != '\t') return std::nullopt;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const auto hour = Digits(s, i, 2);
  if (!hour || i >= s.size() || s[i++] != ':') return std::nullopt;
  const auto minute = Digits(s, i, 2);
  if (!minute) return std::nullopt;
  int second = 0;
  if (i < s.size() && s[i] == ':') {
    ++i;
    const auto sec = Digits(s, i, 2);
    if (!sec) return std::nullopt;
    second = *sec;
  }
  if (i != s.size()) return std::nullopt;
  const auto time = EncodeTime(*hour, *minute, second, 0);
  if (!time) return std::nullopt;
  return *date + *time;
}

}  // namespace

std::optional<DateTime> EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             kEpochOffsetDays);
}

std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return std::nullopt;
  return static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / kMsPerDay;
}

Parts Decode(DateTime dt) {
  const auto total = static_cast<std::int64_t>(std::llround(dt * static_cast<double>(kMsPerDay)));
  std::int64_t days = total / kMsPerDay;
  std::int64_t ms = total % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --days;
  }
  Parts p;
  const std::int64_t unix_days = days - kEpochOffsetDays;
  CivilFromDays(unix_days, p.year, p.month, p.day);
  p.weekday = static_cast<int>(((unix_days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  p.millisecond = static_cast<int>(ms % 1000);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.hour = static_cast<int>(ms / 3600000);
  return p;
}

std::int64_t ToTimeValue(DateTime local) {
  const Parts p = Decode(local);
  std::int64_t seconds = LocalSeconds(p);
  if (p.millisecond > 500 || (p.millisecond == 500 && seconds % 2 != 0)) ++seconds;
  return seconds;
}

DateTime FromTimeValue(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  return FromTm(local, 0);
}

DateTime LocalToUtc(DateTime local) {
  const Parts p = Decode(local);
  const std::time_t t = LocalSeconds(p);
  std::tm utc{};
  gmtime_r(&t, &utc);
  return FromTm(utc, p.millisecond);
}

DateTime UtcToLocal(DateTime utc) {
  const Parts p = Decode(utc);
  std::tm t = ToTm(p);
  const std::time_t seconds = timegm(&t);
  std::tm local{};
  localtime_r(&seconds, &local);
  return FromTm(local, p.millisecond);
}

int TimezoneOffsetMinutes(DateTime local) {
  const Parts p = Decode(local);
  const std::time_t t = LocalSeconds(p);
  std::tm lt{};
  localtime_r(&t, &lt);
  return static_cast<int>(-lt.tm_gmtoff / 60);
}

DateTime Now() { return FromTimeValue(static_cast<std::int64_t>(std::time(nullptr))); }

std::string Format(DateTime dt) {
  const Parts p = Decode(dt);
  char buf[64];
  if (p.hour == 0 && p.minute == 0 && p.second == 0 && p.millisecond == 0) {
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", p.year, p.month, p.day);
  } else {
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
  }
  return buf;
}

std::optional<DateTime> WithField(DateTime dt, Field field, int value) {
  Parts p = Decode(dt);
  switch (field) {
    case Field::kYear: p.year = value; break;
    case Field::kMonth: p.month = value; break;
    case Field::kDay: p.day = value; break;
    case Field::kHour: p.hour = value; break;
    case Field::kMinute: p.minute = value; break;
    case Field::kSecond: p.second = value; break;
    case Field::kMillisecond: p.millisecond = value; break;
  }
  const auto date = EncodeDate(p.year, p.month, p.day);
  const auto time = EncodeTime(p.hour, p.minute, p.second, p.millisecond);
  if (!date || !time) return std::nullopt;
  return *date + *time;
}

std::optional<DateTime> WithUtcField(DateTime local, Field field, int value) {
  const auto utc = WithField(LocalToUtc(local), field, value);
  if (!utc) return std::nullopt;
  const DateTime changed = UtcToLocal(*utc);
  const int year = Decode(changed).year;
  if (year < 1 || year > 9999) return std::nullopt;
  return changed;
}

DateTime FromComponents(const int* values, int count, DateTime now) {
  Parts p = Decode(now);
  int* fields[] = {&p.year, &p.month, &p.day, &p.hour, &p.minute, &p.second, &p.millisecond};
  for (int i = 0; i < count && i < 7; ++i) *fields[i] = values[i];
  const auto date = EncodeDate(p.year, p.month, p.day);
  if (!date) return now;
  const auto time = EncodeTime(p.hour, p.minute, p.second, p.millisecond);
  return time ? *date + *time : *date;
}

DateTime ParseText(std::string_view text, DateTime now) {
  const std::string_view trimmed = Trim(text);
  if (const auto dt = ParseSystemFormat(trimmed)) return *dt;
  const std::vector<std::string> pieces = velkoran::regex::SplitByPattern("[,:\\s]+", trimmed);
  const Parts current = Decode(now);
  int values[7] = {current.year, current.month, current.day, current.hour, current.minute, current.second,
                   current.millisecond};
  const auto piece = [&](std::size_t i, int& target) {
    if (i < pieces.size()) {
      if (const auto v = ParseInt(pieces[i])) target = *v;
    }
  };
  piece(2, values[0]);
  if (!pieces.empty()) values[1] = MonthFromName(pieces[0]);
  piece(1, values[2]);
  for (std::size_t i = 3; i <= 6; ++i) piece(i, values[i]);
  return FromComponents(values, 7, now);
}

}  // namespace kestrin::date
