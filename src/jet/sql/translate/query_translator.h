// jet/sql/translate/query_translator: turns Jet query statements into SQLite 3.15 SQL with the Jet types
// of their result columns and their parameters. Never opens a connection and never passes Jet
// text through; tables and saved queries come from a QuerySchema.
//
// What the translation rewrites, because SQLite 3.15 lacks it or means something else:
//   - RIGHT JOIN becomes a LEFT JOIN with the sides swapped.
//   - TOP n keeps ties on the ORDER BY keys: the rows are those not ordered after the n-th row
//     (whose keys a subquery finds); TOP n PERCENT rounds the row count up.
//   - ANY / ALL comparisons become EXISTS / NOT EXISTS tests over the subquery's rows.
//   - DISTINCTROW removes duplicates of the source rows that supply output columns: when some
//     source supplies none (a join used only to filter), the query groups by the rowids of the
//     sources that do (or, for saved queries and derived tables, uses DISTINCT over the output).
//     Otherwise it is plain ALL, as in Jet.
//   - UPDATE and DELETE through joins act on the rows of one table chosen by a key subquery
//     (WHERE rowid IN (SELECT ... FROM the join)); values from other tables come from
//     correlated subqueries over the same join.
//   - SELECT ... INTO is a CREATE TABLE plus an INSERT ... SELECT.
//   - TRANSFORM is a GROUP BY with one aggregate column per pivot value.
//   - Saved queries used as sources are inlined as subqueries (a query reaching itself is 3102).
//   - Unaliased computed columns are named Expr1000, Expr1001, ...; text grouping, ordering,
//     DISTINCT and UNION compare under the text collation.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/sql/parse/parsed_statement.h"
#include "jet/sql/translate/query_schema.h"

