// The export's text layout and its file handling: separators after every line, no quoting,
// whole lines only when a row fails, and a destination that changes only on success.
#include "cli/delimited_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "cli/command_line.h"
#include "cli/query_params.h"
#include "cli/replacing_file.h"
#include "jet/base/jet_types.h"
#include "quill_test.h"

namespace qb::cli {
namespace {

// Rows from memory; raises on row FAIL_AT (1-based) when it is set.
class MemoryRows : public RowReader {
 public:
  MemoryRows(std::vector<std::string> names, std::vector<std::vector<Variant>> rows, int fail_at = 0)
      : names_(std::move(names)), rows_(std::move(rows)), fail_at_(fail_at) {}
  std::vector<std::string> Names() const override { return names_; }
  bool Next(std::vector<Variant>& row) override {
    if (++read_ == fail_at_) throw std::runtime_error("row cannot be read");
    if (static_cast<std::size_t>(read_) > rows_.size()) return false;
    row = rows_[static_cast<std::size_t>(read_ - 1)];
    return true;
  }

 private:
  std::vector<std::string> names_;
  std::vector<std::vector<Variant>> rows_;
  int fail_at_;
  int read_ = 0;
};

std::string Write(RowReader& rows, const Separators& separators, std::int64_t* count = nullptr) {
  std::string out;
  const std::int64_t written = WriteDelimited(rows, separators, [&](std::string_view line) { out += line; });
  if (count) *count = written;
  return out;
}

TEST(DelimitedOutputTest, SeparatorAfterEveryLineAndNothingQuoted) {
  MemoryRows rows({"Name", "Amount", "Note"},
                  {{Variant("a,b"), Variant(1.5), Variant::Null()}, {Variant("x\r\ny"), Variant(true), Variant("\"q\"")}});
  std::int64_t count = 0;
  EXPECT_EQ(Write(rows, {",", "\r\n"}, &count),
            "Name,Amount,Note\r\n"
            "a,b,1.5,\r\n"
            "x\r\ny,True,\"q\"\r\n");
  EXPECT_EQ(count, 2);
}

TEST(DelimitedOutputTest, FailingRowLeavesNoPartOfItsLine) {
  MemoryRows rows({"A", "B"}, {{Variant(1), Variant(2)}, {Variant(3), Variant(4)}, {Variant(5), Variant(6)}}, 2);
  std::string out;
  EXPECT_THROW(WriteDelimited(rows, {"\t", "\n"}, [&](std::string_view line) { out += line; }), std::runtime_error);
  EXPECT_EQ(out, "A\tB\n1\t2\n");
}

TEST(DelimitedOutputTest, ProgressCountsRecords) {
  std::vector<std::vector<Variant>> data(25, std::vector<Variant>{Variant(1)});
  MemoryRows rows({"A"}, data);
  std::vector<std::int64_t> seen;
  WriteDelimited(rows, {}, [](std::string_view) {}, [&](std::int64_t n) { seen.push_back(n); }, 10);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{10, 20}));
}

TEST(DelimitedOutputTest, SeparatorNames) {
  EXPECT_EQ(SeparatorText("tab"), "\t");
  EXPECT_EQ(SeparatorText("Comma"), ",");
  EXPECT_EQ(SeparatorText("SEMICOLON"), ";");
  EXPECT_EQ(SeparatorText("crlf"), "\r\n");
  EXPECT_EQ(SeparatorText("cr"), "\r");
  EXPECT_EQ(SeparatorText("crcr"), "\r\r");
  EXPECT_EQ(SeparatorText("lf"), "\n");
  EXPECT_EQ(SeparatorText("lfcr"), "\n\r");
  EXPECT_EQ(SeparatorText(" | "), " | ");
  EXPECT_EQ(SeparatorText(""), "");
}

class ReplacingFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> Listing() const { return test::FolderNames(dir_.Path()); }
  qb::test::TempDir dir_;
};

