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

 protected:
  // Shows the installed SQL parameter dialog (sql_parameter_hook.h) for this recordset.
  void EditStoredProcParams(jet::QueryDef& query) override;
};

}  // namespace qb
