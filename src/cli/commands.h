// cli/commands: the command families quill offers. Each takes the words after its family name,
// prints results on standard output and returns the exit status; failures are thrown (UsageError
// or the engine's error) for main to report.
#pragma once
#include <string>
#include <vector>

#include "cli/session.h"

namespace qb::cli {

int RunWorkgroupCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunUserCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunGroupCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunDbCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunTablesCommand(const GlobalOptions& options, std::vector<std::string> words);
int RunQueriesCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunQueryCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunSqlCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunRunCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunExportCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunScriptCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunSchemaCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunDiagramCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunImportCommand(const GlobalOptions& options, const std::vector<std::string>& words);
int RunUpsizeCommand(const GlobalOptions& options, const std::vector<std::string>& words);

// The PID quill gives a new account when none is given: the name cut to 20 characters, or padded
// with "X" to 20 characters.
std::string DefaultPid(const std::string& name);

}  // namespace qb::cli
