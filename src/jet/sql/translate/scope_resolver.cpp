// jet/sql/translate/scope_resolver: what names, subqueries and aggregates mean inside a query: columns of
// the FROM sources (innermost scope first), output aliases, then parameters (declared, else
// implicit, as Jet treats any name it cannot resolve). Also binds FROM sources.
#include <cctype>

#include "jet/base/jet_types.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_context.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

using T = SqlValueType;

std::string NameText(const ParsedName& name) {
  std::string text = name.parts[0];
  for (std::size_t i = 1; i < name.parts.size(); ++i) {
    text += i - 1 < name.bang.size() && name.bang[i - 1] ? '!' : '.';
    text += name.parts[i];
  }
  return text;
}

const BoundColumn* FindColumn(const BoundSource& source, const std::string& name) {
  for (const BoundColumn& column : source.columns) {
    if (SameName(column.name, name)) return &column;
  }
  return nullptr;
}

TranslatedExpr ColumnExpr(const BoundSource& source, const BoundColumn& column) {
  TranslatedExpr expr;
  expr.sql = source.sql_name + "." + QuoteSqliteName(column.name);
  expr.dao_type = column.dao_type;
  expr.type = KindOfDaoType(column.dao_type);
  return expr;
}

struct AggregateInfo {
  const char* name;
  const char* sqlite;
};

constexpr AggregateInfo kAggregates[] = {
    {"Count", "count"},     {"Sum", "sum"},         {"Avg", "avg"},
    {"Min", "min"},         {"Max", "max"},         {"First", "jet_first"},
    {"Last", "jet_last"},   {"StDev", "jet_stdev"}, {"StDevP", "jet_stdevp"},
    {"Var", "jet_var"},     {"VarP", "jet_varp"},
};

// Jet's result type of aggregate NAME over an argument of DAO type ARG.
int AggregateType(std::string_view name, int arg) {
  using namespace dao_type;
  if (name == "Count") return kLong;
  if (name == "Min" || name == "Max" || name == "First" || name == "Last") return arg;
  if (name == "Sum") {
    if (arg == kByte || arg == kInteger || arg == kLong || arg == kBoolean) return kLong;
    if (arg == kCurrency) return kCurrency;
    return kDouble;
  }
  if (name == "Avg") return arg == kCurrency ? kCurrency : kDouble;
  return kDouble;
}

}  // namespace

std::string CollateFor(const QueryContext& ctx, SqlValueType kind) {
  if (kind != T::kText || ctx.options().text_collation.empty()) return "";
  return " COLLATE " + QuoteSqliteName(ctx.options().text_collation);
}

void QueryContext::Declare(const std::vector<ParsedParameter>& parameters) {
  for (const ParsedParameter& param : parameters) {
    bool known = false;
    for (const TranslatedParameter& p : parameters_) known = known || SameName(p.name, param.name);
    if (!known) parameters_.push_back({param.name, param.dao_type, true});
  }
}

TranslatedExpr QueryContext::Parameter(const std::string& name, const SourcePos& pos) {
  std::size_t index = 0;
  for (; index < parameters_.size(); ++index) {
    if (SameName(parameters_[index].name, name)) break;
  }
  if (index == parameters_.size()) {
    if (!implicit_parameters_allowed) {
      RaiseSqlError(err::kNameNotRecognised,
                    "'" + name + "' at " + PositionText(pos) +
                        " is not a valid field name or expression: a crosstab query must "
                        "declare its parameters in a PARAMETERS clause.");
    }
    parameters_.push_back({name, dao_type::kText, false});
  }
  TranslatedExpr expr;
  expr.sql = "?" + std::to_string(index + 1);
  if (parameters_[index].declared) {
    expr.dao_type = parameters_[index].dao_type;
    expr.type = KindOfDaoType(expr.dao_type);
    if (expr.type == SqlValueType::kDate) {
      // A date parameter's value may come as text ("1996-01-01"): it is the date it reads as.
      expr.sql = "jet_asdate(" + expr.sql + ")";
      expr.tagged = true;
    } else if (expr.dao_type == dao_type::kCurrency) {
      // A Currency parameter takes whatever value it is given as an amount.
      expr.sql = "jet_tocur(" + expr.sql + ")";
      expr.tagged = true;
    }
  }
  return expr;
}

TranslateOptions ScopeResolver::Options() const {
  TranslateOptions options;
  options.text_collation = ctx_.options().text_collation;
  options.resolver = this;
  return options;
}

TranslatedExpr ScopeResolver::Value(const ParsedExpr& expr) const {
  return TranslateExpression(expr, Options());
}

std::string ScopeResolver::Condition(const ParsedExpr& expr) const {
  return TranslateCondition(expr, Options());
}

