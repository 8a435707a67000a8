// framework/data/dataset_editing: the edit protocol: Edit, Insert, Append, Post, Cancel,
// Delete, CheckBrowseMode and Refresh, with the error handlers that may retry an operation.
#include <algorithm>

#include "framework/data/dataset.h"
#include "framework/data/field.h"

namespace qb {

bool TDataSet::CanModify() const { return Active() && CanModifyRecords(); }

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(data_msg::kDataSetReadOnly);
}

void TDataSet::RunGuarded(const TDataSetErrorEvent& handler, const std::function<void()>& operation) {
  for (;;) {
    try {
      operation();
      return;
    } catch (EDatabaseError& error) {
      TDataAction action = daFail;
      if (handler) handler(this, error, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort(data_msg::kOperationAborted);
    }
  }
}

void TDataSet::UpdateRecord() {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey) DatabaseError(data_msg::kNotEditing);
  DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  switch (state_) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  CheckActive();
  if (record_count_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  RunGuarded(OnEditError, [this] {
    UpdateCursorPos();
    BeginEdit();
  });
  SetState(dsEdit);
  DataEvent(deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::InitNewRecord(TRecordBuffer buffer) {
  ClearRecordBuffer(buffer);
  WriteBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  DoBeforeScroll();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  TBookmark before = GetBookmark();
  // The new buffer goes in at the active index; the records from there on move up by one (a
  // full ring drops its last one into the scratch place).
  size_t at = static_cast<size_t>(active_record_);
  size_t spare = static_cast<size_t>(record_count_);
  std::swap(buffers_[spare], buffers_[static_cast<size_t>(buffer_count_)]);
  std::rotate(buffers_.begin() + static_cast<std::ptrdiff_t>(at),
              buffers_.begin() + static_cast<std::ptrdiff_t>(spare),
              buffers_.begin() + static_cast<std::ptrdiff_t>(spare) + 1);
  if (current_record_ >= active_record_) {
    ++current_record_;
    if (current_record_ >= buffer_count_) current_record_ = -1;
  }
  TRecordBuffer buffer = buffers_[at];
  InitNewRecord(buffer);
  if (record_count_ == 0)
    WriteBookmarkFlag(buffer, bfBOF);
  else if (!before.empty())
    WriteBookmark(buffer, before.data());
  if (record_count_ < buffer_count_) ++record_count_;
  bof_ = eof_ = false;
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer buffer = buffers_[0];
  InitNewRecord(buffer);
  WriteBookmarkFlag(buffer, bfEOF);
  record_count_ = 1;
  active_record_ = 0;
  bof_ = eof_ = false;
  try {
    FillBackward();  // the records before the new one, for the controls
  } catch (...) {
    Resync(0);
    throw;
  }
  EndInsertAppend();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    PrepareInsert();
    Fire(OnNewRecord);
  } catch (...) {
    // Back to browse with the ring rebuilt from the cursor; the new record never existed.
    try {
      CancelRecord();
    } catch (...) {
    }
    SetState(dsBrowse);
    InvalidateCursorPosition();
    try {
      Resync(0);
    } catch (...) {
    }
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  DoAfterScroll();
}

void TDataSet::CheckRequiredFields() {
  for (TField* field : fields_) {
    if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData && field->IsNull()) {
      DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(field));
      DatabaseError(Format(data_msg::kFieldRequired, field->DisplayName()));
    }
  }
}

void TDataSet::Post() {
  UpdateRecord();
  if (state_ == dsSetKey) {
    EndKeyEntry(true);
    return;
  }
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforePost);
  RunGuarded(OnPostError, [this] {
    CheckRequiredFields();
    RefreshInternalCalcFields(ActiveBuffer());
    PostRecord();
  });
  // Only a stored record ends the edit: on failure the buffer keeps what the user entered.
  SetState(dsBrowse);
  InvalidateCursorPosition();
  Resync(0);
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (state_ == dsSetKey) {
    EndKeyEntry(false);
    return;
  }
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforeCancel);
  CancelRecord();
  // With the pending edit gone, the cursor can stand where the active buffer says.
  InvalidateCursorPosition();
  UpdateCursorPos();
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (record_count_ == 0) DatabaseError(data_msg::kDataSetEmpty);
  CheckCanModify();
  DataEvent(deCheckBrowseMode);
  Fire(BeforeDelete);
  DoBeforeScroll();
  RunGuarded(OnDeleteError, [this] {
    UpdateCursorPos();
    DeleteRecord();
  });
  SetState(dsBrowse);
  InvalidateCursorPosition();
  Resync(0);
  Fire(AfterDelete);
  DoAfterScroll();
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  RefreshRecords();
  InvalidateCursorPosition();
  Resync(0);
}

}  // namespace qb
