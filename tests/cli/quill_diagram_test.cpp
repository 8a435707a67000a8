// quill diagram: the relationships diagram of a real file as SVG or PNG: one box per table, one
// line per relationship (read back from the SVG), relationships added through quill sql drawn
// on the next run, a table selection, and the usage faults.
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <cstdlib>

#include "quill_test.h"

namespace qb::cli::test {
namespace {

// What an SVG the diagram wrote shows: the text items and the number of relationship lines
// (paths drawn in the line colour).
struct SvgContent {
  QStringList texts;
  int lines = 0;
};

SvgContent ReadSvg(const std::string& path) {
  const QString svg = QString::fromStdString(qb::test::ReadFileBytes(path));
  SvgContent content;
  QRegularExpression text("<text[^>]*>([^<]*)</text>");
  for (auto it = text.globalMatch(svg); it.hasNext();) content.texts << it.next().captured(1).trimmed();
  // Each group sets the pen of what it holds; count the paths of groups stroked in line colour.
  QRegularExpression group("<g ([^>]*)>(.*?)</g>", QRegularExpression::DotMatchesEverythingOption);
  for (auto it = group.globalMatch(svg); it.hasNext();) {
    auto match = it.next();
    if (!match.captured(1).contains("stroke=\"#1f4e79\"")) continue;
    content.lines += static_cast<int>(match.captured(2).count("<path"));
  }
  return content;
}

class QuillDiagramTest : public QuillTest {
 protected:
  // The demo database (scripts/demo-data, few rows) at demo.mdb.
  std::string Demo() {
    const std::string script = File("demo.sql");
    const std::string command = "bash '" + std::string(QB_SOURCE_DIR) + "/scripts/demo-data' 6 20 > '" + script + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string db = File("demo.mdb");
    Ok({"db", "create", db});
    Ok({"script", db, script});
    return db;
  }
  static int Count(const QStringList& texts, const QString& text) { return static_cast<int>(texts.count(text)); }
};

TEST_F(QuillDiagramTest, DrawsOneBoxPerTableAndOneLinePerRelationship) {
  const std::string db = Demo();
  const std::string svg = File("demo.svg");
  EXPECT_EQ(Ok({"diagram", db, "--out", svg}), "");
  SvgContent before = ReadSvg(svg);
  for (const char* table : {"Customers", "Orders", "Products"}) EXPECT_EQ(Count(before.texts, table), 1) << table;
  EXPECT_EQ(before.lines, 0);
  EXPECT_EQ(Count(before.texts, "CustomerID"), 2) << "a field row in both tables";

  Ok({"sql", db, "ALTER TABLE Orders ADD CONSTRAINT OrderCustomer FOREIGN KEY (CustomerID) REFERENCES Customers"});
  Ok({"sql", db, "ALTER TABLE Orders ADD CONSTRAINT OrderProduct FOREIGN KEY (ProductID) REFERENCES Products (ProductID)"});
  EXPECT_EQ(Ok({"diagram", db, "--out", svg}), "");
  SvgContent after = ReadSvg(svg);
  for (const char* table : {"Customers", "Orders", "Products"}) EXPECT_EQ(Count(after.texts, table), 1) << table;
  EXPECT_EQ(after.lines, 2);
  EXPECT_EQ(Count(after.texts, "1"), 2) << "the one end of each line";
  EXPECT_EQ(Count(after.texts, QString::fromUtf8("\u221e")), 2) << "the many end of each line";

  // Only the tables named, and the relationships among them.
  EXPECT_EQ(Ok({"diagram", db, "--out", svg, "orders", "Customers"}), "");
  SvgContent some = ReadSvg(svg);
  EXPECT_EQ(Count(some.texts, "Products"), 0);
  EXPECT_EQ(Count(some.texts, "Orders"), 1);
  EXPECT_EQ(some.lines, 1);

  const std::string png = File("demo.png");
  EXPECT_EQ(Ok({"diagram", db, "--out", png}), "");
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_GT(image.width(), 300);
  EXPECT_GT(image.height(), 100);
}

TEST_F(QuillDiagramTest, RefusesWhatItCannotDraw) {
  const std::string db = File("t.mdb");
  Ok({"db", "create", db});
  Ok({"sql", db, "CREATE TABLE T (Id LONG PRIMARY KEY)"});
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"diagram", db}, 2, "--out"},
      {{"diagram", db, "--out", File("d.pdf")}, 2, ".svg or .png"},
      {{"diagram", "--out", File("d.svg")}, 2, ""},
      {{"diagram", db, "--out", File("d.svg"), "Nothing"}, 1, "'Nothing'"},
      {{"diagram", File("missing.mdb"), "--out", File("d.svg")}, 1, ""},
      {{"diagram", db, "--out", File("no/such/folder/d.png")}, 1, "cannot be written"},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(Fails(c.args, c.status), HasSubstr(c.message)) << c.args.back();
  }
  EXPECT_FALSE(std::filesystem::exists(File("d.svg")));
  EXPECT_THAT(Ok({"diagram", "--help"}), HasSubstr("Usage: quill [global options] diagram FILE --out PATH"));
  EXPECT_THAT(Ok({"--help"}), HasSubstr("diagram FILE --out"));
}

// Only the diagram draws: every other command starts without loading a GUI library (their
// cost in start-up time and memory is paid by quill-diagram alone).
TEST_F(QuillDiagramTest, OtherCommandsLoadNoGuiLibrary) {
  const std::string db = Demo();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, std::vector<std::string>{"sql", db, "SELECT Count(*) FROM Customers"}}) {
    QuillRun run = Quill(args, {{"LD_DEBUG", "libs"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("libc.so"));  // the loader did report what it loaded
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("libQt6"))) << args[0];
  }
  QuillRun drawn = Quill({"diagram", db, "--out", File("demo.svg")}, {{"LD_DEBUG", "libs"}});
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_THAT(drawn.err, HasSubstr("libQt6Gui"));
}

}  // namespace
}  // namespace qb::cli::test
