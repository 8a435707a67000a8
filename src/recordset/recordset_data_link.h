// recordset/recordset_data_link: the link by which a detail recordset follows its master's data
// source: a move or change of the master's record, or the master opening or closing, asks the
// detail to re-execute; leaving edit mode on the master posts the detail's pending edit first.
#pragma once
#include "framework/data/data_source.h"

namespace qb {

class TDAOBaseRecordset;

class TRecordsetDataLink : public TDataLink {
 public:
  explicit TRecordsetDataLink(TDAOBaseRecordset* detail) : detail_(detail) {}

 protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void RecordChanged(TField* field) override;

 private:
  TDAOBaseRecordset* detail_;  // the owner; outlives the link
};

}  // namespace qb
