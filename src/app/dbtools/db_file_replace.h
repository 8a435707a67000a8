// app/dbtools/db_file_replace: how the database tools put a rebuilt copy of a database in the
// original's place: the copy's name beside the original, the check that the copy opens, and
// the one rename that replaces the original. The original is never deleted first: until the
// rename it is whole, and after it the copy is. Passwords are used, never kept or shown.
#pragma once
#include <functional>
#include <string>

#include "jet/dao/engine_options.h"

namespace qb {

// The first "<folder of DATABASE>TempDB_<n>.mdb", n = 1, 2, 3 ..., that names nothing in that
// folder, neither as a file nor as the log or journal companion ("-wal", "-shm", "-journal")
// that a new file of that name would pick up.
std::string MakeTempDBName(const std::string& database);

// Replaces DATABASE with COPY, a file the engine has just built from it:
//   1. COPY must open as a database with CONNECT (";pwd=" and the password it was built with,
//      or empty) and its catalog must read; it is closed again at once;
//   2. DATABASE is taken exclusively (nobody else may have it open, or their later writes
//      would go to the replaced file) and must have no log of changes pending;
//   3. COPY takes DATABASE's permissions, and one rename puts it in DATABASE's place.
// Raises Exception (a message naming both files and the reason, never the password) when a
// step fails; COPY and its companions are removed then and DATABASE is left as it was.
// SETTINGS are the engine's.
void ReplaceWithCompactedCopy(const std::string& database, const std::string& copy, const std::string& connect,
                              const jet::EngineSettings& settings);

// Removes PATH and its "-wal", "-shm" and "-journal" companions. Never raises.
void RemoveDatabaseFile(const std::string& path);

// --- Test hooks ---
// The points of ReplaceWithCompactedCopy a test may stop at: after the copy was built (before
// step 1) and right before the rename.
enum class TReplaceStep { kBuilt, kBeforeRename };
// HOOK runs at each step (empty: none); a test may damage the copy there or end the process.
void TEST_SetReplaceHook(std::function<void(TReplaceStep)> hook);

}  // namespace qb
