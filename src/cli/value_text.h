// cli/value_text: how quill writes a value as text, and how it reads a parameter value typed on
// the command line. Locale-free on purpose: output that scripts read must not change with the
// user's settings. Knows values and DAO type codes only, nothing of databases.
#pragma once
#include <string>
#include <string_view>

#include "com/variant.h"

namespace qb::cli {

// Appends the text of VALUE to OUT:
//   Empty, Null           nothing
//   Boolean               True / False
//   Byte, Integer, Long   decimal
//   Single, Double        shortest text that reads back to the same number, "." as separator,
//                         without an exponent from 0.00001 to below 1e15 (1000000, not 1e+06)
//   Currency              up to four decimals, no trailing zeros ("12.5", "-0.0001", "3")
//   Date                  yyyy-mm-dd hh:nn:ss to the nearest second; yyyy-mm-dd when the time
//                         is midnight, hh:nn:ss when the date is day 0 (1899-12-30)
//   byte array            0x and two upper-case hex digits per byte
//   text                  as is
// A date outside years 100..9999 is written as its serial number (it has no calendar form).
// A variant array is written as its items separated by ", " (the engine never gives one).
void AppendValueText(const Variant& value, std::string& out);
std::string ValueText(const Variant& value);

// The value of the parameter NAME typed as TEXT, converted for its declared DAO type:
//   Boolean       True, False, Yes, No (any case), -1, 0
//   Byte, Integer, Long   a whole number within the type's range
//   Currency, Single, Double   a number with "." as decimal separator
//   Date          yyyy-mm-dd or yyyy-mm-dd hh:nn:ss
//   Binary, Long Binary   0x followed by hex digits
//   Text, Memo, GUID and any other type   TEXT as typed
// Raises UsageError naming NAME, the text and the form expected when TEXT does not convert.
Variant ParameterValue(std::string_view name, std::string_view text, int dao_type);

}  // namespace qb::cli
