// jet/catalog/ddl_executor: runs parsed Jet DDL statements (CREATE/ALTER/DROP TABLE, CREATE/DROP INDEX)
// as table definitions handed to the schema-change layer, the same road the TableDef, Field
// and Index objects take, so both leave the same catalog. Never builds SQLite SQL itself.
#pragma once
#include <string>

#include "jet/sql/parse/parsed_statement.h"
#include "jet/base/errors.h"

namespace qb::jet {

class Connection;

// Runs STATEMENT on CONNECTION as one all-or-nothing change; returns true when it was DDL,
// false (nothing done) for any other statement. Raises the schema errors (kTableExists,
// kTableNotFound, kIndexExists, kPrimaryExists, kFieldInIndex, kDuplicateValues ...),
// kConstraintNotFound / kIndexNotFound for a constraint or index the table lacks, the
// relationship errors for FOREIGN KEY / REFERENCES (see relationships.h; kUsedInRelationship for
// dropping a referenced table, kFieldRuleInUse for dropping a related field), and
// kNotForThisObject for a COUNTER increment other than 1 (an AutoNumber is SQLite's rowid
// sequence, which only counts up by 1). REQUIRES: a writable connection.
bool ExecuteDdl(Connection& connection, const sql::ParsedStatement& statement);

// The stored table whose design STATEMENT changes ("" for CREATE TABLE and other statements):
// the table callers hold with a TableDesignHold while ExecuteDdl runs.
std::string TableChangedBy(const sql::ParsedStatement& statement);

}  // namespace qb::jet
