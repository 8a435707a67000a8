// jet/catalog/schema_change: the one layer that changes user tables: creating, altering, renaming and
// dropping them, keeping the SQLite table, its indexes and triggers and the catalog rows in
// step. Both the TableDef/Field/Index objects and DDL statements change tables through it.
// Each call is all or nothing (a savepoint of its own, so it also works inside a transaction).
#pragma once
#include <string>
#include <vector>

#include "jet/catalog/schema_model.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

// Creates TABLE (checked by CheckTableModel) with its indexes and catalog rows; TABLE.id gets
// the new id. Raises kTableExists when a table or query has that name, kDuplicateValues never
// (the table is empty), the checks' errors for a bad definition.
void CreateTable(Connection& connection, TableModel& table);

// Drops the user table NAME and its catalog rows. Raises kTableNotFound when there is none.
void DropTable(Connection& connection, const std::string& name);

// Turns the stored table BEFORE into AFTER, keeping its rows: AFTER.fields[i] takes its values
// from BEFORE's field SOURCES[i] ("" for a new field, which gets its default; a new AutoNumber
// numbers the rows). Indexes are rebuilt as AFTER lists them. Changes SQLite cannot make in
// place copy the table inside the savepoint, keeping rowids and the AutoNumber seed.
// Raises the checks' errors for a bad AFTER, kTableExists for a new name already in use,
// kDuplicateValues (3022) when an index cannot be built over the rows, and the rule errors
// (3314, 3315, 3163, 3317 ...) when a row does not fit AFTER; the table is then unchanged.
// REQUIRES: SOURCES.size() == AFTER.fields.size(); BEFORE as LoadTableModel returned it.
void AlterTable(Connection& connection, const TableModel& before, TableModel after,
                const std::vector<std::string>& sources);

// Sources for AFTER when fields keep their names: each field of AFTER that BEFORE has takes
// its own values; new ones get "".
std::vector<std::string> SameNameSources(const TableModel& before, const TableModel& after);

// Copies the rows of the SQLite table OLD_TABLE into a new table built from AFTER and puts it in
// OLD_TABLE's place under AFTER.name (table_rebuild.cpp). Values converted to a field's new
// type where Currency meets another type; AMOUNTS: OLD_TABLE's Currency columns hold REAL
// amounts (a file from before Currency was stored as ten-thousandths), converted too.
// REQUIRES: inside a savepoint.
void RebuildTable(Connection& connection, const std::string& old_table, const TableModel& after,
                  const std::vector<std::string>& sources, bool amounts = false);

// Drops TABLE's triggers (the currency-rounding ones of older files) and makes those it needs.
void ResetTriggers(Connection& connection, const TableModel& table);

// A savepoint that rolls back unless released: the all-or-nothing guard of schema changes.
// Outside a transaction it begins one as a write (WriteSavepoint), so what a change reads
// before writing cannot go stale while another user writes.
class SchemaSavepoint {
 public:
  explicit SchemaSavepoint(Connection& connection);
  void Release() { savepoint_.Release(); }

 private:
  WriteSavepoint savepoint_;
};

}  // namespace qb::jet
