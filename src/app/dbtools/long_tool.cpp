// app/dbtools/long_tool: runs the work at once, after letting pending messages run.
#include "app/dbtools/long_tool.h"

#include "framework/gui/application.h"

namespace qb {

void RunLongTool(const std::string& /*what*/, const std::function<void()>& work) {
  App().ProcessMessages();
  work();
}

}  // namespace qb
