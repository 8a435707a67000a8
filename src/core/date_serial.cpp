// core/date_serial: civil calendar arithmetic, the pattern formatter and the date-time parser.
// Works on day numbers and milliseconds so that rounding happens in one place.
#include "core/date_serial.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "core/format.h"

namespace qb {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Days since 1 January 1970 of a proleptic Gregorian date (valid for any year).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (m <= 2));
  *month = m;
  *day = d;
}

const std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);
const std::int64_t kMinDay = DaysFromCivil(kMinDateYear, 1, 1) - kEpoch;    // -657434
const std::int64_t kMaxDay = DaysFromCivil(kMaxDateYear, 12, 31) - kEpoch;  // 2958465

// Whole days and milliseconds of the time of day of SERIAL, after rounding to the millisecond.
void SplitSerial(double serial, std::int64_t* day, std::int64_t* ms) {
  if (!std::isfinite(serial) || serial < static_cast<double>(kMinDay - 1) ||
      serial > static_cast<double>(kMaxDay + 1)) {
    throw EConvertError(Format("%s is not a valid date and time serial",
                               FloatToText(serial, 15, FormatSettings::Default())));
  }
  const double whole = std::trunc(serial);
  *day = static_cast<std::int64_t>(whole);
  *ms = static_cast<std::int64_t>(std::round(std::fabs(serial - whole) * kMsPerDay));
  if (*ms >= kMsPerDay) {  // rounds up to the next midnight
    *day += 1;
    *ms -= kMsPerDay;
  }
  if (*day < kMinDay || *day > kMaxDay) {
    throw EConvertError(Format("%s is outside the dates from year %d to %d",
                               FloatToText(serial, 15, FormatSettings::Default()), kMinDateYear,
                               kMaxDateYear));
  }
}

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  if (text.size() < 2) text.insert(0, 1, '0');
  return text;
}

// ASCII only: format letters, markers and month names compare by their ASCII letters, and
// std::tolower (a locale lookup per call) cost several calls a pattern letter for every value
// formatted. Bytes of UTF-8 text are left as they are, as std::tolower leaves them.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  if (prefix.empty() || text.size() - at < prefix.size() || at > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[at + i]) != Lower(prefix[i])) return false;
  }
  return true;
}

// True when PATTERN holds an am/pm marker outside quotes (hours then count to 12).
bool HasAmPm(std::string_view pattern) {
  char quote = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p") ||
               StartsWithNoCase(pattern, i, "ampm")) {
      return true;
    }
  }
  return false;
}

class DateFormatter {
 public:
  DateFormatter(const DateTimeParts& parts, int day_of_week, const FormatSettings& settings)
      : p_(parts), dow_(day_of_week), s_(settings) {}

