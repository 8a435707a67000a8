// A private PostgreSQL server for the tests and the benches: initdb into a temporary folder,
// started listening only on a Unix socket in that folder (no TCP), stopped and removed by Stop or
// the destructor. As root the server runs as 'nobody'. No test framework here, so that the
// benches can use it too.
//
// A run that is killed (a timeout, say) cannot stop its servers. Each folder names the process
// that made it; the next start removes the folders of processes that are gone, and a server whose
// folder is gone shuts itself down (it checks its lock file about once a minute).
#pragma once
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qb::test {

// The library of an installed ODBC driver ("psqlodbcw.so"), or "" when it is not installed.
inline std::string OdbcDriverPath(const std::string& library) {
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc",
                          "/usr/lib64", "/usr/local/lib"}) {
    const std::filesystem::path path = std::filesystem::path(dir) / library;
    if (std::filesystem::exists(path)) return path.string();
  }
  return {};
}

class PostgresProcess {
 public:
  PostgresProcess(std::string user, std::string password) : user_(std::move(user)), password_(std::move(password)) {}
  ~PostgresProcess() { Stop(); }
  PostgresProcess(const PostgresProcess&) = delete;
  PostgresProcess& operator=(const PostgresProcess&) = delete;

  // Makes and starts the server; false with WHY_NOT set when PostgreSQL is missing or it fails.
  bool Start(std::string* why_not) {
    bin_ = FindBin();
    if (bin_.empty()) return Fail(why_not, "PostgreSQL (initdb) is not installed");
    RemoveOrphans("/tmp");
    char pattern[] = "/tmp/qb-odbc-pg-XXXXXX";
    if (!::mkdtemp(pattern)) return Fail(why_not, "no temporary folder for the server");
    dir_ = pattern;
    std::ofstream(dir_ + "/owner") << ::getpid() << "\n";
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
      std::ofstream(dir_ + "/pw") << password_ << "\n";
    }
    for (const std::string& path : {dir_, dir_ + "/pw"}) {
      if (::chown(path.c_str(), uid_, gid_) != 0) return Fail(why_not, "cannot hand the server folder to its user");
    }
    if (Run({bin_ + "/initdb", "-D", dir_ + "/data", "-U", user_, "--pwfile=" + dir_ + "/pw",
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
      std::filesystem::remove_all(dir_, ec);
      dir_.clear();
    }
  }

  // Removes the server folders under TMP whose making process is gone. Folders without an owner
  // (made by older runs) and those of live processes are left alone.
  static void RemoveOrphans(const std::filesystem::path& tmp) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tmp, ec)) {
      if (entry.path().filename().string().rfind("qb-odbc-pg-", 0) != 0) continue;
      long owner = 0;
      std::ifstream(entry.path() / "owner") >> owner;
      if (owner <= 0 || ::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
      std::filesystem::remove_all(entry.path(), ec);
    }
  }

  const std::string& SocketDir() const { return dir_; }
  const std::string& User() const { return user_; }
  const std::string& Password() const { return password_; }

  // "ODBC;DRIVER={...};Servername=...;Port=...;Database=postgres;UID=..." followed by ";PWD=..."
  // when WITH_PASSWORD.
  std::string Connect(const std::string& driver, bool with_password = true) const {
    std::string text = "ODBC;DRIVER={" + driver + "};Servername=" + dir_ + ";Port=5432;Database=postgres;UID=" + user_;
    if (with_password) text += ";PWD={" + password_ + "}";
    return text;
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

  static std::string Tail(const std::string& path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
  }

  static bool Fail(std::string* why_not, const std::string& reason) {
    if (why_not) *why_not = reason;
    return false;
  }

  // Runs ARGV as the server's user in the server's folder; its output goes to setup.log.
  int Run(const std::vector<std::string>& argv) const {
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

  std::string user_, password_;
  std::string bin_, dir_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  bool running_ = false;
};

}  // namespace qb::test
