// Workgroup files as files: what a new one holds on disk, and every kind of file that is not a
// workgroup being refused with its own message while nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine_test_support.h"
#include "jet/dao/dbengine.h"
#include "jet/storage/engine_file.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/dao/group.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"
#include "jet/dao/workspaces.h"

namespace qb::jet {
namespace {

using test::ErrorOf;
using test::Snapshot;

std::set<std::string> Listing(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class WorkgroupFileTest : public ::testing::Test {
 protected:
  std::shared_ptr<DBEngine> engine_ = CreateDBEngine(EngineSettings::ForTests());
  qb::test::TempDir dir_;
};

TEST_F(WorkgroupFileTest, NewFileHoldsNoNameOrHashInClear) {
  const std::string path = dir_.File("secure.mdw");
  engine_->CreateWorkgroup(path);
  engine_->SetSystemDB(path);
  auto workspace = engine_->CreateWorkspace("w", "Admin", "");
  workspace->Users()->Append(workspace->CreateUser("Zebedee", "pid-zebedee", "Sesame42"));
  workspace->Close();

  const std::string bytes = qb::test::ReadFileBytes(path);
  ASSERT_FALSE(bytes.empty());
  for (const char* clear : {"Zebedee", "Admins", "Sesame42", "argon2id", "MSysAccounts", "SQLite format"}) {
    EXPECT_EQ(bytes.find(clear), std::string::npos) << clear;
  }
  // Nothing but the file itself is left in the folder: no side file, no log.
  EXPECT_EQ(Listing(dir_.Path()), std::set<std::string>{"secure.mdw"});
}

TEST_F(WorkgroupFileTest, CreatingOverAnExistingFileIsRefusedAndKeepsIt) {
  const std::string path = dir_.File("taken.mdw");
  qb::test::WriteFileBytes(path, "keep me");
  auto caught = ErrorOf([&] { engine_->CreateWorkgroup(path); });
  EXPECT_EQ(caught.number, err::kFileExists);
  EXPECT_EQ(qb::test::ReadFileBytes(path), "keep me");

  caught = ErrorOf([&] { engine_->CreateWorkgroup(dir_.File("no-such-folder/x.mdw")); });
  EXPECT_EQ(caught.number, err::kBadPath);
  EXPECT_EQ(Listing(dir_.Path()), std::set<std::string>{"taken.mdw"});
}

// Each bad file: how to make it, and the error a login against it must raise.
struct BadWorkgroup {
  const char* label;
  std::function<std::string(const qb::test::TempDir&)> make;  // returns the path to use
  int number;
  const char* says;  // a fragment of the message
};

std::string MakeEngineFile(const qb::test::TempDir& dir, const char* name, FileKind kind, const CipherKey& key) {
  CatalogInfo info;
  info.kind = kind;
  CreateEngineFile(dir.File(name), info, key, EngineSettings::ForTests(), [](Connection&) {});
  return dir.File(name);
}

const BadWorkgroup kBadWorkgroups[] = {
    {"missing", [](const auto& d) { return d.File("absent.mdw"); }, err::kWorkgroupMissing, "does not exist"},
    {"empty",
     [](const auto& d) {
       qb::test::WriteFileBytes(d.File("empty.mdw"), "");
       return d.File("empty.mdw");
     },
     err::kUnrecognisedFile, "is empty"},
    {"folder",
     [](const auto& d) {
       std::filesystem::create_directory(d.File("folder.mdw"));
       return d.File("folder.mdw");
     },
     err::kBadFileName, "is a folder"},
    {"random bytes",
     [](const auto& d) {
       std::string noise(8192, '\0');
       for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
       qb::test::WriteFileBytes(d.File("noise.mdw"), noise);
       return d.File("noise.mdw");
     },
     err::kUnrecognisedFile, "encrypted with another key"},
    {"a few bytes",
     [](const auto& d) {
       qb::test::WriteFileBytes(d.File("short.mdw"), "xyz");
       return d.File("short.mdw");
     },
     err::kUnrecognisedFile, "encrypted with another key"},
    {"genuine Jet file",
     [](const auto& d) {
       std::filesystem::copy_file(qb::test::TestDataPath("jet/nwind.mdb"), d.File("nwind.mdb"));
       return d.File("nwind.mdb");
     },
     err::kForeignFormat, "Jet or ACE"},
    {"genuine ACE file",
     [](const auto& d) {
       std::filesystem::copy_file(qb::test::TestDataPath("jet/ASampleDatabase.accdb"), d.File("a.accdb"));
       return d.File("a.accdb");
     },
     err::kForeignFormat, "Jet or ACE"},
    {"SQLite file of another program",
     [](const auto& d) {
       {
         Connection other(d.File("other.db"), OpenMode::kCreate, CipherKey::None(), EngineSettings());
         other.Exec("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('hello')");
       }
       return d.File("other.db");
     },
     err::kUnrecognisedFile, "SQLite database of another program"},
    {"encrypted database",
     [](const auto& d) { return MakeEngineFile(d, "db.mdb", FileKind::kDatabase, EngineFileKey()); },
     err::kUnrecognisedFile, "is a database, not a workgroup file"},
    {"plain database",
     [](const auto& d) { return MakeEngineFile(d, "plain.mdb", FileKind::kDatabase, CipherKey::None()); },
     err::kUnrecognisedFile, "is a database, not a workgroup file"},
    {"file keyed by a password",
     [](const auto& d) { return MakeEngineFile(d, "pw.mdw", FileKind::kWorkgroup, CipherKey::Password("pw")); },
     err::kUnrecognisedFile, "encrypted with another key"},
};

TEST_F(WorkgroupFileTest, EachBadFileIsRefusedClearlyAndLeftUntouched) {
  for (const BadWorkgroup& bad : kBadWorkgroups) {
    SCOPED_TRACE(bad.label);
    qb::test::TempDir dir;
    const std::string path = bad.make(dir);
    const auto before_file = Snapshot(path);
    const auto before_listing = Listing(dir.Path());

    engine_->SetSystemDB(path);
    auto caught = ErrorOf([&] { engine_->CreateWorkspace("w", "Admin", ""); });
    EXPECT_EQ(caught.number, bad.number);
    EXPECT_NE(caught.message.find(bad.says), std::string::npos) << caught.message;
    EXPECT_NE(caught.message.find(path), std::string::npos) << caught.message;

    EXPECT_EQ(Snapshot(path), before_file);
    EXPECT_EQ(Listing(dir.Path()), before_listing);
    EXPECT_EQ(engine_->Workspaces()->Count(), 1);  // only the (unmade) default workspace
  }
}

TEST_F(WorkgroupFileTest, TheSharedJetSampleIsNeverTouched) {
  const std::string path = qb::test::TestDataPath("jet/nwind.mdb");
  const auto before = Snapshot(path);
  engine_->SetSystemDB(path);
  EXPECT_EQ(ErrorOf([&] { engine_->CreateWorkspace("w", "Admin", ""); }).number, err::kForeignFormat);
  EXPECT_EQ(Snapshot(path), before);
}

}  // namespace
}  // namespace qb::jet
