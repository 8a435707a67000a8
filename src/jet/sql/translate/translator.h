// jet/sql/translate/translator: turns parsed Jet expressions into SQLite SQL text that calls the
// registered jet_* functions (see sqlite_functions.h). Never passes Jet text through and never
// opens a connection; which table a name belongs to is the resolver's business.
#pragma once
#include <optional>
#include <string>

#include "jet/sql/functions/function_catalog.h"
#include "jet/sql/parse/parsed_expr.h"

namespace qb::jet::sql {

// An expression in SQLite SQL and what is known of its kind.
//
// How kinds travel through SQLite: dates are REAL serials, booleans INTEGER -1/0. SQLite cannot
// tell a date from a number, so every jet_* function tags its Date, Boolean and Currency results
// with a SQLite subtype, and the translator wraps any other expression it knows to be one of
// those kinds (a #date# literal, a comparison, a resolved Date column) in jet_asdate /
// jet_asbool / jet_ascurrency where it becomes a function's argument. A function given an
// untagged REAL therefore sees a Double: date functions accept it as a serial, Format and &
// show it as a number.
//
// Currency is the one kind whose SQLite value is not its number. The rule:
//   - An expression of kind kCurrency (a Currency field, a declared Currency parameter, CCur,
//     Currency arithmetic, Sum/Min/Max/First/Last/Avg of Currency) is the INTEGER of
//     ten-thousandths, exactly as a Currency field stores it; jet_* functions return Currency
//     results in that form with the Currency subtype. Grouping, ordering, Sum, Min and Max work
//     on it as they stand and stay exact.
//   - Where it meets another kind it converts (currency_sql.h): compared with a value of another
//     kind, that value is scaled (a numeric literal exactly at translation, anything else by
//     jet_scaled), so an index on the field still serves; passed to a function it is tagged by
//     jet_ascurrency and arrives as a Currency Variant; stored into a field of another type, or
//     leaving as a result of unknown kind, it becomes its REAL amount (jet_curnum).
//   - A value of another kind stored into a Currency field converts by jet_tocur, which also
//     refuses one outside Currency's range (3349).
//   - Reading a result column of Currency type, INTEGER is ten-thousandths and REAL an amount
//     (the form of a file from before the integer form, and of a union's other parts).
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
// VALUE (the translation of EXPR, when there is one) as it is written into the field FIELD of
// DAO_TYPE: converted by jet_store (see field_conversion.h), so that the field never holds a value
// of another type. Into a Currency field a Currency value or a numeric literal goes as its
// ten-thousandths directly (the literal scaled exactly from its spelling).
std::string StoredValueSql(const ParsedExpr* expr, const TranslatedExpr& value, int dao_type,
                           const std::string& field);
// The SQL of VALUE as a result column: a value of unknown kind that may be a tagged Currency
// leaves as its amount (its column's type does not say Currency).
std::string ResultValueSql(const TranslatedExpr& value);

// NAME quoted as a SQLite identifier ("a""b").
std::string QuoteSqliteName(const std::string& name);
// TEXT as a SQLite string literal ('it''s').
std::string QuoteSqliteString(const std::string& text);
// The SQLite spelling of a comparison operator ("<>", "<=", ...); "=" for every other operator.
const char* SqliteComparisonOperator(ParsedOp op);

}  // namespace qb::jet::sql
