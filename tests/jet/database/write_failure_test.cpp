// A write, sync or truncate that fails anywhere in a day's work (recordset edits, action
// statements in and out of transactions, DDL, compact and repair) reaches the caller as a
// disk-full or device error, and the file afterwards opens, is sound (SQLite's integrity check)
// and holds exactly the work up to the failed step, or up to and including it: never half of
// a step. The failure is injected at each point in turn (in a normal run at a stride of the
// points; with QB_LONG_TESTS set, at every one).
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "../support/full_disk_vfs.h"
#include "database_test_support.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/base/recordset_types.h"
#include "jet/base/sort_orders.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::FullDiskVfs;

// Rows of SQL on the bare file, each as its values' texts.
std::vector<std::vector<std::string>> Query(sqlite3* db, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    return {{"cannot run " + sql + ": " + sqlite3_errmsg(db)}};
  }
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      const unsigned char* text = sqlite3_column_text(statement, column);
      std::string value = text ? "'" + std::string(reinterpret_cast<const char*>(text)) + "'" : "null";
      // The catalog's creation and change times differ from run to run.
      if (std::regex_match(value, std::regex("'4[0-9]{4}\\.[0-9]+'"))) value = "<time>";
      row.push_back(value);
    }
  }
  if (rc != SQLITE_DONE) rows.push_back({"failed: " + std::string(sqlite3_errmsg(db))});
  sqlite3_finalize(statement);
  return rows;
}

