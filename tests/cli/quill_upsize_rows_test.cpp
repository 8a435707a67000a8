// quill upsize's rows on the private PostgreSQL server, by the server's bulk copy and as INSERT
// statements (--inserts), each test both ways: every kind of value arrives exact (limits, Nulls
// anywhere, text with quotes, backslashes, tabs, line ends and characters beyond the first plane,
// long memos, bytes with zeros); tables of a row count around and across the statement batches,
// a wide one and one with no key and deleted rows, arrive whole and in place; a row that cannot
// go in a later batch (the server refuses it, or the driver would cut it) leaves nothing of the
// run behind and is named in the error.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>

#include "core/currency.h"
#include "core/date_serial.h"
#include "jet/dao/database_files.h"
#include "jet/query/database_file.h"
#include "jet/recordset/recordset.h"
#include "jet/sqlite/connection.h"
#include "quill_upsize_fixture.h"

namespace qb::cli::test {
namespace {

const char* const kTables[] = {"UpValues", "UpWide", "UpOne", "UpFull", "UpFullAndOne", "UpSeveral", "UpGood", "UpBad",
                               "UpHoles"};

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

class QuillUpsizeRowsTest : public QuillUpsizeFixture, public ::testing::WithParamInterface<bool> {
 protected:
  QuillUpsizeRowsTest() : QuillUpsizeFixture("rows.mdb", std::vector<std::string>(std::begin(kTables), std::end(kTables))) {}
  bool ByInsert() const { return GetParam(); }
  std::vector<std::string> UpsizeArguments(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), "upsize");
    if (ByInsert()) arguments.push_back("--inserts");
    return arguments;
  }
  // Upsizes ARGUMENTS (FILE CONNECT [TABLE ...]) the test's way; checks the rows went that way.
  std::string Upsize(std::vector<std::string> arguments) {
    const std::string out = Ok(UpsizeArguments(std::move(arguments)));
    EXPECT_THAT(out, HasSubstr(ByInsert() ? "Rows sent by INSERT statements.\n" : "Rows sent by bulk copy.\n"));
    return out;
  }
  std::shared_ptr<jet::Database> OpenFile() {
    return jet::OpenDatabaseAt(File("rows.mdb"), jet::ShareMode::kShared, false, "", jet::EngineSettings());
  }
  // ROWS rows into TABLE (N LONG key, V TEXT(100), X DOUBLE): V is Null every seventh row and
  // longer from row 1501 on, so later batches carry text longer than the first ones.
  void Fill(const std::string& table, int rows) {
    Ok({"sql", File("rows.mdb"), "CREATE TABLE " + table + " (N LONG PRIMARY KEY, V TEXT(100), X DOUBLE)"});
    auto db = OpenFile();
    db->BeginTrans();
    auto set = db->OpenRecordset(table, jet::kOpenTable);
    for (int n = 1; n <= rows; ++n) {
      set->AddNew();
      set->Fields()->Item(std::string_view("N"))->SetValue(Variant(n));
      set->Fields()->Item(std::string_view("V"))
          ->SetValue(n % 7 == 0 ? Variant::Null() : Variant("v" + std::to_string(n) + (n > 1500 ? std::string(40, 'x') : "")));
      set->Fields()->Item(std::string_view("X"))->SetValue(Variant(n / 3.0));
      set->Update();
    }
    set->Close();
    db->CommitTrans();
    db->Close();
  }
  // Rows of TABLE on the server, and those whose values are not the ones Fill wrote.
  std::string Check(const std::string& table) {
    return Ok({"sql", connect_,
               "SELECT count(*), count(*) FILTER (WHERE \"V\" IS DISTINCT FROM CASE WHEN \"N\" % 7 = 0 THEN NULL "
               "ELSE 'v' || \"N\" || CASE WHEN \"N\" > 1500 THEN repeat('x', 40) ELSE '' END END "
               "OR \"X\" <> \"N\" / 3.0::float8) FROM \"" + table + "\""});
  }
};

