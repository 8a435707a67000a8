// jet/recordset/recordset: the Recordset's life, moves, positions, bookmarks and counts. Editing
// lives in recordset_edit.cpp, Seek and Find in recordset_search.cpp, fields and properties in
// recordset_fields.cpp, opening in recordset_open.cpp.
#include "jet/recordset/recordset.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <cstring>

#include "jet/base/errors.h"
#include "jet/query/database_file.h"
#include "jet/recordset/recordset_state.h"
#include "jet/recordset/recordset_table.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

// ---- helpers shared by the member files ----

DatabaseFile* RecordsetState::LiveDatabase() const {
  if (database.expired()) return nullptr;
  if (!database_seen) database_seen = database.lock().get();
  return database_seen->IsOpen() ? database_seen : nullptr;
}

Connection& RecordsetState::Open() const {
  if (!LiveDatabase()) RaiseJetError(err::kObjectClosed, "The recordset's database is closed.");
  return *connection;
}

std::shared_ptr<SharedRows> MakeRows(RecordsetState& s) {
  auto rows = std::make_shared<SharedRows>();
  std::string select = s.plan.select_sql;
  if (s.plan.append_only) {
    select = "SELECT * FROM (" + select + ") LIMIT 0";
  } else if (s.plan.max_records > 0) {
    select = "SELECT * FROM (" + select + ") LIMIT " + std::to_string(s.plan.max_records);
  }
  rows->source = std::make_unique<RowSource>(*s.connection, s.plan.columns, select, s.plan.base_table,
                                             s.plan.parameters, s.plan.join, s.plan.fetch_sql);
  if (s.mirror && s.mirror->Streams()) {
    rows->source->StreamFrom(s.mirror.get());
    rows->source->SetStreamRun(s.cache_size);
  } else if (s.mirror && s.mirror->Positioned()) {
    rows->source->PositionFrom(s.mirror.get());
    rows->source->SetStreamRun(s.cache_size);
  }
  rows->keyset = std::make_unique<Keyset>(*rows->source, s.type == kOpenForwardOnly);
  rows->numbers = BookmarkNumbers(s.bookmark_space);
  if (s.mirror) rows->mirror_reloads = s.mirror->Reloads();
  if (s.IsTable()) {
    // Moves by key: the keyset is never loaded.
    rows->window = std::make_unique<KeyWindow>(*s.connection, s.table, s.index_name, s.plan.columns);
    return rows;
  }
  const bool whole_table = s.plan.rowid_order && !s.plan.append_only && s.plan.max_records == 0;
  auto read_stamp = [&connection = *s.connection, stamp_sql = std::make_shared<Statement>()] {
    return ReadDataStamp(connection, *stamp_sql);
  };
  if (whole_table) {
    rows->keyset->FollowRowidOrder(std::move(read_stamp));
  } else if (rows->source->Keyed()) {
    rows->keyset->RelearnOnChange(std::move(read_stamp));
  }
  return rows;
}

void FollowMirrorReload(RecordsetState& s) {
  const std::uint64_t reloads = s.mirror->Reloads();
  // The current row's key, from its values as held (a pointer of an older generation may be stale).
  std::optional<std::vector<Variant>> key;
  const std::vector<std::size_t> keys = s.mirror->KeyColumns();
  if (s.place == Place::kAt && s.current && s.current_generation == s.Keys().Generation() && !keys.empty()) {
    key.emplace();
    for (std::size_t k : keys) {
      if (k < s.current->size()) key->push_back((*s.current)[k]);
    }
  }
  DropEdit(s);
  // A clone may have taken the new rows already: share them, and so the bookmarks.
  std::shared_ptr<SharedRows> next = s.rows->successor;
  while (next && next->successor) next = next->successor;
  if (!next || next->mirror_reloads != reloads) {
    next = MakeRows(s);
    for (SharedRows* old = s.rows.get(); old; old = old->successor.get()) {
      if (!old->successor) {
        old->successor = next;
        break;
      }
    }
  }
  s.rows = next;
  s.cache_start = Variant();  // a bookmark of the rows replaced
  s.current = nullptr;
  s.place = Place::kBof;
  s.pos = -1;
  if (key && key->size() == keys.size()) {
    for (auto pos = NextPosition(s, -1); pos; pos = NextPosition(s, *pos)) {
      LandOn(s, *pos);
      bool same = s.current != nullptr;
      for (std::size_t i = 0; same && i < keys.size(); ++i) same = (*s.current)[keys[i]] == (*key)[i];
      if (same) return;
    }
    s.current = nullptr;
    s.place = Place::kBof;
    s.pos = -1;
  }
  s.reached = 0;
  if (auto pos = NextPosition(s, -1)) LandOn(s, *pos);  // the row is gone, or there was none
}

