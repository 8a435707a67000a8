// app/startup/install_check: the engine installation step run before the main window exists.
// This platform has no versioned-file installer, registry or library self-registration, so the
// step only resolves its source folder and tidies it; it never copies or registers files.
#pragma once
#include <string>

namespace qb {

// SOURCE with a leading "$" replaced by PROGRAM_FOLDER (no trailing "/"): "$/tempDAO" becomes
// "<program folder>/tempDAO". Any other text is returned unchanged.
std::string ExpandInstallFolder(const std::string& source, const std::string& program_folder);

// Runs the installation step for the engine files in SOURCE (see ExpandInstallFolder; "$"
// stands for the running program's folder). Returns true when the step completed, false when
// an exception ended it (a "$" folder that cannot be resolved, a file system error). An empty
// source folder is removed afterwards, as a completed installation leaves it; a folder that
// still holds files is kept, and KEEP_SOURCES keeps it in any case. Never raises.
bool InstallJetEngine(const std::string& source, bool keep_sources);

}  // namespace qb
