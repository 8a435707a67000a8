// jet/sql/functions/fn_math: Abs, Int, Fix, Sgn, Sqr, Exp, Log, Round and Rnd on variants.
// Values only; Rnd keeps one generator per thread.
#pragma once
#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// Null in gives Null out. Int rounds down and Fix toward zero (Int(-8.4) = -9, Fix(-8.4) = -8);
// both keep integral and currency kinds. Sqr of a negative and Log of a non-positive number
// raise 5. Round(x [, places]) rounds half to even; places outside 0..15 raise 5.
Variant FnAbs(Args args);
Variant FnInt(Args args);
Variant FnFix(Args args);
Variant FnSgn(Args args);
Variant FnSqr(Args args);
Variant FnExp(Args args);
Variant FnLog(Args args);
Variant FnRound(Args args);
// Rnd([n]): n < 0 gives a value determined by n, 0 repeats the last value, otherwise the next
// value of the generator; a Single in [0, 1).
Variant FnRnd(Args args);

}  // namespace qb::jet::sql
