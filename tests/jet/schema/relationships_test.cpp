// Relationships made by FOREIGN KEY and REFERENCES: listed in the catalog, enforced on every
// write to either table (3201 for a missing related record, 3200 for records still related),
// kept through copies, renames and compacting, and guarding the tables and fields they use.
#include <gtest/gtest.h>

#include "jet/catalog/ddl_executor.h"
#include "jet/catalog/schema_model.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

class RelationshipsTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute("CREATE TABLE Customers (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Code TEXT(5) NOT NULL, "
                 "CONSTRAINT ByCode UNIQUE (Code))");
    db_->Execute("CREATE TABLE Orders (No COUNTER, Cust LONG CONSTRAINT OrderCustomer REFERENCES Customers, "
                 "CustCode TEXT(5))");
    Exec("INSERT INTO Customers (Code) VALUES ('ann'), ('bob')");
    Exec("INSERT INTO Orders (Cust, CustCode) VALUES (1, 'ann'), (1, 'ANN'), (NULL, 'x')");
  }
  int Run(const std::string& sql) { return ErrorOf([&] { Exec(sql); }).number; }
  std::string Relationships() {
    return Select("SELECT o.Name, t.Name, r.Columns, r.ReferencedTable, r.ReferencedColumns FROM MSysRelationships r "
                  "JOIN MSysObjects o ON o.Id = r.Id AND o.Type = 8 JOIN MSysObjects t ON t.Id = r.TableId "
                  "ORDER BY o.Name");
  }
  // Every write that the relationship from ORDERS.CUST to CUSTOMERS.ID forbids, and one it allows.
  void ExpectEnforced(const std::string& orders = "Orders", const std::string& cust = "Cust",
                      const std::string& customers = "Customers", const std::string& id = "Id") {
    EXPECT_EQ(Run("INSERT INTO " + orders + " (" + cust + ") VALUES (9)"), err::kNoRelatedRecord);
    EXPECT_EQ(Run("UPDATE " + orders + " SET " + cust + " = 9 WHERE " + cust + " = 1"), err::kNoRelatedRecord);
    EXPECT_EQ(Run("DELETE FROM " + customers + " WHERE " + id + " = 1"), err::kRelatedRecordsExist);
    EXPECT_EQ(Run("UPDATE " + customers + " SET " + id + " = 7 WHERE " + id + " = 1"), err::kRelatedRecordsExist);
    EXPECT_EQ(Run("INSERT INTO " + orders + " (" + cust + ") VALUES (2)"), 0);
    Exec("DELETE FROM " + orders + " WHERE " + cust + " = 2");
  }
};

TEST_F(RelationshipsTest, ReferencesAreStoredAndEnforcedOnBothTables) {
  EXPECT_EQ(Relationships(), "OrderCustomer|Orders|Cust|Customers|Id\n");
  const CaughtError missing = ErrorOf([&] { Exec("INSERT INTO Orders (Cust) VALUES (9)"); });
  EXPECT_EQ(missing.number, err::kNoRelatedRecord);
  EXPECT_NE(missing.message.find("'Customers'"), std::string::npos) << missing.message;
  ExpectEnforced();
  // Null keys need no related record; unrelated records may go; changing other fields is free.
  EXPECT_EQ(Run("UPDATE Orders SET Cust = NULL WHERE CustCode = 'x'"), 0);
  EXPECT_EQ(Run("UPDATE Customers SET Code = 'amy' WHERE Id = 1"), 0);
  EXPECT_EQ(Run("DELETE FROM Orders WHERE Cust = 2"), 0);
  EXPECT_EQ(Run("DELETE FROM Customers WHERE Id = 2"), 0);
  EXPECT_EQ(Select("SELECT count(*) FROM Orders"), "3\n");
}

