// cli/sql_commands: "quill sql FILE STATEMENT", "quill script FILE SCRIPT" and "quill schema
// FILE [TABLE]": statements run all or nothing (action_statements.h) or printed as rows when
// they return some, scripts in one transaction, and the schema printed as Jet DDL. Opens the
// database for writing only to run statements.
#include <sys/stat.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>

#include "cli/action_statements.h"
#include "cli/commands.h"
#include "cli/data_source_commands.h"
#include "cli/db_options.h"
#include "cli/query_params.h"
#include "cli/row_output.h"
#include "cli/schema_ddl.h"
#include "cli/script_properties.h"
#include "cli/script_splitter.h"
#include "com/ole_exception.h"
#include "jet/dao/database.h"
#include "jet/dao/database_statements.h"
#include "jet/dao/tabledef.h"

namespace qb::cli {
namespace {

constexpr const char* kSqlHelp =
    "Usage: quill [global options] sql FILE STATEMENT [--param NAME=VALUE ...] [--skip-failing]\n"
    "\n"
    "Runs one Jet SQL statement on the database FILE. A SELECT, UNION or TRANSFORM prints a\n"
    "header line of field names and one line per record, values separated by a tab (value\n"
    "forms: 'quill run --help'). Other statements print 'N records affected' (0 for CREATE,\n"
    "ALTER and DROP statements); a failing statement changes nothing: a row that breaks a\n"
    "rule fails it, with a message naming the rule and, where it can, the record's key.\n"
    "\n"
    "  --param NAME=VALUE   the value of the statement's parameter NAME (repeat for each one),\n"
    "                       read by its declared type (see 'quill run --help')\n"
    "\n"
    "FILE may be an ODBC connect text instead (\"ODBC;DSN=name;UID=user;PWD=password\" or\n"
    "\"ODBC;DRIVER={driver};...\"): the statement then goes to the data source as written, in\n"
    "its own SQL. A password it lacks is asked for on the terminal, never read from a pipe.\n";

constexpr const char* kScriptHelp =
    "Usage: quill [global options] script FILE SCRIPT\n"
    "\n"
    "Runs the statements of the file SCRIPT ('-' for standard input) on the database FILE in\n"
    "one transaction. Statements end with ';' (not inside 'strings', \"strings\", [names] or\n"
    "#dates#; the ';' after a PARAMETERS declaration belongs to its statement). The first\n"
    "failing statement undoes the whole script and is named with its line; a row that breaks\n"
    "a rule fails its statement. Lines are the script's own, counted from 1. A UTF-8\n"
    "byte-order mark at the start is skipped. On success prints the total of records affected.\n"
    "With --ask-password and '-' as SCRIPT the password is the first line of standard input\n"
    "and the script the rest.\n"
    "\n"
    "Besides Jet SQL a script may set a property of a table or field, as 'quill schema' writes\n"
    "what Jet DDL cannot say (validation rules and texts, AllowZeroLength):\n"
    "  SET PROPERTY [Table].ValidationRule = '[Low] <= [High]';\n"
    "  SET PROPERTY [Table].[Field].AllowZeroLength = True;\n"
    "The value is a 'string' (quotes doubled inside), a number, True, False or Null.\n";

constexpr const char* kSchemaHelp =
    "Usage: quill [global options] schema FILE [TABLE]\n"
    "\n"
    "Prints the tables of FILE (or only TABLE) with their indexes as Jet DDL statements that\n"
    "'quill script' accepts: defaults as DEFAULT, an AutoNumber that does not start at 1 as\n"
    "COUNTER(next, 1), then SET PROPERTY statements for validation rules and texts and for\n"
    "AllowZeroLength (see 'quill script --help'), and after all tables their relationships as\n"
    "ALTER TABLE ... ADD CONSTRAINT ... FOREIGN KEY. User-defined properties and Clustered are\n"
    "not printed.\n";

std::shared_ptr<jet::Database> OpenForWriting(jet::DBEngine& engine, const GlobalOptions& options,
                                              const std::string& path) {
  auto workspace = LogIn(engine, options);
  return workspace->OpenDatabase(path, Variant(false), false, SourceConnect(options));
}

// True for SELECT, UNION and TRANSFORM; false for everything else, text that does not parse
// included (Execute then reports what is wrong with it).
bool ReturnsRows(const std::string& statement) {
  try {
    const jet::sql::QueryKind kind = jet::sql::KindOfStatement(jet::sql::ParseStatement(statement));
    return kind == jet::sql::QueryKind::kSelect || kind == jet::sql::QueryKind::kUnion ||
           kind == jet::sql::QueryKind::kCrosstab;
  } catch (const EOleException&) {
    return false;
  }
}

// The script NAME ('-': standard input), without a UTF-8 byte-order mark at its start.
std::string ReadScript(const std::string& name) {
  std::string text;
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      throw UsageError("the script '" + name + "' is a folder, not a file");
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) throw UsageError("the script file '" + name + "' cannot be read");
    std::ostringstream read;
    read << file.rdbuf();
    if (file.bad()) throw UsageError("the script file '" + name + "' cannot be read");
    text = read.str();
  }
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) text.erase(0, kByteOrderMark.size());
  return text;
}

