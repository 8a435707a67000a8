// jet/sql/functions/fn_dates: date functions. Calendar arithmetic is core's (date_serial); this file adds
// intervals, week rules and the negative-serial convention (the fraction is a time of day).
#include "jet/sql/functions/fn_dates.h"

#include <cctype>
#include <cmath>
#include <ctime>

#include "core/convert_error.h"
#include "core/date_serial.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

constexpr double kMinSerial = -657434.0;
constexpr double kMaxSerial = 2958465.99999;

// A serial as a point on a straight time line (whole days plus the time of day), and back.
// The two differ only for negative serials: -1.25 is day -1 at 06:00, linear -0.75.
double ToLinear(double serial) {
  double days = std::trunc(serial);
  return days + std::fabs(serial - days);
}

double FromLinear(double linear) {
  double days = std::floor(linear);
  double fraction = linear - days;
  return days >= 0 ? days + fraction : days - fraction;
}

Variant DateOrFail(double serial) {
  if (!std::isfinite(serial) || serial < kMinSerial || serial > kMaxSerial) {
    RaiseInvalidProcedureCall();
  }
  return Variant::FromDate(serial);
}

enum class Interval { kYear, kQuarter, kMonth, kDayOfYear, kDay, kWeekday, kWeek, kHour,
                      kMinute, kSecond };

Interval ParseInterval(const Variant& v) {
  if (v.IsNull()) RaiseInvalidUseOfNull();
  std::string code = ToText(v);
  for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (code == "yyyy") return Interval::kYear;
  if (code == "q") return Interval::kQuarter;
  if (code == "m") return Interval::kMonth;
  if (code == "y") return Interval::kDayOfYear;
  if (code == "d") return Interval::kDay;
  if (code == "w") return Interval::kWeekday;
  if (code == "ww") return Interval::kWeek;
  if (code == "h") return Interval::kHour;
  if (code == "n") return Interval::kMinute;
  if (code == "s") return Interval::kSecond;
  RaiseInvalidProcedureCall();
}

// firstdayofweek argument at INDEX: 1 (Sunday) .. 7; 0 means the system's, taken as Sunday.
int FirstDayOfWeek(Args args, std::size_t index) {
  if (args.size() <= index || args[index].IsNull() || args[index].IsEmpty()) return 1;
  int fdow = ToLong(args[index]);
  if (fdow < 0 || fdow > 7) RaiseInvalidProcedureCall();
  return fdow == 0 ? 1 : fdow;
}

int FirstWeekOfYear(Args args, std::size_t index) {
  if (args.size() <= index || args[index].IsNull() || args[index].IsEmpty()) return 1;
  int fwoy = ToLong(args[index]);
  if (fwoy < 0 || fwoy > 3) RaiseInvalidProcedureCall();
  return fwoy == 0 ? 1 : fwoy;
}

// Day number (floor of the linear time) of a serial, and its weekday 1 (Sunday) .. 7.
std::int64_t DayNumber(double serial) { return static_cast<std::int64_t>(std::floor(ToLinear(serial))); }
int WeekdayOfDay(std::int64_t day) { return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1; }
// First day of the week (starting on FDOW) that holds DAY.
std::int64_t WeekStart(std::int64_t day, int fdow) {
  return day - ((WeekdayOfDay(day) - fdow + 7) % 7);
}

DateTimeParts Decode(double serial) {
  try {
    return DecodeDateTime(serial);
  } catch (const EConvertError&) {
    RaiseInvalidProcedureCall();
  }
}

// The first day of week 1 of YEAR under FDOW and FWOY.
std::int64_t FirstWeekStart(int year, int fdow, int fwoy) {
  auto jan1 = static_cast<std::int64_t>(EncodeDate(year, 1, 1));
  std::int64_t start = WeekStart(jan1, fdow);
  std::int64_t days_in_year = start + 7 - jan1;  // days of that week falling in YEAR
  if (fwoy == 2 && days_in_year < 4) start += 7;
  if (fwoy == 3 && start != jan1) start += 7;
  return start;
}

