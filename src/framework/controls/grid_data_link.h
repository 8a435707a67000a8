// framework/controls/grid_data_link: the link of a data grid. Its window of records is the
// grid's visible rows (BufferCount); it tells the grid of every change to the dataset, its
// state and its fields.
#pragma once
#include "framework/data/data_source.h"

namespace qb {

class TDBGrid;

class TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid* grid) : grid_(grid) {}
  // Index of the window's first record in the dataset's ring of buffers.
  int WindowStart() const { return FirstRecord(); }

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;
  void FocusControl(TField* field) override;

 private:
  TDBGrid* grid_;
};

}  // namespace qb
