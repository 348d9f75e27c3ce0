// Date arithmetic: calendar parts, the time value in fixed zones, UTC conversion across
// month and year ends, setters without carry, text forms and parsing.
#include <gtest/gtest.h>

#include <string>

#include "script/builtins/date_time.h"
#include "support/zone_scope.h"

namespace kestrin::date {
namespace {

using velkoran::testing::ZoneScope;

DateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
  return *EncodeDate(y, m, d) + *EncodeTime(h, n, s, ms);
}

TEST(DateTime, EncodeAndDecode) {
  EXPECT_EQ(*EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(*EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_FALSE(EncodeDate(2001, 2, 29));
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  EXPECT_FALSE(EncodeDate(1900, 2, 29));
  EXPECT_FALSE(EncodeDate(2001, 4, 31));
  EXPECT_FALSE(EncodeDate(2001, 13, 1));
  EXPECT_FALSE(EncodeTime(24, 0, 0, 0));
  const Parts p = Decode(At(2001, 3, 3, 13, 30, 5, 250));
  EXPECT_EQ(p.year, 2001);
  EXPECT_EQ(p.month, 3);
  EXPECT_EQ(p.day, 3);
  EXPECT_EQ(p.hour, 13);
  EXPECT_EQ(p.minute, 30);
  EXPECT_EQ(p.second, 5);
  EXPECT_EQ(p.millisecond, 250);
  EXPECT_EQ(Decode(At(2001, 1, 7)).weekday, 0);  // a Sunday
  EXPECT_EQ(Decode(At(1899, 12, 30)).weekday, 6);
  EXPECT_EQ(Decode(At(1850, 6, 1, 12)).year, 1850);  // before the zero date
  EXPECT_EQ(Decode(At(1850, 6, 1, 12)).hour, 12);
}

TEST(DateTime, TimeValueFollowsTheZone) {
  {
    ZoneScope tz("JST-9");
    EXPECT_EQ(ToTimeValue(At(1970, 1, 1, 9)), 0);
    EXPECT_EQ(Decode(FromTimeValue(0)).hour, 9);
    EXPECT_EQ(TimezoneOffsetMinutes(At(2001, 1, 1)), -540);
    // Milliseconds round to the nearest second, ties to even.
    EXPECT_EQ(ToTimeValue(At(1970, 1, 1, 9, 0, 0, 500)), 0);
    EXPECT_EQ(ToTimeValue(At(1970, 1, 1, 9, 0, 1, 500)), 2);
    EXPECT_EQ(ToTimeValue(At(1970, 1, 1, 9, 0, 0, 501)), 1);
  }
  {
    ZoneScope tz("UTC0");
    EXPECT_EQ(ToTimeValue(At(1970, 1, 1)), 0);
    EXPECT_EQ(ToTimeValue(At(2038, 1, 19, 3, 14, 7)), 2147483647);
    EXPECT_EQ(TimezoneOffsetMinutes(At(2001, 1, 1)), 0);
  }
  {
    // New York: the offset is taken at the date in question, not now.
    ZoneScope tz("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(TimezoneOffsetMinutes(At(2020, 1, 15)), 300);
    EXPECT_EQ(TimezoneOffsetMinutes(At(2020, 7, 15)), 240);
    EXPECT_EQ(ToTimeValue(At(2020, 7, 15, 12)), 1594828800);
    EXPECT_EQ(Format(FromTimeValue(1594828800)), "2020/07/15 12:00:00");
  }
  {
    ZoneScope tz("IST-5:30");
    EXPECT_EQ(TimezoneOffsetMinutes(At(2020, 1, 1)), -330);
  }
}

TEST(DateTime, UtcAcrossMonthAndYearEnds) {
  ZoneScope tz("JST-9");
  // 2001-01-01 05:00 in Tokyo is 2000-12-31 20:00 UTC.
  EXPECT_EQ(Format(LocalToUtc(At(2001, 1, 1, 5))), "2000/12/31 20:00:00");
  EXPECT_EQ(Format(UtcToLocal(At(2000, 12, 31, 20))), "2001/01/01 5:00:00");
  EXPECT_EQ(Format(LocalToUtc(At(2004, 3, 1, 8, 59, 59))), "2004/02/29 23:59:59");
  // Milliseconds survive the conversion both ways.
  EXPECT_EQ(Decode(UtcToLocal(LocalToUtc(At(2001, 1, 1, 0, 0, 0, 123)))).millisecond, 123);
  // A UTC setter: the UTC day changes, stored back as local.
  // 2001-03-01 08:00 in Tokyo is 2001-02-28 23:00 UTC.
  const auto moved = WithUtcField(At(2001, 3, 1, 8), Field::kDay, 27);
  ASSERT_TRUE(moved);
  EXPECT_EQ(Format(*moved), "2001/02/28 8:00:00");
  // At the ends of the calendar the UTC date leaves the years a setter accepts: it stays
  // exact, and a UTC setter there leaves the date alone.
  EXPECT_EQ(Format(LocalToUtc(At(1, 1, 1, 1))), "0000/12/31 16:00:00");
  {
    ZoneScope new_york("EST5EDT,M3.2.0,M11.1.0");
    const DateTime last = At(9999, 12, 31, 23);
    EXPECT_EQ(Format(LocalToUtc(last)), "10000/01/01 4:00:00");
    EXPECT_FALSE(WithUtcField(last, Field::kHour, 1));
    EXPECT_EQ(Format(UtcToLocal(LocalToUtc(last))), "9999/12/31 23:00:00");
  }
  // Nor does a valid UTC date whose local form would fall after 9999.
  EXPECT_FALSE(WithUtcField(At(9999, 12, 31, 10), Field::kHour, 20));
  EXPECT_EQ(Format(*WithUtcField(At(9999, 12, 31, 10), Field::kHour, 14)), "9999/12/31 23:00:00");
}

TEST(DateTime, SettersNeverCarry) {
  const DateTime april = At(2001, 4, 15, 10);
  EXPECT_FALSE(WithField(april, Field::kDay, 31));
  EXPECT_FALSE(WithField(april, Field::kMonth, 13));
  EXPECT_FALSE(WithField(april, Field::kHour, 24));
  EXPECT_FALSE(WithField(At(2000, 2, 29), Field::kYear, 2001));
  EXPECT_EQ(Format(*WithField(april, Field::kDay, 30)), "2001/04/30 10:00:00");
  EXPECT_EQ(Format(*WithField(april, Field::kYear, 1999)), "1999/04/15 10:00:00");
  EXPECT_EQ(Decode(*WithField(april, Field::kMillisecond, 999)).millisecond, 999);
}

TEST(DateTime, TextForms) {
  EXPECT_EQ(Format(At(2001, 3, 3)), "2001/03/03");
  EXPECT_EQ(Format(At(2001, 3, 3, 13, 30)), "2001/03/03 13:30:00");
  EXPECT_EQ(Format(At(2001, 3, 3, 0, 0, 1)), "2001/03/03 0:00:01");
}

TEST(DateTime, ComponentsAndParsing) {
  const DateTime now = At(2010, 5, 20, 11, 22, 33);
  const int ymd[] = {2001, 3, 3};
  EXPECT_EQ(Format(FromComponents(ymd, 3, now)), "2001/03/03 11:22:33");
  const int bad_date[] = {2001, 2, 31};
  EXPECT_EQ(FromComponents(bad_date, 3, now), now);
  const int bad_time[] = {2001, 2, 3, 25};
  EXPECT_EQ(Format(FromComponents(bad_time, 4, now)), "2001/02/03");

  EXPECT_EQ(Format(ParseText("Dec 25, 1995 13:30:00", now)), "1995/12/25 13:30:00");
  EXPECT_EQ(Format(ParseText("  december 25, 1995 ", now)), "1995/12/25 11:22:33");
  EXPECT_EQ(Format(ParseText("Foo 3, 1999", now)), "1999/01/03 11:22:33");  // unknown month
  EXPECT_EQ(Format(ParseText("2001/3/3", now)), "2001/03/03");
  EXPECT_EQ(Format(ParseText("2001/03/03 13:30", now)), "2001/03/03 13:30:00");
  EXPECT_EQ(Format(ParseText("2001/03/03 1:02:03", now)), "2001/03/03 1:02:03");
  EXPECT_EQ(ParseText("Feb 30, 2001", now), now);  // invalid date keeps now
  EXPECT_EQ(Format(ParseText("Jan 2, x", now)), "2010/01/02 11:22:33");  // bad year keeps it
}

}  // namespace
}  // namespace kestrin::date
