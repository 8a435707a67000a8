// jet/import/saved_query_sql: the rows are grouped by part and each part written in the order
// Jet SQL wants it. Joins are kept as a tree of sources: each join row joins the two sources
// (single tables or joins already made) that hold its two tables, so that nested joins come out
// parenthesised as Jet requires; a second row for two tables already joined adds its condition
// to that join.
#include "jet/import/saved_query_sql.h"

#include <strings.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace qb::jet::import {
namespace {

enum SelectFlag : std::int64_t {
  kSelectAll = 1, kDistinct = 2, kOwnerAccess = 4, kDistinctRow = 8, kTop = 16, kPercent = 32,
};
// A crosstab's column and grouping rows: its value, its column heading, its row headings.
enum CrosstabRole : std::int64_t { kCrosstabValue = 0, kCrosstabPivot = 1, kCrosstabRowHeading = 2 };

std::string Bracketed(const std::string& name) {
  std::string quoted = "[";
  for (char c : name) quoted += c == ']' ? std::string("]]") : std::string(1, c);
  return quoted + "]";
}

// A parameter's name as SQL. A reference such as "Forms!Dialog!From" stays one bracketed name:
// that is the name a bang reference to it in the query's text is matched by.
std::string ParameterName(const std::string& name) {
  if (name.size() > 1 && name.front() == '[' && name.back() == ']' && name.find(']') == name.size() - 1) return name;
  return Bracketed(name);
}

const char* ParameterType(std::int64_t dao_type) {
  switch (dao_type) {
    case 1: return "Bit";
    case 2: return "Byte";
    case 3: return "Short";
    case 4: return "Long";
    case 5: return "Currency";
    case 6: return "IEEESingle";
    case 7: return "IEEEDouble";
    case 8: return "DateTime";
    case 9: return "Binary";
    case 10: return "Text";
    case 11: return "LongBinary";
    case 12: return "Memo";
    case 15: return "Guid";
    default: return "Value";
  }
}

// TEXT without surrounding white space and a closing ';'.
std::string Trimmed(std::string text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && blank(text[start])) ++start;
  return text.substr(start);
}

std::string Joined(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) text += (i ? separator : "") + items[i];
  return text;
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// A FROM source: a table (with its alias) or a join of two sources.
struct Source {
  std::string table;  // a table's SQL; empty for a join
  std::string name;   // the name a table is referred to by
  std::shared_ptr<Source> left, right;
  std::int64_t join = 0;
  std::vector<std::string> conditions;

  bool Holds(const std::string& wanted) const {
    return left ? left->Holds(wanted) || right->Holds(wanted) : SameName(name, wanted);
  }
  std::string Sql() const {
    if (!left) return table;
    static const char* const kinds[] = {"", " INNER JOIN ", " LEFT JOIN ", " RIGHT JOIN "};
    auto side = [](const Source& s) { return s.left ? "(" + s.Sql() + ")" : s.Sql(); };
    return side(*left) + kinds[join] + side(*right) + " ON " + Joined(conditions, " AND ");
  }
};

// The join of the tables A and B inside SOURCE (the lowest join with one on each side).
Source* JoinBetween(Source& source, const std::string& a, const std::string& b) {
  if (!source.left) return nullptr;
  for (Source* side : {source.left.get(), source.right.get()}) {
    if (side->Holds(a) && side->Holds(b)) return JoinBetween(*side, a, b);
  }
  return &source;
}

