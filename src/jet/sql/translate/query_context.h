// jet/sql/translate/query_context: the state one query translation shares across its files: parameters,
// generated aliases, the saved queries being inlined, and the name scopes of FROM sources.
// Internal to jet/sql; the public face is query_translator.h.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "jet/sql/parse/parsed_query.h"
#include "jet/sql/translate/query_schema.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/translate/translator.h"
#include "jet/base/unicode_text.h"

namespace qb::jet::sql {

// A column a FROM source offers.
struct BoundColumn {
  std::string name;
  int dao_type = 0;
  int size = 0;
  std::string source_table, source_field;  // base table and field behind it, when plain
};

// A FROM source in scope: NAME is how Jet text refers to it (alias or table name), SQL_NAME
// how the SQLite text does (quoted), TABLE the base table (empty for queries and subqueries).
struct BoundSource {
  std::string name;
  std::string sql_name;
  std::string table;
  std::vector<BoundColumn> columns;
  bool referenced = false;  // a select-list item uses it (DISTINCTROW)
  // A table inside a parenthesised join is reached through a subquery there (this SQLite
  // offers no rowid through such a join), which names its rowid qb_rowid.
  bool nested = false;
  // Where the rows can be read again by key, past every filter: for a table, its FROM text;
  // for a saved query or derived table whose rows are one table's (asked for with_row_key),
  // its keyed reading (SelectSql::row_fetch_sql) as a subquery, with KEY_TABLE that table.
  std::string fetch_from;
  std::string key_table;
  // For a saved query or derived table over a join keyed by its tables' rowids (asked for
  // with_row_key): those tables, in the order of its hidden key columns (source_keys.h).
  std::vector<SourceKey> source_keys;

  // The SQLite text of the table's rowid. REQUIRES: TABLE is set.
  std::string RowidSql() const { return sql_name + (nested ? ".qb_rowid" : ".rowid"); }
};

// The sources one SELECT sees, and the scope of the query around it (correlation).
struct Scope {
  const Scope* outer = nullptr;
  std::vector<BoundSource> sources;
  // Output aliases visible to later items, HAVING and ORDER BY.
  std::vector<std::pair<std::string, TranslatedExpr>> aliases;
};

struct OrderKey {
  std::string sql;  // with its collation
  bool descending = false;
};

// One SELECT block translated, before TOP shapes it.
struct BlockSql {
  std::string select_list;  // "expr AS "name", ..."
  std::string rest;         // " FROM ... WHERE ... GROUP BY ... HAVING ..."
  bool distinct = false;
  std::vector<OrderKey> order;
  std::vector<TranslatedColumn> columns;
  std::vector<SqlValueType> kinds;
  // A plain block over one table (no grouping, aggregate or DISTINCT): that table's rowid as
  // SQL, and the table's name. Empty otherwise.
  std::string row_key_sql, row_key_table;
  std::string fetch_from;  // with ROW_KEY_TABLE: its source's BoundSource::fetch_from
  // A plain block over a join of stored tables: each one's rowid as SQL, and the table
  // (source_keys.h). Empty otherwise.
  std::vector<std::pair<std::string, SourceKey>> source_keys;
  // The keys are those of a join layer below (a saved query or derived table): the block's
  // expressions name that layer, not the tables, so they cannot be read again by key.
  bool keys_through_layer = false;
  std::vector<std::string> item_sql;  // each column's SQL, in select-list order
};

// The SQL and result columns of a translated SELECT or UNION.
struct SelectSql {
  std::string sql;
  std::vector<TranslatedColumn> columns;
  std::vector<SqlValueType> kinds;
  bool wrapped_needed = false;  // has ORDER BY, LIMIT or WITH: a union part must be wrapped
  std::string row_key_table;    // QueryTranslateOptions::with_row_key: see TranslatedQuery
  std::string row_fetch_sql;    // likewise
  std::vector<SourceKey> source_keys;  // likewise
  std::vector<std::string> column_sql;  // likewise
};

// Names compare as everywhere in the engine (unicode_text.h).
using jet::SameName;

class QueryContext {
 public:
  QueryContext(const QuerySchema& schema, const QueryTranslateOptions& options)
      : schema_(schema), options_(options) {}

  const QuerySchema& schema() const { return schema_; }
  const QueryTranslateOptions& options() const { return options_; }
  // with_row_key applies to the statement's own SELECT: the first caller takes it, so
  // subqueries never get the key column; derived tables and inlined saved queries get it only
  // as sources of a keyed SELECT (RequestRowKey).
  bool TakeRowKeyRequest() { return std::exchange(row_key_pending_, false); }
  // A saved query or derived table that is a source of a keyed statement is keyed in turn, so
  // that rows drawn through it still name their table's rows.
  void RequestRowKey() { row_key_pending_ = true; }

  // Declares PARAMETERS entries (repeats of a known name keep the first declaration).
  void Declare(const std::vector<ParsedParameter>& parameters);
  // The placeholder of parameter NAME, adding it as an implicit parameter when new. Raises
  // 3070 when implicit parameters are not allowed (crosstabs).
  TranslatedExpr Parameter(const std::string& name, const SourcePos& pos);
  const std::vector<TranslatedParameter>& parameters() const { return parameters_; }
  bool implicit_parameters_allowed = true;

