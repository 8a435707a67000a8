// cli/catalog_commands: "quill tables FILE [--system]" and "quill queries FILE": the names of a
// database's tables or saved queries, one per line, read through a read-only open.
#include <iostream>

#include "cli/commands.h"
#include "cli/db_options.h"
#include "jet/dao/catalog_objects.h"
#include "jet/dao/database.h"

namespace qb::cli {
namespace {

constexpr const char* kTablesHelp =
    "Usage: quill [global options] tables FILE [--system]\n"
    "\n"
    "Prints the database's tables, one name per line; --system includes the system tables.\n"
    "The global option --db-password-env VAR gives the database password.\n";

constexpr const char* kQueriesHelp =
    "Usage: quill [global options] queries FILE\n"
    "\n"
    "Prints the database's saved queries, one name per line.\n"
    "The global option --db-password-env VAR gives the database password.\n";

}  // namespace

int RunTablesCommand(const GlobalOptions& options, std::vector<std::string> words) {
  const bool system = TakeFlag(words, "--system");
  CommandArgs args = ParseCommandArgs("tables", words, 1, {});
  if (args.help) {
    std::cout << kTablesHelp;
    return 0;
  }
  auto engine = MakeEngine();
  auto database = OpenForReading(*engine, options, args.positional[0]);  // kept open while listing
  auto tables = database->TableDefs();
  for (int i = 0; i < tables->Count(); ++i) {
    auto table = tables->Item(i);
    if (system || (table->Attributes() & jet::kSystemObject) != jet::kSystemObject) std::cout << table->Name() << '\n';
  }
  return 0;
}

int RunQueriesCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  CommandArgs args = ParseCommandArgs("queries", words, 1, {});
  if (args.help) {
    std::cout << kQueriesHelp;
    return 0;
  }
  auto engine = MakeEngine();
  auto database = OpenForReading(*engine, options, args.positional[0]);  // kept open while listing
  auto queries = database->QueryDefs();
  for (int i = 0; i < queries->Count(); ++i) std::cout << queries->Item(i)->Name() << '\n';
  return 0;
}

}  // namespace qb::cli
