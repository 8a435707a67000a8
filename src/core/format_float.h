// core/format_float: numbers as text by a picture pattern ("#,##0.00", "0.###", "0.00E+00",
// sections for positive, negative and zero values) with the regional separators. The field
// classes use it for their display and edit formats; it never parses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/currency.h"
#include "core/format_settings.h"

namespace qb {

// VALUE formatted by PATTERN:
//   0   a digit, written even when it is a leading or trailing zero
//   #   a digit, left out when it is a leading zero of the integer part or a trailing zero
//       of the fraction
//   .   the decimal separator (the first one; the fraction has as many digits as 0 and #
//       follow it); left out when no fraction digit is written
//   ,   anywhere among the integer placeholders: group the integer digits by thousands
//   E+ E- e+ e-   scientific form; the 0s after it give the minimum exponent digits ("E+"
//       always writes the sign, "E-" only a minus)
//   "xx" 'xx'     literal text; any other character is copied
// Up to three sections separated by ";": positive (and all values when alone); negative,
// written without a minus sign; zero. An empty section uses the first one. A value that rounds
// to zero in its section is written by the zero section. An empty PATTERN gives FloatToText's
// general form. Digits are rounded half away from zero from the value's 15 significant digits
// (2.675 gives "2.68" with two decimals). Non-finite values give "NAN", "INF" or "-INF".
std::string FormatFloat(std::string_view pattern, double value,
                        const FormatSettings& settings = CurrentFormatSettings());

// The same for an exact currency amount (all its digits count, no rounding to 15 digits).
std::string FormatCurr(std::string_view pattern, Currency value,
                       const FormatSettings& settings = CurrentFormatSettings());

// The same for a whole number (every digit counts).
std::string FormatInteger(std::string_view pattern, std::int64_t value,
                          const FormatSettings& settings = CurrentFormatSettings());

// VALUE as money: DIGITS decimals (0..15, rounded half away from zero), thousands grouped,
// the currency string placed by CurrencyFormat / NegCurrFormat.
std::string MoneyText(Currency value, int digits,
                      const FormatSettings& settings = CurrentFormatSettings());

}  // namespace qb
