// Crash runs: a writer process, forked from the caller, changes a database and reports every
// change once it is committed; it is killed with SIGKILL at a point drawn from a seed, and what
// it left behind is then checked: the file opens (even exclusively: no hold outlives its
// holder), passes SQLite's integrity check, and holds every change reported as committed and
// no half of any change. Shared by the crash tests (a few runs) and bench/bench_crash (many).
// Free of gtest: a run returns the faults it found as text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qb::jet::crash {

enum class Workload {
  kRecordsetEdits,  // AddNew and Edit through table-type and dynaset recordsets, and
                    // transactions of several AddNews
  kLongExecute,     // UPDATE over every row, alone and in a transaction with INSERT ... SELECT
  kCompact,         // compacting into one new file after another
  kCompactInPlace,  // compacting the file into itself, again and again
  kRepair,          // repairing one copy of a damaged file after another
};

const char* WorkloadName(Workload workload);

struct RunOptions {
  Workload workload = Workload::kRecordsetEdits;
  std::uint64_t seed = 1;
  int rows = 200;        // rows of the table the writer works on
  int max_reports = 4;   // the kill comes after 1 to this many reported changes, plus a while
};

struct RunOutcome {
  std::vector<std::string> faults;     // empty: the run survived
  int reported = 0;                    // changes the writer reported committed before it died
  bool left_log = false;               // the writer died leaving the file's -wal behind
  bool left_lock_file = false;         // ... and its .ldb
  std::vector<std::string> leftovers;  // files of unfinished work left in the folder
};

// Prepares the files for OPTIONS in FOLDER (an existing, empty folder; the files stay there
// for a look after a failure), runs and kills the writer, and checks what it left.
RunOutcome RunOnce(const RunOptions& options, const std::string& folder);

// What the writer sends up the pipe after each committed change.
struct Report {
  enum Kind : std::int32_t {
    kAdded = 1,       // record "add-<value>" (N = value) added
    kEdited = 2,      // record <id> now has N = value
    kBatch = 3,       // records "batch-<value>-0..2" added in one transaction
    kGeneration = 4,  // every record now belongs to generation <value>
    kCopied = 5,      // copy number <value> is complete
    kFailed = 6,      // the writer raised error <value> and stopped
  };
  std::int32_t kind = 0;
  std::int32_t id = 0;
  std::int32_t value = 0;
};

// The files of one run inside its folder.
struct RunFiles {
  explicit RunFiles(const std::string& folder);
  std::string database;  // the file the writer works on
  std::string damaged;   // kRepair: the damaged original each copy starts from
  std::string folder;
  std::string Copy(int number) const;  // the copy of number NUMBER (compact and repair)
};

// Runs WORKLOAD's writer in this (forked) process, reporting on REPORT_FD; never returns.
[[noreturn]] void RunWriter(const RunOptions& options, const RunFiles& files, int report_fd);

// The text of initial record ID, and of record ID in generation GENERATION (0: initial).
std::string InitialText(int id);
std::string GenerationText(int generation, int id);

}  // namespace qb::jet::crash
