// Screenshots of the tool windows for a person to look at: a widget's offscreen image saved as
// build/screenshots/<name>.png (the folder beside the test program's bin folder).
#pragma once
#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace qb::test {

inline void SaveScreenshot(QWidget& widget, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QB_BIN_DIR).parent_path() / "screenshots";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / (name + ".png")).string();
  EXPECT_TRUE(widget.grab().save(QString::fromStdString(path))) << path;
}

}  // namespace qb::test
