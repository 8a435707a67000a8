// core/format_settings: the user's number, date, time and money conventions, read once from
// the process locale (LC_NUMERIC, LC_MONETARY, LC_TIME) without changing the global locale.
// Holds settings only; formatting and parsing live in format, date_serial and currency.
#pragma once
#include <array>
#include <string>

namespace qb {

// Pattern letters follow FormatDateTime (core/date_serial.h): "/" in a date pattern stands for
// DateSeparator and ":" in a time pattern for TimeSeparator. Separators are texts because some
// locales use characters outside ASCII.
struct FormatSettings {
  std::string DecimalSeparator = ".";
  std::string ThousandSeparator = ",";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::string ShortDateFormat = "M/d/yyyy";
  std::string LongDateFormat = "dddd, MMMM d, yyyy";
  std::string ShortTimeFormat = "h:nn AMPM";
  std::string LongTimeFormat = "h:nn:ss AMPM";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string CurrencyString = "$";
  // Placement of CurrencyString for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  int CurrencyFormat = 0;
  // Negative amounts, 0..15: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$",
  // 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)",
  // 15 "(1 $)".
  int NegCurrFormat = 0;
  int CurrencyDecimals = 2;
  // Month names January.. and day names Sunday.. (index 0 is Sunday).
  std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",
                                                "May",     "June",     "July",      "August",
                                                "September", "October", "November", "December"};
  std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};

  // The fixed US-style settings used for the "C" and POSIX locales (the member defaults).
  static FormatSettings Default() { return FormatSettings{}; }
  // Settings of the named locale ("" = the user's, from the environment); the defaults when
  // the locale is "C"/"POSIX" or is not installed. Never changes the process locale.
  static FormatSettings FromLocale(const char* locale_name);
};

// The settings in force: an active ScopedFormatSettings override, else the user's locale read
// on first use. The reference stays valid until the innermost override in force ends.
// Single-threaded use only, like the rest of the GUI process.
const FormatSettings& CurrentFormatSettings();

// Replaces the settings CurrentFormatSettings() returns for the lifetime of the object (tests,
// or code that must produce locale-independent text). Overrides nest; destroy in reverse order.
class ScopedFormatSettings {
 public:
  explicit ScopedFormatSettings(FormatSettings settings);
  ~ScopedFormatSettings();
  ScopedFormatSettings(const ScopedFormatSettings&) = delete;
  ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

  FormatSettings& Settings() { return settings_; }

 private:
  FormatSettings settings_;                // the override itself
  const FormatSettings* previous_;         // constant after construction: restored at the end
};

}  // namespace qb
