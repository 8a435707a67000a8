// jet/sql/functions/fn_dates: Jet's date and time functions on variants (serials: days since
// 1899-12-30). Reads the clock only in Date, Time and Now; never touches SQLite.
#pragma once
#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// Date() today at midnight, Time() the time of day on day 0, Now() both; local time.
Variant FnDate(Args args);
Variant FnTime(Args args);
Variant FnNow(Args args);
// Parts of a date; Null gives Null; 13 for text that is not a date.
Variant FnYear(Args args);
Variant FnMonth(Args args);
Variant FnDay(Args args);
Variant FnHour(Args args);
Variant FnMinute(Args args);
Variant FnSecond(Args args);
Variant FnWeekday(Args args);   // Weekday(d [, firstdayofweek]): 1..7
// Interval codes: yyyy q m y d w ww h n s (any case); 5 for another code or a result outside
// years 100..9999. firstdayofweek 0 or 1..7 (1 Sunday, the default); firstweekofyear 0 or 1..3.
Variant FnDateAdd(Args args);   // DateAdd(interval, n, d); months clamp to the month's end
Variant FnDateDiff(Args args);  // DateDiff(interval, d1, d2 [, fdow [, fwoy]]): boundaries
Variant FnDatePart(Args args);  // DatePart(interval, d [, fdow [, fwoy]])
Variant FnDateSerial(Args args);  // DateSerial(y, m, d), out-of-range parts carried over
Variant FnTimeSerial(Args args);  // TimeSerial(h, n, s), likewise
Variant FnDateValue(Args args);   // the date part of a date or of text read by the locale
Variant FnTimeValue(Args args);   // the time part

}  // namespace qb::jet::sql