TranslatedExpr ScopeResolver::Resolve(const ParsedName& name) const {
  last_column_ = nullptr;
  if (name.parts.size() <= 2) {
    for (const Scope* scope = &scope_; scope; scope = scope->outer) {
      const BoundSource* found_source = nullptr;
      const BoundColumn* found = nullptr;
      for (const BoundSource& source : scope->sources) {
        if (name.parts.size() == 2 && !SameName(source.name, name.parts[0])) continue;
        const BoundColumn* column = FindColumn(source, name.parts.back());
        if (!column) continue;
        if (found) {
          RaiseSqlError(err::kAmbiguousField,
                        "The field '" + NameText(name) + "' at " + PositionText(name.pos) +
                            " could refer to more than one table in the FROM clause.");
        }
        found = column;
        found_source = &source;
      }
      if (found) {
        if (mark_ && scope == &scope_) const_cast<BoundSource*>(found_source)->referenced = true;
        last_column_ = found;
        TranslatedExpr expr = ColumnExpr(*found_source, *found);
        if (ctx_.options().currency_amounts && expr.type == T::kCurrency && !found_source->table.empty()) {
          // A file not yet converted holds REAL amounts: read them as ten-thousandths.
          expr.sql = "jet_ascurrency(" + expr.sql + ")";
          expr.tagged = true;
        }
        if (scope == &scope_ && !in_aggregate_) loose_columns_.push_back(expr.sql);
        return expr;
      }
    }
    if (name.parts.size() == 1) {
      for (const auto& [alias, expr] : scope_.aliases) {
        if (SameName(alias, name.parts[0])) {
          TranslatedExpr copy = expr;
          copy.sql = "(" + copy.sql + ")";
          return copy;
        }
      }
    }
  }
  return ctx_.Parameter(NameText(name), name.pos);
}

TranslatedExpr ScopeResolver::ScalarSubquery(const ParsedSubquery& expr) const {
  SelectSql sub = TranslateSelectTree(ctx_, *expr.query, &scope_);
  if (sub.columns.size() != 1) {
    RaiseSqlError(err::kSubqueryColumns,
                  "The subquery at " + PositionText(expr.pos) +
                      " may return more than one field; use EXISTS or select one field.");
  }
  TranslatedExpr result;
  result.sql = "(" + sub.sql + ")";
  result.dao_type = sub.columns[0].dao_type;
  result.type = sub.kinds[0];
  return result;
}

std::string ScopeResolver::SubqueryCondition(const ParsedSubquery& expr) const {
  if (expr.form == ParsedSubquery::Form::kExists) {
    SelectSql sub = TranslateSelectTree(ctx_, *expr.query, &scope_);
    return std::string(expr.negated ? "(NOT " : "(") + "EXISTS (" + sub.sql + "))";
  }
  TranslatedExpr value = Value(*expr.value);  // first: parameters number in text order
  SelectSql sub = TranslateSelectTree(ctx_, *expr.query, &scope_);
  if (sub.columns.size() != 1) {
    RaiseSqlError(err::kSubqueryColumns,
                  "The subquery at " + PositionText(expr.pos) +
                      " may return more than one field; select one field.");
  }
  std::string collate = CollateFor(ctx_, value.type == T::kText ? T::kText : sub.kinds[0]);
  if (value.type != T::kUnknown && value.type != T::kText) collate.clear();
  if (expr.form == ParsedSubquery::Form::kIn) {
    return "(" + value.sql + collate + (expr.negated ? " NOT IN (" : " IN (") + sub.sql + "))";
  }
  const char* op = SqliteComparisonOperator(expr.op);
  std::string q = ctx_.NewAlias();
  std::string compare =
      "(" + value.sql + " " + op + " " + q + "." + QuoteSqliteName(sub.columns[0].name) +
      collate + ")";
  if (expr.form == ParsedSubquery::Form::kAny) {
    return "(EXISTS (SELECT 1 FROM (" + sub.sql + ") AS " + q + " WHERE " + compare + "))";
  }
  // All: no row where the comparison fails or is unknown.
  return "(NOT EXISTS (SELECT 1 FROM (" + sub.sql + ") AS " + q + " WHERE " + compare +
         " IS NOT 1))";
}

