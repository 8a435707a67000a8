// Runs quill in a child process with its output captured in temporary files or a terminal.
#include "run_quill.h"

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

extern char** environ;

namespace qb::cli::test {
namespace {

// Starts quill with ARGS and the test's environment plus ENV, its files set up by ACTIONS.
pid_t SpawnQuill(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                 const posix_spawn_file_actions_t& actions) {
  const std::string program = std::string(QB_BIN_DIR) + "/quill";
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : argv_text) argv.push_back(word.data());
  argv.push_back(nullptr);

  std::vector<std::string> env_text;
  for (char** entry = environ; *entry; ++entry) {
    std::string item = *entry;
    if (!env.count(item.substr(0, item.find('=')))) env_text.push_back(item);
  }
  for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& item : env_text) envp.push_back(item.data());
  envp.push_back(nullptr);

  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
    throw std::runtime_error("cannot start " + program);
  }
  return child;
}

// Runs quill with INPUT on standard input, standard output to STDOUT_PATH (a file of its own
// when empty) and standard error captured.
QuillRun RunWith(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                 const std::string& input, const std::string& stdout_path) {
  qb::test::TempDir io;
  const std::string in_path = io.File("in"), out_path = io.File("out"), err_path = io.File("err");
  qb::test::WriteFileBytes(in_path, input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
  if (stdout_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, stdout_path.c_str(), O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  try {
    child = SpawnQuill(args, env, actions);
  } catch (...) {
    posix_spawn_file_actions_destroy(&actions);
    throw;
  }
  posix_spawn_file_actions_destroy(&actions);

  int wait_status = 0;
  ::waitpid(child, &wait_status, 0);
  QuillRun run;
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  if (stdout_path.empty()) run.out = qb::test::ReadFileBytes(out_path);
  run.err = qb::test::ReadFileBytes(err_path);
  return run;
}

}  // namespace

QuillRun RunQuill(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                  const std::string& input) {
  return RunWith(args, env, input, std::string());
}

QuillRun RunQuillWritingTo(const std::string& stdout_path, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  return RunWith(args, env, std::string(), stdout_path);
}

std::string RunQuillOnTerminal(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
  int master = -1, slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "no pseudo-terminal";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, slave, 2);
  pid_t child = -1;
  try {
    child = SpawnQuill(args, env, actions);
  } catch (...) {
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(slave);
  std::string seen;
  if (child > 0) {
    // Read while it runs: the terminal's buffer is small.
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(master, buffer, sizeof buffer)) > 0) seen.append(buffer, static_cast<std::size_t>(got));
    ::waitpid(child, nullptr, 0);
  }
  ::close(master);
  return seen;
}

}  // namespace qb::cli::test
