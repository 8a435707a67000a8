// fields/dao_graphic_field: TDAOGraphicField, a blob field whose value is a picture file.
#pragma once
#include "fields/dao_blob_field.h"

namespace qb {

class TDAOGraphicField : public TDAOBlobField {
  Q_OBJECT

 public:
  explicit TDAOGraphicField(QObject* owner = nullptr) : TDAOBlobField(owner, ftGraphic) {}

 protected:
  // "(GRAPHIC)" for a value, "" without.
  std::string GetText(bool display) const override;
};

}  // namespace qb
