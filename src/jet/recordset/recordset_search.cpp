// jet/recordset/recordset_search: the current index of a table-type recordset, Seek over it, and
// the Find methods of dynasets and snapshots. Criteria are Jet expressions translated like any
// other (never passed through); keyed rows are searched by SQLite over the source statement,
// fixed copies row by row over the values they hold.
#include <sqlcipher/sqlite3.h>

#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_open.h"
#include "jet/recordset/recordset_state.h"
#include "jet/recordset/stored_value.h"
#include "com/ole_exception.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/translate/translator.h"
#include "jet/base/unicode_text.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

void RequireTable(const RecordsetState& s, const char* what) {
  if (!s.IsTable()) RaiseNotForThisKind(what);
}

}  // namespace

std::string Recordset::Index() const {
  RecordsetState& s = State();
  RequireTable(s, "Index");
  return s.index_name;
}

void Recordset::SetIndex(const std::string& name) {
  RecordsetState& s = State();
  RequireTable(s, "Index");
  std::string stored;
  if (!name.empty()) {
    const IndexModel* index = s.table.FindIndex(name);
    if (!index) RaiseJetError(err::kBadIndexName, "'" + name + "' is not an index of the table '" + s.table.name + "'.");
    stored = index->name;
  }
  DropEdit(s);
  std::optional<std::int64_t> key;
  if (s.place == Place::kAt) key = CurrentKey(s);
  s.index_name = stored;
  s.order_count = -1;  // another order: another count
  BuildTableSource(s);
  s.rows = MakeRows(s);
  s.seen = ReadDataStamp(s.Open(), s.stamp_sql);
  s.current = nullptr;
  s.key_only.reset();
  s.place = Place::kBof;
  s.pos = -1;
  // The current record stays current, now in the new order (unless the new index leaves it out).
  if (key) {
    if (const KeyWindow::Row* row = s.Window().Land(*key)) ShowRow(s, row);
  }
}

std::shared_ptr<jet::Indexes> Recordset::Indexes() const {
  RecordsetState& s = State();
  RequireTable(s, "Indexes");
  if (!s.table_indexes) RaiseNotForThisKind("Indexes");
  return s.table_indexes(s.table.name);
}

bool Recordset::NoMatch() const { return State().no_match; }

namespace {

enum class Direction { kAfter, kBefore };

// "COLUMN comes after / before VALUE in the index order" (NULL first when ascending, last when
// descending, as SQLite orders them).
std::string Beyond(const std::string& column, bool descending, Direction direction, bool value_null, int mark) {
  const bool greater = (direction == Direction::kAfter) != descending;
  const std::string p = "?" + std::to_string(mark);
  if (value_null) return greater ? column + " IS NOT NULL" : "0";
  return greater ? column + " > " + p : "(" + column + " < " + p + " OR " + column + " IS NULL)";
}

std::string Same(const std::string& column, bool value_null, int mark) {
  return value_null ? column + " IS NULL" : column + " = ?" + std::to_string(mark);
}

// The comparison Seek makes.
struct SeekComparison {
  bool equal = false;
  bool inclusive = false;  // ">=" or "<="
  bool after = false;      // ">" or ">="
};

SeekComparison ParseSeekComparison(const std::string& comparison) {
  if (comparison == "=") return {true, true, false};
  if (comparison == ">=") return {false, true, true};
  if (comparison == ">") return {false, false, true};
  if (comparison == "<=") return {false, true, false};
  if (comparison == "<") return {false, false, false};
  RaiseJetError(err::kInvalidArgument, "Seek compares with =, >=, >, <= or <, not '" + comparison + "'.");
}

// The first N key fields of INDEX: the quoted column and its direction.
struct SeekKey {
  std::string column;
  bool descending = false;
};

// The condition a row meets when its key compares with the bound values ?1.. as COMPARE asks:
// a lexicographic comparison in index order, built from the last key field outwards.
std::string SeekCondition(const std::vector<SeekKey>& keys, const std::vector<Variant>& values,
                          const SeekComparison& compare) {
  std::string condition;
  const Direction direction = compare.after ? Direction::kAfter : Direction::kBefore;
  for (std::size_t i = keys.size(); i-- > 0;) {
    const int mark = static_cast<int>(i + 1);
    const bool null = values[i].IsNull();
    const std::string same = Same(keys[i].column, null, mark);
    if (compare.equal) {
      condition = condition.empty() ? same : same + " AND " + condition;
      continue;
    }
    const std::string beyond = Beyond(keys[i].column, keys[i].descending, direction, null, mark);
    if (i + 1 == keys.size()) {
      condition = compare.inclusive ? "(" + beyond + " OR " + same + ")" : beyond;
    } else {
      condition = "(" + beyond + " OR (" + same + " AND " + condition + "))";
    }
  }
  return condition;
}

}  // namespace

