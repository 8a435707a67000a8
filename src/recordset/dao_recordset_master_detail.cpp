// recordset/dao_recordset_master_detail: following a master data source: the link, the delayed
// re-execution after the master moves (the detail update timer), re-executing the statement or
// saved query with the master's new values, and the removal of the master's data source.
#include <QTimer>

#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "engine/dao_wait_cursor.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/recordset_data_link.h"

namespace qb {

// ------------------------------------------------------------------ the link

void TRecordsetDataLink::ActiveChanged() {
  if (detail_->Active()) detail_->MasterChanged();
}

void TRecordsetDataLink::CheckBrowseMode() {
  if (detail_->Active()) detail_->CheckBrowseMode();
}

void TRecordsetDataLink::RecordChanged(TField*) {
  if (detail_->Active()) detail_->MasterChanged();
}

// ------------------------------------------------------------------ the master source

TDataSource* TDAOBaseRecordset::MasterSource() const { return master_link_ ? master_link_->DataSource() : nullptr; }

void TDAOBaseRecordset::SetMasterSource(TDataSource* source) {
  if (source == MasterSource()) return;
  if (source != nullptr) {
    // The source leads back to this recordset when its dataset is this one or follows it.
    const TDataSet* dataset = source->DataSet();
    for (int steps = 0; dataset != nullptr && steps < 1000; ++steps) {
      if (dataset == this) RaiseDAOError(this, ResString(kResCircularDataLink), "SetDataSource");
      const TDataSource* master = dataset->MasterDataSource();
      dataset = master != nullptr ? master->DataSet() : nullptr;
    }
  }
  if (!master_link_) master_link_ = std::make_unique<TRecordsetDataLink>(this);
  if (TDataSource* old = MasterSource()) RemoveFreeNotification(old);
  master_link_->SetDataSource(source);
  if (source != nullptr) FreeNotification(source);
}

void TDAOBaseRecordset::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && master_link_ && component == master_link_->DataSource()) {
    master_link_->SetDataSource(nullptr);
  }
  TDataSet::Notification(component, operation);
}

// ------------------------------------------------------------------ the delayed re-execution

QTimer& TDAOBaseRecordset::DetailTimer() {
  if (detail_timer_ == nullptr) {
    detail_timer_ = new QTimer(this);
    detail_timer_->setSingleShot(true);
    detail_timer_->setInterval(detail_update_delay_);
    QObject::connect(detail_timer_, &QTimer::timeout, this, [this] {
      // Nobody waits for this call: a failure is shown, never thrown into the event loop.
      try {
        ReexecuteQuery();
      } catch (const std::exception& error) {
        ReportException(error);
      }
    });
  }
  return *detail_timer_;
}

bool TDAOBaseRecordset::DetailUpdatePending() const { return detail_timer_ != nullptr && detail_timer_->isActive(); }

void TDAOBaseRecordset::SetDetailUpdateDelay(std::int32_t milliseconds) {
  detail_update_delay_ = milliseconds < 0 ? 0 : milliseconds;
  if (detail_timer_ != nullptr) detail_timer_->setInterval(detail_update_delay_);
  if (MasterSource() == nullptr && IsDesigning() && !IsLoading()) {
    ShowMessageBox(ResString(kResDetailDelayWithoutMaster), mcInformation, 0);
  }
}

void TDAOBaseRecordset::MasterChanged() {
  TDataSource* source = MasterSource();
  TDataSet* master = source != nullptr ? source->DataSet() : nullptr;
  if (master == nullptr || !master->Active() || !Active()) return;
  if (detail_update_delay_ == 0) {
    ReexecuteQuery();
    return;
  }
  QTimer& timer = DetailTimer();
  timer.stop();  // the delay counts from the latest change
  timer.start(detail_update_delay_);
}

void TDAOBaseRecordset::ReexecuteQuery() {
  if (detail_timer_ != nullptr) detail_timer_->stop();
  if (!Active()) return;
  DAOWaitScope wait;
  CheckBrowseMode();
  try {
    switch (type_) {
      case rtQuery:
      case rtSnapshot:
      case rtDynamic:
        if (recordset_) ReleaseRecordset();
        CreateCOMObj();
        break;
      case rtStoredProcedure:
        if (recordset_ && database_ != nullptr && database_->Connected()) {
          std::shared_ptr<jet::QueryDef> query = CallEngine(this, "ReexecuteQuery", [&] {
            return database_->DatabaseObject()->QueryDefs()->Item(std::string_view(stored_procedure_name_));
          });
          BindStoredProcParams(*query);
          COMRequery(query);
        }
        break;
      default: return;
    }
    if (auto_fill_up_ && recordset_ && !IsJetEmpty() && type_ != rtTable) {
      MoveLastRecord(0);
      MoveBeforeFirst();
      filled_up_ = true;
    } else {
      filled_up_ = false;
    }
  } catch (...) {
    // Without its statement the detail has nothing to show: it closes rather than keep the old
    // records on screen as if they belonged to the new master record.
    try {
      Close();
    } catch (const std::exception& error) {
      ReportException(error);
    }
    throw;
  }
  if (!recordset_) {
    Close();
    return;
  }
  Resync(0);
  // The statement may have been re-sorted since it last ran. Only after the resync: showing
  // a field repaints the controls, which must not read the buffers of the old records.
  if (only_idx_field_visible_) ApplyOnlyIdxFieldVisible();
}

}  // namespace qb