TEST_P(QuillUpsizeRowsTest, EveryKindOfValueArrivesExact) {
  Ok({"sql", File("rows.mdb"),
      "CREATE TABLE UpValues (ID LONG PRIMARY KEY, T TEXT(100), M MEMO, B BYTE, I SHORT, L LONG, C CURRENCY, "
      "S SINGLE, D DOUBLE, W DATETIME, Y BIT, P LONGBINARY)"});
  const std::string text = "it's \"quoted\" \\ back\\slash \xC3\xBC \xE4\xB8\xAD \xF0\x9F\x98\x80 \r\n\t end\\";
  const std::string line = "memo 'line' \\ \xC3\xBC\xF0\x9F\x98\x80\t\n";  // repeated 5,000 times
  std::string memo;
  for (int i = 0; i < 5000; ++i) memo += line;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  bytes.push_back(0);
  struct Row {
    int id;
    std::vector<Variant> values;  // T M B I L C S D W Y P
  };
  const std::vector<Row> rows = {
      {1,
       {Variant(text), Variant(memo), Variant(std::uint8_t{255}), Variant(std::int16_t{-32768}),
        Variant(std::numeric_limits<int>::min()), Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::max())),
        Variant(3.4028235e38f), Variant(0.1 + 0.2), Variant::FromDate(EncodeDateTime(100, 1, 1, 0, 0, 0, 0)),
        Variant(true), Variant::FromBytes(bytes)}},
      {2,
       {Variant("\\N"), Variant("x"), Variant(std::uint8_t{0}), Variant(std::int16_t{32767}),
        Variant(std::numeric_limits<int>::max()), Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::min())),
        Variant(1.17549435e-38f), Variant(1.7976931348623157e308),
        Variant::FromDate(EncodeDateTime(9999, 12, 31, 23, 59, 59, 0)), Variant(false),
        Variant::FromBytes({0, 0, 1})}},
      {3, std::vector<Variant>(11, Variant::Null())},
      {4,
       {Variant::Null(), Variant("'; DROP TABLE \"UpValues\"; --"), Variant::Null(), Variant::Null(), Variant(-1),
        Variant(Currency::FromScaled(-1)), Variant(1.0f / 3), Variant(5e-324),
        Variant::FromDate(EncodeDateTime(1899, 12, 30, 12, 34, 56, 789)), Variant::Null(), Variant::Null()}},
  };
  const char* const names[] = {"T", "M", "B", "I", "L", "C", "S", "D", "W", "Y", "P"};
  {
    auto db = OpenFile();
    auto set = db->OpenRecordset("UpValues", jet::kOpenTable);
    for (const Row& row : rows) {
      set->AddNew();
      set->Fields()->Item(std::string_view("ID"))->SetValue(Variant(row.id));
      for (std::size_t i = 0; i < row.values.size(); ++i) {
        set->Fields()->Item(std::string_view(names[i]))->SetValue(row.values[i]);
      }
      set->Update();
    }
    set->Close();
    db->Close();
  }
  EXPECT_THAT(Upsize({File("rows.mdb"), connect_}), HasSubstr("UpValues: 4 rows\n"));
  const std::string memo_on_server =
      "repeat('memo ''line'' \\ \xC3\xBC\xF0\x9F\x98\x80' || chr(9) || chr(10), 5000)";
  const std::string injection = "'; DROP TABLE \"UpValues\"; --";
  EXPECT_EQ(Ok({"sql", connect_,
                "SELECT \"ID\", coalesce(encode(convert_to(\"T\", 'UTF8'), 'hex'), '-') AS t, \"M\" = " + memo_on_server +
                    " AS m, length(\"M\") AS chars, \"B\", \"I\", \"L\", \"C\"::text AS c, \"S\"::text AS s, "
                    "\"D\"::text AS d, to_char(\"W\", 'YYYY-MM-DD HH24:MI:SS.MS') AS w, \"Y\"::text AS y, coalesce(encode(\"P\", 'hex'), '-') AS p "
                    "FROM \"UpValues\" ORDER BY 1"}),
            "ID\tt\tm\tchars\tB\tI\tL\tc\ts\td\tw\ty\tp\n"
            "1\t" + Hex(text) + "\tTrue\t" + std::to_string(5000 * 18) +
                "\t255\t-32768\t-2147483648\t922337203685477.5807\t3.4028235e+38\t0.30000000000000004\t"
                "0100-01-01 00:00:00.000\ttrue\t" + Hex(std::string(bytes.begin(), bytes.end())) + "\n"
            "2\t5c4e\tFalse\t1\t0\t32767\t2147483647\t-922337203685477.5808\t1.1754944e-38\t1.7976931348623157e+308\t"
                "9999-12-31 23:59:59.000\tfalse\t000001\n"
            "3\t-\t\t\t\t\t\t\t\t\t\t\t-\n"
            "4\t-\tFalse\t" + std::to_string(injection.size()) + "\t\t\t-1\t-0.0001\t0.33333334\t5e-324\t"
                "1899-12-30 12:34:56.789\t\t-\n");
}