  void Append(std::string_view pattern, int depth, std::string& out) {
    if (depth > 3) return;  // a format that names itself: stop rather than recurse forever
    const bool twelve = HasAmPm(pattern);
    bool after_hour = false;
    size_t i = 0;
    while (i < pattern.size()) {
      const char c = pattern[i];
      const char lc = Lower(c);
      size_t run = 1;
      while (i + run < pattern.size() && Lower(pattern[i + run]) == lc) ++run;
      bool hour_token = false;
      switch (lc) {
        case '"': case '\'': {
          const size_t end = pattern.find(c, i + 1);
          const size_t stop = end == std::string_view::npos ? pattern.size() : end;
          out.append(pattern.substr(i + 1, stop - i - 1));
          i = end == std::string_view::npos ? pattern.size() : end + 1;
          continue;
        }
        case 'd':
          if (run == 1) out += std::to_string(p_.day);
          else if (run == 2) out += TwoDigits(p_.day);
          else if (run == 3) out += s_.ShortDayNames[static_cast<size_t>(dow_ - 1)];
          else if (run == 4) out += s_.LongDayNames[static_cast<size_t>(dow_ - 1)];
          else if (run == 5) Append(s_.ShortDateFormat, depth + 1, out);
          else Append(s_.LongDateFormat, depth + 1, out);
          break;
        case 'm':
          if (after_hour && run <= 2) {
            out += run == 1 ? std::to_string(p_.minute) : TwoDigits(p_.minute);
          } else if (run == 1) {
            out += std::to_string(p_.month);
          } else if (run == 2) {
            out += TwoDigits(p_.month);
          } else if (run == 3) {
            out += s_.ShortMonthNames[static_cast<size_t>(p_.month - 1)];
          } else {
            out += s_.LongMonthNames[static_cast<size_t>(p_.month - 1)];
          }
          break;
        case 'y':
          if (run <= 2) {
            out += TwoDigits(p_.year % 100);
          } else {
            std::string year = std::to_string(p_.year);
            if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
            out += year;
          }
          break;
        case 'h': {
          run = std::min<size_t>(run, 2);
          int hour = p_.hour;
          if (twelve) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          out += run == 1 ? std::to_string(hour) : TwoDigits(hour);
          hour_token = true;
          break;
        }
        case 'n':
          run = std::min<size_t>(run, 2);
          out += run == 1 ? std::to_string(p_.minute) : TwoDigits(p_.minute);
          break;
        case 's':
          run = std::min<size_t>(run, 2);
          out += run == 1 ? std::to_string(p_.second) : TwoDigits(p_.second);
          break;
        case 'z':
          if (run >= 3) {
            run = 3;
            std::string ms = std::to_string(p_.millisecond);
            out += std::string(3 - ms.size(), '0') + ms;
          } else {
            run = 1;
            out += std::to_string(p_.millisecond);
          }
          break;
        case 't':
          run = std::min<size_t>(run, 2);
          Append(run == 1 ? s_.ShortTimeFormat : s_.LongTimeFormat, depth + 1, out);
          break;
        case 'c':
          run = 1;
          AppendDateAndTime(depth, out);
          break;
        case 'a': {
          const bool pm = p_.hour >= 12;
          if (StartsWithNoCase(pattern, i, "am/pm")) {
            const bool upper = c == 'A';
            out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
            run = 5;
          } else if (StartsWithNoCase(pattern, i, "a/p")) {
            const bool upper = c == 'A';
            out += pm ? (upper ? "P" : "p") : (upper ? "A" : "a");
            run = 3;
          } else if (StartsWithNoCase(pattern, i, "ampm")) {
            out += pm ? s_.TimePMString : s_.TimeAMString;
            run = 4;
          } else {
            out += c;
            run = 1;
          }
          break;
        }
        case '/':
          run = 1;
          out += s_.DateSeparator;
          break;
        case ':':
          run = 1;
          out += s_.TimeSeparator;
          break;
        default:
          out.append(pattern.substr(i, run));
          i += run;
          continue;  // literal text keeps "h:m" meaning minutes
      }
      // "m" right after an hour field (separators between allowed) means minutes.
      if (hour_token) {
        after_hour = true;
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        after_hour = false;
      }
      i += run;
    }
  }

  void AppendDateAndTime(int depth, std::string& out) {
    const bool has_time = p_.hour || p_.minute || p_.second || p_.millisecond;
    const bool has_date = !(p_.year == 1899 && p_.month == 12 && p_.day == 30);
    if (has_date || !has_time) Append(s_.ShortDateFormat, depth + 1, out);
    if (has_time) {
      if (has_date) out += ' ';
      Append(s_.LongTimeFormat, depth + 1, out);
    }
  }

 private:
  const DateTimeParts& p_;
  int dow_;
  const FormatSettings& s_;
};

// Scanner over the text given to TextToDateTime.
class DateScanner {
 public:
  DateScanner(std::string_view text, const FormatSettings& settings) : t_(text), s_(settings) {}

  double Parse() {
    SkipBlanks();
    double date = 0;
    bool have_date = false;
    if (!TimeAhead()) {
      date = ScanDate();
      have_date = true;
      SkipBlanks();
    }
    double time = 0;
    if (pos_ < t_.size()) {
      time = ScanTime();
      SkipBlanks();
    } else if (!have_date) {
      Fail();
    }
    if (pos_ != t_.size()) Fail();
    return date < 0 ? date - time : date + time;
  }

