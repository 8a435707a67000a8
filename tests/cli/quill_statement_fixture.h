// The fixture of the statement commands' tests (sql, script, schema): an empty database a.mdb,
// quill run with a private config folder, and small helpers for success, failure and scripts.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "run_quill.h"
#include "support/test_support.h"

namespace qb::cli::test {

class QuillStatementTest : public ::testing::Test {
 protected:
  void SetUp() override { Ok({"db", "create", File("a.mdb")}); }
  QuillRun Quill(const std::vector<std::string>& args, const std::string& input = {}) {
    return RunQuill(args, {{"QUILL_TEST_FAST_HASH", "1"}, {"XDG_CONFIG_HOME", config_.Path().string()}}, input);
  }
  std::string Ok(const std::vector<std::string>& args, const std::string& input = {}) {
    QuillRun run = Quill(args, input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run.out;
  }
  // Expects failure with one line on stderr; returns that line.
  std::string Fails(const std::vector<std::string>& args, const std::string& input = {}) {
    QuillRun run = Quill(args, input);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    return run.err;
  }
  std::string Script(const std::string& name, const std::string& text) {
    qb::test::WriteFileBytes(File(name), text);
    return File(name);
  }
  std::string File(const std::string& name) const { return dir_.File(name); }

  qb::test::TempDir dir_;
  qb::test::TempDir config_;
};

}  // namespace qb::cli::test