// Batches of 1,000 rows: one row, exactly one batch, one batch and a row, several and a rest.
TEST_P(QuillUpsizeRowsTest, TablesAroundAndAcrossBatchesArriveWhole) {
  const std::vector<std::pair<std::string, int>> tables = {
      {"UpOne", 1}, {"UpFull", 1000}, {"UpFullAndOne", 1001}, {"UpSeveral", 3456}};
  for (const auto& [table, rows] : tables) Fill(table, rows);
  // A wide table: fewer rows to a statement, so the parameters stay within the driver's reach.
  std::string wide = "CREATE TABLE UpWide (C0 LONG PRIMARY KEY", sum;
  for (int c = 1; c < 60; ++c) wide += ", C" + std::to_string(c) + " LONG";
  for (int c = 0; c < 60; ++c) sum += (c ? " + \"C" : "\"C") + std::to_string(c) + "\"";
  Ok({"sql", File("rows.mdb"), wide + ")"});
  {
    auto db = OpenFile();
    db->BeginTrans();
    auto set = db->OpenRecordset("UpWide", jet::kOpenTable);
    for (int n = 0; n < 150; ++n) {
      set->AddNew();
      for (int c = 0; c < 60; ++c) set->Fields()->Item(c)->SetValue(Variant(n * 100 + c));
      set->Update();
    }
    set->Close();
    db->CommitTrans();
    db->Close();
  }
  const std::string out = Upsize({File("rows.mdb"), connect_});
  for (const auto& [table, rows] : tables) {
    EXPECT_THAT(out, HasSubstr(table + ": " + std::to_string(rows) + " rows\n"));
    EXPECT_EQ(Check(table), "count\tcount\n" + std::to_string(rows) + "\t0\n") << table;
  }
  EXPECT_THAT(out, HasSubstr("UpWide: 150 rows\n"));
  // Each row's columns hold n * 100 + c: the row sums tell a shifted value.
  EXPECT_EQ(Ok({"sql", connect_,
                "SELECT count(*) FROM \"UpWide\" WHERE " + sum + " <> \"C0\" * 60 + 1770"}),
            "count\n0\n");
}

