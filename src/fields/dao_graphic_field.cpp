// fields/dao_graphic_field: the text of a picture value.
#include "fields/dao_graphic_field.h"

namespace qb {

std::string TDAOGraphicField::GetText(bool) const { return IsNull() ? std::string() : "(GRAPHIC)"; }

}  // namespace qb
