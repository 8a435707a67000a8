// jet/sql/translate/action_translator: INSERT, UPDATE and DELETE. Updates and deletes through joins act
// on one table by rowid (SQLite 3.15 has no UPDATE ... FROM). Never runs anything.
#include <optional>

#include "com/ole_exception.h"
#include "jet/base/jet_types.h"
#include "jet/base/errors.h"
#include "jet/sql/functions/currency_sql.h"
#include "jet/sql/translate/constant_shape.h"
#include "jet/sql/translate/query_context.h"
#include "jet/sql/translate/row_forms.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

SchemaObject FindTable(QueryContext& ctx, const std::string& name, const SourcePos& pos) {
  std::optional<SchemaObject> object = ctx.schema().Find(name);
  if (!object || object->kind != SchemaObject::Kind::kTable) {
    RaiseSqlError(err::kInputNotFound, "Cannot find the output table '" + name + "' (at " +
                                              PositionText(pos) + ").");
  }
  return *object;
}

const SchemaColumn* FindSchemaColumn(const SchemaObject& table, const std::string& name) {
  for (const SchemaColumn& column : table.columns) {
    if (SameName(column.name, name)) return &column;
  }
  return nullptr;
}

// A scope holding TABLE under its own SQLite name (the target of UPDATE / DELETE, which
// SQLite 3.15 cannot alias) and visible as NAME.
BoundSource TargetSource(const SchemaObject& table, const std::string& name) {
  BoundSource source;
  source.name = name;
  source.sql_name = QuoteSqliteName(table.name);
  source.table = table.name;
  for (const SchemaColumn& column : table.columns) {
    source.columns.push_back({column.name, column.dao_type, column.size, table.name, column.name});
  }
  return source;
}

// The condition choosing the row of OWNER whose key is the row key, through the join FROM and
// its WHERE (" WHERE ..." or empty). The join is read for that row alone, so another row's
// failure cannot fail it.
std::string KeyedRows(const QueryContext& ctx, const BoundSource& owner, const std::string& from,
                      const std::string& where) {
  const std::string key = RowKeyPlaceholder(ctx);
  const std::string condition = where.empty() ? "" : " AND (" + where.substr(std::string_view(" WHERE ").size()) + ")";
  return "rowid = " + key + " AND rowid IN (SELECT " + owner.RowidSql() + " FROM " + from + " WHERE " +
         owner.RowidSql() + " = " + key + condition + ")";
}

// A value of a statement's text that is no value of its field's type: Jet refuses the statement
// (3464) before it writes anything, rather than failing each row.
void CheckConstant(const ParsedExpr& value, int dao_type, const std::string& field) {
  if (value.kind != ParsedExprKind::kLiteral) return;
  if (std::optional<std::string> mismatch = ConstantMismatch(static_cast<const ParsedLiteral&>(value), dao_type, field)) {
    RaiseSqlError(err::kCriteriaMismatch,
                  "Data type mismatch in criteria expression at " + PositionText(value.pos) + ": " + *mismatch);
  }
}

// SQL of VALUE written into COLUMN, refused now when it is a constant of another type.
std::string Stored(const ParsedExpr& value, const TranslatedExpr& translated, int dao_type, const std::string& field) {
  CheckConstant(value, dao_type, field);
  return StoredValueSql(&value, translated, dao_type, field);
}

}  // namespace

namespace {

// The destination fields of an INSERT, each a field of TABLE named once; *LIST gets their
// SQLite names.
std::vector<StoreTarget> InsertTargets(const SchemaObject& table, const std::vector<std::string>& columns,
                                       std::string* list) {
  std::vector<StoreTarget> targets;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const SchemaColumn* column = FindSchemaColumn(table, columns[i]);
    if (!column) {
      RaiseSqlError(err::kUnknownInsertField,
                    "The INSERT INTO statement names the field '" + columns[i] +
                        "', which the table '" + table.name + "' does not have.");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (SameName(columns[j], columns[i])) {
        RaiseSqlError(err::kDuplicateDestination, "Duplicate output destination '" + columns[i] + "'.");
      }
    }
    if (!list->empty()) *list += ", ";
    *list += QuoteSqliteName(column->name);
    targets.push_back({column->dao_type, column->name});
  }
  return targets;
}

void CheckValueCount(std::size_t value_count, std::size_t column_count) {
  if (value_count == column_count) return;
  RaiseSqlError(err::kValueCountDiffers, "The INSERT INTO statement gives " + std::to_string(value_count) +
                                             " values for " + std::to_string(column_count) + " destination fields.");
}

