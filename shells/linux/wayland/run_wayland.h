// The program as a Wayland client: the screen from the desktop's ScreenCast portal, the keys from
// its GlobalShortcuts portal where there is one.
#pragma once

#include <string>

namespace vistrel::linux_shell::wayland {

// Runs the whole program once Qt's application object exists on the wayland platform plugin,
// and returns the exit code. When the desktop shares no screen it says why and what to do, and,
// where an X server is at hand, starts the program again on X11 (which sees X11 windows only).
int RunOnWayland(const std::string& commandLine, char** argv);

}  // namespace vistrel::linux_shell::wayland
