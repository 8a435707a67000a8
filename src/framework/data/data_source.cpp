// framework/data/data_source: data sources and the translation of dataset notifications into
// data-link calls, with each link's window of records.
#include "framework/data/data_source.h"

#include <algorithm>

#include "framework/component/properties.h"
#include "framework/data/data_errors.h"
#include "framework/data/dataset.h"

namespace qb {

TDataSource::TDataSource(QObject* owner) : TComponent(owner) {}

const PropertyTable& TDataSource::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDataSource>()
          .Bool("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit, true)
          .Reference("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
          .Bool("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true)
          .Build();
  return table;
}

TDataSource::~TDataSource() {
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->SetDataSource(nullptr);
  if (dataset_) {
    TDataSet* dataset = dataset_;
    dataset_ = nullptr;
    dataset->RemoveDataSource(this);
  }
}

bool TDataSource::IsLinkedTo(const TDataSet* dataset) const {
  return dataset && dataset->IsLinkedTo(this);
}

void TDataSource::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (IsLinkedTo(dataset)) DatabaseError(data_msg::kCircularDataLink);
  if (dataset_) {
    TDataSet* old = dataset_;
    dataset_ = nullptr;
    old->RemoveDataSource(this);
    RemoveFreeNotification(old);
  }
  dataset_ = dataset;
  if (dataset_) {
    FreeNotification(dataset_);
    dataset_->AddDataSource(this);
  }
  NotifyLinks(deUpdateState, 0);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == dataset_) {
    // The dataset's own destructor has detached this source already; only the pointer is left.
    dataset_ = nullptr;
    NotifyLinks(deUpdateState, 0);
  }
  TComponent::Notification(component, operation);
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyLinks(deUpdateState, 0);
}

TDataSetState TDataSource::State() const {
  return dataset_ && enabled_ ? dataset_->State() : dsInactive;
}

void TDataSource::Edit() {
  if (auto_edit_ && dataset_ && State() == dsBrowse) dataset_->Edit();
}

void TDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
  if (dataset_) dataset_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  if (dataset_) dataset_->UpdateBufferCount();
}

void TDataSource::NotifyLinks(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    TDataSetState state = State();
    bool changed = state != last_state_;
    last_state_ = state;
    if (changed && OnStateChange) OnStateChange(this);
  } else if (event == deUpdateRecord) {
    if (OnUpdateData) OnUpdateData(this);
  }
  if (!enabled_ && event != deUpdateState) return;
  // A link may leave while it is told: walk a copy, skip the ones gone.
  for (TDataLink* link : std::vector<TDataLink*>(links_)) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, info);
  }
  if ((event == deFieldChange || event == deRecordChange || event == deDataSetChange ||
       event == deDataSetScroll || event == deLayoutChange) &&
      OnDataChange) {
    OnDataChange(this, event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
  }
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
  if (source_) source_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == source_) return;
  if (source_) source_->RemoveLink(this);
  source_ = source;
  if (source_) source_->AddLink(this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

void TDataLink::SetBufferCount(int count) {
  count = std::max(1, count);
  if (count == buffer_count_) return;
  buffer_count_ = count;
  TDataSet* dataset = DataSet();
  if (active_ && dataset) {
    dataset->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) return 0;
  return std::clamp(dataset->BufferedRecords() - first_record_, 0, buffer_count_);
}

int TDataLink::ActiveRecord() const {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) return 0;
  return dataset->ActiveRecord() - first_record_;
}

void TDataLink::SetActiveRecord(int index) {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) return;
  int target = first_record_ + index;
  int delta = target - dataset->ActiveRecord();
  if (delta != 0) dataset->MoveBy(delta);
}

bool TDataLink::Edit() {
  if (!read_only_ && source_) source_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  // The dataset's own state, not the cached Editing(): while controls are disabled the link
  // hears no state change, yet its pending value must still reach the record.
  TDataSetState state = source_ ? source_->State() : dsInactive;
  bool editing = !read_only_ && (state == dsEdit || state == dsInsert || state == dsSetKey);
  if (!editing || updating_) return;
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

// Keeps the dataset's active record inside the window, the window inside the filled records.
void TDataLink::UpdateRange() {
  TDataSet* dataset = DataSet();
  if (!dataset) return;
  int active = dataset->ActiveRecord();
  int records = dataset->BufferedRecords();
  if (first_record_ > records - buffer_count_) first_record_ = records - buffer_count_;
  if (active < first_record_) first_record_ = active;
  if (active >= first_record_ + buffer_count_) first_record_ = active - buffer_count_ + 1;
  if (first_record_ < 0) first_record_ = 0;
}

void TDataLink::UpdateState() {
  TDataSource* source = source_;
  bool active = source && source->State() != dsInactive;
  if (active != active_) {
    active_ = active;
    first_record_ = 0;
    if (active_) UpdateRange();
    ActiveChanged();
  }
  TDataSetState state = source ? source->State() : dsInactive;
  bool editing = state == dsEdit || state == dsInsert || state == dsSetKey;
  if (editing && read_only_) editing = false;
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  switch (event) {
    case deUpdateState:
      UpdateState();
      return;
    default:
      break;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
      UpdateRange();
      DataSetChanged();
      break;
    case deDataSetScroll: {
      first_record_ += static_cast<int>(info);
      UpdateRange();
      DataSetScrolled(static_cast<int>(info));
      break;
    }
    case deLayoutChange:
      UpdateRange();
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case dePropertyChange:
      FieldPropertyChanged(reinterpret_cast<TField*>(info));
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField*>(info));
      break;
    default:
      break;
  }
}

}  // namespace qb
