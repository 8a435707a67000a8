// app/startup/display_check: the platform names that need a display server, and the variables
// that name one.
#include "app/startup/display_check.h"

#include <cstdlib>
#include <cstring>

namespace qb {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The platform's name without its options ("xcb:option=x" is xcb).
std::string PlatformName(const std::string& platform) { return platform.substr(0, platform.find(':')); }

}  // namespace

std::string NoDisplayReason(const std::string& platform, const std::string& display,
                            const std::string& wayland_display) {
  // A list ("wayland;xcb") is tried in order: usable when any entry is.
  std::string reason;
  std::size_t start = 0;
  do {
    const std::size_t end = platform.find(';', start);
    const std::string name = PlatformName(platform.substr(start, end == std::string::npos ? end : end - start));
    if (name.empty()) {
      if (!display.empty() || !wayland_display.empty()) return std::string();
      reason = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    } else if (name == "xcb") {
      if (!display.empty()) return std::string();
      reason = "no display: the platform xcb needs DISPLAY, which is not set";
    } else if (name.rfind("wayland", 0) == 0) {
      if (!wayland_display.empty()) return std::string();
      reason = "no display: the platform " + name + " needs WAYLAND_DISPLAY, which is not set";
    } else {
      return std::string();
    }
    start = end == std::string::npos ? end : end + 1;
  } while (start != std::string::npos);
  return reason;
}

std::string NoDisplayReason(int argc, char** argv) {
  std::string platform = Environment("QT_QPA_PLATFORM");
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) platform = argv[i + 1];
  }
  return NoDisplayReason(platform, Environment("DISPLAY"), Environment("WAYLAND_DISPLAY"));
}

}  // namespace qb
