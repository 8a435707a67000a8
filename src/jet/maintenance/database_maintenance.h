// jet/maintenance/database_maintenance: creating, compacting and repairing database files: the work behind
// DBEngine's CreateDatabase, CompactDatabase and RepairDatabase. Each builds its new file
// beside the target and links it into place only when complete.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "jet/query/database_file.h"
#include "jet/base/engine_settings.h"

namespace qb::jet {

class Connection;

// CreateDatabase and CompactDatabase option bits (Jet's values).
inline constexpr int kDbVersion10 = 1;
inline constexpr int kDbEncrypt = 2;
inline constexpr int kDbDecrypt = 4;
inline constexpr int kDbVersion11 = 8;
inline constexpr int kDbVersion20 = 16;
inline constexpr int kDbVersion30 = 32;

// The format version an options value names ("3.0" for kDbVersion30), or empty when it names
// none. Raises kInvalidArgument for unknown bits or more than one version.
std::string FormatVersionOfOptions(int options);

// Raises kBadPassword unless PASSWORD may become a database password (at most 20 characters,
// valid UTF-8, no NUL).
void CheckNewPassword(const std::string& password);

// See DBEngine::CreateDatabase. SYNCED false: see CreateEngineFile (an import's work file).
std::shared_ptr<DatabaseFile> CreateDatabaseFile(const std::string& path, const std::string& locale, int options,
                                                 const EngineSettings& settings, bool synced = true);

// See DBEngine::CompactDatabase.
void CompactDatabaseFile(const std::string& source, const std::string& destination,
                         const std::string& destination_locale, int options, const std::string& source_locale,
                         const EngineSettings& settings);

// Beyond the object model: compacts SOURCE into a side file that replaces it atomically while
// SOURCE is still held exclusively, so no change made meanwhile can be lost. Arguments and
// errors as CompactDatabase's, except that there is no destination to refuse.
void CompactDatabaseInPlace(const std::string& source, const std::string& destination_locale, int options,
                            const std::string& source_locale, const EngineSettings& settings);

// Removes the work files ("PATH.compact-<pid>...", "PATH.repair-<pid>...") that an in-place
// compact or a repair of PATH left when its process died, and the side files of PATH whose
// builders died (RemoveAbandonedSideFiles). REQUIRES: the caller holds PATH
// exclusively; as both run only under that hold, none of them is under way. Never raises.
void RemoveUnfinishedWork(const std::string& path);

// A field some of whose rows hold a value stored as another type than the field's (text in a
// Double or Date field, written before every write converted its values).
struct MistypedValues {
  std::string table, field;
  int type = 0;                 // the field's DAO type
  std::int64_t rows = 0;        // how many rows hold such a value
  std::int64_t first_row = 0;   // the rowid (AutoNumber) of the first of them
};

// What RepairDatabaseFile found and did.
struct RepairOutcome {
  bool was_damaged = false;
  std::int64_t rows_recovered = 0;
  int damaged_ranges = 0;
  std::string damaged_copy;  // path of the damaged file kept beside it ("name.damaged")
  // Of a file whose pages are sound: the fields holding values of another type. Repair reports
  // them and changes nothing: which value was meant is for a person to decide.
  std::vector<MistypedValues> mistyped;
};

// The fields of the user tables on CONNECTION holding values of another type than their own.
// Raises the engine's error when a table cannot be read.
std::vector<MistypedValues> FindMistypedValues(Connection& connection);

// See DBEngine::RepairDatabase.
RepairOutcome RepairDatabaseFile(const std::string& path, const std::string& connect, const EngineSettings& settings);

}  // namespace qb::jet
