// jet/sql/functions/fn_format: Jet's Format function: named formats, numeric patterns with up to four
// ";" sections and date patterns. Uses the user's format settings; date letters are core's.
#pragma once
#include <string>
#include <string_view>

#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// VALUE formatted by FORMAT (empty: as CStr would, numbers without thousands separators).
// Named formats (any case): General Number, Currency, Fixed, Standard, Percent, Scientific,
// Yes/No, True/False, On/Off, General Date, Long Date, Medium Date, Short Date, Long Time,
// Medium Time, Short Time. Numeric patterns: 0 # . , % E+ E- e+ e-, "text" and \c literals,
// sections positive;negative;zero;null. Date patterns: core's letters (d dd ddd dddd m mm mmm
// mmmm yy yyyy h hh n nn s ss AM/PM am/pm A/P AMPM c) plus w ww q y. Text patterns: @ & < > !
// (see fn_format_text.h), applied to any value as its text. FDOW and FWOY as in
// DatePart. Null gives the fourth section when there is one, else Null (as a Variant).
// Raises 13 when a date pattern meets text that is not a date.
Variant FormatValue(const Variant& value, std::string_view format, int fdow = 1, int fwoy = 1);

Variant FnFormat(Args args);  // Format(x [, fmt [, fdow [, fwoy]]])

}  // namespace qb::jet::sql
