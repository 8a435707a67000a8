// Parameters of the recordset's statement and of saved queries: the list computed from the
// placeholders, values written into the statement as literals that reach the engine as exactly
// the value (quotes included), values taken from a master, the SQL parameter dialog, and the
// refusals on the way.
#include <gtest/gtest.h>

#include "core/date_serial.h"
#include "core/format.h"
#include "core/format_settings.h"
#include "core/resource_strings.h"
#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "recordset/recordset_fixture.h"
#include "recordset/sql_parameter_hook.h"

namespace qb::test {
namespace {

class ParametersTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(30), Born DATETIME, Rate DOUBLE)");
    Exec("INSERT INTO People (Name, Born, Rate) VALUES ('Ann', #03/01/1999 14:05:09#, 0.1)");
    Exec("INSERT INTO People (Name, Born, Rate) VALUES ('O''Brien', #12/24/2001#, 2.5)");
    Exec("INSERT INTO People (Name, Born, Rate) VALUES ('x', #01/01/2000#, 1)");
    // The master's rows hold the texts the detail looks for.
    Exec("CREATE TABLE Wanted (Id COUNTER CONSTRAINT PK PRIMARY KEY, Who TEXT(30))");
    Exec("INSERT INTO Wanted (Who) VALUES ('O''Brien')");
    Exec("INSERT INTO Wanted (Who) VALUES ('x'' OR ''a''=''a')");
    Exec("INSERT INTO Wanted (Who) VALUES ('Ann')");
  }
  void TearDown() override {
    SetEditSQLParametersHook(nullptr);
    RecordsetTest::TearDown();
  }
  static std::string Names(const TParams& params) {
    std::string text;
    for (int i = 0; i < params.Count(); ++i) text += (i ? "," : "") + params[i].Name();
    return text;
  }
};

