// jet/recordset/recordset_edit: the edit cycle (Edit, AddNew, Update, CancelUpdate, Delete) and
// the writes behind it. Only fields changed in the buffer are written, so a default or another
// user's change in the others survives. Every write runs inside a unit of its own
// (WriteSavepoint), so a failure leaves the file as it was (and works inside the database's
// transactions too).
#include <sqlcipher/sqlite3.h>

#include "jet/base/errors.h"
#include "jet/recordset/edit_lock.h"
#include "jet/recordset/join_lock.h"
#include "jet/recordset/join_plan.h"
#include "jet/recordset/join_write.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_state.h"
#include "jet/sqlite/column_value.h"
#include "jet/recordset/stored_value.h"
#include "jet/catalog/schema_sql.h"
#include "jet/base/jet_types.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

// Rows on a store's cursor (row_mirror.h): written through the store alone, by key.
bool OnCursor(const RecordsetState& s) { return s.mirror && s.mirror->Positioned(); }

void RequireUpdatable(const RecordsetState& s) {
  if (!s.updatable) RaiseJetError(err::kReadOnly, "The recordset is read-only: it cannot be changed.");
}

// Runs the writes of one Update or Delete as a unit. It begins as a write: outside a
// transaction it takes the file's write lock before the save reads the record, so the save
// waits for another user's writes to end as a statement does.
class WriteScope {
 public:
  explicit WriteScope(Connection& connection) : savepoint_(connection, "qb_recordset_write") {}
  void Commit() { savepoint_.Release(); }

 private:
  WriteSavepoint savepoint_;
};

Variant EvaluateDefault(Connection& connection, const RecordsetColumn& column) {
  Statement sql = connection.Prepare("SELECT (" + StoredDefaultSql(column.default_value, column.type, column.name) + ")");
  ResetOnExit reset(sql);
  if (!sql.Step()) return Variant::Null();
  return sql.ColumnValue(0, column.type);
}

Variant NextAutoNumber(Connection& connection, const std::string& table) {
  Statement sql = connection.Prepare("SELECT max(ifnull((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), ifnull((SELECT max(rowid) FROM " +
                      sql::QuoteSqliteName(table) + "), 0)) + 1");
  ResetOnExit reset(sql);
  sql.Bind(1, table);
  sql.Step();
  return Variant(static_cast<int>(sql.ColumnInt(0)));
}

bool SameValue(const Variant& a, const Variant& b) { return a == b; }

// Inserts the changed fields of EDIT as a new row of the base table; returns its rowid.
std::int64_t InsertRow(RecordsetState& s, const PendingEdit& edit) {
  if (s.plan.join) return WriteJoinRow(s, edit, std::nullopt);
  Connection& connection = s.Open();
  std::string names, marks;
  std::vector<const Variant*> values;
  const auto& columns = s.plan.columns;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!edit.changed[i] || columns[i].base_column.empty()) continue;
    if (!names.empty()) {
      names += ", ";
      marks += ", ";
    }
    names += sql::QuoteSqliteName(columns[i].base_column);
    marks += "?" + std::to_string(values.size() + 1);
    values.push_back(&edit.values[i]);
  }
  const std::string table = sql::QuoteSqliteName(s.plan.base_table);
  Statement insert = connection.Prepare(names.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                               : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")");
  ResetOnExit reset(insert);
  for (std::size_t i = 0; i < values.size(); ++i) BindStoredValue(insert.Handle(), static_cast<int>(i + 1), *values[i]);
  insert.Step();
  return connection.LastInsertRowId();
}

// Writes the changed fields of EDIT to its row. Raises kRecordDeleted when the row is gone and
// kDataChanged when another user changed one of those fields since Edit read it. Returns the
// record's key now (a joined record of a kept one side that gets a many-side row changes key).
std::int64_t UpdateRow(RecordsetState& s, const PendingEdit& edit) {
  Connection& connection = s.Open();
  std::vector<Variant> stored;
  if (!s.Source().Fetch(edit.key, stored)) {
    RaiseJetError(err::kRecordDeleted, "The record has been deleted by another user since it was edited.");
  }
  const auto& columns = s.plan.columns;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    // Only a field this edit changes counts: other fields are not written, so a change another
    // user made to them survives.
    if (edit.changed[i] && !columns[i].base_column.empty() && !SameValue(stored[i], edit.original[i])) {
      RaiseJetError(err::kDataChanged,
                    "Another user changed the record since it was edited; the changes were not saved. Edit it again.");
    }
  }
  if (s.plan.join) return WriteJoinRow(s, edit, edit.key);
  std::string assignments;
  std::vector<const Variant*> values;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!edit.changed[i] || columns[i].base_column.empty()) continue;
    if (!assignments.empty()) assignments += ", ";
    assignments += sql::QuoteSqliteName(columns[i].base_column) + " = ?" + std::to_string(values.size() + 1);
    values.push_back(&edit.values[i]);
  }
  if (values.empty()) return edit.key;
  Statement update = connection.Prepare("UPDATE " + sql::QuoteSqliteName(s.plan.base_table) + " SET " + assignments +
                                     " WHERE rowid = ?" + std::to_string(values.size() + 1));
  ResetOnExit reset(update);
  for (std::size_t i = 0; i < values.size(); ++i) BindStoredValue(update.Handle(), static_cast<int>(i + 1), *values[i]);
  update.Bind(static_cast<int>(values.size() + 1), edit.key);
  update.Step();
  return edit.key;
}

}  // namespace

