// jet/sql/parse/date_literal: reads the text between the #s of a Jet date literal into a date serial
// (US month/day/year order whatever the locale), and text that meets a date (a field, CDate,
// DateValue) the way Jet converts it.
#pragma once
#include <optional>
#include <string_view>

namespace qb::jet::sql {

// The serial of BODY, or nullopt when BODY is not a date and/or time this accepts.
// Accepted: m/d/y and m-d-y (swapped to d/m/y when the month reading is impossible), y-m-d and
// y/m/d with a three- or four-digit year (never swapped), d-Mon-y, Month d[,] y, each optionally
// followed by a time h:n[:s] [AM|PM] or h AM|PM; a time alone falls on day 0 (1899-12-30).
// One- and two-digit years: 0..29 mean 2000..2029, 30..99 mean 1930..1999. Years 100..9999.
std::optional<double> ParseDateLiteral(std::string_view body);

// The serial of TEXT given where a date is wanted, or nullopt when TEXT is no date. The user's
// short date form comes first (as CDate reads text), then every form ParseDateLiteral accepts, so
// that "2001-02-28", "Feb 28, 2001" and "11/16/94 00:00:00" are dates under any settings.
std::optional<double> ParseDateText(std::string_view text);

}  // namespace qb::jet::sql