// A constant as the parser makes one: a literal, or a number literal with one sign.
bool IsConstant(const ParsedExpr& value) {
  if (value.kind == ParsedExprKind::kLiteral) return true;
  if (value.kind != ParsedExprKind::kUnary) return false;
  const auto& unary = static_cast<const ParsedUnary&>(value);
  if (unary.op != ParsedOp::kNegate && unary.op != ParsedOp::kPlusSign) return false;
  if (unary.operand->kind != ParsedExprKind::kLiteral) return false;
  const ParsedLiteral::Type type = static_cast<const ParsedLiteral&>(*unary.operand).type;
  return type == ParsedLiteral::Type::kInteger || type == ParsedLiteral::Type::kReal;
}

// Whether every value of INSERT is a constant whose SQL is the same whatever its value: a
// number into a Currency field is written as its exact ten-thousandths instead.
bool ConstantsOnly(const ParsedInsert& insert, const std::vector<StoreTarget>& targets) {
  for (std::size_t i = 0; i < insert.values.size(); ++i) {
    const ParsedExpr& value = *insert.values[i];
    if (!IsConstant(value)) return false;
    if (targets[i].dao_type == dao_type::kCurrency && IsSignedNumberLiteral(value)) return false;
  }
  return true;
}

// INSERT ... VALUES: one row; without a field list the values fill the table's fields in order.
void TranslateInsertValues(QueryContext& ctx, const ParsedInsert& insert, const SchemaObject& table,
                           TranslatedQuery& out) {
  std::vector<std::string> columns = insert.columns;
  if (columns.empty()) {
    for (const SchemaColumn& column : table.columns) columns.push_back(column.name);
  }
  Scope scope;
  ScopeResolver resolver(ctx, scope, false, err::kAggregateNotAllowed);
  std::vector<TranslatedExpr> values;
  for (const ParsedExprPtr& value : insert.values) values.push_back(resolver.Value(*value));
  CheckValueCount(values.size(), columns.size());
  std::string list;
  const std::vector<StoreTarget> targets = InsertTargets(table, columns, &list);
  const bool placeholders = ctx.options().constants_as_placeholders && ConstantsOnly(insert, targets);
  std::string sql = "INSERT INTO " + QuoteSqliteName(table.name) + " (" + list + ")";
  for (std::size_t i = 0; i < values.size(); ++i) {
    sql += i ? ", " : " VALUES (";
    if (placeholders) {
      // The value as its placeholder, its kind kept: the SQL around it is what the constant gets.
      values[i].sql = "?" + std::to_string(i + 1);
      TranslatedColumn target;
      target.name = targets[i].name;
      target.dao_type = targets[i].dao_type;
      out.constant_targets.push_back(std::move(target));
    }
    sql += Stored(*insert.values[i], values[i], targets[i].dao_type, targets[i].name);
  }
  out.sql = sql + ")";
  out.single_row = true;
}

// INSERT ... SELECT: without a field list the selected columns go to the fields of their names.
void TranslateInsertSelect(QueryContext& ctx, const ParsedInsert& insert, const SchemaObject& table,
                           TranslatedQuery& out) {
  const SelectSql select = TranslateSelectTree(ctx, *insert.select, nullptr);
  std::vector<std::string> columns = insert.columns;
  if (columns.empty()) {
    for (const TranslatedColumn& column : select.columns) columns.push_back(column.name);
  }
  CheckValueCount(select.columns.size(), columns.size());
  std::string list;
  const std::vector<StoreTarget> targets = InsertTargets(table, columns, &list);
  const std::string head = "INSERT INTO " + QuoteSqliteName(table.name) + " (" + list + ")";
  out.sql = head + " " + StoredSelectSql(select, targets);
  SetInsertSelectRowForms(ctx, *insert.select, head, targets, out);
}

}  // namespace

TranslatedQuery TranslateInsert(QueryContext& ctx, const ParsedInsert& insert) {
  TranslatedQuery out;
  out.kind = QueryKind::kAppend;
  const SchemaObject table = FindTable(ctx, insert.table, insert.pos);
  out.target_table = table.name;
  if (insert.select) {
    TranslateInsertSelect(ctx, insert, table, out);
  } else {
    TranslateInsertValues(ctx, insert, table, out);
  }
  return out;
}

