// recordset/sql_parameter_hook: how a recordset asks the user for stored procedure parameters.
// The recordset layer has no windows; the utility installs its SQL parameter dialog here at
// start-up, and tests install scripted answers. Without a hook nobody is asked and the recordset
// stays closed when a value is missing.
#pragma once

#include <functional>

namespace qb {

class TDAORecordset;

// Shows the parameter dialog for `recordset` modally; values go to the engine's parameters at
// once, so the hook returns nothing: the recordset checks the parameters again afterwards.
using EditSQLParametersHook = std::function<void(TDAORecordset& recordset)>;

// Installs `hook` (empty: none) and returns the one it replaces.
EditSQLParametersHook SetEditSQLParametersHook(EditSQLParametersHook hook);

// Calls the installed hook; false when none is installed.
bool CallEditSQLParametersHook(TDAORecordset& recordset);

}  // namespace qb
