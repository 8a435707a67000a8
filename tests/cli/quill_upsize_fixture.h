// The fixture of quill upsize's tests on the private PostgreSQL server: the test skipped without
// the server, a new database file of its own to upsize from, and the server's tables the test may
// make dropped before and after it.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "../jet/odbc/odbc_servers.h"
#include "quill_test.h"

namespace qb::cli::test {

class QuillUpsizeFixture : public QuillTest {
 protected:
  // FILE: the name of the database file created for the test; TABLES: the server's tables.
  QuillUpsizeFixture(std::string file, std::vector<std::string> tables)
      : file_(std::move(file)), tables_(std::move(tables)) {}

  void SetUp() override {
    std::string why_not;
    server_ = jet::test::PrivatePostgres(&why_not);
    if (!server_) GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_not;
    connect_ = jet::test::PostgresConnect(*server_) + ";BoolsAsChar=0";
    Ok({"db", "create", File(file_)});
    Drop();
  }
  void TearDown() override {
    if (server_) Drop();
  }
  void Drop() {
    for (const std::string& table : tables_) Quill({"sql", connect_, "DROP TABLE IF EXISTS \"" + table + "\""});
  }

  const jet::test::PostgresInfo* server_ = nullptr;
  std::string connect_;

 private:
  const std::string file_;
  const std::vector<std::string> tables_;
};

}  // namespace qb::cli::test
