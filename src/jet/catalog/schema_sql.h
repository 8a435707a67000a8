// jet/catalog/schema_sql: the SQLite text of a user table: its CREATE TABLE (types, checks, defaults,
// rules), its indexes and its currency-rounding triggers, all generated from a TableModel. Builds
// text only; never runs it.
//
// Rule checks are named "jet:<number>:<message>" so that a failing write reports the Jet error
// number and message that the check stands for (see sqlite_error.cpp).
#pragma once
#include <string>
#include <vector>

#include "jet/catalog/schema_model.h"

namespace qb::jet {

// A column's definition as it stands in CREATE TABLE ("Name" TEXT COLLATE JETNOCASE ...).
// Raises the parser's errors for a DefaultValue or ValidationRule that is not a valid
// expression, kNameNotRecognised for a rule naming another field.
std::string ColumnSql(const TableModel& table, const FieldModel& field);

// The table-level checks (table validation rule, required and primary index keys).
std::vector<std::string> TableConstraintSql(const TableModel& table);

// CREATE TABLE for TABLE under the SQLite name SQLITE_NAME. Raises as ColumnSql.
std::string CreateTableSql(const TableModel& table, const std::string& sqlite_name);

// The SQLite name of an index (index names are per table in Jet, global in SQLite).
std::string SqliteIndexName(const TableModel& table, const IndexModel& index);
// CREATE INDEX for INDEX on the SQLite table SQLITE_TABLE.
std::string CreateIndexSql(const TableModel& table, const IndexModel& index, const std::string& sqlite_table);

// The statements that create a table's triggers (none: the rounding triggers of Currency
// fields belong to files from before Currency was stored exactly), and the names of the
// triggers a table may have (to drop those).
std::vector<std::string> CreateTriggerSql(const TableModel& table);
std::vector<std::string> TriggerNames(const TableModel& table);

// True when a column defined as FIELD can be added to a table holding rows with ALTER TABLE
// ADD COLUMN (no AutoNumber, a literal default or none, a Required field only with a default).
bool CanAddInPlace(const FieldModel& field);

// The SQL of a Jet expression used as DefaultValue (no names allowed). Raises the parser's and
// translator's errors.
std::string TranslateDefault(const std::string& expression);

// The SQL of a DefaultValue as the field FIELD of DAO_TYPE stores it (converted by jet_store; a
// Currency default in ten-thousandths; DAO_TYPE 0: the expression as it stands). Raises as
// TranslateDefault, and 3349 for a Currency default out of range.
std::string StoredDefaultSql(const std::string& expression, int dao_type, const std::string& field);

// NAME as a SQLite identifier.
std::string QuoteName(const std::string& name);

}  // namespace qb::jet