void NoteOwnWrite(RecordsetState& s) {
  if (s.IsTable()) s.seen = ReadDataStamp(s.Open(), s.stamp_sql);
}

std::int64_t CurrentKey(RecordsetState& s) { return s.key_only ? *s.key_only : s.Keys().KeyAt(s.pos); }

void LandOn(RecordsetState& s, std::int64_t pos) {
  s.key_only.reset();
  s.place = Place::kAt;
  s.pos = pos;
  s.reached = std::max(s.reached, pos + 1);
  DataStamp stamp;
  if (s.Keyed()) stamp = ReadDataStamp(s.Open(), s.stamp_sql);
  if (s.mirror) s.mirror_rewrites = s.mirror->Rewrites();
  s.current = s.Keys().ValuesAt(pos, stamp);
  s.current_generation = s.Keys().Generation();
}

std::optional<std::int64_t> NextPosition(RecordsetState& s, std::int64_t from) {
  std::int64_t pos = from + 1;
  while (s.Keys().Reach(pos)) {
    if (!s.rows->removed.count(pos)) return pos;
    ++pos;
  }
  return std::nullopt;
}

std::optional<std::int64_t> PreviousPosition(RecordsetState& s, std::int64_t from) {
  for (std::int64_t pos = from - 1; pos >= 0; --pos) {
    if (!s.rows->removed.count(pos)) return pos;
  }
  return std::nullopt;
}

void DropEdit(RecordsetState& s) { s.edit.reset(); }

void RaiseNoRecords() { RaiseJetError(err::kNoCurrentRecord, "There is no current record: the recordset has no records."); }

void RaiseNotForThisKind(const char* what) {
  RaiseJetError(err::kNotForThisObject, std::string(what) + " is not supported for this type of recordset.");
}

const std::vector<Variant>& CurrentValues(RecordsetState& s) {
  s.Open();
  if (s.place == Place::kGap) RaiseJetError(err::kRecordDeleted, "The current record has been deleted.");
  if (s.place != Place::kAt) RaiseJetError(err::kNoCurrentRecord, "There is no current record.");
  if (!s.key_only && s.current && s.current_generation != s.Keys().Generation()) LandOn(s, s.pos);
  if (s.mirror && s.current && s.mirror->Rewrites() != s.mirror_rewrites) {
    s.mirror_rewrites = s.mirror->Rewrites();
    LandOn(s, s.pos);  // the copy's rows were rewritten under the record: read it again
  }
  if (!s.current) RaiseJetError(err::kRecordDeleted, "The record has been deleted by another user.");
  return *s.current;
}

namespace {

Variant FourBytes(std::int64_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  std::vector<std::uint8_t> bytes(4);
  std::memcpy(bytes.data(), &v, 4);
  return Variant::FromBytes(std::move(bytes));
}

[[noreturn]] void BadBookmark() { RaiseJetError(err::kBadBookmark, "Not a valid bookmark."); }

}  // namespace

// Table-type bookmarks are rowids; other kinds carry their rows' numbers (bookmark_numbers.h).
Variant BookmarkOfRowid(std::int64_t rowid) {
  if (rowid < INT32_MIN || rowid > INT32_MAX) {
    RaiseJetError(err::kResourceExceeded, "The record's key is beyond the range a bookmark can hold.");
  }
  return FourBytes(rowid);
}

