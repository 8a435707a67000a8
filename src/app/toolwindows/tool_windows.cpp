// app/toolwindows/tool_windows: the entries of the tool windows. Each tells the test hook; the
// windows not built yet open nothing, and while a hook is installed the data viewer opens
// nothing either (the hook stands in for it).
#include "app/toolwindows/tool_windows.h"

#include <utility>

#include "app/dataviewer/data_viewer_form.h"

namespace qb {

namespace {

ToolWindowCallHook& Hook() {
  static ToolWindowCallHook hook;
  return hook;
}

void Tell(ToolWindowCall call) {
  if (Hook()) Hook()(call);
}

}  // namespace

ToolWindowCallHook TEST_SetToolWindowCallHook(ToolWindowCallHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

void ShowDataViewer(TDAODataBase* database, const std::string& name) {
  if (Hook()) {
    Tell({"ShowDataViewer", database, name, nullptr});
    return;
  }
  ShowDataViewerWindow(database, name);
}

void ShowSQLQueryForm(TDAODataBase* database) { Tell({"ShowSQLQueryForm", database, {}, nullptr}); }

void ShowStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query) {
  Tell({"ShowStoredProcDesigner", database, {}, std::move(query)});
}

}  // namespace qb
