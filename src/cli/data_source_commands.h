// cli/data_source_commands: quill's commands on an ODBC data source, named by a connect text
// ("ODBC;DSN=...", "ODBC;DRIVER={...};...") where a database file would go: the statement is
// passed to the server as written, and a missing connect value (the password) is asked for on
// the terminal, never read from a pipe.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "cli/session.h"

namespace qb::jet {
class Database;
class DBEngine;
}  // namespace qb::jet

namespace qb::cli {

// Whether TARGET names a data source rather than a database file.
bool IsDataSourceName(std::string_view target);

// CONNECT opened in an ODBC workspace of ENGINE, a missing connect value asked on the terminal.
std::shared_ptr<jet::Database> OpenDataSource(jet::DBEngine& engine, const std::string& connect);

// "quill sql CONNECT STATEMENT": prints the rows as 'quill sql' does for a file (header line,
// tab-separated values), or "N records affected".
int RunSqlOnDataSource(const GlobalOptions& options, const std::string& connect, const std::string& statement);

}  // namespace qb::cli