TEST_F(RelationshipsTest, NewRelationshipsCheckTheRowsAndMatchKeysAsTheSortOrderDoes) {
  const std::string add =
      "ALTER TABLE Orders ADD CONSTRAINT OrderCode FOREIGN KEY (CustCode) REFERENCES Customers (Code)";
  const std::string before = DumpCatalog(Sql()) + Relationships();
  // The order for 'x' has no customer: the relationship cannot be made, and nothing changes.
  EXPECT_EQ(ErrorOf([&] { db_->Execute(add); }).number, err::kNoRelatedRecord);
  EXPECT_EQ(DumpCatalog(Sql()) + Relationships(), before);
  Exec("UPDATE Orders SET CustCode = 'bob' WHERE CustCode = 'x'");
  db_->Execute(add);
  EXPECT_EQ(Run("INSERT INTO Orders (CustCode) VALUES ('nobody')"), err::kNoRelatedRecord);
  EXPECT_EQ(Run("INSERT INTO Orders (CustCode) VALUES ('BOB')"), 0);
  EXPECT_EQ(Run("DELETE FROM Customers WHERE Code = 'Bob'"), err::kRelatedRecordsExist);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("ALTER TABLE Customers ADD CONSTRAINT OrderCode FOREIGN KEY (Id) "
                                       "REFERENCES Customers"); }).number,
            err::kDuplicateName);

  // Keys of several fields; a Null in any of them needs no related record.
  db_->Execute("CREATE TABLE Lines (OrderNo LONG, Line SHORT, CONSTRAINT LineKey PRIMARY KEY (OrderNo, Line))");
  db_->Execute("CREATE TABLE Notes (Txt MEMO, N LONG, L SHORT, "
               "CONSTRAINT NoteLine FOREIGN KEY (N, L) REFERENCES Lines (OrderNo, Line))");
  Exec("INSERT INTO Lines VALUES (1, 1)");
  EXPECT_EQ(Run("INSERT INTO Notes (N, L) VALUES (1, 1)"), 0);
  EXPECT_EQ(Run("INSERT INTO Notes (N, L) VALUES (1, 2)"), err::kNoRelatedRecord);
  EXPECT_EQ(Run("INSERT INTO Notes (N, L) VALUES (1, NULL)"), 0);
  EXPECT_EQ(Run("UPDATE Lines SET Line = 3"), err::kRelatedRecordsExist);

  // Unnamed references are named after both tables.
  db_->Execute("CREATE TABLE X (C LONG REFERENCES Customers, D LONG REFERENCES Customers (Id))");
  EXPECT_NE(Relationships().find("CustomersX|X|C|Customers|Id\nCustomersX1|X|D|Customers|Id\n"), std::string::npos)
      << Relationships();
}

TEST_F(RelationshipsTest, BrokenReferencesAndChangesThatWouldBreakOneAreRefused) {
  const std::string before = DumpCatalog(Sql()) + Relationships();
  auto fails = [&](const std::string& sql) { return ErrorOf([&] { db_->Execute(sql); }).number; };
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG REFERENCES Nope)"), err::kTableNotFound);
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG REFERENCES MSysObjects (Id))"), err::kTableNotFound);
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG REFERENCES Orders (Cust))"), err::kNoUniqueIndex);
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG REFERENCES Customers (Nope))"), err::kItemNotFound);
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG, B LONG, FOREIGN KEY (A, B) REFERENCES Customers)"), err::kNoUniqueIndex);
  EXPECT_EQ(fails("CREATE TABLE Y (A LONG, FOREIGN KEY (Nope) REFERENCES Customers)"), err::kItemNotFound);
  EXPECT_EQ(fails("DROP TABLE Customers"), err::kUsedInRelationship);
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Delete("Customers"); }).number, err::kUsedInRelationship);
  EXPECT_EQ(fails("ALTER TABLE Orders DROP COLUMN Cust"), err::kFieldRuleInUse);
  EXPECT_EQ(fails("ALTER TABLE Customers DROP CONSTRAINT PrimaryKey"), err::kUsedInRelationship);
  EXPECT_EQ(fails("ALTER TABLE Orders DROP CONSTRAINT Nope"), err::kConstraintNotFound);
  EXPECT_EQ(DumpCatalog(Sql()) + Relationships(), before);

  db_->Execute("ALTER TABLE Orders DROP CONSTRAINT OrderCustomer");
  EXPECT_EQ(Relationships(), "");
  EXPECT_EQ(Run("DELETE FROM Customers WHERE Id = 1"), 0);
  db_->Execute("DROP TABLE Customers");
  EXPECT_EQ(Select("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'qbr%'"), "0\n");
}

TEST_F(RelationshipsTest, RelationshipsSurviveCopiesRenamesReopeningAndCompacting) {
  // A renamed field copies the table; the relationship follows both renames.
  auto orders = Table("Orders");
  orders->Fields()->Item("Cust")->SetName("CustomerId");
  auto customers = Table("Customers");
  customers->Fields()->Item("Id")->SetName("ClientId");
  customers->SetName("Clients");
  EXPECT_EQ(Relationships(), "OrderCustomer|Orders|CustomerId|Clients|ClientId\n");
  ExpectEnforced("Orders", "CustomerId", "Clients", "ClientId");

  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  ExpectEnforced("Orders", "CustomerId", "Clients", "ClientId");
  db_->Close();
  engine_->CompactDatabase(path_, dir_.File("compacted.mdb"));
  db_ = workspace_->OpenDatabase(dir_.File("compacted.mdb"));
  ExpectEnforced("Orders", "CustomerId", "Clients", "ClientId");

  // Dropping the referencing table takes its relationships along.
  db_->Execute("DROP TABLE Orders");
  EXPECT_EQ(Relationships(), "");
  EXPECT_EQ(Run("DELETE FROM Clients"), 0);
}

}  // namespace
}  // namespace qb::jet::test
