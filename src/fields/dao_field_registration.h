// fields/dao_field_registration: installs the fields layer's classes in the recordset: the
// currency, date-time, blob, memo and graphic field classes its default fields are made of,
// and the blob stream of its long binary and memo fields.
#pragma once

namespace qb {

// Safe to call more than once; the program calls it at start-up.
void RegisterDAOFieldClasses();

}  // namespace qb
