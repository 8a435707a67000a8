// controls/dao_field_data_link: the framework's handling first, then the control's state.
#include "controls/dao_field_data_link.h"

namespace qb {

void TDAOFieldDataLink::ActiveChanged() {
  TFieldDataLink::ActiveChanged();
  UpdateControlState();
}

// The framework reports a change between browse, edit, insert and set-key here.
void TDAOFieldDataLink::EditingChanged() {
  TFieldDataLink::EditingChanged();
  UpdateControlState();
}

void TDAOFieldDataLink::DataSetChanged() {
  TFieldDataLink::DataSetChanged();
  UpdateControlState();
}

void TDAOFieldDataLink::UpdateControlState() {
  if (OnControlState && DataSet()) OnControlState();
}

}  // namespace qb
