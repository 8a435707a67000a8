// jet/recordset/join_plan: the plan is read from the statement's own parse tree (the translator
// only says which hidden column keys which table); anything it does not understand leaves the
// dynaset read-only rather than guessing where a value belongs.
#include "jet/recordset/join_plan.h"

#include <sqlcipher/sqlite3.h>

#include <list>
#include <variant>

#include "jet/base/errors.h"
#include "jet/catalog/catalog_query_schema.h"
#include "jet/recordset/prepared_sql.h"
#include "jet/base/recordset_types.h"
#include "jet/recordset/row_source.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/translator.h"
#include "jet/base/unicode_text.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

using sql::ParsedExpr;
using sql::ParsedExprKind;
using sql::ParsedSource;

struct Node {
  std::string name;
  TableModel table;
  std::size_t key_column = 0;
  bool outer = false;
};

// Equal fields of two tables, gathered from every ON condition between them.
struct Link {
  std::size_t a = 0, b = 0;
  std::vector<std::string> a_fields, b_fields;
};

class JoinReader {
 public:
  JoinReader(Connection& connection, const std::vector<sql::SourceKey>& sources)
      : connection_(connection), sources_(sources) {}

  // False when the tree holds anything but tables joined on equal fields.
  bool Read(const ParsedSource& source, bool outer) {
    switch (source.kind) {
      case ParsedSource::Kind::kTable:
        return AddTable(source, outer);
      case ParsedSource::Kind::kSubquery:
        return false;
      case ParsedSource::Kind::kJoin:
        if (!Read(*source.left, outer || source.join == ParsedSource::Join::kRight)) return false;
        if (!Read(*source.right, outer || source.join == ParsedSource::Join::kLeft)) return false;
        return ReadCondition(*source.on);
    }
    return false;
  }

  std::vector<Node> nodes;
  std::vector<Link> links;

 private:
  bool AddTable(const ParsedSource& source, bool outer) {
    const std::string name = source.alias.empty() ? source.name : source.alias;
    std::size_t key = sources_.size();
    for (std::size_t i = 0; i < sources_.size(); ++i) {
      if (SameName(sources_[i].name, name)) key = i;
    }
    if (key == sources_.size()) return false;
    for (const Node& node : nodes) {
      // The same table twice (a self-join): its columns could not be told apart.
      if (SameName(node.table.name, sources_[key].table)) return false;
    }
    std::optional<TableModel> table = LoadTableModel(connection_, sources_[key].table);
    if (!table) return false;
    nodes.push_back({name, std::move(*table), key + 1, outer});
    return true;
  }

  // The table and field NAME refers to.
  std::optional<std::pair<std::size_t, std::string>> Field(const ParsedExpr& expr) const {
    if (expr.kind != ParsedExprKind::kName) return std::nullopt;
    const auto& name = static_cast<const sql::ParsedName&>(expr);
    std::optional<std::pair<std::size_t, std::string>> found;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (name.parts.size() == 2 && !SameName(name.parts[0], nodes[i].name)) continue;
      if (name.parts.size() != 1 && name.parts.size() != 2) return std::nullopt;
      if (const FieldModel* field = nodes[i].table.FindField(name.parts.back())) {
        if (found) return std::nullopt;  // ambiguous
        found = std::make_pair(i, field->name);
      }
    }
    return found;
  }

  bool ReadCondition(const ParsedExpr& expr) {
    if (expr.kind != ParsedExprKind::kBinary) return false;
    const auto& binary = static_cast<const sql::ParsedBinary&>(expr);
    if (binary.op == sql::ParsedOp::kAnd) return ReadCondition(*binary.left) && ReadCondition(*binary.right);
    if (binary.op != sql::ParsedOp::kEqual) return false;
    auto left = Field(*binary.left), right = Field(*binary.right);
    if (!left || !right || left->first == right->first) return false;
    for (Link& link : links) {
      if (link.a == left->first && link.b == right->first) {
        link.a_fields.push_back(left->second);
        link.b_fields.push_back(right->second);
        return true;
      }
      if (link.a == right->first && link.b == left->first) {
        link.a_fields.push_back(right->second);
        link.b_fields.push_back(left->second);
        return true;
      }
    }
    links.push_back({left->first, right->first, {left->second}, {right->second}});
    return true;
  }

  Connection& connection_;
  const std::vector<sql::SourceKey>& sources_;
};

