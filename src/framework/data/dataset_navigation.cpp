// framework/data/dataset_navigation: the record-buffer ring and the moves over it: filling the
// ring from the cursor, First, Last, MoveBy, Resync, bookmarks, record numbers and counts.
#include <algorithm>

#include "framework/data/dataset.h"

namespace qb {

TRecordBuffer TDataSet::ActiveBuffer() const {
  return record_count_ > 0 ? buffers_[static_cast<size_t>(active_record_)] : nullptr;
}

int TDataSet::SetDisplayRecord(int index) {
  int previous = active_record_;
  if (index >= 0 && index < record_count_) active_record_ = index;
  return previous;
}

// Resizes the ring to COUNT buffers (plus the scratch one). Shrinking keeps the active record:
// records are dropped before it as far as needed, then after it.
void TDataSet::SetBufferCount(int count) {
  if (count == buffer_count_) return;
  int old_records = record_count_;
  if (count < record_count_) {
    int drop_front = std::max(0, active_record_ - (count - 1));
    if (drop_front > 0) {
      std::rotate(buffers_.begin(), buffers_.begin() + drop_front, buffers_.begin() + record_count_);
      record_count_ -= drop_front;
      active_record_ -= drop_front;
      current_record_ = current_record_ >= drop_front ? current_record_ - drop_front : -1;
    }
    if (record_count_ > count) {
      record_count_ = count;
      if (current_record_ >= count) current_record_ = -1;
    }
  }
  // Used buffers stay in front; surplus ones are released, missing ones allocated.
  size_t wanted = static_cast<size_t>(count) + 1;
  while (buffers_.size() > wanted) {
    TRecordBuffer buffer = buffers_.back();
    buffers_.pop_back();
    ReleaseRecordBuffer(buffer);
  }
  while (buffers_.size() < wanted) buffers_.push_back(AllocateRecordBuffer());
  buffer_count_ = count;
  if (state_ != dsInactive && record_count_ > 0 && record_count_ < buffer_count_ &&
      state_ != dsInsert) {
    FillForward();
    FillBackward();
  }
  if (record_count_ != old_records) DataEvent(deDataSetChange);
}

void TDataSet::FreeBuffers() {
  for (TRecordBuffer& buffer : buffers_) ReleaseRecordBuffer(buffer);
  buffers_.clear();
  buffer_count_ = 0;
  ClearBuffers();
}

void TDataSet::ClearBuffers() {
  record_count_ = 0;
  active_record_ = 0;
  current_record_ = -1;
  bof_ = true;
  eof_ = true;
}

void TDataSet::PositionCursorOn(int index) {
  if (current_record_ == index) return;
  TRecordBuffer buffer = buffers_[static_cast<size_t>(index)];
  switch (ReadBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: MoveToRecordOf(buffer); break;
    case bfBOF: MoveBeforeFirst(); break;
    case bfEOF: MoveAfterLast(); break;
  }
  current_record_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (record_count_ > 0) PositionCursorOn(active_record_);
}

// Fetches the record after the ring's last one into the scratch buffer and adds it at the
// end; a full ring turns (its first record drops out, scroll_shift_ counts the turn).
bool TDataSet::FetchNextIntoRing() {
  if (record_count_ > 0) PositionCursorOn(record_count_ - 1);
  size_t scratch = static_cast<size_t>(buffer_count_);
  if (FetchAccepted(buffers_[scratch], fmNext, true) != frOk) {
    InvalidateCursorPosition();
    return false;
  }
  if (record_count_ == 0) {
    std::swap(buffers_[0], buffers_[scratch]);
    record_count_ = 1;
    active_record_ = 0;
    bof_ = eof_ = false;
  } else if (record_count_ < buffer_count_) {
    std::swap(buffers_[static_cast<size_t>(record_count_)], buffers_[scratch]);
    ++record_count_;
  } else {
    std::rotate(buffers_.begin(), buffers_.begin() + 1, buffers_.end());
    active_record_ = std::max(0, active_record_ - 1);
    --scroll_shift_;
  }
  current_record_ = record_count_ - 1;
  return true;
}

// Fetches the record before the ring's first one and puts it in front; a full ring drops its
// last record.
bool TDataSet::FetchPriorIntoRing() {
  if (record_count_ > 0) PositionCursorOn(0);
  size_t scratch = static_cast<size_t>(buffer_count_);
  if (FetchAccepted(buffers_[scratch], fmPrior, true) != frOk) {
    InvalidateCursorPosition();
    return false;
  }
  if (record_count_ == 0) {
    std::swap(buffers_[0], buffers_[scratch]);
    record_count_ = 1;
    active_record_ = 0;
    bof_ = eof_ = false;
  } else {
    std::swap(buffers_[static_cast<size_t>(record_count_)], buffers_[scratch]);
    std::rotate(buffers_.begin(), buffers_.begin() + record_count_,
                buffers_.begin() + record_count_ + 1);
    if (record_count_ < buffer_count_) {
      ++record_count_;
    } else {
      ++scroll_shift_;
    }
    active_record_ = std::min(active_record_ + 1, record_count_ - 1);
  }
  current_record_ = 0;
  return true;
}

void TDataSet::FillForward() {
  while (record_count_ < buffer_count_ && FetchNextIntoRing()) {
  }
}

void TDataSet::FillBackward() {
  while (record_count_ < buffer_count_ && FetchPriorIntoRing()) {
  }
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    MoveBeforeFirst();
    FillForward();
  } catch (...) {
    bof_ = true;
    DataEvent(deDataSetChange);
    throw;
  }
  bof_ = true;
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    MoveAfterLast();
    FillBackward();
  } catch (...) {
    eof_ = true;
    DataEvent(deDataSetChange);
    throw;
  }
  eof_ = true;
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (!((distance > 0 && !eof_) || (distance < 0 && !bof_))) return 0;
  DoBeforeScroll();
  bof_ = eof_ = false;
  int old_records = record_count_;
  int old_active = active_record_;
  scroll_shift_ = 0;
  int moved = 0;
  auto notify = [&] {
    if (record_count_ != old_records)
      DataEvent(deDataSetChange);
    else if (scroll_shift_ != 0 || active_record_ != old_active)
      DataEvent(deDataSetScroll, scroll_shift_);
  };
  try {
    for (; distance > 0; --distance, ++moved) {
      if (active_record_ < record_count_ - 1) {
        ++active_record_;
      } else if (FetchNextIntoRing()) {
        active_record_ = record_count_ - 1;
      } else {
        eof_ = true;
        break;
      }
    }
    for (; distance < 0; ++distance, --moved) {
      if (active_record_ > 0) {
        --active_record_;
      } else if (FetchPriorIntoRing()) {
        active_record_ = 0;
      } else {
        bof_ = true;
        break;
      }
    }
  } catch (...) {
    notify();
    throw;
  }
  notify();
  DoAfterScroll();
  return moved;
}