TEST_F(ParametersTest, PlaceholdersBecomeParametersInOrder) {
  struct Case {
    const char* statement;
    const char* names;
  } cases[] = {
      {"SELECT a FROM t WHERE k=:key AND d > :since", "key,since"},
      {"SELECT a FROM t WHERE d>:since", ""},  // ">" is no separator: one word
      {"SELECT a FROM t WHERE k = :key OR j = :key", "key,key"},
      {"SELECT a FROM t WHERE k IN (:a,:b)", "a,b"},
      {"SELECT a FROM t WHERE k = : OR j = ':x'", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Names(Make(rtQuery, c.statement)->SQLParameter()), c.names) << c.statement;
}

TEST_F(ParametersTest, ValuesSurviveRecomputationAndAutoComputeCanBeOff) {
  auto rs = Make(rtQuery, "SELECT * FROM People WHERE Name = :who AND Rate > :rate");
  rs->SQLParameter().ParamByName("who").SetAsString("Ann");
  rs->SetSQLText("SELECT * FROM People WHERE Rate > :rate OR Name = :who");
  EXPECT_EQ(Names(rs->SQLParameter()), "rate,who");
  EXPECT_EQ(rs->SQLParameter().ParamByName("who").AsString(), "Ann");
  EXPECT_TRUE(rs->SQLParameter().ParamByName("who").Bound());
  EXPECT_EQ(rs->SQLParameter().ParamByName("rate").DataType(), ftUnknown);

  rs->SetSQLAutoComputeParameter(false);
  rs->SetSQLText("SELECT * FROM People WHERE Id = :id");
  EXPECT_EQ(Names(rs->SQLParameter()), "rate,who");
  rs->SetSQLAutoComputeParameter(true);
  EXPECT_EQ(Names(rs->SQLParameter()), "id");

  // Assigning a list copies the values of the names both have, and adds nothing.
  TParams given;
  given.CreateParam(ftInteger, "ID", ptInput).SetAsInteger(2);
  given.CreateParam(ftInteger, "other", ptInput).SetAsInteger(3);
  rs->SetSQLParameter(given);
  EXPECT_EQ(Names(rs->SQLParameter()), "id");
  rs->Open();
  EXPECT_EQ(Walk(*rs), "O'Brien");
}

TEST_F(ParametersTest, EveryValueIsWrittenAsAnExactLiteral) {
  // Settings that would break a literal written by the user's conventions.
  FormatSettings settings;
  settings.DecimalSeparator = ",";
  settings.TimeSeparator = ".";
  ScopedFormatSettings scoped(settings);
  struct Case {
    TFieldType type;
    Variant value;
    const char* literal;
  } cases[] = {
      {ftString, Variant("O'Brien"), "'O''Brien'"},
      {ftString, Variant("x' OR 'a'='a"), "'x'' OR ''a''=''a'"},
      {ftString, Variant::Null(), "''"},
      {ftInteger, Variant(42), "42"},
      {ftSmallint, Variant::Null(), "0"},
      {ftBoolean, Variant(true), "-1"},
      {ftBoolean, Variant(false), "0"},
      {ftFloat, Variant(2.5), "2.5"},
      {ftFloat, Variant(0.1), "0.1"},
      {ftFloat, Variant(-1234567.125), "-1234567.125"},
      {ftFloat, Variant(1e300), "1E+300"},
      {ftCurrency, Variant(Currency::FromDouble(12.3456)), "12.3456"},
      {ftDateTime, Variant::FromDate(EncodeDateTime(1999, 3, 1, 14, 5, 9, 0)), "#03/01/1999 14:05:09#"},
      {ftDate, Variant::FromDate(EncodeDate(2001, 12, 24)), "#12/24/2001 00:00:00#"},
      {ftBlob, Variant("bytes"), ""},
  };
  for (const Case& c : cases) {
    auto rs = Make(rtQuery, "SELECT * FROM People WHERE Name = :p ORDER BY Id");
    TParam& param = rs->SQLParameter().ParamByName("p");
    param.SetDataType(c.type);
    param.SetValue(c.value);
    EXPECT_EQ(rs->GetPreparedSQLStatement(), std::string("SELECT * FROM People WHERE Name = ") + c.literal + " ORDER BY Id;\r\n")
        << c.literal;
  }
}

TEST_F(ParametersTest, TypedValuesFindExactlyTheirRecords) {
  struct Case {
    const char* statement;
    TFieldType type;
    Variant value;
    const char* found;
  } cases[] = {
      {"SELECT * FROM People WHERE Name = :p", ftString, Variant("O'Brien"), "O'Brien"},
      {"SELECT * FROM People WHERE Name = :p", ftString, Variant("x' OR 'a'='a"), ""},
      {"SELECT * FROM People WHERE Rate = :p", ftFloat, Variant(0.1), "Ann"},
      {"SELECT * FROM People WHERE Born = :p", ftDateTime, Variant::FromDate(EncodeDateTime(1999, 3, 1, 14, 5, 9, 0)),
       "Ann"},
      // A value that looks like the next placeholder stays a value.
      {"SELECT * FROM People WHERE Name = :p OR Name = :q", ftString, Variant("x :q"), "Ann"},
  };
  for (const Case& c : cases) {
    auto rs = Make(rtQuery, c.statement);
    rs->SQLParameter()[0].SetDataType(c.type);
    rs->SQLParameter()[0].SetValue(c.value);
    if (rs->SQLParameter().Count() > 1) rs->SQLParameter()[1].SetAsString("Ann");
    rs->Open();
    EXPECT_EQ(Walk(*rs), c.found) << c.statement;
  }
}

TEST_F(ParametersTest, UnboundParametersComeFromTheMaster) {
  auto master = Make(rtTable, "Wanted");
  master->SetIndex("PK");
  TDataSource source;
  source.SetName("WantedSource");
  source.SetDataSet(master.get());
  master->Open();
  auto detail = Make(rtQuery, "SELECT * FROM People WHERE Name = :Who");
  detail->SetMasterSource(&source);
  detail->SetDetailUpdateDelay(0);
  detail->Open();
  EXPECT_EQ(Walk(*detail), "O'Brien");
  master->Next();
  EXPECT_EQ(Walk(*detail), "") << "a crafted master value finds nothing";
  master->Next();
  EXPECT_EQ(Walk(*detail), "Ann");
  EXPECT_EQ(detail->SQLParameter()[0].DataType(), ftString);
  EXPECT_FALSE(detail->SQLParameter()[0].Bound()) << "taken anew at each preparation";

  // A value the application set is not overwritten from the master.
  detail->SQLParameter()[0].SetAsString("x");
  master->First();
  EXPECT_EQ(Walk(*detail), "x");
}

TEST_F(ParametersTest, PreparingRefusesWhatCannotBeFilled) {
  auto master = Make(rtTable, "Wanted");
  TDataSource source;
  source.SetName("WantedSource");
  auto detail = Make(rtQuery, "SELECT * FROM People WHERE Name = :Who");
  detail->SetMasterSource(&source);
  const Raised no_dataset = RaisedBy([&] { detail->GetPreparedSQLStatement(); });
  EXPECT_EQ(no_dataset.text, Format(ResString(kResMasterSourceWithoutDataSet), "WantedSource"));
  EXPECT_EQ(no_dataset.method, "GetLinkedParameterValues");
  master->SetName("WantedRs");
  source.SetDataSet(master.get());
  EXPECT_EQ(RaisedBy([&] { detail->GetPreparedSQLStatement(); }).text,
            Format(ResString(kResMasterRecordsetClosed), "WantedRs"));
  master->Open();
  detail->SetSQLText("SELECT * FROM People WHERE Name = :Nobody");
  EXPECT_EQ(RaisedBy([&] { detail->Open(); }).text,
            Format(ResString(kResUnboundFieldNotFound), "Nobody", "WantedRs", "WantedSource"));
  EXPECT_FALSE(detail->Active());

  // Without a master, a placeholder used twice needs a value for each item.
  auto twice = Make(rtQuery, "SELECT * FROM People WHERE Name = :n OR Name = :n");
  twice->SQLParameter()[0].SetAsString("Ann");
  const Raised unknown = RaisedBy([&] { twice->Open(); });
  EXPECT_EQ(unknown.text, Format(ResString(kResParamUnknownDataType), "n"));
  EXPECT_FALSE(twice->Active());
  twice->SQLParameter()[1].SetAsString("x");
  twice->Open();
  EXPECT_EQ(Walk(*twice), "Ann,x");
}

TEST_F(ParametersTest, ASavedQueryTakesItsParametersFromTheMaster) {
  database_->DatabaseObject()->CreateQueryDef("PersonNamed", "PARAMETERS Who Text; SELECT * FROM People WHERE Name = Who");
  auto master = Make(rtTable, "Wanted");
  master->SetIndex("PK");
  TDataSource source;
  source.SetDataSet(master.get());
  master->Open();
  auto detail = Make(rtStoredProcedure, "PersonNamed");
  detail->SetMasterSource(&source);
  detail->SetDetailUpdateDelay(0);
  detail->Open();
  EXPECT_EQ(Walk(*detail), "O'Brien");
  master->Next();
  EXPECT_EQ(Walk(*detail), "");
  master->Next();
  EXPECT_EQ(Walk(*detail), "Ann");
}

TEST_F(ParametersTest, MissingSavedQueryValuesAreAskedFor) {
  database_->DatabaseObject()->CreateQueryDef("PersonNamed", "PARAMETERS Who Text; SELECT * FROM People WHERE Name = Who");
  auto rs = Make(rtStoredProcedure, "PersonNamed");
  int asked = 0;
  SetEditSQLParametersHook([&](TDAORecordset& recordset) {
    ++asked;
    EXPECT_EQ(&recordset, rs.get());
    recordset.GetStoredProcParameters()->Item("Who")->SetValue(Variant("O'Brien"));
  });
  gui_->ExpectMessageBox(IDOK)
      .Text(Format(ResString(kResStoredProcParamWithoutValue), "Who", "PersonNamed", "DAORecordset1"))
      .Caption("Information");
  rs->Open();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Walk(*rs), "O'Brien");
  rs->Close();
  rs->Open();  // the value is kept: nobody is asked again
  EXPECT_EQ(asked, 1);

  // A dialog that leaves a value missing: closed, without a second message.
  database_->DatabaseObject()->CreateQueryDef("Two", "PARAMETERS A Text, B Text; SELECT * FROM People WHERE Name = A OR Name = B");
  auto two = Make(rtStoredProcedure, "Two");
  SetEditSQLParametersHook([](TDAORecordset& recordset) { recordset.GetStoredProcParameters()->Item("A")->SetValue(Variant("x")); });
  gui_->ExpectMessageBox(IDOK).TextContains("SQL Parameter 'A'");
  EXPECT_FALSE(RaisedBy([&] { two->Open(); }).Any());
  EXPECT_FALSE(two->Active());
  gui_->Verify();

  auto nameless = Make(rtStoredProcedure, "");
  EXPECT_EQ(RaisedBy([&] { nameless->GetStoredProcParameters(); }).text, ResString(kResStoredProcNameEmpty));
  nameless->SetDAODatabase(nullptr);
  EXPECT_EQ(RaisedBy([&] { nameless->GetStoredProcParameters(); }).text, ResString(kResStoredProcNeedsDatabase));
}

