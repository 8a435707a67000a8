// app/startup/display_check: whether the windowing system Qt is about to use can be reached,
// decided before the QApplication exists (which aborts the program when it cannot connect).
// Reads the environment and the command line only.
#pragma once
#include <string>

namespace qb {

// Why the utility cannot show windows, or "" when it can (as far as can be known beforehand).
// PLATFORM is the Qt platform asked for (-platform, else QT_QPA_PLATFORM; "" for the default,
// which connects to X11 or Wayland); DISPLAY and WAYLAND_DISPLAY are those variables ("" when
// unset). Platforms that need no display server (offscreen, minimal, eglfs, linuxfb, vnc, ...)
// are taken as usable.
std::string NoDisplayReason(const std::string& platform, const std::string& display,
                            const std::string& wayland_display);

// NoDisplayReason for this process: the "-platform NAME" of ARGV, else QT_QPA_PLATFORM, and the
// display variables of the environment.
std::string NoDisplayReason(int argc, char** argv);

}  // namespace qb
