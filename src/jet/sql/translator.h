// jet/sql/translator: turns parsed Jet expressions into SQLite SQL text that calls the
// registered jet_* functions (see sqlite_functions.h). Never passes Jet text through and never
// opens a connection; which table a name belongs to is the resolver's business.
#pragma once
#include <optional>
#include <string>

#include "jet/sql/function_catalog.h"
#include "jet/sql/parsed_expr.h"

namespace qb::jet::sql {

// An expression in SQLite SQL and what is known of its kind.
//
// How kinds travel through SQLite: dates are REAL serials, booleans INTEGER -1/0 and currency
// REAL. SQLite cannot tell a date from a number, so every jet_* function tags its Date,
// Boolean and Currency results with a SQLite subtype, and the translator wraps any other
// expression it knows to be one of those kinds (a #date# literal, a comparison, a resolved Date
// column) in jet_asdate / jet_asbool / jet_ascurrency where it becomes a function's argument.
// A function given an untagged REAL therefore sees a Double: date functions accept it as a
// serial, Format and & show it as a number.
struct TranslatedExpr {
  std::string sql;
  SqlValueType type = SqlValueType::kUnknown;
  bool tagged = false;  // the value already carries its kind's subtype (a jet_* result)
  int dao_type = 0;     // the DAO type when known exactly (a column, an aggregate); 0 otherwise
};

// Decides what a name stands for. The query layer resolves names against the FROM sources and
// parameters; without a resolver a name becomes a quoted SQLite column reference.
class NameResolver {
 public:
  virtual ~NameResolver() = default;
  // SQL and kind for NAME. Raises the engine error for a name it cannot accept.
  virtual TranslatedExpr Resolve(const ParsedName& name) const = 0;
  // A subquery as a value (the kScalar form). The default raises 3251: plain expressions
  // (criteria, defaults, rules) have no subqueries.
  virtual TranslatedExpr ScalarSubquery(const ParsedSubquery& expr) const;
  // A subquery test (Exists, In, Any, All) as a SQLite condition. The default raises 3251.
  virtual std::string SubqueryCondition(const ParsedSubquery& expr) const;
  // An aggregate call (Count, Sum, ...) when CALL is one and aggregates are allowed here;
  // nullopt leaves CALL to the function catalog. The default knows no aggregates.
  virtual std::optional<TranslatedExpr> Aggregate(const ParsedCall& call) const;
};

struct TranslateOptions {
  // Collation of text comparisons (=, <, In, Between); the database layer registers it.
  std::string text_collation = "JETNOCASE";
  const NameResolver* resolver = nullptr;  // not owned; nullptr: quote names as columns
};

// The DAO type a value of kind TYPE reports when nothing more exact is known (Text for kinds
// the translator cannot tell).
int DaoTypeOfKind(SqlValueType type);
// The kind values of DAO type DAO_TYPE have.
SqlValueType KindOfDaoType(int dao_type);

// EXPR as a value (comparisons give -1/0/NULL as Jet does). Raises EOleException 3085 for an
// unknown function, 3075 for a wrong argument count or "*" outside Count(*).
// REQUIRES: EXPR came from the parser (its height is bounded).
TranslatedExpr TranslateExpression(const ParsedExpr& expr, const TranslateOptions& options);

// EXPR as a condition for WHERE, ON, HAVING and CASE WHEN: true rows are those Jet keeps (Null
// and 0 are false). Comparisons stay plain SQLite comparisons so that indexes serve them.
// Raises as TranslateExpression.
std::string TranslateCondition(const ParsedExpr& expr, const TranslateOptions& options);

// VALUE as the argument of a jet_* function: tagged with its kind when the kind is known.
std::string ArgumentSql(const TranslatedExpr& value);
// VALUE as it is written into the field FIELD of DAO_TYPE: converted by jet_store (see
// field_conversion.h), so that the field never holds a value of another type.
std::string StoredValueSql(const TranslatedExpr& value, int dao_type, const std::string& field);

// NAME quoted as a SQLite identifier ("a""b").
std::string QuoteSqliteName(const std::string& name);
// TEXT as a SQLite string literal ('it''s').
std::string QuoteSqliteString(const std::string& text);
// The SQLite spelling of a comparison operator ("<>", "<=", ...); "=" for every other operator.
const char* SqliteComparisonOperator(ParsedOp op);

}  // namespace qb::jet::sql