 private:
  [[noreturn]] void Fail() const {
    throw EConvertError(Format("'%s' is not a valid date and time", t_));
  }

  void SkipBlanks() {
    while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t')) ++pos_;
  }

  bool Digit(size_t at) const { return at < t_.size() && t_[at] >= '0' && t_[at] <= '9'; }

  bool Accept(std::string_view separator) {
    if (separator.empty() || t_.substr(pos_, separator.size()) != separator) return false;
    pos_ += separator.size();
    return true;
  }

  // Digits at the current position; DIGITS receives how many were read.
  int Number(int* digits) {
    if (!Digit(pos_)) Fail();
    int value = 0;
    *digits = 0;
    while (Digit(pos_)) {
      if (++*digits > 9) Fail();
      value = value * 10 + (t_[pos_++] - '0');
    }
    return value;
  }

  // True when the first number is followed by the time separator or an am/pm marker, so the
  // text holds a time alone.
  bool TimeAhead() const {
    size_t at = pos_;
    while (Digit(at)) ++at;
    if (at == pos_) return false;
    if (t_.substr(at, s_.TimeSeparator.size()) == s_.TimeSeparator &&
        !(s_.TimeSeparator == s_.DateSeparator)) {
      return true;
    }
    while (at < t_.size() && t_[at] == ' ') ++at;
    return MarkerAt(at) != 0;
  }

  // 1 for an AM marker at AT, 2 for PM, 0 for none; LENGTH receives its size.
  int MarkerAt(size_t at, size_t* length = nullptr) const {
    const std::string_view candidates[] = {s_.TimeAMString, s_.TimePMString, "AM", "PM", "A", "P"};
    for (size_t k = 0; k < 6; ++k) {
      const std::string_view marker = candidates[k];
      if (!marker.empty() && StartsWithNoCase(t_, at, marker)) {
        const size_t end = at + marker.size();
        if (end < t_.size() && std::isalpha(static_cast<unsigned char>(t_[end]))) continue;
        if (length) *length = marker.size();
        return k % 2 == 0 ? 1 : 2;
      }
    }
    return 0;
  }

  double ScanDate() {
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    values[count] = Number(&digits[count]);
    ++count;
    while (count < 3 && Accept(s_.DateSeparator)) {
      values[count] = Number(&digits[count]);
      ++count;
    }
    if (count < 2) Fail();
    Accept(s_.DateSeparator);  // a trailing separator, as some short forms end with one
    const std::string order = DateOrder();
    int year = 0, month = 0, day = 0, year_digits = 4;
    if (count == 3) {
      for (int k = 0; k < 3; ++k) {
        if (order[k] == 'y') {
          year = values[k];
          year_digits = digits[k];
        } else if (order[k] == 'm') {
          month = values[k];
        } else {
          day = values[k];
        }
      }
    } else {
      const bool day_first = order.find('d') < order.find('m');
      month = day_first ? values[1] : values[0];
      day = day_first ? values[0] : values[1];
      year = CurrentYear();
    }
    if (year_digits <= 2) year += year < 30 ? 2000 : 1900;
    if (!IsValidDate(year, month, day)) Fail();
    return EncodeDate(year, month, day);
  }

  double ScanTime() {
    int digits = 0;
    int hour = Number(&digits), minute = 0, second = 0, ms = 0;
    bool separated = false;
    if (Accept(s_.TimeSeparator)) {
      separated = true;
      minute = Number(&digits);
      if (Accept(s_.TimeSeparator)) {
        second = Number(&digits);
        if (Accept(".") || Accept(s_.DecimalSeparator)) {
          const size_t start = pos_;
          ms = Number(&digits);
          if (pos_ - start > 3) Fail();
          for (size_t k = pos_ - start; k < 3; ++k) ms *= 10;
        }
      }
    }
    SkipBlanks();
    size_t length = 0;
    const int marker = MarkerAt(pos_, &length);
    if (marker) {
      pos_ += length;
      if (hour < 1 || hour > 12) Fail();
      if (marker == 1 && hour == 12) hour = 0;
      if (marker == 2 && hour != 12) hour += 12;
    } else if (!separated) {
      Fail();
    }
    if (!IsValidTime(hour, minute, second, ms)) Fail();
    return EncodeTime(hour, minute, second, ms);
  }

