#include "net/net_misc.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/ascii.h"

namespace velkoran::net {

namespace date = kestrin::date;

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

std::string FormatDate(DateTime value, std::string_view zone) {
  const date::Parts p = date::Decode(value);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d ", kDays[p.weekday % 7], p.day,
                kMonths[(p.month + 11) % 12], p.year, p.hour, p.minute, p.second);
  return std::string(text) + std::string(zone);
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int ToInt(std::string_view s) {
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  return n;
}

// 1 to 12 for a three-letter or full English month name, 0 otherwise.
int MonthOf(std::string_view word) {
  for (int m = 0; m < 12; ++m) {
    if (platform::EqualsAsciiNoCase(word, kMonths[m]) || platform::EqualsAsciiNoCase(word, kMonthNames[m])) return m + 1;
  }
  return 0;
}

bool ParseTime(std::string_view s, int& h, int& m, int& sec) {
  if (s.size() != 8 || s[2] != ':' || s[5] != ':') return false;
  if (!AllDigits(s.substr(0, 2)) || !AllDigits(s.substr(3, 2)) || !AllDigits(s.substr(6, 2))) return false;
  h = ToInt(s.substr(0, 2));
  m = ToInt(s.substr(3, 2));
  sec = ToInt(s.substr(6, 2));
  return true;
}

}  // namespace

std::string FormatHeaderDate(DateTime value) { return FormatDate(value, "GMT"); }

std::string FormatMailDate(DateTime local) {
  // The zone's offset east of UTC at that date ("+0900").
  const int east = -date::TimezoneOffsetMinutes(local);
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d%02d", east < 0 ? '-' : '+', std::abs(east) / 60, std::abs(east) % 60);
  return FormatDate(local, zone);
}

std::optional<DateTime> ParseHeaderDate(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '-' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != ',' && text[i] != '-' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  int day = 0, month = 0, year = -1, hour = -1, minute = 0, second = 0;
  for (std::string_view w : words) {
    if (hour < 0 && ParseTime(w, hour, minute, second)) continue;
    if (AllDigits(w) && w.size() <= 2 && day == 0) {
      day = ToInt(w);
    } else if (AllDigits(w) && (w.size() == 4 || w.size() == 2) && year < 0) {
      year = ToInt(w);
      if (w.size() == 2) year += year < 70 ? 2000 : 1900;
    } else if (!AllDigits(w) && month == 0) {
      month = MonthOf(w);
    }
  }
  if (day == 0 || year < 0 || hour < 0) return std::nullopt;
  if (month == 0) month = 1;
  const auto d = date::EncodeDate(year, month, day);
  const auto t = date::EncodeTime(hour, minute, second, 0);
  if (!d || !t) return std::nullopt;
  return date::UtcToLocal(*d + *t);
}

DateTime UnixToDateTime(std::int64_t seconds) { return date::FromTimeValue(seconds); }

std::int64_t DateTimeToUnix(DateTime local) { return date::ToTimeValue(local); }

std::string RandomLetters(std::size_t n) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, 51);
  std::string out(n, 'a');
  for (char& c : out) c = kLetters[pick(generator)];
  return out;
}

std::string TempFileName(std::string_view prefix) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  path += std::string(prefix) + "XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return {};
  ::close(fd);
  return path;
}

}  // namespace velkoran::net
