// Running one crash: the files a workload starts from, the forked writer, the choice of the
// moment to kill it (after a drawn number of reports, then a drawn part of the time one change
// took, spent busy: no sleeps), the reports it managed to send, and the checks.
#include "crash_harness.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "com/ole_exception.h"
#include "crash_checks.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/dao/database_files.h"
#include "jet/locks/lock_file.h"
#include "support/test_support.h"

namespace qb::jet::crash {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kPage = 4096;  // the page size of new files

// A new plain database at PATH with T (ROWS initial records) and an empty Log.
void MakeDatabase(const std::string& path, int rows) {
  auto db = CreateDatabaseAt(path, "1033", 0, EngineSettings::ForTests());
  db->Execute("CREATE TABLE T (Id COUNTER CONSTRAINT PK PRIMARY KEY, Txt TEXT(80), N LONG)");
  db->Execute("CREATE TABLE Log (Gen LONG, Id LONG)");
  db->BeginTrans();
  for (int id = 1; id <= rows; ++id) db->Execute("INSERT INTO T (Txt, N) VALUES ('" + InitialText(id) + "', 0)");
  db->CommitTrans();
  db->Close();
}

// Makes FILES.damaged: a database with a zeroed page of T's records from its second half. The
// records a repair keeps go to *SALVAGED, found by repairing a copy once here.
void MakeDamaged(const RunFiles& files, int rows, std::set<int>* salvaged, Faults& faults) {
  MakeDatabase(files.damaged, rows);
  std::string bytes = qb::test::ReadFileBytes(files.damaged);
  std::size_t page = bytes.size() / kPage / 2;
  while ((page + 1) * kPage <= bytes.size() && bytes.substr(page * kPage, kPage).find("init-") == std::string::npos) {
    ++page;
  }
  if ((page + 1) * kPage > bytes.size()) {
    faults.push_back("no page of records to damage");
    return;
  }
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(page * kPage),
            bytes.begin() + static_cast<std::ptrdiff_t>((page + 1) * kPage), '\0');
  qb::test::WriteFileBytes(files.damaged, bytes);

  const std::string probe = files.folder + "/probe.mdb";
  fs::copy_file(files.damaged, probe);
  const RepairOutcome repaired = RepairDatabaseFile(probe, "", EngineSettings::ForTests());
  *salvaged = IntactInitialIds(probe);
  if (!repaired.was_damaged || salvaged->empty() || static_cast<int>(salvaged->size()) >= rows) {
    faults.push_back("the damaged file is not damaged as meant: " + std::to_string(salvaged->size()) + " of " +
                     std::to_string(rows) + " records salvaged");
  }
}

