// Helpers of the fields layer tests: an engine, a workgroup and a real database file, a
// connected database component, recordsets on it with the fields layer's classes installed,
// and what an action raised.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/exception.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "framework/gui/scripted_gui.h"
#include "recordset/dao_recordset.h"
#include "support/test_support.h"

namespace qb::test {

// What an action raised: class, the "Message:" and "Method Name:" parts of a detailed message
// (the whole message when it is not one).
struct Raised {
  std::string type;
  std::string text;
  std::string method;
  bool Any() const { return !type.empty(); }
};

Raised Describe(const Exception& error);

template <class Action>
Raised RaisedBy(Action&& action) {
  try {
    action();
  } catch (const Exception& e) {
    return Describe(e);
  }
  return {};
}

class FieldsLayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // An open table-type recordset on TABLE.
  std::unique_ptr<TDAORecordset> OpenTable(const std::string& table);
  void Exec(const std::string& sql) { database_->Execute(sql); }

  TempDir dir_;
  std::unique_ptr<ScriptedGui> gui_;
  std::unique_ptr<TDAOEngine> engine_;
  std::unique_ptr<TDAODataBase> database_;
};

}  // namespace qb::test
