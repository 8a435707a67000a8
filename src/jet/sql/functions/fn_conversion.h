// jet/sql/functions/fn_conversion: the conversion functions CStr, CInt, CLng, CSng, CDbl, CCur, CDate,
// CBool, CByte. Values only; text is read and written by the user's format settings.
#pragma once
#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// Each takes one argument. Null raises 94; text that does not convert raises 13; a value
// outside the target's range raises 6. Integer targets round half to even (CInt(2.5) = 2).
Variant FnCStr(Args args);
Variant FnCInt(Args args);
Variant FnCLng(Args args);
Variant FnCSng(Args args);
Variant FnCDbl(Args args);
Variant FnCCur(Args args);
Variant FnCDate(Args args);
Variant FnCBool(Args args);
Variant FnCByte(Args args);

}  // namespace qb::jet::sql
