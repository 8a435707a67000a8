// Temporary folders and file helpers shared by every test program.
#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

// LeakSanitizer takes these suppressions from the program itself, whatever the environment
// the test runner passes on: libraries that keep allocations for the process's lifetime (Qt,
// fontconfig, GLib, D-Bus, the sound server client, the PostgreSQL ODBC driver). The same list
// is tests/lsan.supp.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6Core\nleak:libQt6Gui\nleak:libQt6Widgets\nleak:libfontconfig\nleak:libglib\n"
         "leak:libdbus\nleak:libpulse\nleak:psqlodbcw.so\n";
}

namespace qb::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qbtest-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TestDataPath(const std::string& relative) {
  return std::string(QB_TESTDATA_DIR) + "/" + relative;
}

}  // namespace qb::test
