// app/toolwindows/tool_windows: the entries of the tool windows. Each tells the test hook; the
// data viewer opens nothing while a hook is installed (the hook stands in for it). The SQL
// query window's entry lives with that window.
#include "app/toolwindows/tool_windows.h"

#include <utility>

#include "app/dataviewer/data_viewer_form.h"
#include "app/storedproc/stored_proc_design_form.h"

namespace qb {

namespace {

ToolWindowCallHook& Hook() {
  static ToolWindowCallHook hook;
  return hook;
}

}  // namespace

void TEST_TellToolWindowCall(const ToolWindowCall& call) {
  if (Hook()) Hook()(call);
}

ToolWindowCallHook TEST_SetToolWindowCallHook(ToolWindowCallHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

void ShowDataViewer(TDAODataBase* database, const std::string& name) {
  if (Hook()) {
    TEST_TellToolWindowCall({"ShowDataViewer", database, name, nullptr});
    return;
  }
  ShowDataViewerWindow(database, name);
}

void ShowStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query) {
  TEST_TellToolWindowCall({"ShowStoredProcDesigner", database, {}, query});
  OpenStoredProcDesigner(database, std::move(query));
}

}  // namespace qb
