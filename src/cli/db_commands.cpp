// cli/db_commands: "quill db create|compact|repair|info": database files through the engine's
// create, compact and repair calls, and a summary of one file. Passwords come from
// environment variables only, and are never printed.
#include <iostream>

#include "cli/commands.h"
#include "cli/db_options.h"
#include "com/ole_exception.h"
#include "jet/dao/catalog_objects.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/error_numbers.h"

namespace qb::cli {
namespace {

constexpr const char* kFamilyHelp =
    "Usage: quill [global options] db COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  create FILE [--sort-order N] [--encrypt] [--format-version V] [--new-password-env VAR]\n"
    "        make a new database (sort order 1033 General unless given, see below; format 1.0, 1.1, 2.0\n"
    "        or 3.0; a password from VAR encrypts the file with it; --encrypt without a\n"
    "        password encrypts it with the engine's key)\n"
    "  compact SOURCE [DEST] [--encrypt|--decrypt] [--sort-order N] [--format-version V]\n"
    "          [--new-password-env VAR]\n"
    "        build DEST anew from SOURCE (without DEST: SOURCE is replaced once the new file\n"
    "        is complete); an empty VAR removes the password\n"
    "  repair FILE\n"
    "        check FILE and, when it is damaged, replace it with every row that still reads;\n"
    "        the damaged file is kept as FILE.damaged\n"
    "  info FILE\n"
    "        print the file's format version, sort order, encryption and object counts\n"
    "\n"
    "The global option --db-password-env VAR gives the password of an existing database.\n"
    "'info' logs in like the account commands (see 'quill --help').\n";

// The help, with the sort orders the engine knows.
std::string FamilyHelp() { return kFamilyHelp + SortOrderList(); }

bool WantsHelp(const std::vector<std::string>& words) {
  return words.empty() || words[0] == "--help" || words[0] == "-h";
}

// The destination locale of create and compact: the sort order, then the new password.
std::string LocaleText(const CommandArgs& args, const std::string& fallback_order) {
  std::string locale = args.Has("--sort-order") ? std::to_string(SortOrderNumber(args.Option("--sort-order")))
                                                : fallback_order;
  if (args.Has("--new-password-env")) {
    locale += ";pwd=" + PasswordFromEnvironment(args.Option("--new-password-env"), "the new password");
  }
  return locale;
}

int Create(const GlobalOptions&, std::vector<std::string> words) {
  // An empty password would make a file without one: the user asked for a password.
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string variable;
    if (words[i] == "--new-password-env" && i + 1 < words.size()) variable = words[i + 1];
    if (words[i].rfind("--new-password-env=", 0) == 0) variable = words[i].substr(19);
    if (!variable.empty() && PasswordFromEnvironment(variable, "the new password").empty()) {
      throw UsageError("the environment variable " + variable +
                       " for the new password is empty: a database password cannot be empty (leave out "
                       "--new-password-env for a database without a password)");
    }
  }
  const bool encrypt = TakeFlag(words, "--encrypt");
  CommandArgs args = ParseCommandArgs("db create", words, 1, {"--sort-order", "--format-version", "--new-password-env"});
  if (args.help) {
    std::cout << FamilyHelp();
    return 0;
  }
  int options = encrypt ? jet::kDbEncrypt : 0;
  if (args.Has("--format-version")) options |= FormatVersionBits(args.Option("--format-version"));
  MakeEngine()->CreateDatabase(args.positional[0], LocaleText(args, "1033"), options);
  return 0;
}

int Compact(const GlobalOptions& global, std::vector<std::string> words) {
  const bool encrypt = TakeFlag(words, "--encrypt");
  const bool decrypt = TakeFlag(words, "--decrypt");
  const std::vector<std::string> value_options = {"--sort-order", "--format-version", "--new-password-env"};
  const std::size_t positional = CountPositional(words, value_options);
  CommandArgs args = ParseCommandArgs("db compact", words, positional == 2 ? 2 : 1, value_options);
  if (args.help) {
    std::cout << FamilyHelp();
    return 0;
  }
  if (encrypt && decrypt) throw UsageError("give either --encrypt or --decrypt, not both");
  int options = (encrypt ? jet::kDbEncrypt : 0) | (decrypt ? jet::kDbDecrypt : 0);
  if (args.Has("--format-version")) options |= FormatVersionBits(args.Option("--format-version"));
  const std::string& source = args.positional[0];
  auto engine = MakeEngine();
  try {
    if (args.positional.size() == 1) {
      jet::CompactDatabaseInPlace(source, LocaleText(args, ""), options, SourceConnect(global), engine->Settings());
    } else {
      engine->CompactDatabase(source, args.positional[1], LocaleText(args, ""), options, SourceConnect(global));
    }
  } catch (const EOleException& e) {
    // A password means encryption: the engine says how to remove it in its own terms.
    if (!decrypt || args.Has("--new-password-env") || e.ErrorCode() != jet::err::kInvalidOperation ||
        e.Message().find("password") == std::string::npos) {
      throw;
    }
    throw EOleException(e.ErrorCode(),
                        "The database has a password, and a password always means encryption: to decrypt it, "
                        "remove the password too with --new-password-env VAR naming an empty variable (VAR= quill "
                        "--db-password-env PW db compact ... --decrypt --new-password-env VAR).",
                        e.Source());
  }
  return 0;
}

int Repair(const GlobalOptions& global, const std::vector<std::string>& words) {
  CommandArgs args = ParseCommandArgs("db repair", words, 1, {});
  if (args.help) {
    std::cout << FamilyHelp();
    return 0;
  }
  auto engine = MakeEngine();
  const jet::RepairOutcome outcome = jet::RepairDatabaseFile(args.positional[0], SourceConnect(global), engine->Settings());
  if (outcome.was_damaged) {
    std::cout << "Repaired: " << outcome.rows_recovered << " rows recovered; the damaged file is kept as "
              << outcome.damaged_copy << '\n';
  } else if (!outcome.mistyped.empty()) {
    // Sound pages, unsound values: each is for a person to correct, so the check fails.
    for (const jet::MistypedValues& found : outcome.mistyped) {
      std::cout << "Table '" << found.table << "', field '" << found.field << "': " << found.rows
                << " row(s) hold a value of another type than the field's (the first at row " << found.first_row
                << ")\n";
    }
    std::cerr << "quill: the database holds values of another type than their fields; nothing was changed\n";
    return 1;
  } else {
    std::cout << "The database is sound; nothing was changed.\n";
  }
  return 0;
}

int Info(const GlobalOptions& global, const std::vector<std::string>& words) {
  CommandArgs args = ParseCommandArgs("db info", words, 1, {});
  if (args.help) {
    std::cout << FamilyHelp();
    return 0;
  }
  auto engine = MakeEngine();
  auto database = OpenForReading(*engine, global, args.positional[0]);
  const int order = database->CollatingOrder();
  int tables = 0;
  auto table_defs = database->TableDefs();
  for (int i = 0; i < table_defs->Count(); ++i) {
    if ((table_defs->Item(i)->Attributes() & jet::kSystemObject) != jet::kSystemObject) ++tables;
  }
  const jet::Encryption encryption = database->GetEncryption();
  std::cout << "Version: " << database->Version() << '\n'
            << "Sort order: " << order << " (" << jet::SortOrderName(order).value_or("Unknown") << ")\n"
            << "Encrypted: " << (encryption == jet::Encryption::kNone ? "no" : "yes") << '\n'
            << "Password: " << (encryption == jet::Encryption::kPassword ? "yes" : "no") << '\n'
            << "Tables: " << tables << '\n'
            << "Queries: " << database->QueryDefs()->Count() << '\n';
  return 0;
}

}  // namespace

int RunDbCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  if (WantsHelp(words)) {
    std::cout << FamilyHelp();
    return 0;
  }
  const std::string& command = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (command == "create") return Create(options, rest);
  if (command == "compact") return Compact(options, rest);
  if (command == "repair") return Repair(options, rest);
  if (command == "info") return Info(options, rest);
  throw UsageError("unknown command 'db " + command + "' (see 'quill db --help')");
}

}  // namespace qb::cli
