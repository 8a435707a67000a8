// tests/framework/data/memory_dataset: the vector-backed test dataset.
#include "framework/data/memory_dataset.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/data/field.h"

namespace qb::testing {

MemValue EncodeInt(std::int32_t value) {
  std::vector<std::uint8_t> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

MemValue EncodeText(const std::string& text, int size) {
  std::vector<std::uint8_t> bytes(static_cast<size_t>(size) + 1, 0);
  std::memcpy(bytes.data(), text.data(), std::min(text.size(), static_cast<size_t>(size)));
  return bytes;
}

TMemoryDataSet::TMemoryDataSet(std::vector<MemColumn> columns, QObject* owner)
    : TDataSet(owner), columns_(std::move(columns)) {}

TMemoryDataSet::~TMemoryDataSet() { Close(); }

void TMemoryDataSet::AddRow(std::vector<MemValue> values) {
  values.resize(columns_.size());
  rows_.push_back(MemRow{next_id_++, std::move(values)});
}

void TMemoryDataSet::AddGeneratedRows(int count) {
  rows_.reserve(rows_.size() + static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) rows_.push_back(MemRow{next_id_++, {}});
}

std::vector<MemValue> TMemoryDataSet::ValuesOf(const MemRow& row) const {
  if (!row.values.empty()) return row.values;
  std::vector<MemValue> values = generator(row.id);
  values.resize(columns_.size());
  return values;
}

TRecordBuffer TMemoryDataSet::AllocateRecordBuffer() {
  auto* buffer = new Rec;
  buffer->cells.resize(Fields().size());
  return reinterpret_cast<TRecordBuffer>(buffer);
}

void TMemoryDataSet::ReleaseRecordBuffer(TRecordBuffer& buffer) {
  delete Of(buffer);
  buffer = nullptr;
}

void TMemoryDataSet::ClearRecordBuffer(TRecordBuffer buffer) {
  Rec* b = Of(buffer);
  b->flag = bfCurrent;
  b->id = 0;
  for (MemValue& slot : b->cells) slot.reset();
}

std::string TMemoryDataSet::RingIds() const {
  std::string text;
  for (int i = 0; i < BufferedRecords(); ++i) {
    const Rec* b = Of(Buffer(i));
    if (!text.empty()) text += ",";
    if (b->flag == bfCurrent) {
      int row = RowOf(b->id);
      std::int32_t id = -1;
      if (row >= 0) std::memcpy(&id, ValuesOf(rows_[static_cast<size_t>(row)])[0]->data(), 4);
      text += std::to_string(id);
    } else {
      text += b->flag == bfBOF ? "B" : b->flag == bfEOF ? "E" : "I";
    }
    if (i == ActiveRecord()) text += "*";
  }
  return text;
}

int TMemoryDataSet::RowOf(std::int32_t id) const {
  // Rows keep the order of their IDs until one is inserted or deleted: try the direct place.
  if (id >= 1 && static_cast<size_t>(id) <= rows_.size() && rows_[static_cast<size_t>(id - 1)].id == id)
    return id - 1;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].id == id) return static_cast<int>(i);
  return -1;
}

TFetchResult TMemoryDataSet::FetchRecord(TRecordBuffer buffer, TFetchMode mode, bool) {
  int count = static_cast<int>(rows_.size());
  switch (mode) {
    case fmCurrent:
      if (cursor_ >= count) return frEOF;
      if (cursor_ < 0) return frBOF;
      break;
    case fmNext:
      if (cursor_ >= count) return frEOF;
      if (++cursor_ >= count) return frEOF;
      break;
    case fmPrior:
      if (cursor_ < 0) return frBOF;
      if (--cursor_ < 0) return frBOF;
      break;
  }
  Rec* b = Of(buffer);
  FillFromRow(b, rows_[static_cast<size_t>(cursor_)]);
  ++fetches;
  ComputeCalculatedFields(buffer);
  return frOk;
}

void TMemoryDataSet::FillFromRow(Rec* b, const MemRow& row) const {
  const std::vector<MemValue> values = ValuesOf(row);
  b->cells.resize(Fields().size());
  for (size_t i = 0; i < Fields().size(); ++i) {
    const TField* field = Fields()[i];
    b->cells[i].reset();
    if ((field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) && field->FieldNo() > 0)
      b->cells[i] = values[static_cast<size_t>(field->FieldNo() - 1)];
  }
  b->id = row.id;
  b->flag = bfCurrent;
}

