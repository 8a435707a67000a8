// The blob stream over long binary and memo values: the size rule, the mode errors, emptying in
// write mode, Seek's limits, chunked reads and writes (memo text as UTF-8), a value written
// twice while inserting, the field told about a written value, and a large value read back in
// small chunks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/resource_strings.h"
#include "fields/dao_blob_stream.h"
#include "fields/fields_fixture.h"
#include "framework/data/blob_field.h"
#include "jet/dao/database.h"
#include "jet/recordset/recordset.h"

namespace qb::test {
namespace {

class BlobStreamTest : public FieldsLayerTest {
 protected:
  void SetUp() override {
    FieldsLayerTest::SetUp();
    Exec("CREATE TABLE Media (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20), Data LONGBINARY, Notes MEMO)");
    Exec("INSERT INTO Media (Name, Notes) VALUES ('one', 'first notes')");
  }

  // The stored value of COLUMN in the record with ID.
  Variant Stored(const std::string& column, int id = 1) {
    auto rs = database_->DatabaseObject()->OpenRecordset(
        "SELECT " + column + " FROM Media WHERE Id = " + std::to_string(id), 4);
    return rs->Fields()->Item(0)->Value();
  }

  static std::string ReadAll(TBlobStream& stream, std::int64_t chunk) {
    std::string text;
    std::vector<char> buffer(static_cast<size_t>(chunk));
    for (std::int64_t n; (n = stream.Read(buffer.data(), chunk)) > 0;) text.append(buffer.data(), static_cast<size_t>(n));
    return text;
  }

  static void WriteChunks(TBlobStream& stream, const std::string& bytes, size_t chunk) {
    for (size_t at = 0; at < bytes.size(); at += chunk) {
      const size_t n = std::min(chunk, bytes.size() - at);
      ASSERT_EQ(stream.Write(bytes.data() + at, static_cast<std::int64_t>(n)), static_cast<std::int64_t>(n));
    }
  }
};

TEST_F(BlobStreamTest, SizeIsTheValuesExceptOnANewRecordOrWithoutOne) {
  auto rs = OpenTable("Media");
  TField* notes = rs->FieldByName("Notes");
  TField* data = rs->FieldByName("Data");
  EXPECT_EQ(rs->CreateBlobStream(notes, bmRead)->Size(), 11);
  EXPECT_EQ(rs->CreateBlobStream(data, bmRead)->Size(), 0);  // Null

  rs->Append();
  rs->FieldByName("Name")->SetAsString("two");
  auto stream = rs->CreateBlobStream(notes, bmReadWrite);
  ASSERT_EQ(stream->Write("new text", 8), 8);
  EXPECT_EQ(stream->Size(), 0);  // a new record's stream reads nothing, even what it wrote
  char buffer[16];
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 0);
  stream.reset();
  rs->Post();
  EXPECT_EQ(Stored("Notes", 2).ToString(), "new text");

