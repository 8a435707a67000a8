// Runs quill in a child process with its output captured in temporary files.
#include "run_quill.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

extern char** environ;

namespace qb::cli::test {

QuillRun RunQuill(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                  const std::string& input) {
  qb::test::TempDir io;
  const std::string in_path = io.File("in"), out_path = io.File("out"), err_path = io.File("err");
  qb::test::WriteFileBytes(in_path, input);

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

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  int rc = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + program);

  int wait_status = 0;
  ::waitpid(child, &wait_status, 0);
  QuillRun run;
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  run.out = qb::test::ReadFileBytes(out_path);
  run.err = qb::test::ReadFileBytes(err_path);
  return run;
}

}  // namespace qb::cli::test
