// recordset/dao_recordset_registration: makes the recordset component known to the form
// reader by its class name.
#pragma once

namespace qb {

// Registers TDAORecordset. Safe to call more than once.
void RegisterRecordsetComponentClasses();

}  // namespace qb
