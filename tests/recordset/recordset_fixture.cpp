// The recordset tests' fixture and helpers.
#include "recordset/recordset_fixture.h"

#include "engine/dao_globals.h"
#include "engine/dao_registration.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/recordset/recordset.h"

namespace qb::test {

namespace {
// The value after FIELD up to the end of its line in a detailed message ("Message:": the text
// between the dashes line and the closing blank line).
std::string DetailField(const std::string& message, const std::string& field) {
  if (field == "Message:") {
    const std::string dashes = "---------------\r\n";
    size_t start = message.find(dashes);
    if (start == std::string::npos) return {};
    start += dashes.size();
    size_t end = message.rfind("\r\n\r\n");
    if (end == std::string::npos || end < start) return {};
    return message.substr(start, end - start);
  }
  size_t at = message.find(field);
  if (at == std::string::npos) return {};
  at += field.size();
  while (at < message.size() && message[at] == ' ') ++at;
  const size_t end = message.find("\r\n", at);
  return message.substr(at, end == std::string::npos ? std::string::npos : end - at);
}
}  // namespace

Raised Describe(const Exception& e) {
  Raised r{e.ClassName(), e.Message(), DetailField(e.Message(), "Method Name:"), DetailField(e.Message(), "Message:"),
           0};
  if (r.text.empty()) r.text = e.Message();
  if (const auto* dao = dynamic_cast<const EDAOError*>(&e)) r.engine_error = dao->EngineError();
  return r;
}

void RecordsetTest::SetUp() {
  TEST_ResetDAOState();
  TEST_SetEngineSettings(jet::EngineSettings::ForTests());
  RegisterDAOComponentClasses();
  ScriptedGui::SetFailureReporter([](const std::string& problems) {
    ADD_FAILURE() << "scripted GUI problems:\n" << problems;
  });
  gui_ = std::make_unique<ScriptedGui>();
  const std::string workgroup = dir_.File("system.mdw");
  jet::CreateDBEngine(jet::EngineSettings::ForTests())->CreateWorkgroup(workgroup);
  engine_ = std::make_unique<TDAOEngine>();
  engine_->SetName("DAOEngine1");
  engine_->SetSystemDB(workgroup);
  engine_->Open();
  file_ = dir_.File("data.mdb");
  engine_->CreateDatabase(file_, "1033");
  database_ = std::make_unique<TDAODataBase>();
  database_->SetName("DAODataBase1");
  database_->SetDatabaseFile(file_);
  database_->Open();
}

void RecordsetTest::TearDown() {
  database_.reset();
  engine_.reset();
  gui_.reset();
  TEST_ResetDAOState();
}

std::unique_ptr<TDAORecordset> RecordsetTest::Make(TRecordSetTypes type, const std::string& source,
                                                   TLockStrategies lock) {
  auto rs = std::make_unique<TDAORecordset>();
  rs->SetName("DAORecordset1");
  rs->SetDAODatabase(database_.get());
  rs->SetRecordSetType(type);
  rs->SetLockStrategy(lock);
  if (type == rtTable || type == rtStoredProcedure)
    rs->SetTableName(source);
  else
    rs->SetSQLText(source);
  return rs;
}

std::string RecordsetTest::Column(const std::string& table, const std::string& column, const std::string& order) {
  std::shared_ptr<jet::Recordset> rs =
      database_->DatabaseObject()->OpenRecordset("SELECT " + column + " FROM " + table + " ORDER BY " + order, 4);
  std::string text;
  while (!rs->Eof()) {
    const Variant& value = rs->Fields()->Item(0)->Value();
    if (!text.empty()) text += ",";
    text += value.IsNull() ? "-" : value.ToString();
    rs->MoveNext();
  }
  return text;
}

std::string RecordsetTest::Walk(TDataSet& rs, const std::string& field, bool backwards) {
  std::string text;
  if (backwards)
    rs.Last();
  else
    rs.First();
  while (!(backwards ? rs.Bof() : rs.Eof())) {
    if (!text.empty()) text += ",";
    text += rs.FieldByName(field)->IsNull() ? "-" : rs.FieldByName(field)->AsString();
    if (backwards)
      rs.Prior();
    else
      rs.Next();
  }
  return text;
}

}  // namespace qb::test
