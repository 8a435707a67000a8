// cli/row_commands: "quill run FILE QUERY" (a saved query: its rows, or the records an action
// query changed) and "quill export FILE TABLE_OR_QUERY --out PATH" (rows as delimited text).
// Reads through a read-only open; only an action query opens the file for writing.
#include <unistd.h>

#include <iostream>

#include "cli/action_statements.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/db_options.h"
#include "cli/delimited_output.h"
#include "cli/query_params.h"
#include "cli/replacing_file.h"
#include "cli/row_output.h"
#include "com/ole_exception.h"
#include "jet/dao/database.h"
#include "jet/dao/database_statements.h"
#include "jet/dao/error_numbers.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"

namespace qb::cli {
namespace {

constexpr const char* kRunHelp =
    "Usage: quill [global options] run FILE QUERY [--param NAME=VALUE ...] [--skip-failing]\n"
    "\n"
    "Runs the saved query QUERY of the database FILE. A select, union or crosstab query prints\n"
    "a header line of field names and one line per record, values separated by a tab; an\n"
    "action query prints 'N records affected'. A failing action query changes nothing: a row\n"
    "that breaks a rule fails it, with a message naming the rule and, where it can, the\n"
    "record's key.\n"
    "\n"
    "  --param NAME=VALUE   the value of the query's parameter NAME (repeat for each one),\n"
    "                       read by its declared type: numbers with '.', dates as yyyy-mm-dd\n"
    "                       or yyyy-mm-dd hh:nn:ss, booleans as True/False/Yes/No/-1/0,\n"
    "                       binary as 0x and hex digits\n";

// After the options of 'quill run --help'.
constexpr const char* kRunHelpValues =
    "\n"
    "Values: Null is empty; booleans True/False; numbers in their shortest exact form, without\n"
    "an exponent from 0.00001 to 15 digits before the point (1000000, 1e+20);\n"
    "dates yyyy-mm-dd hh:nn:ss (yyyy-mm-dd without a time, hh:nn:ss without a date);\n"
    "binary as 0x and upper-case hex; text as it is.\n";

constexpr const char* kExportHelp =
    "Usage: quill [global options] export FILE TABLE_OR_QUERY --out PATH [--csv]\n"
    "                                  [--field-sep SEP] [--record-sep SEP] [--param NAME=VALUE ...]\n"
    "\n"
    "Writes the records of a table (or, when no table has the name, a saved select query) of\n"
    "the database FILE to the text file PATH: a line of field names, then one line per\n"
    "record, the field separator between two values and the record separator after every\n"
    "line, the last one included. Nothing is quoted unless --csv is given: a value holding a\n"
    "separator is written as it is. Values are written as 'quill run --help' describes. PATH\n"
    "is replaced only when the export succeeds; a failed export leaves no file behind. A\n"
    "symbolic link at PATH stays: the file it leads to is replaced. The database and the\n"
    "workgroup file are never written over. Prints 'N records exported'.\n"
    "\n"
    "  --out PATH           the file to write (required); '-' writes to standard output (and\n"
    "                       then prints no count)\n"
    "  --csv                comma-separated values as spreadsheets read them: a value or name\n"
    "                       holding a separator, a double quote or a line break is quoted,\n"
    "                       double quotes inside doubled; comma and crlf unless given\n"
    "  --field-sep SEP      tab (default), comma, semicolon, space, or any other text as typed\n"
    "  --record-sep SEP     crlf (default), cr, crcr, lf, lfcr, or any other text as typed\n"
    "  --param NAME=VALUE   a parameter value of a saved query (see 'quill run --help')\n";

std::vector<DeclaredParam> DeclaredParams(jet::QueryDef& query) {
  std::vector<DeclaredParam> declared;
  auto parameters = query.Parameters();
  for (int i = 0; i < parameters->Count(); ++i) {
    auto parameter = parameters->Item(i);
    declared.push_back({parameter->Name(), parameter->Type()});
  }
  return declared;
}

// Sets the values of GIVEN on the parameters of QUERY.
void SetParams(jet::QueryDef& query, const std::vector<GivenParam>& given) {
  const std::vector<DeclaredParam> declared = DeclaredParams(query);
  const std::vector<Variant> values = ParamValues(declared, given);
  auto parameters = query.Parameters();
  for (std::size_t i = 0; i < declared.size(); ++i) {
    if (!values[i].IsEmpty()) parameters->Item(static_cast<int>(i))->SetValue(values[i]);
  }
}

// The saved query NAME of DATABASE; the engine's error with a clear message when there is none.
std::shared_ptr<jet::QueryDef> SavedQuery(jet::Database& database, const std::string& name) {
  try {
    return database.QueryDefs()->Item(std::string_view(name));
  } catch (const EOleException& e) {
    if (e.ErrorCode() != jet::err::kItemNotFound) throw;
  }
  RaiseNoSavedQuery(name);
}

bool HasTable(jet::Database& database, const std::string& name) {
  try {
    database.TableDefs()->Item(std::string_view(name));
    return true;
  } catch (const EOleException& e) {
    if (e.ErrorCode() != jet::err::kItemNotFound) throw;
    return false;
  }
}

// "Exported N records" on the terminal, rewritten in place; nothing when standard error is not
// a terminal, so that logs and tests see only the outcome.
class TerminalProgress {
 public:
  TerminalProgress() : shown_(::isatty(STDERR_FILENO) == 1) {}
  ~TerminalProgress() { Finish(); }
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;
  bool Shown() const { return shown_; }
  void Show(std::int64_t records) {
    std::cerr << "\rExported " << records << " records" << std::flush;
    used_ = true;
  }
  // Ends the progress line, so that what follows starts on a line of its own.
  void Finish() {
    if (used_) std::cerr << '\n';
    used_ = false;
  }

