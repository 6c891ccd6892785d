// Which desktop's window control the running session has, chosen in one place.
#pragma once

#include <memory>

#include "common/desktop_window_control.h"

namespace vistrel::linux_shell::desktop {

// sway when SWAYSOCK names its socket, KWin when it owns org.kde.KWin on the session bus;
// nullptr where the desktop offers none (GNOME).
std::unique_ptr<DesktopWindowControl> DesktopWindowControlOfSession(const char* windowTitle);

}  // namespace vistrel::linux_shell::desktop
