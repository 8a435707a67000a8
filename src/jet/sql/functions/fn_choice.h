// jet/sql/functions/fn_choice: IIf, Nz, IsNull, Switch and Choose on variants. The translator turns IIf,
// Switch and Choose into CASE so that only the chosen branch is evaluated in a query; these are
// the plain functions for direct calls.
#pragma once
#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// The truth of a condition: Null and 0 are false, other numbers true, "True"/"False" and
// numeric text as CBool reads them (13 otherwise).
bool IsTrue(const Variant& condition);

Variant FnIIf(Args args);     // IIf(cond, a, b): a when cond is true, b otherwise (Null too)
Variant FnNz(Args args);      // Nz(x [, ifnull]): x unless Null; ifnull or "" for Null
Variant FnIsNull(Args args);  // IsNull(x): Boolean
Variant FnSwitch(Args args);  // Switch(c1, v1, ...): the first true pair's value, else Null;
                              // 5 for an odd argument count
Variant FnChoose(Args args);  // Choose(i, v1, ...): i truncated; Null when out of range

}  // namespace qb::jet::sql
