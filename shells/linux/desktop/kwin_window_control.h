// Placement and keep-above of the program's window on KDE Plasma's Wayland session, where a
// client may do neither itself: each request is a small KWin script, loaded and run over
// D-Bus, that finds the window by this process's id and the window's title.
#pragma once

#include <memory>

#include "common/desktop_window_control.h"

namespace vistrel::linux_shell::desktop {

// nullptr when KWin does not own org.kde.KWin on the session bus.
std::unique_ptr<DesktopWindowControl> MakeKWinWindowControl(const char* windowTitle);

}  // namespace vistrel::linux_shell::desktop
