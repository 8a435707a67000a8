// jet/sql/translate/select_translator: SELECT blocks and unions: select lists (stars expanded, columns
// named as Jet names them, Jet types), clauses, DISTINCTROW and TOP with ties. Statement-level
// concerns (INTO, parameters, kinds) belong to query_translator.cpp.
#include <cmath>

#include "core/number_text.h"
#include "jet/base/jet_types.h"
#include "jet/sql/translate/query_context.h"
#include "jet/sql/translate/source_keys.h"
#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

using T = SqlValueType;

std::string NumberText(double value) { return DoubleToText(value); }

// Appends the columns of SOURCE (a star) to the block.
void ExpandStar(const BoundSource& source, BlockSql& block, std::vector<std::string>& sql_items,
                std::vector<const BoundSource*>& owners) {
  for (const BoundColumn& column : source.columns) {
    sql_items.push_back(source.sql_name + "." + QuoteSqliteName(column.name));
    block.columns.push_back(
        {column.name, column.dao_type, column.size, column.source_table, column.source_field});
    block.kinds.push_back(KindOfDaoType(column.dao_type));
    owners.push_back(&source);
  }
}

// The columns one select-list item or HAVING uses outside aggregates.
struct LooseUse {
  std::string sql;                   // the item's own SQL ("" for HAVING)
  std::vector<std::string> columns;  // columns it uses outside aggregates
  SourcePos pos;
};

bool Contains(const std::vector<std::string>& list, const std::string& text) {
  for (const std::string& item : list) {
    if (item == text) return true;
  }
  return false;
}

// In an aggregate query every value outside an aggregate must be grouped (Jet's 3122; SQLite
// would quietly take a value from some row of the group).
void CheckGrouping(const std::vector<LooseUse>& uses, const std::vector<std::string>& grouped) {
  for (const LooseUse& use : uses) {
    if (!use.sql.empty() && Contains(grouped, use.sql)) continue;
    for (const std::string& column : use.columns) {
      if (!Contains(grouped, column)) {
        RaiseSqlError(err::kNotInAggregate, "The query at " + PositionText(use.pos) +
                                " uses a field that is neither part of an aggregate function "
                                "nor of the GROUP BY clause.");
      }
    }
  }
}

// What the select list builds besides the block's columns, one entry per column.
struct SelectList {
  std::vector<std::string> sql_items;
  std::vector<const BoundSource*> owners;  // the source of a plain column, else nullptr
  std::vector<bool> named;                 // the name came from an alias or Expr1000
  std::vector<LooseUse> loose;             // what each item uses outside aggregates
  int expr_number = 1000;
};

// Adds the columns of a star item ("*" or "T.*").
void AddStarItem(const ParsedStar& star, Scope& scope, BlockSql& block, SelectList& list) {
  bool found = star.qualifier.empty();
  for (BoundSource& source : scope.sources) {
    if (!star.qualifier.empty() && (star.qualifier.size() != 1 || !SameName(star.qualifier[0], source.name))) {
      continue;
    }
    found = true;
    source.referenced = true;
    std::size_t before = block.columns.size();
    ExpandStar(source, block, list.sql_items, list.owners);
    for (std::size_t i = before; i < block.columns.size(); ++i) {
      list.loose.push_back({list.sql_items[i], {list.sql_items[i]}, star.pos});
    }
    list.named.resize(list.named.size() + block.columns.size() - before, false);
  }
  if (!found || scope.sources.empty()) {
    RaiseSqlError(err::kInputNotFound,
                  std::string(scope.sources.empty() ? "A query with '*' needs a FROM clause"
                                                    : "The table of '*' is not in the FROM "
                                                      "clause") +
                      " (at " + PositionText(star.pos) + ").");
  }
}

// The source, in SCOPE or a scope around it, that COLUMN belongs to.
const BoundSource* OwnerOf(const Scope& scope, const BoundColumn* column) {
  for (const Scope* s = &scope; s; s = s->outer) {
    for (const BoundSource& source : s->sources) {
      for (const BoundColumn& c : source.columns) {
        if (&c == column) return &source;
      }
    }
  }
  return nullptr;
}

