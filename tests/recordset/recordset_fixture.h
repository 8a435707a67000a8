// Helpers of the recordset component tests: a fixture with an engine, a workgroup and a real
// database file made through the engine component, a database component connected to it, and
// recordsets made on it; reading and catching the components' errors.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/exception.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_errors.h"
#include "framework/gui/scripted_gui.h"
#include "recordset/dao_recordset.h"
#include "support/test_support.h"

namespace qb::test {

// What an action raised: class, message (the detailed message's text part and method), and
// the engine's error number for an EDAOError.
struct Raised {
  std::string type;
  std::string message;  // the whole message
  std::string method;   // "Method Name:" of a detailed message
  std::string text;     // "Message:" of a detailed message, else the message
  int engine_error = 0;
  bool Any() const { return !type.empty(); }
};

template <class Action>
Raised RaisedBy(Action&& action);

Raised Describe(const Exception& error);

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A recordset on the fixture's database, of TYPE over SOURCE (table, statement or saved
  // query, by type), with LOCK; not opened.
  std::unique_ptr<TDAORecordset> Make(TRecordSetTypes type, const std::string& source,
                                      TLockStrategies lock = lkPessimistic);
  // Runs SQL on the fixture's database.
  void Exec(const std::string& sql) { database_->Execute(sql); }
  // The values of COLUMN of TABLE in key order, as text ("-" for Null), joined by ",".
  std::string Column(const std::string& table, const std::string& column, const std::string& order = "Id");
  // FIELD of every record from the first to the last (BACKWARDS: from the last to the
  // first), through the dataset's moves, joined by ",".
  static std::string Walk(TDataSet& rs, const std::string& field = "Name", bool backwards = false);

  TempDir dir_;
  std::string file_;
  std::unique_ptr<ScriptedGui> gui_;
  std::unique_ptr<TDAOEngine> engine_;
  std::unique_ptr<TDAODataBase> database_;
};

template <class Action>
Raised RaisedBy(Action&& action) {
  try {
    action();
  } catch (const Exception& e) {
    return Describe(e);
  }
  return {};
}

}  // namespace qb::test
