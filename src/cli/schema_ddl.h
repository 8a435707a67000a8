// cli/schema_ddl: writes a stored table's definition as statements `quill script` accepts back:
// CREATE TABLE with the fields in OrdinalPosition order, one CREATE INDEX per index, and quill's
// SET PROPERTY statements for what Jet DDL cannot say. Reads the TableDef only.
#pragma once
#include <string>

#include "jet/dao/tabledef.h"

namespace qb::cli {

// The statements for TABLE, each ended by ";" and a line break: CREATE TABLE (defaults as
// DEFAULT, the AutoNumber's next number as COUNTER(n, 1) when it is not 1), CREATE INDEX, then
// SET PROPERTY statements (script_properties.h) for validation rules and texts and for
// AllowZeroLength. Clustered and user-defined properties are left out.
std::string TableDdl(jet::TableDef& table);

// The relationships TABLE references others by, as ALTER TABLE ... ADD CONSTRAINT ... FOREIGN
// KEY statements ("" for none).
std::string RelationshipDdl(jet::TableDef& table);

// NAME in brackets ("[Order Details]").
std::string Bracketed(const std::string& name);

}  // namespace qb::cli