void TMemoryDataSet::ReadBookmark(TRecordBuffer buffer, std::uint8_t* destination) const {
  std::memcpy(destination, &Of(buffer)->id, 4);
}

void TMemoryDataSet::WriteBookmark(TRecordBuffer buffer, const std::uint8_t* source) {
  std::memcpy(&Of(buffer)->id, source, 4);
}

TBookmarkFlag TMemoryDataSet::ReadBookmarkFlag(TRecordBuffer buffer) const { return Of(buffer)->flag; }

void TMemoryDataSet::WriteBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  Of(buffer)->flag = flag;
}

void TMemoryDataSet::MoveToBookmark(const std::uint8_t* bookmark) {
  std::int32_t id = 0;
  std::memcpy(&id, bookmark, 4);
  int row = RowOf(id);
  if (row < 0) DatabaseError("No such row");
  cursor_ = row;
}

void TMemoryDataSet::MoveToRecordOf(TRecordBuffer buffer) {
  int row = RowOf(Of(buffer)->id);
  if (row >= 0) cursor_ = row;
}

void TMemoryDataSet::InternalInitFieldDefs() {
  FieldDefs().Clear();
  for (const MemColumn& column : columns_) FieldDefs().Add(column.name, column.type, column.size, column.required);
}

void TMemoryDataSet::OpenRecordset() {
  InternalInitFieldDefs();
  CreateFields();
  BindFields(true);
  if (fail_open) DatabaseError("The rows cannot be opened");
  SetBookmarkSize(4);
  cursor_ = -1;
  open_ = true;
}

void TMemoryDataSet::CloseRecordset() {
  BindFields(false);
  DestroyFields();
  open_ = false;
}

TMemoryDataSet::Rec* TMemoryDataSet::StateBuffer() const {
  if (probe_) return probe_;
  switch (State()) {
    case dsSetKey: return Of(KeyBuffer());
    case dsCalcFields:
    case dsInternalCalc: return Of(CalcBuffer());
    case dsFilter: return Of(FilterBuffer());
    case dsOldValue: return has_old_ ? const_cast<Rec*>(&old_) : Of(ActiveBuffer());
    case dsCurValue: {
      Rec* active = Of(ActiveBuffer());
      if (!active) return nullptr;
      int row = RowOf(active->id);
      cur_ = Rec{};
      cur_.cells.resize(Fields().size());
      if (row >= 0 && active->flag == bfCurrent) FillFromRow(&cur_, rows_[static_cast<size_t>(row)]);
      return &cur_;
    }
    default: return Of(ActiveBuffer());
  }
}

int TMemoryDataSet::SlotOf(const TField* field) const {
  auto it = std::find(Fields().begin(), Fields().end(), field);
  return it == Fields().end() ? -1 : static_cast<int>(it - Fields().begin());
}

bool TMemoryDataSet::ReadFieldValue(const TField* field, void* destination) {
  Rec* b = StateBuffer();
  int slot = SlotOf(field);
  if (!b || slot < 0) return false;
  const MemValue& value = b->cells[static_cast<size_t>(slot)];
  if (!value) return false;
  if (destination) std::memcpy(destination, value->data(), value->size());
  return true;
}

void TMemoryDataSet::WriteFieldValue(TField* field, const void* source) {
  Rec* b = StateBuffer();
  int slot = SlotOf(field);
  if (!b || slot < 0) return;
  MemValue& value = b->cells[static_cast<size_t>(slot)];
  if (source) {
    const auto* bytes = static_cast<const std::uint8_t*>(source);
    value = std::vector<std::uint8_t>(bytes, bytes + field->DataSize());
  } else {
    value.reset();
  }
  if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
    NotifyDataChange(deFieldChange, field);
}

void TMemoryDataSet::BeginEdit() {
  old_ = *Of(ActiveBuffer());
  has_old_ = true;
}

void TMemoryDataSet::PrepareInsert() {
  if (fail_prepare_insert > 0) {
    --fail_prepare_insert;
    DatabaseError("No new row can be started");
  }
  old_ = Rec{};
  old_.cells.resize(Fields().size());
  has_old_ = true;
}

void TMemoryDataSet::CancelRecord() {
  if (fail_cancel) DatabaseError("The edit cannot be undone");
  has_old_ = false;
}

