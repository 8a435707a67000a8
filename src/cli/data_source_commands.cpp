// cli/data_source_commands: the ODBC workspace quill opens for a connect text, its terminal
// prompt, and 'quill sql' on a data source.
#include "cli/data_source_commands.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <iostream>
#include <optional>

#include "cli/delimited_output.h"
#include "cli/row_output.h"
#include "com/ole_exception.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"
#include "jet/odbc/connect_prompt.h"
#include "jet/odbc/connect_text.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/result_reader.h"

namespace qb::cli {
namespace {

// Asks on the terminal for the password the data source wants; refuses when standard input is
// not a terminal, so a script never hangs on a question nobody sees.
std::optional<std::string> AskOnTerminal(const jet::odbc::PromptRequest& request) {
  if (!::isatty(STDIN_FILENO)) {
    throw EOleException(jet::odbc::err::kConnectFailed,
                        (request.problem.empty() ? std::string("The data source asks for connect values")
                                                 : request.problem) +
                            ". Standard input is not a terminal to ask on: give the values (PWD=...) in the connect text.",
                        "quill");
  }
  if (!request.problem.empty()) std::cerr << request.problem << "\n";
  std::cerr << "Password for the data source (empty to cancel): " << std::flush;
  termios saved{};
  const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (quiet) {
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
  }
  std::string password;
  std::getline(std::cin, password);
  if (quiet) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  std::cerr << "\n";
  if (password.empty()) return std::nullopt;
  std::vector<jet::odbc::ConnectPair> pairs = jet::odbc::ParseConnect(request.connect);
  jet::odbc::SetConnectValue(pairs, "PWD", password);
  return jet::odbc::JoinConnect(pairs);
}

// The rows of a data source's result for WriteDelimited.
class SourceRows : public RowReader {
 public:
  explicit SourceRows(jet::odbc::ResultReader& reader) : reader_(reader) {}
  std::vector<std::string> Names() const override {
    std::vector<std::string> names;
    for (const auto& column : reader_.Columns()) names.push_back(column.name);
    return names;
  }
  bool Next(std::vector<Variant>& row) override { return reader_.Next(row); }

 private:
  jet::odbc::ResultReader& reader_;
};

}  // namespace

bool IsDataSourceName(std::string_view target) {
  constexpr std::string_view kPrefix = "odbc;";
  if (target.size() < kPrefix.size()) return false;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(target[i])) != kPrefix[i]) return false;
  }
  return true;
}

std::shared_ptr<jet::Database> OpenDataSource(jet::DBEngine& engine, const std::string& connect) {
  auto workspace = engine.CreateWorkspace("quill", "admin", "", jet::kUseOdbc);
  jet::odbc::ConnectPrompt previous = jet::odbc::SetConnectPrompt(AskOnTerminal);
  std::shared_ptr<jet::Database> database;
  try {
    database = workspace->OpenDatabase("", Variant(jet::odbc::kDriverComplete), false, connect);
  } catch (...) {
    jet::odbc::SetConnectPrompt(previous);
    throw;
  }
  jet::odbc::SetConnectPrompt(previous);
  return database;
}

int RunSqlOnDataSource(const GlobalOptions& options, const std::string& connect, const std::string& statement) {
  (void)options;  // the login of a data source is in its connect text
  auto engine = MakeEngine();
  auto database = OpenDataSource(*engine, connect);
  jet::odbc::ResultReader reader(*database->Source(), statement, database->QueryTimeout());
  if (!reader.HasRows()) {
    std::cout << reader.RowsAffected() << " records affected\n";
    return 0;
  }
  SourceRows rows(reader);
  StdoutSink out;
  WriteDelimited(rows, Separators{"\t", "\n"}, [&](std::string_view line) { out.Write(line); });
  out.Flush();
  return 0;
}

}  // namespace qb::cli
