// Runs the demo script as `make run` does on a machine without a display, with temporary data
// and config folders: it must build the demo files once (tables of generated rows, saved
// queries, the settings file) and print a saved query's rows instead of starting the window.
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "support/test_support.h"

namespace qb::test {
namespace {

struct ProcessRun {
  int status = -1;
  std::string out;
  std::string err;
};

class RunDemoTest : public ::testing::Test {
 protected:
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("XDG_DATA_HOME", QString::fromStdString(dir_.File("data")));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir_.File("config")));
    env.insert("QUILL_TEST_FAST_HASH", "1");
    return env;
  }
  ProcessRun Start(const QString& program, const QStringList& args) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(program, args);
    ProcessRun run;
    if (!process.waitForFinished(120000)) return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
  }
  ProcessRun RunDemo() const {
    const std::filesystem::path build = std::filesystem::path(QB_BIN_DIR).parent_path();
    return Start("bash", {QString(QB_SOURCE_DIR) + "/scripts/run-demo", QString::fromStdString(build.string())});
  }
  ProcessRun Quill(const QStringList& args) const { return Start(QString(QB_BIN_DIR) + "/quill", args); }
  std::string DemoFile(const std::string& name) const { return dir_.File("data/quillbase/demo/" + name); }

  TempDir dir_;
};

TEST_F(RunDemoTest, BuildsTheDemoFilesOnceAndShowsAQueryWithoutADisplay) {
  ProcessRun first = RunDemo();
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_NE(first.out.find("creating the demo database"), std::string::npos);
  EXPECT_NE(first.out.find("no display"), std::string::npos);
  EXPECT_NE(first.out.find("Customers\nOrders\nProducts\n"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("City\tOrderCount\tTotal\n"), std::string::npos) << first.out;
  EXPECT_FALSE(std::filesystem::exists(DemoFile("demo-building.mdb")));

  const std::string database = DemoFile("demo.mdb");
  const QStringList workgroup = {"--workgroup", QString::fromStdString(DemoFile("demo.mdw"))};
  ProcessRun counts = Quill(workgroup + QStringList{"sql", QString::fromStdString(database),
                                            "SELECT (SELECT Count(*) FROM Customers) AS C, "
                                            "(SELECT Count(*) FROM Orders) AS O, (SELECT Count(*) FROM Products) AS P"});
  ASSERT_EQ(counts.status, 0) << counts.err;
  EXPECT_EQ(counts.out, "C\tO\tP\n120\t480\t12\n");
  ProcessRun queries = Quill(workgroup + QStringList{"query", "list", QString::fromStdString(database)});
  EXPECT_EQ(queries.out, "Active Customers\tselect\nCustomer Orders\tselect\nOrders Since\tselect\nSales By City\tselect\n");
  ProcessRun since = Quill(workgroup + QStringList{"run", QString::fromStdString(database), "Orders Since", "--param",
                                            "Since=2030-01-01"});
  EXPECT_EQ(since.out, "OrderID\tCustomerID\tAmount\tOrdered\n");  // the parameter reached the query

  const std::string ini = ReadFileBytes(dir_.File("config/quillbase/QUILLBASE.INI"));
  EXPECT_NE(ini.find("dlgLogin.Username=Admin"), std::string::npos);
  EXPECT_NE(ini.find(database), std::string::npos);

  ProcessRun second = RunDemo();  // the files are there: nothing is made again
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out.find("creating"), std::string::npos) << second.out;
}

}  // namespace
}  // namespace qb::test