// MESSAGE with each "line L, column C" of a statement's text turned into the script's position,
// for the statement STATEMENT.
std::string ScriptPositions(const std::string& message, const ScriptStatement& statement) {
  static const std::regex kPosition("line ([0-9]+), column ([0-9]+)");
  std::string result;
  auto last = message.cbegin();
  for (std::sregex_iterator it(message.begin(), message.end(), kPosition), end; it != end; ++it) {
    const std::smatch& match = *it;
    const long line = std::stol(match[1].str());
    long column = std::stol(match[2].str());
    if (line == 1) column += statement.column - 1;
    result.append(last, match[0].first);
    result += "line " + std::to_string(statement.line + line - 1) + ", column " + std::to_string(column);
    last = match[0].second;
  }
  result.append(last, message.cend());
  return result;
}

}  // namespace

int RunSqlCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  std::vector<std::string> rest = words;
  const std::vector<GivenParam> given = TakeParams(rest);
  const bool skip_failing = TakeFlag(rest, "--skip-failing");
  CommandArgs args = ParseCommandArgs("sql", rest, 2, {});
  if (args.help) {
    std::cout << kSqlHelp << kSkipFailingHelp;
    return 0;
  }
  const std::string& statement = args.positional[1];
  if (IsDataSourceName(args.positional[0])) {
    if (!given.empty() || skip_failing) {
      throw UsageError("--param and --skip-failing are for database files; a data source runs the statement as written");
    }
    return RunSqlOnDataSource(options, args.positional[0], statement);
  }
  const bool returns_rows = ReturnsRows(statement);
  auto engine = MakeEngine();
  // Reading rows needs no write access: a file the user may only read can still be queried.
  auto database = returns_rows ? OpenForReading(*engine, options, args.positional[0])
                               : OpenForWriting(*engine, options, args.positional[0]);
  if (given.empty() && !returns_rows) {
    std::cout << RunActionStatement(*database, statement, {}, skip_failing) << " records affected\n";
    return 0;
  }
  std::vector<DeclaredParam> declared;
  for (const auto& parameter : jet::TranslateStatement(*database, statement)->parameters) {
    declared.push_back({parameter.name, parameter.dao_type});
  }
  const std::vector<Variant> values = ParamValues(declared, given);
  if (returns_rows) {
    PrintQueryRows(*database, statement, values);
    return 0;
  }
  std::cout << RunActionStatement(*database, statement, values, skip_failing) << " records affected\n";
  return 0;
}

int RunScriptCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  CommandArgs args = ParseCommandArgs("script", words, 2, {});
  if (args.help) {
    std::cout << kScriptHelp;
    return 0;
  }
  // The password comes first: with '-' it is the first line of standard input, the script the
  // rest (the login reads one line of it).
  auto engine = MakeEngine();
  auto workspace = LogIn(*engine, options);
  const std::vector<ScriptStatement> statements = SplitScript(ReadScript(args.positional[1]));
  auto database = workspace->OpenDatabase(args.positional[0], Variant(false), false, SourceConnect(options));
  long long total = 0;
  database->BeginTrans();
  for (const ScriptStatement& statement : statements) {
    try {
      if (IsPropertyStatement(statement.text)) {
        RunPropertyStatement(*database, statement.text);
        continue;
      }
      total += RunActionStatement(*database, statement.text, {}, false);
    } catch (const EOleException& e) {
      database->Rollback();
      throw EOleException(e.ErrorCode(), "the statement at line " + std::to_string(statement.line) +
                                             " failed, nothing was changed: " + ScriptPositions(e.Message(), statement),
                          e.Source());
    }
  }
  database->CommitTrans();
  std::cout << total << " records affected\n";
  return 0;
}

int RunSchemaCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  const std::size_t positional = CountPositional(words, {});
  CommandArgs args = ParseCommandArgs("schema", words, positional == 2 ? 2 : 1, {});
  if (args.help) {
    std::cout << kSchemaHelp;
    return 0;
  }
  auto engine = MakeEngine();
  // Kept open: the definitions read where an AutoNumber goes on from the file.
  auto database = OpenForReading(*engine, options, args.positional[0]);
  auto tables = database->TableDefs();
  if (args.positional.size() == 2) {
    auto table = tables->Item(std::string_view(args.positional[1]));
    std::cout << TableDdl(*table) << RelationshipDdl(*table);
    return 0;
  }
  // Relationships come after every table, so that both of their tables exist when a script
  // makes them.
  bool first = true;
  std::string relationships;
  for (int i = 0; i < tables->Count(); ++i) {
    auto table = tables->Item(i);
    if ((table->Attributes() & jet::kSystemObject) == jet::kSystemObject) continue;
    std::cout << (first ? "" : "\n") << TableDdl(*table);
    relationships += RelationshipDdl(*table);
    first = false;
  }
  if (!relationships.empty()) std::cout << "\n" << relationships;
  return 0;
}

}  // namespace qb::cli
