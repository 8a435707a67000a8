// recordset/dao_recordset_registration: the class name of the recordset component.
#include "recordset/dao_recordset_registration.h"

#include "framework/component/class_registry.h"
#include "recordset/dao_recordset.h"

namespace qb {

void RegisterRecordsetComponentClasses() { RegisterComponentClass<TDAORecordset>("TDAORecordset"); }

}  // namespace qb