// A statement declaring PARAMETERS opens through a temporary query made from it: its values
// are asked for as a saved query's are (without the message), a dialog that leaves one out
// opens nothing, and the query is asked for only while the dialog runs.
TEST_F(ParametersTest, AStatementsTemporaryQueryTakesTheValuesItDeclares) {
  const std::string statement = "PARAMETERS Who Text, Least Double; SELECT * FROM People WHERE Name = Who OR Rate >= Least";
  struct Case {
    const char* what;
    const char* who;    // null: left without a value
    const char* least;
    bool opens;
    const char* rows;
  } cases[] = {
      {"both given", "O'Brien", "1", true, "O'Brien,x"},
      {"one left out", "Ann", nullptr, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto rs = Make(rtQuery, statement);
    auto query = database_->DatabaseObject()->CreateQueryDef("", statement);
    rs->SetStatementQuery(query);
    int asked = 0;
    SetEditSQLParametersHook([&](TDAORecordset& recordset) {
      ++asked;
      ASSERT_EQ(recordset.ParameterQuery(), query);
      auto parameters = recordset.ParameterQuery()->Parameters();
      if (c.who) parameters->Item("Who")->SetValue(Variant(c.who));
      if (c.least) parameters->Item("Least")->SetValue(Variant(c.least));
    });
    EXPECT_FALSE(RaisedBy([&] { rs->Open(); }).Any());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(rs->ParameterQuery(), nullptr) << "only while asking";
    EXPECT_EQ(rs->Active(), c.opens);
    if (!c.opens) continue;
    EXPECT_EQ(Walk(*rs), c.rows);
    rs->Close();
    rs->Open();  // the values stay with the query: nobody is asked again
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(RaisedBy([&] { rs->SetStatementQuery(nullptr); }).text,
              Format(ResString(kResRecordsetPropertyWhileActive), "StatementQuery"));
    rs->Close();
    rs->SetStatementQuery(nullptr);  // the statement again, which cannot take the values
    EXPECT_NE(RaisedBy([&] { rs->Open(); }).message.find("Too few parameters"), std::string::npos);
  }
  gui_->Verify();
}

TEST_F(ParametersTest, CircularLinksAreRefused) {
  auto a = Make(rtQuery, "SELECT * FROM People");
  auto b = Make(rtQuery, "SELECT * FROM People");
  TDataSource source_a, source_b;
  source_a.SetDataSet(a.get());
  source_b.SetDataSet(b.get());
  const Raised self = RaisedBy([&] { a->SetMasterSource(&source_a); });
  EXPECT_EQ(self.text, ResString(kResCircularDataLink));
  EXPECT_EQ(self.method, "SetDataSource");
  a->SetMasterSource(&source_b);
  EXPECT_EQ(RaisedBy([&] { b->SetMasterSource(&source_a); }).text, ResString(kResCircularDataLink));
  EXPECT_EQ(b->MasterSource(), nullptr);
}

TEST_F(ParametersTest, ADelayWithoutMasterIsTakenWithANoteAtDesignTime) {
  auto rs = Make(rtQuery, "SELECT * FROM People");
  rs->SetDetailUpdateDelay(50);  // running program: no note
  rs->SetDesigning(true);
  gui_->ExpectMessageBox(IDOK).Text(ResString(kResDetailDelayWithoutMaster)).Caption("Information");
  rs->SetDetailUpdateDelay(100);
  EXPECT_EQ(rs->DetailUpdateDelay(), 100);
  gui_->Verify();
}

}  // namespace
}  // namespace qb::test
