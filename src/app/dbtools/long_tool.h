// app/dbtools/long_tool: the one place through which the database tools start an engine call
// that may take long on a large file (compact, repair, convert, re-sort). Knows nothing of
// files or passwords; WHAT is only a description for the user.
#pragma once
#include <functional>
#include <string>

namespace qb {

// Runs WORK on a worker thread inside the progress window, which stays responsive meanwhile
// (WORK must not touch widgets) (captioned "Please Wait", WHAT as its message, the
// cancel button shown disabled: an engine call cannot stop halfway) and returns once the
// window has closed. Raises what WORK raised, after the window has closed, so that the error
// is shown over the tools window and the caller knows the work did not complete. Raises
// Exception when the window closed without starting WORK. Raises what the GUI services raise.
void RunLongTool(const std::string& what, const std::function<void()>& work);

}  // namespace qb
