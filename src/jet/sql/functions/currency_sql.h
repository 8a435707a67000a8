// jet/sql/functions/currency_sql: how Currency values live in SQLite. A stored Currency field and every
// Currency-typed expression is the 64-bit INTEGER of ten-thousandths (the in-memory Currency
// scaled value), so storing, comparing, grouping, Sum, Min and Max are exact integer work.
// This file owns the conversions into and out of that form: the one Variant-to-stored helper
// every write path uses, the literals the translator scales, and the SQLite functions that
// convert where a Currency value meets another kind (see the rule in translator.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "com/variant.h"
#include "jet/sql/parse/parsed_expr.h"

struct sqlite3;

namespace qb::jet::sql {

// VALUE as a Currency field stores it (ten-thousandths). Numbers, numeric text (exact decimal
// text), dates (their serial) and booleans (-1/0) convert. Raises EOleException 3349 (numeric
// field overflow) outside -922337203685477.5808 .. 922337203685477.5807, 3421 (conversion
// error) for a value that is no number. REQUIRES: VALUE is not Null or Empty.
std::int64_t StoredCurrency(const Variant& value);

// The ten-thousandths of EXPR when it is a plain numeric literal (signs allowed), exact on the
// literal's decimal spelling, digits past the fourth decimal rounded half to even (EXACT_ONLY:
// nullopt for such a literal instead, as a comparison needs); nullopt for anything else or a
// literal out of Currency's range.
std::optional<std::int64_t> ScaledLiteral(const ParsedExpr& expr, bool exact_only = false);

// True when EXPR is a numeric literal, signs allowed.
bool IsSignedNumberLiteral(const ParsedExpr& expr);

// SCALED as a SQLite integer literal (the lowest value has no literal of its own).
std::string ScaledIntegerSql(std::int64_t scaled);

// Registers the conversion functions on DB (see translator.h for where each is used):
//   jet_ascurrency(x) a Currency-typed value tagged as Currency: INTEGER as ten-thousandths,
//                     REAL as an amount (a field of a file from before the integer form), text
//                     as an amount;
//   jet_tocur(x)      any value converted to a stored Currency (3349 / 3421 as StoredCurrency);
//   jet_curnum(x)     a Currency value as a plain REAL amount; other values unchanged;
//   jet_scaled(x)     a value of another kind put on the ten-thousandths scale for a comparison
//                     with a Currency value (x * 10000, exact for integers, Currency and text).
// Returns false when SQLite refuses a registration.
bool RegisterCurrencyFunctions(sqlite3* db);

// The subtype jet_* functions give their Currency results (an INTEGER of ten-thousandths).
inline constexpr unsigned kCurrencySubtype = 'C';

}  // namespace qb::jet::sql
