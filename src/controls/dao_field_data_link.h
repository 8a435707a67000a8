// controls/dao_field_data_link: the field link of the data-access controls. Beyond the
// framework's link it tells its control to bring its look up to date (UpdateControlState)
// whenever the dataset opens or closes, changes its state, or refills its records.
#pragma once
#include <functional>

#include "framework/controls/field_data_link.h"

namespace qb {

class TDAOFieldDataLink : public TFieldDataLink {
 public:
  TDAOFieldDataLink() = default;

  // The control's UpdateControlState; run only while the link has a dataset.
  std::function<void()> OnControlState;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override;

 private:
  void UpdateControlState();
};

}  // namespace qb
