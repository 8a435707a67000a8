// app/toolwindows/tool_windows: the entries to the tool windows that the database editor and the
// table designer open but that live elsewhere: the data viewer, the SQL query window and the
// stored procedure designer. Until a window is built its entry opens nothing. The test hook
// sees every call; while one is installed it stands in for the windows, which then stay closed.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace qb {

namespace jet {
class QueryDef;
}

class TDAODataBase;

// Shows the data of the table or stored procedure NAME of DATABASE in the single data viewer.
void ShowDataViewer(TDAODataBase* database, const std::string& name);
// Shows the single SQL query window for DATABASE (app/sqlquery/sql_query_form.cpp).
void ShowSQLQueryForm(TDAODataBase* database);
// Shows QUERY of DATABASE in the single stored procedure designer (app/storedproc).
void ShowStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query);

// One call of an entry above, as the test hook receives it.
struct ToolWindowCall {
  std::string entry;  // "ShowDataViewer", "ShowSQLQueryForm", ...
  TDAODataBase* database = nullptr;
  std::string name;                      // ShowDataViewer's NAME
  std::shared_ptr<jet::QueryDef> query;  // ShowStoredProcDesigner's QUERY
};
using ToolWindowCallHook = std::function<void(const ToolWindowCall&)>;

// Installs HOOK (empty: none), called at the start of every entry above; returns the previous.
ToolWindowCallHook TEST_SetToolWindowCallHook(ToolWindowCallHook hook);
// Hands CALL to the hook when one is installed; every entry calls it first.
void TEST_TellToolWindowCall(const ToolWindowCall& call);

}  // namespace qb
