// tests/framework/data/memory_dataset: a dataset over a vector of rows, the smallest complete
// descendant of TDataSet, with switches that make its hooks fail on demand.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/data/dataset.h"

namespace qb::testing {

struct MemColumn {
  std::string name;
  TFieldType type;
  int size = 0;
  bool required = false;
};

// One stored value in a field's native format; nullopt: no value.
using MemValue = std::optional<std::vector<std::uint8_t>>;

struct MemRow {
  std::int32_t id;  // the bookmark
  std::vector<MemValue> values;  // empty: made by the dataset's generator
};

class TMemoryDataSet : public TDataSet {
 public:
  explicit TMemoryDataSet(std::vector<MemColumn> columns, QObject* owner = nullptr);
  ~TMemoryDataSet() override;

  // Appends a stored row (ID column first); values as native bytes by EncodeInt/EncodeText.
  void AddRow(std::vector<MemValue> values);
  // Appends COUNT rows whose values the generator makes from the row's ID whenever the row is
  // read, so that a large table costs only its IDs. REQUIRES: generator is set.
  void AddGeneratedRows(int count);
  std::function<std::vector<MemValue>(std::int32_t id)> generator;
  const std::vector<MemRow>& Rows() const { return rows_; }
  // Changes a stored value as another user would, behind the dataset's back.
  void SetStoredValue(size_t row, size_t column, MemValue value) { rows_[row].values[column] = std::move(value); }

  bool read_only = false;
  bool fail_open = false;             // OpenRecordset raises after making the fields
  std::string fail_post;              // PostRecord raises this message while not empty
  int fail_prepare_insert = 0;        // PrepareInsert raises this many times
  bool fail_cancel = false;           // CancelRecord raises
  TDataSource* master = nullptr;      // MasterDataSource
  // The index a key search uses (the rows are taken to be in its order); its fields are the
  // indexed ones.
  std::vector<std::string> key_columns;
  int fetches = 0;                    // FetchRecord calls that delivered a record
  bool sequenced = true;              // HasSequenceNumbers

  TDataSource* MasterDataSource() const override { return master; }
  std::vector<TField*> IndexFields() const override;
  // Search the rows in order, comparing through the fields (texts by text, numbers by value).
  bool Locate(std::string_view key_fields, const Variant& key_values, TLocateOptions options) override;
  Variant Lookup(std::string_view key_fields, const Variant& key_values, std::string_view result_fields) override;
  int lookups = 0;  // Lookup calls
  using TDataSet::KeyBuffer;
  using TDataSet::ActiveBuffer;
  // The rows' IDs in the ring's buffers, the active one starred: "3,4*,5"; flags other than
  // current are shown as B, E or I.
  std::string RingIds() const;

 protected:
  TRecordBuffer AllocateRecordBuffer() override;
  void ReleaseRecordBuffer(TRecordBuffer& buffer) override;
  void ClearRecordBuffer(TRecordBuffer buffer) override;
  TFetchResult FetchRecord(TRecordBuffer buffer, TFetchMode mode, bool check) override;
  void ReadBookmark(TRecordBuffer buffer, std::uint8_t* destination) const override;
  void WriteBookmark(TRecordBuffer buffer, const std::uint8_t* source) override;
  TBookmarkFlag ReadBookmarkFlag(TRecordBuffer buffer) const override;
  void WriteBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void MoveToBookmark(const std::uint8_t* bookmark) override;
  void MoveToRecordOf(TRecordBuffer buffer) override;
  void MoveBeforeFirst() override { cursor_ = -1; }
  void MoveAfterLast() override { cursor_ = static_cast<int>(rows_.size()); }
  void OpenRecordset() override;
  void CloseRecordset() override;
  bool CursorIsOpen() const override { return open_; }
  void InternalInitFieldDefs() override;
  bool ReadFieldValue(const TField* field, void* destination) override;
  void WriteFieldValue(TField* field, const void* source) override;
  void BeginEdit() override;
  void PrepareInsert() override;
  void CancelRecord() override;
  void PostRecord() override;
  void DeleteRecord() override;
  int CountRecords() override { return static_cast<int>(rows_.size()); }
  int GetRecordNumber() override;
  void SetRecordNumber(int number) override;
  bool HasSequenceNumbers() override { return sequenced; }
  int CompareBookmarkValues(const std::uint8_t* a, const std::uint8_t* b) const override;
  bool CheckBookmark(const std::uint8_t* bookmark) override;
  bool CanModifyRecords() const override { return !read_only; }
  bool IsIndexedField(const TField* field) const override;
  bool SeekKey(bool nearest) override;
  bool ReadCurrentRecord(TRecordBuffer buffer) override;
  std::unique_ptr<TBlobStream> OpenBlobStream(TField* field, TBlobStreamMode mode) override;

 private:
  friend class MemBlobStream;
  struct Rec {
    TBookmarkFlag flag = bfCurrent;
    std::int32_t id = 0;
    std::vector<MemValue> cells;  // by position in Fields()
  };
  static Rec* Of(TRecordBuffer buffer) { return reinterpret_cast<Rec*>(buffer); }
  Rec* StateBuffer() const;
  void FillFromRow(Rec* b, const MemRow& row) const;
  // FIELDS' values in stored row ROW, read through the fields.
  std::vector<Variant> RowValues(size_t row, const std::vector<TField*>& fields);
  // The first row matching the key; -1 when none.
  int FindRow(std::string_view key_fields, const Variant& key_values, TLocateOptions options);
  int SlotOf(const TField* field) const;
  int RowOf(std::int32_t id) const;
  std::vector<MemValue> ValuesOf(const MemRow& row) const;

  std::vector<MemColumn> columns_;
  std::vector<MemRow> rows_;
  std::int32_t next_id_ = 1;
  Rec old_;               // the record before the pending edit (old value)
  bool has_old_ = false;  // an edit or insert is pending
  mutable Rec cur_;       // the stored record, read for the current value
  Rec* probe_ = nullptr;  // while set, the fields read this record (RowValues)
  int cursor_ = -1;  // -1 before the first row, rows_.size() after the last
  bool open_ = false;
};

// Orders two values: Null first, texts by text (CASELESS: ignoring ASCII case), the rest
// as numbers.
int CompareValues(const Variant& a, const Variant& b, bool caseless = false);

MemValue EncodeInt(std::int32_t value);
MemValue EncodeText(const std::string& text, int size);

}  // namespace qb::testing