// Adds one value item of the select list.
void AddValueItem(QueryContext& ctx, const ParsedSelectItem& item, Scope& scope, ScopeResolver& items,
                  BlockSql& block, SelectList& list) {
  items.TakeLooseColumns();
  TranslatedExpr value = items.Value(*item.expr);
  list.loose.push_back({value.sql, items.TakeLooseColumns(), item.expr->pos});
  const BoundColumn* column = item.expr->kind == ParsedExprKind::kName ? items.last_column() : nullptr;
  TranslatedColumn out;
  out.dao_type = value.dao_type ? value.dao_type : DaoTypeOfKind(value.type);
  const BoundSource* owner = nullptr;
  if (column) {
    out.name = column->name;
    out.size = column->size;
    out.source_table = column->source_table;
    out.source_field = column->source_field;
    owner = OwnerOf(scope, column);
  }
  if (!item.alias.empty()) {
    out.name = item.alias;
  } else if (!column) {
    out.name = "Expr" + std::to_string(list.expr_number++);
  }
  list.named.push_back(!item.alias.empty() || !column);
  std::string sql = ResultValueSql(value);
  if (!column) sql += CollateFor(ctx, value.type);
  list.sql_items.push_back(sql);
  block.columns.push_back(out);
  block.kinds.push_back(value.type);
  list.owners.push_back(owner);
  if (!item.alias.empty()) scope.aliases.emplace_back(item.alias, value);
}

// Names the columns as Jet does and writes the select list: two plain columns of one name from
// different sources are named "source.field"; two columns left with one name are an error.
void NameColumns(const SelectList& list, BlockSql& block) {
  std::vector<bool> qualify(block.columns.size(), false);
  for (std::size_t i = 0; i < block.columns.size(); ++i) {
    if (list.named[i] || !list.owners[i]) continue;
    for (std::size_t j = 0; j < block.columns.size(); ++j) {
      if (j != i && list.owners[j] != list.owners[i] && SameName(block.columns[j].name, block.columns[i].name)) {
        qualify[i] = true;
      }
    }
  }
  for (std::size_t i = 0; i < block.columns.size(); ++i) {
    if (qualify[i]) block.columns[i].name = list.owners[i]->name + "." + block.columns[i].name;
  }
  for (std::size_t i = 0; i < block.columns.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (SameName(block.columns[j].name, block.columns[i].name)) {
        RaiseSqlError(err::kDuplicateAlias, "Duplicate output alias '" + block.columns[i].name + "'.");
      }
    }
    if (!block.select_list.empty()) block.select_list += ", ";
    block.select_list += list.sql_items[i] + " AS " + QuoteSqliteName(block.columns[i].name);
  }
}

// The select list of SELECT, its items resolved by ITEMS.
SelectList TranslateSelectList(QueryContext& ctx, const ParsedSelect& select, Scope& scope, ScopeResolver& items,
                               BlockSql& block) {
  SelectList list;
  for (const ParsedSelectItem& item : select.items) {
    if (item.expr->kind == ParsedExprKind::kStar) {
      AddStarItem(static_cast<const ParsedStar&>(*item.expr), scope, block, list);
    } else {
      AddValueItem(ctx, item, scope, items, block, list);
    }
  }
  NameColumns(list, block);
  return list;
}

// Appends GROUP BY; returns the group expressions and the columns they use.
std::vector<std::string> TranslateGroupBy(QueryContext& ctx, const ParsedSelect& select, Scope& scope,
                                          BlockSql& block) {
  std::vector<std::string> grouped_sql;
  if (select.group_by.empty()) return grouped_sql;
  ScopeResolver group(ctx, scope, false, err::kAggregateInGroupBy);
  std::string list;
  for (const ParsedExprPtr& expr : select.group_by) {
    TranslatedExpr value = group.Value(*expr);
    grouped_sql.push_back(value.sql);
    for (std::string& column : group.TakeLooseColumns()) grouped_sql.push_back(column);
    if (!list.empty()) list += ", ";
    list += value.sql + CollateFor(ctx, value.type);
  }
  block.rest += " GROUP BY " + list;
  return grouped_sql;
}

