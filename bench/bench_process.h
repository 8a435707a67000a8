// bench_process: running another program as the user would (quill, the SQLite shell) and
// measuring it: wall time and peak resident memory of the child.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace qb::bench {

struct ProcessRun {
  double seconds = -1;  // negative: could not start or failed
  double cpu_seconds = 0;  // user and system time of the child
  long max_rss_kb = 0;
};

// Runs ARGS with ENV added to this process's environment, standard output into OUT_PATH (empty:
// this process's own).
inline ProcessRun RunProcess(const std::vector<std::string>& args, const std::string& out_path,
                             const std::vector<std::string>& env) {
  std::vector<std::string> words = args;
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text(env);
  for (char** entry = environ; *entry; ++entry) env_text.emplace_back(*entry);
  std::vector<char*> envp;
  for (auto& item : env_text) envp.push_back(item.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!out_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int rc = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProcessRun run;
  if (rc != 0) return run;
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.seconds = seconds;
  run.max_rss_kb = usage.ru_maxrss;
  run.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return run;
}

// The SQLite shell to compare with: the sqlcipher shell when installed, else sqlite3; empty
// when there is none.
inline std::string FindShell() {
  for (const char* candidate : {"/usr/bin/sqlcipher", "/usr/bin/sqlite3", "/usr/local/bin/sqlite3"}) {
    if (::access(candidate, X_OK) == 0) return candidate;
  }
  return std::string();
}

}  // namespace qb::bench
