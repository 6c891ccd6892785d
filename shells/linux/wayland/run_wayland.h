// The program as a Wayland client: the screen from the desktop's ScreenCast portal, the keys from
// its GlobalShortcuts portal where there is one.
#pragma once

#include <memory>
#include <string>

#include "wayland/main_window_wayland.h"
#include "wayland/screen_portal.h"

namespace vistrel::linux_shell::wayland {

// The program's window in this session. A second instance ends in the core's start-up; it must
// not take a window control: KWin's place watch goes by one name, the running copy's.
std::unique_ptr<WaylandMainWindow> SessionWindow(double twipsPerPixel, bool second);
// Where a screen draws the view: the window's canvas.
ViewCanvas CanvasOf(WaylandMainWindow& window);

// Runs the whole program once Qt's application object exists on the wayland platform plugin,
// and returns the exit code. When the desktop shares no screen it says why and what to do, and,
// where an X server is at hand, starts the program again on X11 (which sees X11 windows only).
int RunOnWayland(const std::string& commandLine, char** argv);

}  // namespace vistrel::linux_shell::wayland
