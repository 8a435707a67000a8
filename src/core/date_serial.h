// core/date_serial: date and time serials (days since 30 December 1899, time of day as the
// fraction) to and from civil dates, times and text. No time zones; the clock is read only for
// the year of a date typed without one.
#pragma once
#include <string>
#include <string_view>

#include "core/convert_error.h"
#include "core/format_settings.h"

namespace qb {

// Negative serials count days before 30 December 1899 in the integer part while the fraction's
// absolute value is still the time of day: -1.25 is 29 December 1899 06:00, -0.25 and 0.25 are
// both 30 December 1899 06:00. Valid dates run from 1 January 100 to 31 December 9999
// (serials -657434 to 2958465) in the proleptic Gregorian calendar.

inline constexpr int kMinDateYear = 100;
inline constexpr int kMaxDateYear = 9999;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  bool operator==(const DateTimeParts&) const = default;
};

bool IsLeapYear(int year);
// Days in MONTH of YEAR; 0 when MONTH is outside 1..12.
int DaysInMonth(int year, int month);
// True when the civil date / time of day exist and the year lies in 100..9999.
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// Serial of midnight on the date. Raises EConvertError for a date that does not exist or lies
// outside years 100..9999.
double EncodeDate(int year, int month, int day);
// Fraction of a day in [0, 1). Raises EConvertError unless hour < 24, minute < 60, second < 60
// and millisecond < 1000 (all >= 0).
double EncodeTime(int hour, int minute, int second, int millisecond = 0);
// The combined serial (negative days keep the time as a positive fraction, see above).
// Raises EConvertError as EncodeDate and EncodeTime do.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond = 0);
double EncodeDateTime(const DateTimeParts& parts);

// Civil date and time of SERIAL, the time rounded to the millisecond (a time that rounds up to
// midnight moves to the next day). Raises EConvertError when SERIAL is not finite or its date is
// outside years 100..9999.
DateTimeParts DecodeDateTime(double serial);
// Shorthands: the date part (year, month, day set; time fields zero) and the time part
// (hour..millisecond set; date fields left at their defaults) of DecodeDateTime.
DateTimeParts DecodeDate(double serial);
DateTimeParts DecodeTime(double serial);

// Day of the week of SERIAL, 1 = Sunday .. 7 = Saturday. Raises as DecodeDateTime.
int DayOfWeek(double serial);
// The date part (whole days, toward zero) and the time-of-day fraction in [0, 1) of SERIAL.
double DatePart(double serial);
double TimePart(double serial);

// SERIAL formatted by PATTERN. Letters are case-insensitive except in the am/pm markers:
//   d dd ddd dddd      day, day with two digits, short / long day name
//   ddddd dddddd       short / long date format     c    short date, then long time if any
//   m mm mmm mmmm      month (minute right after h or hh), short / long month name
//   yy yyyy            year with two / four digits
//   h hh n nn s ss     hour, minute, second (two digits when doubled)
//   z zzz              millisecond     t tt   short / long time format
//   AM/PM am/pm A/P a/p   the marker as written (upper or lower case); makes h 12-hour
//   AMPM               TimeAMString / TimePMString; makes h 12-hour
//   /  :               DateSeparator, TimeSeparator
//   "..." '...'        literal text;  other characters are copied.
// Raises EConvertError when SERIAL cannot be decoded.
std::string FormatDateTime(std::string_view pattern, double serial,
                           const FormatSettings& settings = CurrentFormatSettings());

// SERIAL in the short date + long time form: the date alone when there is no time of day, the
// time alone when the date part is 0 (30 December 1899), else both separated by a space.
// Raises EConvertError when SERIAL cannot be decoded.
std::string DateTimeToText(double serial,
                           const FormatSettings& settings = CurrentFormatSettings());

// Parses a date in the order of SETTINGS.ShortDateFormat with SETTINGS.DateSeparator (a missing
// year means the current one; a two-digit year means 1930..2029), optionally followed by a time
// "h[:n[:s[.zzz]]]" with SETTINGS.TimeSeparator and an optional AM/PM marker, or a time alone
// (date part 0). Surrounding blanks are ignored. Raises EConvertError naming TEXT when it is not
// such a date and time or the date or time does not exist.
double TextToDateTime(std::string_view text,
                      const FormatSettings& settings = CurrentFormatSettings());

}  // namespace qb