int WeekOfYear(double serial, int fdow, int fwoy) {
  std::int64_t day = DayNumber(serial);
  int year = Decode(serial).year;
  std::int64_t first = FirstWeekStart(year, fdow, fwoy);
  if (day < first && year > kMinDateYear) first = FirstWeekStart(year - 1, fdow, fwoy);
  return static_cast<int>((WeekStart(day, fdow) - first) / 7) + 1;
}

std::int64_t TotalSeconds(double serial) {
  return static_cast<std::int64_t>(std::llround(ToLinear(serial) * 86400.0));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

double LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, std::min(local.tm_sec, 59));
}

Variant DatePartOf(Args args, int DateTimeParts::*field) {
  if (args[0].IsNull()) return Variant::Null();
  return Variant(Decode(ToSerial(args[0])).*field);
}

}  // namespace

Variant FnDate(Args) { return Variant::FromDate(std::floor(LocalNow())); }
Variant FnTime(Args) {
  double now = LocalNow();
  return Variant::FromDate(now - std::floor(now));
}
Variant FnNow(Args) { return Variant::FromDate(LocalNow()); }

Variant FnYear(Args args) { return DatePartOf(args, &DateTimeParts::year); }
Variant FnMonth(Args args) { return DatePartOf(args, &DateTimeParts::month); }
Variant FnDay(Args args) { return DatePartOf(args, &DateTimeParts::day); }
Variant FnHour(Args args) { return DatePartOf(args, &DateTimeParts::hour); }
Variant FnMinute(Args args) { return DatePartOf(args, &DateTimeParts::minute); }
Variant FnSecond(Args args) { return DatePartOf(args, &DateTimeParts::second); }

Variant FnWeekday(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  int fdow = FirstDayOfWeek(args, 1);
  return Variant((WeekdayOfDay(DayNumber(ToSerial(args[0]))) - fdow + 7) % 7 + 1);
}

Variant FnDateAdd(Args args) {
  Interval interval = ParseInterval(args[0]);
  if (args[2].IsNull()) return Variant::Null();
  if (args[1].IsNull()) RaiseInvalidUseOfNull();
  double serial = ToSerial(args[2]);
  double number = ToNumber(args[1]);
  if (!(std::fabs(number) < 1e9)) RaiseInvalidProcedureCall();
  auto n = static_cast<std::int64_t>(std::trunc(number));
  std::int64_t months = 0;
  switch (interval) {
    case Interval::kYear: months = 12 * n; break;
    case Interval::kQuarter: months = 3 * n; break;
    case Interval::kMonth: months = n; break;
    case Interval::kDayOfYear: case Interval::kDay: case Interval::kWeekday:
      return DateOrFail(FromLinear(ToLinear(serial) + static_cast<double>(n)));
    case Interval::kWeek:
      return DateOrFail(FromLinear(ToLinear(serial) + 7.0 * static_cast<double>(n)));
    case Interval::kHour:
      return DateOrFail(FromLinear(ToLinear(serial) + static_cast<double>(n) / 24.0));
    case Interval::kMinute:
      return DateOrFail(FromLinear(ToLinear(serial) + static_cast<double>(n) / 1440.0));
    case Interval::kSecond:
      return DateOrFail(FromLinear(ToLinear(serial) + static_cast<double>(n) / 86400.0));
  }
  DateTimeParts parts = Decode(serial);
  std::int64_t month_index = static_cast<std::int64_t>(parts.year) * 12 + (parts.month - 1) + months;
  std::int64_t year = FloorDiv(month_index, 12);
  if (year < kMinDateYear || year > kMaxDateYear) RaiseInvalidProcedureCall();
  int month = static_cast<int>(month_index - year * 12) + 1;
  int day = std::min(parts.day, DaysInMonth(static_cast<int>(year), month));
  double date = EncodeDate(static_cast<int>(year), month, day);
  double time = ToLinear(serial) - std::floor(ToLinear(serial));
  return DateOrFail(FromLinear(date + time));
}

