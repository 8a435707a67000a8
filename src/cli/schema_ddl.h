// cli/schema_ddl: writes a stored table's definition as Jet DDL that Database.Execute (and so
// `quill script`) accepts back: CREATE TABLE with the fields in OrdinalPosition order, then one
// CREATE INDEX per index. Reads the TableDef only.
#pragma once
#include <string>

#include "jet/tabledef.h"

namespace qb::cli {

// The statements for TABLE, each ended by ";" and a line break. What Jet DDL cannot say
// (defaults, validation rules, AllowZeroLength, Clustered, user properties) is left out.
std::string TableDdl(jet::TableDef& table);

// NAME in brackets ("[Order Details]").
std::string Bracketed(const std::string& name);

}  // namespace qb::cli
