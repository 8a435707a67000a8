// jet/sql/functions/fn_operators: Jet's arithmetic, concatenation and logical operators on variants, with
// Jet's Null rules and result types. Values in, value out; never touches SQLite.
#pragma once
#include "com/variant.h"

namespace qb::jet::sql {

// Null in gives Null out unless noted; numbers widen (Int32 -> Double) instead of overflowing.
Variant OpAdd(const Variant& a, const Variant& b);       // text + text concatenates; date + n
Variant OpSubtract(const Variant& a, const Variant& b);  // date - date is a Double
Variant OpMultiply(const Variant& a, const Variant& b);
Variant OpDivide(const Variant& a, const Variant& b);     // Double; 11 on division by zero
Variant OpIntDivide(const Variant& a, const Variant& b);  // operands rounded half to even
Variant OpMod(const Variant& a, const Variant& b);        // sign of the dividend
Variant OpPower(const Variant& a, const Variant& b);      // Double; 5 for a negative base
                                                          // with a fractional exponent
Variant OpNegate(const Variant& a);
// &: Null counts as "" unless both are Null (then Null).
Variant OpConcat(const Variant& a, const Variant& b);
// Logical operators: Boolean for two Booleans, else bitwise on 32-bit integers (-1 is True);
// Null follows Jet's three-valued tables (False And Null is False, True Or Null is True, ...).
Variant OpNot(const Variant& a);
Variant OpAnd(const Variant& a, const Variant& b);
Variant OpOr(const Variant& a, const Variant& b);
Variant OpXor(const Variant& a, const Variant& b);
Variant OpEqv(const Variant& a, const Variant& b);
Variant OpImp(const Variant& a, const Variant& b);

}  // namespace qb::jet::sql
