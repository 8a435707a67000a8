// jet/sql/translate/crosstab_translator: TRANSFORM ... PIVOT as a GROUP BY with one aggregate column per
// pivot value (each counting only its own rows). Without an IN list the values come from the
// caller, who runs the values query first.
#include "core/number_text.h"
#include "jet/base/jet_types.h"
#include "jet/sql/translate/query_context.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

constexpr std::size_t kMaxPivotColumns = 250;

struct PivotValue {
  std::string sql;   // SQLite literal, "NULL" for Null
  std::string name;  // the column name
};

std::string LiteralName(const ParsedExpr& expr) {
  if (expr.kind == ParsedExprKind::kLiteral) {
    const auto& lit = static_cast<const ParsedLiteral&>(expr);
    switch (lit.type) {
      case ParsedLiteral::Type::kString: return lit.text;
      case ParsedLiteral::Type::kInteger: return std::to_string(lit.integer);
      case ParsedLiteral::Type::kNull: return "<>";
      case ParsedLiteral::Type::kReal: return Variant(lit.real).ToString();
      case ParsedLiteral::Type::kDate: return Variant::FromDate(lit.real).ToString();
      case ParsedLiteral::Type::kBoolean: return lit.boolean ? "True" : "False";
    }
  }
  return ToJetText(expr);
}

}  // namespace

std::string SqlLiteral(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty: case VarType::Null: return "NULL";
    case VarType::Boolean: return value.ToBool() ? "-1" : "0";
    case VarType::Byte: case VarType::Int16: case VarType::Int32:
      return std::to_string(value.ToInt64());
    case VarType::String: return QuoteSqliteString(value.ToString());
    default: {
      return DoubleToText(value.Type() == VarType::Date ? value.ToDate() : value.ToDouble());
    }
  }
}

TranslatedQuery TranslateTransform(QueryContext& ctx, const ParsedTransform& transform,
                                   const std::vector<Variant>* values) {
  ctx.implicit_parameters_allowed = false;
  const ParsedSelect& select = transform.select;
  if (select.having) {
    RaiseSqlError(err::kHavingInCrosstab, "A crosstab query cannot have a HAVING clause; use WHERE.");
  }
  for (const ParsedSelectItem& item : select.items) {
    if (item.expr->kind == ParsedExprKind::kStar) {
      RaiseSqlError(err::kStarInCrosstab,
                    "'*' is not allowed in a crosstab query (at " +
                        PositionText(item.expr->pos) + ").");
    }
  }
  TranslatedQuery out;
  out.kind = QueryKind::kCrosstab;
  Scope scope;
  BlockSql block = TranslateBlock(ctx, select, scope);
  ScopeResolver pivot_resolver(ctx, scope, false, err::kAggregateNotAllowed);
  TranslatedExpr pivot = pivot_resolver.Value(*transform.pivot);
  std::string collate = CollateFor(ctx, pivot.type);

  std::vector<PivotValue> pivots;
  if (!transform.pivot_in.empty()) {
    for (const ParsedExprPtr& item : transform.pivot_in) {
      pivots.push_back({pivot_resolver.Value(*item).sql, LiteralName(*item)});
    }
  } else if (values) {
    for (const Variant& value : *values) {
      std::string name;
      if (value.IsNull() || value.IsEmpty()) {
        name = "<>";
      } else if (pivot.type == SqlValueType::kDate && value.Type() != VarType::String) {
        name = Variant::FromDate(value.ToDouble()).ToString();
      } else {
        name = value.ToString();
      }
      pivots.push_back({SqlLiteral(value), name});
    }
  } else {
    // The values query: distinct pivot values of the rows the crosstab reads, ascending.
    Scope values_scope;
    std::string from = BindFromList(ctx, select.from, values_scope);
    ScopeResolver values_resolver(ctx, values_scope, false, err::kAggregateInWhere);
    out.pivot_values_sql = "SELECT DISTINCT " + values_resolver.Value(*transform.pivot).sql +
                           collate + " AS \"jet_pivot\"";
    if (!from.empty()) out.pivot_values_sql += " FROM " + from;
    if (select.where) out.pivot_values_sql += " WHERE " + values_resolver.Condition(*select.where);
    out.pivot_values_sql += " ORDER BY 1";
    out.columns = block.columns;
    return out;
  }
  if (pivots.size() > kMaxPivotColumns) {
    RaiseSqlError(err::kTooManyCrosstabHeaders, "Too many crosstab column headers (" + std::to_string(pivots.size()) +
                            "; at most " + std::to_string(kMaxPivotColumns) + ").");
  }
  std::string cells;
  out.columns = block.columns;
  for (const PivotValue& value : pivots) {
    for (const TranslatedColumn& column : out.columns) {
      if (SameName(column.name, value.name)) {
        RaiseSqlError(err::kCrosstabHeadingTwice, "The crosstab column heading '" + value.name +
                                "' is specified more than once.");
      }
    }
    ScopeResolver cell(ctx, scope, true, err::kAggregateNotAllowed);
    std::string filter =
        "(" + pivot.sql + " IS " + value.sql + (value.sql == "NULL" ? "" : collate) + ")";
    cell.SetAggregateFilter(filter);
    TranslatedExpr sql = cell.Value(*transform.aggregate);
    if (!cell.saw_aggregate()) {
      RaiseSqlError(err::kSyntaxInTransform,
                    "The TRANSFORM value must use an aggregate function (at " +
                        PositionText(transform.aggregate->pos) + ").");
    }
    // A cell no row reaches is Null, whatever the aggregate (Count included).
    cells += ", (CASE WHEN count(CASE WHEN " + filter + " THEN 1 END) = 0 THEN NULL ELSE " +
             sql.sql + " END) AS " + QuoteSqliteName(value.name);
    TranslatedColumn column;
    column.name = value.name;
    column.dao_type = sql.dao_type ? sql.dao_type : DaoTypeOfKind(sql.type);
    out.columns.push_back(column);
  }
  std::vector<OrderKey> order = block.order;
  if (order.empty()) {
    for (std::size_t i = 0; i < block.columns.size(); ++i) {
      order.push_back({std::to_string(i + 1) + CollateFor(ctx, block.kinds[i]), false});
    }
  }
  out.sql = "SELECT " + block.select_list + cells + block.rest + OrderText(order);
  return out;
}

}  // namespace qb::jet::sql
