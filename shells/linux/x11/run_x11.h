// The program on an X server (XWayland on a Wayland desktop too): the screen copied with
// XRender, the keys grabbed on the root window.
#pragma once

#include <string>

namespace vistrel::linux_shell::x11 {

// Runs the whole program once Qt's application object exists on the xcb platform plugin, and
// returns the exit code.
int RunOnX11(const std::string& commandLine);

}  // namespace vistrel::linux_shell::x11
