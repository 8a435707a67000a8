// recordset/dao_recordset: TDAORecordset, the recordset component placed on forms: the base
// recordset with its properties published.
#pragma once
#include "recordset/dao_base_recordset.h"

namespace qb {

class TDAORecordset : public TDAOBaseRecordset {
  Q_OBJECT

 public:
  explicit TDAORecordset(QObject* owner = nullptr) : TDAOBaseRecordset(owner) {}
  ~TDAORecordset() override = default;
};

}  // namespace qb
