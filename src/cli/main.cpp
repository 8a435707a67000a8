// cli/main: quill's entry: global options, dispatch to the command families, and the one-line
// error report with the exit status (0 success, 1 the engine refused, 2 a usage mistake).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "com/ole_exception.h"
#include "jet/dao/error_numbers.h"

namespace qb::cli {
namespace {

constexpr const char* kVersion = "quill 0.1.0";

constexpr const char* kHelp =
    "Usage: quill [global options] COMMAND ...\n"
    "\n"
    "Global options (before the command):\n"
    "  --workgroup FILE     the workgroup file (default: the per-user one in\n"
    "                       $XDG_CONFIG_HOME/quillbase, made on first use)\n"
    "  --user NAME          the account to log in as (default: Admin)\n"
    "  --password-env VAR   take the account's password from the environment variable VAR\n"
    "  --ask-password       ask for the password without echo (read a line from standard\n"
    "                       input when it is not a terminal); without either: empty password\n"
    "  --db-password-env VAR  take the database password from the environment variable VAR\n"
    "  --help               show this help\n"
    "  --version            show the version\n"
    "\n"
    "Commands:\n"
    "  workgroup create FILE\n"
    "  user list | add | delete | password\n"
    "  group list | add | delete | members | add-member | remove-member\n"
    "  db create | compact | repair | info\n"
    "  tables FILE [--system]\n"
    "  queries FILE\n"
    "  query list | show | create | delete\n"
    "  sql FILE STATEMENT [--param NAME=VALUE ...] [--skip-failing]\n"
    "  run FILE QUERY [--param NAME=VALUE ...] [--skip-failing]\n"
    "  export FILE TABLE_OR_QUERY --out PATH|- [--csv] [--field-sep SEP] [--record-sep SEP]\n"
    "  script FILE SCRIPT\n"
    "  schema FILE [TABLE]\n"
    "  diagram FILE --out PATH.svg|PATH.png [TABLE ...]\n"
    "  import SOURCE DEST [--table T ...]   (SOURCE: a genuine .mdb or .accdb file)\n"
    "  upsize FILE CONNECT [TABLE ...]      (CONNECT: \"ODBC;...\", a data source)\n"
    "\n"
    "'quill COMMAND --help' describes a command.\n";

// One line, whatever the message holds.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

#ifndef QUILL_WITH_DIAGRAM
// "quill diagram" runs in quill-diagram, which is installed beside quill and is this program
// with the diagram command: only drawing needs the GUI libraries, and loading them would cost
// every other command start-up time and memory. WORDS are quill's own arguments, passed on whole.
int RunDiagramProgram(const std::vector<std::string>& words) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::string program = (self.parent_path() / "quill-diagram").string();
  std::vector<std::string> args{program};
  args.insert(args.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::cout.flush();
  std::fflush(stdout);
  if (!error) ::execv(program.c_str(), argv.data());
  const int reason = error ? error.value() : errno;
  throw std::runtime_error("the diagram program " + program + " cannot be started: " + std::strerror(reason));
}
#endif

int RunFamily(const GlobalOptions& options, const std::string& family, const std::vector<std::string>& rest,
              [[maybe_unused]] const std::vector<std::string>& words) {
  if (family == "workgroup") return RunWorkgroupCommand(options, rest);
  if (family == "user") return RunUserCommand(options, rest);
  if (family == "group") return RunGroupCommand(options, rest);
  if (family == "db") return RunDbCommand(options, rest);
  if (family == "tables") return RunTablesCommand(options, rest);
  if (family == "queries") return RunQueriesCommand(options, rest);
  if (family == "query") return RunQueryCommand(options, rest);
  if (family == "sql") return RunSqlCommand(options, rest);
  if (family == "run") return RunRunCommand(options, rest);
  if (family == "export") return RunExportCommand(options, rest);
  if (family == "script") return RunScriptCommand(options, rest);
  if (family == "schema") return RunSchemaCommand(options, rest);
#ifdef QUILL_WITH_DIAGRAM
  if (family == "diagram") return RunDiagramCommand(options, rest);
#else
  if (family == "diagram") return RunDiagramProgram(words);
#endif
  if (family == "import") return RunImportCommand(options, rest);
  if (family == "upsize") return RunUpsizeCommand(options, rest);
  throw UsageError("unknown command '" + family + "' (see 'quill --help')");
}

int Run(const std::vector<std::string>& words) {
  GlobalOptions options;
  std::size_t i = 0;
  auto value_of = [&](const std::string& option) {
    if (i + 1 >= words.size()) throw UsageError("the option " + option + " needs a value");
    return words[++i];
  };
  for (; i < words.size() && words[i].compare(0, 1, "-") == 0; ++i) {
    const std::string& word = words[i];
    if (word == "--help" || word == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (word == "--version") {
      std::cout << kVersion << '\n';
      return 0;
    } else if (word == "--workgroup") {
      options.workgroup = value_of(word);
    } else if (word == "--user") {
      options.user = value_of(word);
    } else if (word == "--password-env") {
      options.password_env = value_of(word);
    } else if (word == "--ask-password") {
      options.ask_password = true;
    } else if (word == "--db-password-env") {
      options.db_password_env = value_of(word);
    } else {
      throw UsageError("unknown global option " + word + " (see 'quill --help')");
    }
  }
  if (i == words.size()) throw UsageError("no command given (see 'quill --help')");
  const std::string& family = words[i];
  const std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end());
  try {
    return RunFamily(options, family, rest, words);
  } catch (const EOleException& e) {
    // The engine cannot know how quill takes a database password: say it here.
    const bool creating = family == "db" && !rest.empty() && rest[0] == "create";
    if (e.ErrorCode() != jet::err::kBadPassword || !options.db_password_env.empty() || creating) throw;
    throw EOleException(e.ErrorCode(),
                        e.Message() + " Give the database password in an environment variable named by the global "
                                      "option --db-password-env: quill --db-password-env VAR " + family + " ...",
                        e.Source());
  }
}

// Everything printed must have reached standard output: a full disk or a closed pipe fails the
// command instead of leaving a cut listing behind an exit status of 0. Empty when it did, else
// the reason. Closes standard output, so that a failing close (a network file system) shows too.
std::string StandardOutputFault() {
  errno = 0;
  std::cout.flush();
  bool written = static_cast<bool>(std::cout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) written = false;
  int error = written ? 0 : errno;
  if (std::fclose(stdout) != 0) {
    if (written) error = errno;
    written = false;
  }
  if (written) return std::string();
  return error != 0 ? std::strerror(error) : "the write failed";
}

int Main(const std::vector<std::string>& words) {
  int status = 0;
  try {
    status = Run(words);
  } catch (const UsageError& e) {
    std::cerr << "quill: " << OneLine(e.what()) << '\n';
    return 2;
  } catch (const EOleException& e) {
    std::cerr << "quill: " << OneLine(e.Message()) << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "quill: " << OneLine(e.what()) << '\n';
    return 1;
  }
  if (const std::string fault = StandardOutputFault(); !fault.empty()) {
    std::cerr << "quill: standard output cannot be written: " << fault << '\n';
    return 1;
  }
  return status;
}

}  // namespace
}  // namespace qb::cli

int main(int argc, char** argv) { return qb::cli::Main(std::vector<std::string>(argv + 1, argv + argc)); }
