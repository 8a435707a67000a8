// jet/recordset/join_write: the "one" sides are written before the many sides that point at
// them, so a row added on a one side can be named by the many side's link field in the same
// Update; the consistency checks run last, over what the writes left.
#include "jet/recordset/join_write.h"

#include <sqlcipher/sqlite3.h>

#include "jet/sqlite/column_value.h"
#include "jet/base/errors.h"
#include "jet/recordset/join_plan.h"
#include "jet/base/recordset_types.h"
#include "jet/recordset/recordset_state.h"
#include "jet/recordset/stored_value.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

// What one Update writes to one table.
struct TableWrite {
  std::optional<std::int64_t> rowid;                       // its row joined to this one
  std::vector<std::pair<std::string, Variant>> fields;     // field -> new value
  bool inserted = false;

  const Variant* Find(const std::string& field) const {
    for (const auto& [name, value] : fields) {
      if (SameName(name, field)) return &value;
    }
    return nullptr;
  }
  void Set(const std::string& field, const Variant& value) {
    for (auto& [name, old] : fields) {
      if (SameName(name, field)) {
        old = value;
        return;
      }
    }
    fields.emplace_back(field, value);
  }
};

class JoinWriter {
 public:
  JoinWriter(RecordsetState& s, const PendingEdit& edit)
      : s_(s), plan_(*s.plan.join), edit_(edit), connection_(s.Open()), writes_(plan_.tables.size()) {
    for (std::size_t i = 0; i < s.plan.columns.size(); ++i) {
      if (edit.changed[i]) {
        writes_[static_cast<std::size_t>(plan_.column_table[i])].Set(s.plan.columns[i].base_column, edit.values[i]);
      }
    }
  }

  std::int64_t Write(std::optional<std::int64_t> key) {
    if (key) {
      const auto rowids = JoinRowIds(connection_, plan_, *key);
      for (std::size_t t = 0; t < rowids.size(); ++t) writes_[t].rowid = rowids[t];
    }
    const int anchor = plan_.anchor;
    // A record of a kept one side gets a root row only when a field the anchor's tables do not
    // hold is written (filling in the many side); else it stays the one side's alone.
    root_row_ = anchor < 0 || writes_[0].rowid.has_value();
    for (std::size_t t = 0; t < plan_.tables.size() && !root_row_; ++t) {
      root_row_ = !plan_.tables[t].anchored && !writes_[t].fields.empty();
    }
    // AddNew on a kept one side adds its row, also when no field of it was set.
    if (anchor >= 0 && !key && !root_row_ && writes_[static_cast<std::size_t>(anchor)].fields.empty()) {
      Insert(static_cast<std::size_t>(anchor));
    }
    for (std::size_t t = plan_.tables.size(); t-- > 1;) {
      if (!writes_[t].fields.empty()) WriteOneSide(t, !key && static_cast<int>(t) == anchor);
    }
    TableWrite& root = writes_[0];
    if (root.rowid) {
      if (!root.fields.empty()) Update(0);
    } else if (root_row_) {
      if (anchor >= 0) LinkToAnchor();
      Insert(0);
    }
    if (plan_.consistent) CheckLinks(!key);
    if (!root_row_) return AnchorKey(*writes_[static_cast<std::size_t>(anchor)].rowid);
    return *root.rowid;
  }

 private:
  const std::string& TableName(std::size_t t) const { return plan_.tables[t].table.name; }

  // FIELD of table T as this Update leaves it: the value written, else the row's stored value
  // (Null without a row).
  Variant Value(std::size_t t, const std::string& field) {
    if (const Variant* value = writes_[t].Find(field)) return *value;
    for (std::size_t i = 0; i < s_.plan.columns.size(); ++i) {
      // An AddNew's buffer holds what the row will get, written or not.
      if (!writes_[t].rowid && plan_.column_table[i] == static_cast<int>(t) &&
          SameName(s_.plan.columns[i].base_column, field)) {
        return edit_.values[i];
      }
    }
    if (!writes_[t].rowid) return Variant::Null();
    Statement sql = connection_.Prepare("SELECT " + sql::QuoteSqliteName(field) + " FROM " + sql::QuoteSqliteName(TableName(t)) +
                                     " WHERE rowid = ?1");
    ResetOnExit reset(sql);
    sql.Bind(1, *writes_[t].rowid);
    if (!sql.Step()) return Variant::Null();
    const FieldModel* model = plan_.tables[t].table.FindField(field);
    return sql.ColumnValue(0, model ? model->type : 0);
  }

