// Runs the built quill as a user would: arguments, environment additions and standard input in;
// exit status, standard output and standard error out.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace qb::cli::test {

struct QuillRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs QB_BIN_DIR/quill with ARGS, the test's environment plus ENV, and INPUT on standard input.
QuillRun RunQuill(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
                  const std::string& input = {});

// RunQuill with standard output written to the file STDOUT_PATH (opened for writing, not
// created: "/dev/full" makes every write fail); QuillRun::out stays empty.
QuillRun RunQuillWritingTo(const std::string& stdout_path, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env = {});

// Runs quill with standard error on a pseudo-terminal and standard output to /dev/null; returns
// what the terminal showed (it turns "\n" into "\r\n").
std::string RunQuillOnTerminal(const std::vector<std::string>& args, const std::map<std::string, std::string>& env);

}  // namespace qb::cli::test