// The file's schema and rows as text, after SQLite's integrity check said "ok" (else the
// check's verdict). Reads the bare file (the engine's checks stay out of the way): call with
// the engine's connections closed.
std::string Contents(const std::string& path) {
  Connection connection(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
  RegisterTextCollation(connection, kSortGeneral);
  sqlite3* db = connection.Handle();
  std::string text;
  const auto verdict = Query(db, "PRAGMA integrity_check");
  if (verdict != std::vector<std::vector<std::string>>{{"'ok'"}}) {
    text += "integrity check:";
    for (const auto& row : verdict) text += " " + row.at(0);
    text += "\n";
  }
  for (const auto& row : Query(db, "SELECT type, name, sql FROM sqlite_master ORDER BY type, name")) {
    for (const std::string& value : row) text += value + " ";
    text += "\n";
    if (row.size() < 2 || row[0] != "'table'") continue;
    // Sorted here: the engine's collations are not in a bare connection.
    std::vector<std::string> lines;
    for (const auto& values : Query(db, "SELECT * FROM \"" + row[1].substr(1, row[1].size() - 2) + "\"")) {
      std::string line = "  ";
      for (const std::string& value : values) line += value + " ";
      lines.push_back(line + "\n");
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) text += line;
  }
  return text;
}

// Every point is tried under `make test-long` (QB_LONG_TESTS set); a normal run tries a stride.
bool EveryPoint() { return std::getenv("QB_LONG_TESTS") != nullptr; }

bool IsWriteError(int number) {
  return number == err::kDiskFull || number == err::kDiskIo || number == err::kResourceExceeded;
}

void Set(Recordset& rs, const std::string& field, const Variant& value) { rs.Fields()->Item(field)->SetValue(value); }

class WriteFailureTest : public test::DatabaseTestBase {
 protected:
  struct Session {
    std::shared_ptr<Database> database;
  };
  using Step = std::function<void(Session&)>;

  void SetUp() override {
    DatabaseTestBase::SetUp();
    initial_ = dir_.File("initial.mdb");
    path_ = dir_.File("work.mdb");
    compacted_ = dir_.File("compacted.mdb");
    auto database = engine_->CreateDatabase(initial_, "1033", 0);
    database->Execute("CREATE TABLE T (Id LONG PRIMARY KEY, Txt TEXT(50), Amount CURRENCY)");
    for (int id = 1; id <= 20; ++id) {
      database->Execute("INSERT INTO T (Id, Txt, Amount) VALUES (" + std::to_string(id) + ", 'row " +
                        std::to_string(id) + "', " + std::to_string(id) + ".25)");
    }
    database->Close();
  }

  // The day's work, in steps; each step is what a caller would see succeed or fail as a whole.
  std::vector<Step> Workload() {
    auto open = [this](Session& s) {
      if (!s.database) s.database = workspace_->OpenDatabase(path_);
    };
    auto close = [](Session& s) {
      if (s.database) s.database->Close();
      s.database.reset();
    };
    return {
        [=, this](Session& s) {
          open(s);
          s.database->Execute("INSERT INTO T (Id, Txt, Amount) VALUES (21, 'alone', 1)");
        },
        [=, this](Session& s) { s.database->Execute("UPDATE T SET Amount = Amount * 2 WHERE Id <= 10"); },
        [=, this](Session& s) {
          s.database->BeginTrans();
          s.database->Execute("INSERT INTO T (Id, Txt, Amount) SELECT Id + 100, Txt & ' copy', Amount FROM T");
          s.database->Execute("DELETE FROM T WHERE Id BETWEEN 5 AND 8");
          s.database->Execute("UPDATE T SET Txt = 'changed' WHERE Id = 1");
          s.database->CommitTrans();
        },
        [=, this](Session& s) {
          // Work that is rolled back leaves nothing.
          s.database->BeginTrans();
          s.database->Execute("DELETE FROM T WHERE Id > 100");
          s.database->Rollback();
        },
        // Each Update and Delete of a recordset outside a transaction stands on its own.
        [=, this](Session& s) {
          auto rs = s.database->OpenRecordset("SELECT * FROM T WHERE Id < 30 ORDER BY Id", kOpenDynaset);
          rs->AddNew();
          Set(*rs, "Id", Variant(22));
          Set(*rs, "Txt", Variant("added"));
          rs->Update();
        },
        [=, this](Session& s) {
          auto rs = s.database->OpenRecordset("SELECT * FROM T WHERE Id < 30 ORDER BY Id", kOpenDynaset);
          rs->Edit();
          Set(*rs, "Txt", Variant("edited"));
          rs->Update();
        },
        [=, this](Session& s) {
          auto rs = s.database->OpenRecordset("SELECT * FROM T WHERE Id < 30 ORDER BY Id", kOpenDynaset);
          rs->MoveNext();
          rs->Delete();
        },
        [=, this](Session& s) {
          s.database->BeginTrans();
          auto rs = s.database->OpenRecordset("T", kOpenDynaset);
          for (int id = 200; id < 205; ++id) {
            rs->AddNew();
            Set(*rs, "Id", Variant(id));
            Set(*rs, "Txt", Variant("in a transaction"));
            rs->Update();
          }
          rs->Close();
          s.database->CommitTrans();
        },
        [=, this](Session& s) { s.database->Execute("CREATE TABLE U (Code TEXT(10) PRIMARY KEY, Note MEMO)"); },
        [=, this](Session& s) { s.database->Execute("INSERT INTO U (Code, Note) VALUES ('a', 'first')"); },
        [=, this](Session& s) { s.database->Execute("CREATE INDEX ByTxt ON T (Txt)"); },
        [=, this](Session& s) { s.database->Execute("ALTER TABLE T ADD COLUMN Extra LONG"); },
        [=, this](Session& s) { s.database->Execute("DROP INDEX ByTxt ON T"); },
        [=, this](Session& s) { s.database->Execute("DROP TABLE U"); },
        [=, this](Session& s) {
          close(s);
          engine_->CompactDatabase(path_, compacted_);
        },
        [=, this](Session&) { engine_->RepairDatabase(path_); },
        [=, this](Session& s) {
          open(s);
          s.database->Execute("DELETE FROM T WHERE Id > 200");
          close(s);
        },
    };
  }

  static constexpr std::size_t kCompactStep = 14;  // the step of Workload() that compacts

  struct Run {
    int failed_step = -1;  // -1: every step went through
    test::CaughtError error;
  };

  // Runs the work on a fresh copy of the initial file, up to the step that fails, and closes
  // everything. LAST: how many steps to run.
  Run RunWorkload(std::size_t last) {
    std::filesystem::remove(compacted_);
    std::filesystem::copy_file(initial_, path_, std::filesystem::copy_options::overwrite_existing);
    std::vector<Step> steps = Workload();
    Session session;
    Run run;
    for (std::size_t i = 0; i < last && i < steps.size(); ++i) {
      run.error = ErrorOf([&] { steps[i](session); });
      if (run.error.number != 0) {
        run.failed_step = static_cast<int>(i);
        break;
      }
    }
    if (session.database) {
      if (session.database->TransactionDepth() > 0) ErrorOf([&] { session.database->Rollback(); });
      ErrorOf([&] { session.database->Close(); });
      session.database.reset();
    }
    return run;
  }

  // The contents after each number of steps (0: the initial file).
  std::vector<std::string> Expected() {
    std::vector<std::string> contents;
    const std::size_t steps = Workload().size();
    for (std::size_t last = 0; last <= steps; ++last) {
      Run run = RunWorkload(last);
      EXPECT_EQ(run.failed_step, -1) << run.error.message;
      contents.push_back(Contents(path_));
    }
    return contents;
  }

  // Every point at which the work writes, syncs or truncates, failed in turn with FAULT.
  void FailEachPoint(FullDiskVfs::Fault fault) {
    const std::vector<std::string> expected = Expected();
    int points = 0;
    {
      FullDiskVfs disk;
      disk.FailOperation(0, fault);
      ASSERT_EQ(RunWorkload(expected.size()).failed_step, -1);
      points = disk.Operations();
    }
    ASSERT_GT(points, 20);
    const int stride = EveryPoint() ? 1 : std::max(1, points / 12);
    int failures_seen = 0;
    for (int point = 1; point <= points; point += stride) {
      SCOPED_TRACE("failing operation " + std::to_string(point) + " of " + std::to_string(points));
      Run run;
      {
        FullDiskVfs disk;
        disk.FailOperation(point, fault);
        run = RunWorkload(expected.size());
        ASSERT_EQ(disk.Failures(), 1);
      }
      std::string contents = Contents(path_);
      if (run.failed_step < 0) {
        // SQLite got over the failure by itself (a lost journal truncation, say): all is there.
        EXPECT_EQ(contents, expected.back());
        continue;
      }
      ++failures_seen;
      const auto step = static_cast<std::size_t>(run.failed_step);
      EXPECT_TRUE(IsWriteError(run.error.number))
          << "step " << step << ": " << run.error.number << " " << run.error.message;
      EXPECT_TRUE(contents == expected[step] || contents == expected[step + 1])
          << "step " << step << " left:\n" << contents << "\nbefore it:\n" << expected[step];
      // The engine opens the file afterwards, and a failed compact leaves no half copy.
      EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase(path_)->Close(); }).number, 0);
      if (step == kCompactStep) {
        EXPECT_FALSE(std::filesystem::exists(compacted_)) << "a failed compact left its copy";
      } else if (std::filesystem::exists(compacted_)) {
        EXPECT_EQ(ErrorOf([&] { workspace_->OpenDatabase(compacted_)->Close(); }).number, 0) << "step " << step;
      }
    }
    EXPECT_GT(failures_seen, 0);
  }

  std::string initial_;
  std::string path_;
  std::string compacted_;
};

