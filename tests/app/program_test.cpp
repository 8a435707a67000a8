// Starts the built quillbase offscreen with a temporary config folder: it must come up with the
// waiting caption and quit cleanly. QUILLBASE_QUIT_AFTER_SHOW makes it print the caption of the
// shown main window and close it.
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/startup/display_check.h"
#include "support/comma_locale.h"
#include "support/test_support.h"

namespace qb::test {
namespace {

// Runs under the environment's locale, and under one with a decimal comma, which the program
// adopts as its process locale (nothing it stores or reads may depend on that).
class ProgramTest : public ::testing::TestWithParam<bool> {};

TEST_P(ProgramTest, StartsWaitingForConnectionAndQuitsCleanly) {
  const QString program = QString(QB_BIN_DIR) + "/quillbase";
  ASSERT_TRUE(std::filesystem::exists(program.toStdString())) << "build the quillbase target first";
  TempDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (GetParam()) {
    const std::string comma = CommaLocaleName();
    if (comma.empty()) GTEST_SKIP() << kCommaLocaleMissing;
    env.insert("LC_ALL", QString::fromStdString(comma));
    env.insert("LANG", QString::fromStdString(comma));
  }
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.File("config")));
  env.insert("QUILLBASE_QUIT_AFTER_SHOW", "1");

  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, {});
  ASSERT_TRUE(process.waitForFinished(60000)) << "quillbase did not quit";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_EQ(process.readAllStandardOutput().toStdString(), "Waiting for connection\n");
  // Closing the window kept the settings, in the file named after the program.
  EXPECT_TRUE(std::filesystem::exists(dir.File("config/quillbase/QUILLBASE.INI")));
}

TEST(ProgramWithoutDisplayTest, SaysSoAndExitsWithOne) {
  const QString program = QString(QB_BIN_DIR) + "/quillbase";
  ASSERT_TRUE(std::filesystem::exists(program.toStdString())) << "build the quillbase target first";
  TempDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.insert("DISPLAY", "");
  env.insert("WAYLAND_DISPLAY", "");
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.File("config")));
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, {});
  ASSERT_TRUE(process.waitForFinished(60000)) << "quillbase did not quit";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "it must not abort";
  EXPECT_EQ(process.exitCode(), 1);
  const std::string err = process.readAllStandardError().toStdString();
  EXPECT_NE(err.find("quillbase: no display"), std::string::npos) << err;
  EXPECT_NE(err.find("QT_QPA_PLATFORM=offscreen"), std::string::npos) << err;
}

TEST(DisplayCheckTest, PlatformsThatNeedADisplayServer) {
  const struct {
    const char* platform;
    const char* display;
    const char* wayland;
    bool usable;
  } cases[] = {
      {"", "", "", false},          {"", ":0", "", true},          {"", "", "wayland-0", true},
      {"xcb", "", "wayland-0", false}, {"xcb", ":1", "", true},   {"xcb:nograb", "", "", false},
      {"wayland", ":0", "", false}, {"wayland-egl", "", "w", true}, {"wayland;xcb", ":0", "", true},
      {"wayland;xcb", "", "", false}, {"offscreen", "", "", true}, {"minimal", "", "", true},
      {"eglfs", "", "", true},
  };
  for (const auto& c : cases) {
    const std::string reason = NoDisplayReason(c.platform, c.display, c.wayland);
    EXPECT_EQ(reason.empty(), c.usable) << "'" << c.platform << "' DISPLAY='" << c.display << "' WAYLAND_DISPLAY='"
                                        << c.wayland << "': " << reason;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, ProgramTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "CommaDecimalLocale" : "EnvironmentLocale"; });

}  // namespace
}  // namespace qb::test
