// The checks of a crash run. Every file is opened the way a user would open it after the crash:
// through the engine, first exclusively, which fails while any hold of the dead writer remains.
#include "crash_checks.h"

#include <filesystem>
#include <functional>
#include <map>

#include "com/ole_exception.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_open.h"
#include "jet/base/errors.h"
#include "jet/locks/lock_file.h"
#include "jet/sqlite/connection.h"
#include "support/test_support.h"

namespace qb::jet::crash {
namespace {

namespace fs = std::filesystem;

std::string Name(const std::string& path) { return fs::path(path).filename().string(); }

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

std::string IntegrityVerdict(Connection& connection) {
  std::string verdict;
  Statement check = connection.Prepare("PRAGMA integrity_check");
  while (check.Step()) verdict += (verdict.empty() ? "" : "; ") + check.ColumnText(0);
  return verdict;
}

// See the header's contract for the checks below.
void CheckSurvivor(const std::string& path, Faults& faults, const std::function<void(Connection&)>& check_rows) {
  if (!Exists(path)) {
    faults.push_back(Name(path) + " is missing");
    return;
  }
  try {
    auto db = OpenDatabaseAt(path, ShareMode::kExclusive, false, "", EngineSettings::ForTests());
    Connection& connection = db->File()->EngineConnection(false);
    const std::string verdict = IntegrityVerdict(connection);
    if (verdict == "ok") {
      check_rows(connection);
    } else {
      faults.push_back(Name(path) + " is damaged: " + verdict);
    }
    db->Close();
  } catch (const EOleException& e) {
    faults.push_back(Name(path) + " cannot be opened exclusively: error " + std::to_string(e.ErrorCode()) + ": " +
                     e.Message());
    return;
  }
  for (const char* suffix : {"-wal", "-shm"}) {
    if (Exists(path + suffix)) faults.push_back(Name(path) + suffix + " is still there after the last close");
  }
  if (Exists(LockFileHold::PathFor(path))) faults.push_back(Name(path) + "'s lock file outlived its last holder");
}

// No work file of an in-place compact or a repair of PATH may remain.
void CheckNoWorkFiles(const std::string& path, Faults& faults) {
  const std::string base = Name(path);
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path(), ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(base + ".compact-", 0) == 0 || name.rfind(base + ".repair-", 0) == 0) {
      faults.push_back(name + " was left behind");
    }
  }
}

std::set<int> InitialIds(Connection& connection) {
  std::set<int> ids;
  Statement rows = connection.Prepare("SELECT Id, Txt FROM T");
  while (rows.Step()) {
    const int id = static_cast<int>(rows.ColumnInt(0));
    if (rows.ColumnText(1) == InitialText(id)) ids.insert(id);
  }
  return ids;
}

// T must hold its initial records, unchanged, and nothing else.
std::function<void(Connection&)> HoldsTheInitialRecords(const std::string& path, int count, Faults& faults) {
  return [&faults, path, count](Connection& connection) {
    Statement rows = connection.Prepare("SELECT count(*), sum(N = 0) FROM T");
    rows.Step();
    const std::set<int> intact = InitialIds(connection);
    if (rows.ColumnInt(0) != count || rows.ColumnInt(1) != count || static_cast<int>(intact.size()) != count) {
      faults.push_back(Name(path) + " holds " + std::to_string(rows.ColumnInt(0)) + " records, " +
                       std::to_string(intact.size()) + " intact, instead of the " + std::to_string(count) +
                       " it started with");
    }
  };
}

std::function<void(Connection&)> HoldsSalvaged(const std::string& path, const std::set<int>& salvaged, Faults& faults) {
  return [&faults, &salvaged, path](Connection& connection) {
    if (InitialIds(connection) != salvaged) faults.push_back(Name(path) + " does not hold the salvaged records");
  };
}

int LastReported(const std::vector<Report>& reports, Report::Kind kind) {
  int last = 0;
  for (const Report& report : reports) {
    if (report.kind == kind) last = report.value;
  }
  return last;
}

int NumberAfter(const std::string& text, const std::string& prefix) {
  return std::atoi(text.c_str() + prefix.size());
}

}  // namespace