namespace qb::jet::sql {

// QueryDef.Type values (DAO QueryDefTypeEnum).
enum class QueryKind : int {
  kSelect = 0,
  kCrosstab = 16,
  kDelete = 32,
  kUpdate = 48,
  kAppend = 64,
  kMakeTable = 80,
  kDdl = 96,
  kUnion = 128,
};

struct TranslatedColumn {
  std::string name;
  int dao_type = 0;  // DAO type code
  int size = 0;      // Text(n) of a plain Text column; 0 otherwise
  std::string source_table;  // the base table and field of a plain column; empty otherwise
  std::string source_field;
};

struct TranslatedParameter {
  std::string name;
  int dao_type = 0;  // the declared type; dbText (10) for implicit ones
  bool declared = false;
};

// A stored table a join draws its rows from (TranslatedQuery::source_keys).
struct SourceKey {
  std::string name;   // how the statement names it: its alias, else the table's name
  std::string table;  // the stored table
  std::string alias = std::string();  // how the translated SQL names it (quoted)
};

struct TranslatedQuery {
  QueryKind kind = QueryKind::kSelect;
  // The SQLite statement; parameter i (0-based) of PARAMETERS is placeholder ?(i + 1). Empty
  // for DDL (run from the parse tree) and for a crosstab still needing its pivot values.
  std::string sql;
  std::vector<TranslatedColumn> columns;  // result columns of row-returning kinds, in order
  std::vector<TranslatedParameter> parameters;  // declared ones first, then implicit ones
  std::string target_table;      // the table written by append, update, delete and make-table
  std::string create_table_sql;  // make-table: the CREATE TABLE to run before SQL
  // The statement taken one row at a time, so that the rows that fail can be skipped while the
  // others are written: ROW_KEYS_SQL returns the key of every row the statement may write
  // (update, delete: the rowid) or copy (append and make-table from stored tables: the rowid of
  // each source, Null for an outer join's missing side), and ROW_SQL is SQL for the row whose
  // key columns are placeholders ?(parameters.size() + 1), ... Both empty when the statement
  // cannot be taken row by row (a grouping, a union, a saved query as the source, ...).
  std::string row_keys_sql;
  std::string row_sql;
  // Update and delete: a select returning a row when ROW_SQL would write the row keyed as
  // there, so that the rows a statement reaches are known without writing. Empty otherwise.
  std::string row_test_sql;
  bool single_row = false;  // INSERT ... VALUES: the statement writes one row at most
  // With QueryTranslateOptions::constants_as_placeholders, an INSERT ... VALUES whose values are
  // all constants (a literal, or a number with a sign) names here the field each value goes to
  // (name and DAO type, in order), and SQL has placeholder ?(i + 1) where value i was. Empty
  // otherwise (SQL then holds the constants themselves).
  std::vector<TranslatedColumn> constant_targets;
  // A crosstab without an IN list: the query of its distinct pivot values (ascending, same
  // parameters). Run it and pass the values to TranslateCrosstab to get the statement.
  std::string pivot_values_sql;
  // With QueryTranslateOptions::with_row_key, a select whose rows are the rows of one table
  // (one source that is a table, or a saved query or derived table whose rows are in turn; no
  // grouping, aggregate, DISTINCT, TOP or UNION) names that
  // table here, and SQL returns the table's rowid first, as kRowKeyColumn, before COLUMNS.
  // Empty otherwise (SQL then returns COLUMNS only).
  std::string row_key_table;
  // With ROW_KEY_TABLE: the same rows' values read by key past every filter: a select of
  // kRowKeyColumn and COLUMNS over all the table's rows, with the statement's parameters, so a
  // row reads as it is now (computed columns computed) whether or not it still matches.
  std::string row_fetch_sql;
  // With with_row_key, a select over two or more sources, each a stored table (no grouping,
  // aggregate, DISTINCT, TOP or UNION), names them here in FROM order, and SQL returns each
  // one's rowid first, as kSourceKeyPrefix + 1, 2, ..., before COLUMNS (Null where an outer
  // join found no row). Empty otherwise.
  std::vector<SourceKey> source_keys;
  // With SOURCE_KEYS: each column's SQL over the sources' aliases (SourceKey::alias), so a
  // computed column can be computed again from the rows the keys name.
  std::vector<std::string> column_sql;
  // The stored tables the statement's FROM clauses name, at any depth (saved queries and
  // subqueries included), each once.
  std::vector<std::string> tables_read;
  bool NeedsPivotValues() const { return kind == QueryKind::kCrosstab && sql.empty(); }
};

inline constexpr const char* kRowKeyColumn = "qb_key";
inline constexpr const char* kSourceKeyPrefix = "qb_join_key";

struct QueryTranslateOptions {
  std::string text_collation = "JETNOCASE";  // registered on the connection by the caller
  bool with_row_key = false;  // see TranslatedQuery::row_key_table
  // The stored tables' Currency fields hold REAL amounts (a file from before Currency was
  // stored as ten-thousandths, open read-only): their values are converted where read.
  bool currency_amounts = false;
  // An INSERT ... VALUES of constants only is translated with placeholders for its values (see
  // TranslatedQuery::constant_targets), so that statements differing only in their constants
  // share one translation. Values into a Currency field that are numbers keep the statement
  // as it is (their exact scaling is written into the SQL).
  bool constants_as_placeholders = false;
};

// The translation of statement TEXT against SCHEMA. Raises EOleException: the syntax errors
// of ParseStatement (3308 for a bad TOP among them); 3078 for an unknown table or query (or a
// saved action query used as a table); 3074 for a source named twice in one FROM; 3079 for an
// ambiguous field; 3102 for a saved query that reaches itself and 3360 for saved queries nested
// more than 10 deep; 3306 for a subquery of several columns where one is needed; 3307 for
// union parts of different widths; 3062 for two result columns of one name; 3122 for a value
// outside aggregates and GROUP BY in an aggregate query; 3096 for an aggregate in WHERE, 3098
// in GROUP BY, 3099 in ON, 3095 nested in another; 3127 for an unknown INSERT INTO field, 3063
// for one named twice, 3346 for a value count that differs from the field count; 3128 when a
// DELETE through a join names no table of its FROM, 3086 when it names no base table; 3073 for
// an UPDATE setting fields of several tables or of no table; for crosstabs 3070 (undeclared
// parameter), 3092 (HAVING), 3123 ("*"), 3104 (a heading twice), 3143 (no aggregate); 3085 for
// an unknown function. The result is the caller's.
TranslatedQuery TranslateQuery(std::string_view text, const QuerySchema& schema,
                               const QueryTranslateOptions& options = {});

// The crosstab TEXT with its columns fixed to PIVOT_VALUES (the values its pivot_values_sql
// returned, in that order): columns named by the values as text ("<>" for Null). Raises as
// TranslateQuery, and 3205 for more than 250 pivot values. REQUIRES: TEXT is a TRANSFORM.
TranslatedQuery TranslateCrosstab(std::string_view text, const QuerySchema& schema,
                                  const std::vector<Variant>& pivot_values,
                                  const QueryTranslateOptions& options = {});

// The QueryDef type of STATEMENT (a crosstab, an action kind, a union, DDL, ...).
QueryKind KindOfStatement(const ParsedStatement& statement);

}  // namespace qb::jet::sql
