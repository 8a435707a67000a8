// cli/upsize_target: the run's statements and rows on the data source's own connection.
#include "cli/upsize_target.h"

#include "cli/upsize_rows.h"
#include "jet/dao/error_numbers.h"
#include "jet/odbc/data_source.h"

namespace qb::cli {
namespace {

class OdbcTarget : public UpsizeTarget {
 public:
  explicit OdbcTarget(jet::odbc::DataSource& server) : server_(server) {}
  const char* RowPath() const override { return "INSERT statements"; }
  void Execute(const std::string& sql) override { server_.Execute(sql, 0); }
  void Begin() override { server_.BeginTrans(); }
  void Commit() override { server_.CommitTrans(); }
  void RollbackQuietly() override {
    try {
      if (server_.IsOpen() && server_.TransactionDepth() > 0) server_.Rollback();
    } catch (...) {
      // The connection is gone: the server has dropped the transaction with it.
    }
  }
  std::unique_ptr<UpsizeRows> Rows(const std::string& table, std::vector<UpsizeColumn> columns) override {
    return std::make_unique<UpsizeRowWriter>(server_, table, std::move(columns));
  }

 private:
  jet::odbc::DataSource& server_;
};

}  // namespace

void RaiseZeroCharacter(long long row, const std::string& field, const std::string& table) {
  jet::RaiseJetError(jet::err::kConversion, "The text in row " + std::to_string(row) + " of the field '" + field +
                                                "' of the table '" + table +
                                                "' holds a 0 character, which the data source's text cannot hold.");
}

std::unique_ptr<UpsizeTarget> OdbcUpsizeTarget(jet::odbc::DataSource& server) {
  return std::make_unique<OdbcTarget>(server);
}

}  // namespace qb::cli