std::optional<TranslatedExpr> ScopeResolver::Aggregate(const ParsedCall& call) const {
  const AggregateInfo* info = nullptr;
  for (const AggregateInfo& candidate : kAggregates) {
    if (SameName(candidate.name, call.function)) info = &candidate;
  }
  if (!info) return std::nullopt;
  if (!aggregates_allowed_) {
    RaiseSqlError(aggregate_error_, "The aggregate function " + std::string(info->name) +
                                        " at " + PositionText(call.pos) +
                                        " is not allowed in this clause.");
  }
  if (in_aggregate_) {
    RaiseSqlError(err::kAggregateNotAllowed,
                  "Aggregate functions cannot be nested (" + std::string(info->name) + " at " +
                      PositionText(call.pos) + ").");
  }
  if (call.args.size() != 1) {
    RaiseSqlError(err::kSyntaxInExpression, "Wrong number of arguments used with function '" +
                                                   call.function + "' at " +
                                                   PositionText(call.pos) + ".");
  }
  saw_aggregate_ = true;
  std::string_view name = info->name;
  TranslatedExpr result;
  if (call.args[0]->kind == ParsedExprKind::kStar) {
    if (name != "Count" || !static_cast<const ParsedStar&>(*call.args[0]).qualifier.empty()) {
      RaiseSqlError(err::kSyntaxInExpression,
                    "'*' is only allowed in Count(*) (at " + PositionText(call.pos) + ").");
    }
    result.sql = filter_.empty() ? "count(*)" : "count(CASE WHEN " + filter_ + " THEN 1 END)";
    result.dao_type = dao_type::kLong;
    result.type = T::kNumber;
    return result;
  }
  in_aggregate_ = true;
  TranslatedExpr arg;
  try {
    arg = Value(*call.args[0]);
  } catch (...) {
    in_aggregate_ = false;
    throw;
  }
  in_aggregate_ = false;
  int arg_type = arg.dao_type ? arg.dao_type : DaoTypeOfKind(arg.type);
  std::string arg_sql = arg.sql;
  // Currency arguments are ten-thousandths (translator.h): Sum, Min, Max, First and Last keep
  // them exactly; the spread aggregates work on amounts; a value of unknown kind counts as
  // its amount.
  const bool currency = arg.type == T::kCurrency;
  const bool keeps_scale = name == "Count" || name == "Sum" || name == "Avg" || name == "Min" || name == "Max" ||
                           name == "First" || name == "Last";
  if (currency && !keeps_scale) {
    arg_sql = "(" + arg_sql + " / 10000.0)";
  } else if (!currency) {
    arg_sql = ResultValueSql(arg);
  }
  if (name == "Min" || name == "Max") arg_sql += CollateFor(ctx_, arg.type);
  const bool first_last = name == "First" || name == "Last";
  if (!filter_.empty()) {
    if (first_last) {
      arg_sql += ", " + filter_;
    } else {
      arg_sql = "CASE WHEN " + filter_ + " THEN " + arg_sql + " END";
    }
  }
  result.sql = std::string(info->sqlite) + "(" + arg_sql + ")";
  // The mean of ten-thousandths, rounded to a whole one.
  if (currency && name == "Avg") result.sql = "CAST(round(" + result.sql + ") AS INTEGER)";
  result.dao_type = AggregateType(name, arg_type);
  result.type = KindOfDaoType(result.dao_type);
  return result;
}

namespace {

// Saved queries inlined inside each other: each brings its own expression depth, so the
// nesting is bounded to keep translation off the end of the stack (and the SQL within what
// SQLite's parser accepts).
constexpr std::size_t kMaxSavedQueryNesting = 10;

// A saved query used as a source: its translation, inlined.
SelectSql TranslateSavedQuery(QueryContext& ctx, const SchemaObject& object,
                              const SourcePos& pos) {
  for (const std::string& active : ctx.query_stack) {
    if (SameName(active, object.name)) {
      RaiseSqlError(err::kCircularReference,
                    "Circular reference: the query '" + object.name + "' (at " +
                        PositionText(pos) + ") refers to itself.");
    }
  }
  if (ctx.query_stack.size() >= kMaxSavedQueryNesting) {
    RaiseSqlError(err::kQueryTooComplex, "Query is too complex: saved queries nest more than " +
                            std::to_string(kMaxSavedQueryNesting) + " deep at '" + object.name +
                            "'.");
  }
  ParsedStatement statement = ParseStatement(object.sql);
  auto* query_statement = std::get_if<ParsedQueryStatement>(&statement);
  const ParsedQuery* query =
      query_statement ? std::get_if<ParsedQuery>(&query_statement->body) : nullptr;
  if (!query || !query->parts.front().into.empty()) {
    RaiseSqlError(err::kInputNotFound,
                  "The query '" + object.name + "' (at " + PositionText(pos) +
                      ") returns no rows and cannot be used as a table.");
  }
  ctx.Declare(query_statement->parameters);
  ctx.query_stack.push_back(object.name);
  SelectSql sql = TranslateSelectTree(ctx, *query, nullptr);
  ctx.query_stack.pop_back();
  return sql;
}

BoundSource SourceFromSelect(const SelectSql& sql, std::string name, std::string sql_name) {
  BoundSource bound;
  bound.name = std::move(name);
  bound.sql_name = std::move(sql_name);
  for (const TranslatedColumn& column : sql.columns) {
    bound.columns.push_back(
        {column.name, column.dao_type, column.size, column.source_table, column.source_field});
  }
  if (!sql.row_key_table.empty()) {
    bound.key_table = sql.row_key_table;
    bound.fetch_from = "(" + sql.row_fetch_sql + ") AS " + bound.sql_name;
  }
  bound.source_keys = sql.source_keys;
  return bound;
}

}  // namespace

