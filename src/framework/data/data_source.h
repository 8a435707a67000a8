// framework/data/data_source: data sources and data links. A data source connects one
// dataset to any number of data links (controls, master-detail followers); a link sees the
// dataset's notifications translated into virtual calls and a window of BufferCount records.
#pragma once
#include <functional>
#include <vector>

#include "framework/component/component.h"
#include "framework/data/data_types.h"

namespace qb {

class TDataSet;
class TDataLink;
class TField;
class TDataSource;

using TDataSourceNotifyEvent = std::function<void(TDataSource* sender)>;
using TDataChangeEvent = std::function<void(TDataSource* sender, TField* field)>;

class TDataSource : public TComponent {
  Q_OBJECT

 public:
  explicit TDataSource(QObject* owner = nullptr);
  // Detaches every link and leaves the dataset.
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataset_; }
  // Raises EDatabaseError kCircularDataLink when DATASET follows this source (directly or
  // through its masters); nothing changes then.
  void SetDataSet(TDataSet* dataset);
  // True when DATASET is this source's dataset or follows it through master sources.
  bool IsLinkedTo(const TDataSet* dataset) const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Browse, edit ...; inactive without a dataset or when disabled.
  TDataSetState State() const;
  // When AutoEdit is on, Edit puts the dataset into edit state (controls call it before they
  // change a field); otherwise nothing.
  bool AutoEdit() const { return auto_edit_; }
  void SetAutoEdit(bool value) { auto_edit_ = value; }
  void Edit();

  const std::vector<TDataLink*>& DataLinks() const { return links_; }

  TDataSourceNotifyEvent OnStateChange, OnUpdateData;
  TDataChangeEvent OnDataChange;

  void Notification(TComponent* component, TOperation operation) override;
  // Published: AutoEdit (true), DataSet (none), Enabled (true).
  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  friend class TDataSet;
  friend class TDataLink;
  void NotifyLinks(TDataEvent event, std::intptr_t info);
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

  TDataSet* dataset_ = nullptr;
  std::vector<TDataLink*> links_;  // not owned
  bool enabled_ = true;
  bool auto_edit_ = true;
  TDataSetState last_state_ = dsInactive;
};

// A link to a data source. The dataset's ring holds at least BufferCount records for it;
// ActiveRecord is the active record's index within the link's window of records.
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return source_; }
  // Joins SOURCE's links (null: leaves). The link becomes active when the source's dataset is.
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const;
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  int BufferCount() const { return buffer_count_; }
  // At least 1; resizes the dataset's ring when it is open.
  void SetBufferCount(int count);
  // Records of the window that hold records (at most BufferCount).
  int RecordCount() const;
  int ActiveRecord() const;
  void SetActiveRecord(int index);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }
  // Makes the dataset edit the active record (through the source's Edit); answers whether the
  // dataset is in edit or insert state afterwards.
  bool Edit();
  // Asks this link to write its pending value (UpdateData) when it is editing.
  void UpdateRecord();

 protected:
  // Notifications, in the order the dataset sends them.
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}
  virtual void FieldPropertyChanged(TField* /*field*/) {}
  virtual void FocusControl(TField* /*field*/) {}
  int FirstRecord() const { return first_record_; }

 private:
  friend class TDataSource;
  void DataEvent(TDataEvent event, std::intptr_t info);
  void UpdateState();
  void UpdateRange();

  TDataSource* source_ = nullptr;
  int buffer_count_ = 1;
  int first_record_ = 0;  // index of the window's first record in the dataset's ring
  bool active_ = false;
  bool editing_ = false;
  bool read_only_ = false;
  bool updating_ = false;  // inside UpdateData: its own writes are not echoed back
};

}  // namespace qb