TEST_F(WriteFailureTest, AFullDiskAtAnyPointLosesNoCommittedWorkAndHalfOfNone) {
  FailEachPoint(FullDiskVfs::Fault::kFull);
}

TEST_F(WriteFailureTest, ADeviceErrorAtAnyPointLosesNoCommittedWorkAndHalfOfNone) {
  FailEachPoint(FullDiskVfs::Fault::kIo);
}

// Every point of a compact and of a new database's creation, whatever the stride: a made file
// is linked into place only once all of it is written, and else no part of it is left.
TEST_F(WriteFailureTest, AFileMadeWhileWritesFailIsWholeOrAbsent) {
  for (FullDiskVfs::Fault fault : {FullDiskVfs::Fault::kFull, FullDiskVfs::Fault::kIo}) {
    std::filesystem::copy_file(initial_, path_, std::filesystem::copy_options::overwrite_existing);
    const std::string before = Contents(path_);
    const std::string created = dir_.File("created.mdb");
    std::filesystem::remove(compacted_);
    std::filesystem::remove(created);
    int points = 0;
    {
      FullDiskVfs disk;
      disk.FailOperation(0, fault);
      engine_->CompactDatabase(path_, compacted_);
      engine_->CreateDatabase(created, "1033", 0)->Close();
      points = disk.Operations();
    }
    const std::string compacted = Contents(compacted_);
    const std::string empty = Contents(created);
    for (int point = 1; point <= points; point += EveryPoint() ? 1 : 4) {
      SCOPED_TRACE("failing operation " + std::to_string(point) + " of " + std::to_string(points));
      std::filesystem::remove(compacted_);
      std::filesystem::remove(created);
      test::CaughtError error;
      {
        FullDiskVfs disk;
        disk.FailOperation(point, fault);
        error = ErrorOf([&] {
          engine_->CompactDatabase(path_, compacted_);
          engine_->CreateDatabase(created, "1033", 0)->Close();
        });
      }
      if (error.number == 0) {
        EXPECT_EQ(Contents(compacted_), compacted);
        EXPECT_EQ(Contents(created), empty);
        continue;
      }
      EXPECT_TRUE(IsWriteError(error.number)) << error.number << " " << error.message;
      EXPECT_EQ(Contents(path_), before);
      if (std::filesystem::exists(compacted_)) {
        EXPECT_EQ(Contents(compacted_), compacted);
      }
      EXPECT_FALSE(std::filesystem::exists(created)) << "a failed creation left its file";
    }
  }
}

}  // namespace
}  // namespace qb::jet
