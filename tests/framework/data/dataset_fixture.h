// tests/framework/data/dataset_fixture: a memory dataset of numbered rows and helpers that turn
// the dataset's position and ring into text, so one comparison checks a whole state.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/data/field.h"
#include "framework/data/memory_dataset.h"

namespace qb::testing {

// Columns ID (integer) and Name (text of 10), ROWS rows numbered 1.. with names "r1"...
inline std::unique_ptr<TMemoryDataSet> MakeNumbered(int rows) {
  auto ds = std::make_unique<TMemoryDataSet>(
      std::vector<MemColumn>{{"ID", ftInteger}, {"Name", ftString, 10}});
  for (int i = 1; i <= rows; ++i) ds->AddRow({EncodeInt(i), EncodeText("r" + std::to_string(i), 10)});
  return ds;
}

// "id" of the active record, "-" when none, with [B] / [E] for Bof / Eof.
inline std::string Where(TDataSet& ds) {
  std::string text = ds.IsEmpty() ? "-" : ds.FieldByName("ID")->AsString();
  if (ds.Bof()) text += "[B]";
  if (ds.Eof()) text += "[E]";
  return text;
}

// The IDs of the stored rows, in order: "1,2,3".
inline std::string StoredIds(const TMemoryDataSet& ds) {
  std::string text;
  for (const MemRow& row : ds.Rows()) {
    std::int32_t id = 0;
    std::memcpy(&id, row.values[0]->data(), 4);
    text += (text.empty() ? "" : ",") + std::to_string(id);
  }
  return text;
}

}  // namespace qb::testing
