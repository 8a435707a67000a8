// The fixture of quill's command tests: quill run with a private config folder and cheap
// hashing, files in a temporary folder, and short forms for a success and a one-line failure.
#pragma once
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run_quill.h"
#include "support/test_support.h"

namespace qb::cli::test {

using Env = std::map<std::string, std::string>;
using ::testing::HasSubstr;

// The names in FOLDER, sorted, so that a left-over temporary file shows.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class QuillTest : public ::testing::Test {
 protected:
  QuillRun Quill(const std::vector<std::string>& args, Env env = {}, const std::string& input = {}) {
    env.emplace("QUILL_TEST_FAST_HASH", "1");
    env.emplace("XDG_CONFIG_HOME", config_.Path().string());
    return RunQuill(args, env, input);
  }
  QuillRun QuillWritingTo(const std::string& stdout_path, const std::vector<std::string>& args) {
    return RunQuillWritingTo(stdout_path, args, {{"QUILL_TEST_FAST_HASH", "1"}, {"XDG_CONFIG_HOME", config_.Path().string()}});
  }
  // Expects success with nothing on stderr; returns standard output.
  std::string Ok(const std::vector<std::string>& args, Env env = {}, const std::string& input = {}) {
    QuillRun run = Quill(args, std::move(env), input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }
  // Expects RUN to have failed with STATUS, nothing on stdout and one "quill: " line on stderr;
  // returns that line.
  static std::string Failed(const QuillRun& run, int status = 1) {
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("quill: ", 0), 0u) << run.err;
    return run.err;
  }
  std::string Fails(const std::vector<std::string>& args, int status = 1, Env env = {},
                    const std::string& input = {}) {
    return Failed(Quill(args, std::move(env), input), status);
  }
  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string Script(const std::string& name, const std::string& text) {
    qb::test::WriteFileBytes(File(name), text);
    return File(name);
  }

  qb::test::TempDir dir_;
  qb::test::TempDir config_;
};

}  // namespace qb::cli::test
