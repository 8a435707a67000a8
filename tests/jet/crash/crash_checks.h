// The checks of a crash run, after the writer died: each adds a line to FAULTS for every way
// the files fall short of what the writer's reports promise.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "crash_harness.h"

namespace qb::jet::crash {

using Faults = std::vector<std::string>;

// The ids of T's initial records in the file at PATH (any key the engine reads), as a repair
// salvages them: those whose text is intact.
std::set<int> IntactInitialIds(const std::string& path);

// Each file checked must open exclusively (no hold of the dead writer may remain) and pass the
// integrity check before its records are looked at; after its last close no lock file and no
// log may remain. In-place compacts and repairs are run once more, to finish or clear the work
// of the dead one.
void CheckRecordsetEdits(const RunFiles& files, int rows, const std::vector<Report>& reports, Faults& faults);
void CheckLongExecute(const RunFiles& files, int rows, const std::vector<Report>& reports, Faults& faults);
// SOURCE_BYTES: the source before the run (a compact never changes it).
void CheckCompact(const RunFiles& files, int rows, const std::string& source_bytes,
                  const std::vector<Report>& reports, Faults& faults);
void CheckCompactInPlace(const RunFiles& files, int rows, Faults& faults);
// SALVAGED: the initial records a repair of the damaged file keeps.
void CheckRepair(const RunFiles& files, const std::set<int>& salvaged, const std::vector<Report>& reports,
                 Faults& faults);

}  // namespace qb::jet::crash
