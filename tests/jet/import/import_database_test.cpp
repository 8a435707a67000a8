// Importing genuine .mdb/.accdb files: tables, row counts and values against the reader's own
// export tool, AutoNumber continuation, and files or readers that fail leaving no destination.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "jet/base/errors.h"
#include "jet/base/jet_types.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/database/database_test_support.h"
#include "jet/import/import_database.h"
#include "jet/import/import_stream.h"
#include "jet/import/reader_process.h"
#include "jet/recordset/recordset.h"

namespace qb::jet {
namespace {

using import::FrameKind;
using import::FrameWriter;
using import::ImportValue;
using import::ValueTag;
using import::kIndexIgnoreNulls;
using import::kIndexPrimary;
using import::kIndexUnique;
using test::ErrorOf;

std::string Genuine(const std::string& name) { return qb::test::TestDataPath("jet/" + name); }

// Every file in the folder of PATH, by name.
std::vector<std::string> FilesBeside(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Y-M-D h:m:s of a date serial (days from 1899-12-30), rounded to the second.
std::string DateText(double serial) {
  const double whole = std::floor(serial);
  auto seconds = static_cast<long long>(std::llround((serial - whole) * 86400.0));
  long long days = static_cast<long long>(whole) - 25569 + 719468 - (seconds == 86400 ? -1 : 0);  // to 1970, then 0000-03-01
  if (seconds == 86400) seconds = 0;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  char text[128];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", y, m, d, seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

// The rows of TABLE in PATH as the reader's export tool prints them (dates as Y-M-D h:m:s,
// binary values in upper-case hex, Null as NULL), or nullopt without the tool.
std::optional<std::vector<std::vector<std::string>>> Exported(const std::string& path, const std::string& table) {
  if (::access("/usr/bin/mdb-export", X_OK) != 0) return std::nullopt;
  const std::string command =
      "/usr/bin/mdb-export -H -b hex -T '%Y-%m-%d %H:%M:%S' -0 NULL '" + path + "' '" + table + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string csv;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) csv.append(buffer, got);
  ::pclose(pipe);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      row.push_back(field), field.clear();
    } else if (c == '\n') {
      row.push_back(field), field.clear();
      rows.push_back(row), row.clear();
    } else {
      field += c, any = true;
    }
  }
  return rows;
}

// The tool prints dates before 1900 or after 2038 as "1900-01-00 ...": such a date compares as
// this mark on both sides (KeepsDatesOutsideTheToolsRange checks them by their year).
constexpr const char* kOutOfToolRange = "(a date the tool cannot print)";

// A value of TYPE in one form for both sides: currency in ten-thousandths, floating point to six
// digits, binary in upper-case hex, dates as Y-M-D h:m:s.
std::string Canonical(int type, const Variant& value) {
  if (value.IsNull()) return "NULL";
  char text[64];
  switch (type) {
    case sql::dao_type::kCurrency: return std::to_string(value.ToCurrency().Scaled());
    case sql::dao_type::kDate: {
      std::string date = DateText(value.ToDate());
      return date < "1900" || date >= "2038" ? kOutOfToolRange : date;
    }
    case sql::dao_type::kBoolean: return value.ToBool() ? "1" : "0";
    case sql::dao_type::kBinary:
    case sql::dao_type::kLongBinary: {
      std::string hex;
      for (std::uint8_t b : value.Bytes()) std::snprintf(text, sizeof text, "%02X", b), hex += text;
      return hex;
    }
    case sql::dao_type::kSingle:
    case sql::dao_type::kDouble: std::snprintf(text, sizeof text, "%.6g", value.ToDouble()); return text;
    default: return value.ToString();
  }
}

// The tool's text TEXT of a value of TYPE in Canonical's form.
std::string CanonicalTool(int type, const std::string& text) {
  if (text == "NULL") return text;
  switch (type) {
    case sql::dao_type::kCurrency: return std::to_string(Currency::FromText(text).Scaled());
    case sql::dao_type::kDate: return text.find("-00 ") != std::string::npos ? kOutOfToolRange : text;
    case sql::dao_type::kSingle:
    case sql::dao_type::kDouble: return Canonical(type, Variant(std::strtod(text.c_str(), nullptr)));
    default: return text;
  }
}

class ImportDatabaseTest : public test::DatabaseTestBase {
 protected:
  // The rows of TABLE in PATH and the tool's rows TOOL, both in Canonical's form and sorted (the
  // tool prints the file's own order, a select here need not keep it).
  std::pair<std::vector<std::vector<std::string>>, std::vector<std::vector<std::string>>> BothRows(
      const std::string& path, const std::string& table, const std::vector<std::vector<std::string>>& tool) {
    auto database = workspace_->OpenDatabase(path, Variant(false), true, {});
    auto rows = database->OpenRecordset("SELECT * FROM [" + table + "]", 4);
    std::vector<int> types;
    for (int i = 0; i < rows->Fields()->Count(); ++i) types.push_back(rows->Fields()->Item(i)->Type());
    std::vector<std::vector<std::string>> found;
    for (; !rows->Eof(); rows->MoveNext()) {
      auto fields = rows->Fields();
      std::vector<std::string> row;
      for (int i = 0; i < fields->Count(); ++i) row.push_back(Canonical(types[static_cast<std::size_t>(i)], fields->Item(i)->Value()));
      found.push_back(row);
    }
    std::vector<std::vector<std::string>> expected;
    for (const auto& tool_row : tool) {
      std::vector<std::string> row;
      for (std::size_t i = 0; i < tool_row.size(); ++i) row.push_back(i < types.size() ? CanonicalTool(types[i], tool_row[i]) : tool_row[i]);
      expected.push_back(row);
    }
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    return {found, expected};
  }
};

struct GenuineCase {
  const char* file;
  std::map<std::string, std::int64_t> rows;  // every user table and its rows
};

const GenuineCase kGenuine[] = {
    // Jet 3: code-page text (a table name among them), currency, OLE pictures.
    {"nwind.mdb",
     {{"Order Details", 2155}, {"Orders", 830}, {"Products", 77}, {"Shippers", 3}, {"Categories", 8},
      {"Customers", 91}, {"Employees", 9}, {"Suppliers", 29}, {"Ums\xC3\xA4tze", 830}}},
    {"DateTestDatabase.mdb", {{"DateTest", 6}}},
    {"ASampleDatabase.accdb", {{"Asset Items", 65}}},
};

TEST_F(ImportDatabaseTest, ImportsEveryTableWithEveryRowAndValue) {
  for (const GenuineCase& genuine : kGenuine) {
    SCOPED_TRACE(genuine.file);
    const std::string destination = dir_.File(std::string(genuine.file) + ".imported");
    const ImportSummary summary = engine_->ImportDatabase(Genuine(genuine.file), destination);
    std::map<std::string, std::int64_t> counted;
    for (const auto& table : summary.tables) counted[table.name] = table.rows;
    EXPECT_EQ(counted, genuine.rows);
    for (const auto& [table, rows] : genuine.rows) {
      const auto tool = Exported(Genuine(genuine.file), table);
      if (!tool) {
        std::printf("mdb-export is not installed: values of %s not compared\n", table.c_str());
        continue;
      }
      ASSERT_EQ(static_cast<std::int64_t>(tool->size()), rows);
      const auto [imported, expected] = BothRows(destination, table, *tool);
      EXPECT_EQ(imported, expected) << table;
    }
  }
}

TEST_F(ImportDatabaseTest, KeepsDatesOutsideTheToolsRange) {
  const std::string destination = dir_.File("dates.mdb");
  engine_->ImportDatabase(Genuine("DateTestDatabase.mdb"), destination);
  auto database = workspace_->OpenDatabase(destination, Variant(false), true, {});
  auto rows = database->OpenRecordset("SELECT IDCol, DateTimeCol, ShortTextCol FROM DateTest ORDER BY IDCol", 4);
  std::map<int, std::string> dates;
  for (; !rows->Eof(); rows->MoveNext()) {
    dates[rows->Fields()->Item(0)->Value().ToInt32()] = DateText(rows->Fields()->Item(1)->Value().ToDate());
  }
  EXPECT_EQ(dates[1].substr(0, 10), "2021-12-02");
  EXPECT_EQ(dates[2].substr(0, 4), "9999");
  EXPECT_LT(dates[3].substr(0, 4), "1900");
  EXPECT_LT(dates[4].substr(0, 4), "1000");
}

TEST_F(ImportDatabaseTest, ImportsOnlyTheNamedTables) {
  const std::string destination = dir_.File("some.mdb");
  const ImportSummary summary =
      engine_->ImportDatabase(Genuine("ASampleDatabase.accdb"), destination, 0, {"asset items"});
  ASSERT_EQ(summary.tables.size(), 1u);
  EXPECT_EQ(summary.tables[0].name, "Asset Items");
  const auto error = ErrorOf([&] { engine_->ImportDatabase(Genuine("ASampleDatabase.accdb"), dir_.File("none.mdb"), 0, {"Nothing"}); });
  EXPECT_EQ(error.number, err::kUnrecognisedFile);
  EXPECT_NE(error.message.find("no table 'Nothing'"), std::string::npos) << error.message;
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.mdb")));
}

// Files that are no readable database: each fails with a message and leaves nothing beside the
// destination.
TEST_F(ImportDatabaseTest, AFileThatDoesNotReadLeavesNoDestination) {
  const std::string whole = qb::test::ReadFileBytes(Genuine("ASampleDatabase.accdb"));
  const std::string jet4 = qb::test::ReadFileBytes(Genuine("DateTestDatabase.mdb"));
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", std::string(5000, 'x')},
      {"header only", whole.substr(0, 4096)},
      {"truncated to a quarter", whole.substr(0, whole.size() / 4)},
      {"jet 4 truncated to half", jet4.substr(0, jet4.size() / 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = dir_.File("source.bin");
    std::ofstream(source, std::ios::binary | std::ios::trunc) << c.bytes;
    const std::string destination = dir_.File("out.mdb");
    const auto before = FilesBeside(destination);
    const auto error = ErrorOf([&] { engine_->ImportDatabase(source, destination); });
    EXPECT_EQ(error.number, err::kUnrecognisedFile) << error.message;
    EXPECT_NE(error.message.find(source), std::string::npos) << error.message;
    EXPECT_EQ(FilesBeside(destination), before);
  }
}

TEST_F(ImportDatabaseTest, ARefusedDestinationIsLeftAlone) {
  const std::string destination = dir_.File("taken.mdb");
  std::ofstream(destination) << "mine";
  const auto error = ErrorOf([&] { engine_->ImportDatabase(Genuine("DateTestDatabase.mdb"), destination); });
  EXPECT_EQ(error.number, err::kFileExists);
  EXPECT_EQ(qb::test::ReadFileBytes(destination), "mine");
}

TEST_F(ImportDatabaseTest, AReaderThatCrashesEndsTheImportCleanly) {
  const std::string destination = dir_.File("crashed.mdb");
  const auto before = FilesBeside(destination);
  ::setenv("QB_IMPORT_READER_ABORT", "1", 1);
  const auto error = ErrorOf([&] { engine_->ImportDatabase(Genuine("DateTestDatabase.mdb"), destination); });
  ::unsetenv("QB_IMPORT_READER_ABORT");
  EXPECT_EQ(error.number, err::kUnrecognisedFile);
  EXPECT_NE(error.message.find("crashed"), std::string::npos) << error.message;
  EXPECT_EQ(FilesBeside(destination), before);
}

// Frames as a reader sends them, for the tests below.
std::string TableFrame(const std::string& name, const std::vector<std::pair<std::string, std::uint8_t>>& columns,
                       bool first_is_autonumber) {
  FrameWriter w;
  w.Text(name);
  w.U32(static_cast<std::uint32_t>(columns.size()));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    w.Text(columns[i].first);
    w.U8(columns[i].second);
    w.U32(columns[i].second == 10 ? 20 : 4);
    w.U8(i == 0 && first_is_autonumber ? 1 : 0);
    w.U8(0);
    w.U8(0);
  }
  return w.Frame(FrameKind::kTable);
}

std::string RowFrame(const std::vector<ImportValue>& values) {
  FrameWriter w;
  for (const auto& v : values) w.Value(v);
  return w.Frame(FrameKind::kRow);
}

std::string Frame(FrameKind kind, std::uint32_t number) {
  FrameWriter w;
  if (kind == FrameKind::kTableEnd) w.U32(number);
  return w.Frame(kind);
}

ImportValue Integer(std::int64_t n) { return {ValueTag::kInteger, n, 0, {}}; }
ImportValue Text(std::string s) { return {ValueTag::kText, 0, 0, std::move(s)}; }

TEST_F(ImportDatabaseTest, AutoNumberKeepsItsValuesAndContinuesAfterTheHighest) {
  const std::string stream = TableFrame("Numbered", {{"Id", 4}, {"Name", 10}}, true) + RowFrame({Integer(3), Text("c")}) +
                             RowFrame({Integer(17), Text("q")}) + RowFrame({Integer(5), Text("e")}) +
                             Frame(FrameKind::kTableEnd, 3) + Frame(FrameKind::kDone, 0);
  const std::string destination = dir_.File("numbered.mdb");
  ImportFromReader(dir_.File("system.mdw"), [&](int fd) { return import::WriteAll(fd, stream) ? 0 : 1; }, destination, 0,
                   EngineSettings::ForTests(), 30);
  auto database = workspace_->OpenDatabase(destination, Variant(false), false, {});
  database->Execute("INSERT INTO Numbered (Name) VALUES ('new')");
  auto rows = database->OpenRecordset("SELECT Id, Name FROM Numbered ORDER BY Id", 4);
  std::vector<std::pair<int, std::string>> found;
  for (; !rows->Eof(); rows->MoveNext()) {
    found.emplace_back(rows->Fields()->Item(0)->Value().ToInt32(), rows->Fields()->Item(1)->Value().ToString());
  }
  const std::vector<std::pair<int, std::string>> expected{{3, "c"}, {5, "e"}, {17, "q"}, {18, "new"}};
  EXPECT_EQ(found, expected);
}

std::string IndexFrame(const std::string& table, const std::string& column, std::uint8_t flags = 0) {
  FrameWriter w;
  w.Text(table);
  w.Text("By" + column);
  w.U8(flags);
  w.U32(1);
  w.Text(column);
  w.U8(1);
  return w.Frame(FrameKind::kIndex);
}

// The reader sends a table's keys and indexes before its rows: they are made with the table,
// are what they were (names, fields, kinds), and refuse what they refuse.
TEST_F(ImportDatabaseTest, KeysAndIndexesArriveWithTheTableAndAreEnforced) {
  auto index = [](const std::string& name, std::uint8_t flags, const std::vector<std::pair<std::string, std::uint8_t>>& keys) {
    FrameWriter w;
    w.Text("Keyed");
    w.Text(name);
    w.U8(flags);
    w.U32(static_cast<std::uint32_t>(keys.size()));
    for (const auto& [column, order] : keys) w.Text(column), w.U8(order);
    return w.Frame(FrameKind::kIndex);
  };
  const std::string stream =
      TableFrame("Keyed", {{"Id", 4}, {"Part", 4}, {"Code", 10}, {"Note", 10}}, false) +
      index("PrimaryKey", kIndexPrimary | kIndexUnique, {{"Id", 1}, {"Part", 1}}) +
      index("CodeOnce", kIndexUnique | kIndexIgnoreNulls, {{"Code", 1}}) + index("ByNote", 0, {{"Note", 2}}) +
      RowFrame({Integer(1), Integer(1), Text("a"), Text("x")}) + RowFrame({Integer(1), Integer(2), {}, Text("x")}) +
      RowFrame({Integer(2), Integer(1), {}, {}}) + Frame(FrameKind::kTableEnd, 3) + Frame(FrameKind::kDone, 0);
  const std::string destination = dir_.File("keyed.mdb");
  const ImportSummary summary = ImportFromReader(
      dir_.File("system.mdw"), [&](int fd) { return import::WriteAll(fd, stream) ? 0 : 1; }, destination, 0,
      EngineSettings::ForTests(), 30);
  ASSERT_EQ(summary.tables.size(), 1u);
  EXPECT_EQ(summary.tables[0].rows, 3);
  EXPECT_EQ(summary.tables[0].indexes, 3);

  auto database = workspace_->OpenDatabase(destination, Variant(false), false, {});
  auto indexes = database->TableDefs()->Item("Keyed")->Indexes();
  const struct {
    const char* name;
    const char* fields;
    bool primary, unique, ignore_nulls;
  } expected[] = {
      {"PrimaryKey", "+Id;+Part", true, true, false},
      {"CodeOnce", "+Code", false, true, true},
      {"ByNote", "-Note", false, false, false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    auto found = indexes->Item(e.name);
    EXPECT_EQ(found->Fields(), e.fields);
    EXPECT_EQ(found->Primary(), e.primary);
    EXPECT_EQ(found->Unique(), e.unique);
    EXPECT_EQ(found->IgnoreNulls(), e.ignore_nulls);
  }
  const struct {
    const char* sql;
    int error;  // 0: accepted
  } writes[] = {
      {"INSERT INTO Keyed (Id, Part) VALUES (1, 2)", err::kDuplicateValues},
      {"INSERT INTO Keyed (Id, Part, Code) VALUES (3, 1, 'a')", err::kDuplicateValues},
      {"INSERT INTO Keyed (Id, Part) VALUES (3, 1)", 0},
  };
  for (const auto& w : writes) {
    SCOPED_TRACE(w.sql);
    EXPECT_EQ(ErrorOf([&] { database->Execute(w.sql, 128); }).number, w.error);
  }
}

ImportValue Binary(std::size_t size, unsigned seed) {
  ImportValue value{ValueTag::kBytes, 0, 0, std::string(size, '\0')};
  for (std::size_t i = 0; i < size; ++i) value.bytes[i] = static_cast<char>((i * 131 + seed) & 0xff);
  return value;
}

// Frames are batched through the pipe: rows and values that straddle the batches, and values
// far larger than a batch, arrive whole and in order.
TEST_F(ImportDatabaseTest, RowsAndLongValuesArriveWholeAcrossThePipesBatches) {
  const std::vector<std::size_t> sizes = {0, 1, 65535, 65536, 65537, 300000, 7, 131072};
  std::string stream = TableFrame("Blobs", {{"Id", 4}, {"Data", 11}}, false) + IndexFrame("Blobs", "Id");
  for (std::size_t i = 0; i < 3000; ++i) {
    const std::size_t size = i % 500 == 0 ? sizes[(i / 500) % sizes.size()] : i % 97;
    stream += RowFrame({Integer(static_cast<std::int64_t>(i)), Binary(size, static_cast<unsigned>(i))});
  }
  stream += Frame(FrameKind::kTableEnd, 3000) + Frame(FrameKind::kDone, 0);
  const std::string destination = dir_.File("blobs.mdb");
  ImportFromReader(dir_.File("system.mdw"), [&](int fd) { return import::WriteAll(fd, stream) ? 0 : 1; }, destination, 0,
                   EngineSettings::ForTests(), 30);
  auto database = workspace_->OpenDatabase(destination, Variant(false), false, {});
  auto rows = database->OpenRecordset("SELECT Id, Data FROM Blobs ORDER BY Id", 4);
  std::size_t count = 0;
  for (; !rows->Eof(); rows->MoveNext(), ++count) {
    const std::size_t i = count;
    ASSERT_EQ(rows->Fields()->Item(0)->Value().ToInt32(), static_cast<int>(i));
    const std::size_t size = i % 500 == 0 ? sizes[(i / 500) % sizes.size()] : i % 97;
    const ImportValue expected = Binary(size, static_cast<unsigned>(i));
    const Variant data = rows->Fields()->Item(1)->Value();
    const std::string got = data.IsNull() ? std::string() : std::string(data.Bytes().begin(), data.Bytes().end());
    ASSERT_EQ(got, expected.bytes) << "row " << i;
  }
  EXPECT_EQ(count, 3000u);
}

// The reader runs as a program of its own, started fresh beside the importing one: found there,
// a start that fails and a program that ends early are reported, never waited on.
TEST_F(ImportDatabaseTest, TheReaderProgramIsStartedAndItsFailuresAreReported) {
  const std::string program = import::ReaderProgram();
  ASSERT_EQ(program, std::filesystem::path(QB_BIN_DIR) / "quill-import-reader");

  const auto missing = ErrorOf([&] { import::ReaderProcess({"x.mdb"}, {dir_.File("no-reader")}, 5); });
  EXPECT_EQ(missing.number, err::kCannotOpenFile);
  EXPECT_NE(missing.message.find("no-reader"), std::string::npos) << missing.message;

  std::string payload;
  import::ReaderProcess usage("x.mdb", {program}, 5);
  const auto early = ErrorOf([&] { usage.Next(&payload); });
  EXPECT_NE(early.message.find("the reader stopped early (exit status 2)"), std::string::npos) << early.message;

  import::ReaderProcess absent("x.mdb", {program, dir_.File("absent.mdb")}, 5);
  ASSERT_EQ(absent.Next(&payload), FrameKind::kError);
  EXPECT_EQ(import::FrameReader(payload).Text(), "it is not a database file this import can read.");

  // The tables to read follow the file.
  import::ReaderProcess named("x.mdb", {program, Genuine("ASampleDatabase.accdb"), "no such table"}, 30);
  ASSERT_EQ(named.Next(&payload), FrameKind::kError);
  EXPECT_EQ(import::FrameReader(payload).Text(), "there is no table 'no such table' in it.");
}

// Readers that go wrong after they began: each ends the import with a message and no file.
TEST_F(ImportDatabaseTest, AReaderThatGoesWrongLeavesNoDestination) {
  const std::string table = TableFrame("T", {{"Id", 4}}, false) + RowFrame({Integer(1)});
  const struct {
    const char* name;
    std::function<int(int)> read;
    const char* message;
  } cases[] = {
      {"stops inside a table", [&](int fd) { return import::WriteAll(fd, table) ? 0 : 1; }, "stopped early"},
      {"is killed", [&](int fd) { import::WriteAll(fd, table); ::raise(SIGKILL); return 0; }, "crashed"},
      {"falls silent", [&](int fd) { import::WriteAll(fd, table); ::pause(); return 0; }, "sent nothing"},
      {"sends garbage", [&](int fd) { return import::WriteAll(fd, std::string("Q\1\0\0\0x", 6)) ? 0 : 1; }, "malformed"},
      {"sends a short row", [&](int fd) { return import::WriteAll(fd, table + std::string("R\0\0\0\0", 5)) ? 0 : 1; }, "malformed"},
      {"sends an index after its rows",
       [&](int fd) { return import::WriteAll(fd, table + IndexFrame("T", "Id") + Frame(FrameKind::kTableEnd, 1)) ? 0 : 1; },
       "malformed"},
      {"sends rows its unique key refuses",
       [&](int fd) {
         const std::string keyed = TableFrame("T", {{"Id", 4}}, false) + IndexFrame("T", "Id", kIndexPrimary) +
                                   RowFrame({Integer(1)}) + RowFrame({Integer(1)});
         return import::WriteAll(fd, keyed + Frame(FrameKind::kTableEnd, 2) + Frame(FrameKind::kDone, 0)) ? 0 : 1;
       },
       ""},
      {"miscounts its rows", [&](int fd) { return import::WriteAll(fd, table + Frame(FrameKind::kTableEnd, 2)) ? 0 : 1; }, "differ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string destination = dir_.File("wrong.mdb");
    const auto before = FilesBeside(destination);
    const auto error = ErrorOf([&] {
      ImportFromReader(dir_.File("system.mdw"), c.read, destination, 0, EngineSettings::ForTests(), 1);
    });
    if (*c.message) {
      EXPECT_EQ(error.number, err::kUnrecognisedFile);
      EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    } else {
      EXPECT_EQ(error.number, err::kDuplicateValues) << error.message;
    }
    EXPECT_EQ(FilesBeside(destination), before);
  }
}

}  // namespace
}  // namespace qb::jet