class Rebuilder {
 public:
  explicit Rebuilder(std::vector<QueryRow> rows) : rows_(std::move(rows)) {
    std::stable_sort(rows_.begin(), rows_.end(), [](const QueryRow& a, const QueryRow& b) {
      if (a.attribute != b.attribute) return a.attribute < b.attribute;
      return std::lexicographical_compare(a.order.begin(), a.order.end(), b.order.begin(), b.order.end(),
                                          [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    if (const QueryRow* kind = First(kPartKind)) kind_ = kind;
    if (const QueryRow* flags = First(kPartFlags)) flags_ = flags;
    for (const QueryRow& row : Part(kPartRemote)) {
      if (!row.name1.empty() || !row.expression.empty()) throw QueryNotRebuilt("it reads from another database file");
    }
  }

  std::string Sql() const {
    const std::int64_t kind = kind_ ? kind_->flag : std::int64_t{kKindSelect};
    switch (kind) {
      case kKindSelect: return Parameters() + Select(Columns(false), "") + Tail(true);
      case kKindMakeTable: return Parameters() + Select(Columns(false), " INTO " + Target()) + Tail(true);
      case kKindAppend: return Parameters() + Append();
      case kKindUpdate: return Parameters() + Update();
      case kKindDelete: return Parameters() + "DELETE " + Joined(Expressions(kPartColumn), ", ") + From() + Tail(false);
      case kKindCrosstab: return Parameters() + Crosstab();
      case kKindDdl:
        if (!kind_ || Trimmed(kind_->expression).empty()) throw QueryNotRebuilt("its data-definition text is missing");
        return Trimmed(kind_->expression);
      case kKindPassThrough:
        throw QueryNotRebuilt("a pass-through query: its SQL is meant for the server it connects to");
      case kKindUnion: return Parameters() + Union();
      default: throw QueryNotRebuilt("it is of a kind this import does not know (" + std::to_string(kind) + ")");
    }
  }

 private:
  std::vector<QueryRow> Part(int attribute) const {
    std::vector<QueryRow> part;
    for (const QueryRow& row : rows_) {
      if (row.attribute == attribute) part.push_back(row);
    }
    return part;
  }
  const QueryRow* First(int attribute) const {
    for (const QueryRow& row : rows_) {
      if (row.attribute == attribute) return &row;
    }
    return nullptr;
  }
  std::int64_t Flags() const { return flags_ ? flags_->flag : 0; }
  std::vector<std::string> Expressions(int attribute) const {
    std::vector<std::string> items;
    for (const QueryRow& row : Part(attribute)) items.push_back(row.expression);
    return items;
  }

  std::string Parameters() const {
    std::vector<std::string> declared;
    for (const QueryRow& row : Part(kPartParameter)) declared.push_back(ParameterName(row.name1) + " " + ParameterType(row.flag));
    return declared.empty() ? std::string() : "PARAMETERS " + Joined(declared, ", ") + ";\n";
  }

  std::string Target() const {
    if (!kind_ || kind_->name1.empty()) throw QueryNotRebuilt("the table it writes to is missing");
    if (!kind_->expression.empty() || !kind_->name2.empty()) throw QueryNotRebuilt("it writes into another database file");
    return Bracketed(kind_->name1);
  }

  // The output columns (for a crosstab, its row headings only).
  std::vector<std::string> Columns(bool crosstab) const {
    std::vector<std::string> columns;
    if (Flags() & kSelectAll) columns.push_back("*");
    for (const QueryRow& row : Part(kPartColumn)) {
      if (crosstab && row.flag != kCrosstabRowHeading) continue;
      columns.push_back(row.expression + (row.name1.empty() ? "" : " AS " + Bracketed(row.name1)));
    }
    if (columns.empty()) throw QueryNotRebuilt("it has no output columns");
    return columns;
  }

  std::string Select(const std::vector<std::string>& columns, const std::string& into) const {
    std::string sql = "SELECT ";
    const std::int64_t flags = Flags();
    if (flags & kDistinct) sql += "DISTINCT ";
    else if (flags & kDistinctRow) sql += "DISTINCTROW ";
    if (flags & kTop) {
      if (flags_->name1.empty()) throw QueryNotRebuilt("its TOP count is missing");
      sql += "TOP " + flags_->name1 + ((flags & kPercent) ? " PERCENT " : " ");
    }
    return sql + Joined(columns, ", ") + into + From();
  }

  std::string From() const {
    std::vector<std::shared_ptr<Source>> sources;
    for (const QueryRow& row : Part(kPartTable)) {
      if (row.name1.empty()) throw QueryNotRebuilt("one of its sources is not a table or query");
      auto source = std::make_shared<Source>();
      source->table = Bracketed(row.name1) + (row.name2.empty() ? "" : " AS " + Bracketed(row.name2));
      source->name = row.name2.empty() ? row.name1 : row.name2;
      sources.push_back(std::move(source));
    }
    for (const QueryRow& join : Part(kPartJoin)) {
      if (join.flag < 1 || join.flag > 3) throw QueryNotRebuilt("one of its joins is of an unknown kind");
      auto holding = [&](const std::string& name) {
        for (std::size_t i = 0; i < sources.size(); ++i) {
          if (sources[i]->Holds(name)) return i;
        }
        throw QueryNotRebuilt("a join names '" + name + "', which is not among its sources");
      };
      const std::size_t left = holding(join.name1), right = holding(join.name2);
      if (left == right) {
        JoinBetween(*sources[left], join.name1, join.name2)->conditions.push_back(join.expression);
        continue;
      }
      auto joined = std::make_shared<Source>();
      joined->left = sources[left];
      joined->right = sources[right];
      joined->join = join.flag;
      joined->conditions.push_back(join.expression);
      sources[std::min(left, right)] = joined;
      sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(std::max(left, right)));
    }
    std::vector<std::string> from;
    for (const auto& source : sources) from.push_back(source->Sql());
    return from.empty() ? std::string() : "\nFROM " + Joined(from, ", ");
  }

  // WHERE, GROUP BY, HAVING and ORDER BY, as present; GROUPED: whether GROUP BY and HAVING may be.
  std::string Tail(bool grouped, bool crosstab = false) const {
    std::string sql;
    const auto where = Expressions(kPartWhere);
    if (!where.empty()) sql += "\nWHERE " + Joined(where, " AND ");
    std::vector<std::string> groups;
    for (const QueryRow& row : Part(kPartGroupBy)) {
      if (!crosstab || row.flag != kCrosstabPivot) groups.push_back(row.expression);
    }
    const auto having = Expressions(kPartHaving);
    if (!grouped && (!groups.empty() || !having.empty())) throw QueryNotRebuilt("an action query with grouping");
    if (!groups.empty()) sql += "\nGROUP BY " + Joined(groups, ", ");
    if (!having.empty()) sql += "\nHAVING " + Joined(having, " AND ");
    sql += OrderBy();
    if (Flags() & kOwnerAccess) sql += "\nWITH OWNERACCESS OPTION";
    return sql;
  }

  std::string OrderBy() const {
    std::vector<std::string> keys;
    for (const QueryRow& row : Part(kPartOrderBy)) {
      keys.push_back(row.expression + (!row.name1.empty() && (row.name1[0] == 'D' || row.name1[0] == 'd') ? " DESC" : ""));
    }
    return keys.empty() ? std::string() : "\nORDER BY " + Joined(keys, ", ");
  }

  std::string Append() const {
    std::vector<std::string> fields, values;
    for (const QueryRow& row : Part(kPartColumn)) {
      const std::string& field = row.name2.empty() ? row.name1 : row.name2;
      if (field.empty()) throw QueryNotRebuilt("a value it appends names no field");
      fields.push_back(Bracketed(field));
      values.push_back(row.expression);
    }
    std::string sql = "INSERT INTO " + Target();
    if (Flags() & kSelectAll) return sql + " " + Select({}, "") + Tail(true);
    if (fields.empty()) throw QueryNotRebuilt("it appends no values");
    sql += " (" + Joined(fields, ", ") + ")";
    if (Part(kPartTable).empty()) return sql + " VALUES (" + Joined(values, ", ") + ")";
    return sql + " " + Select(values, "") + Tail(true);
  }

  std::string Update() const {
    std::vector<std::string> sets;
    for (const QueryRow& row : Part(kPartColumn)) {
      const std::string& field = row.name2.empty() ? row.name1 : row.name2;
      if (field.empty()) throw QueryNotRebuilt("a value it sets names no field");
      sets.push_back(field + " = " + row.expression);
    }
    if (sets.empty()) throw QueryNotRebuilt("it sets no fields");
    const std::string from = From();
    if (from.empty()) throw QueryNotRebuilt("it names no table to update");
    return "UPDATE " + from.substr(std::string("\nFROM ").size()) + "\nSET " + Joined(sets, ", ") + Tail(false);
  }

  std::string Crosstab() const {
    const QueryRow* value = nullptr;
    const QueryRow* pivot = nullptr;
    for (const QueryRow& row : rows_) {
      if (row.attribute != kPartColumn) continue;
      if (row.flag == kCrosstabValue && !value) value = &row;
      if (row.flag == kCrosstabPivot && !pivot) pivot = &row;
    }
    if (!value || !pivot) throw QueryNotRebuilt("its value or its column heading is missing");
    return "TRANSFORM " + value->expression + (value->name1.empty() ? "" : " AS " + Bracketed(value->name1)) + "\n" +
           Select(Columns(true), "") + Tail(true, true) + "\nPIVOT " + pivot->expression;
  }

  std::string Union() const {
    std::vector<std::string> parts;
    for (const QueryRow& row : Part(kPartTable)) {
      if (Trimmed(row.expression).empty()) throw QueryNotRebuilt("one of its parts is missing");
      parts.push_back(Trimmed(row.expression));
    }
    if (parts.size() < 2) throw QueryNotRebuilt("a union of fewer than two parts");
    return Joined(parts, (Flags() & kDistinct) ? "\nUNION " : "\nUNION ALL ") + OrderBy();
  }

  std::vector<QueryRow> rows_;
  const QueryRow* kind_ = nullptr;
  const QueryRow* flags_ = nullptr;
};

}  // namespace

std::string SavedQuerySql(std::vector<QueryRow> rows, std::int64_t object_flags) {
  const bool has_kind = std::any_of(rows.begin(), rows.end(), [](const QueryRow& row) { return row.attribute == kPartKind; });
  if (!has_kind) {
    // The object's flags keep the kind in their high nibble: 0 select, 1 crosstab, 2 delete,
    // 3 update, 4 append, 5 make table, 6 data definition, 7 pass-through, 8 union.
    static const int kinds[] = {kKindSelect, kKindCrosstab, kKindDelete, kKindUpdate, kKindAppend,
                                kKindMakeTable, kKindDdl, kKindPassThrough, kKindUnion};
    const auto nibble = static_cast<std::size_t>((object_flags >> 4) & 0xf);
    if (nibble >= std::size(kinds)) throw QueryNotRebuilt("it is of a kind this import does not know");
    rows.push_back({kPartKind, "", "", "", "", kinds[nibble]});
  }
  return Rebuilder(std::move(rows)).Sql();
}

}  // namespace qb::jet::import