// DISTINCTROW over sources not all in the select list: grouped by the rowids of the referenced
// tables (true), or DISTINCT where some referenced source is no table.
bool ApplyDistinctRow(const Scope& scope, BlockSql& block) {
  bool all_referenced = true;
  bool all_tables = true;
  std::string rowids;
  for (const BoundSource& source : scope.sources) {
    all_referenced = all_referenced && source.referenced;
    if (!source.referenced) continue;
    if (source.table.empty()) all_tables = false;
    if (!rowids.empty()) rowids += ", ";
    rowids += source.RowidSql();
  }
  if (all_referenced) return false;
  if (all_tables && !rowids.empty()) {
    block.rest += " GROUP BY " + rowids;
    return true;
  }
  block.distinct = true;
  return false;
}

// Appends HAVING; true when it uses an aggregate. Its loose columns join LOOSE.
bool TranslateHaving(QueryContext& ctx, const ParsedSelect& select, Scope& scope, bool grouped, BlockSql& block,
                     std::vector<LooseUse>& loose) {
  ScopeResolver having(ctx, scope, true, err::kAggregateNotAllowed);
  // This SQLite wants a GROUP BY before HAVING; one constant group stands for "all rows".
  // It differs from Jet only on empty input, where Jet's one row may pass the HAVING.
  if (!grouped) block.rest += " GROUP BY 'all'";
  block.rest += " HAVING " + having.Condition(*select.having);
  loose.push_back({"", having.TakeLooseColumns(), select.having->pos});
  return having.saw_aggregate();
}

void TranslateOrderBy(QueryContext& ctx, const ParsedSelect& select, Scope& scope, BlockSql& block) {
  if (select.order_by.empty()) return;
  ScopeResolver order(ctx, scope, true, err::kAggregateInOrderBy);
  for (const ParsedOrderItem& item : select.order_by) {
    TranslatedExpr value = order.Value(*item.expr);
    block.order.push_back({value.sql + CollateFor(ctx, value.type), item.descending});
  }
}

}  // namespace

BlockSql TranslateBlock(QueryContext& ctx, const ParsedSelect& select, Scope& scope) {
  BlockSql block;
  std::string from = BindFromList(ctx, select.from, scope);
  ScopeResolver items(ctx, scope, true, err::kAggregateNotAllowed);
  items.SetMarkReferences(true);
  SelectList list = TranslateSelectList(ctx, select, scope, items, block);

  if (!from.empty()) block.rest = " FROM " + from;
  if (select.where) {
    ScopeResolver where(ctx, scope, false, err::kAggregateInWhere);
    block.rest += " WHERE " + where.Condition(*select.where);
  }
  const bool grouped = !select.group_by.empty();
  const std::vector<std::string> grouped_sql = TranslateGroupBy(ctx, select, scope, block);
  if (select.predicate == ParsedSelect::Predicate::kDistinct) block.distinct = true;
  bool rows_grouped = false;  // DISTINCTROW grouped by the rowids of some sources
  if (select.predicate == ParsedSelect::Predicate::kDistinctRow && !grouped && !items.saw_aggregate()) {
    rows_grouped = ApplyDistinctRow(scope, block);
  }
  bool aggregated = grouped || items.saw_aggregate();
  if (select.having) aggregated = TranslateHaving(ctx, select, scope, grouped, block, list.loose) || aggregated;
  if (aggregated) CheckGrouping(list.loose, grouped_sql);
  NoteRowKey(scope, aggregated, block);
  NoteSourceKeys(scope, aggregated, rows_grouped, block);
  if (!block.source_keys.empty()) block.item_sql = list.sql_items;
  TranslateOrderBy(ctx, select, scope, block);
  return block;
}

std::string OrderText(const std::vector<OrderKey>& order) {
  std::string sql;
  for (const OrderKey& key : order) {
    sql += sql.empty() ? " ORDER BY " : ", ";
    sql += key.sql;
    if (key.descending) sql += " DESC";
  }
  return sql;
}

