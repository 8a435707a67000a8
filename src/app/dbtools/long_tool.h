// app/dbtools/long_tool: the one place through which the database tools start an engine call
// that may take long on a large file (compact, repair, convert, re-sort). Knows nothing of
// files or passwords; WHAT is only a description for the user.
#pragma once
#include <functional>
#include <string>

namespace qb {

// Runs WORK and returns when it ends; raises what WORK raises. Pending window messages run
// first, so the window repaints before the engine takes over. This is where the progress
// window takes over once the utility has one: WORK will then run inside it, captioned WHAT.
void RunLongTool(const std::string& what, const std::function<void()>& work);

}  // namespace qb