  // The rowid of a row of table T whose link FIELDS hold VALUES; nullopt when none (or a value
  // is Null).
  std::optional<std::int64_t> FindRow(std::size_t t, const std::vector<Variant>& values) {
    const JoinTable& table = plan_.tables[t];
    std::string where;
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      if (values[f].IsNull()) return std::nullopt;
      where += (f ? " AND " : "") + sql::QuoteSqliteName(table.fields[f]) + " = ?" + std::to_string(f + 1);
    }
    Statement sql = connection_.Prepare("SELECT rowid FROM " + sql::QuoteSqliteName(table.table.name) + " WHERE " + where + " LIMIT 1");
    ResetOnExit reset(sql);
    for (std::size_t f = 0; f < values.size(); ++f) BindStoredValue(sql.Handle(), static_cast<int>(f + 1), values[f]);
    if (!sql.Step()) return std::nullopt;
    return sql.ColumnInt(0);
  }

  // A one side's changed fields: into its joined row, else into the row its link names, else
  // into a new row that the many side's link field then names. ADD: always a new row (AddNew on
  // a kept one side adds its row; one with the same key is refused as a duplicate).
  void WriteOneSide(std::size_t t, bool add) {
    const JoinTable& table = plan_.tables[t];
    TableWrite& write = writes_[t];
    if (write.rowid) {
      Update(t);
      return;
    }
    const std::size_t parent = static_cast<std::size_t>(table.parent);
    std::vector<Variant> link;
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      const Variant* own = write.Find(table.fields[f]);
      link.push_back(own ? *own : Value(parent, table.parent_fields[f]));
    }
    if (!add) write.rowid = FindRow(t, link);
    if (write.rowid) {
      Update(t);
    } else {
      for (std::size_t f = 0; f < table.fields.size(); ++f) {
        if (!write.Find(table.fields[f]) && !link[f].IsNull()) write.Set(table.fields[f], link[f]);
      }
      Insert(t);
    }
    // The many side points at this row from now on (an AutoNumber key is known only now).
    if (parent == 0 && !root_row_) return;  // there is no many side to point
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      writes_[parent].Set(table.parent_fields[f], Value(t, table.fields[f]));
    }
  }

  // A many-side row added to a record of the kept one side belongs to that one side: its link
  // fields name the anchor's row unless this Update set them.
  void LinkToAnchor() {
    const auto anchor = static_cast<std::size_t>(plan_.anchor);
    const JoinTable& table = plan_.tables[anchor];
    if (!writes_[anchor].rowid) return;
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      if (!writes_[0].Find(table.parent_fields[f])) writes_[0].Set(table.parent_fields[f], Value(anchor, table.fields[f]));
    }
  }

  void Update(std::size_t t) {
    TableWrite& write = writes_[t];
    if (write.fields.empty()) return;
    std::string assignments;
    for (std::size_t f = 0; f < write.fields.size(); ++f) {
      assignments += (f ? ", " : "") + sql::QuoteSqliteName(write.fields[f].first) + " = ?" + std::to_string(f + 1);
    }
    Statement update = connection_.Prepare("UPDATE " + sql::QuoteSqliteName(TableName(t)) + " SET " + assignments +
                                        " WHERE rowid = ?" + std::to_string(write.fields.size() + 1));
    ResetOnExit reset(update);
    for (std::size_t f = 0; f < write.fields.size(); ++f) {
      BindStoredValue(update.Handle(), static_cast<int>(f + 1), write.fields[f].second);
    }
    update.Bind(static_cast<int>(write.fields.size() + 1), *write.rowid);
    update.Step();
  }

  void Insert(std::size_t t) {
    TableWrite& write = writes_[t];
    std::string names, marks;
    for (std::size_t f = 0; f < write.fields.size(); ++f) {
      names += (f ? ", " : "") + sql::QuoteSqliteName(write.fields[f].first);
      marks += (f ? ", ?" : "?") + std::to_string(f + 1);
    }
    const std::string table = sql::QuoteSqliteName(TableName(t));
    Statement insert = connection_.Prepare(names.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                                  : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")");
    ResetOnExit reset(insert);
    for (std::size_t f = 0; f < write.fields.size(); ++f) {
      BindStoredValue(insert.Handle(), static_cast<int>(f + 1), write.fields[f].second);
    }
    insert.Step();
    write.rowid = connection_.LastInsertRowId();
    write.inserted = true;
  }

  // Every inner link whose many side this Update wrote must still find its one-side row, and a
  // row a changed link now reaches must find its own one-side rows in turn.
  void CheckLinks(bool adding) {
    std::vector<bool> reached(plan_.tables.size(), false);
    for (std::size_t t = 1; t < plan_.tables.size(); ++t) {
      const JoinTable& table = plan_.tables[t];
      const std::size_t parent = static_cast<std::size_t>(table.parent);
      if (table.outer) continue;  // the many side's row stays in the result without a match
      if (parent == 0 && !root_row_) continue;  // no root row: nothing points from it
      bool touched = writes_[parent].inserted || (adding && parent == 0) || reached[parent];
      for (const std::string& field : table.parent_fields) touched = touched || writes_[parent].Find(field);
      if (!touched) continue;
      std::vector<Variant> link;
      for (const std::string& field : table.parent_fields) link.push_back(Value(parent, field));
      for (std::size_t f = 0; f < link.size(); ++f) {
        if (link[f].IsNull()) {
          RaiseJetError(err::kJoinKeyNull, "The join field '" + table.parent_fields[f] + "' of '" + TableName(parent) +
                                          "' cannot be Null: the record would leave the join with '" +
                                          TableName(t) + "'.");
        }
      }
      const std::optional<std::int64_t> row = FindRow(t, link);
      if (!row) {
        RaiseJetError(err::kNoMatchingRow, "No record in '" + TableName(t) + "' matches the join field '" +
                                          table.parent_fields[0] + "' of '" + TableName(parent) + "'.");
      }
      if (row != writes_[t].rowid) {
        // Another row of T now: its own links are read from it as stored.
        writes_[t].rowid = row;
        writes_[t].fields.clear();
        writes_[t].inserted = false;
        reached[t] = true;
      }
    }
  }

  RecordsetState& s_;
  const JoinPlan& plan_;
  const PendingEdit& edit_;
  Connection& connection_;
  std::vector<TableWrite> writes_;
  bool root_row_ = true;  // the record has (or gets) a root row
};

}  // namespace

std::int64_t WriteJoinRow(RecordsetState& s, const PendingEdit& edit, std::optional<std::int64_t> key) {
  return JoinWriter(s, edit).Write(key);
}

}  // namespace qb::jet
