// Dates through local components only, so the output is the same in every time zone
// without daylight saving (the zone-bound forms are tested in tests/script/text).
var d = new Date(2004, 2, 28, 23, 30, 15);
println(d.toString() + " " + d.getDay() + " " + d.getYear() + " " + d.getMonth() + " " + d.getDate());
d.setDate(29);
println(d.toString());
d.setDate(30);
println(d.toString());
d.setFullYear(2005);
println(d.toString());
d.setMonth(3); d.setDate(1); d.setHours(0); d.setMinutes(0); d.setSeconds(0);
println(d.toString() + " " + d.toLocaleString());
var t = d.getTime();
var copy = new Date(1990, 1, 1, 1, 1, 1);
copy.setTime(t);
println(copy.toString());
var day = Date.parse("Dec 25, 1995 13:30:00") - Date.parse("Dec 24, 1995 13:30:00");
var later = Date.parse("1995/12/25 13:30:10") - Date.parse("Dec 25, 1995 13:30:00");
println(day + " " + later);
println(new Date("Jan 7, 2001 6:05:04").toString() + " " + new Date("Jan 7, 2001").getDay());
var y = new Date(1999, 12, 31, 23, 59, 59);
println(y.getYear() + " " + y.getFullYear() + " " + y.getHours() + " " + y.getMilliseconds());
y.setMilliseconds(1000);
println(y.getMilliseconds());
y.setMonth(2); y.setDate(31);
println(y.toString());