void TMemoryDataSet::PostRecord() {
  if (!fail_post.empty()) DatabaseError(fail_post);
  Rec* b = Of(ActiveBuffer());
  std::vector<MemValue> values(columns_.size());
  for (size_t i = 0; i < Fields().size(); ++i) {
    const TField* field = Fields()[i];
    if ((field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) && field->FieldNo() > 0)
      values[static_cast<size_t>(field->FieldNo() - 1)] = b->cells[i];
  }
  if (State() == dsEdit) {
    int row = RowOf(b->id);
    if (row < 0) DatabaseError("The row was deleted by another user");
    rows_[static_cast<size_t>(row)].values = std::move(values);
    cursor_ = row;
    has_old_ = false;
    return;
  }
  int at = static_cast<int>(rows_.size());
  if (b->flag == bfBOF) at = 0;
  if (b->flag == bfInserted) at = std::max(0, RowOf(b->id));
  rows_.insert(rows_.begin() + at, MemRow{next_id_++, std::move(values)});
  cursor_ = at;
  has_old_ = false;
}

void TMemoryDataSet::DeleteRecord() {
  if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size())) DatabaseError("No current row");
  rows_.erase(rows_.begin() + cursor_);
}

int TMemoryDataSet::GetRecordNumber() {
  if (!HasCurrentRecord()) return 0;
  return RowOf(Of(ActiveBuffer())->id) + 1;
}

void TMemoryDataSet::SetRecordNumber(int number) {
  if (rows_.empty()) return;
  DoBeforeScroll();
  cursor_ = std::clamp(number - 1, 0, static_cast<int>(rows_.size()) - 1);
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

// A blob stream over one cell: reads a copy; writes collect the bytes and store them on Close
// (no bytes: no value).
class MemBlobStream : public TBlobStream {
 public:
  MemBlobStream(TMemoryDataSet* ds, TField* field, MemValue* cell, TBlobStreamMode mode)
      : ds_(ds), field_(field), cell_(cell), mode_(mode) {
    if (mode != bmWrite && *cell) data_ = **cell;
  }
  ~MemBlobStream() override {
    try {
      Close();
    } catch (...) {
    }
  }
  std::int64_t Read(void* buffer, std::int64_t count) override {
    std::int64_t n = std::min<std::int64_t>(count, Size() - pos_);
    if (n <= 0) return 0;
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (mode_ == bmRead) DatabaseError("The stream is read-only");
    if (static_cast<size_t>(pos_ + count) > data_.size()) data_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    dirty_ = true;
    return count;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
    pos_ = std::clamp<std::int64_t>(base + offset, 0, Size());
    return pos_;
  }
  std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
  void Close() override {
    if (closed_) return;
    closed_ = true;
    if (mode_ == bmRead || (!dirty_ && mode_ == bmReadWrite)) return;
    if (data_.empty())
      cell_->reset();
    else
      *cell_ = data_;
    ds_->NotifyDataChange(deFieldChange, field_);
  }

 private:
  TMemoryDataSet* ds_;
  TField* field_;
  MemValue* cell_;
  TBlobStreamMode mode_;
  std::vector<std::uint8_t> data_;
  std::int64_t pos_ = 0;
  bool dirty_ = false;
  bool closed_ = false;
};

std::unique_ptr<TBlobStream> TMemoryDataSet::OpenBlobStream(TField* field, TBlobStreamMode mode) {
  Rec* b = StateBuffer();
  int slot = SlotOf(field);
  if (!b || slot < 0) DatabaseError("No record to read the value from");
  return std::make_unique<MemBlobStream>(this, field, &b->cells[static_cast<size_t>(slot)], mode);
}

std::vector<TField*> TMemoryDataSet::IndexFields() const {
  std::vector<TField*> fields;
  for (const std::string& name : key_columns) fields.push_back(FieldByName(name));
  return fields;
}

bool TMemoryDataSet::IsIndexedField(const TField* field) const {
  return std::any_of(key_columns.begin(), key_columns.end(),
                     [field](const std::string& name) { return SameName(name, field->FieldName()); });
}

std::vector<Variant> TMemoryDataSet::RowValues(size_t row, const std::vector<TField*>& fields) {
  Rec probe;
  FillFromRow(&probe, rows_[row]);
  probe_ = &probe;
  std::vector<Variant> values;
  try {
    for (TField* field : fields) values.push_back(field->AsVariant());
  } catch (...) {
    probe_ = nullptr;
    throw;
  }
  probe_ = nullptr;
  return values;
}

int CompareValues(const Variant& a, const Variant& b, bool caseless) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : a.IsNull() ? -1 : 1;
  if (a.Type() == VarType::String || b.Type() == VarType::String) {
    std::string x = a.ToString(), y = b.ToString();
    if (caseless) {
      for (char& c : x) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      for (char& c : y) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return x < y ? -1 : x > y ? 1 : 0;
  }
  double x = a.ToDouble(), y = b.ToDouble();
  return x < y ? -1 : x > y ? 1 : 0;
}

bool TMemoryDataSet::SeekKey(bool nearest) {
  std::vector<TField*> fields = IndexFields();
  if (KeyFieldCount() > 0 && static_cast<size_t>(KeyFieldCount()) < fields.size())
    fields.resize(static_cast<size_t>(KeyFieldCount()));
  std::vector<Variant> key;
  TDataSetState saved = SetTempState(dsSetKey);
  for (TField* field : fields) key.push_back(field->AsVariant());
  RestoreState(saved);
  for (size_t row = 0; row < rows_.size(); ++row) {
    std::vector<Variant> values = RowValues(row, fields);
    int order = 0;
    for (size_t i = 0; i < key.size() && order == 0; ++i) order = CompareValues(values[i], key[i]);
    if (nearest ? (order > 0 || (order == 0 && !KeyExclusive())) : order == 0) {
      cursor_ = static_cast<int>(row);
      return true;
    }
  }
  cursor_ = static_cast<int>(rows_.size());
  return false;
}

bool TMemoryDataSet::ReadCurrentRecord(TRecordBuffer buffer) {
  if (!buffer || !HasCurrentRecord() || cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size())) return false;
  Rec* b = Of(buffer);
  TBookmarkFlag flag = b->flag;
  std::int32_t id = b->id;
  FillFromRow(b, rows_[static_cast<size_t>(cursor_)]);
  b->flag = flag;  // the bookmark and its flag stay as they were
  b->id = id;
  ComputeCalculatedFields(buffer);
  return true;
}

