// cli/schema_ddl: Jet type names for DAO types, and the statements of one table.
#include "cli/schema_ddl.h"

#include "cli/script_properties.h"
#include "jet/dao/index.h"

namespace qb::cli {
namespace {

std::string TypeName(const jet::Field& field, std::int64_t next_number) {
  if (field.Attributes() & jet::kAutoIncrField) {
    return next_number == 1 ? std::string("COUNTER") : "COUNTER(" + std::to_string(next_number) + ", 1)";
  }
  switch (field.Type()) {
    case 1: return "BIT";
    case 2: return "BYTE";
    case 3: return "SHORT";
    case 4: return "LONG";
    case 5: return "CURRENCY";
    case 6: return "SINGLE";
    case 7: return "DOUBLE";
    case 8: return "DATETIME";
    case 9: return "BINARY(" + std::to_string(field.Size()) + ")";
    case 11: return "LONGBINARY";
    case 12: return "MEMO";
    case 15: return "GUID";
    default: return "TEXT(" + std::to_string(field.Size()) + ")";
  }
}

}  // namespace

std::string Bracketed(const std::string& name) { return "[" + name + "]"; }

std::string RelationshipDdl(jet::TableDef& table) {
  auto list = [](const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + Bracketed(name);
    return text;
  };
  std::string ddl;
  for (const jet::ForeignKeyModel& key : table.Model().foreign_keys) {
    ddl += "ALTER TABLE " + Bracketed(table.Name()) + " ADD CONSTRAINT " + Bracketed(key.name) + " FOREIGN KEY (" +
           list(key.columns) + ") REFERENCES " + Bracketed(key.referenced_table) + " (" +
           list(key.referenced_columns) + ");\n";
  }
  return ddl;
}

std::string TableDdl(jet::TableDef& table) {
  std::string ddl = "CREATE TABLE " + Bracketed(table.Name()) + " (";
  std::string properties;
  auto fields = table.Fields();
  for (int i = 0; i < fields->Count(); ++i) {
    auto field = fields->Item(i);
    ddl += (i == 0 ? "\n  " : ",\n  ") + Bracketed(field->Name()) + " " + TypeName(*field, table.NextAutoNumber());
    if (field->Required()) ddl += " NOT NULL";
    const std::string default_value = field->DefaultValue().ToString();
    if (!default_value.empty()) ddl += " DEFAULT " + default_value;
    if (field->AllowZeroLength()) properties += PropertyStatement(table.Name(), field->Name(), "AllowZeroLength", true);
    if (!field->ValidationRule().empty()) {
      properties += PropertyStatement(table.Name(), field->Name(), "ValidationRule", field->ValidationRule());
    }
    if (!field->ValidationText().empty()) {
      properties += PropertyStatement(table.Name(), field->Name(), "ValidationText", field->ValidationText());
    }
  }
  ddl += "\n);\n";
  if (!table.ValidationRule().empty()) {
    properties += PropertyStatement(table.Name(), std::string(), "ValidationRule", table.ValidationRule());
  }
  if (!table.ValidationText().empty()) {
    properties += PropertyStatement(table.Name(), std::string(), "ValidationText", table.ValidationText());
  }
  auto indexes = table.Indexes();
  for (int i = 0; i < indexes->Count(); ++i) {
    auto index = indexes->Item(i);
    ddl += std::string("CREATE ") + (index->Unique() && !index->Primary() ? "UNIQUE " : "") + "INDEX " +
           Bracketed(index->Name()) + " ON " + Bracketed(table.Name()) + " (";
    bool first = true;
    for (const jet::IndexKey& key : jet::ParseIndexFields(index->Fields())) {
      ddl += (first ? "" : ", ") + Bracketed(key.field) + (key.descending ? " DESC" : "");
      first = false;
    }
    ddl += ")";
    std::string with;
    if (index->Primary()) {
      with += " PRIMARY";
    } else if (index->Required()) {
      with += " DISALLOW NULL";
    }
    if (index->IgnoreNulls()) with += " IGNORE NULL";
    if (!with.empty()) ddl += " WITH" + with;
    ddl += ";\n";
  }
  return ddl + properties;
}

}  // namespace qb::cli
