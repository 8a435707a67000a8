// core/rounding: rounding helpers shared by currency, variants and formatting.
// Pure functions on numbers; no locale, no errors.
#pragma once

namespace qb {

// VALUE rounded to the nearest whole number, halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). NaN and infinities come back unchanged.
double RoundHalfEven(double value);

}  // namespace qb