// Reads one whole report; false at the end of the pipe.
bool ReadReport(int fd, Report* report) {
  char* into = reinterpret_cast<char*>(report);
  std::size_t got = 0;
  while (got < sizeof *report) {
    const ssize_t n = ::read(fd, into + got, sizeof *report - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// Waits for a drawn number of reports, spends a drawn part of the time the last change took,
// then kills the writer; returns every report it sent, the late ones too.
std::vector<Report> KillAtADrawnPoint(pid_t writer, int fd, const RunOptions& options, Faults& faults) {
  std::mt19937_64 random(options.seed);
  const std::size_t wanted = 1 + random() % static_cast<std::uint64_t>(std::max(1, options.max_reports));
  std::vector<Report> reports;
  Clock::time_point previous = Clock::now();
  Clock::duration one_change{};
  Report report;
  while (reports.size() < wanted && ReadReport(fd, &report)) {
    const Clock::time_point now = Clock::now();
    one_change = now - previous;
    previous = now;
    reports.push_back(report);
    if (report.kind == Report::kFailed) break;
  }
  const auto share = std::uniform_real_distribution<double>(0.0, 1.25)(random);
  const Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(one_change * share);
  while (Clock::now() < until) {
  }
  ::kill(writer, SIGKILL);
  int status = 0;
  ::waitpid(writer, &status, 0);
  while (ReadReport(fd, &report)) reports.push_back(report);
  if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) faults.push_back("the writer ended before it was killed");
  return reports;
}

bool IsLeftover(const std::string& name) {
  for (const char* mark : {".new-", ".compact-", ".repair-", ".part"}) {
    if (name.find(mark) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

const char* WorkloadName(Workload workload) {
  switch (workload) {
    case Workload::kRecordsetEdits:
      return "recordset edits";
    case Workload::kLongExecute:
      return "long Execute";
    case Workload::kCompact:
      return "compact";
    case Workload::kCompactInPlace:
      return "compact in place";
    case Workload::kRepair:
      return "repair";
  }
  return "?";
}

RunFiles::RunFiles(const std::string& folder_path)
    : database(folder_path + "/data.mdb"), damaged(folder_path + "/damaged.mdb"), folder(folder_path) {}

std::string RunFiles::Copy(int number) const { return folder + "/copy-" + std::to_string(number) + ".mdb"; }

std::string InitialText(int id) { return "init-" + std::to_string(id) + "-" + std::string(40, 'y'); }

std::string GenerationText(int generation, int id) {
  if (generation == 0) return InitialText(id);
  return "gen-" + std::to_string(generation) + "-" + std::to_string(id) + "-" + std::string(40, 'x');
}

RunOutcome RunOnce(const RunOptions& options, const std::string& folder) {
  RunOutcome outcome;
  Faults& faults = outcome.faults;
  const RunFiles files(folder);
  std::string source_bytes;
  std::set<int> salvaged;
  try {
    if (options.workload == Workload::kRepair) {
      MakeDamaged(files, options.rows, &salvaged, faults);
    } else {
      MakeDatabase(files.database, options.rows);
      source_bytes = qb::test::ReadFileBytes(files.database);
    }
  } catch (const EOleException& e) {
    faults.push_back("preparing the files failed: " + e.Message());
  }
  if (!faults.empty()) return outcome;

  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) {
    faults.push_back("no pipe");
    return outcome;
  }
  const pid_t writer = ::fork();
  if (writer == 0) {
    ::close(pipe_fds[0]);
    RunWriter(options, files, pipe_fds[1]);
  }
  ::close(pipe_fds[1]);
  if (writer < 0) {
    ::close(pipe_fds[0]);
    faults.push_back("no fork");
    return outcome;
  }
  const std::vector<Report> reports = KillAtADrawnPoint(writer, pipe_fds[0], options, faults);
  ::close(pipe_fds[0]);
  for (const Report& report : reports) {
    if (report.kind == Report::kFailed) {
      faults.push_back("the writer failed with error " + std::to_string(report.value));
    } else {
      ++outcome.reported;
    }
  }
  if (outcome.reported == 0) faults.push_back("the writer reported no change");

  std::error_code ignored;
  outcome.left_log = fs::exists(files.database + "-wal", ignored);
  outcome.left_lock_file = fs::exists(LockFileHold::PathFor(files.database), ignored);
  try {
    switch (options.workload) {
      case Workload::kRecordsetEdits:
        CheckRecordsetEdits(files, options.rows, reports, faults);
        break;
      case Workload::kLongExecute:
        CheckLongExecute(files, options.rows, reports, faults);
        break;
      case Workload::kCompact:
        CheckCompact(files, options.rows, source_bytes, reports, faults);
        break;
      case Workload::kCompactInPlace:
        CheckCompactInPlace(files, options.rows, faults);
        break;
      case Workload::kRepair:
        CheckRepair(files, salvaged, reports, faults);
        break;
    }
  } catch (const EOleException& e) {
    faults.push_back("checking raised error " + std::to_string(e.ErrorCode()) + ": " + e.Message());
  }
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    const std::string name = entry.path().filename().string();
    if (IsLeftover(name)) outcome.leftovers.push_back(name);
  }
  std::sort(outcome.leftovers.begin(), outcome.leftovers.end());
  return outcome;
}

}  // namespace qb::jet::crash
