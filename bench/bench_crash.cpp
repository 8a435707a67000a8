// bench_crash: many more kills than the crash tests make, on bigger files: a writer is killed
// at random points inside recordset updates, long action queries, compacting and repairing,
// and each run counts as survived when the file opens exclusively, passes the integrity check
// and holds every committed change and no half of one (the checks of the crash tests).
// Prints survivals per workload and the seed of every failed run; exits 1 if any failed.
//
//   bench_crash [--runs N] [--seed S] [--scale K] [--only recordset|execute|compact|inplace|repair]
//
// --runs: kills per workload (default 50); --scale multiplies the rows of every workload.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "jet/crash/crash_harness.h"
#include "support/test_support.h"

namespace {

using qb::jet::crash::Workload;

struct Plan {
  Workload workload;
  const char* flag;
  int rows;
};

const Plan kPlans[] = {
    {Workload::kRecordsetEdits, "recordset", 1000},
    {Workload::kLongExecute, "execute", 20000},
    {Workload::kCompact, "compact", 5000},
    {Workload::kCompactInPlace, "inplace", 5000},
    {Workload::kRepair, "repair", 5000},
};

}  // namespace

int main(int argc, char** argv) {
  int runs = 50, scale = 1;
  std::uint64_t seed = std::random_device{}();
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
    else if (std::strcmp(argv[i], "--scale") == 0) scale = std::max(1, std::atoi(argv[i + 1]));
    else if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
  }
  std::printf("crash runs: %d per workload, seed %llu\n", runs, static_cast<unsigned long long>(seed));
  int failed = 0;
  for (const Plan& plan : kPlans) {
    if (!only.empty() && only != plan.flag) continue;
    int survived = 0, with_log = 0, with_leftovers = 0;
    long long reported = 0;
    for (int run = 0; run < runs; ++run) {
      qb::test::TempDir dir;
      qb::jet::crash::RunOptions options;
      options.workload = plan.workload;
      options.seed = seed + static_cast<std::uint64_t>(run);
      options.rows = plan.rows * scale;
      options.max_reports = 6;
      const qb::jet::crash::RunOutcome outcome = qb::jet::crash::RunOnce(options, dir.Path().string());
      reported += outcome.reported;
      with_log += outcome.left_log ? 1 : 0;
      if (!outcome.leftovers.empty() && with_leftovers++ == 0) {
        std::printf("  left behind, e.g.:");
        for (const std::string& name : outcome.leftovers) std::printf(" %s", name.c_str());
        std::printf("\n");
      }
      if (outcome.faults.empty()) {
        ++survived;
        continue;
      }
      ++failed;
      std::printf("  FAILED %s, seed %llu:\n", qb::jet::crash::WorkloadName(plan.workload),
                  static_cast<unsigned long long>(options.seed));
      for (const std::string& fault : outcome.faults) std::printf("    %s\n", fault.c_str());
    }
    std::printf("%-17s %5d rows: survived %d of %d kills; %lld committed changes checked; "
                "%d left a log to recover; %d left unfinished side files\n",
                qb::jet::crash::WorkloadName(plan.workload), plan.rows * scale, survived, runs, reported, with_log,
                with_leftovers);
    std::fflush(stdout);
  }
  return failed == 0 ? 0 : 1;
}
