// cli/query_commands: "quill query list|show|create|delete": a database's saved queries through
// its QueryDefs. Lists and shows through a read-only open; opens for writing only to change.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/db_options.h"
#include "jet/dao/database.h"
#include "com/ole_exception.h"
#include "jet/dao/error_numbers.h"
#include "jet/dao/querydef.h"

namespace qb::cli {
namespace {

constexpr const char* kFamilyHelp =
    "Usage: quill [global options] query COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  list FILE              print the saved queries, one per line: the name, a tab and the\n"
    "                         query type (select, crosstab, delete, update, append,\n"
    "                         make-table, ddl, union)\n"
    "  show FILE NAME         print the query's type, its Jet SQL and its parameters with\n"
    "                         their data types\n"
    "  create FILE NAME SQL   save the Jet SQL statement SQL as the query NAME (the statement\n"
    "                         is checked for syntax; the tables it names need not exist yet)\n"
    "  delete FILE NAME       delete the saved query NAME; queries that use it stay\n"
    "\n"
    "The global option --db-password-env VAR gives the database password.\n";

struct Shape {
  const char* name;
  std::size_t positional;
};

constexpr Shape kShapes[] = {{"list", 1}, {"show", 2}, {"create", 3}, {"delete", 2}};

const char* KindName(int type) {
  switch (type) {
    case 0: return "select";
    case 16: return "crosstab";
    case 32: return "delete";
    case 48: return "update";
    case 64: return "append";
    case 80: return "make-table";
    case 96: return "ddl";
    case 128: return "union";
    default: return "unknown";
  }
}

// The DAO type names, as Jet's PARAMETERS declarations take them back.
const char* TypeName(int type) {
  switch (type) {
    case 1: return "Bit";
    case 2: return "Byte";
    case 3: return "Short";
    case 4: return "Long";
    case 5: return "Currency";
    case 6: return "IEEESingle";
    case 7: return "IEEEDouble";
    case 8: return "DateTime";
    case 9: return "Binary";
    case 10: return "Text";
    case 11: return "LongBinary";
    case 12: return "LongText";
    case 15: return "Guid";
    default: return "Value";
  }
}

std::shared_ptr<jet::Database> OpenForChanging(jet::DBEngine& engine, const GlobalOptions& options,
                                               const std::string& path) {
  auto workspace = LogIn(engine, options);
  return workspace->OpenDatabase(path, Variant(false), false, SourceConnect(options));
}

// The saved query NAME of QUERIES; the message of every command naming one when there is none.
std::shared_ptr<jet::QueryDef> SavedQuery(jet::QueryDefs& queries, const std::string& name) {
  try {
    return queries.Item(std::string_view(name));
  } catch (const EOleException& e) {
    if (e.ErrorCode() != jet::err::kItemNotFound) throw;
  }
  RaiseNoSavedQuery(name);
}

void Show(jet::QueryDef& query) {
  std::cout << "Name: " << query.Name() << '\n' << "Type: " << KindName(query.Type()) << '\n';
  if (query.MaxRecords() != 0) std::cout << "MaxRecords: " << query.MaxRecords() << '\n';
  std::cout << "SQL:\n" << query.SQL() << (query.SQL().empty() || query.SQL().back() == '\n' ? "" : "\n");
  // Last: a query whose tables are gone still shows its text before the error.
  auto parameters = query.Parameters();
  if (parameters->Count() == 0) return;
  std::cout << "Parameters:\n";
  for (int i = 0; i < parameters->Count(); ++i) {
    auto parameter = parameters->Item(i);
    std::cout << "  [" << parameter->Name() << "] " << TypeName(parameter->Type()) << '\n';
  }
}

}  // namespace

int RunQueryCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "--help" || words[0] == "-h") {
    std::cout << kFamilyHelp;
    return 0;
  }
  const std::string& command = words[0];
  const Shape* shape = nullptr;
  for (const Shape& candidate : kShapes) {
    if (command == candidate.name) shape = &candidate;
  }
  if (!shape) throw UsageError("unknown command 'query " + command + "' (see 'quill query --help')");
  CommandArgs args = ParseCommandArgs("query " + command, {words.begin() + 1, words.end()}, shape->positional, {});
  if (args.help) {
    std::cout << kFamilyHelp;
    return 0;
  }
  const std::vector<std::string>& names = args.positional;
  // An empty name would make a temporary query, which is never saved.
  if (command == "create" && names[1].empty()) throw UsageError("a saved query needs a name; '' is none");
  auto engine = MakeEngine();
  if (command == "list" || command == "show") {
    auto database = OpenForReading(*engine, options, names[0]);  // kept open while listing
    auto queries = database->QueryDefs();
    if (command == "show") {
      Show(*SavedQuery(*queries, names[1]));
      return 0;
    }
    for (int i = 0; i < queries->Count(); ++i) {
      auto query = queries->Item(i);
      std::cout << query->Name() << '\t' << KindName(query->Type()) << '\n';
    }
    return 0;
  }
  auto database = OpenForChanging(*engine, options, names[0]);
  if (command == "create") {
    database->CreateQueryDef(names[1], names[2]);
  } else {
    SavedQuery(*database->QueryDefs(), names[1]);
    database->QueryDefs()->Delete(names[1]);
  }
  return 0;
}

}  // namespace qb::cli
