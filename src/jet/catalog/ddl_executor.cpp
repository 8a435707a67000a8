// jet/catalog/ddl_executor: parse trees of DDL turned into TableModel edits.
#include "jet/catalog/ddl_executor.h"

#include "jet/base/errors.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

TableModel LoadOrRaise(Connection& connection, const std::string& name) {
  std::optional<TableModel> table = LoadTableModel(connection, name);
  if (!table) RaiseJetError(err::kTableNotFound, "There is no table named '" + name + "'.");
  return *table;
}

FieldModel FieldOf(const sql::ParsedColumnDef& column, int ordinal) {
  if (column.type.increment && *column.type.increment != 1) {
    RaiseJetError(err::kNotForThisObject, "An AutoNumber here always counts up by 1; the increment " +
                                              std::to_string(*column.type.increment) + " cannot be kept.");
  }
  FieldModel field;
  field.name = column.name;
  field.type = column.type.type.dao_type;
  if (column.type.type.sized) field.size = column.type.EffectiveSize();
  if (column.type.type.auto_increment) field.attributes |= kAutoIncrField;
  field.required = column.not_null;
  if (column.default_value) field.default_value = *column.default_value;
  field.ordinal = ordinal;
  return field;
}

// Applies one CONSTRAINT clause; COLUMN is the column a column-level clause follows.
void ApplyConstraint(TableModel& table, const sql::ParsedConstraint& constraint, const std::string& column) {
  std::vector<std::string> columns = constraint.columns;
  if (columns.empty() && !column.empty()) columns.push_back(column);
  using Kind = sql::ParsedConstraintKind;
  switch (constraint.kind) {
    case Kind::kForeignKey:
      // Checked against the referenced table by the schema-change layer.
      table.foreign_keys.push_back({constraint.name, columns, constraint.referenced_table, constraint.referenced_columns});
      return;
    case Kind::kNotNull:
      for (const std::string& name : columns) {
        FieldModel* field = table.FindField(name);
        if (!field) RaiseJetError(err::kItemNotFound, "The table '" + table.name + "' has no field '" + name + "'.");
        field->required = true;
      }
      return;
    case Kind::kPrimaryKey:
    case Kind::kUnique: {
      IndexModel index;
      index.primary = constraint.kind == Kind::kPrimaryKey;
      index.unique = true;
      index.name = !constraint.name.empty() ? constraint.name
                   : index.primary          ? std::string("PrimaryKey")
                                            : "Index_" + (columns.empty() ? std::string() : columns.front());
      for (const std::string& name : columns) index.keys.push_back({name, false});
      table.indexes.push_back(std::move(index));
      return;
    }
  }
}

void CreateTableFrom(Connection& connection, const sql::ParsedCreateTable& parsed) {
  TableModel table;
  table.name = parsed.table;
  int ordinal = 0;
  std::optional<std::int32_t> seed;
  for (const sql::ParsedColumnDef& column : parsed.columns) {
    table.fields.push_back(FieldOf(column, ordinal++));
    if (column.type.seed) seed = column.type.seed;
  }
  for (const sql::ParsedColumnDef& column : parsed.columns) {
    for (const sql::ParsedConstraint& constraint : column.constraints) ApplyConstraint(table, constraint, column.name);
  }
  for (const sql::ParsedConstraint& constraint : parsed.constraints) ApplyConstraint(table, constraint, std::string());
  CreateTable(connection, table);
  if (seed) {  // COUNTER(seed, 1): the next number handed out is SEED
    Statement set = connection.Prepare("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)");
    set.Bind(1, table.name).Bind(2, static_cast<std::int64_t>(*seed) - 1).Run();
  }
}

