// tests/framework/controls/controls_fixture: the data the control tests show (a memory dataset
// of generated rows behind a data source), a fixture that collects the errors the controls hand
// to the application's exception display and reports scripted-GUI problems, and a screenshot
// helper.
#pragma once
#include <QApplication>
#include <QWidget>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "framework/data/data_source.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/data/memory_dataset.h"
#include "framework/gui/application.h"
#include "framework/gui/scripted_gui.h"

namespace qb::testing {

// Columns ID (integer), Name (text of 20: "Row <id>") and Note (text of 20: "n<id>" when the ID
// leaves 1 divided by 3, an empty text when it leaves 2, no value when it divides); ROWS rows
// made from their IDs only when read.
inline std::unique_ptr<TMemoryDataSet> MakeGenerated(int rows) {
  auto ds = std::make_unique<TMemoryDataSet>(
      std::vector<MemColumn>{{"ID", ftInteger}, {"Name", ftString, 20}, {"Note", ftString, 20}});
  ds->generator = [](std::int32_t id) {
    MemValue note;
    if (id % 3 == 1) note = EncodeText("n" + std::to_string(id), 20);
    if (id % 3 == 2) note = EncodeText("", 20);
    return std::vector<MemValue>{EncodeInt(id), EncodeText("Row " + std::to_string(id), 20), note};
  };
  ds->AddGeneratedRows(rows);
  return ds;
}

// The stored value of column COLUMN of the row with ID; "<null>" without a value.
inline std::string StoredText(const TMemoryDataSet& ds, std::int32_t id, size_t column) {
  for (const MemRow& row : ds.Rows()) {
    if (row.id != id) continue;
    if (row.values.empty()) return "<generated>";
    const MemValue& value = row.values[column];
    if (!value) return "<null>";
    return std::string(reinterpret_cast<const char*>(value->data()));
  }
  return "<gone>";
}

// Reads of stored values are counted as the dataset's fetches.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedGui::SetFailureReporter([](const std::string& problems) {
      ADD_FAILURE() << "scripted GUI problems:\n" << problems;
    });
    App().OnException = [this](const std::exception& error) { errors.push_back(error.what()); };
  }
  void TearDown() override { App().OnException = nullptr; }

  // Opens a dataset of ROWS generated rows behind `source`.
  void Open(int rows) {
    ds = MakeGenerated(rows);
    source.SetDataSet(ds.get());
    ds->Open();
  }

  std::unique_ptr<TMemoryDataSet> ds;
  TDataSource source;
  std::vector<std::string> errors;  // what reached the exception display
  ScriptedGui gui;                  // no message box may appear unless a test expects it
};

// Saves WIDGET's image as build/screenshots/<NAME>.png for a person to look at.
inline void SaveScreenshot(QWidget& widget, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QB_BIN_DIR).parent_path() / "screenshots";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / (name + ".png")).string();
  EXPECT_TRUE(widget.grab().save(QString::fromStdString(path))) << path;
}

}  // namespace qb::testing
