// recordset/sql_parameter_hook: the one installed parameter dialog.
#include "recordset/sql_parameter_hook.h"

#include <utility>

namespace qb {
namespace {

EditSQLParametersHook& InstalledHook() {
  static EditSQLParametersHook hook;
  return hook;
}

}  // namespace

EditSQLParametersHook SetEditSQLParametersHook(EditSQLParametersHook hook) {
  return std::exchange(InstalledHook(), std::move(hook));
}

bool CallEditSQLParametersHook(TDAORecordset& recordset) {
  EditSQLParametersHook hook = InstalledHook();  // a copy: the dialog may install another
  if (!hook) return false;
  hook(recordset);
  return true;
}

}  // namespace qb
