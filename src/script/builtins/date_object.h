// TJDateObject: one point in time as a local date-time, with the script Date getters,
// setters and text forms. The numeric form is whole seconds since 1970-01-01 UTC and
// months count from 1. The engine keeps one more as the static Date (Date.parse, Date.UTC).
#pragma once

#include "script/builtins/date_time.h"
#include "script/object.h"

namespace kestrin {

class TJDateObject : public TJObject {
 public:
  TJDateObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  SharedString ToString(const TJValue* arg) override;

  // The time value an argument list describes: none = now, one = a date text, more =
  // year, month, day, hours, minutes, seconds, milliseconds over the current date-time.
  static std::int64_t TimeValueOf(const TJValueList* args);

 private:
  void GetPart(date::Field field, bool utc, TJValue& result) const;
  void SetPart(date::Field field, bool utc, TJValueList& args);

#define KESTRIN_DATE_METHOD(name) void name(TJValueList& args, TJValue& result);
  KESTRIN_DATE_METHOD(GetFullYear) KESTRIN_DATE_METHOD(SetFullYear)
  KESTRIN_DATE_METHOD(GetYear) KESTRIN_DATE_METHOD(SetYear)
  KESTRIN_DATE_METHOD(GetMonth) KESTRIN_DATE_METHOD(SetMonth)
  KESTRIN_DATE_METHOD(GetDate) KESTRIN_DATE_METHOD(SetDate)
  KESTRIN_DATE_METHOD(GetDay)
  KESTRIN_DATE_METHOD(GetHours) KESTRIN_DATE_METHOD(SetHours)
  KESTRIN_DATE_METHOD(GetMinutes) KESTRIN_DATE_METHOD(SetMinutes)
  KESTRIN_DATE_METHOD(GetSeconds) KESTRIN_DATE_METHOD(SetSeconds)
  KESTRIN_DATE_METHOD(GetMilliseconds) KESTRIN_DATE_METHOD(SetMilliseconds)
  KESTRIN_DATE_METHOD(GetUTCFullYear) KESTRIN_DATE_METHOD(SetUTCFullYear)
  KESTRIN_DATE_METHOD(GetUTCYear) KESTRIN_DATE_METHOD(SetUTCYear)
  KESTRIN_DATE_METHOD(GetUTCMonth) KESTRIN_DATE_METHOD(SetUTCMonth)
  KESTRIN_DATE_METHOD(GetUTCDate) KESTRIN_DATE_METHOD(SetUTCDate)
  KESTRIN_DATE_METHOD(GetUTCDay)
  KESTRIN_DATE_METHOD(GetUTCHours) KESTRIN_DATE_METHOD(SetUTCHours)
  KESTRIN_DATE_METHOD(GetUTCMinutes) KESTRIN_DATE_METHOD(SetUTCMinutes)
  KESTRIN_DATE_METHOD(GetUTCSeconds) KESTRIN_DATE_METHOD(SetUTCSeconds)
  KESTRIN_DATE_METHOD(GetUTCMilliseconds) KESTRIN_DATE_METHOD(SetUTCMilliseconds)
  KESTRIN_DATE_METHOD(GetTime) KESTRIN_DATE_METHOD(SetTime)
  KESTRIN_DATE_METHOD(GetTimezoneOffset)
  KESTRIN_DATE_METHOD(ToStringMethod) KESTRIN_DATE_METHOD(ToGMTStringMethod)
  KESTRIN_DATE_METHOD(UTCMethod) KESTRIN_DATE_METHOD(ParseMethod)
#undef KESTRIN_DATE_METHOD

  date::DateTime local_ = 0;
};

// A time value as a script value: an integer, or a number when it does not fit 32 bits.
TJValue TimeValueToScript(std::int64_t seconds);

}  // namespace kestrin
