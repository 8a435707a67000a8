// cli/session: engine creation, password sources (environment, terminal without echo, standard
// input) and the login.
#include "cli/session.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/command_line.h"

namespace qb::cli {
namespace {

void TrimLineEnd(std::string& line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
}

// Reads one line from the terminal with echo off, prompting on standard error.
std::string ReadHiddenLine(const char* prompt) {
  std::fputs(prompt, stderr);
  std::fflush(stderr);
  termios saved {};
  const bool restore = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (restore) {
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  std::getline(std::cin, line);
  if (restore) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::fputs("\n", stderr);
  TrimLineEnd(line);
  return line;
}

}  // namespace

std::shared_ptr<jet::DBEngine> MakeEngine() {
  jet::EngineSettings settings;
  const char* fast = std::getenv("QUILL_TEST_FAST_HASH");
  if (fast && std::string(fast) == "1") {
    const jet::EngineSettings cheap = jet::EngineSettings::ForTests();
    settings.hash_ops_limit = cheap.hash_ops_limit;
    settings.hash_mem_limit = cheap.hash_mem_limit;
  }
  return jet::CreateDBEngine(settings);
}

std::string PasswordFromEnvironment(const std::string& name, const std::string& what) {
  const char* value = std::getenv(name.c_str());
  if (!value) throw UsageError("the environment variable " + name + " for " + what + " is not set");
  return value;
}

std::string LoginPassword(const GlobalOptions& options) {
  if (!options.password_env.empty() && options.ask_password) {
    throw UsageError("give either --password-env or --ask-password, not both");
  }
  if (!options.password_env.empty()) return PasswordFromEnvironment(options.password_env, "the password");
  if (!options.ask_password) return std::string();
  if (::isatty(STDIN_FILENO)) return ReadHiddenLine("Password: ");
  std::string line;
  std::getline(std::cin, line);
  TrimLineEnd(line);
  return line;
}

std::shared_ptr<jet::Workspace> LogIn(jet::DBEngine& engine, const GlobalOptions& options) {
  engine.SetSystemDB(options.workgroup);
  return engine.CreateWorkspace("quill", options.user, LoginPassword(options), jet::kUseJet);
}

}  // namespace qb::cli
