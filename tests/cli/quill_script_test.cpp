// quill script as people write scripts: with a byte-order mark, from standard input after an
// asked password, with literals left open, and errors placed at the script's own line and column.
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillScriptTest : public QuillTest {
 protected:
  void SetUp() override { Ok({"db", "create", Db()}); }
  std::string Db() const { return File("a.mdb"); }
};

TEST_F(QuillScriptTest, ByteOrderMarkIsSkipped) {
  EXPECT_EQ(Ok({"script", Db(), Script("bom.sql", "\xEF\xBB\xBF" "CREATE TABLE T (A LONG);\nINSERT INTO T VALUES (1);\n")}),
            "1 records affected\n");
  EXPECT_EQ(Ok({"tables", Db()}), "T\n");
  EXPECT_EQ(Ok({"script", Db(), "-"}, {}, "\xEF\xBB\xBF" "INSERT INTO T VALUES (2);"), "1 records affected\n");
}

TEST_F(QuillScriptTest, WhatCannotBeAScriptIsRefused) {
  EXPECT_THAT(Fails({"script", Db(), dir_.Path().string()}, 2), HasSubstr("is a folder"));
  EXPECT_THAT(Fails({"script", Db(), File("absent.sql")}, 2), HasSubstr("cannot be read"));
  // A literal left open is named where it opens, and nothing runs.
  const struct {
    const char* text;
    const char* message;
  } open[] = {
      {"CREATE TABLE T (A TEXT(9));\nINSERT INTO T VALUES ('it;s);\n",
       "string opened with ' at line 2, column 23 is never closed"},
      {"CREATE TABLE T (A TEXT(9));\n  CREATE TABLE [U (B LONG);\n", "name opened with [ at line 2, column 16"},
      {"CREATE TABLE T (D DATETIME);\nINSERT INTO T VALUES (#2001-01-01);", "date opened with # at line 2, column 23"},
  };
  for (const auto& c : open) {
    EXPECT_THAT(Fails({"script", Db(), "-"}, 1, {}, c.text), HasSubstr(c.message)) << c.text;
    EXPECT_EQ(Ok({"tables", Db()}), "");
  }
}

TEST_F(QuillScriptTest, ErrorsGiveTheScriptsLineAndColumn) {
  const std::string err = Fails({"script", Db(), "-"}, 1, {},
                                "CREATE TABLE T (A LONG);\n"
                                "\n"
                                "  SELECT A\n"
                                "  FROM T WHERE (A > ;\n");
  EXPECT_THAT(err, HasSubstr("the statement at line 3 failed"));
  EXPECT_THAT(err, HasSubstr("line 4, column 20"));
  EXPECT_THAT(Fails({"script", Db(), "-"}, 1, {}, "CREATE TABLE T (A LONG);\n   CREATE TABLE U (B LONG"),
              HasSubstr("line 2, column 26"));
}

TEST_F(QuillScriptTest, AskedPasswordComesBeforeTheScriptOnStandardInput) {
  const std::string workgroup = File("team.mdw");
  Ok({"workgroup", "create", workgroup});
  Ok({"--workgroup", workgroup, "user", "password", "Admin", "--new-env", "N"}, {{"N", "piped"}});
  EXPECT_EQ(Ok({"--workgroup", workgroup, "--ask-password", "script", Db(), "-"}, {},
               "piped\nCREATE TABLE T (A LONG);\nINSERT INTO T VALUES (1);\n"),
            "1 records affected\n");
  EXPECT_EQ(Ok({"--workgroup", workgroup, "--password-env", "P", "sql", Db(), "SELECT A FROM T"}, {{"P", "piped"}}),
            "A\n1\n");
  EXPECT_THAT(Ok({"script", "--help"}), HasSubstr("first line of standard input"));
}

}  // namespace
}  // namespace qb::cli::test
