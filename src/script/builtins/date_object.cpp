#include "script/builtins/date_object.h"

#include <limits>

namespace kestrin {

using date::Field;

TJValue TimeValueToScript(std::int64_t seconds) {
  if (seconds >= std::numeric_limits<std::int32_t>::min() && seconds <= std::numeric_limits<std::int32_t>::max())
    return TJValue::Integer(static_cast<std::int32_t>(seconds));
  return TJValue::Number(static_cast<double>(seconds));
}

const TJClassInfo& TJDateObject::Info() {
  using D = TJDateObject;
  static const TJClassInfo info = TJClassBuilder<D>("Date")
                                      .Method<&D::GetFullYear>("getFullYear")
                                      .Method<&D::SetFullYear>("setFullYear")
                                      .Method<&D::GetYear>("getYear")
                                      .Method<&D::SetYear>("setYear")
                                      .Method<&D::GetMonth>("getMonth")
                                      .Method<&D::SetMonth>("setMonth")
                                      .Method<&D::GetDate>("getDate")
                                      .Method<&D::SetDate>("setDate")
                                      .Method<&D::GetDay>("getDay")
                                      .Method<&D::GetHours>("getHours")
                                      .Method<&D::SetHours>("setHours")
                                      .Method<&D::GetMinutes>("getMinutes")
                                      .Method<&D::SetMinutes>("setMinutes")
                                      .Method<&D::GetSeconds>("getSeconds")
                                      .Method<&D::SetSeconds>("setSeconds")
                                      .Method<&D::GetMilliseconds>("getMilliseconds")
                                      .Method<&D::SetMilliseconds>("setMilliseconds")
                                      .Method<&D::GetUTCFullYear>("getUTCFullYear")
                                      .Method<&D::SetUTCFullYear>("setUTCFullYear")
                                      .Method<&D::GetUTCYear>("getUTCYear")
                                      .Method<&D::SetUTCYear>("setUTCYear")
                                      .Method<&D::GetUTCMonth>("getUTCMonth")
                                      .Method<&D::SetUTCMonth>("setUTCMonth")
                                      .Method<&D::GetUTCDate>("getUTCDate")
                                      .Method<&D::SetUTCDate>("setUTCDate")
                                      .Method<&D::GetUTCDay>("getUTCDay")
                                      .Method<&D::GetUTCHours>("getUTCHours")
                                      .Method<&D::SetUTCHours>("setUTCHours")
                                      .Method<&D::GetUTCMinutes>("getUTCMinutes")
                                      .Method<&D::SetUTCMinutes>("setUTCMinutes")
                                      .Method<&D::GetUTCSeconds>("getUTCSeconds")
                                      .Method<&D::SetUTCSeconds>("setUTCSeconds")
                                      .Method<&D::GetUTCMilliseconds>("getUTCMilliseconds")
                                      .Method<&D::SetUTCMilliseconds>("setUTCMilliseconds")
                                      .Method<&D::GetTime>("getTime")
                                      .Method<&D::SetTime>("setTime")
                                      .Method<&D::GetTimezoneOffset>("getTimezoneOffset")
                                      .Method<&D::ToStringMethod>("toString")
                                      .Method<&D::ToStringMethod>("toLocaleString")
                                      .Method<&D::ToGMTStringMethod>("toGMTString")
                                      .Method<&D::ToGMTStringMethod>("toUTCString")
                                      .Method<&D::UTCMethod>("UTC")
                                      .Method<&D::ParseMethod>("parse")
                                      .Build();
  return info;
}

std::int64_t TJDateObject::TimeValueOf(const TJValueList* args) {
  const date::DateTime now = date::Now();
  if (!TJValueList::Has1(args)) return date::ToTimeValue(now);
  if (!TJValueList::Has2(args)) return date::ToTimeValue(date::ParseText(ToText((*args)[0]).view(), now));
  int values[7];
  const int count = static_cast<int>(std::min<std::size_t>(args->Count(), 7));
  for (int i = 0; i < count; ++i) values[i] = ToInteger((*args)[static_cast<std::size_t>(i)]);
  return date::ToTimeValue(date::FromComponents(values, count, now));
}

TJDateObject::TJDateObject(TJObjectFactory* factory, const TJValueList* args)
    : TJObject(factory, args), local_(date::FromTimeValue(TimeValueOf(args))) {
  RegisterName(Info());
}

SharedString TJDateObject::ToString(const TJValue* /*arg*/) { return SharedString(date::Format(local_)); }

void TJDateObject::GetPart(Field field, bool utc, TJValue& result) const {
  const date::Parts p = date::Decode(utc ? date::LocalToUtc(local_) : local_);
  int v = 0;
  switch (field) {
    case Field::kYear: v = p.year; break;
    case Field::kMonth: v = p.month; break;
    case Field::kDay: v = p.day; break;
    case Field::kHour: v = p.hour; break;
    case Field::kMinute: v = p.minute; break;
    case Field::kSecond: v = p.second; break;
    case Field::kMillisecond: v = p.millisecond; break;
  }
  result = TJValue::Integer(v);
}

void TJDateObject::SetPart(Field field, bool utc, TJValueList& args) {
  if (!TJValueList::Has1(&args)) return;
  const int value = ToInteger(args[0]);
  if (!utc) {
    if (const auto changed = date::WithField(local_, field, value)) local_ = *changed;
    return;
  }
  if (const auto changed = date::WithUtcField(local_, field, value)) local_ = *changed;
}

void TJDateObject::GetFullYear(TJValueList&, TJValue& r) { GetPart(Field::kYear, false, r); }
void TJDateObject::SetFullYear(TJValueList& a, TJValue&) { SetPart(Field::kYear, false, a); }
void TJDateObject::GetYear(TJValueList&, TJValue& r) {
  const int year = date::Decode(local_).year;
  r = TJValue::Integer(year < 2000 ? year - 1900 : year);
}
void TJDateObject::SetYear(TJValueList& a, TJValue&) { SetPart(Field::kYear, false, a); }
void TJDateObject::GetMonth(TJValueList&, TJValue& r) { GetPart(Field::kMonth, false, r); }
void TJDateObject::SetMonth(TJValueList& a, TJValue&) { SetPart(Field::kMonth, false, a); }
void TJDateObject::GetDate(TJValueList&, TJValue& r) { GetPart(Field::kDay, false, r); }
void TJDateObject::SetDate(TJValueList& a, TJValue&) { SetPart(Field::kDay, false, a); }
void TJDateObject::GetDay(TJValueList&, TJValue& r) { r = TJValue::Integer(date::Decode(local_).weekday); }
void TJDateObject::GetHours(TJValueList&, TJValue& r) { GetPart(Field::kHour, false, r); }
void TJDateObject::SetHours(TJValueList& a, TJValue&) { SetPart(Field::kHour, false, a); }
void TJDateObject::GetMinutes(TJValueList&, TJValue& r) { GetPart(Field::kMinute, false, r); }
void TJDateObject::SetMinutes(TJValueList& a, TJValue&) { SetPart(Field::kMinute, false, a); }
void TJDateObject::GetSeconds(TJValueList&, TJValue& r) { GetPart(Field::kSecond, false, r); }
void TJDateObject::SetSeconds(TJValueList& a, TJValue&) { SetPart(Field::kSecond, false, a); }
void TJDateObject::GetMilliseconds(TJValueList&, TJValue& r) { GetPart(Field::kMillisecond, false, r); }
void TJDateObject::SetMilliseconds(TJValueList& a, TJValue&) { SetPart(Field::kMillisecond, false, a); }

void TJDateObject::GetUTCFullYear(TJValueList&, TJValue& r) { GetPart(Field::kYear, true, r); }
void TJDateObject::SetUTCFullYear(TJValueList& a, TJValue&) { SetPart(Field::kYear, true, a); }
void TJDateObject::GetUTCYear(TJValueList&, TJValue& r) {
  r = TJValue::Integer(date::Decode(date::LocalToUtc(local_)).year - 1900);
}
void TJDateObject::SetUTCYear(TJValueList& a, TJValue&) { SetPart(Field::kYear, true, a); }
void TJDateObject::GetUTCMonth(TJValueList&, TJValue& r) { GetPart(Field::kMonth, true, r); }
void TJDateObject::SetUTCMonth(TJValueList& a, TJValue&) { SetPart(Field::kMonth, true, a); }
void TJDateObject::GetUTCDate(TJValueList&, TJValue& r) { GetPart(Field::kDay, true, r); }
void TJDateObject::SetUTCDate(TJValueList& a, TJValue&) { SetPart(Field::kDay, true, a); }
void TJDateObject::GetUTCDay(TJValueList&, TJValue& r) {
  r = TJValue::Integer(date::Decode(date::LocalToUtc(local_)).weekday);
}
void TJDateObject::GetUTCHours(TJValueList&, TJValue& r) { GetPart(Field::kHour, true, r); }
void TJDateObject::SetUTCHours(TJValueList& a, TJValue&) { SetPart(Field::kHour, true, a); }
void TJDateObject::GetUTCMinutes(TJValueList&, TJValue& r) { GetPart(Field::kMinute, true, r); }
void TJDateObject::SetUTCMinutes(TJValueList& a, TJValue&) { SetPart(Field::kMinute, true, a); }
void TJDateObject::GetUTCSeconds(TJValueList&, TJValue& r) { GetPart(Field::kSecond, true, r); }
void TJDateObject::SetUTCSeconds(TJValueList& a, TJValue&) { SetPart(Field::kSecond, true, a); }
void TJDateObject::GetUTCMilliseconds(TJValueList&, TJValue& r) { GetPart(Field::kMillisecond, true, r); }
void TJDateObject::SetUTCMilliseconds(TJValueList& a, TJValue&) { SetPart(Field::kMillisecond, true, a); }

void TJDateObject::GetTime(TJValueList&, TJValue& r) { r = TimeValueToScript(date::ToTimeValue(local_)); }
void TJDateObject::SetTime(TJValueList& a, TJValue&) {
  if (TJValueList::Has1(&a)) local_ = date::FromTimeValue(ToInteger(a[0]));
}
void TJDateObject::GetTimezoneOffset(TJValueList&, TJValue& r) {
  r = TJValue::Integer(date::TimezoneOffsetMinutes(local_));
}
void TJDateObject::ToStringMethod(TJValueList&, TJValue& r) { r = TJValue::Text(date::Format(local_)); }
void TJDateObject::ToGMTStringMethod(TJValueList&, TJValue& r) {
  r = TJValue::Text(date::Format(date::LocalToUtc(local_)));
}
void TJDateObject::UTCMethod(TJValueList& a, TJValue& r) { r = TimeValueToScript(TimeValueOf(&a)); }
void TJDateObject::ParseMethod(TJValueList& a, TJValue& r) { r = TimeValueToScript(TimeValueOf(&a)); }

}  // namespace kestrin