std::set<int> IntactInitialIds(const std::string& path) {
  auto db = OpenDatabaseAt(path, ShareMode::kShared, true, "", EngineSettings::ForTests());
  std::set<int> ids = InitialIds(db->File()->EngineConnection(false));
  db->Close();
  return ids;
}

void CheckRecordsetEdits(const RunFiles& files, int rows, const std::vector<Report>& reports, Faults& faults) {
  CheckSurvivor(files.database, faults, [&](Connection& connection) {
    std::map<int, int> initial_n;             // id -> N
    std::map<int, int> added;                 // k -> records "add-k"
    std::map<int, std::set<int>> batches;     // k -> parts present
    Statement all = connection.Prepare("SELECT Id, Txt, N FROM T");
    while (all.Step()) {
      const int id = static_cast<int>(all.ColumnInt(0));
      const std::string text = all.ColumnText(1);
      const int n = static_cast<int>(all.ColumnInt(2));
      int k = -1;
      if (text == InitialText(id)) {
        initial_n[id] = n;
        continue;
      }
      if (text.rfind("add-", 0) == 0) {
        k = NumberAfter(text, "add-");
        ++added[k];
      } else if (text.rfind("batch-", 0) == 0) {
        k = NumberAfter(text, "batch-");
        batches[k].insert(text.back() - '0');
      } else {
        faults.push_back("an unexpected record " + std::to_string(id) + ": '" + text + "'");
      }
      if (k >= 0 && n != k) faults.push_back("record '" + text + "' has N = " + std::to_string(n));
    }
    if (static_cast<int>(initial_n.size()) != rows) {
      faults.push_back(std::to_string(initial_n.size()) + " of the " + std::to_string(rows) + " initial records remain");
    }
    for (const auto& [k, count] : added) {
      if (count != 1) faults.push_back("record 'add-" + std::to_string(k) + "' is there " + std::to_string(count) + " times");
    }
    for (const auto& [k, parts] : batches) {
      if (parts.size() != 3) {
        faults.push_back("transaction " + std::to_string(k) + " left " + std::to_string(parts.size()) + " of its 3 records");
      }
    }
    for (const Report& report : reports) {
      if (report.kind == Report::kAdded && !added.count(report.value)) {
        faults.push_back("the committed record 'add-" + std::to_string(report.value) + "' is lost");
      } else if (report.kind == Report::kBatch && !batches.count(report.value)) {
        faults.push_back("the committed transaction " + std::to_string(report.value) + " is lost");
      } else if (report.kind == Report::kEdited && initial_n[report.id] < report.value) {
        faults.push_back("record " + std::to_string(report.id) + " lost its committed N = " +
                         std::to_string(report.value) + " (has " + std::to_string(initial_n[report.id]) + ")");
      }
    }
  });
}

void CheckLongExecute(const RunFiles& files, int rows, const std::vector<Report>& reports, Faults& faults) {
  CheckSurvivor(files.database, faults, [&](Connection& connection) {
    std::map<int, int> generations;  // generation -> records in it
    int generation = -1, wrong_text = 0;
    Statement all = connection.Prepare("SELECT Id, Txt, N FROM T ORDER BY Id");
    while (all.Step()) {
      const int id = static_cast<int>(all.ColumnInt(0));
      generation = static_cast<int>(all.ColumnInt(2));
      ++generations[generation];
      if (all.ColumnText(1) != GenerationText(generation, id)) ++wrong_text;
    }
    if (generations.size() != 1 || generations.begin()->second != rows) {
      std::string seen;
      for (const auto& [g, count] : generations) seen += " " + std::to_string(count) + " of generation " + std::to_string(g);
      faults.push_back("T is not one whole generation of " + std::to_string(rows) + " records:" + seen);
      return;
    }
    if (wrong_text > 0) faults.push_back(std::to_string(wrong_text) + " records have text of another generation");
    const int reported = LastReported(reports, Report::kGeneration);
    if (generation < reported) {
      faults.push_back("generation " + std::to_string(reported) + " was committed, the file holds " +
                       std::to_string(generation));
    }
    // Odd generations logged every record in the transaction that rewrote them.
    std::map<int, int> logged;
    Statement log = connection.Prepare("SELECT Gen, count(*) FROM Log GROUP BY Gen");
    while (log.Step()) logged[static_cast<int>(log.ColumnInt(0))] = static_cast<int>(log.ColumnInt(1));
    std::map<int, int> expected;
    for (int g = 1; g <= generation; g += 2) expected[g] = rows;
    if (logged != expected) {
      faults.push_back("the log holds " + std::to_string(logged.size()) + " generations for the " +
                       std::to_string(expected.size()) + " committed, or some of them in part");
    }
  });
}