TEST_F(ReplacingFileTest, ExistingFileChangesOnlyOnCommit) {
  const std::string path = dir_.File("out.txt");
  qb::test::WriteFileBytes(path, "old");
  {
    ReplacingFile file(path);
    file.Write("new ");
    file.Write(std::string(3 << 20, 'x'));  // past the buffer: really on disk before the commit
    EXPECT_EQ(qb::test::ReadFileBytes(path), "old");
    file.Commit();
  }
  EXPECT_EQ(qb::test::ReadFileBytes(path), "new " + std::string(3 << 20, 'x'));
  EXPECT_EQ(Listing(), std::vector<std::string>{"out.txt"});
}

TEST_F(ReplacingFileTest, DroppedWriterLeavesNothing) {
  const std::string kept = dir_.File("kept.txt");
  qb::test::WriteFileBytes(kept, "old");
  {
    ReplacingFile file(kept);
    file.Write(std::string(2 << 20, 'x'));
  }
  {
    ReplacingFile file(dir_.File("never.txt"));
    file.Write("x");
  }
  EXPECT_EQ(qb::test::ReadFileBytes(kept), "old");
  EXPECT_EQ(Listing(), std::vector<std::string>{"kept.txt"});
}

TEST_F(ReplacingFileTest, RefusesWhatCannotBeAFile) {
  EXPECT_THROW(ReplacingFile(dir_.File("missing/out.txt")), std::runtime_error);
  EXPECT_THROW(ReplacingFile(dir_.Path().string()), std::runtime_error);
  EXPECT_THROW(ReplacingFile(dir_.Path().string() + "/"), std::runtime_error);
  try {
    ReplacingFile file(dir_.File("missing/out.txt"));
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("missing/out.txt"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Listing().empty());
}

TEST_F(ReplacingFileTest, CommittedFileHasTheUsualPermissions) {
  const std::string path = dir_.File("perm.txt");
  const mode_t mask = ::umask(022);
  {
    ReplacingFile file(path);
    file.Commit();
  }
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(QueryParamsTest, TakesRepeatedParamsOutOfTheWords) {
  std::vector<std::string> words = {"f.mdb", "--param", "a=1", "Q", "--param=b=x=y", "--param", "c="};
  const std::vector<GivenParam> params = TakeParams(words);
  EXPECT_EQ(words, (std::vector<std::string>{"f.mdb", "Q"}));
  ASSERT_EQ(params.size(), 3u);
  EXPECT_EQ(params[0].name + "|" + params[0].text, "a|1");
  EXPECT_EQ(params[1].name + "|" + params[1].text, "b|x=y");
  EXPECT_EQ(params[2].name + "|" + params[2].text, "c|");
  for (std::vector<std::string> bad : {std::vector<std::string>{"--param"}, {"--param", "novalue"}, {"--param", "=1"}}) {
    EXPECT_THROW(TakeParams(bad), UsageError);
  }
}

TEST(QueryParamsTest, MatchesDeclaredParametersByName) {
  namespace dao_type = jet::sql::dao_type;
  const std::vector<DeclaredParam> declared = {{"Start Date", dao_type::kDate}, {"Top", dao_type::kLong}};
  const std::vector<Variant> values = ParamValues(declared, {{"top", "7"}});
  ASSERT_EQ(values.size(), 2u);
  EXPECT_TRUE(values[0].IsEmpty());  // left for the engine to report as missing
  EXPECT_EQ(values[1], Variant(7));

  try {
    ParamValues(declared, {{"Nope", "1"}});
    ADD_FAILURE() << "an unknown parameter was accepted";
  } catch (const UsageError& e) {
    EXPECT_NE(std::string(e.what()).find("Start Date, Top"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ParamValues(declared, {{"Top", "1"}, {"TOP", "2"}}), UsageError);
  EXPECT_THROW(ParamValues(declared, {{"Top", "x"}}), UsageError);
  EXPECT_THROW(ParamValues({}, {{"a", "1"}}), UsageError);
}

}  // namespace
}  // namespace qb::cli
