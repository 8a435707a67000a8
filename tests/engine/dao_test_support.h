// Helpers of the data-access component tests: a fixture that resets the components' shared
// state, lowers the engine's costs, installs a scripted GUI and makes a workgroup file in a
// temporary folder; catching EDAOError; reading the fields of a detailed message.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/exception.h"
#include "engine/dao_errors.h"
#include "framework/component/form_registry.h"
#include "framework/gui/scripted_gui.h"
#include "support/test_support.h"

namespace qb::test {

// A form without a window for form-text tests.
class TDAOTestForm : public TDataModule {
 public:
  using TDataModule::TDataModule;
  const char* ClassName() const override { return "TDAOTestForm"; }
};

class DAOTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new workgroup file in the temporary folder (Admin without password, Admins, Users).
  std::string MakeWorkgroup(const std::string& name = "system.mdw");

  TempDir dir_;
  std::string workgroup_;        // made by SetUp
  std::unique_ptr<ScriptedGui> gui_;
};

// What an action raised: the class name and the message, or empty fields when nothing.
struct Raised {
  std::string type;
  std::string message;
  int help_context = 0;
  bool Any() const { return !type.empty(); }
};
template <class Action>
Raised RaisedBy(Action&& action) {
  try {
    action();
  } catch (const Exception& e) {
    return {e.ClassName(), e.Message(), e.HelpContext()};
  }
  return {};
}

// The value after FIELD ("Component Name:") up to the end of its line in a detailed message,
// with the padding blanks removed; for "Message:" the text between the dashes line and the
// closing blank line. Empty when the field is missing.
std::string DetailField(const std::string& message, const std::string& field);

// The detailed message as the engine tests expect it, written out in full.
std::string ExpectedDetail(const std::string& name, const std::string& type, const std::string& method,
                           const std::string& address, const std::string& message);

}  // namespace qb::test
