// Importing a genuine file's relationships and saved queries: the Jet 3 sample's come along and
// work (enforced relationships, queries that run with the right rows), and those this engine
// cannot keep are listed with the reason, never dropped without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/querydef.h"
#include "jet/dao/relation.h"
#include "jet/database/database_test_support.h"
#include "jet/import/import_database.h"
#include "jet/import/import_stream.h"
#include "jet/import/saved_query_sql.h"
#include "jet/recordset/recordset.h"

namespace qb::jet {
namespace {

using import::FrameKind;
using import::FrameWriter;
using import::QueryRow;
using test::ErrorOf;

class ImportDefinitionsTest : public test::DatabaseTestBase {
 protected:
  int Count(Database& db, const std::string& sql) {
    auto rows = db.OpenRecordset(sql, 4);
    int n = 0;
    for (; !rows->Eof(); rows->MoveNext()) ++n;
    return n;
  }
};

std::string Describe(const Relation& relation) {
  std::string primary, foreign;
  for (const RelationField& field : relation.Fields()) {
    primary += (primary.empty() ? "" : ",") + field.name;
    foreign += (foreign.empty() ? "" : ",") + field.foreign_name;
  }
  return relation.Name() + ": " + relation.Table() + "(" + primary + ") -> " + relation.ForeignTable() + "(" + foreign + ")";
}

// Named tables bring the relationships among them and nothing else: no query, no relationship
// to a table left out.
TEST_F(ImportDefinitionsTest, NamedTablesBringTheRelationshipsAmongThem) {
  const struct {
    std::vector<std::string> tables;
    std::vector<std::string> relations;
  } cases[] = {
      {{"Orders", "Order Details", "Products"},
       {"OrdersOrder Details: Orders(OrderID) -> Order Details(OrderID)",
        "ProductsOrder Details: Products(ProductID) -> Order Details(ProductID)"}},
      {{"order details"}, {}},
  };
  int run = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tables.front());
    const std::string destination = dir_.File("named" + std::to_string(++run) + ".mdb");
    const ImportSummary summary =
        engine_->ImportDatabase(qb::test::TestDataPath("jet/nwind.mdb"), destination, 0, c.tables);
    EXPECT_EQ(summary.tables.size(), c.tables.size());
    EXPECT_EQ(summary.queries, 0);
    auto db = workspace_->OpenDatabase(destination, Variant(false), false, {});
    EXPECT_EQ(db->QueryDefs()->Count(), 0);
    std::vector<std::string> relations;
    auto listed = db->Relations();
    for (int i = 0; i < listed->Count(); ++i) relations.push_back(Describe(*listed->Item(i)));
    std::sort(relations.begin(), relations.end());
    EXPECT_EQ(relations, c.relations);
    db->Close();
  }
}

