// The two ways the Linux program meets the desktop. Each runs the whole program once Qt's
// application object exists on the matching platform plugin, and returns the exit code.
#pragma once

#include <string>

namespace vistrel::x11 {

// On an X server (XWayland on a Wayland desktop too): the screen copied with XRender, the keys
// grabbed on the root window.
int RunOnX11(const std::string& commandLine);

// As a Wayland client: the screen from the desktop's ScreenCast portal, the keys from its
// GlobalShortcuts portal where there is one. When the desktop shares no screen it says why and
// what to do, and, where an X server is at hand, starts the program again on X11 (which sees
// X11 windows only).
int RunOnWayland(const std::string& commandLine, char** argv);

}  // namespace vistrel::x11