  // A fresh SQLite alias ("jet_s3").
  std::string NewAlias() { return "\"jet_s" + std::to_string(++aliases_) + "\""; }

  // Saved queries being inlined, innermost last (cycle check).
  std::vector<std::string> query_stack;

  // The stored tables FROM clauses name, at any depth (saved queries inlined), each once.
  void NoteTableRead(const std::string& table) {
    for (const std::string& known : tables_read_) {
      if (SameName(known, table)) return;
    }
    tables_read_.push_back(table);
  }
  const std::vector<std::string>& tables_read() const { return tables_read_; }

 private:
  const QuerySchema& schema_;
  const QueryTranslateOptions& options_;
  bool row_key_pending_ = options_.with_row_key;
  std::vector<TranslatedParameter> parameters_;
  int aliases_ = 0;
  std::vector<std::string> tables_read_;
};


// " COLLATE <collation>" for a text kind, else "".
std::string CollateFor(const QueryContext& ctx, SqlValueType kind);

// Resolves names against SCOPE and its outer scopes, then output aliases, then parameters;
// translates subqueries and aggregates. One per clause: FLAGS say what the clause allows.
class ScopeResolver : public NameResolver {
 public:
  ScopeResolver(QueryContext& ctx, Scope& scope, bool aggregates_allowed, int aggregate_error)
      : ctx_(ctx), scope_(scope), aggregates_allowed_(aggregates_allowed),
        aggregate_error_(aggregate_error) {}

  TranslatedExpr Resolve(const ParsedName& name) const override;
  TranslatedExpr ScalarSubquery(const ParsedSubquery& expr) const override;
  std::string SubqueryCondition(const ParsedSubquery& expr) const override;
  std::optional<TranslatedExpr> Aggregate(const ParsedCall& call) const override;

  // Translation options using this resolver.
  TranslateOptions Options() const;
  TranslatedExpr Value(const ParsedExpr& expr) const;
  std::string Condition(const ParsedExpr& expr) const;

  // Crosstab cells: aggregates count only the rows where FILTER (SQLite condition) holds.
  void SetAggregateFilter(std::string filter) { filter_ = std::move(filter); }
  // Mark sources a name resolves to as referenced (select lists).
  void SetMarkReferences(bool mark) { mark_ = mark; }
  bool saw_aggregate() const { return saw_aggregate_; }
  // The plain column the last Resolve found (for result column sources), or nullptr.
  const BoundColumn* last_column() const { return last_column_; }
  // SQL of this scope's columns used outside any aggregate since the last call (grouping
  // checks); clears the list.
  std::vector<std::string> TakeLooseColumns() { return std::exchange(loose_columns_, {}); }

 private:
  QueryContext& ctx_;
  Scope& scope_;
  bool aggregates_allowed_;
  int aggregate_error_;
  std::string filter_;
  bool mark_ = false;
  mutable bool in_aggregate_ = false;
  mutable bool saw_aggregate_ = false;
  mutable const BoundColumn* last_column_ = nullptr;
  mutable std::vector<std::string> loose_columns_;
};

// Binds the comma-separated FROM sources into SCOPE and returns their SQLite FROM text.
// Raises 3078, 3102, and what their ON conditions raise.
std::string BindFromList(QueryContext& ctx, const std::vector<ParsedSourcePtr>& from,
                         Scope& scope);
// Binds one source (a table, query, subquery or join) into SCOPE; its SQLite FROM text.
std::string BindSource(QueryContext& ctx, const ParsedSource& source, Scope& scope,
                       bool nested = false);

// SELECT's select list and clauses in SCOPE (its sources are bound into it).
BlockSql TranslateBlock(QueryContext& ctx, const ParsedSelect& select, Scope& scope);
// " ORDER BY ..." for ORDER (empty when it is).
std::string OrderText(const std::vector<OrderKey>& order);

// A SELECT or UNION tree in the scope OUTER (nullptr for a top-level or derived query).
SelectSql TranslateSelectTree(QueryContext& ctx, const ParsedQuery& query, const Scope* outer);

// The statement kinds; each fills KIND, SQL, columns and target (parameters are the caller's).
// Raise as TranslateQuery (query_translator.h) describes.
TranslatedQuery TranslateInsert(QueryContext& ctx, const ParsedInsert& insert);
TranslatedQuery TranslateUpdate(QueryContext& ctx, const ParsedUpdate& update);
TranslatedQuery TranslateDelete(QueryContext& ctx, const ParsedDelete& del);
// VALUES: the pivot values when the TRANSFORM has no IN list (nullptr: give the values query).
TranslatedQuery TranslateTransform(QueryContext& ctx, const ParsedTransform& transform,
                                   const std::vector<Variant>* values);

// SQLite literal for VALUE (text quoted, dates as serials, booleans -1/0).
std::string SqlLiteral(const Variant& value);

}  // namespace qb::jet::sql