TEST_F(ImportDefinitionsTest, TheJet3SamplesRelationshipsAndQueriesComeAlongAndWork) {
  const std::string destination = dir_.File("sample.mdb");
  const ImportSummary summary = engine_->ImportDatabase(qb::test::TestDataPath("jet/nwind.mdb"), destination);
  EXPECT_EQ(summary.relations, 7);
  EXPECT_EQ(summary.queries, 22);
  // Only the cascades are left out (this engine cascades nothing).
  std::vector<std::string> skipped;
  for (const auto& [what, why] : summary.skipped) skipped.push_back(what);
  EXPECT_EQ(skipped, (std::vector<std::string>{"cascading updates of relationship CustomersOrders",
                                               "cascading deletes of relationship OrdersOrder Details"}));

  auto db = workspace_->OpenDatabase(destination, Variant(false), false, {});
  std::vector<std::string> relations;
  auto listed = db->Relations();
  for (int i = 0; i < listed->Count(); ++i) relations.push_back(Describe(*listed->Item(i)));
  std::sort(relations.begin(), relations.end());
  EXPECT_EQ(relations, (std::vector<std::string>{
                           "CategoriesProducts: Categories(CategoryID) -> Products(CategoryID)",
                           "CustomersOrders: Customers(CustomerID) -> Orders(CustomerID)",
                           "EmployeesOrders: Employees(EmployeeID) -> Orders(EmployeeID)",
                           "OrdersOrder Details: Orders(OrderID) -> Order Details(OrderID)",
                           "ProductsOrder Details: Products(ProductID) -> Order Details(ProductID)",
                           "ShippersOrders: Shippers(ShipperID) -> Orders(ShipVia)",
                           "SuppliersProducts: Suppliers(SupplierID) -> Products(SupplierID)",
                       }));
  const auto refused = ErrorOf([&] {
    db->Execute("INSERT INTO [Order Details] (OrderID, ProductID, UnitPrice, Quantity, Discount) VALUES (1, 1, 1, 1, 0)",
                recordset_option::kFailOnError);
  });
  EXPECT_EQ(refused.number, err::kNoRelatedRecord) << refused.message;

  // Saved queries of every shape the sample has: nested joins, an alias, TOP with a descending
  // sort, a union, grouping over another query, and a subquery in a condition.
  const struct {
    const char* query;
    int rows;
    const char* first;  // the first row's first value, where the query sorts
  } results[] = {
      {"Invoices", 2155, nullptr},
      {"Order Subtotals", 830, nullptr},
      {"Current Product List", 69, "3"},  // Aniseed Syrup, by name
      {"Ten Most Expensive Products", 10, "C\xC3\xB4te de Blaye"},
      {"Customers and Suppliers by City", 120, "Aachen"},
      {"Category Sales for 1995", 8, nullptr},
      {"Products Above Average Price", 25, "C\xC3\xB4te de Blaye"},
  };
  for (const auto& r : results) {
    SCOPED_TRACE(r.query);
    EXPECT_EQ(Count(*db, std::string("SELECT * FROM [") + r.query + "]"), r.rows);
    if (r.first) {
      auto rows = db->OpenRecordset(std::string("SELECT * FROM [") + r.query + "]", 4);
      EXPECT_EQ(rows->Fields()->Item(0)->Value().ToString(), r.first);
    }
  }
  auto by_country = db->QueryDefs()->Item("Employee Sales by Country");
  by_country->Parameters()->Item("Beginning Date")->SetValue(Variant::FromDate(34700));  // 1995-01-01
  by_country->Parameters()->Item("Ending Date")->SetValue(Variant::FromDate(35064));     // 1995-12-31
  auto sales = by_country->OpenRecordset(4);
  int rows = 0;
  for (; !sales->Eof(); sales->MoveNext()) ++rows;
  EXPECT_EQ(rows, Count(*db, "SELECT OrderID FROM Orders WHERE ShippedDate BETWEEN #1/1/1995# AND #12/31/1995#"));
  EXPECT_GT(rows, 0);
  auto crosstab = db->QueryDefs()->Item("Quarterly Orders by Product")->OpenRecordset(4);
  std::vector<std::string> columns;
  for (int i = 0; i < crosstab->Fields()->Count(); ++i) columns.push_back(crosstab->Fields()->Item(i)->Name());
  EXPECT_EQ(columns, (std::vector<std::string>{"ProductName", "CustomerID", "OrderYear", "Qtr 1", "Qtr 2", "Qtr 3", "Qtr 4"}));
}

// The later file keeps its queries' kinds only among its objects' flags.
TEST_F(ImportDefinitionsTest, TheAccdbSamplesQueriesComeAlong) {
  const std::string destination = dir_.File("assets.mdb");
  const ImportSummary summary = engine_->ImportDatabase(qb::test::TestDataPath("jet/ASampleDatabase.accdb"), destination);
  EXPECT_EQ(summary.queries, 3);
  EXPECT_TRUE(summary.skipped.empty());
  auto db = workspace_->OpenDatabase(destination, Variant(false), false, {});
  EXPECT_EQ(Count(*db, "SELECT * FROM qryCostsSummedByOwner"),
            Count(*db, "SELECT DISTINCT Owner, [Asset Category] FROM [Asset Items]"));
  EXPECT_EQ(Count(*db, "SELECT * FROM qryComputerHardwareInOwnerOrder"),
            Count(*db, "SELECT * FROM [Asset Items] WHERE [Asset Category] = 'Computer Hardware'"));
}

