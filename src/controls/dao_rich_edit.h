// controls/dao_rich_edit: the framework's formatted text control of a field with the data-access
// additions of dao_drop_control.h.
#pragma once
#include "controls/dao_drop_control.h"
#include "framework/controls/db_rich_edit.h"

namespace qb {

class TDAORichEdit : public TDAODropControl<TDBRichEdit> {
  Q_OBJECT

 public:
  explicit TDAORichEdit(QWidget* parent = nullptr);

 protected:
  void LoadFromFile(const QString& path) override;
};

}  // namespace qb