// The rows are read by walking the table: a table with no key whose rows were deleted in runs
// and singly (holes at and across the read's steps and the batches) arrives with exactly the
// rows left, each once.
TEST_P(QuillUpsizeRowsTest, ATableWithNoKeyAndDeletedRowsArrivesWithTheRowsLeft) {
  Ok({"sql", File("rows.mdb"), "CREATE TABLE UpHoles (N LONG, V TEXT(20))"});
  {
    auto db = OpenFile();
    db->BeginTrans();
    auto set = db->OpenRecordset("UpHoles", jet::kOpenTable);
    for (int n = 1; n <= 3000; ++n) {
      set->AddNew();
      set->Fields()->Item(std::string_view("N"))->SetValue(Variant(n));
      set->Fields()->Item(std::string_view("V"))->SetValue(Variant("r" + std::to_string(n)));
      set->Update();
    }
    set->Close();
    db->CommitTrans();
    db->Execute("DELETE FROM UpHoles WHERE N BETWEEN 200 AND 1300 OR N MOD 7 = 0 OR N = 1 OR N = 3000");
    db->Close();
  }
  long long count = 0, sum = 0;
  for (int n = 2; n < 3000; ++n) {
    if ((n >= 200 && n <= 1300) || n % 7 == 0) continue;
    ++count;
    sum += n;
  }
  EXPECT_THAT(Upsize({File("rows.mdb"), connect_}), HasSubstr("UpHoles: " + std::to_string(count) + " rows\n"));
  EXPECT_EQ(Ok({"sql", connect_,
                "SELECT count(*), count(DISTINCT \"N\"), sum(\"N\"), count(*) FILTER (WHERE \"V\" <> 'r' || \"N\") "
                "FROM \"UpHoles\""}),
            "count\tcount\tsum\tcount\n" + std::to_string(count) + "\t" + std::to_string(count) + "\t" +
                std::to_string(sum) + "\t0\n");
}

// Row 2100 (the third batch of statements, the first piece of a copy of many) cannot go: the
// server refuses it, or it would arrive cut short.
// Either way the error names it and nothing of the run stays on the server.
TEST_P(QuillUpsizeRowsTest, ARowThatCannotGoInALaterBatchLeavesNothingAndIsNamed) {
  struct Case {
    const char* what;
    std::function<void(jet::Database&)> damage;
    std::vector<std::string> reported;
  };
  const std::vector<Case> cases = {
      {"text longer than its field, as a damaged or foreign-written file may hold",
       [](jet::Database& db) {
         jet::Connection& sql = db.File()->EngineConnection(true);
         sql.Exec("PRAGMA ignore_check_constraints = ON");
         sql.Exec("UPDATE UpBad SET V = '" + std::string(101, 'y') + "' WHERE N = 2100");
       },
       {ByInsert() ? "rows 2001 to 3000 of the table 'UpBad'" : "row 2100 of the table 'UpBad'", "[22001]"}},
      {"text holding a 0 character",
       [](jet::Database& db) {
         auto set = db.OpenRecordset("UpBad", jet::kOpenDynaset);
         set->FindFirst("N = 2100");
         set->Edit();
         set->Fields()->Item(std::string_view("V"))->SetValue(Variant(std::string("bad\0row", 7)));
         set->Update();
         set->Close();
       },
       {"row 2100 of the field 'V' of the table 'UpBad'", "0 character"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drop();
    std::filesystem::remove(File("rows.mdb"));
    Ok({"db", "create", File("rows.mdb")});
    Fill("UpGood", 10);
    Fill("UpBad", 2500);
    {
      // Doubled to 20,000 rows, about 1 MB of copy text: the refusal comes while rows still go.
      auto db = OpenFile();
      jet::Connection& sql = db->File()->EngineConnection(true);
      for (int i = 0; i < 3; ++i) sql.Exec("INSERT INTO UpBad SELECT N + (SELECT max(N) FROM UpBad), V, X FROM UpBad");
      db->Close();
    }
    {
      auto db = OpenFile();
      c.damage(*db);
      db->Close();
    }
    const std::string refused = Fails(UpsizeArguments({File("rows.mdb"), connect_, "UpGood", "UpBad"}));
    for (const std::string& part : c.reported) EXPECT_THAT(refused, HasSubstr(part));
    for (const char* table : {"UpGood", "UpBad"}) {
      EXPECT_THAT(Fails({"sql", connect_, std::string("SELECT * FROM \"") + table + "\""}), HasSubstr("[42P01]"))
          << table;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, QuillUpsizeRowsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Inserts" : "BulkCopy"; });

}  // namespace
}  // namespace qb::cli::test
