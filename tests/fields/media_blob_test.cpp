// Files stored in long binary values (length byte, extension, file bytes) and extracted again:
// the layout, byte-identical round trips, crafted values whose extension or length byte cannot
// be trusted, and the private folder extracted files go to.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fields/dao_blob_stream.h"
#include "fields/fields_fixture.h"
#include "framework/data/blob_field.h"
#include "jet/dao/database.h"
#include "jet/recordset/recordset.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

class MediaBlobTest : public FieldsLayerTest {
 protected:
  void SetUp() override {
    FieldsLayerTest::SetUp();
    Exec("CREATE TABLE Clips (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Film LONGBINARY, Notes MEMO)");
    Exec("INSERT INTO Clips (Name) VALUES ('one')");
    rs_ = OpenTable("Clips");
  }
  void TearDown() override {
    rs_.reset();
    RemoveExtractedFiles();
    FieldsLayerTest::TearDown();
  }

  std::unique_ptr<TDAOBlobStream> Stream(const char* field = "Film", TBlobStreamMode mode = bmRead) {
    std::unique_ptr<TBlobStream> stream = rs_->CreateBlobStream(rs_->FieldByName(field), mode);
    return std::unique_ptr<TDAOBlobStream>(dynamic_cast<TDAOBlobStream*>(stream.release()));
  }

  // Stores BYTES as the value of Film in the first record.
  void StoreRaw(const std::string& bytes) {
    rs_->Edit();
    static_cast<TBlobField*>(rs_->FieldByName("Film"))->SetAsString(bytes);
    rs_->Post();
  }

  std::unique_ptr<TDAORecordset> rs_;
};

TEST_F(MediaBlobTest, StoredFileStartsWithItsExtensionAndExtractsIdentically) {
  const std::string clip = dir_.File("clip.avi");
  WriteFileBytes(clip, std::string("RIFF\0\0\0\0AVI data", 17));
  Stream()->StoreFile(clip);  // browsing: the dataset enters edit state itself
  ASSERT_EQ(rs_->State(), dsEdit);
  rs_->Post();
  const std::string value = rs_->FieldByName("Film")->AsString();
  EXPECT_EQ(value, std::string("\x03" "avi") + ReadFileBytes(clip));

  const std::string out = dir_.File("out");
  fs::create_directory(out);
  const std::string extracted = Stream()->ExtractToTempFile(out + "/");
  EXPECT_EQ(fs::path(extracted).filename(), "daotemp.avi");
  EXPECT_EQ(ReadFileBytes(extracted), ReadFileBytes(clip));

  // Memo values hold no files; a file that cannot be read is the file error.
  EXPECT_EQ(Stream("Notes")->ExtractToTempFile(), "");
  rs_->Edit();
  EXPECT_EQ(RaisedBy([&] { Stream()->StoreFile(dir_.File("missing.avi")); }).type, "EFOpenError");
}

TEST_F(MediaBlobTest, ATenMegabyteFileComesBackByteIdentical) {
  std::string bytes(10u << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 977) % 256);
  const std::string file = dir_.File("movie.take.2.mpeg");
  WriteFileBytes(file, bytes);
  rs_->Edit();
  Stream()->StoreFile(file);
  rs_->Post();
  const std::string extracted = Stream()->ExtractToTempFile();
  EXPECT_EQ(fs::path(extracted).filename(), "daotemp.mpeg");
  EXPECT_TRUE(ReadFileBytes(extracted) == bytes);
}

TEST_F(MediaBlobTest, AnExtensionThatIsNotPlainLettersAndDigitsBecomesBin) {
  const struct {
    std::string extension;
    const char* file;
  } cases[] = {
      {"../x", "daotemp.bin"},     {"a/b", "daotemp.bin"},
      {"..", "daotemp.bin"},       {"", "daotemp.bin"},
      {"w v", "daotemp.bin"},      {"abcdefghijklmnopq", "daotemp.bin"},  // 17 characters
      {"\xC3\xA9", "daotemp.bin"},
      {".mp3.", "daotemp.mp3"},    {"abcdefghijklmnop", "daotemp.abcdefghijklmnop"},
      {"M4A", "daotemp.M4A"},
  };
  const std::string out = dir_.File("out");
  fs::create_directory(out);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extension);
    StoreRaw(std::string(1, static_cast<char>(c.extension.size())) + c.extension + "payload");
    const std::string extracted = Stream()->ExtractToTempFile(out);
    EXPECT_EQ(fs::path(extracted).filename(), c.file);
    // Inside this process's own folder below OUT, and nowhere else.
    EXPECT_EQ(fs::path(extracted).parent_path().parent_path(), fs::path(out));
    EXPECT_EQ(ReadFileBytes(extracted), "payload");
  }
  EXPECT_FALSE(fs::exists(dir_.Path() / "x"));
}

TEST_F(MediaBlobTest, AValueTooShortForItsExtensionIsAClearError) {
  for (const std::string& value : {std::string("\xC8" "avi", 4), std::string("\x03" "av", 3), std::string("\x01", 1)}) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(value[0])));
    StoreRaw(value);
    const Raised raised = RaisedBy([&] { Stream()->ExtractToTempFile(dir_.Path().string()); });
    EXPECT_EQ(raised.type, "EDAOError");
    EXPECT_EQ(raised.method, "TDAOBlobStream.ExtractToTempFile");
  }
  // "\x03" "avi" with no file bytes is an empty file.
  StoreRaw("\x03" "avi");
  EXPECT_EQ(ReadFileBytes(Stream()->ExtractToTempFile()), "");
}

TEST_F(MediaBlobTest, ExtractionGoesToAPrivateFolderAndNeverThroughALink) {
  StoreRaw("\x03" "avi" "secret");
  const std::string shared = dir_.File("shared");
  fs::create_directory(shared);
  // Another user's link where a shared-folder extraction would write.
  const std::string victim = dir_.File("victim.txt");
  WriteFileBytes(victim, "untouched");
  fs::create_symlink(victim, shared + "/daotemp.avi");

  const std::string extracted = Stream()->ExtractToTempFile(shared);
  const fs::path folder = fs::path(extracted).parent_path();
  EXPECT_NE(folder, fs::path(shared));
  EXPECT_EQ(ReadFileBytes(victim), "untouched");
  EXPECT_EQ(ReadFileBytes(extracted), "secret");
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(info.st_uid, ::getuid());

  // A second extraction into the same folder replaces the file; removal takes the folder.
  StoreRaw("\x03" "avi" "second");
  EXPECT_EQ(Stream()->ExtractToTempFile(shared), extracted);
  EXPECT_EQ(ReadFileBytes(extracted), "second");
  RemoveExtractedFiles();
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace qb::test
