// framework/controls/grid_data_link: relays the dataset's notifications to the grid.
#include "framework/controls/grid_data_link.h"

#include "framework/controls/db_grid.h"

namespace qb {

void TGridDataLink::ActiveChanged() { grid_->LinkActive(); }
void TGridDataLink::EditingChanged() { grid_->EditingChanged(); }
void TGridDataLink::DataSetChanged() { grid_->DataChanged(); }
void TGridDataLink::DataSetScrolled(int) { grid_->DataChanged(); }
void TGridDataLink::LayoutChanged() { grid_->LinkActive(); }
void TGridDataLink::RecordChanged(TField* field) { grid_->RecordChanged(field); }
void TGridDataLink::UpdateData() { grid_->UpdateData(); }
void TGridDataLink::FocusControl(TField* field) { grid_->FocusField(field); }

}  // namespace qb