namespace {

// Seek's compiled statement for SQL, kept with the recordset: repeated seeks on one index and
// comparison compile once. A few shapes are kept at a time.
Statement& SeekStatement(RecordsetState& s, const std::string& sql) {
  constexpr std::size_t kKept = 16;
  if (auto found = s.seek_sql.find(sql); found != s.seek_sql.end()) return found->second;
  if (s.seek_sql.size() >= kKept) s.seek_sql.clear();
  Statement compiled = s.Open().Prepare(sql);
  return s.seek_sql.emplace(sql, std::move(compiled)).first->second;
}

}  // namespace

void Recordset::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
  RecordsetState& s = State();
  RequireTable(s, "Seek");
  if (s.index_name.empty()) RaiseJetError(err::kNoCurrentIndex, "Seek needs a current index: set Index first.");
  const IndexModel* index = s.table.FindIndex(s.index_name);
  const SeekComparison compare = ParseSeekComparison(comparison);
  if (keys.empty() || keys.size() > 13 || keys.size() > index->keys.size()) {
    RaiseJetError(err::kInvalidArgument, "Seek takes one to " + std::to_string(index->keys.size()) +
                                             " key values for the index '" + index->name + "'.");
  }
  DropEdit(s);
  std::vector<Variant> values;
  std::vector<SeekKey> columns;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const FieldModel* field = s.table.FindField(index->keys[i].field);
    values.push_back(ToFieldValue(keys[i], field->type));
    columns.push_back({sql::QuoteSqliteName(field->name), index->keys[i].descending});
  }
  std::string condition = SeekCondition(columns, values, compare);
  std::string where;
  // "<" and "<=" want the last qualifying entry: the first in the order reversed.
  const std::string order = TableOrderSql(s.table, s.index_name, &where, !compare.equal && !compare.after);
  if (!where.empty()) condition = "(" + where + ") AND " + condition;
  Statement& seek = SeekStatement(s, "SELECT rowid FROM " + sql::QuoteSqliteName(s.table.name) + " WHERE " +
                                            condition + " ORDER BY " + order + " LIMIT 1");
  ResetOnExit reset(seek);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!values[i].IsNull()) BindStoredValue(seek.Handle(), static_cast<int>(i + 1), values[i]);
  }
  SyncWithFile(s);
  const KeyWindow::Row* found = seek.Step() ? s.Window().Land(seek.ColumnInt(0)) : nullptr;
  if (found) {
    s.no_match = false;
    ShowRow(s, found);
  } else {
    s.no_match = true;
    s.key_only.reset();
    s.place = Place::kBof;
    s.pos = -1;
    s.current = nullptr;
  }
}

namespace {

// Names in criteria are the recordset's fields: as columns of the source statement (keyed
// search) or as placeholders bound to a row's values (search over a fixed copy).
class FieldResolver : public sql::NameResolver {
 public:
  FieldResolver(const std::vector<RecordsetColumn>& columns, bool placeholders)
      : columns_(columns), placeholders_(placeholders) {}
  sql::TranslatedExpr Resolve(const sql::ParsedName& name) const override {
    const std::string wanted = FoldCase(name.parts.back());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (FoldCase(columns_[i].name) != wanted) continue;
      sql::TranslatedExpr expr;
      expr.sql = placeholders_ ? "?" + std::to_string(i + 1) : sql::QuoteSqliteName(columns_[i].name);
      expr.dao_type = columns_[i].type;
      expr.type = sql::KindOfDaoType(columns_[i].type);
      return expr;
    }
    RaiseJetError(err::kNameNotRecognised, "The name '" + name.parts.back() +
                                               "' in the criteria is not a field of the recordset.");
  }

