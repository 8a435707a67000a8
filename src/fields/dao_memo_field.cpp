// fields/dao_memo_field: memo text through the blob stream.
#include "fields/dao_memo_field.h"

namespace qb {

Variant TDAOMemoField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsString());
}

std::string TDAOMemoField::GetText(bool) const { return AsString(); }

}  // namespace qb
