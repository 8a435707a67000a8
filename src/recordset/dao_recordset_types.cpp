// recordset/dao_recordset_types: the translation tables of the recordset's configuration.
#include "recordset/dao_recordset_types.h"

#include "jet/recordset/recordset.h"

namespace qb {

int EngineRecordsetType(TRecordSetTypes type) {
  switch (type) {
    case rtTable: return jet::kOpenTable;
    case rtQuery: return jet::kOpenDynaset;
    case rtSnapshot: return jet::kOpenSnapshot;
    case rtUnidirectional: return jet::kOpenForwardOnly;
    case rtDynamic: return jet::kOpenDynamic;
    case rtStoredProcedure: return jet::kOpenDynaset;
  }
  return 0;
}

int EngineLockType(TLockStrategies lock) {
  switch (lock) {
    case lkPessimistic: return jet::kPessimistic;
    case lkOptimistic: return jet::kOptimistic;
    case lkReadOnly: return jet::kReadOnlyLock;
    case lkOptimisticValue: return jet::kOptimisticValue;
    case lkOptimisticBatch: return jet::kOptimisticBatch;
  }
  return 0;
}

int EngineOpenOptions(TRecordSetOptions options, TRecordSetTypes type, TWorkspaceTypes workspace) {
  namespace o = jet::recordset_option;
  const bool jet = workspace == wtUseJet;
  const bool odbc = workspace == wtUseODBC;
  const bool query = type == rtQuery;
  const bool snapshot = type == rtSnapshot;
  struct Rule {
    TRecordSetOption option;
    int bits;
    bool applies;
  };
  const Rule rules[] = {
      {roDenyWrite, o::kDenyWrite, jet},
      {roDenyRead, o::kDenyRead, jet && type == rtTable},
      {roReadOnly, o::kReadOnly, jet},
      {roAppendOnly, o::kAppendOnly, jet && query},
      {roInconsistent, o::kInconsistent, jet && (query || snapshot)},
      {roConsistent, o::kConsistent, jet && (query || snapshot)},
      {roSQLPassThrough, o::kSqlPassThrough, jet && snapshot},
      {roFailOnError, o::kFailOnError, true},
      {roForwardOnly, o::kForwardOnly, jet && snapshot},
      {roSeeChanges, o::kSeeChanges, jet && query},
      {roRunAsync, o::kRunAsync, odbc},
      {roExecDirect, o::kExecDirect, odbc},
  };
  int sum = 0;
  for (const Rule& rule : rules)
    if (rule.applies && HasOpt(options, rule.option)) sum += rule.bits;
  return sum;
}

int EngineUpdateOptions(TODBCUpdateOptions options) {
  int sum = 0;
  for (int n = ouCriteriaKey; n <= ouCriteriaUpdate; ++n)
    if ((options & (1u << n)) != 0) sum += 1 << n;
  return sum;
}

}  // namespace qb