namespace {

// The block with TOP applied. Without ORDER BY, TOP is a plain LIMIT. With it, ties on the
// keys are kept: a row stays unless it sorts after the n-th row.
std::string ApplyTop(QueryContext& ctx, const ParsedSelect& select, const BlockSql& block,
                     bool* wrapped) {
  std::string head = block.distinct ? "SELECT DISTINCT " : "SELECT ";
  if (!select.top) {
    return head + block.select_list + block.rest + OrderText(block.order);
  }
  *wrapped = true;
  const std::string top_name = ctx.NewAlias();
  std::string count;  // how many rows TOP asks for, as SQL
  if (select.top_percent) {
    std::string share = "(count(*) * " + NumberText(*select.top) + " / 100.0)";
    count = "(SELECT CAST(" + share + " AS INTEGER) + (" + share + " > CAST(" + share +
            " AS INTEGER)) FROM " + top_name + ")";
  } else {
    count = NumberText(*select.top);
  }
  if (block.order.empty()) {
    std::string base = head + block.select_list + block.rest;
    if (!select.top_percent) return base + " LIMIT " + count;
    return "WITH " + top_name + " AS (" + base + ") SELECT * FROM " + top_name + " LIMIT " +
           count;
  }
  // The base rows carry their sort keys as extra columns jet_k1, jet_k2, ...
  std::string base = head + block.select_list;
  std::vector<std::string> keys;
  std::vector<OrderKey> outer_order;
  for (std::size_t i = 0; i < block.order.size(); ++i) {
    std::string key = QuoteSqliteName("jet_k" + std::to_string(i + 1));
    base += ", " + block.order[i].sql + " AS " + key;
    keys.push_back(key);
    // The key's collation, if any, travels with the sort.
    std::string collate;
    std::size_t at = block.order[i].sql.rfind(" COLLATE ");
    if (at != std::string::npos) collate = block.order[i].sql.substr(at);
    outer_order.push_back({key + collate, block.order[i].descending});
  }
  base += block.rest;
  // The n-th row is a query of its own, so every key compares against it by name and the text
  // stays linear in the number of keys (a long ORDER BY once made it cubic to build).
  const std::string nth_name = ctx.NewAlias();
  const std::string nth = "SELECT * FROM " + top_name + OrderText(outer_order) + " LIMIT 1 OFFSET (" +
                          count + ") - 1";
  // "Row sorts after the n-th row", key by key: later on key 1, or equal there and later on key 2...
  std::string after;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& k = outer_order[i].sql;  // key with collation
    const std::string v = "(SELECT " + keys[i] + " FROM " + nth_name + ")";
    const std::string later = outer_order[i].descending
                                  ? "(COALESCE(" + k + " < " + v + ", 0) OR (" + keys[i] +
                                        " IS NULL AND " + v + " IS NOT NULL))"
                                  : "(COALESCE(" + k + " > " + v + ", 0) OR (" + keys[i] +
                                        " IS NOT NULL AND " + v + " IS NULL))";
    if (i + 1 == keys.size()) {
      after += later;
    } else {
      after += "(" + later + " OR (" + k + " IS " + v + " AND ";
    }
  }
  after.append(2 * (keys.size() - 1), ')');
  std::string columns;
  for (const TranslatedColumn& column : block.columns) {
    if (!columns.empty()) columns += ", ";
    columns += QuoteSqliteName(column.name);
  }
  return "WITH " + top_name + " AS (" + base + "), " + nth_name + " AS (" + nth + ") SELECT " +
         columns + " FROM " + top_name + " WHERE (" + count + ") >= 1 AND (NOT EXISTS (SELECT 1 FROM " +
         nth_name + ") OR NOT " + after + ")" + OrderText(outer_order);
}

}  // namespace

