// jet/sql/functions/fn_strings: Jet's string functions on variants (Left, Mid, InStr, Str, Val, ...).
// Lengths and positions count characters of UTF-8 text. Values only; no SQLite.
#pragma once
#include "jet/sql/functions/fn_support.h"

namespace qb::jet::sql {

// Each takes the SQL call's arguments in order (optional ones may be absent). Null in the text
// argument gives Null; bad counts or positions raise 5; text that is needed but is not text
// converts as CStr would. The catalog checks argument counts before these run.
Variant FnLeft(Args args);       // Left(s, n)
Variant FnRight(Args args);      // Right(s, n)
Variant FnMid(Args args);        // Mid(s, start [, length])
Variant FnLen(Args args);        // Len(x)
Variant FnInStr(Args args);      // InStr([start,] s1, s2 [, compare]); compare 0 binary,
                                 // 1 text (the default in queries)
Variant FnUCase(Args args);
Variant FnLCase(Args args);
Variant FnTrim(Args args);       // spaces only
Variant FnLTrim(Args args);
Variant FnRTrim(Args args);
Variant FnSpace(Args args);      // Space(n)
Variant FnString(Args args);     // String(n, character or code)
Variant FnAsc(Args args);        // code point of the first character; 5 for ""
Variant FnChr(Args args);        // Chr(code), code 0..255 (5 otherwise)
Variant FnStrComp(Args args);    // StrComp(a, b [, compare]): -1, 0, 1
Variant FnStr(Args args);        // Str(n): leading space for n >= 0, "." as decimal point
Variant FnVal(Args args);        // Val(s): the leading number, blanks ignored; never raises

}  // namespace qb::jet::sql
