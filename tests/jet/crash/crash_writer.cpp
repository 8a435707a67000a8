// The writer side of a crash run: opens its own Database in the forked process and changes it
// for ever, reporting each change once the engine has committed it. It never returns into the
// caller's code (gtest, benchmark): it ends with _exit, or by the SIGKILL it is waiting for.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "com/ole_exception.h"
#include "crash_harness.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_open.h"
#include "jet/dao/field.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"

namespace qb::jet::crash {
namespace {

class Writer {
 public:
  Writer(const RunOptions& options, const RunFiles& files, int report_fd)
      : options_(options), files_(files), fd_(report_fd), random_(options.seed * 7919 + 17) {}

  void Run() {
    switch (options_.workload) {
      case Workload::kRecordsetEdits:
        return EditRecords();
      case Workload::kLongExecute:
        return ExecuteOverEveryRow();
      case Workload::kCompact:
      case Workload::kCompactInPlace:
        return Compact();
      case Workload::kRepair:
        return Repair();
    }
  }

  void Send(Report::Kind kind, int id, int value) {
    const Report report{kind, id, value};
    // Smaller than PIPE_BUF, so it arrives whole or not at all.
    if (::write(fd_, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) ::_exit(3);
  }

 private:
  // A random stretch of work of the writer's own between changes, so the kill that follows a
  // report finds it anywhere between two changes, not only at the start of the next.
  void Wander() {
    volatile std::uint64_t sink = 0;
    const std::uint64_t steps = random_() % 20000;
    for (std::uint64_t i = 0; i < steps; ++i) sink = sink + i;
  }

  int AnyRow() { return 1 + static_cast<int>(random_() % static_cast<std::uint64_t>(options_.rows)); }

  static void Set(Recordset& rs, const char* field, const Variant& value) { rs.Fields()->Item(field)->SetValue(value); }

  void EditRecords() {
    auto db = OpenDatabaseAt(files_.database, ShareMode::kShared, false, "", EngineSettings::ForTests());
    auto table = db->OpenRecordset("T", kOpenTable);
    table->SetIndex("PK");
    auto dynaset = db->OpenRecordset("SELECT * FROM T", kOpenDynaset);
    for (int k = 1;; ++k) {
      Wander();
      switch (k % 4) {
        case 0: {  // a new record through the dynaset
          dynaset->AddNew();
          Set(*dynaset, "Txt", Variant("add-" + std::to_string(k)));
          Set(*dynaset, "N", Variant(k));
          dynaset->Update();
          Send(Report::kAdded, 0, k);
          break;
        }
        case 1: {  // an edit found by Seek
          const int id = AnyRow();
          table->Seek("=", {Variant(id)});
          table->Edit();
          Set(*table, "N", Variant(k));
          table->Update();
          Send(Report::kEdited, id, k);
          break;
        }
        case 2: {  // three new records in one transaction
          db->BeginTrans();
          for (int i = 0; i < 3; ++i) {
            table->AddNew();
            Set(*table, "Txt", Variant("batch-" + std::to_string(k) + "-" + std::to_string(i)));
            Set(*table, "N", Variant(k));
            table->Update();
          }
          db->CommitTrans();
          Send(Report::kBatch, 0, k);
          break;
        }
        default: {  // an edit found by FindFirst, pessimistic
          const int id = AnyRow();
          dynaset->SetLockEdits(true);
          dynaset->FindFirst("Id = " + std::to_string(id));
          dynaset->Edit();
          Set(*dynaset, "N", Variant(k));
          dynaset->Update();
          Send(Report::kEdited, id, k);
          break;
        }
      }
    }
  }

  // Odd generations rewrite every record and log them in one transaction; even ones rewrite
  // every record in one statement, on the path that skips failing rows.
  void ExecuteOverEveryRow() {
    auto db = OpenDatabaseAt(files_.database, ShareMode::kShared, false, "", EngineSettings::ForTests());
    for (int g = 1;; ++g) {
      Wander();
      const std::string g_text = std::to_string(g);
      const std::string update = "UPDATE T SET N = " + g_text + ", Txt = 'gen-" + g_text + "-' & Id & '-" +
                                 std::string(40, 'x') + "'";
      if (g % 2 == 1) {
        db->BeginTrans();
        db->Execute(update, kFailOnErrorOption);
        db->Execute("INSERT INTO Log (Gen, Id) SELECT " + g_text + ", Id FROM T", kFailOnErrorOption);
        db->CommitTrans();
      } else {
        db->Execute(update);
      }
      Send(Report::kGeneration, 0, g);
    }
  }

  // One new copy after another; in place, the file itself over and over. Every other copy
  // changes the encryption and the sort order, so each is a full rebuild.
  void Compact() {
    const EngineSettings settings = EngineSettings::ForTests();
    for (int i = 1;; ++i) {
      Wander();
      const int options = i % 2 == 0 ? kDbEncrypt : 0;
      const std::string locale = i % 2 == 0 ? "1053" : "1033";
      if (options_.workload == Workload::kCompactInPlace) {
        CompactDatabaseInPlace(files_.database, locale, i % 2 == 0 ? kDbEncrypt : kDbDecrypt, "", settings);
      } else {
        CompactDatabaseFile(files_.database, files_.Copy(i), locale, options, "", settings);
      }
      Send(Report::kCopied, 0, i);
    }
  }

  // Each copy of the damaged file appears whole (written aside, then renamed) and is repaired.
  void Repair() {
    const EngineSettings settings = EngineSettings::ForTests();
    for (int i = 1;; ++i) {
      Wander();
      const std::string copy = files_.Copy(i);
      std::filesystem::copy_file(files_.damaged, copy + ".part");
      std::filesystem::rename(copy + ".part", copy);
      RepairDatabaseFile(copy, "", settings);
      Send(Report::kCopied, 0, i);
    }
  }

  static constexpr int kFailOnErrorOption = recordset_option::kFailOnError;

  const RunOptions& options_;
  const RunFiles& files_;
  int fd_;
  std::mt19937_64 random_;
};

}  // namespace

void RunWriter(const RunOptions& options, const RunFiles& files, int report_fd) {
  Writer writer(options, files, report_fd);
  try {
    writer.Run();
  } catch (const EOleException& e) {
    writer.Send(Report::kFailed, 0, e.ErrorCode());
    std::fprintf(stderr, "crash writer (%s): %s\n", WorkloadName(options.workload), e.Message().c_str());
  } catch (const std::exception& e) {
    writer.Send(Report::kFailed, 0, -1);
    std::fprintf(stderr, "crash writer (%s): %s\n", WorkloadName(options.workload), e.what());
  }
  ::_exit(1);
}

}  // namespace qb::jet::crash
