// framework/data/dataset_filter: filtering the records the ring holds, the Find operations
// that search with the filter handler, and the block-read state.
#include "framework/data/dataset.h"

namespace qb {

bool TDataSet::RecordAccepted(TRecordBuffer buffer) {
  bool accept = true;
  TRecordBuffer saved_buffer = filter_buffer_;
  TDataSetState saved = SetTempState(dsFilter);
  filter_buffer_ = buffer;
  try {
    OnFilterRecord(this, accept);
  } catch (const std::exception& error) {
    // A faulty handler must not stop the dataset from moving; the user is told.
    filter_buffer_ = saved_buffer;
    RestoreState(saved);
    ReportException(error);
    return accept;
  } catch (...) {
    filter_buffer_ = saved_buffer;
    RestoreState(saved);
    throw;
  }
  filter_buffer_ = saved_buffer;
  RestoreState(saved);
  return accept;
}

TFetchResult TDataSet::FetchAccepted(TRecordBuffer buffer, TFetchMode mode, bool check) {
  for (;;) {
    TFetchResult result = FetchRecord(buffer, mode, check);
    if (result != frOk || !Filtering() || RecordAccepted(buffer)) return result;
    // The cursor's own record is refused: there is no current record to give.
    if (mode == fmCurrent) return frError;
  }
}

void TDataSet::SetFiltered(bool value) {
  if (value == filtered_) return;
  if (!Active()) {
    filtered_ = value;
    return;
  }
  CheckBrowseMode();
  filtered_ = value;
  First();
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent handler) {
  if (Active() && filtered_) CheckBrowseMode();
  OnFilterRecord = std::move(handler);
  if (Active() && filtered_) First();
}

bool TDataSet::FindRecord(bool restart, bool forward) {
  CheckBrowseMode();
  DoBeforeScroll();
  found_ = false;
  if (restart) {
    if (forward)
      MoveBeforeFirst();
    else
      MoveAfterLast();
  } else {
    UpdateCursorPos();
  }
  InvalidateCursorPosition();  // the search moves the cursor away from the active record
  TRecordBuffer scratch = buffers_[static_cast<size_t>(buffer_count_)];
  TFetchMode mode = forward ? fmNext : fmPrior;
  while (FetchRecord(scratch, mode, true) == frOk) {
    if (!OnFilterRecord || RecordAccepted(scratch)) {
      found_ = true;
      break;
    }
  }
  if (found_) Resync(rmExact | rmCenter);
  DoAfterScroll();
  return found_;
}

void TDataSet::SetBlockReadSize(int size) {
  if (size > 0) {
    CheckActive();
    CheckBrowseMode();
    block_read_size_ = size;
    SetState(dsBlockRead);
    return;
  }
  if (state_ != dsBlockRead) {
    block_read_size_ = 0;
    return;
  }
  SetState(dsBrowse);
}

}  // namespace qb
