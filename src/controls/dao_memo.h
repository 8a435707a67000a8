// controls/dao_memo: the framework's plain text control of a field with the data-access
// additions of dao_drop_control.h.
#pragma once
#include "controls/dao_drop_control.h"
#include "framework/controls/db_memo.h"

namespace qb {

class TDAOMemo : public TDAODropControl<TDBMemo> {
  Q_OBJECT

 public:
  explicit TDAOMemo(QWidget* parent = nullptr);

 protected:
  void LoadFromFile(const QString& path) override;
};

}  // namespace qb
