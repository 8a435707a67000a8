// app/dataviewer/data_viewer_recordset: TDataViewerRecordset, the viewer's recordset, whose
// count can wait until its first rows are on the screen.
#pragma once
#include "recordset/dao_recordset.h"

namespace qb {

// While the count is deferred the recordset offers no record numbers (IsSequenced answers
// false), so the grid lays out its scroll bar by the ends only instead of counting a large
// table first; RecordCount still counts when asked. Ending the deferral tells the data links
// to lay their scroll bars out again, now with record numbers.
class TDataViewerRecordset final : public TDAORecordset {
 public:
  bool CountDeferred() const { return count_deferred_; }
  void SetCountDeferred(bool deferred) {
    if (deferred == count_deferred_) return;
    count_deferred_ = deferred;
    // A scroll by nothing: the bound controls read the position and the range again.
    if (!deferred && Active()) DataEvent(deDataSetScroll, 0);
  }

 protected:
  bool HasSequenceNumbers() override { return !count_deferred_ && TDAORecordset::HasSequenceNumbers(); }

 private:
  bool count_deferred_ = false;
};

}  // namespace qb
