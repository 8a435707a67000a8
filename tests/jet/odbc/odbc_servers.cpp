// The private PostgreSQL server of the ODBC tests, shared by a test program and stopped when it
// ends; support/private_postgres.h makes and starts it.
#include "odbc_servers.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/private_postgres.h"

namespace qb::jet::test {
namespace {

// The private server with the connect values the tests use.
class PostgresProcess {
 public:
  bool Start(std::string* why_not) {
    info_.driver = OdbcDriverPath("psqlodbcw.so");
    if (info_.driver.empty()) {
      if (why_not) *why_not = "the PostgreSQL ODBC driver (psqlodbcw.so) is not installed";
      return false;
    }
    if (!process_.Start(why_not)) return false;
    info_.socket_dir = process_.SocketDir();
    return true;
  }
  void Stop() { process_.Stop(); }
  const PostgresInfo& Info() const { return info_; }

 private:
  PostgresInfo info_;
  qb::test::PostgresProcess process_{info_.user, info_.password};
};

struct Shared {
  std::unique_ptr<PostgresProcess> server;
  bool tried = false;
  std::string why_not;
};

Shared& SharedServer() {
  static Shared shared;
  return shared;
}

// Stops the shared server when the test program ends.
class PostgresEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { SharedServer().server.reset(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

}  // namespace

const PostgresInfo* PrivatePostgres(std::string* why_not) {
  Shared& shared = SharedServer();
  if (!shared.tried) {
    shared.tried = true;
    auto server = std::make_unique<PostgresProcess>();
    if (server->Start(&shared.why_not)) shared.server = std::move(server);
  }
  if (!shared.server && why_not) *why_not = shared.why_not;
  return shared.server ? &shared.server->Info() : nullptr;
}

std::string PostgresConnect(const PostgresInfo& server, bool with_password) {
  std::string text = "ODBC;DRIVER={" + server.driver + "};Servername=" + server.socket_dir +
                     ";Port=5432;Database=postgres;UID=" + server.user;
  if (with_password) text += ";PWD={" + server.password + "}";
  return text;
}

struct OwnPostgres::Impl {
  PostgresProcess server;
  bool started = false;
  std::string why_not;
};

OwnPostgres::OwnPostgres() : impl_(new Impl) { impl_->started = impl_->server.Start(&impl_->why_not); }

OwnPostgres::~OwnPostgres() { delete impl_; }

const PostgresInfo* OwnPostgres::Info(std::string* why_not) const {
  if (!impl_->started && why_not) *why_not = impl_->why_not;
  return impl_->started ? &impl_->server.Info() : nullptr;
}

void OwnPostgres::Stop() { impl_->server.Stop(); }

}  // namespace qb::jet::test