  // "mdy", "dmy" or "ymd" from the short date format's first letters of each kind.
  std::string DateOrder() const {
    std::string order;
    char quote = 0;
    for (char c : s_.ShortDateFormat) {
      if (quote) {
        if (c == quote) quote = 0;
        continue;
      }
      if (c == '"' || c == '\'') {
        quote = c;
        continue;
      }
      const char lc = Lower(c);
      if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
    }
    return order.size() == 3 ? order : "mdy";
  }

  static int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
  }

  std::string_view t_;
  const FormatSettings& s_;
  size_t pos_ = 0;
};

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= kMinDateYear && year <= kMaxDateYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

double EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) {
    throw EConvertError(Format("%d-%.2d-%.2d is not a valid date (years %d to %d)", year, month,
                               day, kMinDateYear, kMaxDateYear));
  }
  return static_cast<double>(DaysFromCivil(year, month, day) - kEpoch);
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
  if (!IsValidTime(hour, minute, second, millisecond)) {
    throw EConvertError(Format("%d:%.2d:%.2d.%.3d is not a valid time of day", hour, minute,
                               second, millisecond));
  }
  const std::int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(ms) / kMsPerDay;
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond) {
  const double date = EncodeDate(year, month, day);
  const double time = EncodeTime(hour, minute, second, millisecond);
  return date < 0 ? date - time : date + time;
}

double EncodeDateTime(const DateTimeParts& parts) {
  return EncodeDateTime(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second,
                        parts.millisecond);
}

DateTimeParts DecodeDateTime(double serial) {
  std::int64_t day = 0, ms = 0;
  SplitSerial(serial, &day, &ms);
  DateTimeParts parts;
  CivilFromDays(day + kEpoch, &parts.year, &parts.month, &parts.day);
  parts.millisecond = static_cast<int>(ms % 1000);
  parts.second = static_cast<int>(ms / 1000 % 60);
  parts.minute = static_cast<int>(ms / 60000 % 60);
  parts.hour = static_cast<int>(ms / 3600000);
  return parts;
}

DateTimeParts DecodeDate(double serial) {
  DateTimeParts parts = DecodeDateTime(serial);
  parts.hour = parts.minute = parts.second = parts.millisecond = 0;
  return parts;
}

DateTimeParts DecodeTime(double serial) {
  const DateTimeParts full = DecodeDateTime(serial);
  DateTimeParts parts;
  parts.hour = full.hour;
  parts.minute = full.minute;
  parts.second = full.second;
  parts.millisecond = full.millisecond;
  return parts;
}

int DayOfWeek(double serial) {
  std::int64_t day = 0, ms = 0;
  SplitSerial(serial, &day, &ms);
  // Serial 0 (30 December 1899) was a Saturday.
  const std::int64_t index = ((day + 6) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(index) + 1;
}

double DatePart(double serial) { return std::trunc(serial); }

double TimePart(double serial) { return std::fabs(serial - std::trunc(serial)); }

std::string FormatDateTime(std::string_view pattern, double serial,
                           const FormatSettings& settings) {
  const DateTimeParts parts = DecodeDateTime(serial);
  std::string out;
  DateFormatter(parts, DayOfWeek(serial), settings).Append(pattern, 0, out);
  return out;
}

std::string DateTimeToText(double serial, const FormatSettings& settings) {
  const DateTimeParts parts = DecodeDateTime(serial);
  std::string out;
  DateFormatter(parts, DayOfWeek(serial), settings).AppendDateAndTime(0, out);
  return out;
}

double TextToDateTime(std::string_view text, const FormatSettings& settings) {
  return DateScanner(text, settings).Parse();
}

}  // namespace qb
