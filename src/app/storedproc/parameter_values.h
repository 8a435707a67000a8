// app/storedproc/parameter_values: how the SQL parameter dialog shows a stored procedure
// parameter and turns the text typed for it into a value: the entries of its two type lists,
// the entry shown for a Jet parameter type and direction, and the conversion by Jet type.
// Touches no engine object and no window.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"

namespace qb {

// The 23 entries of "Datatype:" and the 5 of "Parameter Type:", in list order.
const std::vector<std::string>& ParameterDataTypeNames();
const std::vector<std::string>& ParameterKindNames();

// The position in ParameterDataTypeNames() shown for the Jet Parameter.Type JET_TYPE
// (ftUnknown's 0 for types that have no entry of their own).
int DataTypeEntryOfJetType(int jet_type);
// The position in ParameterKindNames() shown for Parameter.Direction DIRECTION (0 for
// directions outside 1 to 4).
int ParameterKindEntryOfDirection(int direction);

// The text "Value:" shows for VALUE under the current regional settings: "" for Null and
// Empty. Raises EVariantError for an array.
std::string ParameterValueText(const Variant& value);

// TEXT converted for a parameter of Jet type JET_TYPE: Boolean by IsTrueText; Byte, Integer
// and Long as a 32-bit integer; Currency as an exact amount; Single, Double, Numeric, Decimal
// and Float as a double; Date, Time and TimeStamp as a date and time; Text and Char unchanged.
// Numbers and dates are read under the current regional settings. nullopt for the other
// types, whose value stays as it is. Raises EConvertError naming TEXT when it does not convert.
std::optional<Variant> ParameterValueFromText(int jet_type, std::string_view text);

}  // namespace qb
