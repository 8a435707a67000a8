// Helpers of the query tests: a fresh database per test made through DDL, saved queries stored
// as the catalog keeps them, and values written as short text so one comparison checks a row.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "../database/database_test_support.h"
#include "jet/catalog/catalog_query_schema.h"
#include "jet/dao/database.h"

namespace qb::jet::test {

// "Null", "True"/"False", numbers and text as Variant::ToString gives them, dates as their
// serial, byte arrays as "bytes:N"; each prefixed by its kind when KINDS is set ("Int32:3").
inline std::string ValueText(const Variant& value, bool kinds = false) {
  std::string text;
  if (value.IsNull()) {
    text = "Null";
  } else if (value.Type() == VarType::ByteArray) {
    text = "bytes:" + std::to_string(value.Bytes().size());
  } else if (value.Type() == VarType::Date) {
    text = Variant(value.ToDate()).ToString();
  } else {
    text = value.ToString();
  }
  return kinds ? std::string(VarTypeName(value.Type())) + ":" + text : text;
}

class QueryTestBase : public DatabaseTestBase {
 protected:
  void SetUp() override {
    DatabaseTestBase::SetUp();
    path_ = dir_.File("query.mdb");
    database_ = engine_->CreateDatabase(path_, ";LANGID=0x0409;CP=1252;COUNTRY=0");
  }

  // Runs each statement through Execute.
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) database_->Execute(statement);
  }

  // Stores the saved query NAME with Jet SQL TEXT, as QueryDefs keep them.
  void SaveQuery(const std::string& name, const std::string& text) {
    std::string quoted;
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    database_->TEST_ExecuteSql("INSERT INTO MSysObjects (Name, Type, DateCreated, LastUpdated) VALUES ('" + name +
                               "', 5, 45000, 45000); INSERT INTO MSysQueries (ObjectId, SQL) VALUES "
                               "(last_insert_rowid(), '" + quoted + "')");
    NoteCatalogChanged(database_->File()->EngineConnection(true));
  }

  std::string path_;
  std::shared_ptr<Database> database_;
};

}  // namespace qb::jet::test
