// Opening database files: every kind of file that is not a database refused with its own
// message while nothing is written, passwords right and wrong, encryption that hides the data,
// and read-only opens that refuse every write.
#include <gtest/gtest.h>

#include "database_test_support.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/locks/lock_file.h"
#include "jet/dao/property.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::Snapshot;

class DatabaseOpenTest : public test::DatabaseTestBase {
 protected:
  // Opening PATH fails with NUMBER and a message holding SAYS; the folder and the file are
  // as they were.
  void ExpectRefused(const std::string& path, int number, const std::string& says, const std::string& connect = {}) {
    const auto before_listing = test::Listing(dir_.Path());
    const auto before = Snapshot(path);
    auto caught = ErrorOf([&] { workspace_->OpenDatabase(path, Variant(false), false, connect); });
    EXPECT_EQ(caught.number, number) << path << ": " << caught.message;
    EXPECT_NE(caught.message.find(says), std::string::npos) << caught.message;
    EXPECT_EQ(Snapshot(path), before) << path;
    EXPECT_EQ(test::Listing(dir_.Path()), before_listing) << path;
  }
};

TEST_F(DatabaseOpenTest, EveryBadInputHasItsOwnMessageAndWritesNothing) {
  ExpectRefused(dir_.File("missing.mdb"), err::kFileNotFound, "does not exist");
  std::filesystem::create_directory(dir_.File("folder.mdb"));
  ExpectRefused(dir_.File("folder.mdb"), err::kBadFileName, "is a folder");
  qb::test::WriteFileBytes(dir_.File("empty.mdb"), "");
  ExpectRefused(dir_.File("empty.mdb"), err::kUnrecognisedFile, "is empty");
  for (const char* genuine : {"jet/nwind.mdb", "jet/ASampleDatabase.accdb"}) {
    const std::string copy = dir_.File(std::filesystem::path(genuine).filename());
    std::filesystem::copy_file(qb::test::TestDataPath(genuine), copy);
    ExpectRefused(copy, err::kForeignFormat, "Jet or ACE");
  }
  {
    Connection other(dir_.File("other.db"), OpenMode::kCreate, CipherKey::None(), EngineSettings::ForTests());
    other.Exec("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('hello')");
  }
  ExpectRefused(dir_.File("other.db"), err::kUnrecognisedFile, "another program");
  ExpectRefused(dir_.File("system.mdw"), err::kUnrecognisedFile, "workgroup file");
  std::string noise(8192, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
  qb::test::WriteFileBytes(dir_.File("noise.mdb"), noise);
  ExpectRefused(dir_.File("noise.mdb"), err::kBadPassword, "Not a valid password");
  ExpectRefused(dir_.File("noise.mdb"), err::kBadPassword, "Not a valid password", ";pwd=guess");
}

TEST_F(DatabaseOpenTest, PasswordsRightWrongAndMissing) {
  const std::string path = MakeFilled("secret.mdb", 3, "1033;pwd=Open Sesame");
  ExpectRefused(path, err::kBadPassword, "Not a valid password");
  ExpectRefused(path, err::kBadPassword, "Not a valid password", ";pwd=open sesame");
  auto caught = ErrorOf([&] { workspace_->OpenDatabase(path, Variant(false), false, ";pwd=wrong"); });
  EXPECT_EQ(caught.message.find("wrong"), std::string::npos) << "a message never repeats a password";

  auto database = workspace_->OpenDatabase(path, Variant(false), false, ";PWD=Open Sesame");
  EXPECT_EQ(database->GetEncryption(), Encryption::kPassword);
  EXPECT_EQ(database->Connect(), ";PWD=Open Sesame");
  EXPECT_EQ(database->TableDefs()->Item("T")->Name(), "T");
}

TEST_F(DatabaseOpenTest, EncryptedFilesHideTheirDataFromPlainReaders) {
  for (auto [name, locale, options] : {std::tuple{"pw.mdb", "1033;pwd=hidden", 0}, {"key.mdb", "1033", kDbEncrypt}}) {
    const std::string path = MakeFilled(name, 50, locale, options);
    const std::string bytes = qb::test::ReadFileBytes(path);
    for (const char* clear : {"row-000001", "MSysObjects", "SQLite format 3", "CREATE TABLE"}) {
      EXPECT_EQ(bytes.find(clear), std::string::npos) << name << " holds " << clear;
    }
    Connection plain(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    EXPECT_FALSE(plain.IsReadable()) << name;
  }
  // The engine key opens without a password; a password is ignored for such a file.
  EXPECT_EQ(workspace_->OpenDatabase(dir_.File("key.mdb"))->GetEncryption(), Encryption::kEngineKey);
  EXPECT_EQ(test::IntactRowIds(dir_.File("key.mdb"), EngineFileKey()), test::IdsFromOneTo(50));
}

TEST_F(DatabaseOpenTest, ReadOnlyOpensRefuseEveryWrite) {
  const std::string path = MakeFilled("ro.mdb", 2);
  const auto before = Snapshot(path);
  auto database = workspace_->OpenDatabase(path, Variant(false), true);
  EXPECT_FALSE(database->Updatable());
  EXPECT_EQ(ErrorOf([&] { database->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (9, 'x')"); }).number, err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { database->TEST_ExecuteSql("CREATE TABLE U (a)"); }).number, err::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { database->CreateProperty("Owner", 10, Variant("me")); }).number, err::kReadOnly);
  database->BeginTrans();  // a transaction that writes nothing is harmless
  database->Rollback();
  database->Close();
  EXPECT_EQ(Snapshot(path).bytes, before.bytes);
  EXPECT_EQ(test::IntactRowIds(path), test::IdsFromOneTo(2));
}

TEST_F(DatabaseOpenTest, CreateRefusesExistingFilesAndBadArguments) {
  qb::test::WriteFileBytes(dir_.File("taken.mdb"), "keep");
  EXPECT_EQ(ErrorOf([&] { engine_->CreateDatabase(dir_.File("taken.mdb"), "1033"); }).number, err::kFileExists);
  EXPECT_EQ(qb::test::ReadFileBytes(dir_.File("taken.mdb")), "keep");
  for (auto [locale, options] : {std::pair{"9999", 0}, {";LANGID=0x0409x", 0}, {";FOO=1", 0}, {"1033", 64},
                                 {"1033", kDbVersion10 | kDbVersion30}, {"1033", kDbDecrypt}}) {
    auto caught = ErrorOf([&] { engine_->CreateDatabase(dir_.File("new.mdb"), locale, options); });
    EXPECT_EQ(caught.number, err::kInvalidArgument) << locale << " " << options;
  }
  EXPECT_EQ(ErrorOf([&] { engine_->CreateDatabase(dir_.File("new.mdb"), ";pwd=" + std::string(21, 'p')); }).number,
            err::kBadPassword);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("new.mdb")));
  EXPECT_EQ(ErrorOf([&] { engine_->CreateDatabase(dir_.File("no/such/folder.mdb"), "1033"); }).number, err::kBadPath);
}

TEST_F(DatabaseOpenTest, VersionsAndLocalesAreRecorded) {
  struct Case {
    const char* locale;
    int options;
    const char* version;
    int order;
  } cases[] = {{"1033", 0, "3.0", 1033},
               {"-1", kDbVersion10, "1.0", 1033},
               {";LANGID=0x041D;CP=1252;COUNTRY=0", kDbVersion11, "1.1", 1053},
               {"1049", kDbVersion20 | kDbEncrypt, "2.0", 1049},
               {";langid=0x0405;pwd=x;y", kDbVersion30, "3.0", 1029}};
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = dir_.File("v" + std::to_string(n++) + ".mdb");
    engine_->CreateDatabase(path, c.locale, c.options)->Close();
    const std::string connect = std::string(c.locale).find("pwd=") != std::string::npos ? ";pwd=x;y" : "";
    auto database = workspace_->OpenDatabase(path, Variant(false), true, connect);
    EXPECT_EQ(database->Version(), c.version) << c.locale;
    EXPECT_EQ(database->CollatingOrder(), c.order) << c.locale;
    EXPECT_EQ(database->Properties()->Item("Version")->Value().ToString(), c.version);
  }
}

}  // namespace
}  // namespace qb::jet