Variant BookmarkOf(RecordsetState& s, std::int64_t pos) { return FourBytes(s.rows->numbers.NumberOf(pos)); }

namespace {

std::int64_t BookmarkValue(const Variant& bookmark) {
  if (bookmark.Type() != VarType::ByteArray || bookmark.Bytes().size() != 4) BadBookmark();
  std::uint32_t raw = 0;
  std::memcpy(&raw, bookmark.Bytes().data(), 4);
  return static_cast<std::int64_t>(static_cast<std::int32_t>(raw));
}

}  // namespace

std::int64_t RowidOfBookmark(const Variant& bookmark) { return BookmarkValue(bookmark); }

std::int64_t PositionOfBookmark(RecordsetState& s, const Variant& bookmark) {
  const auto number = static_cast<std::uint32_t>(BookmarkValue(bookmark));
  const std::optional<std::int64_t> pos = s.rows->numbers.PositionOf(number);
  if (!pos || !s.Keys().Reach(*pos) || s.rows->removed.count(*pos)) BadBookmark();
  return *pos;
}

// ---- Recordset ----

Recordset::Recordset(std::unique_ptr<RecordsetState> state) : state_(std::move(state)) {}
Recordset::~Recordset() = default;

RecordsetState& Recordset::State() const {
  if (!state_) RaiseJetError(err::kObjectClosed, "The recordset is closed.");
  state_->Open();
  RecordsetState& s = *state_;
  if (s.mirror && s.rows && s.mirror->Reloads() != s.rows->mirror_reloads) FollowMirrorReload(s);
  return s;
}

bool Recordset::IsOpen() const { return state_ && state_->LiveDatabase(); }

void Recordset::Close() {
  State();
  state_.reset();
}

std::string Recordset::Name() const { return State().plan.name; }
int Recordset::Type() const { return State().type; }
bool Recordset::Updatable() const { return State().updatable; }
bool Recordset::Restartable() const { return State().type != kOpenTable; }
bool Recordset::Bookmarkable() const { return State().type != kOpenForwardOnly; }

namespace {

void NotForThisKind(const char* what) { RaiseNotForThisKind(what); }

void RequireBackwards(const RecordsetState& s, const char* what) {
  if (s.type == kOpenForwardOnly) NotForThisKind(what);
}

bool IsEmpty(RecordsetState& s) { return s.IsTable() ? TableEmpty(s) : !NextPosition(s, -1).has_value(); }

}  // namespace

bool Recordset::Bof() const {
  RecordsetState& s = State();
  if (s.place == Place::kAt) return false;
  SyncWithFile(s);
  if (s.place == Place::kBof) return true;
  return IsEmpty(s);
}

bool Recordset::Eof() const {
  RecordsetState& s = State();
  if (s.place == Place::kAt) return false;  // a record is current: no need to look at the file
  SyncWithFile(s);
  if (s.place == Place::kEof) return true;
  if (s.place == Place::kBof) return IsEmpty(s);
  return false;
}

void Recordset::MoveFirst() {
  RecordsetState& s = State();
  RequireBackwards(s, "MoveFirst");
  if (s.IsTable()) return TableMoveFirst(s);
  DropEdit(s);
  SyncWithFile(s);
  auto pos = NextPosition(s, -1);
  if (!pos) RaiseNoRecords();
  LandOn(s, *pos);
}

void Recordset::MoveLast(int /*options*/) {
  RecordsetState& s = State();
  RequireBackwards(s, "MoveLast");
  if (s.IsTable()) return TableMoveLast(s);
  DropEdit(s);
  SyncWithFile(s);
  s.Keys().LoadAll();
  s.reached = s.Keys().Known();
  auto pos = PreviousPosition(s, s.Keys().Known());
  if (!pos) RaiseNoRecords();
  LandOn(s, *pos);
}

