// jet/sql/translate/query_translator: the statement-level entry points: parse, pick the statement kind,
// translate it, attach parameters, and build SELECT ... INTO's table. The clause work lives in
// select_, action_ and crosstab_translator.cpp.
#include "jet/sql/translate/query_translator.h"

#include "jet/base/jet_types.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_context.h"
#include "jet/sql/translate/row_forms.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

// SQLite column declaration of DAO type DAO (make-table); text columns take the collation.
std::string ColumnDeclaration(int dao, const QueryTranslateOptions& options) {
  switch (dao) {
    case dao_type::kBoolean: case dao_type::kByte: case dao_type::kInteger: case dao_type::kLong:
    case dao_type::kCurrency:  // ten-thousandths
      return "INTEGER";
    case dao_type::kSingle: case dao_type::kDouble: case dao_type::kDate:
      return "REAL";
    case dao_type::kBinary: case dao_type::kLongBinary:
      return "BLOB";
    default:
      return options.text_collation.empty()
                 ? "TEXT"
                 : "TEXT COLLATE " + QuoteSqliteName(options.text_collation);
  }
}

// A field name holds no "." : a column named "Customers.ID" (two sources gave an ID) makes the
// field ID, and two columns that would make one field are 3063, as in an append.
void NameMadeTableFields(std::vector<TranslatedColumn>& columns) {
  for (TranslatedColumn& column : columns) {
    const std::size_t dot = column.name.rfind('.');
    if (dot != std::string::npos && !column.source_field.empty()) column.name = column.name.substr(dot + 1);
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (SameName(columns[i].name, columns[j].name)) {
        RaiseSqlError(err::kDuplicateDestination, "Duplicate output destination '" + columns[i].name +
                                "': give one of the fields an alias (AS) to make the table.");
      }
    }
  }
}

TranslatedQuery TranslateSelectStatement(QueryContext& ctx, const ParsedQuery& query) {
  TranslatedQuery out;
  SelectSql select = TranslateSelectTree(ctx, query, nullptr);
  out.kind = query.IsUnion() ? QueryKind::kUnion : QueryKind::kSelect;
  out.columns = std::move(select.columns);
  const std::string& into = query.parts.front().into;
  if (into.empty()) {
    out.sql = std::move(select.sql);
    out.row_key_table = std::move(select.row_key_table);
    out.row_fetch_sql = std::move(select.row_fetch_sql);
    out.source_keys = std::move(select.source_keys);
    out.column_sql = std::move(select.column_sql);
    return out;
  }
  out.kind = QueryKind::kMakeTable;
  out.target_table = into;
  NameMadeTableFields(out.columns);
  std::string declarations, names;
  std::vector<StoreTarget> targets;
  for (TranslatedColumn& column : out.columns) {
    // The new field's type: a column of no storable type (a Null literal) makes a Text field.
    const bool storable = (column.dao_type >= dao_type::kBoolean && column.dao_type <= dao_type::kMemo) ||
                          column.dao_type == dao_type::kGuid;
    targets.push_back({storable ? column.dao_type : dao_type::kText, column.name});
    if (!declarations.empty()) {
      declarations += ", ";
      names += ", ";
    }
    declarations += QuoteSqliteName(column.name) + " " +
                    ColumnDeclaration(column.dao_type, ctx.options());
    names += QuoteSqliteName(column.name);
  }
  out.create_table_sql = "CREATE TABLE " + QuoteSqliteName(into) + " (" + declarations + ")";
  const std::string head = "INSERT INTO " + QuoteSqliteName(into) + " (" + names + ")";
  out.sql = head + " " + StoredSelectSql(select, targets);
  SetInsertSelectRowForms(ctx, query, head, targets, out);
  return out;
}

TranslatedQuery TranslateParsed(const ParsedStatement& statement, const QuerySchema& schema,
                                const QueryTranslateOptions& options,
                                const std::vector<Variant>* pivot_values) {
  const auto* query = std::get_if<ParsedQueryStatement>(&statement);
  if (!query) {
    TranslatedQuery out;
    out.kind = QueryKind::kDdl;
    return out;
  }
  QueryContext ctx(schema, options);
  ctx.Declare(query->parameters);
  TranslatedQuery out;
  if (const auto* select = std::get_if<ParsedQuery>(&query->body)) {
    out = TranslateSelectStatement(ctx, *select);
  } else if (const auto* transform = std::get_if<ParsedTransform>(&query->body)) {
    out = TranslateTransform(ctx, *transform, pivot_values);
  } else if (const auto* insert = std::get_if<ParsedInsert>(&query->body)) {
    out = TranslateInsert(ctx, *insert);
  } else if (const auto* update = std::get_if<ParsedUpdate>(&query->body)) {
    out = TranslateUpdate(ctx, *update);
  } else {
    out = TranslateDelete(ctx, std::get<ParsedDelete>(query->body));
  }
  out.parameters = ctx.parameters();
  out.tables_read = ctx.tables_read();
  return out;
}

}  // namespace

QueryKind KindOfStatement(const ParsedStatement& statement) {
  const auto* query = std::get_if<ParsedQueryStatement>(&statement);
  if (!query) return QueryKind::kDdl;
  if (const auto* select = std::get_if<ParsedQuery>(&query->body)) {
    if (select->IsUnion()) return QueryKind::kUnion;
    return select->parts.front().into.empty() ? QueryKind::kSelect : QueryKind::kMakeTable;
  }
  if (std::holds_alternative<ParsedTransform>(query->body)) return QueryKind::kCrosstab;
  if (std::holds_alternative<ParsedInsert>(query->body)) return QueryKind::kAppend;
  if (std::holds_alternative<ParsedUpdate>(query->body)) return QueryKind::kUpdate;
  return QueryKind::kDelete;
}

TranslatedQuery TranslateQuery(std::string_view text, const QuerySchema& schema,
                               const QueryTranslateOptions& options) {
  return TranslateParsed(ParseStatement(text), schema, options, nullptr);
}

TranslatedQuery TranslateCrosstab(std::string_view text, const QuerySchema& schema,
                                  const std::vector<Variant>& pivot_values,
                                  const QueryTranslateOptions& options) {
  ParsedStatement statement = ParseStatement(text);
  if (KindOfStatement(statement) != QueryKind::kCrosstab) {
    RaiseSqlError(err::kSyntaxInTransform, "The statement is not a crosstab (TRANSFORM).");
  }
  return TranslateParsed(statement, schema, options, &pivot_values);
}

}  // namespace qb::jet::sql
