// recordset/dao_recordset_types: the recordset's configuration vocabulary (recordset types,
// lock strategies, open options, ODBC update options) and their translation into the numbers
// the engine's OpenRecordset takes. Values and pure functions only.
#pragma once
#include <cstdint>

#include "engine/dao_object.h"

namespace qb {

// In this order; engine types 1, 2, 4, 8, 16 and a dynaset opened from a saved query.
enum TRecordSetTypes { rtTable, rtQuery, rtSnapshot, rtUnidirectional, rtDynamic, rtStoredProcedure };
// In this order; engine lock types 2, 3, 4, 1, 5.
enum TLockStrategies { lkPessimistic, lkOptimistic, lkReadOnly, lkOptimisticValue, lkOptimisticBatch };

// In this order. The last three are switches of the component, not engine options.
enum TRecordSetOption {
  roDenyWrite,
  roDenyRead,
  roReadOnly,
  roAppendOnly,
  roInconsistent,
  roConsistent,
  roSQLPassThrough,
  roFailOnError,
  roForwardOnly,
  roSeeChanges,
  roRunAsync,
  roExecDirect,
  roRetrieveFieldRequiredAttributesOnOpen,
  roFixCursorDuringEditAndInsert,
  roSetEmptyStringsAsNULLValues,
};
// A set of TRecordSetOption: bit i stands for option i.
using TRecordSetOptions = std::uint32_t;
constexpr TRecordSetOptions Opt(TRecordSetOption option) { return 1u << option; }
constexpr bool HasOpt(TRecordSetOptions options, TRecordSetOption option) { return (options & Opt(option)) != 0; }

// Member n stands for the engine's update-criteria bit 2^n.
enum TODBCUpdateOption {
  ouCriteriaKey,
  ouCriteriaModValues,
  ouCriteriaAllCols,
  ouCriteriaTimestamp,
  ouCriteriaDeleteInsert,
  ouCriteriaUpdate,
};
using TODBCUpdateOptions = std::uint32_t;
constexpr TODBCUpdateOptions Upd(TODBCUpdateOption option) { return 1u << option; }

// The engine's recordset type for TYPE; 0 for a value outside the enumeration.
int EngineRecordsetType(TRecordSetTypes type);
// The engine's lock type for LOCK; 0 for a value outside the enumeration.
int EngineLockType(TLockStrategies lock);
// The engine's open options for OPTIONS on a recordset of TYPE in a workspace of WORKSPACE:
// the sum of the options that apply there; the others are dropped without a message.
int EngineOpenOptions(TRecordSetOptions options, TRecordSetTypes type, TWorkspaceTypes workspace);
// The engine's update-criteria value: the sum of 2^n over the members n of OPTIONS.
int EngineUpdateOptions(TODBCUpdateOptions options);

}  // namespace qb