 private:
  const bool shown_;  // constant after construction
  bool used_ = false;
};

// Raises UsageError when OUT is the database DATABASE or the workgroup file WORKGROUP (by any
// name: a link, a hard link, another spelling of the path).
void RefuseToOverwrite(const std::string& out, const std::string& database, const std::string& workgroup) {
  if (IsSameFile(out, database)) {
    throw UsageError("'" + out + "' is the database being exported: give another --out");
  }
  if (!workgroup.empty() && IsSameFile(out, workgroup)) {
    throw UsageError("'" + out + "' is the workgroup file: give another --out");
  }
}

}  // namespace

int RunRunCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  std::vector<std::string> rest = words;
  const std::vector<GivenParam> given = TakeParams(rest);
  const bool skip_failing = TakeFlag(rest, "--skip-failing");
  CommandArgs args = ParseCommandArgs("run", rest, 2, {});
  if (args.help) {
    std::cout << kRunHelp << kSkipFailingHelp << kRunHelpValues;
    return 0;
  }
  auto engine = MakeEngine();
  {
    auto database = OpenForReading(*engine, options, args.positional[0]);
    auto query = SavedQuery(*database, args.positional[1]);
    if (query->ReturnsRecords()) {
      SetParams(*query, given);
      PrintQueryRows(*database, query->SQL(), query->ParameterValues(), query->MaxRecords());
      return 0;
    }
  }
  // An action query: the file is opened again, for writing.
  auto workspace = LogIn(*engine, options);
  auto database = workspace->OpenDatabase(args.positional[0], Variant(false), false, SourceConnect(options));
  auto query = SavedQuery(*database, args.positional[1]);
  SetParams(*query, given);
  std::cout << RunActionStatement(*database, query->SQL(), query->ParameterValues(), skip_failing)
            << " records affected\n";
  return 0;
}

int RunExportCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  std::vector<std::string> rest = words;
  const std::vector<GivenParam> given = TakeParams(rest);
  const bool csv = TakeFlag(rest, "--csv");
  CommandArgs args = ParseCommandArgs("export", rest, 2, {"--out", "--field-sep", "--record-sep"});
  if (args.help) {
    std::cout << kExportHelp;
    return 0;
  }
  if (!args.Has("--out")) throw UsageError("'export' needs --out PATH (see 'quill export --help')");
  const Separators separators{SeparatorText(args.Option("--field-sep", csv ? "comma" : "tab")),
                              SeparatorText(args.Option("--record-sep", "crlf")), csv};
  const std::string out = args.Option("--out");
  const std::string& name = args.positional[1];

  auto engine = MakeEngine();
  auto database = OpenForReading(*engine, options, args.positional[0]);
  std::string jet_sql;
  std::vector<Variant> values;
  std::int64_t max_records = 0;
  // A name that is both a table and a saved query is the table.
  if (HasTable(*database, name)) {
    if (!given.empty()) throw UsageError("'" + name + "' is a table: it takes no --param");
    jet_sql = "SELECT * FROM [" + name + "]";
  } else {
    std::shared_ptr<jet::QueryDef> query;
    try {
      query = database->QueryDefs()->Item(std::string_view(name));
    } catch (const EOleException& e) {
      if (e.ErrorCode() != jet::err::kItemNotFound) throw;
      jet::RaiseJetError(jet::err::kItemNotFound, "The database has no table or saved query named '" + name + "'.");
    }
    if (!query->ReturnsRecords()) {
      jet::RaiseJetError(jet::err::kInvalidOperation,
                         "The saved query '" + name + "' is an action query: it has no records to export.");
    }
    SetParams(*query, given);
    jet_sql = query->SQL();
    values = query->ParameterValues();
    max_records = query->MaxRecords();
  }

  // Standard output, by name or through a path that leads to it, is written as a stream.
  const bool to_stdout = out == "-" || IsSameFile(out, "/dev/stdout");
  if (!to_stdout) RefuseToOverwrite(out, args.positional[0], engine->SystemDB());
  const std::unique_ptr<jet::QueryCursor> cursor = jet::OpenQueryCursor(*database, jet_sql, values);
  CursorRows rows(*cursor, max_records);
  if (to_stdout) {
    StdoutSink sink;
    WriteDelimited(rows, separators, [&](std::string_view line) { sink.Write(line); });
    sink.Flush();
    return 0;
  }
  ReplacingFile file(out);
  TerminalProgress progress;
  std::function<void(std::int64_t)> on_progress;
  if (progress.Shown()) on_progress = [&](std::int64_t count) { progress.Show(count); };
  const std::int64_t count =
      WriteDelimited(rows, separators, [&](std::string_view line) { file.Write(line); }, on_progress);
  file.Commit();
  if (progress.Shown()) progress.Show(count);
  progress.Finish();
  std::cout << count << " records exported\n";
  return 0;
}

}  // namespace qb::cli