bool Contains(const std::vector<std::string>& list, const std::string& name) {
  for (const std::string& item : list) {
    if (SameName(item, name)) return true;
  }
  return false;
}

// True when FIELDS of TABLE match at most one row: they hold a unique index's fields or the
// AutoNumber field.
bool UniqueOn(const TableModel& table, const std::vector<std::string>& fields) {
  for (const std::string& name : fields) {
    const FieldModel* field = table.FindField(name);
    if (field && (field->attributes & kAutoIncrField)) return true;
  }
  for (const IndexModel& index : table.indexes) {
    if (!index.primary && !index.unique) continue;
    bool covered = !index.keys.empty();
    for (const IndexKey& key : index.keys) covered = covered && Contains(fields, key.field);
    if (covered) return true;
  }
  return false;
}

// The tables in tree order from ROOT, each reached over a link whose far side is unique; empty
// when some link is many-to-many from this root or a table is not reached.
std::vector<JoinTable> TreeFrom(std::size_t root, const std::vector<Node>& nodes, const std::vector<Link>& links) {
  std::vector<JoinTable> order;
  std::vector<int> placed(nodes.size(), -1);
  auto place = [&](std::size_t node, int parent) {
    placed[node] = static_cast<int>(order.size());
    order.push_back({nodes[node].name, nodes[node].table, nodes[node].key_column, parent, {}, {}, nodes[node].outer});
  };
  place(root, -1);
  for (std::size_t next = 0; next < order.size(); ++next) {
    for (const Link& link : links) {
      std::size_t from, to;
      const std::vector<std::string>*from_fields, *to_fields;
      if (placed[link.a] == static_cast<int>(next) && placed[link.b] < 0) {
        from = link.a, to = link.b, from_fields = &link.a_fields, to_fields = &link.b_fields;
      } else if (placed[link.b] == static_cast<int>(next) && placed[link.a] < 0) {
        from = link.b, to = link.a, from_fields = &link.b_fields, to_fields = &link.a_fields;
      } else {
        continue;
      }
      (void)from;
      if (!UniqueOn(nodes[to].table, *to_fields)) return {};
      place(to, static_cast<int>(next));
      order.back().fields = *to_fields;
      order.back().parent_fields = *from_fields;
    }
  }
  if (order.size() != nodes.size()) return {};
  return order;
}

// For a tree whose root may be missing: the one table next to the root that every row has
// (the anchor), its tables marked as anchored; -1 when there is not exactly one, or when a table
// reached only through the root is not on the outer side (rows without a root row would then
// not be the anchor's alone: an inner join there drops them).
int MarkAnchored(std::vector<JoinTable>& tree) {
  int anchor = -1;
  for (std::size_t i = 1; i < tree.size(); ++i) {
    if (tree[i].parent != 0 || tree[i].outer) continue;
    if (anchor >= 0) return -1;
    anchor = static_cast<int>(i);
  }
  if (anchor < 0) return -1;
  for (std::size_t i = 1; i < tree.size(); ++i) {
    const int parent = tree[i].parent;
    tree[i].anchored = static_cast<int>(i) == anchor || (parent > 0 && tree[static_cast<std::size_t>(parent)].anchored);
    if (!tree[i].anchored && !tree[i].outer) return -1;
  }
  return anchor;
}

const sql::ParsedQuery* QueryOf(const sql::ParsedStatement& statement) {
  const auto* query_statement = std::get_if<sql::ParsedQueryStatement>(&statement);
  return query_statement ? std::get_if<sql::ParsedQuery>(&query_statement->body) : nullptr;
}

