// Compact and repair: compact with each option builds a new file and never changes the source;
// repair salvages every undamaged row of a file with a zeroed page, a truncated file, a broken
// index and a damaged encrypted page, keeping the damaged file beside the repaired one.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <algorithm>

#include "database_test_support.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::IdsFromOneTo;
using test::IntactRowIds;
using test::Snapshot;

constexpr std::size_t kPage = 4096;  // the page size of new files
constexpr int kRows = 600;           // about 20 leaf pages of T

// The ids whose marker text lies in BYTES.
std::set<int> IdsMarkedIn(const std::string& bytes) {
  std::set<int> ids;
  for (std::size_t at = bytes.find("row-"); at != std::string::npos; at = bytes.find("row-", at + 1)) {
    if (at + 10 <= bytes.size()) ids.insert(std::atoi(bytes.substr(at + 4, 6).c_str()));
  }
  return ids;
}

std::set<int> Without(std::set<int> all, const std::set<int>& lost) {
  for (int id : lost) all.erase(id);
  return all;
}

class DatabaseMaintenanceTest : public test::DatabaseTestBase {
 protected:
  Encryption EncryptionOf(const std::string& path, const std::string& connect = {}) {
    return workspace_->OpenDatabase(path, Variant(false), true, connect)->GetEncryption();
  }
  // Repairs PATH, which must then hold exactly EXPECTED and pass a fresh check.
  void ExpectRepairedTo(const std::string& path, const std::set<int>& expected, const CipherKey& key = CipherKey::None(),
                        const std::string& connect = {}) {
    const std::string damaged_bytes = qb::test::ReadFileBytes(path);
    engine_->RepairDatabase(path, connect);
    EXPECT_EQ(qb::test::ReadFileBytes(path + ".damaged"), damaged_bytes) << "the damaged file is kept as it was";
    const std::set<int> found = IntactRowIds(path, key);
    EXPECT_EQ(found, expected);
    for (int id : expected) {
      if (!found.count(id)) ADD_FAILURE() << "lost " << id;
    }
    for (int id : found) {
      if (!expected.count(id)) ADD_FAILURE() << "unexpected " << id;
    }
    const auto repaired = Snapshot(path);
    engine_->RepairDatabase(path, connect);  // sound now: nothing to do
    EXPECT_EQ(Snapshot(path), repaired);
    auto database = workspace_->OpenDatabase(path, Variant(false), false, connect);
    EXPECT_EQ(database->TableDefs()->Item("T")->Name(), "T");
  }
};

TEST_F(DatabaseMaintenanceTest, CompactAppliesEachOptionAndNeverChangesTheSource) {
  const std::string source = MakeFilled("source.mdb", 40, "1033");
  {
    auto database = workspace_->OpenDatabase(source);
    database->CreateProperty("Keep", 10, Variant("me"));
  }
  const auto before = Snapshot(source);
  struct Case {
    const char* name;
    std::string locale;
    int options;
    std::string version;
    int order;
    Encryption encryption;
    std::string connect;
  } cases[] = {
      {"plain.mdb", "", 0, "3.0", 1033, Encryption::kNone, ""},
      {"encrypted.mdb", "", kDbEncrypt, "3.0", 1033, Encryption::kEngineKey, ""},
      {"v10.mdb", "", kDbVersion10, "1.0", 1033, Encryption::kNone, ""},
      {"v20.mdb", "", kDbVersion20, "2.0", 1033, Encryption::kNone, ""},
      {"swedish.mdb", "1053", 0, "3.0", 1053, Encryption::kNone, ""},
      {"password.mdb", ";pwd=fresh", 0, "3.0", 1033, Encryption::kPassword, ";pwd=fresh"},
  };
  for (const Case& c : cases) {
    const std::string destination = dir_.File(c.name);
    engine_->CompactDatabase(source, destination, c.locale, c.options);
    auto database = workspace_->OpenDatabase(destination, Variant(false), true, c.connect);
    EXPECT_EQ(database->Version(), c.version) << c.name;
    EXPECT_EQ(database->CollatingOrder(), c.order) << c.name;
    EXPECT_EQ(database->GetEncryption(), c.encryption) << c.name;
    EXPECT_EQ(database->Properties()->Item("Keep")->Value().ToString(), "me") << c.name;
    EXPECT_EQ(database->TableDefs()->Count(), 5) << c.name;
  }
  EXPECT_EQ(IntactRowIds(dir_.File("plain.mdb")), IdsFromOneTo(40));
  EXPECT_EQ(IntactRowIds(dir_.File("encrypted.mdb"), EngineFileKey()), IdsFromOneTo(40));
  EXPECT_EQ(Snapshot(source), before);

  // Decrypting, and taking a password away again.
  engine_->CompactDatabase(dir_.File("encrypted.mdb"), dir_.File("decrypted.mdb"), "", kDbDecrypt);
  EXPECT_EQ(EncryptionOf(dir_.File("decrypted.mdb")), Encryption::kNone);
  auto refused = ErrorOf([&] {
    engine_->CompactDatabase(dir_.File("password.mdb"), dir_.File("x.mdb"), "", kDbDecrypt, ";pwd=fresh");
  });
  EXPECT_EQ(refused.number, err::kInvalidOperation);
  EXPECT_NE(refused.message.find("password"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(dir_.File("password.mdb"), dir_.File("x.mdb")); }).number,
            err::kBadPassword);
  engine_->CompactDatabase(dir_.File("password.mdb"), dir_.File("nopass.mdb"), ";pwd=", 0, ";pwd=fresh");
  EXPECT_EQ(EncryptionOf(dir_.File("nopass.mdb")), Encryption::kNone);
  engine_->CompactDatabase(dir_.File("password.mdb"), dir_.File("samepass.mdb"), "", kDbEncrypt, ";pwd=fresh");
  EXPECT_EQ(EncryptionOf(dir_.File("samepass.mdb"), ";pwd=fresh"), Encryption::kPassword);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.mdb")));
}

