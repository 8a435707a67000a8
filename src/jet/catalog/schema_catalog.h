// jet/catalog/schema_catalog: the catalog rows of user tables: MSysObjects entries, field metadata in
// MSysFields, index metadata in MSysIndexes, table rules in MSysProperties, user properties of
// fields and indexes in MSysItemProperties. Reads and writes
// rows only; never changes a user table (schema_change.h does) and opens no transaction.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "jet/catalog/schema_model.h"

namespace qb::jet {

class Connection;

// Creates MSysFields and MSysIndexes when the file has none yet (files made before them).
// REQUIRES: a writable connection.
void EnsureSchemaCatalog(Connection& connection);

// The definition of the table NAME (case ignored) as the catalog has it, or nullopt when
// there is no such table. A table the catalog does not describe (made by other means) is
// read from SQLite's own schema: its columns as Text, Long, Double or Long Binary.
std::optional<TableModel> LoadTableModel(Connection& connection, const std::string& name);

// The names of the user tables (not MSys ones), by name.
std::vector<std::string> UserTableNames(Connection& connection);

// Registers TABLE in MSysObjects (TABLE.id gets its id) and writes its field, index and rule
// rows. REQUIRES: no object of that name.
void InsertTableRows(Connection& connection, TableModel& table);
// Replaces the field, index and rule rows of TABLE (by TABLE.id), renames its MSysObjects
// entry to TABLE.name and stamps LastUpdated.
void UpdateTableRows(Connection& connection, const TableModel& table);
// Removes every catalog row of the table with id ID.
void DeleteTableRows(Connection& connection, std::int64_t id);

// The number the AutoNumber of the table NAME hands out next: one past the highest it has given
// (1 when it has given none, or the table has no AutoNumber).
std::int64_t NextAutoNumber(Connection& connection, const std::string& name);

// True when the catalog or SQLite's schema has an object (table, index, query) named NAME.
bool TableNameTaken(Connection& connection, const std::string& name);

}  // namespace qb::jet
