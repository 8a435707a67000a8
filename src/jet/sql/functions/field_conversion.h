// jet/sql/functions/field_conversion: what a value becomes when it is written into a field of a given type,
// by Jet's rules. The one conversion every write path uses: the jet_store function that
// statements wrap around each value they assign, and the recordset's field values.
#pragma once
#include <optional>
#include <string_view>

#include "com/variant.h"
#include "core/currency.h"

namespace qb::jet::sql {

// VALUE as a field of DAO_TYPE holds it (FIELD names the field in messages; may be empty):
// - Null and Empty give Null.
// - Boolean: booleans, numbers (non-zero is True), text "True"/"False" (any case) or a number.
// - Byte, Integer, Long: numbers, dates (their serial) and number text, rounded half to even.
// - Currency: numbers and number text, exact to four decimals (see StoredCurrency).
// - Single, Double: numbers, dates and number text.
// - Date/Time: dates, numbers taken as serials, text that ParseDateText reads.
// - Text, Memo: text as it is; numbers, dates and booleans as CStr writes them; bytes as text.
// - Binary, Long Binary: bytes; text as its UTF-8 bytes.
// - GUID: text {8-4-4-4-12} (braces optional), written with braces.
// Number text has "." or the user's decimal separator, an optional sign and exponent and
// blanks around; no thousands separators or currency signs.
// Raises EOleException 3421 (data type conversion error) for a value that does not convert,
// 3349 (numeric field overflow) for one outside the type's range.
Variant ConvertToFieldType(const Variant& value, int dao_type, std::string_view field = {});

// TEXT as a number by the rules above (never by the process locale); nullopt when it is none.
// A number too large for a double gives an infinity.
std::optional<double> ParseNumberText(std::string_view text);

}  // namespace qb::jet::sql
