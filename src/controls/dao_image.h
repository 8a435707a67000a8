// controls/dao_image: the framework's picture control of a field with the data-access
// additions of dao_drop_control.h.
#pragma once
#include "controls/dao_drop_control.h"
#include "framework/controls/db_image.h"

namespace qb {

class TDAOImage : public TDAODropControl<TDBImage> {
  Q_OBJECT

 public:
  explicit TDAOImage(QWidget* parent = nullptr);

 protected:
  void LoadFromFile(const QString& path) override;
};

}  // namespace qb