TEST_F(DatabaseMaintenanceTest, CompactRefusesAnExistingDestinationAndAnOpenSource) {
  const std::string source = MakeFilled("source.mdb", 3);
  qb::test::WriteFileBytes(dir_.File("taken.mdb"), "keep");
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(source, dir_.File("taken.mdb")); }).number, err::kFileExists);
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(source, source); }).number, err::kFileExists);
  EXPECT_EQ(qb::test::ReadFileBytes(dir_.File("taken.mdb")), "keep");
  auto open = workspace_->OpenDatabase(source);
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(source, dir_.File("new.mdb")); }).number, err::kFileInUse);
  EXPECT_EQ(ErrorOf([&] { engine_->CompactDatabase(source, dir_.File("new.mdb"), "", kDbEncrypt | kDbDecrypt); }).number,
            err::kInvalidArgument);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("new.mdb")));
}

TEST_F(DatabaseMaintenanceTest, CompactInPlaceReplacesTheSourceOnlyWhenNobodyHoldsIt) {
  const std::string path = MakeFilled("inplace.mdb", 30);
  {
    auto open = workspace_->OpenDatabase(path, Variant(false), true);
    const auto before = Snapshot(path);
    EXPECT_EQ(ErrorOf([&] { CompactDatabaseInPlace(path, "1053", kDbEncrypt, "", EngineSettings::ForTests()); }).number,
              err::kFileInUse);
    EXPECT_EQ(Snapshot(path), before);
  }
  CompactDatabaseInPlace(path, "1053", kDbEncrypt, "", EngineSettings::ForTests());
  EXPECT_EQ(IntactRowIds(path, EngineFileKey()), IdsFromOneTo(30));
  EXPECT_EQ(workspace_->OpenDatabase(path)->CollatingOrder(), 1053);
  for (const std::string& name : test::Listing(dir_.Path())) {
    EXPECT_TRUE(name == "inplace.mdb" || name.rfind("system.mdw", 0) == 0) << name << " left behind";
  }
}