int TMemoryDataSet::FindRow(std::string_view key_fields, const Variant& key_values, TLocateOptions options) {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(key_fields);
  std::vector<Variant> key = key_values.IsArray() ? key_values.Items() : std::vector<Variant>{key_values};
  if (key.size() != fields.size()) DatabaseError("Key values do not match the key fields");
  bool caseless = (options & loCaseInsensitive) != 0;
  for (size_t row = 0; row < rows_.size(); ++row) {
    std::vector<Variant> values = RowValues(row, fields);
    bool match = true;
    for (size_t i = 0; i < key.size() && match; ++i) {
      if ((options & loPartialKey) && values[i].Type() == VarType::String && !key[i].IsNull()) {
        std::string prefix = key[i].ToString();
        Variant head(values[i].ToString().substr(0, prefix.size()));
        match = CompareValues(head, Variant(prefix), caseless) == 0;
      } else {
        match = CompareValues(values[i], key[i], caseless) == 0;
      }
    }
    if (match) return static_cast<int>(row);
  }
  return -1;
}

bool TMemoryDataSet::Locate(std::string_view key_fields, const Variant& key_values, TLocateOptions options) {
  CheckBrowseMode();
  int row = FindRow(key_fields, key_values, options);
  if (row < 0) return false;
  DoBeforeScroll();
  cursor_ = row;
  Resync(rmExact | rmCenter);
  DoAfterScroll();
  return true;
}

Variant TMemoryDataSet::Lookup(std::string_view key_fields, const Variant& key_values,
                               std::string_view result_fields) {
  ++lookups;
  int row = FindRow(key_fields, key_values, 0);
  if (row < 0) return Variant::Null();
  // As a cursor-based store would: stand on the record, read it into a buffer of its own,
  // and tell the dataset that the cursor moved.
  cursor_ = row;
  Rec lookup;
  lookup.cells.resize(Fields().size());
  Variant result = Variant::Null();
  if (ReadCurrentRecord(reinterpret_cast<TRecordBuffer>(&lookup))) {
    probe_ = &lookup;
    try {
      result = FieldValues(result_fields);
    } catch (...) {
      probe_ = nullptr;
      InvalidateCursorPosition();
      throw;
    }
    probe_ = nullptr;
  }
  InvalidateCursorPosition();
  return result;
}

int TMemoryDataSet::CompareBookmarkValues(const std::uint8_t* a, const std::uint8_t* b) const {
  if (!a || !b) return a == b ? 0 : (a ? -1 : 1);
  std::int32_t x = 0, y = 0;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  return x < y ? -1 : x > y ? 1 : 0;
}

bool TMemoryDataSet::CheckBookmark(const std::uint8_t* bookmark) {
  std::int32_t id = 0;
  std::memcpy(&id, bookmark, 4);
  return RowOf(id) >= 0;
}

}  // namespace qb::testing
