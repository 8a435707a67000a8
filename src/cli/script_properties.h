// cli/script_properties: quill's own script statement for what Jet DDL cannot say: a property
// of a table or of one of its fields, set by name through the table's definition.
//
//   SET PROPERTY [Table].ValidationRule = '[Low] <= [High]'
//   SET PROPERTY [Table].[Field].AllowZeroLength = True
//
// The value is a Jet string ('it''s'), a number, True, False or Null. Only 'quill script'
// reads it; Database.Execute never sees it.
#pragma once
#include <string>
#include <string_view>

#include "jet/dao/database.h"

namespace qb::cli {

// True when STATEMENT is a property statement (it starts with SET PROPERTY).
bool IsPropertyStatement(std::string_view statement);

// Sets the property STATEMENT names on DATABASE. Raises EOleException 3075 (naming the
// position) for a statement that does not read, and what finding the table, field or property
// and setting it raise (kItemNotFound, kPropertyNotFound, the property's own errors).
// REQUIRES: IsPropertyStatement(STATEMENT).
void RunPropertyStatement(jet::Database& database, std::string_view statement);

// The property statement that sets NAME of TABLE (FIELD "" for the table itself) to the text
// VALUE, or to True / False.
std::string PropertyStatement(const std::string& table, const std::string& field, const std::string& name,
                              const std::string& value);
std::string PropertyStatement(const std::string& table, const std::string& field, const std::string& name, bool value);

}  // namespace qb::cli