// A process killed inside an in-place compact or a repair leaves its partial copy beside the
// file; the next of either, holding the file exclusively, knows nobody is working on it.
TEST_F(DatabaseMaintenanceTest, CompactInPlaceAndRepairRemoveTheWorkFilesOfDeadProcesses) {
  const std::string path = MakeFilled("work.mdb", 5);
  const std::vector<std::string> dead = {"work.mdb.compact-4242", "work.mdb.compact-4242.new-00ff-wal",
                                         "work.mdb.repair-77.new-1a2b", "work.mdb.repair-77.new-1a2b-shm"};
  const std::vector<std::string> bystanders = {"work.mdb.compact-notes", "work.mdb.damaged", "other.mdb.compact-5",
                                               "work.mdbx.repair-1"};
  auto plant = [&](const std::vector<std::string>& names) {
    for (const std::string& name : names) qb::test::WriteFileBytes(dir_.File(name), "partial");
  };
  auto present = [&](const std::vector<std::string>& names) {
    std::set<std::string> found;
    for (const std::string& name : names) {
      if (std::filesystem::exists(dir_.File(name))) found.insert(name);
    }
    return found;
  };
  const std::set<std::string> all_bystanders(bystanders.begin(), bystanders.end());
  plant(dead);
  plant(bystanders);
  {
    // Held by someone else: nothing is touched.
    auto open = workspace_->OpenDatabase(path, Variant(false), true);
    EXPECT_EQ(ErrorOf([&] { CompactDatabaseInPlace(path, "", 0, "", EngineSettings::ForTests()); }).number,
              err::kFileInUse);
    EXPECT_EQ(present(dead).size(), dead.size());
  }
  CompactDatabaseInPlace(path, "", 0, "", EngineSettings::ForTests());
  EXPECT_EQ(present(dead), std::set<std::string>{});
  EXPECT_EQ(present(bystanders), all_bystanders);
  EXPECT_EQ(IntactRowIds(path), IdsFromOneTo(5));

  plant(dead);
  engine_->RepairDatabase(path);  // a sound file: only the work files go
  EXPECT_EQ(present(dead), std::set<std::string>{});
  EXPECT_EQ(present(bystanders), all_bystanders);
  EXPECT_EQ(IntactRowIds(path), IdsFromOneTo(5));
}

TEST_F(DatabaseMaintenanceTest, CompactRestartsAutoNumbersAfterTheHighestValue) {
  const std::string path = dir_.File("auto.mdb");
  {
    auto database = engine_->CreateDatabase(path, "1033");
    database->TEST_ExecuteSql("CREATE TABLE A (Id INTEGER PRIMARY KEY AUTOINCREMENT, v);"
                              "INSERT INTO A (v) VALUES (1); INSERT INTO A (v) VALUES (2); INSERT INTO A (v) VALUES (3);"
                              "DELETE FROM A WHERE Id = 3");
  }
  engine_->CompactDatabase(path, dir_.File("compacted.mdb"));
  auto database = workspace_->OpenDatabase(dir_.File("compacted.mdb"));
  database->TEST_ExecuteSql("INSERT INTO A (v) VALUES (4); CREATE TABLE Seen AS SELECT max(Id) AS m FROM A");
  database->Close();
  Connection reader(dir_.File("compacted.mdb"), OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
  Statement seen = reader.Prepare("SELECT m FROM Seen");
  ASSERT_TRUE(seen.Step());
  EXPECT_EQ(seen.ColumnInt(0), 3);
}

// The copy skips the source's own rules and builds the file without a log; the result keeps
// its rules, logs as every engine file does and leaves no companions behind.
TEST_F(DatabaseMaintenanceTest, CompactedFileKeepsItsRulesAndItsLog) {
  const std::string path = dir_.File("rules.mdb");
  {
    auto database = engine_->CreateDatabase(path, "1033");
    database->TEST_ExecuteSql("CREATE TABLE R (v INTEGER CHECK (v >= 0)); INSERT INTO R VALUES (1)");
  }
  const std::string compacted = dir_.File("rules-compacted.mdb");
  engine_->CompactDatabase(path, compacted);
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    EXPECT_NE(::access((compacted + suffix).c_str(), F_OK), 0) << suffix;
  }
  Connection reader(compacted, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
  Statement mode = reader.Prepare("PRAGMA journal_mode");
  ASSERT_TRUE(mode.Step());
  EXPECT_EQ(mode.ColumnText(0), "wal");
  EXPECT_NE(sqlite3_exec(reader.Handle(), "INSERT INTO R VALUES (-1)", nullptr, nullptr, nullptr), SQLITE_OK);
  Statement count = reader.Prepare("SELECT count(*) FROM R");
  ASSERT_TRUE(count.Step());
  EXPECT_EQ(count.ColumnInt(0), 1);
}

TEST_F(DatabaseMaintenanceTest, RepairLeavesASoundFileAlone) {
  const std::string path = MakeFilled("sound.mdb", 10);
  const auto before = Snapshot(path);
  engine_->RepairDatabase(path);
  EXPECT_EQ(Snapshot(path), before);
  EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
}

// Zeroes a leaf page of T in the middle of the file at PATH; returns the ids it held.
std::set<int> ZeroALeafPageOfT(const std::string& path) {
  std::string bytes = qb::test::ReadFileBytes(path);
  std::size_t page = bytes.size() / kPage / 2;
  while (IdsMarkedIn(bytes.substr(page * kPage, kPage)).empty()) ++page;
  std::set<int> lost = IdsMarkedIn(bytes.substr(page * kPage, kPage));
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(page * kPage),
            bytes.begin() + static_cast<std::ptrdiff_t>((page + 1) * kPage), '\0');
  qb::test::WriteFileBytes(path, bytes);
  return lost;
}

