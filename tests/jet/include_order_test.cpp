// The engine's include order: src/jet/include_order.txt lists its folders lowest first; a file
// includes engine headers of its own folder or of lower ones, and code outside the engine includes
// only the public folders. Read from the sources themselves, so a planted upward include fails
// here before anyone builds on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(QB_SOURCE_DIR) / "src";

struct FolderOrder {
  std::map<std::string, int> rank;  // "sql/parse" -> position, lowest 0
  std::set<std::string> public_folders;
};

FolderOrder ReadFolderOrder() {
  FolderOrder order;
  std::ifstream in(kSourceRoot / "jet" / "include_order.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string folder, first_word;
    words >> folder >> first_word;
    order.rank.emplace(folder, static_cast<int>(order.rank.size()));
    if (first_word == "public:") order.public_folders.insert(folder);
  }
  return order;
}

// The folder an engine path belongs to: "sql/parse/lexer.h" -> "sql/parse", "dao/field.h" -> "dao".
// Paths directly in src/jet (none should exist) belong to "".
std::string FolderOf(const std::string& jet_relative) {
  const auto slash = jet_relative.find('/');
  if (slash == std::string::npos) return "";
  const std::string top = jet_relative.substr(0, slash);
  if (top != "sql") return top;
  const auto second = jet_relative.find('/', slash + 1);
  return second == std::string::npos ? top : jet_relative.substr(0, second);
}

struct Include {
  std::string file;    // relative to src/
  std::string header;  // relative to src/jet
};

std::vector<Include> EngineIncludesUnder(const fs::path& dir) {
  static const std::regex include_line(R"re(^\s*#\s*include\s*"jet/([^"]+)")re");
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
      if (std::regex_search(line, match, include_line))
        found.push_back({fs::relative(entry.path(), kSourceRoot).generic_string(), match[1]});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Include& a, const Include& b) { return a.file + a.header < b.file + b.header; });
  return found;
}

std::string Describe(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "  " + line + "\n";
  return text;
}

TEST(EngineIncludeOrder, EveryFolderIsListedAndEveryFileIsInOne) {
  const FolderOrder order = ReadFolderOrder();
  ASSERT_GE(order.rank.size(), 10u) << "src/jet/include_order.txt was not read";
  std::vector<std::string> stray;
  for (const auto& entry : fs::recursive_directory_iterator(kSourceRoot / "jet")) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const auto relative = fs::relative(entry.path(), kSourceRoot / "jet").generic_string();
    if (!order.rank.count(FolderOf(relative))) stray.push_back(relative);
  }
  EXPECT_TRUE(stray.empty()) << "engine files outside the listed folders:\n" << Describe(stray);
}

TEST(EngineIncludeOrder, NoFolderIncludesAHigherOne) {
  const FolderOrder order = ReadFolderOrder();
  std::vector<std::string> upward;
  for (const auto& include : EngineIncludesUnder(kSourceRoot / "jet")) {
    const auto from = order.rank.find(FolderOf(include.file.substr(4)));  // past "jet/"
    const auto to = order.rank.find(FolderOf(include.header));
    if (from == order.rank.end() || to == order.rank.end()) continue;  // reported by the test above
    if (to->second > from->second) upward.push_back(include.file + " -> jet/" + include.header);
  }
  EXPECT_TRUE(upward.empty()) << "includes against src/jet/include_order.txt:\n" << Describe(upward);
}

TEST(EngineIncludeOrder, CodeOutsideTheEngineIncludesOnlyItsPublicFolders) {
  const FolderOrder order = ReadFolderOrder();
  std::vector<std::string> inner;
  for (const auto& entry : fs::directory_iterator(kSourceRoot)) {
    if (!entry.is_directory() || entry.path().filename() == "jet") continue;
    for (const auto& include : EngineIncludesUnder(entry.path())) {
      if (!order.public_folders.count(FolderOf(include.header)))
        inner.push_back(include.file + " -> jet/" + include.header);
    }
  }
  EXPECT_TRUE(inner.empty()) << "engine internals included from outside the engine:\n" << Describe(inner);
}

}  // namespace
