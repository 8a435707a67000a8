// app/dbtools/db_import: the summary lists at most a screenful of what was left out; the count says
// how many more there are (quill import prints them all).
#include "app/dbtools/db_import.h"

#include <cstdint>
#include <filesystem>

#include "app/dbtools/long_tool.h"
#include "engine/dao_engine.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"
#include "jet/import/import_database.h"

namespace qb {
namespace {

constexpr std::size_t kListedLeftOut = 12;

std::string FileNamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

std::string FreeImportName(const std::string& original) {
  const std::filesystem::path path(original);
  const std::filesystem::path folder = path.parent_path();
  const std::string stem = path.stem().string();
  for (int n = 1;; ++n) {
    const std::string name = stem + ".imported" + (n == 1 ? std::string() : "." + std::to_string(n)) + ".mdb";
    const std::filesystem::path candidate = folder / name;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) return candidate.string();
  }
}

std::string ImportSummaryText(const jet::ImportSummary& summary, const std::string& destination) {
  std::int64_t rows = 0;
  for (const auto& table : summary.tables) rows += table.rows;
  std::string text = "Imported into " + FileNamePart(destination) + ": " + std::to_string(summary.tables.size()) +
                     " tables with " + std::to_string(rows) + " rows, " + std::to_string(summary.relations) +
                     " relationships and " + std::to_string(summary.queries) + " queries.";
  if (summary.skipped.empty()) return text + "\n\nNothing was left out.";
  text += "\n\nLeft out:";
  for (std::size_t i = 0; i < summary.skipped.size() && i < kListedLeftOut; ++i) {
    text += "\n- " + summary.skipped[i].first + ": " + summary.skipped[i].second;
  }
  if (summary.skipped.size() > kListedLeftOut) {
    text += "\n... and " + std::to_string(summary.skipped.size() - kListedLeftOut) + " more.";
  }
  return text;
}

bool ImportWithProgress(TDAOEngine& engine, const std::string& source, const std::string& destination) {
  if (!engine.Active()) return false;
  jet::ImportSummary summary;
  RunLongTool("Importing " + FileNamePart(source) + " ...", [&] { summary = engine.ImportDatabase(source, destination); });
  Gui().MessageBox(ImportSummaryText(summary, destination), "Import Database", MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace qb
