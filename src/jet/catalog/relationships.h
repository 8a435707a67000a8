// jet/catalog/relationships: relationships between user tables (FOREIGN KEY ... REFERENCES): their rows
// in the catalog (an MSysObjects entry of type 8 each, the fields in MSysRelationships), the
// checks a new one must pass, and the triggers that enforce them on every write path of both
// tables. Called by schema_catalog and schema_change only; opens no transaction.
//
// Enforcement triggers are named "qbr_<relationship id>_<kind>" and raise the checks' named
// errors ("jet:3201:..." for a row without its related record, "jet:3200:..." for a row still
// referenced), which sqlite_error.cpp reports as those Jet errors.
#pragma once
#include <string>
#include <vector>

#include "jet/catalog/schema_model.h"

namespace qb::jet {

class Connection;

// The relationships TABLE (by TABLE.id) references others by, into TABLE.foreign_keys.
void ReadForeignKeys(Connection& connection, TableModel& table);
// Replaces the stored relationships of TABLE by TABLE.foreign_keys. Raises kDuplicateName for a
// relationship name already used by another one in the file.
void WriteForeignKeys(Connection& connection, const TableModel& table);
// Removes the stored relationships of the table with id ID.
void DeleteForeignKeys(Connection& connection, std::int64_t id);

// Completes and checks the relationships of TABLE against the file: a relationship without
// referenced columns takes the referenced table's primary key. Raises kTableNotFound for a
// referenced table that is not there, kItemNotFound for a field either table lacks,
// kNoUniqueIndex when the referenced fields are not the whole key of a unique index. Unnamed
// relationships are named after both tables ("CustomersOrders", then "CustomersOrders1" ...).
// REQUIRES: TABLE's own fields checked (CheckTableModel).
void ResolveForeignKeys(Connection& connection, TableModel& table);

// Raises kNoRelatedRecord when a stored row of TABLE lacks the related record one of its
// relationships requires.
void CheckRelatedRecords(Connection& connection, const TableModel& table);

// The names of the other tables whose relationships reference the table NAME.
std::vector<std::string> ReferencingTables(Connection& connection, const std::string& name);

// After the table FROM became TO with its fields renamed as RENAMES says (old name, new name):
// relationships that reference it follow.
void FollowReferencedTable(Connection& connection, const std::string& from, const std::string& to,
                           const std::vector<std::pair<std::string, std::string>>& renames);

// Raises kFieldRuleInUse when a relationship (either side) uses the field FIELD of TABLE.
void CheckFieldNotRelated(Connection& connection, const TableModel& table, const std::string& field);

// Drops and re-creates every enforcement trigger from the stored relationships (after any
// table was created, copied, renamed or dropped).
void ResetRelationshipTriggers(Connection& connection);

}  // namespace qb::jet