 private:
  const std::vector<RecordsetColumn>& columns_;
  const bool placeholders_;
};

std::string TranslateCriteria(const RecordsetState& s, const std::string& criteria, bool placeholders) {
  try {
    sql::ParsedExprPtr parsed = sql::ParseExpression(criteria);
    FieldResolver resolver(s.plan.columns, placeholders);
    sql::TranslateOptions options;
    options.resolver = &resolver;
    return sql::TranslateCondition(*parsed, options);
  } catch (const EOleException& e) {
    if (e.ErrorCode() == err::kSyntaxInExpression) RaiseJetError(err::kSyntaxInFilter, e.Message());
    throw;
  }
}

enum class FindFrom { kFirst, kLast, kNext, kPrevious };

void BindSourceParameters(RecordsetState& s, Statement& sql) {
  const auto used = static_cast<std::size_t>(sqlite3_bind_parameter_count(sql.Handle()));
  for (std::size_t i = 0; i < s.plan.parameters.size() && i < used; ++i) {
    sql::BindParameterValue(sql.Handle(), static_cast<int>(i + 1), s.plan.parameters[i]);
  }
}

// A forward search over keyed rows: one pass over the source in its order from position FROM,
// each row's key with whether it matches, learning keys not known yet on the way, so finding
// costs about what the plain search in SQLite costs. Rows the recordset added itself come last.
std::optional<std::int64_t> FindKeyedForward(RecordsetState& s, const std::string& condition, std::int64_t from) {
  Keyset& keys = s.Keys();
  // The pass counts source rows as positions, which holds only while the rows known were
  // learnt at the file's present state; otherwise the keys are learnt again first.
  if (!keys.Complete() && keys.OffsetsStale()) keys.LoadAll();
  if (from < keys.FromSource()) {
    Statement find = s.Open().Prepare("SELECT " + sql::QuoteSqliteName(sql::kRowKeyColumn) + ", CASE WHEN " + condition +
                                   " THEN 1 ELSE 0 END FROM (" + s.plan.select_sql + ") LIMIT -1 OFFSET " +
                                   std::to_string(from));
    ResetOnExit reset(find);
    BindSourceParameters(s, find);
    std::int64_t pos = from;
    while (find.Step()) {
      const std::int64_t key = find.ColumnInt(0);
      const bool match = sqlite3_column_int(find.Handle(), 1) == 1;
      std::optional<std::int64_t> at = pos;
      if (pos >= keys.Known() && !keys.Complete()) {
        keys.Learn(key);
      } else if (pos >= keys.Known() || keys.KeyAt(pos) != key) {
        at = keys.PositionOf(key);  // the source changed since its keys were learnt
      }
      ++pos;
      if (match && at && *at >= from && !s.rows->removed.count(*at)) return at;
    }
    if (!keys.Complete()) keys.EndOfSource();  // the pass went through to the source's end
  }
  // The recordset's own additions.
  Statement test = s.Open().Prepare("SELECT 1 FROM (" + s.plan.select_sql + ") WHERE " +
                                 sql::QuoteSqliteName(sql::kRowKeyColumn) + " = ?" +
                                 std::to_string(s.plan.parameters.size() + 1) + " AND " + condition);
  for (std::int64_t pos = std::max(from, keys.FromSource()); keys.Reach(pos); ++pos) {
    if (s.rows->removed.count(pos)) continue;
    ResetOnExit reset(test);
    BindSourceParameters(s, test);
    test.Bind(static_cast<int>(s.plan.parameters.size() + 1), keys.KeyAt(pos));
    if (test.Step()) return pos;
  }
  return std::nullopt;
}