TEST_F(DatabaseMaintenanceTest, RepairSalvagesAroundAZeroedPage) {
  const std::string path = MakeFilled("zeroed.mdb", kRows);
  ExpectRepairedTo(path, Without(IdsFromOneTo(kRows), ZeroALeafPageOfT(path)));
}

// Every table with a primary key has an index holding each rowid, which answers "is there a row
// after this one" without reading the table: the salvage must look at the rows themselves.
TEST_F(DatabaseMaintenanceTest, RepairSalvagesAroundAZeroedPageOfATableWithAKeyIndex) {
  const std::string path = MakeFilled("keyed.mdb", kRows);
  workspace_->OpenDatabase(path)->TEST_ExecuteSql("CREATE UNIQUE INDEX ById ON T (Id)");
  ExpectRepairedTo(path, Without(IdsFromOneTo(kRows), ZeroALeafPageOfT(path)));
}

TEST_F(DatabaseMaintenanceTest, RepairSalvagesATruncatedFile) {
  const std::string path = MakeFilled("truncated.mdb", kRows);
  std::string bytes = qb::test::ReadFileBytes(path);
  const std::size_t keep = bytes.size() / kPage * 2 / 3 * kPage;
  const std::set<int> kept = IdsMarkedIn(bytes.substr(0, keep));
  qb::test::WriteFileBytes(path, bytes.substr(0, keep));
  ExpectRepairedTo(path, kept);
}

// The same cut through an encrypted file: its pages read as a plain file's do, and salvage
// keeps what lies before the cut (the rows' layout differs, so only the share is known).
TEST_F(DatabaseMaintenanceTest, RepairSalvagesATruncatedEncryptedFile) {
  struct Case {
    const char* name;
    const char* locale;
    int options;
    CipherKey key;
    const char* connect;
  };
  for (const Case& c : {Case{"cut-pwd.mdb", "1033;pwd=tight", 0, CipherKey::Password("tight"), ";pwd=tight"},
                        Case{"cut-key.mdb", "1033", kDbEncrypt, EngineFileKey(), ""}}) {
    SCOPED_TRACE(c.name);
    const std::string path = MakeFilled(c.name, kRows, c.locale, c.options);
    const std::string bytes = qb::test::ReadFileBytes(path);
    const std::string cut = bytes.substr(0, bytes.size() / kPage * 2 / 3 * kPage);
    qb::test::WriteFileBytes(path, cut);
    auto caught = ErrorOf([&] { engine_->RepairDatabase(path, c.connect); });
    ASSERT_EQ(caught.number, 0) << caught.message;
    EXPECT_EQ(qb::test::ReadFileBytes(path + ".damaged"), cut);
    const std::set<int> found = IntactRowIds(path, c.key);
    EXPECT_GE(found.size(), static_cast<std::size_t>(kRows / 2));
    EXPECT_LT(found.size(), static_cast<std::size_t>(kRows));
    EXPECT_TRUE(found.count(1)) << "the rows before the cut are back";
    EXPECT_EQ(workspace_->OpenDatabase(path, Variant(false), false, c.connect)->TableDefs()->Item("T")->Name(), "T");
  }
}