int Recordset::EditMode() const {
  const RecordsetState& s = State();
  return s.edit ? s.edit->mode : kEditNone;
}

void Recordset::Edit() {
  RecordsetState& s = State();
  RequireUpdatable(s);
  SyncWithFile(s);
  DropEdit(s);
  std::vector<Variant> values = CurrentValues(s);
  PendingEdit edit;
  edit.mode = kEditInProgress;
  if (OnCursor(s)) {
    // Nothing held here to lock or read again: the store checks the row at Update.
    edit.values = values;
    edit.original = std::move(values);
    edit.changed.assign(edit.values.size(), false);
    edit.chunked.assign(edit.values.size(), false);
    s.edit = std::move(edit);
    return;
  }
  edit.key = CurrentKey(s);
  if (s.plan.join) {
    LockJoinEdit(s, edit);  // every table's row the record shows
  } else if (s.lock_edits) {
    edit.lock = LockRecord(s, edit.key);
  }
  ReadForEdit(s, edit.key, values);  // the record as it is now, under the lock when there is one
  edit.values = values;
  edit.original = values;
  edit.changed.assign(values.size(), false);
  edit.chunked.assign(values.size(), false);
  s.edit = std::move(edit);
}

void Recordset::AddNew() {
  RecordsetState& s = State();
  RequireUpdatable(s);
  DropEdit(s);
  Connection& connection = s.Open();
  PendingEdit edit;
  edit.mode = kEditAdd;
  for (const RecordsetColumn& column : s.plan.columns) {
    if (s.plan.join && s.plan.join->column_table[edit.values.size()] != 0) {
      edit.values.push_back(Variant::Null());  // a one side's row is found (or made) at Update
    } else if (column.attributes & kAutoIncrField) {
      edit.values.push_back(NextAutoNumber(connection, s.plan.base_table));
    } else if (!column.default_value.empty()) {
      edit.values.push_back(EvaluateDefault(connection, column));
    } else if (column.type == sql::dao_type::kBoolean && !column.base_column.empty()) {
      edit.values.push_back(Variant(false));  // a Yes/No field without a default stores No
    } else {
      edit.values.push_back(Variant::Null());
    }
  }
  edit.changed.assign(edit.values.size(), false);
  edit.chunked.assign(edit.values.size(), false);
  s.edit = std::move(edit);
}