void AlterTableFrom(Connection& connection, const sql::ParsedAlterTable& parsed) {
  const TableModel before = LoadOrRaise(connection, parsed.table);
  TableModel after = before;
  std::vector<std::string> sources;
  for (const FieldModel& field : after.fields) sources.push_back(field.name);
  using Action = sql::ParsedAlterTable::Action;
  switch (parsed.action) {
    case Action::kAddColumn: {
      int next = 0;
      for (const FieldModel& field : after.fields) next = std::max(next, field.ordinal + 1);
      after.fields.push_back(FieldOf(*parsed.column, next));
      sources.emplace_back();
      for (const sql::ParsedConstraint& constraint : parsed.column->constraints) {
        ApplyConstraint(after, constraint, parsed.column->name);
      }
      break;
    }
    case Action::kAlterColumn: {
      FieldModel* field = after.FindField(parsed.column->name);
      if (!field) {
        RaiseJetError(err::kItemNotFound, "The table '" + before.name + "' has no field '" + parsed.column->name + "'.");
      }
      FieldModel changed = FieldOf(*parsed.column, field->ordinal);
      changed.name = field->name;
      if (!parsed.column->default_value) changed.default_value = field->default_value;
      changed.properties = field->properties;
      changed.validation_rule = field->validation_rule;
      changed.validation_text = field->validation_text;
      changed.allow_zero_length = field->allow_zero_length && (changed.type == 10 || changed.type == 12);
      *field = changed;
      for (const sql::ParsedConstraint& constraint : parsed.column->constraints) {
        ApplyConstraint(after, constraint, field->name);
      }
      break;
    }
    case Action::kDropColumn: {
      std::size_t i = 0;
      while (i < after.fields.size() && !SameName(after.fields[i].name, parsed.name)) ++i;
      if (i == after.fields.size()) {
        RaiseJetError(err::kItemNotFound, "The table '" + before.name + "' has no field '" + parsed.name + "'.");
      }
      for (const IndexModel& index : after.indexes) {
        for (const IndexKey& key : index.keys) {
          if (SameName(key.field, parsed.name)) {
            RaiseJetError(err::kFieldInIndex, "The field '" + after.fields[i].name + "' is part of the index '" +
                                                  index.name + "'; drop the index or constraint first.");
          }
        }
      }
      after.fields.erase(after.fields.begin() + static_cast<std::ptrdiff_t>(i));
      sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
    case Action::kAddConstraint:
      ApplyConstraint(after, *parsed.constraint, std::string());
      break;
    case Action::kDropConstraint: {
      auto key = after.foreign_keys.begin();
      while (key != after.foreign_keys.end() && !SameName(key->name, parsed.name)) ++key;
      if (key != after.foreign_keys.end()) {
        after.foreign_keys.erase(key);
        break;
      }
      auto it = after.indexes.begin();
      while (it != after.indexes.end() && !SameName(it->name, parsed.name)) ++it;
      if (it == after.indexes.end()) {
        RaiseJetError(err::kConstraintNotFound, "The table '" + before.name + "' has no constraint '" + parsed.name + "'.");
      }
      after.indexes.erase(it);
      break;
    }
  }
  AlterTable(connection, before, after, sources);
}

void CreateIndexFrom(Connection& connection, const sql::ParsedCreateIndex& parsed) {
  const TableModel before = LoadOrRaise(connection, parsed.table);
  TableModel after = before;
  IndexModel index;
  index.name = parsed.name;
  index.unique = parsed.unique;
  index.primary = parsed.primary;
  index.required = parsed.disallow_null;
  index.ignore_nulls = parsed.ignore_null;
  for (const sql::ParsedIndexColumn& column : parsed.columns) index.keys.push_back({column.name, column.descending});
  after.indexes.push_back(std::move(index));
  AlterTable(connection, before, after, SameNameSources(before, after));
}

void DropIndexFrom(Connection& connection, const sql::ParsedDropIndex& parsed) {
  const TableModel before = LoadOrRaise(connection, parsed.table);
  TableModel after = before;
  auto it = after.indexes.begin();
  while (it != after.indexes.end() && !SameName(it->name, parsed.name)) ++it;
  if (it == after.indexes.end()) {
    RaiseJetError(err::kIndexNotFound, "The table '" + before.name + "' has no index '" + parsed.name + "'.");
  }
  after.indexes.erase(it);
  AlterTable(connection, before, after, SameNameSources(before, after));
}

}  // namespace

bool ExecuteDdl(Connection& connection, const sql::ParsedStatement& statement) {
  SchemaSavepoint savepoint(connection);
  if (const auto* create = std::get_if<sql::ParsedCreateTable>(&statement)) {
    CreateTableFrom(connection, *create);
  } else if (const auto* alter = std::get_if<sql::ParsedAlterTable>(&statement)) {
    AlterTableFrom(connection, *alter);
  } else if (const auto* drop = std::get_if<sql::ParsedDropTable>(&statement)) {
    DropTable(connection, drop->table);
  } else if (const auto* index = std::get_if<sql::ParsedCreateIndex>(&statement)) {
    CreateIndexFrom(connection, *index);
  } else if (const auto* drop_index = std::get_if<sql::ParsedDropIndex>(&statement)) {
    DropIndexFrom(connection, *drop_index);
  } else {
    return false;
  }
  savepoint.Release();
  return true;
}

std::string TableChangedBy(const sql::ParsedStatement& statement) {
  if (const auto* alter = std::get_if<sql::ParsedAlterTable>(&statement)) return alter->table;
  if (const auto* drop = std::get_if<sql::ParsedDropTable>(&statement)) return drop->table;
  if (const auto* index = std::get_if<sql::ParsedCreateIndex>(&statement)) return index->table;
  if (const auto* drop_index = std::get_if<sql::ParsedDropIndex>(&statement)) return drop_index->table;
  return std::string();
}

}  // namespace qb::jet