std::string BindSource(QueryContext& ctx, const ParsedSource& source, Scope& scope, bool nested) {
  switch (source.kind) {
    case ParsedSource::Kind::kTable: {
      std::optional<SchemaObject> object = ctx.schema().Find(source.name);
      if (!object) {
        RaiseSqlError(err::kInputNotFound,
                      "Cannot find the input table or query '" + source.name + "' (at " +
                          PositionText(source.pos) + ").");
      }
      std::string name = source.alias.empty() ? object->name : source.alias;
      for (const BoundSource& other : scope.sources) {
        if (SameName(other.name, name)) {
          RaiseSqlError(err::kRepeatedTableName, "Cannot repeat the table name '" + name +
                                  "' in the FROM clause (at " + PositionText(source.pos) +
                                  "); give one an alias.");
        }
      }
      std::string alias = ctx.NewAlias();
      if (object->kind == SchemaObject::Kind::kQuery) {
        if (ctx.options().with_row_key) ctx.RequestRowKey();
        SelectSql sql = TranslateSavedQuery(ctx, *object, source.pos);
        scope.sources.push_back(SourceFromSelect(sql, name, alias));
        return "(" + sql.sql + ") AS " + alias;
      }
      BoundSource bound;
      bound.name = name;
      bound.sql_name = alias;
      bound.table = object->name;
      bound.nested = nested;
      ctx.NoteTableRead(object->name);
      for (const SchemaColumn& column : object->columns) {
        bound.columns.push_back(
            {column.name, column.dao_type, column.size, object->name, column.name});
      }
      bound.fetch_from = QuoteSqliteName(object->name) + " AS " + alias;
      scope.sources.push_back(std::move(bound));
      if (nested) return "(SELECT rowid AS qb_rowid, * FROM " + QuoteSqliteName(object->name) + ") AS " + alias;
      return QuoteSqliteName(object->name) + " AS " + alias;
    }
    case ParsedSource::Kind::kSubquery: {
      if (ctx.options().with_row_key) ctx.RequestRowKey();
      SelectSql sql = TranslateSelectTree(ctx, *source.subquery, nullptr);
      std::string alias = ctx.NewAlias();
      scope.sources.push_back(SourceFromSelect(sql, source.alias, alias));
      return "(" + sql.sql + ") AS " + alias;
    }
    case ParsedSource::Kind::kJoin: {
      // Left-deep chains need no parentheses; a join on the right side of another keeps them.
      auto operand = [&](const ParsedSource& side) {
        const bool parenthesised = side.kind == ParsedSource::Kind::kJoin;
        std::string sql = BindSource(ctx, side, scope, nested || parenthesised);
        return parenthesised ? "(" + sql + ")" : sql;
      };
      // A right join puts its left side on the right, parenthesised when it is a join.
      const bool left_parenthesised =
          source.join == ParsedSource::Join::kRight && source.left->kind == ParsedSource::Kind::kJoin;
      std::string left = BindSource(ctx, *source.left, scope, nested || left_parenthesised);
      std::string right = operand(*source.right);
      ScopeResolver resolver(ctx, scope, false, err::kAggregateInJoin);
      std::string on = resolver.Condition(*source.on);
      switch (source.join) {
        case ParsedSource::Join::kInner:
          return left + " INNER JOIN " + right + " ON " + on;
        case ParsedSource::Join::kLeft:
          return left + " LEFT JOIN " + right + " ON " + on;
        case ParsedSource::Join::kRight:
          if (source.left->kind == ParsedSource::Kind::kJoin) left = "(" + left + ")";
          return right + " LEFT JOIN " + left + " ON " + on;
      }
    }
  }
  return "";
}

std::string BindFromList(QueryContext& ctx, const std::vector<ParsedSourcePtr>& from,
                         Scope& scope) {
  std::string sql;
  for (const ParsedSourcePtr& source : from) {
    if (!sql.empty()) sql += ", ";
    sql += BindSource(ctx, *source, scope);
  }
  return sql;
}

}  // namespace qb::jet::sql