namespace {

// Stepping to the neighbouring record whose values were read with the current one's run: the
// run is taken as one fetch, as a record cache would hold it, so the file is not asked again.
bool StepWithinRun(RecordsetState& s, std::int64_t pos) {
  if (pos >= s.Keys().Known() || s.rows->removed.count(pos)) return false;
  if (s.mirror && s.mirror->Rewrites() != s.mirror_rewrites) {
    s.mirror_rewrites = s.mirror->Rewrites();
    return false;  // the copy's rows were rewritten: the run held is stale
  }
  const std::vector<Variant>* values = s.Keys().HeldValuesAt(pos);
  if (!values) return false;
  s.place = Place::kAt;
  s.pos = pos;
  s.reached = std::max(s.reached, pos + 1);
  s.current = values;
  s.current_generation = s.Keys().Generation();
  return true;
}

}  // namespace

void Recordset::MoveNext() {
  RecordsetState& s = State();
  if (s.IsTable()) return TableMoveNext(s);
  if (s.place == Place::kAt && !s.edit && s.Keyed() && StepWithinRun(s, s.pos + 1)) return;
  if (s.place == Place::kEof || (s.place == Place::kBof && IsEmpty(s))) {
    RaiseJetError(err::kNoCurrentRecord, "There is no current record: the recordset is at its end.");
  }
  DropEdit(s);
  const std::int64_t from = s.place == Place::kGap ? s.pos - 1 : s.pos;
  if (auto pos = NextPosition(s, from)) {
    LandOn(s, *pos);
  } else {
    s.place = Place::kEof;
    s.pos = s.Keys().Known();
    s.current = nullptr;
  }
}

void Recordset::MovePrevious() {
  RecordsetState& s = State();
  RequireBackwards(s, "MovePrevious");
  if (s.IsTable()) return TableMovePrevious(s);
  if (s.place == Place::kAt && !s.edit && s.Keyed() && s.pos > 0 && StepWithinRun(s, s.pos - 1)) return;
  if (s.place == Place::kBof || (s.place == Place::kEof && IsEmpty(s))) {
    RaiseJetError(err::kNoCurrentRecord, "There is no current record: the recordset is at its start.");
  }
  DropEdit(s);
  if (s.place == Place::kEof) s.Keys().LoadAll();
  const std::int64_t from = s.place == Place::kEof ? s.Keys().Known() : s.pos;
  if (auto pos = PreviousPosition(s, from)) {
    LandOn(s, *pos);
  } else {
    s.place = Place::kBof;
    s.pos = -1;
    s.current = nullptr;
  }
}

void Recordset::Move(std::int64_t rows, const Variant& start_bookmark) {
  RecordsetState& s = State();
  if (s.type == kOpenForwardOnly && rows <= 0) NotForThisKind("Moving backwards");
  if (s.IsTable()) return TableMove(s, rows, start_bookmark);
  std::int64_t from;
  if (!start_bookmark.IsEmpty() && !start_bookmark.IsNull()) {
    from = PositionOfBookmark(s, start_bookmark);
  } else {
    if (s.place != Place::kAt) RaiseJetError(err::kNoCurrentRecord, "There is no current record to move from.");
    from = s.pos;
  }
  DropEdit(s);
  std::int64_t pos = from;
  for (std::int64_t step = 0; step < rows; ++step) {
    auto next = NextPosition(s, pos);
    if (!next) {
      s.place = Place::kEof;
      s.pos = s.Keys().Known();
      s.current = nullptr;
      return;
    }
    pos = *next;
  }
  for (std::int64_t step = 0; step > rows; --step) {
    auto previous = PreviousPosition(s, pos);
    if (!previous) {
      s.place = Place::kBof;
      s.pos = -1;
      s.current = nullptr;
      return;
    }
    pos = *previous;
  }
  LandOn(s, pos);
}

Variant Recordset::Bookmark() const {
  RecordsetState& s = State();
  RequireBackwards(s, "Bookmark");
  // A table-type record held as read (as a record cache holds it) is known by its rowid: its
  // bookmark needs no look at the file, which would cost a read transaction per record walked.
  if (s.IsTable() && s.place == Place::kAt && s.key_only && !s.edit) return BookmarkOfRowid(*s.key_only);
  SyncWithFile(s);
  if (s.place != Place::kAt) RaiseJetError(err::kNoCurrentRecord, "There is no current record.");
  if (s.key_only) return BookmarkOfRowid(*s.key_only);
  return BookmarkOf(s, s.pos);
}

