// jet/maintenance/unfinished_work: the files an in-place compact or a repair leaves beside a database when
// its process dies before it could clean up: partial copies that can be as large as the
// database itself, under names nobody would think to look for; and the side files of builders
// of the file itself that died (side_file.h).
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string_view>

#include "jet/maintenance/database_maintenance.h"
#include "jet/storage/side_file.h"

namespace qb::jet {
namespace {

// NAME is BASE plus one of the marks, a process number, and whatever follows it.
bool IsWorkFileOf(std::string_view name, std::string_view base) {
  if (name.substr(0, base.size()) != base) return false;
  name.remove_prefix(base.size());
  for (std::string_view mark : {std::string_view(".compact-"), std::string_view(".repair-")}) {
    if (name.substr(0, mark.size()) == mark) {
      return name.size() > mark.size() && std::isdigit(static_cast<unsigned char>(name[mark.size()]));
    }
  }
  return false;
}

}  // namespace

void RemoveUnfinishedWork(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string base = target.filename().string();
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (IsWorkFileOf(name, base)) ::unlink(it->path().c_str());
  }
  RemoveAbandonedSideFiles(path);
}

}  // namespace qb::jet