// Frames as a reader sends them.
std::string TableOf(const std::string& name, const std::vector<std::string>& columns, const std::vector<int>& ids) {
  FrameWriter head;
  head.Text(name);
  head.U32(static_cast<std::uint32_t>(columns.size()));
  for (const std::string& column : columns) {
    head.Text(column);
    head.U8(4);  // Long
    head.U32(4);
    head.U8(0), head.U8(0), head.U8(0);
  }
  std::string frames = head.Frame(FrameKind::kTable);
  FrameWriter index;
  index.Text(name), index.Text("PrimaryKey"), index.U8(import::kIndexPrimary | import::kIndexUnique), index.U32(1);
  index.Text(columns[0]), index.U8(1);
  frames += index.Frame(FrameKind::kIndex);
  for (int id : ids) {
    FrameWriter row;
    for (std::size_t i = 0; i < columns.size(); ++i) row.Value({import::ValueTag::kInteger, id, 0, {}});
    frames += row.Frame(FrameKind::kRow);
  }
  FrameWriter end;
  end.U32(static_cast<std::uint32_t>(ids.size()));
  return frames + end.Frame(FrameKind::kTableEnd);
}

std::string RelationOf(const std::string& name, std::uint32_t attributes, const std::string& table, const std::string& field,
                       const std::string& foreign_table, const std::string& foreign_field) {
  FrameWriter w;
  w.Text(name), w.U32(attributes), w.Text(table), w.Text(foreign_table), w.U32(1), w.Text(field), w.Text(foreign_field);
  return w.Frame(FrameKind::kRelation);
}

std::string QueryOf(const std::string& name, const std::vector<QueryRow>& rows) {
  FrameWriter w;
  w.Text(name);
  w.I64(0);
  w.U32(static_cast<std::uint32_t>(rows.size()));
  for (const QueryRow& row : rows) {
    w.U8(static_cast<std::uint8_t>(row.attribute)), w.Text(row.order), w.Text(row.name1), w.Text(row.name2);
    w.Text(row.expression), w.I64(row.flag);
  }
  return w.Frame(FrameKind::kQuery);
}

// A select of EXPRESSION from TABLE.
std::vector<QueryRow> SelectOf(const std::string& expression, const std::string& table) {
  return {{import::kPartKind, "", "", "", "", import::kKindSelect},
          {import::kPartTable, "", table, "", "", 0},
          {import::kPartColumn, "", "", "", expression, 0}};
}

