// core/number_text: numbers as text for machines (SQL text, values stored as text, files
// other programs read): "." before the fraction, no grouping, the same bytes whatever the
// process locale. Text for people goes through format.h with the regional settings instead.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

// VALUE with up to 17 significant digits, enough to read back exactly, in the form printf's
// "%.17g" has in the C locale: "1.5", "45000.25", "3", "1e+20", "-2.5e-07", "inf", "nan".
// PRECISION (1..17) gives fewer digits; UPPER writes "E", "INF" and "NAN" as "%G" does.
std::string DoubleToText(double value, int precision = 17, bool upper = false);

// TEXT as a double: an optional sign, digits with an optional "." fraction and an optional
// exponent ("1.5", "-.5", "2e10", "+3"), or inf / infinity / nan; blanks around are allowed.
// nullopt for anything else (a "," included), for an empty text and when out of range.
std::optional<double> TextToDouble(std::string_view text);

// TEXT as a number a person typed under the regional settings: an optional sign, digits with
// SEPARATOR (the regional decimal separator) or, when DOT_TOO, "." before the fraction, an
// optional exponent, blanks (spaces, tabs) around; no grouping, no currency sign. nullopt for
// anything else. A number outside a double's range is nullopt, or, when SATURATE, an infinity
// (a negative exponent gives 0). The callers' rules differ on purpose: see theirs.
std::optional<double> RegionalTextToDouble(std::string_view text, std::string_view separator, bool dot_too,
                                           bool saturate);

// TEXT as a whole number: an optional sign and digits, blanks around allowed; nullopt for
// anything else and when it does not fit in 64 bits.
std::optional<std::int64_t> TextToInt64(std::string_view text);

}  // namespace qb
