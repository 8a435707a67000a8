// A private PostgreSQL server for the benches: initdb into a temporary folder, started on a
// Unix socket in that folder only (no TCP), stopped and removed by the destructor. As root the
// server runs as 'nobody'. Started() is false with WhyNot() set when PostgreSQL is missing.
#pragma once
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qb::bench {

class PgServer {
 public:
  PgServer() { started_ = Start(); }
  ~PgServer() {
    if (started_) Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"});
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  bool Started() const { return started_; }
  const std::string& WhyNot() const { return why_not_; }
  const std::string& Bin() const { return bin_; }
  const std::string& SocketDir() const { return dir_; }
  const std::string user = "quill";
  const std::string password = "bench-pw";

  std::string Connect(const std::string& driver) const {
    return "ODBC;DRIVER={" + driver + "};Servername=" + dir_ + ";Port=5432;Database=postgres;UID=" + user +
           ";PWD={" + password + "}";
  }

  // Runs ARGV as the server's user; output goes to setup.log. Returns the exit status.
  int Run(const std::vector<std::string>& argv, const std::string& env = {}) const {
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
      if (!env.empty()) ::putenv(const_cast<char*>(env.c_str()));
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

 private:
  static std::string FindBin() {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
      if (std::filesystem::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
    }
    if (found.empty()) return {};
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return std::stoi(a.parent_path().filename().string()) < std::stoi(b.parent_path().filename().string());
    });
    return found.back().string();
  }

  bool Fail(const std::string& why) {
    why_not_ = why;
    return false;
  }

  bool Start() {
    bin_ = FindBin();
    if (bin_.empty()) return Fail("PostgreSQL (initdb) is not installed");
    char pattern[] = "/tmp/qb-bench-pg-XXXXXX";
    if (!::mkdtemp(pattern)) return Fail("no temporary folder for the server");
    dir_ = pattern;
    if (::geteuid() == 0) {
      const passwd* account = ::getpwnam("nobody");
      if (!account) return Fail("running as root and no user 'nobody' to run the server");
      uid_ = account->pw_uid;
      gid_ = account->pw_gid;
    } else {
      uid_ = ::geteuid();
      gid_ = ::getegid();
    }
    { std::ofstream(dir_ + "/pw") << password << "\n"; }
    for (const std::string& path : {dir_, dir_ + "/pw"}) {
      if (::chown(path.c_str(), uid_, gid_) != 0) return Fail("cannot hand the server folder to its user");
    }
    if (Run({bin_ + "/initdb", "-D", dir_ + "/data", "-U", user, "--pwfile=" + dir_ + "/pw", "--auth=scram-sha-256",
             "-E", "UTF8", "--no-locale", "--no-sync"}) != 0) {
      return Fail("initdb failed (see " + dir_ + "/setup.log)");
    }
    if (Run({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-l", dir_ + "/server.log", "-w", "-t", "60", "-o",
             "-c listen_addresses='' -k '" + dir_ + "' -p 5432 -c fsync=off", "start"}) != 0) {
      return Fail("the server did not start (see " + dir_ + "/server.log)");
    }
    return true;
  }

  std::string bin_, dir_, why_not_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  bool started_ = false;
};

}  // namespace qb::bench