// Jet refuses to change an AutoNumber through UPDATE (3113; the number marks the record).
void RefuseAutoNumberSet(const SchemaObject& table, const std::string& field) {
  for (const SchemaColumn& column : table.columns) {
    if (column.auto_increment && SameName(column.name, field)) {
      RaiseSqlError(err::kCannotUpdateField, "Cannot update '" + column.name + "'; an AutoNumber field cannot be changed.");
    }
  }
}

namespace {

// UPDATE of one table: a plain UPDATE.
void TranslateTableUpdate(QueryContext& ctx, const ParsedUpdate& update, TranslatedQuery& out) {
  const ParsedSource& target = *update.target;
  SchemaObject table = FindTable(ctx, target.name, target.pos);
  out.target_table = table.name;
  Scope scope;
  scope.sources.push_back(TargetSource(table, target.alias.empty() ? table.name : target.alias));
  ScopeResolver resolver(ctx, scope, false, err::kNotUpdatable);
  std::string sets;
  for (const ParsedAssignment& assignment : update.assignments) {
    resolver.Resolve(*assignment.column);
    const BoundColumn* column = resolver.last_column();
    if (!column) {
      RaiseSqlError(err::kNotUpdatable,
                    "The UPDATE statement sets '" + assignment.column->parts.back() +
                        "', which is not a field of '" + table.name + "'.");
    }
    RefuseAutoNumberSet(table, column->name);
    if (!sets.empty()) sets += ", ";
    sets += QuoteSqliteName(column->name) + " = " +
            Stored(*assignment.value, resolver.Value(*assignment.value), column->dao_type, column->name);
  }
  // The condition first: it may add implicit parameters, which the row key follows.
  const std::string condition = update.where ? resolver.Condition(*update.where) : std::string();
  out.sql = "UPDATE " + QuoteSqliteName(table.name) + " SET " + sets;
  std::string row = " WHERE rowid = " + RowKeyPlaceholder(ctx);
  if (update.where) {
    out.sql += " WHERE " + condition;
    row += " AND (" + condition + ")";
  }
  out.row_sql = "UPDATE " + QuoteSqliteName(table.name) + " SET " + sets + row;
  out.row_test_sql = "SELECT 1 FROM " + QuoteSqliteName(table.name) + row;
  out.row_keys_sql = "SELECT rowid FROM " + QuoteSqliteName(table.name);
}

// One field an UPDATE through a join sets.
struct JoinSet {
  std::string name;
  int dao_type;
  const ParsedExpr* value;
};

// The fields UPDATE sets through a join, all of one table of it (OWNER, set here).
std::vector<JoinSet> JoinSets(const ParsedUpdate& update, const Scope& scope, ScopeResolver& resolver,
                              const BoundSource*& owner) {
  std::vector<JoinSet> sets;
  for (const ParsedAssignment& assignment : update.assignments) {
    resolver.Resolve(*assignment.column);
    const BoundColumn* column = resolver.last_column();
    const BoundSource* source = nullptr;
    for (const BoundSource& s : scope.sources) {
      for (const BoundColumn& c : s.columns) {
        if (&c == column) source = &s;
      }
    }
    if (!column || !source || source->table.empty() || (owner && owner != source)) {
      RaiseSqlError(err::kNotUpdatable,
                    "Operation must use an updatable query: '" + assignment.column->parts.back() +
                        "' is not a field of the one table this UPDATE changes.");
    }
    owner = source;
    sets.push_back({column->name, column->dao_type, assignment.value.get()});
  }
  return sets;
}

// UPDATE through a join: the one table changed takes each value from its joined row.
void TranslateJoinUpdate(QueryContext& ctx, const ParsedUpdate& update, TranslatedQuery& out) {
  const ParsedSource& target = *update.target;
  Scope scope;
  std::string from = BindSource(ctx, target, scope);
  ScopeResolver resolver(ctx, scope, false, err::kNotUpdatable);
  const BoundSource* owner = nullptr;
  const std::vector<JoinSet> sets = JoinSets(update, scope, resolver, owner);
  out.target_table = owner->table;
  const SchemaObject changed = FindTable(ctx, owner->table, target.pos);
  for (const JoinSet& set : sets) RefuseAutoNumberSet(changed, set.name);
  std::string table = QuoteSqliteName(owner->table);
  std::string where = update.where ? " WHERE " + resolver.Condition(*update.where) : "";
  std::string same_row = owner->RowidSql() + " = " + table + ".rowid";
  std::string set_sql;
  for (const JoinSet& set : sets) {
    if (!set_sql.empty()) set_sql += ", ";
    std::string value_sql = Stored(*set.value, resolver.Value(*set.value), set.dao_type, set.name);
    set_sql += QuoteSqliteName(set.name) + " = (SELECT " + value_sql + " FROM " + from + " WHERE " +
               same_row + (update.where ? " AND " + resolver.Condition(*update.where) : "") +
               " LIMIT 1)";
  }
  out.sql = "UPDATE " + table + " SET " + set_sql + " WHERE rowid IN (SELECT " + owner->RowidSql() + " FROM " +
            from + where + ")";
  const std::string keyed = KeyedRows(ctx, *owner, from, where);
  out.row_sql = "UPDATE " + table + " SET " + set_sql + " WHERE " + keyed;
  out.row_test_sql = "SELECT 1 FROM " + table + " WHERE " + keyed;
  out.row_keys_sql = "SELECT rowid FROM " + table;
}

}  // namespace

