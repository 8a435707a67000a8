// The private PostgreSQL server of the ODBC tests: initdb into a temporary folder, pg_ctl start
// on a socket in that folder only, as an unprivileged user when the tests run as root.
#include "odbc_servers.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace qb::jet::test {
namespace {

namespace fs = std::filesystem;

std::string FindPostgresBin() {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    if (fs::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
  }
  if (found.empty()) return {};
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.parent_path().filename().string()) < std::stoi(b.parent_path().filename().string());
  });
  return found.back().string();
}

std::string Tail(const std::string& path) {
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

class PostgresProcess {
 public:
  ~PostgresProcess() { Stop(); }

  bool Start(std::string* why_not) {
    info_.driver = OdbcDriverPath("psqlodbcw.so");
    if (info_.driver.empty()) return Fail(why_not, "the PostgreSQL ODBC driver (psqlodbcw.so) is not installed");
    bin_ = FindPostgresBin();
    if (bin_.empty()) return Fail(why_not, "PostgreSQL (initdb) is not installed");
    char pattern[] = "/tmp/qb-odbc-pg-XXXXXX";
    if (!::mkdtemp(pattern)) return Fail(why_not, "no temporary folder for the server");
    dir_ = pattern;
    info_.socket_dir = dir_;
    if (::geteuid() == 0) {
      const passwd* account = ::getpwnam("nobody");
      if (!account) return Fail(why_not, "running as root and no unprivileged user 'nobody' to run the server");
      uid_ = account->pw_uid;
      gid_ = account->pw_gid;
    } else {
      uid_ = ::geteuid();
      gid_ = ::getegid();
    }
    {
      std::ofstream(dir_ + "/pw") << info_.password << "\n";
    }
    for (const std::string& path : {dir_, dir_ + "/pw"}) {
      if (::chown(path.c_str(), uid_, gid_) != 0) return Fail(why_not, "cannot hand the server folder to its user");
    }
    if (Run({bin_ + "/initdb", "-D", dir_ + "/data", "-U", info_.user, "--pwfile=" + dir_ + "/pw",
             "--auth=scram-sha-256", "-E", "UTF8", "--no-locale", "--no-sync"}) != 0) {
      return Fail(why_not, "initdb failed: " + Tail(dir_ + "/setup.log"));
    }
    if (Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-l", dir_ + "/server.log", "-w", "-t", "60", "-o",
             "-c listen_addresses='' -k '" + dir_ + "' -p 5432 -c fsync=off", "start"}) != 0) {
      return Fail(why_not, "the server did not start: " + Tail(dir_ + "/server.log"));
    }
    running_ = true;
    return true;
  }

  void Stop() {
    if (running_) Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"});
    running_ = false;
    if (!dir_.empty()) {
      std::error_code ec;
      fs::remove_all(dir_, ec);
      dir_.clear();
    }
  }

  const PostgresInfo& Info() const { return info_; }

 private:
  bool Fail(std::string* why_not, const std::string& reason) {
    if (why_not) *why_not = reason;
    return false;
  }

  // Runs ARGV as the server's user in the server's folder; its output goes to setup.log.
  int Run(const std::vector<std::string>& argv) {
    const std::string log = dir_ + "/setup.log";
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
      const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
      }
      if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0)) ::_exit(126);
      if (::chdir(dir_.c_str()) != 0) ::_exit(126);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  PostgresInfo info_;
  std::string bin_;
  std::string dir_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  bool running_ = false;
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

std::string OdbcDriverPath(const std::string& library) {
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc",
                          "/usr/lib64", "/usr/local/lib"}) {
    const fs::path path = fs::path(dir) / library;
    if (fs::exists(path)) return path.string();
  }
  return {};
}

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
