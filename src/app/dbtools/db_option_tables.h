// app/dbtools/db_option_tables: the sort orders and Jet versions the database tools offer, each
// a name shown to the user and the number handed to the engine. Constant data only.
#pragma once
#include <vector>

namespace qb {

struct TDBOptionEntry {
  const char* name;  // as listed
  int value;         // as passed to the engine
};

// The 25 sort orders in their fixed order ("Neutral" first, "Undefined" (-1) last). Several
// share a number ("General" and "Paradox International" are both 1033).
const std::vector<TDBOptionEntry>& SortOrderTable();
// Index of "General" in SortOrderTable: the sort order of a new database unless chosen.
inline constexpr int kGeneralSortOrderIndex = 5;

// The Jet versions a database converts to, oldest first, with their compact option values.
const std::vector<TDBOptionEntry>& JetVersionTable();

// Sort order 1033 ("General") and Jet version 3.0 (32): the preselections of the tools.
inline constexpr int kGeneralSortOrder = 1033;
inline constexpr int kJetVersion30 = 32;

}  // namespace qb
