// jet/catalog/catalog_numbers: catalog doubles through the SQLite handle and core/number_text.
#include "jet/catalog/catalog_numbers.h"

#include <sqlcipher/sqlite3.h>

#include <string>

#include "core/number_text.h"
#include "jet/sqlite/statement.h"

namespace qb::jet {

std::optional<double> ColumnReal(Statement& statement, int column) {
  switch (sqlite3_column_type(statement.Handle(), column)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return statement.ColumnDouble(column);
    case SQLITE_TEXT:
      return CatalogRealText(statement.ColumnText(column));
    default:
      return std::nullopt;
  }
}

std::optional<double> CatalogRealText(std::string_view text) {
  if (std::optional<double> value = TextToDouble(text)) return value;
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || text.find_first_of(".,", comma + 1) != std::string_view::npos) return std::nullopt;
  std::string dotted(text);
  dotted[comma] = '.';
  return TextToDouble(dotted);
}

}  // namespace qb::jet