TEST_F(ImportDefinitionsTest, WhatCannotBeKeptIsListedWithItsReason) {
  const std::string stream =
      TableOf("Parent", {"Id"}, {1, 2}) + TableOf("Child", {"Id", "ParentId"}, {1, 2}) +
      TableOf("Orphan", {"Id", "ParentId"}, {7}) +
      RelationOf("ParentChild", 0, "Parent", "Id", "Child", "ParentId") +
      RelationOf("Loose", relation_attribute::kDontEnforce, "Parent", "Id", "Child", "Id") +
      RelationOf("ParentOrphan", 0, "Parent", "Id", "Orphan", "ParentId") +  // the data breaks it
      QueryOf("Good", SelectOf("Parent.Id", "Parent")) +
      QueryOf("Bad", SelectOf("Parent.Id +", "Parent")) +
      QueryOf("ReadsBad", SelectOf("Bad.Id", "Bad")) +
      QueryOf("Remote", {{import::kPartKind, "", "", "", "", import::kKindSelect},
                         {import::kPartRemote, "", "", "", "C:\\other.mdb", 0}}) +
      QueryOf("Passing", {{import::kPartKind, "", "", "", "", import::kKindPassThrough}}) +
      FrameWriter().Frame(FrameKind::kDone);
  const std::string destination = dir_.File("listed.mdb");
  const ImportSummary summary = ImportFromReader(
      dir_.File("system.mdw"), [&](int fd) { return import::WriteAll(fd, stream) ? 0 : 1; }, destination, 0,
      EngineSettings::ForTests(), 30);
  EXPECT_EQ(summary.relations, 1);
  EXPECT_EQ(summary.queries, 1);
  std::map<std::string, std::string> skipped(summary.skipped.begin(), summary.skipped.end());
  const struct {
    const char* what;
    const char* why;  // a part of the reason
  } listed[] = {
      {"relationship Loose", "not enforced"},
      {"relationship ParentOrphan", ""},
      {"query Bad", "Its SQL: SELECT Parent.Id +"},
      {"query ReadsBad", "Its SQL: SELECT Bad.Id"},
      {"query Remote", "another database file"},
      {"query Passing", "pass-through"},
  };
  EXPECT_EQ(skipped.size(), std::size(listed));
  for (const auto& l : listed) {
    SCOPED_TRACE(l.what);
    ASSERT_TRUE(skipped.count(l.what));
    EXPECT_NE(skipped[l.what].find(l.why), std::string::npos) << skipped[l.what];
  }
  auto db = workspace_->OpenDatabase(destination, Variant(false), false, {});
  ASSERT_EQ(db->QueryDefs()->Count(), 1);
  EXPECT_EQ(db->QueryDefs()->Item(0)->Name(), "Good");
  EXPECT_EQ(db->Relations()->Count(), 1);
}

