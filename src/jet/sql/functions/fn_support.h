// jet/sql/functions/fn_support: what the expression functions share: argument conversions with Jet's
// error numbers (13, 94, 6, 5) and the typing of numeric results. No function lives here.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "com/variant.h"

namespace qb::jet::sql {

using Args = std::span<const Variant>;

[[noreturn]] void RaiseTypeMismatch();
[[noreturn]] void RaiseInvalidUseOfNull();
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseInvalidProcedureCall();

// True for the numeric kinds (Byte, Int16, Int32, Single, Double, Currency, Boolean, Date).
bool IsNumeric(const Variant& value);
// True for Byte, Int16, Int32 and Boolean.
bool IsIntegral(const Variant& value);

// VALUE as a number: Empty is 0, numbers as they are, text parsed by the locale (13 when it is
// not a number). REQUIRES: VALUE is not Null (94 when it is).
double ToNumber(const Variant& value);
// VALUE as text (numbers, dates and booleans as CStr gives them). 94 for Null.
std::string ToText(const Variant& value);
// VALUE as a whole number rounded half to even; 6 outside the 32-bit range, 94 for Null.
std::int32_t ToLong(const Variant& value);
// VALUE as a date serial: dates as they are, numbers taken as serials, text read by
// ParseDateText (13 when it is not a date). 94 for Null.
double ToSerial(const Variant& value);

// VALUE with at most DIGITS significant digits, "." as the decimal point, no trailing zeros and
// VBA's exponent form ("1E+20", "1.5E-07"), as Str and General Number show numbers.
std::string NumberText(double value, int digits = 15);

// An integral result: Int32 when it fits, else Double (Jet widens rather than overflows).
Variant IntegerResult(std::int64_t value);
// A Double result; 6 when it is not finite.
Variant DoubleResult(double value);

// True when any of ARGS is Null.
bool AnyNull(Args args);

}  // namespace qb::jet::sql
