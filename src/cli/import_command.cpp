// cli/import_command: "quill import SOURCE DEST [--table T ...]": a new database built from a
// genuine .mdb or .accdb file through the engine's import, with a summary of what came along and
// what was left out.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "jet/dao/dbengine.h"
#include "jet/import/import_database.h"

namespace qb::cli {
namespace {

constexpr const char* kHelp =
    "Usage: quill import SOURCE DEST [--table T ...]\n"
    "  Creates the new database DEST from the genuine .mdb or .accdb file SOURCE: every user\n"
    "  table (or only those named by --table) with its fields, indexes and rows, the relationships\n"
    "  between them and (for the whole file) its saved queries that translate. Decimal fields\n"
    "  become Text holding their exact digits. Prints what was imported and what was left out.\n"
    "  Nothing is written at DEST unless the whole import succeeds.\n";

// Removes every "--table NAME" pair from WORDS and returns the names.
std::vector<std::string> TakeTables(std::vector<std::string>& words) {
  std::vector<std::string> tables, rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--table") {
      if (i + 1 >= words.size()) throw UsageError("--table needs a table name");
      tables.push_back(words[++i]);
    } else {
      rest.push_back(words[i]);
    }
  }
  words = std::move(rest);
  return tables;
}

}  // namespace

int RunImportCommand(const GlobalOptions&, const std::vector<std::string>& given) {
  std::vector<std::string> words = given;
  const std::vector<std::string> tables = TakeTables(words);
  CommandArgs args = ParseCommandArgs("import", words, 2, {});
  if (args.help) {
    std::cout << kHelp;
    return 0;
  }
  auto engine = MakeEngine();
  const jet::ImportSummary summary = engine->ImportDatabase(args.positional[0], args.positional[1], 0, tables);
  std::int64_t rows = 0;
  for (const auto& table : summary.tables) {
    std::cout << "Table '" << table.name << "': " << table.rows << " rows, " << table.indexes << " indexes\n";
    rows += table.rows;
  }
  for (const auto& [what, why] : summary.skipped) std::cout << "Skipped " << what << ": " << why << '\n';
  std::cout << "Imported " << summary.tables.size() << " tables, " << rows << " rows, " << summary.relations
            << " relationships, " << summary.queries << " queries; skipped " << summary.skipped.size() << ".\n";
  return 0;
}

}  // namespace qb::cli
