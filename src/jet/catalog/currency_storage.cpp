// jet/catalog/currency_storage: the conversion runs the engine's own table rebuild, with each Currency
// column converted from its REAL amount (jet_tocur), inside the caller's transaction.
#include "jet/catalog/currency_storage.h"

#include <optional>
#include <string>

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/catalog/relationships.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

void ConvertCurrencyTables(Connection& connection) {
  bool rebuilt = false;
  for (const std::string& name : UserTableNames(connection)) {
    const std::optional<TableModel> table = LoadTableModel(connection, name);
    if (!table) continue;
    bool currency = false;
    for (const FieldModel& field : table->fields) currency = currency || field.type == 5;
    if (!currency) continue;
    try {
      RebuildTable(connection, table->name, *table, SameNameSources(*table, *table), true);
    } catch (const EOleException& e) {
      RaiseJetError(e.ErrorCode(), "The Currency fields of '" + table->name +
                                       "' could not be converted to exact amounts: " + e.Message());
    }
    rebuilt = true;
  }
  // Dropping a table dropped the relationship triggers on it.
  if (rebuilt) ResetRelationshipTriggers(connection);
}

void ConvertCurrencyStorage(Connection& connection) {
  Transaction transaction(connection);
  ConvertCurrencyTables(connection);
  connection.Exec("INSERT OR REPLACE INTO MSysDbInfo (Name, Value) VALUES ('CurrencyStorage', 'Integer')");
  transaction.Commit();
}

bool HoldsCurrencyAmounts(Connection& connection) {
  Statement read = connection.Prepare("SELECT Value FROM MSysDbInfo WHERE Name = 'CurrencyStorage'");
  return !read.Step() || read.ColumnText(0) != "Integer";
}

const char* UnconvertedCurrencyAdvice() {
  return "it was made before Currency amounts were stored exactly, so it opens read-only until it is "
         "converted: open it exclusively once, or compact it";
}

}  // namespace qb::jet
