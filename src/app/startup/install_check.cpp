// app/startup/install_check: folder rule and tidy-up of the installation step. Removes at most
// one empty folder; never deletes a file.
#include "app/startup/install_check.h"

#include <filesystem>
#include <system_error>

#include "core/exception.h"
#include "framework/gui/application.h"

namespace qb {

std::string ExpandInstallFolder(const std::string& source, const std::string& program_folder) {
  if (source.empty() || source[0] != '$') return source;
  std::string folder = program_folder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + source.substr(1);
}

bool InstallJetEngine(const std::string& source, bool keep_sources) {
  try {
    std::string program_folder;
    if (!source.empty() && source[0] == '$') {
      const std::string exe = App().ExePath();
      if (exe.empty()) throw Exception("The program's folder cannot be determined.");
      program_folder = std::filesystem::path(exe).parent_path().string();
    }
    const std::filesystem::path folder(ExpandInstallFolder(source, program_folder));
    // Nothing to install here: the engine is part of the program. Tidy the source folder as
    // a completed installation would, but only when it is an empty folder.
    std::error_code error;
    if (!keep_sources && !folder.empty() && std::filesystem::is_directory(folder, error) &&
        std::filesystem::is_empty(folder, error) && !error) {
      std::filesystem::remove(folder, error);  // result ignored, as for any leftover folder
    }
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace qb