void Recordset::SetBookmark(const Variant& bookmark) {
  RecordsetState& s = State();
  RequireBackwards(s, "Bookmark");
  if (s.IsTable()) return TableSetBookmark(s, bookmark);
  const std::int64_t pos = PositionOfBookmark(s, bookmark);
  DropEdit(s);
  LandOn(s, pos);
}

Variant Recordset::LastModified() const {
  RecordsetState& s = State();
  if (!s.last_modified) RaiseJetError(err::kNoCurrentRecord, "No record has been added or changed through this recordset.");
  return *s.last_modified;
}

namespace {

// Records before POS that were not deleted through the recordset.
std::int64_t OrdinalOf(const RecordsetState& s, std::int64_t pos) {
  std::int64_t removed = 0;
  for (std::int64_t r : s.rows->removed) {
    if (r < pos) ++removed;
  }
  return pos - removed;
}

// The position of the ORDINAL-th (0-based) record not deleted through the recordset.
std::optional<std::int64_t> PositionOfOrdinal(RecordsetState& s, std::int64_t ordinal) {
  std::int64_t pos = ordinal;
  for (std::int64_t r : s.rows->removed) {
    if (r <= pos) ++pos;
  }
  if (!s.Keys().Reach(pos)) return std::nullopt;
  return pos;
}

}  // namespace

std::int64_t Recordset::AbsolutePosition() const {
  RecordsetState& s = State();
  if (s.type == kOpenTable || s.type == kOpenForwardOnly) NotForThisKind("AbsolutePosition");
  if (s.place != Place::kAt) return -1;
  return OrdinalOf(s, s.pos);
}

void Recordset::SetAbsolutePosition(std::int64_t position) {
  RecordsetState& s = State();
  if (s.type == kOpenTable || s.type == kOpenForwardOnly) NotForThisKind("AbsolutePosition");
  auto pos = position >= 0 ? PositionOfOrdinal(s, position) : std::nullopt;
  if (!pos) RaiseJetError(err::kInvalidArgument, "The position is outside the recordset's records.");
  DropEdit(s);
  LandOn(s, *pos);
}

float Recordset::PercentPosition() const {
  RecordsetState& s = State();
  RequireBackwards(s, "PercentPosition");
  const std::int64_t count = RecordCount();
  if (count == 0) return 0.0f;
  std::int64_t ordinal = -1;
  if (s.IsTable()) {
    ordinal = TableOrdinal(s);  // counted now: a table-type recordset keeps no positions
  } else if (s.place == Place::kAt) {
    ordinal = OrdinalOf(s, s.pos);
  }
  if (ordinal < 0) return 0.0f;
  return static_cast<float>(static_cast<double>(ordinal) * 100.0 / static_cast<double>(count));
}

void Recordset::SetPercentPosition(float percent) {
  RecordsetState& s = State();
  RequireBackwards(s, "PercentPosition");
  if (!(percent >= 0.0f && percent <= 100.0f)) {
    RaiseJetError(err::kInvalidArgument, "PercentPosition must lie between 0 and 100.");
  }
  const std::int64_t count = RecordCount();
  if (count == 0) return;
  auto ordinal = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(percent) / 100.0 * static_cast<double>(count)));
  ordinal = std::min(ordinal, count - 1);
  if (s.IsTable()) return TableMoveToOrdinal(s, ordinal);
  auto pos = PositionOfOrdinal(s, ordinal);
  if (!pos) return;
  DropEdit(s);
  LandOn(s, *pos);
}

std::int64_t Recordset::RecordCount() const {
  RecordsetState& s = State();
  if (s.IsTable()) return TableRowCount(s);
  const std::int64_t reached = s.Keys().Complete() ? s.Keys().Known() : std::min(s.reached, s.Keys().Known());
  std::int64_t removed = 0;
  for (std::int64_t r : s.rows->removed) {
    if (r < reached) ++removed;
  }
  return reached - removed;
}

