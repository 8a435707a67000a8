// The fields layer tests' fixture.
#include "fields/fields_fixture.h"

#include "engine/dao_globals.h"
#include "engine/dao_registration.h"
#include "fields/dao_field_registration.h"
#include "jet/dao/dbengine.h"

namespace qb::test {

namespace {
// The text after LABEL up to the end of its line, in a detailed message.
std::string DetailLine(const std::string& message, const std::string& label) {
  size_t at = message.find(label);
  if (at == std::string::npos) return {};
  at += label.size();
  while (at < message.size() && message[at] == ' ') ++at;
  const size_t end = message.find("\r\n", at);
  return message.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string DetailText(const std::string& message) {
  const std::string dashes = "---------------\r\n";
  size_t start = message.find(dashes);
  const size_t end = message.rfind("\r\n\r\n");
  if (start == std::string::npos || end == std::string::npos || end < start + dashes.size()) return message;
  start += dashes.size();
  return message.substr(start, end - start);
}
}  // namespace

Raised Describe(const Exception& e) {
  return {e.ClassName(), DetailText(e.Message()), DetailLine(e.Message(), "Method Name:")};
}

void FieldsLayerTest::SetUp() {
  TEST_ResetDAOState();
  TEST_SetEngineSettings(jet::EngineSettings::ForTests());
  RegisterDAOComponentClasses();
  RegisterDAOFieldClasses();
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
  const std::string file = dir_.File("data.mdb");
  engine_->CreateDatabase(file, "1033");
  database_ = std::make_unique<TDAODataBase>();
  database_->SetName("DAODataBase1");
  database_->SetDatabaseFile(file);
  database_->Open();
}

void FieldsLayerTest::TearDown() {
  database_.reset();
  engine_.reset();
  gui_.reset();
  TEST_ResetDAOState();
}

std::unique_ptr<TDAORecordset> FieldsLayerTest::OpenTable(const std::string& table) {
  auto rs = std::make_unique<TDAORecordset>();
  rs->SetName("DAORecordset1");
  rs->SetDAODatabase(database_.get());
  rs->SetRecordSetType(rtTable);
  rs->SetTableName(table);
  rs->Open();
  return rs;
}

}  // namespace qb::test
