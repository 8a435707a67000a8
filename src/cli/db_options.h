// cli/db_options: what the database commands share: flags without values, the database
// password of the global --db-password-env, and the locale and option values the engine's
// create and compact calls take. Never prints a password.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/session.h"
#include "jet/dao/database.h"

namespace qb::cli {

// Removes every FLAG from WORDS; true when there was one.
bool TakeFlag(std::vector<std::string>& words, const std::string& flag);

// The number of positional words in WORDS, given the options that take a value.
std::size_t CountPositional(const std::vector<std::string>& words, const std::vector<std::string>& value_options);

// ";pwd=" and the database password of --db-password-env, or empty without it.
std::string SourceConnect(const GlobalOptions& options);

// The engine's option bits for a --format-version value ("1.0" .. "3.0"); UsageError else.
int FormatVersionBits(const std::string& version);

// The sort order of a --sort-order value: a number the engine knows; UsageError else, listing
// them.
int SortOrderNumber(const std::string& text);

// The sort orders the engine knows, one "  1033  General" line each, under a heading line.
std::string SortOrderList();

// Raises the engine's "item not found" error saying the database has no saved query NAME, as
// every command that names a saved query says it.
[[noreturn]] void RaiseNoSavedQuery(const std::string& name);

// Logs in as OPTIONS say and opens PATH read-only, with the database password of
// --db-password-env. Raises the engine's error (a login or an open that fails).
std::shared_ptr<jet::Database> OpenForReading(jet::DBEngine& engine, const GlobalOptions& options,
                                              const std::string& path);

}  // namespace qb::cli
