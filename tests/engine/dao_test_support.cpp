// Fixture and helpers of the data-access component tests.
#include "dao_test_support.h"

#include "engine/dao_globals.h"
#include "engine/dao_registration.h"
#include "framework/component/class_registry.h"
#include "jet/dao/dbengine.h"

namespace qb::test {

void DAOTest::SetUp() {
  TEST_ResetDAOState();
  TEST_SetEngineSettings(jet::EngineSettings::ForTests());
  RegisterDAOComponentClasses();
  RegisterComponentClass<TDAOTestForm>("TDAOTestForm");
  ScriptedGui::SetFailureReporter([](const std::string& problems) {
    ADD_FAILURE() << "scripted GUI problems:\n" << problems;
  });
  gui_ = std::make_unique<ScriptedGui>();
  workgroup_ = MakeWorkgroup();
}

void DAOTest::TearDown() {
  gui_.reset();
  TEST_ResetDAOState();
}

std::string DAOTest::MakeWorkgroup(const std::string& name) {
  const std::string path = dir_.File(name);
  jet::CreateDBEngine(jet::EngineSettings::ForTests())->CreateWorkgroup(path);
  return path;
}

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

std::string ExpectedDetail(const std::string& name, const std::string& type, const std::string& method,
                           const std::string& address, const std::string& message) {
  return "Exeption in Application: ENGINE_TESTS\r\n\r\n"
         "Component Name:   " + name + "\r\n"
         "Component Type:    " + type + "\r\n"
         "Method Name:         " + method + "\r\n"
         "Address:                   " + address + "\r\n\r\n"
         "Message:\r\n---------------\r\n" + message + "\r\n\r\n";
}

}  // namespace qb::test