// The join a keyed select draws its rows from: FROM itself, or, where FROM is a saved query or
// derived table (the select a layer over it), the FROM of the layer below, down to the join.
// Saved queries read are parsed into PARSED, which must outlive the answer. Nullptr when a
// layer is not one select over one source.
const ParsedSource* JoinLayer(Connection& connection, const ParsedSource& from,
                              std::list<sql::ParsedStatement>& parsed) {
  CatalogQuerySchema schema(connection);
  const ParsedSource* source = &from;
  // The translator refuses deeper nesting and circles, so the depth is never reached.
  for (int depth = 0; depth < 64; ++depth) {
    const sql::ParsedQuery* layer = nullptr;
    if (source->kind == ParsedSource::Kind::kSubquery) {
      layer = source->subquery.get();
    } else if (source->kind == ParsedSource::Kind::kTable) {
      std::optional<sql::SchemaObject> object = schema.Find(source->name);
      if (!object || object->kind != sql::SchemaObject::Kind::kQuery) return source;
      parsed.push_back(sql::ParseStatement(object->sql));
      layer = QueryOf(parsed.back());
    } else {
      return source;
    }
    if (!layer || layer->parts.size() != 1 || layer->parts[0].from.size() != 1) return nullptr;
    source = layer->parts[0].from[0].get();
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<const JoinPlan> PlanJoin(Connection& connection, const std::string& text,
                                         const std::vector<sql::SourceKey>& sources,
                                         std::vector<RecordsetColumn>& columns, bool consistent) {
  sql::ParsedStatement statement = sql::ParseStatement(text);
  const sql::ParsedQuery* query = QueryOf(statement);
  if (!query || query->parts.size() != 1 || query->parts[0].from.size() != 1) return nullptr;
  std::list<sql::ParsedStatement> layers;
  const ParsedSource* join = JoinLayer(connection, *query->parts[0].from[0], layers);
  if (!join) return nullptr;
  JoinReader reader(connection, sources);
  if (!reader.Read(*join, false) || reader.nodes.size() != sources.size()) return nullptr;
  // A tree: one link fewer than tables, all reached from the root.
  if (reader.links.size() + 1 != reader.nodes.size()) return nullptr;
  auto plan = std::make_shared<JoinPlan>();
  plan->consistent = consistent;
  for (std::size_t root = 0; root < reader.nodes.size() && plan->tables.empty(); ++root) {
    if (!reader.nodes[root].outer) plan->tables = TreeFrom(root, reader.nodes, reader.links);
  }
  // No table is in every row: the root may be missing, so a kept one side keys those rows.
  for (std::size_t root = 0; root < reader.nodes.size() && plan->tables.empty(); ++root) {
    if (!reader.nodes[root].outer) continue;
    std::vector<JoinTable> tree = TreeFrom(root, reader.nodes, reader.links);
    if (tree.empty()) continue;
    plan->anchor = MarkAnchored(tree);
    if (plan->anchor > 0) plan->tables = std::move(tree);
  }
  if (plan->tables.empty()) return nullptr;

  for (JoinTable& table : plan->tables) table.alias = sources[table.key_column - 1].alias;
  for (RecordsetColumn& column : columns) {
    if (column.computed) {
      if (column.expression.empty()) return nullptr;
      plan->computed = true;
      plan->column_table.push_back(-1);
      continue;
    }
    int table = -1;
    for (std::size_t i = 0; i < plan->tables.size(); ++i) {
      if (SameName(plan->tables[i].table.name, column.source_table)) table = static_cast<int>(i);
    }
    const FieldModel* field =
        table < 0 ? nullptr : plan->tables[static_cast<std::size_t>(table)].table.FindField(column.source_field);
    if (!field) return nullptr;  // computed: the row could not be read again by its key
    const JoinTable& owner = plan->tables[static_cast<std::size_t>(table)];
    column.type = field->type;
    column.size = (field->type == 12 || field->type == 11) ? 0 : field->size;
    column.attributes = field->attributes;
    column.required = field->required;
    column.source_table = owner.table.name;
    column.source_field = field->name;
    column.base_column = field->name;
    column.default_value = table == 0 ? field->default_value : std::string();
    // Changing the "one" side's link field would take the rows of the many side with it.
    column.read_only = consistent && table > 0 && Contains(owner.fields, field->name);
    // A new row of the kept one side drags no other row along: AddNew may name its key.
    column.settable_on_add = column.read_only && table == plan->anchor;
    plan->column_table.push_back(table);
  }
  return plan;
}

std::string JoinAlias(std::size_t i) { return "\"j" + std::to_string(i) + "\""; }

std::string JoinFromSql(const JoinPlan& plan, bool from_anchor) {
  const std::size_t start = from_anchor ? static_cast<std::size_t>(plan.anchor) : 0;
  std::string from = sql::QuoteSqliteName(plan.tables[start].table.name) + " AS " + JoinAlias(start);
  for (std::size_t i = 1; i < plan.tables.size(); ++i) {
    const JoinTable& table = plan.tables[i];
    if (i == start || (from_anchor && !table.anchored)) continue;
    from += " LEFT JOIN " + sql::QuoteSqliteName(table.table.name) + " AS " + JoinAlias(i) + " ON ";
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      if (f > 0) from += " AND ";
      from += JoinAlias(static_cast<std::size_t>(table.parent)) + "." + sql::QuoteSqliteName(table.parent_fields[f]) +
              " = " + JoinAlias(i) + "." + sql::QuoteSqliteName(table.fields[f]);
    }
  }
  return from;
}

namespace {

// EXPRESSION over the statement's aliases, from the rows of the record being read (none for the
// tables a record without a root row lacks).
std::string ComputedSql(const JoinPlan& plan, const std::string& expression, bool from_anchor) {
  std::string from = "(SELECT 1) AS \"qb_one\"";
  for (std::size_t t = 0; t < plan.tables.size(); ++t) {
    const bool present = !from_anchor || plan.tables[t].anchored;
    from += " LEFT JOIN " + sql::QuoteSqliteName(plan.tables[t].table.name) + " AS " + plan.tables[t].alias + " ON " +
            plan.tables[t].alias + ".rowid = " + (present ? JoinAlias(t) + ".rowid" : std::string("NULL"));
  }
  return "(SELECT " + expression + " FROM " + from + ")";
}

}  // namespace

std::string JoinColumnsSql(const JoinPlan& plan, const std::vector<RecordsetColumn>& columns, bool from_anchor) {
  std::string list;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!list.empty()) list += ", ";
    if (plan.column_table[i] < 0) {
      list += ComputedSql(plan, columns[i].expression, from_anchor);
      continue;
    }
    const auto table = static_cast<std::size_t>(plan.column_table[i]);
    list += from_anchor && !plan.tables[table].anchored
                ? std::string("NULL")
                : JoinAlias(table) + "." + sql::QuoteSqliteName(columns[i].base_column);
  }
  return list;
}