void TDataSet::Resync(TResyncMode mode) {
  CheckActive();
  TRecordBuffer scratch = buffers_[static_cast<size_t>(buffer_count_)];
  if (mode & rmExact) {
    InvalidateCursorPosition();
    if (FetchAccepted(scratch, fmCurrent, true) != frOk) DatabaseError(data_msg::kRecordNotFound);
  } else if (FetchAccepted(scratch, fmCurrent, false) != frOk &&
             FetchAccepted(scratch, fmNext, false) != frOk &&
             FetchAccepted(scratch, fmPrior, false) != frOk) {
    ClearBuffers();
    DataEvent(deDataSetChange);
    return;
  }
  int before = (mode & rmCenter) ? (buffer_count_ - 1) / 2 : active_record_;
  std::swap(buffers_[0], buffers_[static_cast<size_t>(buffer_count_)]);
  record_count_ = 1;
  active_record_ = 0;
  current_record_ = 0;
  bof_ = eof_ = false;
  try {
    while (before > 0 && FetchPriorIntoRing()) --before;
    FillForward();
    FillBackward();
  } catch (...) {
    DataEvent(deDataSetChange);
    throw;
  }
  DataEvent(deDataSetChange);
}

// ---------------------------------------------------------------- bookmarks and numbers

TBookmark TDataSet::GetBookmark() const {
  TBookmark bookmark;
  if (bookmark_size_ <= 0 || record_count_ == 0) return bookmark;
  if (state_ != dsBrowse && state_ != dsEdit && state_ != dsInsert) return bookmark;
  TRecordBuffer buffer = ActiveBuffer();
  if (ReadBookmarkFlag(buffer) != bfCurrent) return bookmark;
  bookmark.resize(static_cast<size_t>(bookmark_size_));
  ReadBookmark(buffer, bookmark.data());
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  MoveToBookmark(bookmark.data());
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  return CompareBookmarkValues(a.empty() ? nullptr : a.data(), b.empty() ? nullptr : b.data());
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (!Active() || bookmark.empty()) return false;
  return CheckBookmark(bookmark.data());
}

int TDataSet::RecNo() {
  CheckActive();
  return GetRecordNumber();
}

void TDataSet::SetRecNo(int number) {
  CheckBrowseMode();
  SetRecordNumber(number);
}

int TDataSet::RecordCount() {
  CheckActive();
  return CountRecords();
}

bool TDataSet::IsSequenced() {
  return Active() && HasSequenceNumbers();
}

}  // namespace qb