int Recordset::CacheSize() const { return State().cache_size; }
void Recordset::SetCacheSize(int rows) {
  if (rows < 0) RaiseJetError(err::kInvalidArgument, "CacheSize cannot be negative.");
  RecordsetState& s = State();
  s.cache_size = rows;
  // Rows streamed from a data source, or read from its cursor, are read (and held) this many at
  // a time from the next run on.
  if (s.rows && s.rows->source && (s.rows->source->Streamed() || s.rows->source->Positioned())) {
    s.rows->source->SetStreamRun(rows);
  }
}
int Recordset::BatchSize() const { return State().batch_size; }
void Recordset::SetBatchSize(int statements) {
  if (statements < 0) RaiseJetError(err::kInvalidArgument, "BatchSize cannot be negative.");
  State().batch_size = statements;
}
int Recordset::UpdateOptions() const { return State().update_options; }
void Recordset::SetUpdateOptions(int options) { State().update_options = options; }
bool Recordset::LockEdits() const { return State().lock_edits; }
void Recordset::SetLockEdits(bool pessimistic) { State().lock_edits = pessimistic; }

void Recordset::Requery() {
  const RecordsetState& s = State();
  Requery(s.mirror ? s.mirror->Parameters() : s.plan.parameters);
}

void RequeryRows(RecordsetState& s, const std::vector<Variant>& parameters, std::int64_t max_records) {
  if (s.IsTable()) RaiseNotForThisKind("Requery");
  DropEdit(s);
  if (s.mirror) {
    s.Open();
    // The limit goes to the store's statement: the copy holds no more rows than it allows.
    s.mirror->Reload(parameters, max_records);  // the copy's own statement has no parameters
    // An optimistic batch's kept writes were in the copy just replaced.
    s.batch->writes.clear();
    s.batch->collisions.clear();
    s.mirror->SetUnsent({});
  } else {
    s.plan.parameters = parameters;
    s.plan.max_records = max_records;
  }
  s.rows = MakeRows(s);  // numbered on from the old rows' numbers: their bookmarks die
  s.cache_start = Variant();
  s.reached = 0;
  s.current = nullptr;
  s.place = Place::kBof;
  s.pos = -1;
  if (auto pos = NextPosition(s, -1)) LandOn(s, *pos);
}

void Recordset::NameAs(const std::string& name) { State().plan.name = name; }

void Recordset::Requery(const std::vector<Variant>& new_parameters) {
  RecordsetState& s = State();
  RequeryRows(s, new_parameters, s.mirror ? s.mirror->MaxRows() : s.plan.max_records);
}

std::shared_ptr<Recordset> Recordset::Clone() {
  RecordsetState& s = State();
  if (s.type == kOpenForwardOnly) NotForThisKind("Clone");
  auto copy = std::make_unique<RecordsetState>();
  copy->database = s.database;
  copy->connection = s.connection;
  copy->table_indexes = s.table_indexes;
  copy->type = s.type;
  copy->options = s.options;
  copy->lock_type = s.lock_type;
  copy->updatable = s.updatable;
  copy->lock_edits = s.lock_edits;
  copy->cache_size = s.cache_size;
  copy->batch_size = s.batch_size;
  copy->update_options = s.update_options;
  copy->cache_start = s.cache_start;
  copy->bookmark_space = s.bookmark_space;
  copy->plan = s.plan;
  copy->table = s.table;
  // A table-type clone has no Index until one is set: it starts in the natural order.
  copy->hold = s.hold;
  copy->mirror = s.mirror;
  copy->batch = s.batch;  // one set of rows: one batch of kept writes
  // A table-type clone follows the file on its own (its bookmarks are rowids); other kinds
  // share their rows, so positions and bookmarks agree.
  copy->rows = s.IsTable() ? MakeRows(*copy) : s.rows;
  return std::make_shared<Recordset>(std::move(copy));
}

}  // namespace qb::jet