void Recordset::Update(int type, bool force) {
  RecordsetState& s = State();
  // An optimistic batch's send: the pending edit joins the kept writes first.
  const bool batched = s.mirror && s.mirror->Batched();
  if (batched && (type == kUpdateBatch || type == kUpdateCurrentRecord)) {
    if (s.edit) Update(kUpdateRegular);
    UpdateBatch(type, force);
    return;
  }
  if (type != kUpdateRegular) RaiseNotForThisKind("A batch update");
  if (!s.edit) RaiseJetError(err::kUpdateWithoutEdit, "Update without AddNew or Edit.");
  Connection& connection = s.Open();
  PendingEdit& edit = *s.edit;
  if (OnCursor(s) && edit.mode == kEditAdd) {
    // The store takes the row (with its own values, read back) after the cursor's last.
    s.mirror->Insert(s.plan.columns, edit.values, edit.changed);
    const std::int64_t pos = s.Keys().AppendPositioned();
    s.edit.reset();
    s.last_modified = BookmarkOf(s, pos);
    return;
  }
  if (OnCursor(s)) {
    // The store takes the write under its conflict rules; the row reads as written from now on.
    s.mirror->Update(s.plan.columns, edit.original, edit.values, edit.changed, s.update_options);
    s.mirror->Rewritten(s.pos, edit.values);
    s.Keys().RewriteHeld(s.pos, edit.values);
    s.edit.reset();
    s.last_modified = BookmarkOf(s, s.pos);
    if (s.place == Place::kAt) LandOn(s, s.pos);
    return;
  }
  RowMirror* const mirror = batched ? nullptr : s.mirror.get();  // batched: the copy only, for now
  if (edit.mode == kEditAdd) {
    std::int64_t rowid;
    std::shared_ptr<RecordLock> added_lock;
    {
      WriteScope scope(connection);
      if (mirror) mirror->Insert(s.plan.columns, edit.values, edit.changed);
      rowid = InsertRow(s, edit);
      added_lock = LockIfInTransaction(s, rowid);  // refused: the row is not added
      scope.Commit();
    }
    KeepUntilTransactionEnds(s, std::move(added_lock));
    PendingEdit added = std::move(*s.edit);
    s.edit.reset();
    if (s.IsTable()) {
      // The new row takes its place in the index order: the rows held are read again at the
      // next look at the file (the stamp differs), the current record found again by its rowid.
      s.last_modified = BookmarkOfRowid(rowid);
    } else {
      const std::int64_t pos = s.Keys().Append(rowid);
      s.last_modified = BookmarkOf(s, pos);
      if (batched) KeepBatchWrite(s, BatchWrite{kEditAdd, rowid, pos, {}, std::move(added.values), std::move(added.changed)});
    }
    return;
  }
  std::int64_t new_key = edit.key;
  {
    // Optimistic: locked only while writing.
    auto brief_lock = edit.lock || s.plan.join ? nullptr : LockRecord(s, edit.key);
    const auto join_locks = s.plan.join ? LockJoinUpdate(s, edit) : std::vector<std::shared_ptr<RecordLock>>();
    WriteScope scope(connection);
    CheckUnchangedSinceEdit(s, edit);
    new_key = UpdateRow(s, edit);
    if (mirror) mirror->Update(s.plan.columns, edit.original, edit.values, edit.changed, s.update_options);
    scope.Commit();
    KeepUntilTransactionEnds(s, edit.lock ? edit.lock : brief_lock);
    for (const auto& lock : edit.join_locks) KeepUntilTransactionEnds(s, lock);
    for (const auto& lock : join_locks) KeepUntilTransactionEnds(s, lock);
  }
  if (new_key != edit.key) s.Keys().ReplaceKey(s.pos, new_key);
  const std::int64_t key = edit.key;
  if (batched) KeepBatchWrite(s, BatchWrite{kEditInProgress, new_key, s.pos, edit.original, edit.values, edit.changed});
  s.edit.reset();
  if (s.IsTable()) {
    // The record is read again by its rowid: a changed key field moves it in the order, and
    // the next move goes on from its new place.
    SyncWithFile(s);
    s.last_modified = BookmarkOfRowid(key);
    return;
  }
  s.last_modified = BookmarkOf(s, s.pos);
  if (s.place == Place::kAt) LandOn(s, s.pos);
}

void Recordset::CancelUpdate(int type) {
  RecordsetState& s = State();
  if (type != kUpdateRegular) RaiseNotForThisKind("A batch update");
  if (!s.edit) RaiseJetError(err::kUpdateWithoutEdit, "CancelUpdate without AddNew or Edit.");
  s.edit.reset();
}

void Recordset::Delete() {
  RecordsetState& s = State();
  RequireUpdatable(s);
  SyncWithFile(s);
  CurrentValues(s);
  DropEdit(s);
  Connection& connection = s.Open();
  if (OnCursor(s)) {
    s.mirror->Delete(s.plan.columns, *s.current);
    s.rows->removed.insert(s.pos);
    s.place = Place::kGap;
    s.current = nullptr;
    return;
  }
  const bool batched = s.mirror && s.mirror->Batched();
  const std::vector<Variant> deleted = batched ? *s.current : std::vector<Variant>();
  {
    const DeletedRow target =
        s.plan.join ? JoinDeletedRow(s, CurrentKey(s)) : DeletedRow{s.plan.base_table, CurrentKey(s)};
    auto lock = LockRecord(s, target.table, target.rowid);
    WriteScope scope(connection);
    if (s.mirror && !batched) s.mirror->Delete(s.plan.columns, *s.current);
    Statement remove = connection.Prepare("DELETE FROM " + sql::QuoteSqliteName(target.table) + " WHERE rowid = ?1");
    ResetOnExit reset(remove);
    remove.Bind(1, target.rowid);
    remove.Step();
    if (connection.Changes() == 0) {
      if (s.IsTable()) {
        s.Window().LeaveCurrent();
      } else {
        s.Keys().MarkDeleted(s.pos);
      }
      s.current = nullptr;
      RaiseJetError(err::kRecordDeleted, "The record has already been deleted by another user.");
    }
    scope.Commit();
    KeepUntilTransactionEnds(s, std::move(lock));
  }
  if (s.IsTable()) {
    s.Window().LeaveCurrent();  // it marks where MoveNext and MovePrevious go on from
    s.key_only.reset();
  } else {
    s.rows->removed.insert(s.pos);
    if (batched) KeepBatchWrite(s, BatchWrite{kBatchDelete, CurrentKey(s), s.pos, deleted, {}, {}});
  }
  s.place = Place::kGap;
  s.current = nullptr;
  NoteOwnWrite(s);
}

}  // namespace qb::jet