// A backward search over keyed rows: every match's position, the best one kept.
std::optional<std::int64_t> FindKeyedBackward(RecordsetState& s, const std::string& condition, std::int64_t before) {
  Statement find = s.Open().Prepare("SELECT " + sql::QuoteSqliteName(sql::kRowKeyColumn) + " FROM (" + s.plan.select_sql +
                                 ") WHERE " + condition);
  ResetOnExit reset(find);
  BindSourceParameters(s, find);
  std::optional<std::int64_t> best;
  while (find.Step()) {
    auto pos = s.Keys().PositionOf(find.ColumnInt(0));
    if (!pos || s.rows->removed.count(*pos) || *pos >= before) continue;
    if (!best || *pos > *best) best = pos;
  }
  return best;
}

std::optional<std::int64_t> FindKeyed(RecordsetState& s, const std::string& condition, FindFrom from,
                                      std::int64_t current) {
  switch (from) {
    case FindFrom::kFirst:
      return FindKeyedForward(s, condition, 0);
    case FindFrom::kNext:
      return FindKeyedForward(s, condition, current + 1);
    case FindFrom::kLast:
      s.Keys().LoadAll();
      return FindKeyedBackward(s, condition, s.Keys().Known());
    case FindFrom::kPrevious:
      return FindKeyedBackward(s, condition, current);
  }
  return std::nullopt;
}

std::optional<std::int64_t> FindInCopy(RecordsetState& s, const std::string& condition, FindFrom from,
                                       std::int64_t current) {
  Statement test = s.Open().Prepare("SELECT CASE WHEN " + condition + " THEN 1 ELSE 0 END");
  auto matches = [&](std::int64_t pos) {
    const std::vector<Variant>* values = s.Keys().ValuesAt(pos, DataStamp{});
    ResetOnExit reset(test);
    const auto used = static_cast<std::size_t>(sqlite3_bind_parameter_count(test.Handle()));
    for (std::size_t i = 0; i < values->size() && i < used; ++i) {
      BindStoredValue(test.Handle(), static_cast<int>(i + 1), (*values)[i]);
    }
    return test.Step() && sqlite3_column_int(test.Handle(), 0) == 1;
  };
  if (from == FindFrom::kFirst || from == FindFrom::kNext) {
    for (std::int64_t pos = from == FindFrom::kFirst ? 0 : current + 1; s.Keys().Reach(pos); ++pos) {
      if (matches(pos)) return pos;
    }
    return std::nullopt;
  }
  s.Keys().LoadAll();
  for (std::int64_t pos = from == FindFrom::kLast ? s.Keys().Known() - 1 : current - 1; pos >= 0; --pos) {
    if (matches(pos)) return pos;
  }
  return std::nullopt;
}

void Find(RecordsetState& s, const std::string& criteria, FindFrom from) {
  if (s.IsTable()) RaiseNotForThisKind("Find");
  if (s.type == kOpenForwardOnly) RaiseNotForThisKind("Find");
  const std::string condition = TranslateCriteria(s, criteria, !s.Keyed());
  DropEdit(s);
  std::int64_t current = -1;
  if (from == FindFrom::kNext || from == FindFrom::kPrevious) {
    if (s.place == Place::kAt || s.place == Place::kGap) {
      current = s.pos;
    } else if (s.place == Place::kEof) {
      s.Keys().LoadAll();
      current = s.Keys().Known();
    } else if (s.place == Place::kBof && from == FindFrom::kPrevious) {
      current = -1;
    }
  }
  std::optional<std::int64_t> found = s.Keyed() ? FindKeyed(s, condition, from, current) : FindInCopy(s, condition, from, current);
  s.no_match = !found;
  if (found) LandOn(s, *found);
}

}  // namespace

void Recordset::FindFirst(const std::string& criteria) { Find(State(), criteria, FindFrom::kFirst); }
void Recordset::FindLast(const std::string& criteria) { Find(State(), criteria, FindFrom::kLast); }
void Recordset::FindNext(const std::string& criteria) { Find(State(), criteria, FindFrom::kNext); }
void Recordset::FindPrevious(const std::string& criteria) { Find(State(), criteria, FindFrom::kPrevious); }

}  // namespace qb::jet
