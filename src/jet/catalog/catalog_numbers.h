// jet/catalog/catalog_numbers: doubles in the catalog's rows (dates of objects, property values of
// Currency, Single, Double and Date/Time type): bound as SQLite reals (Statement::BindDouble) or
// written as locale-free text (core/number_text.h), read back exactly whatever the process
// locale. Text an older version wrote under a comma-decimal locale ("45000,5") still reads.
#pragma once
#include <optional>
#include <string_view>

namespace qb::jet {

class Statement;

// COLUMN of the current row as a double: a real or an integer as it is, text through
// CatalogRealText; nullopt for Null, a blob and text that is no number.
std::optional<double> ColumnReal(Statement& statement, int column);

// TEXT (a number the catalog stored as text) as a double: TextToDouble, or the same with one ","
// where the "." was; nullopt for anything else.
std::optional<double> CatalogRealText(std::string_view text);

}  // namespace qb::jet
