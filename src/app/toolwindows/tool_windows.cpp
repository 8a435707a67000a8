// app/toolwindows/tool_windows: the entries of the tool windows. Each tells the test hook; the
// entries of windows not built yet open nothing. The SQL query window's entry lives with that
// window.
#include "app/toolwindows/tool_windows.h"

#include "app/storedproc/stored_proc_design_form.h"

#include <utility>

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
  TEST_TellToolWindowCall({"ShowDataViewer", database, name, nullptr});
}

void ShowStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query) {
  TEST_TellToolWindowCall({"ShowStoredProcDesigner", database, {}, query});
  OpenStoredProcDesigner(database, std::move(query));
}

}  // namespace qb