void CheckCompact(const RunFiles& files, int rows, const std::string& source_bytes,
                  const std::vector<Report>& reports, Faults& faults) {
  if (qb::test::ReadFileBytes(files.database) != source_bytes) faults.push_back("compact changed its source");
  CheckSurvivor(files.database, faults, HoldsTheInitialRecords(files.database, rows, faults));
  const int last = LastReported(reports, Report::kCopied);
  for (int i = 1; i <= last + 1; ++i) {
    const std::string copy = files.Copy(i);
    if (i == last + 1 && !Exists(copy)) break;  // the unfinished one: not there at all is fine
    CheckSurvivor(copy, faults, HoldsTheInitialRecords(copy, rows, faults));
  }
  if (Exists(files.Copy(last + 2))) faults.push_back("a copy appeared beyond the one being made");
  // The next compact into the copy being made clears the side file the dead one built it in,
  // whether or not it got as far as the copy itself (then the compact is refused).
  const std::string unfinished = files.Copy(last + 1);
  const bool made = Exists(unfinished);
  try {
    CompactDatabaseFile(files.database, unfinished, "", 0, "", EngineSettings::ForTests());
    if (made) faults.push_back("compacting into the existing " + Name(unfinished) + " was not refused");
    CheckSurvivor(unfinished, faults, HoldsTheInitialRecords(unfinished, rows, faults));
  } catch (const EOleException& e) {
    if (!made || e.ErrorCode() != err::kFileExists) {
      faults.push_back("compacting into " + Name(unfinished) + " again fails: " + e.Message());
    }
  }
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(files.folder, ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".new-") != std::string::npos) faults.push_back(name + " was left behind");
  }
}

void CheckCompactInPlace(const RunFiles& files, int rows, Faults& faults) {
  CheckSurvivor(files.database, faults, HoldsTheInitialRecords(files.database, rows, faults));
  // The next compact clears what the dead one left, however far it got.
  CompactDatabaseInPlace(files.database, "", 0, "", EngineSettings::ForTests());
  CheckNoWorkFiles(files.database, faults);
}

void CheckRepair(const RunFiles& files, const std::set<int>& salvaged, const std::vector<Report>& reports,
                 Faults& faults) {
  const std::string damaged_bytes = qb::test::ReadFileBytes(files.damaged);
  const int last = LastReported(reports, Report::kCopied);
  for (int i = 1; i <= last + 1; ++i) {
    const std::string copy = files.Copy(i);
    if (i == last + 1) {
      if (!Exists(copy)) break;
      // Killed before it replaced the file, the damaged file is still there as it was; after,
      // the repaired file is whole. Either way a second repair finishes the work and clears
      // what the dead one left.
      if (qb::test::ReadFileBytes(copy) != damaged_bytes) {
        CheckSurvivor(copy, faults, HoldsSalvaged(copy, salvaged, faults));
      }
      try {
        RepairDatabaseFile(copy, "", EngineSettings::ForTests());
      } catch (const EOleException& e) {
        faults.push_back("repairing " + Name(copy) + " again fails: " + e.Message());
        continue;
      }
      CheckNoWorkFiles(copy, faults);
    } else if (qb::test::ReadFileBytes(copy + ".damaged") != damaged_bytes) {
      faults.push_back(Name(copy) + ".damaged is not the damaged file as it was");
    }
    CheckSurvivor(copy, faults, HoldsSalvaged(copy, salvaged, faults));
  }
}

}  // namespace qb::jet::crash
