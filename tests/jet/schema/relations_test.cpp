// Database.Relations: the relationships between the user's tables as the object model lists
// them (primary table, foreign table, field pairs, one-to-one bit), re-read by Refresh.
#include <gtest/gtest.h>

#include "jet/dao/relation.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

// One relation as "Name: Table(a,b) -> ForeignTable(x,y) attributes".
std::string Describe(const Relation& relation) {
  std::string primary, foreign;
  for (const RelationField& field : relation.Fields()) {
    primary += (primary.empty() ? "" : ",") + field.name;
    foreign += (foreign.empty() ? "" : ",") + field.foreign_name;
  }
  return relation.Name() + ": " + relation.Table() + "(" + primary + ") -> " + relation.ForeignTable() + "(" +
         foreign + ") " + std::to_string(relation.Attributes());
}

std::string DescribeAll(Relations& relations) {
  std::string text;
  for (int i = 0; i < relations.Count(); ++i) text += Describe(*relations.Item(i)) + "\n";
  return text;
}

class RelationsTest : public SchemaTest {};

TEST_F(RelationsTest, ListsEveryRelationshipWithItsFieldsAndKind) {
  auto relations = db_->Relations();
  EXPECT_EQ(relations->Count(), 0);

  db_->Execute("CREATE TABLE Customers (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Code TEXT(5))");
  db_->Execute("CREATE TABLE Orders (No COUNTER PRIMARY KEY, Cust LONG CONSTRAINT OrderCustomer REFERENCES Customers)");
  // One-to-one: the foreign field is the whole key of a unique index of the foreign table.
  db_->Execute("CREATE TABLE Profiles (Cust LONG CONSTRAINT ProfileKey PRIMARY KEY, "
               "CONSTRAINT CustomerProfile FOREIGN KEY (Cust) REFERENCES Customers (Id))");
  db_->Execute("CREATE TABLE Lines (OrderNo LONG, Line SHORT, CONSTRAINT LineKey PRIMARY KEY (OrderNo, Line), "
               "CONSTRAINT LineOrder FOREIGN KEY (OrderNo) REFERENCES Orders)");
  db_->Execute("CREATE TABLE Notes (Txt MEMO, N LONG, L SHORT, "
               "CONSTRAINT NoteLine FOREIGN KEY (N, L) REFERENCES Lines (OrderNo, Line))");
  EXPECT_EQ(relations->Count(), 0) << "a snapshot until Refresh";
  relations->Refresh();
  EXPECT_EQ(DescribeAll(*relations),
            "CustomerProfile: Customers(Id) -> Profiles(Cust) 1\n"
            "LineOrder: Orders(No) -> Lines(OrderNo) 0\n"
            "NoteLine: Lines(OrderNo,Line) -> Notes(N,L) 0\n"
            "OrderCustomer: Customers(Id) -> Orders(Cust) 0\n");
  EXPECT_EQ(relations->Item("orderCUSTOMER")->ForeignTable(), "Orders");
  EXPECT_EQ(ErrorOf([&] { relations->Item("Nothing"); }).number, err::kItemNotFound);

  // Added through ALTER TABLE, dropped with its constraint, followed through a rename.
  db_->Execute("ALTER TABLE Orders ADD CONSTRAINT OrderCode FOREIGN KEY (No) REFERENCES Customers (Id)");
  db_->Execute("ALTER TABLE Notes DROP CONSTRAINT NoteLine");
  relations = db_->Relations();
  EXPECT_EQ(DescribeAll(*relations),
            "CustomerProfile: Customers(Id) -> Profiles(Cust) 1\n"
            "LineOrder: Orders(No) -> Lines(OrderNo) 0\n"
            "OrderCode: Customers(Id) -> Orders(No) 1\n"
            "OrderCustomer: Customers(Id) -> Orders(Cust) 0\n");
}

TEST_F(RelationsTest, SurvivesReopeningAndFailsOnceClosed) {
  db_->Execute("CREATE TABLE A (Id LONG PRIMARY KEY)");
  db_->Execute("CREATE TABLE B (Id LONG PRIMARY KEY, A LONG CONSTRAINT BA REFERENCES A)");
  auto relations = db_->Relations();
  db_->Close();
  EXPECT_EQ(relations->Count(), 1) << "a snapshot keeps its items";
  EXPECT_EQ(ErrorOf([&] { relations->Refresh(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { db_->Relations(); }).number, err::kObjectClosed);
  auto reopened = workspace_->OpenDatabase(path_, false, true);
  EXPECT_EQ(DescribeAll(*reopened->Relations()), "BA: A(Id) -> B(A) 0\n");
}

}  // namespace
}  // namespace qb::jet::test
