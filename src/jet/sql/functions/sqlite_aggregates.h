// jet/sql/functions/sqlite_aggregates: Jet's aggregates that SQLite lacks (First, Last, StDev, StDevP,
// Var, VarP) as SQLite aggregate functions. Registration only; owns no connection.
#pragma once

struct sqlite3;

namespace qb::jet::sql {

// Registers jet_first(x [, include]), jet_last(x [, include]), jet_stdev, jet_stdevp, jet_var
// and jet_varp on DB. First and Last keep the value of the first / last row they are given
// (Null when that row's value is Null), skipping rows whose INCLUDE is false or Null; the
// deviations ignore Nulls and give Null for too few values (fewer than 2 for the sample forms,
// none for the population forms). Returns false when SQLite refuses a registration.
// REQUIRES: DB is open.
bool RegisterJetAggregates(sqlite3* db);

}  // namespace qb::jet::sql