// The rebuilt SQL of query rows, for the shapes the sample files do not show.
TEST(SavedQuerySqlTest, RebuildsEveryKindOfQuery) {
  using namespace import;
  const QueryRow kind_select{kPartKind, "", "", "", "", kKindSelect};
  const struct {
    const char* name;
    std::vector<QueryRow> rows;
    const char* sql;
  } cases[] = {
      {"rows out of order, sorted by part and order key",
       {{kPartOrderBy, "\x02", "D", "", "B", 0}, {kPartColumn, "", "", "", "A", 0}, {kPartOrderBy, "\x01", "", "", "A", 0},
        {kPartTable, "", "T", "", "", 0}, kind_select},
       "SELECT A\nFROM [T]\nORDER BY A, B DESC"},
      {"two conditions on one join, a left join, a table outside the joins",
       {kind_select, {kPartTable, "", "A", "", "", 0}, {kPartTable, "", "B", "X", "", 0}, {kPartTable, "", "C", "", "", 0},
        {kPartTable, "", "D", "", "", 0}, {kPartColumn, "", "", "", "*", 0},
        {kPartJoin, "", "A", "X", "A.k = X.k", 1}, {kPartJoin, "", "X", "C", "X.m = C.m", 2},
        {kPartJoin, "", "A", "X", "A.j = X.j", 1}},
       "SELECT *\nFROM ([A] INNER JOIN [B] AS [X] ON A.k = X.k AND A.j = X.j) LEFT JOIN [C] ON X.m = C.m, [D]"},
      {"distinct, top percent, owner access, parameters",
       {kind_select, {kPartParameter, "", "From", "", "", 8}, {kPartParameter, "", "Forms!F!To", "", "", 10},
        {kPartFlags, "", "5", "", "", 2 | 16 | 32 | 4}, {kPartTable, "", "T", "", "", 0},
        {kPartColumn, "", "N", "", "T.a", 0}, {kPartWhere, "", "", "", "T.d > [From]", 0}},
       "PARAMETERS [From] DateTime, [Forms!F!To] Text;\nSELECT DISTINCT TOP 5 PERCENT T.a AS [N]\nFROM [T]\n"
       "WHERE T.d > [From]\nWITH OWNERACCESS OPTION"},
      {"make table",
       {{kPartKind, "", "Copy", "", "", kKindMakeTable}, {kPartTable, "", "T", "", "", 0}, {kPartColumn, "", "", "", "T.a", 0}},
       "SELECT T.a INTO [Copy]\nFROM [T]"},
      {"append with a select",
       {{kPartKind, "", "Log", "", "", kKindAppend}, {kPartTable, "", "T", "", "", 0},
        {kPartColumn, "", "", "Note", "T.a & \"!\"", 0}, {kPartColumn, "", "", "Amount", "T.b", 0}},
       "INSERT INTO [Log] ([Note], [Amount]) SELECT T.a & \"!\", T.b\nFROM [T]"},
      {"append of values",
       {{kPartKind, "", "Log", "", "", kKindAppend}, {kPartColumn, "", "", "Note", "\"x\"", 0}},
       "INSERT INTO [Log] ([Note]) VALUES (\"x\")"},
      {"update",
       {{kPartKind, "", "", "", "", kKindUpdate}, {kPartTable, "", "T", "", "", 0},
        {kPartColumn, "", "", "T.a", "T.a + 1", 0}, {kPartWhere, "", "", "", "T.b = 2", 0}},
       "UPDATE [T]\nSET T.a = T.a + 1\nWHERE T.b = 2"},
      {"delete",
       {{kPartKind, "", "", "", "", kKindDelete}, {kPartTable, "", "T", "", "", 0},
        {kPartColumn, "", "", "", "T.*", 0}, {kPartWhere, "", "", "", "T.b = 2", 0}},
       "DELETE T.*\nFROM [T]\nWHERE T.b = 2"},
      {"union all",
       {{kPartKind, "", "", "", "", kKindUnion}, {kPartFlags, "", "", "", "", 1},
        {kPartTable, "", "", "X7YZ_____1", "SELECT a FROM T;\r\n", 0}, {kPartTable, "", "", "X7YZ_____2", " SELECT b FROM U", 0}},
       "SELECT a FROM T\nUNION ALL SELECT b FROM U"},
      {"data definition",
       {{kPartKind, "", "", "", "CREATE TABLE N (a LONG);", kKindDdl}},
       "CREATE TABLE N (a LONG)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SavedQuerySql(c.rows), c.sql);
  }
  // Later files keep the kind only in the object's flags.
  const std::vector<QueryRow> without_kind{{kPartTable, "", "T", "", "", 0}, {kPartColumn, "", "", "", "T.*", 0}};
  EXPECT_EQ(SavedQuerySql(without_kind, 0), "SELECT T.*\nFROM [T]");
  EXPECT_EQ(SavedQuerySql(without_kind, 0x20 | 8), "DELETE T.*\nFROM [T]");
  EXPECT_THROW(SavedQuerySql(without_kind, 0xf0), QueryNotRebuilt);
  const struct {
    const char* name;
    std::vector<QueryRow> rows;
  } refused[] = {
      {"a join of a table not among the sources",
       {kind_select, {kPartTable, "", "A", "", "", 0}, {kPartColumn, "", "", "", "*", 0}, {kPartJoin, "", "A", "Z", "A.k = Z.k", 1}}},
      {"a join of an unknown kind",
       {kind_select, {kPartTable, "", "A", "", "", 0}, {kPartTable, "", "B", "", "", 0}, {kPartColumn, "", "", "", "*", 0},
        {kPartJoin, "", "A", "B", "A.k = B.k", 7}}},
      {"no output columns", {kind_select, {kPartTable, "", "A", "", "", 0}}},
      {"an unknown kind", {{kPartKind, "", "", "", "", 42}}},
      {"a union of one part", {{kPartKind, "", "", "", "", kKindUnion}, {kPartTable, "", "", "", "SELECT 1", 0}}},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    EXPECT_THROW(SavedQuerySql(r.rows), QueryNotRebuilt);
  }
}

}  // namespace
}  // namespace qb::jet
