// jet/base/recordset_types: the numbers a Recordset's callers pass and test for: recordset
// types, open options, lock types, edit modes and the errors of the recordset's own rules.
// Constants only.
#pragma once

#include "jet/base/errors.h"

namespace qb::jet {

// RecordsetTypeEnum.
inline constexpr int kOpenTable = 1;
inline constexpr int kOpenDynaset = 2;
inline constexpr int kOpenSnapshot = 4;
inline constexpr int kOpenForwardOnly = 8;
inline constexpr int kOpenDynamic = 16;  // ODBC workspaces only: refused here

// RecordsetOptionEnum (bits), as OpenRecordset takes them.
namespace recordset_option {
inline constexpr int kDenyWrite = 1;
inline constexpr int kDenyRead = 2;
inline constexpr int kReadOnly = 4;
inline constexpr int kAppendOnly = 8;
inline constexpr int kInconsistent = 16;
inline constexpr int kConsistent = 32;
inline constexpr int kSqlPassThrough = 64;
inline constexpr int kFailOnError = 128;
inline constexpr int kForwardOnly = 256;
inline constexpr int kSeeChanges = 512;
inline constexpr int kRunAsync = 1024;   // ODBC only
inline constexpr int kExecDirect = 2048;  // ODBC only
}  // namespace recordset_option

// LockTypeEnum (the fourth OpenRecordset argument).
inline constexpr int kOptimisticValue = 1;  // ODBC only
inline constexpr int kPessimistic = 2;
inline constexpr int kOptimistic = 3;
inline constexpr int kReadOnlyLock = 4;
inline constexpr int kOptimisticBatch = 5;  // ODBC only

// EditModeEnum.
inline constexpr int kEditNone = 0;
inline constexpr int kEditInProgress = 1;
inline constexpr int kEditAdd = 2;

// UpdateTypeEnum.
inline constexpr int kUpdateRegular = 1;
inline constexpr int kUpdateCurrentRecord = 2;
inline constexpr int kUpdateBatch = 4;

}  // namespace qb::jet