std::string JoinKeySql(const JoinPlan& plan, const std::string& root_rowid, const std::string& anchor_rowid) {
  if (plan.anchor < 0) return root_rowid;
  return "CASE WHEN " + root_rowid + " IS NULL THEN " + std::to_string(kAnchorBase) + " + " + anchor_rowid + " ELSE " +
         root_rowid + " END";
}

std::vector<std::optional<std::int64_t>> JoinRowIds(Connection& connection, const JoinPlan& plan, std::int64_t key) {
  const bool from_anchor = plan.anchor >= 0 && IsAnchorKey(key);
  std::string list;
  for (std::size_t t = 0; t < plan.tables.size(); ++t) {
    list += t ? ", " : "";
    list += from_anchor && !plan.tables[t].anchored ? std::string("NULL") : JoinAlias(t) + ".rowid";
  }
  const std::size_t keyed = from_anchor ? static_cast<std::size_t>(plan.anchor) : 0;
  Statement sql = connection.Prepare("SELECT " + list + " FROM " + JoinFromSql(plan, from_anchor) + " WHERE " +
                                  JoinAlias(keyed) + ".rowid = ?1");
  ResetOnExit reset(sql);
  sql.Bind(1, from_anchor ? AnchorRowid(key) : key);
  if (!sql.Step()) RaiseJetError(err::kRecordDeleted, "The record has been deleted by another user.");
  std::vector<std::optional<std::int64_t>> rowids(plan.tables.size());
  for (std::size_t t = 0; t < plan.tables.size(); ++t) {
    if (!sql.ColumnIsNull(static_cast<int>(t))) {
      rowids[t] = sql.ColumnInt(static_cast<int>(t));
    }
  }
  return rowids;
}

}  // namespace qb::jet
