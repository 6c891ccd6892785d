// The program as a Wayland client on a compositor that offers capture with cursor sessions
// itself (wlroots 0.19 and later, and their kin): the screen from the compositor, no portal.
#pragma once

#include <string>

namespace vistrel::linux_shell::wayland {

// Runs the whole program once Qt's application object exists on the wayland platform plugin,
// and returns the exit code. Should the compositor withdraw its capture before the screen
// opens, the program goes the portal's way instead.
int RunOnCompositor(const std::string& commandLine, char** argv);

}  // namespace vistrel::linux_shell::wayland