  // A stream with no engine field (a calculated field, another state) reads and writes nothing.
  TDAOBlobStream none(rs.get(), bmReadWrite, nullptr);
  EXPECT_EQ(none.Size(), 0);
  EXPECT_EQ(none.Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(none.Write("x", 1), 0);
}

TEST_F(BlobStreamTest, ReadingAWriteStreamAndWritingAReadStreamAreRefused) {
  auto rs = OpenTable("Media");
  rs->Edit();
  auto writer = rs->CreateBlobStream(rs->FieldByName("Notes"), bmWrite);
  auto reader = rs->CreateBlobStream(rs->FieldByName("Notes"), bmRead);
  char buffer[4];
  const struct {
    Raised raised;
    const char* text;
    const char* method;
  } cases[] = {
      {RaisedBy([&] { writer->Read(buffer, 4); }), ResString(kResStreamInWriteMode), "TDAOBlobStream.Read"},
      {RaisedBy([&] { reader->Write(buffer, 4); }), ResString(kResStreamInReadMode), "TDAOBlobStream.Write"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    EXPECT_EQ(c.raised.type, "EDAOError");
    EXPECT_EQ(c.raised.text, c.text);
    EXPECT_EQ(c.raised.method, c.method);
  }
}

TEST_F(BlobStreamTest, AWriteStreamEmptiesTheValueEvenWhenNothingIsWritten) {
  auto rs = OpenTable("Media");
  rs->Edit();
  static_cast<TBlobField*>(rs->FieldByName("Data"))->SetAsBytes({1, 2, 3, 4});
  rs->Post();
  ASSERT_FALSE(Stored("Data").IsNull());
  rs->Edit();
  rs->CreateBlobStream(rs->FieldByName("Data"), bmWrite).reset();
  rs->CreateBlobStream(rs->FieldByName("Notes"), bmWrite).reset();
  // An emptied memo is Null: the table allows no zero-length text, and the post succeeds.
  rs->Post();
  EXPECT_TRUE(Stored("Data").IsNull());
  EXPECT_TRUE(Stored("Notes").IsNull());
  EXPECT_TRUE(rs->FieldByName("Data")->IsNull());
  EXPECT_TRUE(rs->FieldByName("Notes")->IsNull());
}

TEST_F(BlobStreamTest, SeekStaysWithinTheValue) {
  auto rs = OpenTable("Media");
  auto stream = rs->CreateBlobStream(rs->FieldByName("Notes"), bmRead);  // 11 bytes
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const struct {
    std::int64_t from;
    std::int64_t offset;
    TSeekOrigin origin;
    std::int64_t expected;
  } cases[] = {
      {0, 4, soBeginning, 4},  {0, 40, soBeginning, 11}, {0, -3, soBeginning, 0}, {5, 2, soCurrent, 7},
      {5, -9, soCurrent, 0},   {5, 9, soCurrent, 11},    {0, -2, soEnd, 9},       {0, 3, soEnd, 11},
      {0, -20, soEnd, 0},      {6, kMax, soCurrent, 11}, {6, kMin, soCurrent, 0}, {0, kMax, soEnd, 11},
      {0, kMin, soEnd, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " " << c.offset << " " << c.origin);
    stream->Seek(c.from, soBeginning);
    EXPECT_EQ(stream->Seek(c.offset, c.origin), c.expected);
  }
  stream->Seek(6, soBeginning);
  char buffer[16] = {};
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "notes");
}

TEST_F(BlobStreamTest, ValuesRoundTripInChunksAndMemoTextAsUtf8) {
  // Text beyond the basic plane and chunks that split its characters.
  const std::string text = "Grüße \xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x90\x8D\x88 end";
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary.push_back(static_cast<char>(i * 7 % 256));
  auto rs = OpenTable("Media");
  rs->Edit();
  {
    auto notes = rs->CreateBlobStream(rs->FieldByName("Notes"), bmWrite);
    WriteChunks(*notes, text, 1);
    auto data = rs->CreateBlobStream(rs->FieldByName("Data"), bmWrite);
    WriteChunks(*data, binary, 7);
  }
  rs->Post();
  EXPECT_EQ(Stored("Notes").ToString(), text);
  EXPECT_EQ(Stored("Data").Bytes(), std::vector<std::uint8_t>(binary.begin(), binary.end()));
  for (std::int64_t chunk : {1, 3, 64, 5000}) {
    SCOPED_TRACE(chunk);
    EXPECT_EQ(ReadAll(*rs->CreateBlobStream(rs->FieldByName("Notes"), bmRead), chunk), text);
    EXPECT_EQ(ReadAll(*rs->CreateBlobStream(rs->FieldByName("Data"), bmRead), chunk), binary);
  }
  EXPECT_EQ(rs->FieldByName("Notes")->AsString(), text);
  EXPECT_EQ(rs->FieldByName("Notes")->AsVariant().ToString(), text);
}

TEST_F(BlobStreamTest, TheLastValueWrittenWhileInsertingIsStored) {
  // A new record's stream has size 0, yet the pending value may hold an earlier write: writing
  // again must replace it, not append to it.
  auto rs = OpenTable("Media");
  rs->Append();
  rs->FieldByName("Name")->SetAsString("two");
  rs->FieldByName("Notes")->SetAsString("first draft");
  rs->FieldByName("Notes")->SetAsString("final");
  static_cast<TBlobField*>(rs->FieldByName("Data"))->SetAsBytes({1, 2, 3});
  static_cast<TBlobField*>(rs->FieldByName("Data"))->SetAsBytes({9});
  rs->Post();
  EXPECT_EQ(Stored("Notes", 2).ToString(), "final");
  EXPECT_EQ(Stored("Data", 2).Bytes(), std::vector<std::uint8_t>{9});
}

TEST_F(BlobStreamTest, AValueWrittenWhileEditingReadsBackBeforePosting) {
  auto rs = OpenTable("Media");
  TField* data = rs->FieldByName("Data");
  int changes = 0;
  data->OnChange = [&](TField*) { ++changes; };
  ASSERT_TRUE(data->IsNull());
  rs->Edit();
  static_cast<TBlobField*>(data)->SetAsBytes({7, 8, 9});
  EXPECT_FALSE(data->IsNull());
  EXPECT_EQ(static_cast<TBlobField*>(data)->AsBytes(), (std::vector<std::uint8_t>{7, 8, 9}));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(rs->Modified());
  rs->FieldByName("Notes")->SetAsString("");
  EXPECT_TRUE(rs->FieldByName("Notes")->IsNull());
  rs->Post();
  EXPECT_EQ(Stored("Data").Bytes(), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST_F(BlobStreamTest, StreamsFollowTheRecordShown) {
  Exec("INSERT INTO Media (Name, Notes) VALUES ('two', 'second notes')");
  auto rs = OpenTable("Media");
  rs->Last();
  EXPECT_EQ(rs->FieldByName("Notes")->AsString(), "second notes");
  rs->First();
  EXPECT_EQ(rs->FieldByName("Notes")->AsString(), "first notes");
  rs->Next();
  rs->Edit();
  rs->FieldByName("Notes")->SetAsString("changed");
  rs->Post();
  EXPECT_EQ(Stored("Notes", 1).ToString(), "first notes");
  EXPECT_EQ(Stored("Notes", 2).ToString(), "changed");
}

TEST_F(BlobStreamTest, ReadingInChunksTakesTheRangeOnly) {
  // 8 MB read in 1 KB chunks: copying the whole value for each chunk would move 64 GB.
  const size_t size = 8u << 20;
  auto rs = OpenTable("Media");
  rs->Edit();
  {
    std::vector<std::uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    static_cast<TBlobField*>(rs->FieldByName("Data"))->SetAsBytes(bytes);
  }
  rs->Post();
  auto stream = rs->CreateBlobStream(rs->FieldByName("Data"), bmRead);
  ASSERT_EQ(stream->Size(), static_cast<std::int64_t>(size));
  std::vector<std::uint8_t> whole(size);
  ASSERT_EQ(stream->Read(whole.data(), static_cast<std::int64_t>(size)), static_cast<std::int64_t>(size));
  stream->Seek(0, soBeginning);
  std::vector<std::uint8_t> chunked(size);
  for (size_t at = 0; at < size; at += 1024) ASSERT_EQ(stream->Read(chunked.data() + at, 1024), 1024);
  EXPECT_EQ(chunked, whole);  // how long it takes is bench_blob's to measure
}

TEST_F(BlobStreamTest, ALargeMemoReadsInSmallChunksAsItsExactUtf8Bytes) {
  // 8 MB of text with characters of one to four bytes, read in chunks of 1000 bytes that split
  // them: converting the whole text for each chunk would move 64 GB.
  const std::string unit = "a\xC3\xBC\xE6\x97\xA5\xF0\x9F\x98\x80 ";  // 1 + 2 + 3 + 4 + 1 bytes
  std::string text;
  text.reserve((8u << 20) + unit.size());
  for (int i = 0; text.size() < (8u << 20); ++i) text += unit + std::to_string(i % 97);
  auto rs = OpenTable("Media");
  rs->Edit();
  rs->FieldByName("Notes")->SetAsString(text);
  rs->Post();
  EXPECT_TRUE(ReadAll(*rs->CreateBlobStream(rs->FieldByName("Notes"), bmRead), 1 << 24) == text);
  auto stream = rs->CreateBlobStream(rs->FieldByName("Notes"), bmRead);
  ASSERT_EQ(stream->Size(), static_cast<std::int64_t>(text.size()));
  EXPECT_TRUE(ReadAll(*stream, 1000) == text);  // how long it takes is bench_blob's to measure
  // Seeking back reads the same bytes again.
  stream->Seek(-5, soEnd);
  char tail[8] = {};
  EXPECT_EQ(stream->Read(tail, 8), 5);
  EXPECT_EQ(std::string(tail), text.substr(text.size() - 5));
}

TEST_F(BlobStreamTest, AMemoReadAfterAWriteOfTheSameStreamFindsTheWrittenText) {
  auto rs = OpenTable("Media");
  rs->Edit();
  auto stream = rs->CreateBlobStream(rs->FieldByName("Notes"), bmReadWrite);
  char head[6] = {};
  ASSERT_EQ(stream->Read(head, 5), 5);
  EXPECT_STREQ(head, "first");
  WriteChunks(*stream, "replaced \xE2\x82\xAC text", 4);
  stream->Seek(0, soBeginning);
  // The written text, up to the size taken at creation (11 bytes).
  EXPECT_EQ(ReadAll(*stream, 3), std::string("replaced \xE2\x82"));
  stream.reset();
  rs->Post();
  EXPECT_EQ(Stored("Notes").ToString(), "replaced \xE2\x82\xAC text");
}

}  // namespace
}  // namespace qb::test
