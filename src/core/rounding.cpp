// core/rounding: round half to even without depending on the floating-point rounding mode.
#include "core/rounding.h"

#include <cmath>

namespace qb {

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor = std::floor(value);
  const double diff = value - floor;  // exact: value and floor share the exponent range
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

}  // namespace qb