Variant FnDateDiff(Args args) {
  Interval interval = ParseInterval(args[0]);
  if (args[1].IsNull() || args[2].IsNull()) return Variant::Null();
  double a = ToSerial(args[1]);
  double b = ToSerial(args[2]);
  int fdow = FirstDayOfWeek(args, 3);
  DateTimeParts pa = Decode(a), pb = Decode(b);
  std::int64_t result = 0;
  switch (interval) {
    case Interval::kYear: result = pb.year - pa.year; break;
    case Interval::kQuarter:
      result = (pb.year * 4 + (pb.month - 1) / 3) - (pa.year * 4 + (pa.month - 1) / 3);
      break;
    case Interval::kMonth: result = (pb.year * 12 + pb.month) - (pa.year * 12 + pa.month); break;
    case Interval::kDayOfYear: case Interval::kDay: result = DayNumber(b) - DayNumber(a); break;
    case Interval::kWeekday: result = (DayNumber(b) - DayNumber(a)) / 7; break;
    case Interval::kWeek:
      result = (WeekStart(DayNumber(b), fdow) - WeekStart(DayNumber(a), fdow)) / 7;
      break;
    case Interval::kHour:
      result = FloorDiv(TotalSeconds(b), 3600) - FloorDiv(TotalSeconds(a), 3600);
      break;
    case Interval::kMinute:
      result = FloorDiv(TotalSeconds(b), 60) - FloorDiv(TotalSeconds(a), 60);
      break;
    case Interval::kSecond: result = TotalSeconds(b) - TotalSeconds(a); break;
  }
  return IntegerResult(result);
}

Variant FnDatePart(Args args) {
  Interval interval = ParseInterval(args[0]);
  if (args[1].IsNull()) return Variant::Null();
  double serial = ToSerial(args[1]);
  int fdow = FirstDayOfWeek(args, 2);
  int fwoy = FirstWeekOfYear(args, 3);
  DateTimeParts p = Decode(serial);
  switch (interval) {
    case Interval::kYear: return Variant(p.year);
    case Interval::kQuarter: return Variant((p.month - 1) / 3 + 1);
    case Interval::kMonth: return Variant(p.month);
    case Interval::kDayOfYear:
      return IntegerResult(DayNumber(serial) -
                           static_cast<std::int64_t>(EncodeDate(p.year, 1, 1)) + 1);
    case Interval::kDay: return Variant(p.day);
    case Interval::kWeekday: return Variant((WeekdayOfDay(DayNumber(serial)) - fdow + 7) % 7 + 1);
    case Interval::kWeek: return Variant(WeekOfYear(serial, fdow, fwoy));
    case Interval::kHour: return Variant(p.hour);
    case Interval::kMinute: return Variant(p.minute);
    case Interval::kSecond: return Variant(p.second);
  }
  RaiseInvalidProcedureCall();
}

Variant FnDateSerial(Args args) {
  if (AnyNull(args)) return Variant::Null();
  std::int64_t year = ToLong(args[0]);
  std::int64_t month = ToLong(args[1]);
  std::int64_t day = ToLong(args[2]);
  if (year >= 0 && year < 30) year += 2000;
  else if (year >= 30 && year < 100) year += 1900;
  std::int64_t month_index = year * 12 + (month - 1);
  year = FloorDiv(month_index, 12);
  if (year < kMinDateYear || year > kMaxDateYear) RaiseInvalidProcedureCall();
  int m = static_cast<int>(month_index - year * 12) + 1;
  double first = EncodeDate(static_cast<int>(year), m, 1);
  return DateOrFail(first + static_cast<double>(day - 1));
}

Variant FnTimeSerial(Args args) {
  if (AnyNull(args)) return Variant::Null();
  std::int64_t seconds = static_cast<std::int64_t>(ToLong(args[0])) * 3600 +
                         static_cast<std::int64_t>(ToLong(args[1])) * 60 + ToLong(args[2]);
  return DateOrFail(FromLinear(static_cast<double>(seconds) / 86400.0));
}

Variant FnDateValue(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double serial = ToSerial(args[0]);
  return Variant::FromDate(std::trunc(serial));
}

Variant FnTimeValue(Args args) {
  if (args[0].IsNull()) return Variant::Null();
  double serial = ToSerial(args[0]);
  return Variant::FromDate(std::fabs(serial - std::trunc(serial)));
}

}  // namespace qb::jet::sql
