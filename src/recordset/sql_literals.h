// recordset/sql_literals: values written into statement and criteria texts as Jet SQL literals
// that the engine reads back as exactly the same value, whatever the value holds.
#pragma once
#include <string>

#include "com/variant.h"
#include "framework/data/data_types.h"

namespace qb {

// TEXT between single quotes, each quote in it doubled.
std::string SqlTextLiteral(const std::string& text);
// SERIAL as #mm/dd/yyyy hh:nn:ss# (the form the engine's date literals take in any locale).
std::string SqlDateLiteral(double serial);
// VALUE as a number literal with "." as decimal separator: integers in full, floating-point
// values with the shortest text that reads back as the same double, currency with its decimals.
std::string SqlNumberLiteral(const Variant& value);
// VALUE written for a field or parameter of TYPE: text quoted, dates as date literals, Booleans
// -1 / 0, the integer types as whole numbers, the other numbers by SqlNumberLiteral. Null
// gives '' / 0 / the zero date by type. Empty for the types without a literal (blobs, bytes).
std::string SqlLiteral(TFieldType type, const Variant& value);

}  // namespace qb