TranslatedQuery TranslateUpdate(QueryContext& ctx, const ParsedUpdate& update) {
  TranslatedQuery out;
  out.kind = QueryKind::kUpdate;
  const ParsedSource::Kind kind = update.target->kind;
  if (kind == ParsedSource::Kind::kTable) {
    TranslateTableUpdate(ctx, update, out);
  } else if (kind == ParsedSource::Kind::kJoin) {
    TranslateJoinUpdate(ctx, update, out);
  } else {
    RaiseSqlError(err::kNotUpdatable, "Operation must use an updatable query.");
  }
  return out;
}

TranslatedQuery TranslateDelete(QueryContext& ctx, const ParsedDelete& del) {
  TranslatedQuery out;
  out.kind = QueryKind::kDelete;
  if (del.from.size() == 1 && del.from[0]->kind == ParsedSource::Kind::kTable) {
    const ParsedSource& source = *del.from[0];
    SchemaObject table = FindTable(ctx, source.name, source.pos);
    std::string visible = source.alias.empty() ? table.name : source.alias;
    if (!del.target.empty() && !SameName(del.target, visible)) {
      RaiseSqlError(err::kSpecifyDeleteTable,
                    "The table '" + del.target + "' to delete from is not in the FROM clause.");
    }
    out.target_table = table.name;
    Scope scope;
    scope.sources.push_back(TargetSource(table, visible));
    ScopeResolver resolver(ctx, scope, false, err::kAggregateInWhere);
    const std::string condition = del.where ? resolver.Condition(*del.where) : std::string();
    out.sql = "DELETE FROM " + QuoteSqliteName(table.name);
    std::string row = " WHERE rowid = " + RowKeyPlaceholder(ctx);
    if (del.where) {
      out.sql += " WHERE " + condition;
      row += " AND (" + condition + ")";
    }
    out.row_sql = "DELETE FROM " + QuoteSqliteName(table.name) + row;
    out.row_test_sql = "SELECT 1 FROM " + QuoteSqliteName(table.name) + row;
    out.row_keys_sql = "SELECT rowid FROM " + QuoteSqliteName(table.name);
    return out;
  }
  Scope scope;
  std::string from = BindFromList(ctx, del.from, scope);
  if (del.target.empty()) {
    RaiseSqlError(err::kSpecifyDeleteTable,
                  "Specify the table containing the records to delete (DELETE table.* FROM ...).");
  }
  const BoundSource* owner = nullptr;
  for (const BoundSource& source : scope.sources) {
    if (SameName(source.name, del.target)) owner = &source;
  }
  if (!owner || owner->table.empty()) {
    RaiseSqlError(err::kCannotDeleteFrom, "Could not delete from the specified tables: '" + del.target +
                            "' is not a table in the FROM clause.");
  }
  out.target_table = owner->table;
  ScopeResolver resolver(ctx, scope, false, err::kAggregateInWhere);
  std::string where = del.where ? " WHERE " + resolver.Condition(*del.where) : "";
  const std::string table = QuoteSqliteName(owner->table);
  out.sql = "DELETE FROM " + table + " WHERE rowid IN (SELECT " + owner->RowidSql() + " FROM " + from + where + ")";
  const std::string keyed = KeyedRows(ctx, *owner, from, where);
  out.row_sql = "DELETE FROM " + table + " WHERE " + keyed;
  out.row_test_sql = "SELECT 1 FROM " + table + " WHERE " + keyed;
  out.row_keys_sql = "SELECT rowid FROM " + table;
  return out;
}

}  // namespace qb::jet::sql