namespace {

// Puts the row key (or the sources' keys) in front of the block's columns when the caller asked
// for rows it can write back: only a single block without TOP has rows of its own.
void AddRowKeys(const ParsedQuery& query, const ParsedSelect& part, BlockSql& block, SelectSql& result) {
  if (query.parts.size() != 1 || part.top) return;
  if (!block.row_key_sql.empty()) {
    block.select_list = block.row_key_sql + " AS " + QuoteSqliteName(kRowKeyColumn) + ", " + block.select_list;
    result.row_key_table = block.row_key_table;
    result.row_fetch_sql = "SELECT " + block.select_list + " FROM " + block.fetch_from;
  } else if (!block.source_keys.empty()) {
    PrependSourceKeys(block, result);
  }
}

// The SQL of a later part of a union (SQL its own block's), with its columns converted where the
// first part stores them otherwise: a column is Currency (ten-thousandths) in every part or in
// none, and the first part decides.
std::string LaterUnionPart(const SelectSql& result, const BlockSql& block, std::string sql) {
  std::string converted;
  bool converts = false;
  for (std::size_t c = 0; c < block.columns.size(); ++c) {
    TranslatedExpr value;
    value.sql = "jet_part." + QuoteSqliteName(block.columns[c].name);
    value.type = block.kinds[c];
    const bool currency = result.kinds[c] == SqlValueType::kCurrency;
    const bool differs = currency ? value.type == SqlValueType::kNumber : value.type == SqlValueType::kCurrency;
    const std::string stored =
        differs ? StoredValueSql(nullptr, value, currency ? dao_type::kCurrency : dao_type::kDouble,
                                 block.columns[c].name) : value.sql;
    converts = converts || stored != value.sql;
    converted += (c ? ", " : "") + stored + " AS " + QuoteSqliteName(block.columns[c].name);
  }
  if (converts) sql = "SELECT " + converted + " FROM (" + sql + ") AS jet_part";
  return sql;
}

// The index of the first part's column that a union's trailing ORDER BY item names (by name or
// by number); raises when it names none.
std::size_t UnionOrderColumn(const SelectSql& result, const ParsedOrderItem& item) {
  if (item.expr->kind == ParsedExprKind::kName) {
    const auto& name = static_cast<const ParsedName&>(*item.expr);
    for (std::size_t c = 0; c < result.columns.size(); ++c) {
      if (SameName(result.columns[c].name, name.parts.back())) return c;
    }
  } else if (item.expr->kind == ParsedExprKind::kLiteral &&
             static_cast<const ParsedLiteral&>(*item.expr).type == ParsedLiteral::Type::kInteger) {
    auto n = static_cast<const ParsedLiteral&>(*item.expr).integer;
    if (n >= 1 && n <= static_cast<std::int64_t>(result.columns.size())) return static_cast<std::size_t>(n - 1);
  }
  RaiseSyntaxError(err::kSyntaxInUnion, "union query", item.expr->pos,
                   "ORDER BY of a union must name a column of its first SELECT");
}

// The union's trailing ORDER BY, by column numbers of the result.
void ApplyUnionOrder(QueryContext& ctx, const ParsedQuery& query, SelectSql& result) {
  result.wrapped_needed = false;
  std::string order;
  for (const ParsedOrderItem& item : query.order_by) {
    const std::size_t index = UnionOrderColumn(result, item);
    order += order.empty() ? " ORDER BY " : ", ";
    order += std::to_string(index + 1) + CollateFor(ctx, result.kinds[index]);
    if (item.descending) order += " DESC";
  }
  result.sql += order;
  if (!order.empty()) result.wrapped_needed = true;
}

}  // namespace

SelectSql TranslateSelectTree(QueryContext& ctx, const ParsedQuery& query, const Scope* outer) {
  SelectSql result;
  const bool row_key = ctx.TakeRowKeyRequest();
  for (std::size_t i = 0; i < query.parts.size(); ++i) {
    Scope scope;
    scope.outer = outer;
    const ParsedSelect& part = query.parts[i];
    BlockSql block = TranslateBlock(ctx, part, scope);
    if (row_key) AddRowKeys(query, part, block, result);
    bool wrapped = false;
    std::string sql = ApplyTop(ctx, part, block, &wrapped);
    if (i == 0) {
      result.columns = block.columns;
      result.kinds = block.kinds;
      result.sql = sql;
      result.wrapped_needed = wrapped || !block.order.empty();
      continue;
    }
    if (block.columns.size() != result.columns.size()) {
      RaiseSqlError(err::kUnionColumnCount,
                    "The SELECT at " + PositionText(part.pos) + " has " +
                        std::to_string(block.columns.size()) + " columns, the first part of the "
                        "union " + std::to_string(result.columns.size()) + ".");
    }
    if (i == 1) {  // the union's columns come from no one table
      if (result.wrapped_needed) result.sql = "SELECT * FROM (" + result.sql + ")";
      for (TranslatedColumn& column : result.columns) {
        column.source_table.clear();
        column.source_field.clear();
      }
    }
    if (wrapped || !block.order.empty()) sql = "SELECT * FROM (" + sql + ")";
    result.sql += query.union_all[i - 1] ? " UNION ALL " : " UNION ";
    result.sql += LaterUnionPart(result, block, std::move(sql));
  }
  if (query.IsUnion()) ApplyUnionOrder(ctx, query, result);
  return result;
}

}  // namespace qb::jet::sql