TEST_F(DatabaseMaintenanceTest, RepairRebuildsABrokenIndex) {
  const std::string path = MakeFilled("index.mdb", kRows);
  std::int64_t root = 0;
  {
    auto database = workspace_->OpenDatabase(path);
    database->TEST_ExecuteSql("CREATE INDEX ByText ON T (Txt)");
  }
  {
    Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    Statement find = raw.Prepare("SELECT rootpage FROM sqlite_master WHERE name = 'ByText'");
    ASSERT_TRUE(find.Step());
    root = find.ColumnInt(0);
  }
  std::string bytes = qb::test::ReadFileBytes(path);
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>((root - 1) * kPage),
            bytes.begin() + static_cast<std::ptrdiff_t>(root * kPage), '\0');
  qb::test::WriteFileBytes(path, bytes);
  ExpectRepairedTo(path, IdsFromOneTo(kRows));
  Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
  RegisterTextCollation(raw, 1033);
  Statement check = raw.Prepare("PRAGMA integrity_check");
  ASSERT_TRUE(check.Step());
  EXPECT_EQ(check.ColumnText(0), "ok");
}

TEST_F(DatabaseMaintenanceTest, RepairSalvagesAroundADamagedEncryptedPage) {
  const std::string path = MakeFilled("cipher.mdb", kRows, "1033;pwd=tight");
  const CipherKey key = CipherKey::Password("tight");
  std::string bytes = qb::test::ReadFileBytes(path);
  const std::size_t page = bytes.size() / kPage / 2;
  for (std::size_t i = 100; i < 200; ++i) bytes[page * kPage + i] = static_cast<char>(bytes[page * kPage + i] ^ 0x5a);
  qb::test::WriteFileBytes(path, bytes);

  EXPECT_EQ(ErrorOf([&] { engine_->RepairDatabase(path); }).number, err::kBadPassword);
  EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
  engine_->RepairDatabase(path, ";pwd=tight");
  // The rows of one page are gone, as one run of ids; every other row is back intact.
  const std::set<int> found = IntactRowIds(path, key);
  std::vector<int> lost;
  for (int id = 1; id <= kRows; ++id) {
    if (!found.count(id)) lost.push_back(id);
  }
  ASSERT_FALSE(lost.empty());
  EXPECT_LE(lost.size(), 40u);
  EXPECT_EQ(lost.back() - lost.front() + 1, static_cast<int>(lost.size())) << "lost rows are one page's run";
  EXPECT_EQ(EncryptionOf(path, ";pwd=tight"), Encryption::kPassword);
}

TEST_F(DatabaseMaintenanceTest, RepairRefusesWhatIsNoDatabaseAndNeverCrashes) {
  EXPECT_EQ(ErrorOf([&] { engine_->RepairDatabase(dir_.File("missing.mdb")); }).number, err::kFileNotFound);
  qb::test::WriteFileBytes(dir_.File("empty.mdb"), "");
  EXPECT_EQ(ErrorOf([&] { engine_->RepairDatabase(dir_.File("empty.mdb")); }).number, err::kUnrecognisedFile);
  {
    Connection other(dir_.File("other.db"), OpenMode::kCreate, CipherKey::None(), EngineSettings::ForTests());
    other.Exec("CREATE TABLE notes (body TEXT)");
  }
  EXPECT_EQ(ErrorOf([&] { engine_->RepairDatabase(dir_.File("other.db")); }).number, err::kUnrecognisedFile);
  EXPECT_EQ(ErrorOf([&] { engine_->RepairDatabase(dir_.File("system.mdw")); }).number, err::kUnrecognisedFile);
  // Every page of a small file zeroed in turn, and the header cut short: an error or a repair,
  // never a crash.
  const std::string path = MakeFilled("fragile.mdb", 60);
  const std::string sound = qb::test::ReadFileBytes(path);
  for (std::size_t page = 0; page < sound.size() / kPage; ++page) {
    std::string bytes = sound;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(page * kPage),
              bytes.begin() + static_cast<std::ptrdiff_t>((page + 1) * kPage), '\0');
    qb::test::WriteFileBytes(path, bytes);
    std::filesystem::remove(path + ".damaged");
    auto caught = ErrorOf([&] { engine_->RepairDatabase(path); });
    EXPECT_TRUE(caught.number == 0 || caught.number == err::kUnrecognisedFile || caught.number == err::kBadPassword)
        << "page " << page << ": " << caught.number << " " << caught.message;
  }
  qb::test::WriteFileBytes(path, sound.substr(0, 50));
  EXPECT_NE(ErrorOf([&] { engine_->RepairDatabase(path); }).number, 0);
}

}  // namespace
}  // namespace qb::jet
